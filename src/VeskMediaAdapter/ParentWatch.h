#pragma once

#include <QObject>

#include <sys/types.h>

class QSocketNotifier;

namespace vesk::adapter {

// Ends the adapter when the program that started it is gone. On desktops with a user
// service manager an orphan is adopted by that manager rather than by process 1, so
// besides the kernel's parent-death signal the parent is checked whenever the adapter
// wakes, and a stream run also notices its reader hanging up.
class ParentWatch : public QObject {
    Q_OBJECT
public:
    // Call first thing in main().
    static void askToEndWithParent();

    explicit ParentWatch(QObject* parent = nullptr);

public Q_SLOTS:
    void check();

private:
    QSocketNotifier* m_hangUp = nullptr;
};

} // namespace vesk::adapter
