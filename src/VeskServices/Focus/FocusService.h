#pragma once

#include "VeskKit/Foundation/NewestStream.h"
#include "VeskPlatform/Session/DoNotDisturb.h"
#include "VeskServices/Focus/FocusDatabase.h"
#include "VeskServices/Focus/FocusModeState.h"

#include <QMetaObject>
#include <QObject>

#include <memory>
#include <optional>
#include <vector>

namespace vesk {

// Follows the desktop's do-not-disturb switch and, where it can be read, the Focus
// database's active mode, and publishes FocusModeState values. The first state after
// start() is the state read then; each later change publishes exactly one state.
// Main thread only.
class FocusService : public QObject {
    Q_OBJECT
public:
    // Without a switch given, the desktop's own is followed.
    explicit FocusService(std::unique_ptr<DoNotDisturb> doNotDisturb = nullptr,
                          FocusDatabase database = FocusDatabase(), QObject* parent = nullptr);
    ~FocusService() override;

    // Keeps the newest 2 states; never finished.
    const NewestStream<FocusModeState>& states() const { return m_states; }
    const FocusModeState& state() const { return m_state; }
    // The Focus database can be read (probed by start()).
    bool hasRichIdentity() const { return m_hasRichIdentity; }

    // Follows the switch and probes the database; the starting state is published once
    // the switch has been read (inactive, once, when the desktop has no switch).
    void start();
    // Stops following. The stream stays open.
    void stop();
    // Reads the database and the switch again and publishes the state if it changed.
    void refresh();
    // The name and symbol handed over by the Focus filter: the name replaces the
    // current one (an absent name clears it), a symbol replaces the current one (an
    // absent symbol keeps it). Publishes, except before the starting state, which
    // then carries it.
    void applyFilterIdentity(const std::optional<QString>& name, const std::optional<QString>& symbol);

private:
    FocusModeState readState() const;
    void publish();

    std::unique_ptr<DoNotDisturb> m_doNotDisturb;
    FocusDatabase m_database;
    NewestStream<FocusModeState> m_states{2};
    FocusModeState m_state;
    std::vector<QMetaObject::Connection> m_observers;
    bool m_hasRichIdentity = false;
    bool m_hasPublished = false;
};

} // namespace vesk
