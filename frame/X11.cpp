#include "frame/X11.h"

#include <xcb/xcb.h>

#include <QGuiApplication>
#include <cstring>
#include <memory>
#include <string_view>

namespace {

constexpr std::string_view kMessengerTitle = "Parlo Messenger";
constexpr uint32_t kIconicState = 3;

template <typename T>
using Reply = std::unique_ptr<T, decltype(&std::free)>;

xcb_atom_t Atom(xcb_connection_t* c, const char* name) {
    Reply<xcb_intern_atom_reply_t> reply(
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(std::strlen(name)), name), nullptr),
        &std::free);
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

// The window's title, UTF-8 (_NET_WM_NAME) before the legacy name.
bool HasTitle(xcb_connection_t* c, xcb_window_t w, xcb_atom_t netName, xcb_atom_t utf8) {
    for (const auto& [property, type] :
         {std::pair{netName, utf8}, {XCB_ATOM_WM_NAME, XCB_ATOM_STRING}}) {
        Reply<xcb_get_property_reply_t> reply(
            xcb_get_property_reply(c, xcb_get_property(c, 0, w, property, type, 0, 64), nullptr),
            &std::free);
        if (!reply || reply->format != 8) continue;
        const std::string_view title(static_cast<const char*>(xcb_get_property_value(reply.get())),
                                     size_t(xcb_get_property_value_length(reply.get())));
        return title == kMessengerTitle;
    }
    return false;
}

xcb_connection_t* Connection() {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

}  // namespace

bool LeftButtonDown() {
    xcb_connection_t* c = Connection();
    if (!c) return true;
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    if (!screen) return true;
    Reply<xcb_query_pointer_reply_t> pointer(
        xcb_query_pointer_reply(c, xcb_query_pointer(c, screen->root), nullptr), &std::free);
    return !pointer || (pointer->mask & XCB_BUTTON_MASK_1);
}

void MinimiseMessenger() {
    xcb_connection_t* c = Connection();
    if (!c) return;
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    if (!screen) return;
    const xcb_atom_t clientList = Atom(c, "_NET_CLIENT_LIST");
    const xcb_atom_t netName = Atom(c, "_NET_WM_NAME");
    const xcb_atom_t utf8 = Atom(c, "UTF8_STRING");
    const xcb_atom_t changeState = Atom(c, "WM_CHANGE_STATE");
    if (clientList == xcb_atom_t(XCB_ATOM_NONE) || changeState == xcb_atom_t(XCB_ATOM_NONE)) return;
    Reply<xcb_get_property_reply_t> list(
        xcb_get_property_reply(
            c, xcb_get_property(c, 0, screen->root, clientList, XCB_ATOM_WINDOW, 0, 4096), nullptr),
        &std::free);
    if (!list || list->format != 32) return;
    const auto* windows = static_cast<const xcb_window_t*>(xcb_get_property_value(list.get()));
    const int count = xcb_get_property_value_length(list.get()) / 4;
    for (int i = 0; i < count; ++i) {
        if (!HasTitle(c, windows[i], netName, utf8)) continue;
        // The window manager iconifies a window asked to by this message (ICCCM 4.1.4).
        xcb_client_message_event_t event{};
        event.response_type = XCB_CLIENT_MESSAGE;
        event.format = 32;
        event.window = windows[i];
        event.type = changeState;
        event.data.data32[0] = kIconicState;
        xcb_send_event(c, 0, screen->root,
                       XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                       reinterpret_cast<const char*>(&event));
    }
    xcb_flush(c);
}
