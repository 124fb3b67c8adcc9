#pragma once

#include <QByteArray>
#include <QMap>

#include <xcb/xcb.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <poll.h>
#include <thread>
#include <vector>

namespace vesk::test {

// Another program owning the X clipboard, on a connection and thread of its own. It
// answers TARGETS and the types it offers, sends data above `incrChunk` bytes by the
// INCR protocol in chunks of that size, and when `silent` never answers at all.
class ClipboardOwner {
public:
    ClipboardOwner(QMap<QByteArray, QByteArray> offers, bool silent = false, int incrChunk = 4096)
        : m_offers(std::move(offers)), m_silent(silent), m_chunk(incrChunk) {
        m_connection = xcb_connect(nullptr, nullptr);
        if (xcb_connection_has_error(m_connection)) return;
        const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data;
        m_window = xcb_generate_id(m_connection);
        xcb_create_window(m_connection, XCB_COPY_FROM_PARENT, m_window, screen->root, 0, 0, 1, 1, 0,
                          XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
        m_clipboard = atom("CLIPBOARD");
        m_targets = atom("TARGETS");
        m_incr = atom("INCR");
        for (auto it = m_offers.cbegin(); it != m_offers.cend(); ++it)
            m_atoms.push_back({atom(it.key()), it.key()});
        xcb_set_selection_owner(m_connection, m_window, m_clipboard, XCB_CURRENT_TIME);
        xcb_flush(m_connection);
        m_thread = std::thread([this] { run(); });
    }
    ~ClipboardOwner() {
        m_stop = true;
        if (m_thread.joinable()) m_thread.join();
        xcb_disconnect(m_connection);
    }
    ClipboardOwner(const ClipboardOwner&) = delete;
    ClipboardOwner& operator=(const ClipboardOwner&) = delete;

    // Chunks sent by INCR so far.
    int chunksSent() const { return m_chunks; }

private:
    struct Transfer {
        xcb_window_t requestor;
        xcb_atom_t property;
        xcb_atom_t type;
        QByteArray data;
        qsizetype offset = 0;
    };

    xcb_atom_t atom(const QByteArray& name) {
        auto* reply = xcb_intern_atom_reply(
            m_connection, xcb_intern_atom(m_connection, 0, uint16_t(name.size()), name.constData()), nullptr);
        const xcb_atom_t value = reply ? reply->atom : XCB_NONE;
        std::free(reply);
        return value;
    }

    void run() {
        while (!m_stop) {
            while (xcb_generic_event_t* event = xcb_poll_for_event(m_connection)) {
                handle(event);
                std::free(event);
            }
            pollfd descriptor{xcb_get_file_descriptor(m_connection), POLLIN, 0};
            ::poll(&descriptor, 1, 20);
        }
    }

    void notify(const xcb_selection_request_event_t& request, xcb_atom_t property) {
        xcb_selection_notify_event_t event;
        std::memset(&event, 0, sizeof event);
        event.response_type = XCB_SELECTION_NOTIFY;
        event.time = request.time;
        event.requestor = request.requestor;
        event.selection = request.selection;
        event.target = request.target;
        event.property = property;
        xcb_send_event(m_connection, 0, request.requestor, 0, reinterpret_cast<const char*>(&event));
    }

    void handle(const xcb_generic_event_t* event) {
        const int type = event->response_type & ~0x80;
        if (type == XCB_SELECTION_REQUEST && !m_silent) {
            const auto& request = *reinterpret_cast<const xcb_selection_request_event_t*>(event);
            if (request.target == m_targets) {
                std::vector<xcb_atom_t> atoms{m_targets};
                for (const auto& [value, name] : m_atoms)
                    atoms.push_back(value);
                xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, request.requestor, request.property,
                                    XCB_ATOM_ATOM, 32, uint32_t(atoms.size()), atoms.data());
                notify(request, request.property);
            } else if (const QByteArray* data = offered(request.target)) {
                if (data->size() > m_chunk) {
                    const uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
                    xcb_change_window_attributes(m_connection, request.requestor, XCB_CW_EVENT_MASK, &mask);
                    const uint32_t size = uint32_t(data->size());
                    xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, request.requestor,
                                        request.property, m_incr, 32, 1, &size);
                    m_transfers.push_back({request.requestor, request.property, request.target, *data});
                } else {
                    xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, request.requestor,
                                        request.property, request.target, 8, uint32_t(data->size()),
                                        data->constData());
                }
                notify(request, request.property);
            } else {
                notify(request, XCB_NONE);
            }
        } else if (type == XCB_PROPERTY_NOTIFY) {
            const auto& change = *reinterpret_cast<const xcb_property_notify_event_t*>(event);
            if (change.state != XCB_PROPERTY_DELETE) return;
            for (auto it = m_transfers.begin(); it != m_transfers.end(); ++it) {
                if (it->requestor != change.window || it->property != change.atom) continue;
                const qsizetype length = std::min<qsizetype>(m_chunk, it->data.size() - it->offset);
                xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, it->requestor, it->property,
                                    it->type, 8, uint32_t(length), it->data.constData() + it->offset);
                ++m_chunks;
                it->offset += length;
                if (length == 0) m_transfers.erase(it);
                break;
            }
        }
        xcb_flush(m_connection);
    }

    const QByteArray* offered(xcb_atom_t target) const {
        for (const auto& [value, name] : m_atoms)
            if (value == target) return &m_offers.find(name).value();
        return nullptr;
    }

    QMap<QByteArray, QByteArray> m_offers;
    bool m_silent;
    int m_chunk;
    xcb_connection_t* m_connection = nullptr;
    xcb_window_t m_window = 0;
    xcb_atom_t m_clipboard = 0, m_targets = 0, m_incr = 0;
    std::vector<std::pair<xcb_atom_t, QByteArray>> m_atoms;
    std::vector<Transfer> m_transfers;
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_chunks{0};
    std::thread m_thread;
};

} // namespace vesk::test
