// Watches the top-level windows of an X display from outside and prints, one line each,
// what happens to them: mapped (with the owner's process id and the frame), moved or
// resized, repainted (X Damage), unmapped and destroyed. Every line starts with the
// CLOCK_MONOTONIC time in nanoseconds at which the event was read, so a driver can hold
// it against the moment it caused something.
//
// Commands on standard input, one a line:
//   snapshot <window> [file.ppm]   prints a hash of the window's pixels (and saves them)
//   click <x> <y>                  moves the pointer there and clicks the left button
//                                  (XTest); prints "clicked" once the server has it
//   move <x> <y>                   moves the pointer there (XTest); prints "moved"
//   key <keycode>                  presses and releases a key (XTest); prints "keyed"
//
// Repaints use the non-empty report level and re-arm after each event, so a burst of
// drawing between two reads shows as one "damage" line.
#include <xcb/damage.h>
#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <poll.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <sstream>
#include <string>

namespace {

struct Window {
    xcb_damage_damage_t damage = XCB_NONE;
    bool mapped = false;
    int x = 0, y = 0, width = 0, height = 0;
};

int64_t now() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return int64_t(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

template <typename T> using Reply = std::unique_ptr<T, decltype(&std::free)>;

template <typename T> Reply<T> reply(T* r) {
    return Reply<T>(r, &std::free);
}

class Watcher {
public:
    explicit Watcher(xcb_connection_t* c) : m_c(c) {
        m_screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
        m_pidAtom = atom("_NET_WM_PID");
        m_cmAtom = atom("_NET_WM_CM_S0");
    }

    bool start() {
        const auto* ext = xcb_get_extension_data(m_c, &xcb_damage_id);
        if (!ext || !ext->present) {
            std::fprintf(stderr, "xwatch: the X server has no DAMAGE extension\n");
            return false;
        }
        m_damageEvent = ext->first_event + XCB_DAMAGE_NOTIFY;
        auto version =
            reply(xcb_damage_query_version_reply(m_c, xcb_damage_query_version(m_c, 1, 1), nullptr));
        if (!version) return false;

        const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(m_c, m_screen->root, XCB_CW_EVENT_MASK, &mask);

        auto tree = reply(xcb_query_tree_reply(m_c, xcb_query_tree(m_c, m_screen->root), nullptr));
        if (tree) {
            const xcb_window_t* children = xcb_query_tree_children(tree.get());
            for (int i = 0; i < xcb_query_tree_children_length(tree.get()); ++i)
                adoptExisting(children[i]);
        }
        xcb_flush(m_c);
        return true;
    }

    // Waits up to `ms` for a compositing manager to own its selection.
    bool waitForCompositor(int ms) {
        for (int waited = 0;; waited += 50) {
            auto owner =
                reply(xcb_get_selection_owner_reply(m_c, xcb_get_selection_owner(m_c, m_cmAtom), nullptr));
            if (owner && owner->owner != XCB_NONE) return true;
            if (waited >= ms) return false;
            usleep(50 * 1000);
        }
    }

    void printReady(bool compositor) {
        std::printf("%" PRId64 " ready cm=%d screen=%dx%d\n", now(), compositor ? 1 : 0,
                    m_screen->width_in_pixels, m_screen->height_in_pixels);
    }

    int run() {
        pollfd fds[2] = {{xcb_get_file_descriptor(m_c), POLLIN, 0}, {STDIN_FILENO, POLLIN, 0}};
        bool stdinOpen = true;
        std::string pending;
        for (;;) {
            while (xcb_generic_event_t* event = xcb_poll_for_event(m_c)) {
                handle(event, now());
                std::free(event);
            }
            if (xcb_connection_has_error(m_c)) {
                std::fprintf(stderr, "xwatch: lost the X connection\n");
                return 1;
            }
            xcb_flush(m_c);
            std::fflush(stdout);
            const int ready = poll(fds, stdinOpen ? 2 : 1, -1);
            if (ready < 0 && errno != EINTR) return 1;
            if (stdinOpen && (fds[1].revents & (POLLIN | POLLHUP))) {
                char buffer[512];
                const ssize_t n = read(STDIN_FILENO, buffer, sizeof buffer);
                if (n <= 0) return 0; // the driver went away
                pending.append(buffer, size_t(n));
                for (size_t eol; (eol = pending.find('\n')) != std::string::npos;) {
                    command(pending.substr(0, eol));
                    pending.erase(0, eol + 1);
                }
            }
        }
    }

private:
    xcb_atom_t atom(const char* name) {
        auto r = reply(
            xcb_intern_atom_reply(m_c, xcb_intern_atom(m_c, 0, uint16_t(std::strlen(name)), name), nullptr));
        return r ? r->atom : XCB_NONE;
    }

    uint32_t pidOf(xcb_window_t window) {
        auto r = reply(xcb_get_property_reply(
            m_c, xcb_get_property(m_c, 0, window, m_pidAtom, XCB_ATOM_CARDINAL, 0, 1), nullptr));
        if (!r || r->format != 32 || xcb_get_property_value_length(r.get()) < 4) return 0;
        return *static_cast<const uint32_t*>(xcb_get_property_value(r.get()));
    }

    void track(xcb_window_t window, int x, int y, int width, int height) {
        Window& w = m_windows[window];
        w.x = x;
        w.y = y;
        w.width = width;
        w.height = height;
        if (w.damage == XCB_NONE) {
            w.damage = xcb_generate_id(m_c);
            xcb_damage_create(m_c, w.damage, window, XCB_DAMAGE_REPORT_LEVEL_NON_EMPTY);
        }
    }

    void adoptExisting(xcb_window_t window) {
        auto geometry = reply(xcb_get_geometry_reply(m_c, xcb_get_geometry(m_c, window), nullptr));
        auto attributes =
            reply(xcb_get_window_attributes_reply(m_c, xcb_get_window_attributes(m_c, window), nullptr));
        if (!geometry || !attributes) return;
        track(window, geometry->x, geometry->y, geometry->width, geometry->height);
        if (attributes->map_state == XCB_MAP_STATE_VIEWABLE) reportMap(window, now());
    }

    void reportMap(xcb_window_t window, int64_t t) {
        Window& w = m_windows[window];
        w.mapped = true;
        std::printf("%" PRId64 " map 0x%x %u %d %d %d %d\n", t, window, pidOf(window), w.x, w.y, w.width,
                    w.height);
    }

    void handle(xcb_generic_event_t* event, int64_t t) {
        const uint8_t type = event->response_type & 0x7f;
        if (type == m_damageEvent) {
            const auto* e = reinterpret_cast<xcb_damage_notify_event_t*>(event);
            xcb_damage_subtract(m_c, e->damage, XCB_NONE, XCB_NONE);
            const auto it = m_windows.find(e->drawable);
            if (it != m_windows.end() && it->second.mapped)
                std::printf("%" PRId64 " damage 0x%x %d %d %d %d\n", t, e->drawable, e->area.x, e->area.y,
                            e->area.width, e->area.height);
            return;
        }
        switch (type) {
        case XCB_CREATE_NOTIFY: {
            const auto* e = reinterpret_cast<xcb_create_notify_event_t*>(event);
            if (e->parent == m_screen->root) track(e->window, e->x, e->y, e->width, e->height);
            break;
        }
        case XCB_CONFIGURE_NOTIFY: {
            const auto* e = reinterpret_cast<xcb_configure_notify_event_t*>(event);
            const auto it = m_windows.find(e->window);
            if (it == m_windows.end()) break;
            Window& w = it->second;
            if (w.x == e->x && w.y == e->y && w.width == e->width && w.height == e->height) break;
            w.x = e->x;
            w.y = e->y;
            w.width = e->width;
            w.height = e->height;
            if (w.mapped)
                std::printf("%" PRId64 " configure 0x%x %d %d %d %d\n", t, e->window, w.x, w.y, w.width,
                            w.height);
            break;
        }
        case XCB_MAP_NOTIFY: {
            const auto* e = reinterpret_cast<xcb_map_notify_event_t*>(event);
            if (m_windows.count(e->window)) reportMap(e->window, t);
            break;
        }
        case XCB_UNMAP_NOTIFY: {
            const auto* e = reinterpret_cast<xcb_unmap_notify_event_t*>(event);
            const auto it = m_windows.find(e->window);
            if (it == m_windows.end()) break;
            it->second.mapped = false;
            std::printf("%" PRId64 " unmap 0x%x\n", t, e->window);
            break;
        }
        case XCB_DESTROY_NOTIFY: {
            const auto* e = reinterpret_cast<xcb_destroy_notify_event_t*>(event);
            const auto it = m_windows.find(e->window);
            if (it == m_windows.end()) break;
            // The server frees the damage object with its drawable.
            m_windows.erase(it);
            std::printf("%" PRId64 " destroy 0x%x\n", t, e->window);
            break;
        }
        default:
            break;
        }
    }

    void command(const std::string& line) {
        std::istringstream in(line);
        std::string verb, id, path;
        in >> verb >> id >> path;
        if (verb == "click" || verb == "move" || verb == "key") {
            fake(verb, std::atoi(id.c_str()), std::atoi(path.c_str()));
            return;
        }
        if (verb != "snapshot") {
            std::printf("%" PRId64 " error unknown command\n", now());
            return;
        }
        const auto window = xcb_window_t(std::strtoul(id.c_str(), nullptr, 0));
        snapshot(window, id, path);
    }

    // Input as a user's, through XTest; the time printed is when the server had the
    // release (a round trip after sending it), the clock the repaints are read on.
    void fake(const std::string& verb, int a, int b) {
        const xcb_window_t root = m_screen->root;
        if (verb == "click" || verb == "move")
            xcb_test_fake_input(m_c, XCB_MOTION_NOTIFY, 0, XCB_CURRENT_TIME, root, int16_t(a), int16_t(b), 0);
        if (verb == "click") {
            xcb_test_fake_input(m_c, XCB_BUTTON_PRESS, 1, XCB_CURRENT_TIME, root, 0, 0, 0);
            xcb_test_fake_input(m_c, XCB_BUTTON_RELEASE, 1, XCB_CURRENT_TIME, root, 0, 0, 0);
        } else if (verb == "key") {
            xcb_test_fake_input(m_c, XCB_KEY_PRESS, uint8_t(a), XCB_CURRENT_TIME, root, 0, 0, 0);
            xcb_test_fake_input(m_c, XCB_KEY_RELEASE, uint8_t(a), XCB_CURRENT_TIME, root, 0, 0, 0);
        }
        std::free(xcb_get_input_focus_reply(m_c, xcb_get_input_focus(m_c), nullptr));
        std::printf("%" PRId64 " %s\n", now(),
                    verb == "click"  ? "clicked"
                    : verb == "move" ? "moved"
                                     : "keyed");
    }

    // A hash of the window's own pixels (a redirected window's pixmap under a compositor).
    void snapshot(xcb_window_t window, const std::string& id, const std::string& path) {
        const auto it = m_windows.find(window);
        if (it == m_windows.end() || !it->second.mapped) {
            std::printf("%" PRId64 " snapshot %s none\n", now(), id.c_str());
            return;
        }
        const Window& w = it->second;
        xcb_generic_error_t* error = nullptr;
        auto image = reply(xcb_get_image_reply(m_c,
                                               xcb_get_image(m_c, XCB_IMAGE_FORMAT_Z_PIXMAP, window, 0, 0,
                                                             uint16_t(w.width), uint16_t(w.height), ~0u),
                                               &error));
        std::free(error);
        if (!image) {
            std::printf("%" PRId64 " snapshot %s none\n", now(), id.c_str());
            return;
        }
        const uint8_t* data = xcb_get_image_data(image.get());
        const int length = xcb_get_image_data_length(image.get());
        uint64_t hash = 1469598103934665603ull;
        for (int i = 0; i < length; ++i)
            hash = (hash ^ data[i]) * 1099511628211ull;
        if (!path.empty() && image->depth >= 24 && length >= w.width * w.height * 4) save(path, data, w);
        std::printf("%" PRId64 " snapshot %s %dx%d %016" PRIx64 "\n", now(), id.c_str(), w.width, w.height,
                    hash);
    }

    static void save(const std::string& path, const uint8_t* bgrx, const Window& w) {
        FILE* f = std::fopen(path.c_str(), "wb");
        if (!f) return;
        std::fprintf(f, "P6\n%d %d\n255\n", w.width, w.height);
        for (int i = 0; i < w.width * w.height; ++i) {
            const uint8_t rgb[3] = {bgrx[4 * i + 2], bgrx[4 * i + 1], bgrx[4 * i]};
            std::fwrite(rgb, 1, 3, f);
        }
        std::fclose(f);
    }

    xcb_connection_t* m_c;
    xcb_screen_t* m_screen = nullptr;
    xcb_atom_t m_pidAtom = XCB_NONE;
    xcb_atom_t m_cmAtom = XCB_NONE;
    uint8_t m_damageEvent = 0;
    std::map<xcb_window_t, Window> m_windows;
};

} // namespace

int main(int argc, char** argv) {
    int waitCompositorMs = 0;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--wait-compositor") == 0 && i + 1 < argc)
            waitCompositorMs = std::atoi(argv[++i]);
    }
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c)) {
        std::fprintf(stderr, "xwatch: cannot open the display\n");
        return 1;
    }
    Watcher watcher(c);
    if (!watcher.start()) return 1;
    watcher.printReady(watcher.waitForCompositor(waitCompositorMs));
    const int status = watcher.run();
    xcb_disconnect(c);
    return status;
}
