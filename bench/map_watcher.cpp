// The start-up benchmark's clock: prints one line for every top-level window the X server maps,
// "<CLOCK_MONOTONIC seconds> <title>", the moment the server tells of it. Unlike polling from
// outside, this sees the map as the server performs it, to the millisecond. "ready" comes first,
// once the watch is in place.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <xcb/xcb.h>

namespace {

xcb_atom_t Atom(xcb_connection_t* connection, const char* name)
{
    xcb_intern_atom_reply_t* reply =
        xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 0, std::strlen(name), name), nullptr);
    xcb_atom_t atom = XCB_ATOM_NONE;
    if (reply != nullptr) {
        atom = reply->atom;
    }
    std::free(reply);
    return atom;
}

std::string Title(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t name, xcb_atom_t type)
{
    xcb_get_property_reply_t* reply =
        xcb_get_property_reply(connection, xcb_get_property(connection, 0, window, name, type, 0, 256), nullptr);
    std::string title;
    if (reply != nullptr) {
        title.assign(static_cast<const char*>(xcb_get_property_value(reply)),
                     static_cast<size_t>(xcb_get_property_value_length(reply)));
    }
    std::free(reply);
    return title;
}

} // namespace

int main()
{
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection) != 0) {
        std::fputs("map_watcher: no display\n", stderr);
        return 1;
    }
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_request_check(connection, xcb_change_window_attributes_checked(connection, root, XCB_CW_EVENT_MASK, &mask));
    const xcb_atom_t netName = Atom(connection, "_NET_WM_NAME");
    const xcb_atom_t utf8 = Atom(connection, "UTF8_STRING");
    std::puts("ready");
    std::fflush(stdout);
    while (xcb_generic_event_t* event = xcb_wait_for_event(connection)) {
        if ((event->response_type & 0x7f) == XCB_MAP_NOTIFY) {
            timespec now{};
            clock_gettime(CLOCK_MONOTONIC, &now);
            const auto* map = reinterpret_cast<xcb_map_notify_event_t*>(event);
            std::string title = Title(connection, map->window, netName, utf8);
            if (title.empty()) {
                title = Title(connection, map->window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING);
            }
            std::printf("%ld.%09ld %s\n", static_cast<long>(now.tv_sec), now.tv_nsec, title.c_str());
            std::fflush(stdout);
        }
        std::free(event);
    }
    return 0;
}
