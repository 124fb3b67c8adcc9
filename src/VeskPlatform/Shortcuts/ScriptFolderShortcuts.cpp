#include "VeskPlatform/Shortcuts/ScriptFolderShortcuts.h"

#include "VeskKit/Diagnostics/TraceLog.h"
#include "VeskKit/Foundation/Files.h"
#include "VeskPlatform/Workspace/ChildEnvironment.h"

#include <QDir>
#include <QPointer>
#include <QProcess>
#include <QTimer>

#include <algorithm>
#include <memory>

#include <signal.h>
#include <unistd.h>

namespace vesk {

std::unique_ptr<ShortcutScripts> ShortcutScripts::create() {
    ScriptFolderShortcuts::Options options;
    options.folder = ScriptFolderShortcuts::defaultFolder();
    return std::make_unique<ScriptFolderShortcuts>(std::move(options));
}

QString ScriptFolderShortcuts::defaultFolder() {
    return files::configFolder() + QStringLiteral("/Shortcuts");
}

ScriptFolderShortcuts::ScriptFolderShortcuts(Options options)
    : m_options(std::move(options)), m_queue(QStringLiteral("app.tessarn.notch.shortcuts")) {}

ScriptFolderShortcuts::~ScriptFolderShortcuts() {
    m_queue.shutdown();
}

bool ScriptFolderShortcuts::canList() const {
    return QFileInfo(m_options.folder).isDir();
}

QFileInfoList ScriptFolderShortcuts::scripts(const QString& folder) {
    QFileInfoList found = QDir(folder).entryInfoList(QDir::Files | QDir::Executable, QDir::NoSort);
    found.removeIf([](const QFileInfo& file) { return file.fileName().endsWith(QLatin1Char('~')); });
    return found;
}

QString ScriptFolderShortcuts::shortcutName(const QFileInfo& file) {
    return file.completeBaseName();
}

void ScriptFolderShortcuts::list(QObject* context, std::function<void(QStringList)> done) {
    const bool bound = context != nullptr;
    QPointer<QObject> guard(context);
    m_queue.async([folder = m_options.folder, bound, guard, done = std::move(done)]() mutable {
        QStringList names;
        for (const QFileInfo& file : scripts(folder)) {
            const QString name = shortcutName(file);
            if (!name.trimmed().isEmpty()) names << name;
        }
        onMain([bound, guard, done = std::move(done), names = std::move(names)] {
            if (!bound || guard) done(names);
        });
    });
}

void ScriptFolderShortcuts::run(const QString& name, const std::optional<QString>& input) {
    m_queue.async([this, name, input] { start(name, input); });
}

void ScriptFolderShortcuts::trace(const QString& line) const {
    if (m_options.trace)
        m_options.trace(line);
    else
        TraceLog::trace(line);
}

void ScriptFolderShortcuts::start(const QString& name, const std::optional<QString>& input) {
    const QString quoted = QLatin1Char('"') + name + QLatin1Char('"');
    // The name only ever selects one of the listed files; it never becomes a path.
    QFileInfoList candidates;
    if (!name.contains(QLatin1Char('/')) && !name.contains(QLatin1String(".."))) {
        candidates = QDir(m_options.folder).entryInfoList(QDir::Files, QDir::NoSort);
        candidates.removeIf([&](const QFileInfo& file) {
            return file.fileName().endsWith(QLatin1Char('~')) || shortcutName(file) != name;
        });
    }
    if (candidates.isEmpty()) {
        trace(QStringLiteral("shortcut %1 not found in %2").arg(quoted, m_options.folder));
        return;
    }
    std::sort(candidates.begin(), candidates.end(),
              [&](const QFileInfo& a, const QFileInfo& b) { return a.fileName() < b.fileName(); });
    const auto exact = std::find_if(candidates.cbegin(), candidates.cend(),
                                    [&](const QFileInfo& file) { return file.fileName() == name; });
    const QFileInfo script = exact != candidates.cend() ? *exact : candidates.first();
    if (!script.isExecutable()) {
        trace(QStringLiteral("shortcut %1 is not executable: %2").arg(quoted, script.absoluteFilePath()));
        return;
    }

    auto* process = new QProcess;
    process->setProgram(script.absoluteFilePath());
    process->setWorkingDirectory(QDir::homePath());
    process->setProcessEnvironment(childEnvironment::forChildren());
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setStandardErrorFile(QProcess::nullDevice());
    // A process group of its own, so ending it ends whatever it started too.
    process->setChildProcessModifier([] { ::setsid(); });

    const QByteArray text = input && !input->isEmpty() ? input->toUtf8() : QByteArray();
    QObject::connect(process, &QProcess::started, process, [process, text] {
        if (!text.isEmpty()) process->write(text);
        process->closeWriteChannel();
    });

    auto* deadline = new QTimer(process);
    deadline->setSingleShot(true);
    deadline->setInterval(std::chrono::milliseconds(qint64(m_options.timeout * 1000)));
    auto timedOut = std::make_shared<bool>(false);
    QObject* queueContext = m_queue.context();
    const double killDelay = m_options.killDelay;
    QObject::connect(deadline, &QTimer::timeout, process,
                     [this, process, quoted, timedOut, queueContext, killDelay] {
                         const qint64 group = process->processId();
                         if (group <= 0) return;
                         *timedOut = true;
                         trace(QStringLiteral("shortcut %1 timed out after %2 s; ending it")
                                   .arg(quoted)
                                   .arg(m_options.timeout));
                         ::kill(-pid_t(group), SIGTERM);
                         QTimer::singleShot(std::chrono::milliseconds(qint64(killDelay * 1000)), queueContext,
                                            [group] { ::kill(-pid_t(group), SIGKILL); });
                     });

    QObject::connect(
        process, &QProcess::errorOccurred, process, [this, process, quoted](QProcess::ProcessError error) {
            if (error != QProcess::FailedToStart) return;
            trace(QStringLiteral("shortcut %1 did not start: %2").arg(quoted, process->errorString()));
            process->deleteLater();
        });
    QObject::connect(
        process, &QProcess::finished, process,
        [this, process, quoted, timedOut](int exitCode, QProcess::ExitStatus status) {
            if (!*timedOut) {
                if (status == QProcess::CrashExit)
                    trace(QStringLiteral("shortcut %1 was ended by a signal").arg(quoted));
                else if (exitCode != 0)
                    trace(QStringLiteral("shortcut %1 exited with status %2").arg(quoted).arg(exitCode));
            }
            process->deleteLater();
        });
    process->start();
    deadline->start();
}

} // namespace vesk
