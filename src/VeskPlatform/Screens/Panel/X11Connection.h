#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <optional>

struct xcb_connection_t;

namespace vesk::x11 {

// Qt's own X connection, for the few requests Qt has no API for. Every helper here
// answers "nothing" on any other platform (offscreen tests, Wayland), so callers need
// no platform checks of their own. Main thread only.
struct Connection {
    xcb_connection_t* xcb = nullptr;
    int screenNumber = 0;
    uint32_t root = 0;
};

// The connection of the running xcb platform, or nothing.
std::optional<Connection> connection();

// The atom of `name`, interned once and remembered; 0 without a connection.
uint32_t atom(const QByteArray& name);

// A reply from xcb, which the caller frees with free().
struct FreeReply {
    void operator()(void* reply) const { std::free(reply); }
};
template <typename T> using Reply = std::unique_ptr<T, FreeReply>;

} // namespace vesk::x11
