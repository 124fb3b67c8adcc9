#include "VeskMediaAdapter/ParentWatch.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <csignal>
#include <cstdlib>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vesk::adapter {

namespace {
pid_t startingParent = 0;
} // namespace

void ParentWatch::askToEndWithParent() {
    startingParent = ::getppid();
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    // The parent may have gone before the request took effect.
    if (::getppid() != startingParent || startingParent == 1) std::_Exit(0);
}

ParentWatch::ParentWatch(QObject* parent) : QObject(parent) {
    struct stat info {};
    // The write end of a pipe polls as an error once its reader has closed it.
    if (::fstat(STDOUT_FILENO, &info) == 0 && S_ISFIFO(info.st_mode)) {
        m_hangUp = new QSocketNotifier(STDOUT_FILENO, QSocketNotifier::Read, this);
        connect(m_hangUp, &QSocketNotifier::activated, this, [] { QCoreApplication::exit(0); });
    }
}

void ParentWatch::check() {
    if (startingParent != 0 && ::getppid() != startingParent) QCoreApplication::exit(0);
}

} // namespace vesk::adapter
