#include "VeskPlatform/Sound/CanberraSoundPlayer.h"

#include "VeskKit/Foundation/Scheduler.h"
#include "VeskKit/Foundation/SerialQueue.h"

#include <QHash>

#include <canberra.h>

namespace vesk {

struct CanberraSoundPlayer::Core {
    // Everything below is touched on the queue only.
    ca_context* context = nullptr;
    bool contextFailed = false;
    quint32 nextId = 1;
    QHash<quint32, std::function<void(bool)>> pending;
    std::unique_ptr<SerialQueue> queue;

    ca_context* openContext() {
        if (context || contextFailed) return context;
        if (ca_context_create(&context) != CA_SUCCESS) {
            context = nullptr;
            contextFailed = true;
            return nullptr;
        }
        ca_context_change_props(context, CA_PROP_APPLICATION_NAME, "VeskNotch", CA_PROP_APPLICATION_ID,
                                "app.tessarn.notch", nullptr);
        return context;
    }

    void play(const QString& name, std::function<void(bool)> done) {
        ca_context* ctx = openContext();
        if (!ctx) return finish(std::move(done), false);
        ca_proplist* props = nullptr;
        if (ca_proplist_create(&props) != CA_SUCCESS) return finish(std::move(done), false);
        ca_proplist_sets(props, CA_PROP_EVENT_ID, eventId(name).toUtf8().constData());
        ca_proplist_sets(props, CA_PROP_EVENT_DESCRIPTION, name.toUtf8().constData());
        const quint32 id = nextId++;
        pending.insert(id, std::move(done));
        const int status = ca_context_play_full(ctx, id, props, &Core::finished, this);
        ca_proplist_destroy(props);
        // A refused sound has no completion to wait for; a late one finds nothing pending.
        if (status != CA_SUCCESS) complete(id, false);
    }

    void complete(quint32 id, bool played) { finish(pending.take(id), played); }

    static void finish(std::function<void(bool)> done, bool played) {
        if (done) onMain([done = std::move(done), played] { done(played); });
    }

    // Called by libcanberra on a thread of its own, where no libcanberra call is allowed.
    static void finished(ca_context*, uint32_t id, int errorCode, void* userdata) {
        auto* core = static_cast<Core*>(userdata);
        core->queue->async([core, id, errorCode] { core->complete(id, errorCode == CA_SUCCESS); });
    }
};

CanberraSoundPlayer::CanberraSoundPlayer() : m_core(std::make_unique<Core>()) {}

CanberraSoundPlayer::~CanberraSoundPlayer() {
    if (!m_core->queue) return;
    Core* core = m_core.get();
    m_core->queue->finish([core] {
        if (core->context) ca_context_destroy(core->context);
        core->context = nullptr;
        // Sounds cut short are not always reported by the sound system: report them here.
        for (auto& done : core->pending)
            Core::finish(std::move(done), false);
        core->pending.clear();
    });
    m_core->queue->shutdown();
}

void CanberraSoundPlayer::play(const QString& name, std::function<void(bool played)> done) {
    if (!m_core->queue)
        m_core->queue = std::make_unique<SerialQueue>(QStringLiteral("app.tessarn.notch.sound"));
    Core* core = m_core.get();
    m_core->queue->async(
        [core, name, done = std::move(done)]() mutable { core->play(name, std::move(done)); });
}

QString CanberraSoundPlayer::eventId(const QString& name) {
    static const QHash<QString, QString> classic{
        {QStringLiteral("Tink"), QStringLiteral("service-logout")},
        {QStringLiteral("Pop"), QStringLiteral("service-login")},
    };
    return classic.value(name, name);
}

} // namespace vesk
