#include "VeskPlatform/Pasteboard/X11ClipboardReader.h"

#include <poll.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <vector>

namespace vesk {

namespace {

template <typename T> using Reply = std::unique_ptr<T, void (*)(void*)>;
template <typename T> Reply<T> reply(T* raw) {
    return Reply<T>(raw, std::free);
}

// How often a wait looks at the interrupt flag.
constexpr int interruptCheckMs = 100;
constexpr uint32_t anyPropertyType = XCB_GET_PROPERTY_TYPE_ANY;

int eventType(const xcb_generic_event_t* event) {
    return event->response_type & ~0x80;
}

} // namespace

X11ClipboardReader::X11ClipboardReader(QByteArray display) : m_display(std::move(display)) {}

X11ClipboardReader::~X11ClipboardReader() {
    disconnect();
}

bool X11ClipboardReader::connect() {
    if (m_connection && !xcb_connection_has_error(m_connection)) return true;
    disconnect();
    int screenNumber = 0;
    m_connection = xcb_connect(m_display.isEmpty() ? nullptr : m_display.constData(), &screenNumber);
    if (xcb_connection_has_error(m_connection)) {
        disconnect();
        return false;
    }
    xcb_screen_iterator_t roots = xcb_setup_roots_iterator(xcb_get_setup(m_connection));
    for (int i = 0; i < screenNumber && roots.rem > 0; ++i)
        xcb_screen_next(&roots);
    if (roots.rem <= 0) {
        disconnect();
        return false;
    }
    // An input-only window no one sees: conversions are delivered to its property, and
    // its property changes drive INCR transfers.
    m_window = xcb_generate_id(m_connection);
    const uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_create_window(m_connection, XCB_COPY_FROM_PARENT, m_window, roots.data->root, -10, -10, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK, &mask);
    m_atoms.clear();
    m_names.clear();
    m_clipboard = atom("CLIPBOARD");
    m_property = atom("VESK_CLIPBOARD_DATA");
    m_incr = atom("INCR");
    return m_clipboard && m_property && m_incr;
}

void X11ClipboardReader::disconnect() {
    if (m_connection) xcb_disconnect(m_connection);
    m_connection = nullptr;
    m_window = 0;
}

uint32_t X11ClipboardReader::atom(const QByteArray& name) {
    if (const auto found = m_atoms.constFind(name); found != m_atoms.cend()) return *found;
    const auto cookie = xcb_intern_atom(m_connection, 0, uint16_t(name.size()), name.constData());
    const auto answer = reply(xcb_intern_atom_reply(m_connection, cookie, nullptr));
    if (!answer) return 0;
    m_atoms.insert(name, answer->atom);
    m_names.insert(answer->atom, QString::fromLatin1(name));
    return answer->atom;
}

QStringList X11ClipboardReader::types() {
    if (m_interrupted || !connect()) return {};
    const auto owner = reply(xcb_get_selection_owner_reply(
        m_connection, xcb_get_selection_owner(m_connection, m_clipboard), nullptr));
    if (!owner || owner->owner == XCB_NONE) return {};

    const uint32_t targetsAtom = atom("TARGETS");
    const ClipboardData targets = convert(targetsAtom, 64 * 1024);
    if (targets.status != ClipboardData::Status::ok) return {};
    std::vector<uint32_t> atoms(size_t(targets.bytes.size()) / sizeof(uint32_t));
    std::copy_n(targets.bytes.constData(), atoms.size() * sizeof(uint32_t),
                reinterpret_cast<char*>(atoms.data()));

    // Ask for every unknown name at once, then collect the answers.
    std::vector<std::pair<uint32_t, xcb_get_atom_name_cookie_t>> asked;
    for (uint32_t value : atoms)
        if (value != XCB_NONE && !m_names.contains(value))
            asked.emplace_back(value, xcb_get_atom_name(m_connection, value));
    for (const auto& [value, cookie] : asked) {
        const auto answer = reply(xcb_get_atom_name_reply(m_connection, cookie, nullptr));
        if (!answer) continue;
        const QByteArray name(xcb_get_atom_name_name(answer.get()),
                              xcb_get_atom_name_name_length(answer.get()));
        m_names.insert(value, QString::fromLatin1(name));
        m_atoms.insert(name, value);
    }
    QStringList names;
    for (uint32_t value : atoms) {
        const QString name = m_names.value(value);
        if (!name.isEmpty() && !names.contains(name)) names.append(name);
    }
    return names;
}

ClipboardData X11ClipboardReader::data(const QString& type, qint64 limit) {
    if (m_interrupted || !connect()) return {};
    const uint32_t target = atom(type.toLatin1());
    if (!target) return {};
    return convert(target, limit);
}

ClipboardData X11ClipboardReader::convert(uint32_t target, qint64 limit) {
    discardPendingEvents();
    xcb_delete_property(m_connection, m_window, m_property);
    xcb_convert_selection(m_connection, m_window, m_clipboard, target, m_property, XCB_CURRENT_TIME);
    xcb_flush(m_connection);

    const Event notified = waitFor(
        [&](const xcb_generic_event_t* event) {
            if (eventType(event) != XCB_SELECTION_NOTIFY) return false;
            const auto* notify = reinterpret_cast<const xcb_selection_notify_event_t*>(event);
            return notify->requestor == m_window && notify->selection == m_clipboard &&
                   notify->target == target;
        },
        QDeadlineTimer(requestTimeoutMs));
    if (!notified) return {};
    if (reinterpret_cast<const xcb_selection_notify_event_t*>(notified.get())->property == XCB_NONE)
        return {};

    // First only the type and size, so nothing over the limit is ever transferred.
    const auto head = reply(xcb_get_property_reply(
        m_connection, xcb_get_property(m_connection, 0, m_window, m_property, anyPropertyType, 0, 0),
        nullptr));
    if (!head) return {};
    if (head->type == m_incr) return receiveIncrementally(limit);
    if (qint64(head->bytes_after) > limit) {
        xcb_delete_property(m_connection, m_window, m_property);
        xcb_flush(m_connection);
        return {ClipboardData::Status::tooLarge, {}};
    }
    const uint32_t words = (head->bytes_after + 3) / 4;
    const auto whole = reply(xcb_get_property_reply(
        m_connection, xcb_get_property(m_connection, 1, m_window, m_property, anyPropertyType, 0, words),
        nullptr));
    if (!whole) return {};
    const int length = xcb_get_property_value_length(whole.get());
    return {ClipboardData::Status::ok,
            QByteArray(static_cast<const char*>(xcb_get_property_value(whole.get())), length)};
}

ClipboardData X11ClipboardReader::receiveIncrementally(qint64 limit) {
    // Deleting the INCR property tells the owner to send the first chunk.
    xcb_delete_property(m_connection, m_window, m_property);
    xcb_flush(m_connection);
    QByteArray received;
    for (;;) {
        const Event chunk = waitFor(
            [&](const xcb_generic_event_t* event) {
                if (eventType(event) != XCB_PROPERTY_NOTIFY) return false;
                const auto* notify = reinterpret_cast<const xcb_property_notify_event_t*>(event);
                return notify->window == m_window && notify->atom == m_property &&
                       notify->state == XCB_PROPERTY_NEW_VALUE;
            },
            QDeadlineTimer(requestTimeoutMs));
        if (!chunk) return {};
        const auto head = reply(xcb_get_property_reply(
            m_connection, xcb_get_property(m_connection, 0, m_window, m_property, anyPropertyType, 0, 0),
            nullptr));
        if (!head) return {};
        if (received.size() + qint64(head->bytes_after) > limit) {
            // Left undeleted, the owner gives up on its own; later requests use another
            // property, so a late chunk cannot land in their answer.
            m_property = atom("VESK_CLIPBOARD_DATA_" + QByteArray::number(++m_abandoned % 4));
            return {ClipboardData::Status::tooLarge, {}};
        }
        const uint32_t words = (head->bytes_after + 3) / 4;
        const auto part = reply(xcb_get_property_reply(
            m_connection, xcb_get_property(m_connection, 1, m_window, m_property, anyPropertyType, 0, words),
            nullptr));
        xcb_flush(m_connection);
        if (!part) return {};
        const int length = xcb_get_property_value_length(part.get());
        if (length == 0) return {ClipboardData::Status::ok, received};
        received.append(static_cast<const char*>(xcb_get_property_value(part.get())), length);
    }
}

X11ClipboardReader::Event
X11ClipboardReader::waitFor(const std::function<bool(const xcb_generic_event_t*)>& matches,
                            QDeadlineTimer deadline) {
    for (;;) {
        while (xcb_generic_event_t* raw = xcb_poll_for_event(m_connection)) {
            Event event(raw, std::free);
            if (matches(raw)) return event;
        }
        if (xcb_connection_has_error(m_connection) || m_interrupted) return Event(nullptr, std::free);
        const qint64 left = deadline.remainingTime();
        if (left == 0) return Event(nullptr, std::free);
        pollfd descriptor{xcb_get_file_descriptor(m_connection), POLLIN, 0};
        ::poll(&descriptor, 1, int(std::min<qint64>(left < 0 ? interruptCheckMs : left, interruptCheckMs)));
    }
}

void X11ClipboardReader::discardPendingEvents() {
    while (xcb_generic_event_t* raw = xcb_poll_for_event(m_connection))
        std::free(raw);
}

} // namespace vesk
