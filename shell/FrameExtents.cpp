// Under X11 a frame is only known once the window manager has framed a window;
// _NET_REQUEST_FRAME_EXTENTS makes it tell before the window is mapped, so the
// very first framed window can be centred by its outer size without a visible jump.
#include "shell/FrameExtents.h"

#include <QGuiApplication>
#include <QWidget>
#include <QWindow>

#if defined(HOPSTONE_HAS_XCB) && QT_CONFIG(xcb)
#include <QtGui/qguiapplication_platform.h>

#include <xcb/xcb.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>
#endif

namespace hop::shell {

#if defined(HOPSTONE_HAS_XCB) && QT_CONFIG(xcb)
namespace {

xcb_atom_t atom(xcb_connection_t* c, const char* name)
{
    xcb_intern_atom_reply_t* reply =
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(std::strlen(name)), name), nullptr);
    const xcb_atom_t a = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return a;
}

std::optional<QMargins> readExtents(xcb_connection_t* c, xcb_window_t window, xcb_atom_t extents)
{
    xcb_get_property_reply_t* reply =
        xcb_get_property_reply(c, xcb_get_property(c, 0, window, extents, XCB_ATOM_CARDINAL, 0, 4), nullptr);
    std::optional<QMargins> margins;
    if (reply && reply->format == 32 && xcb_get_property_value_length(reply) == 16) {
        const auto* v = static_cast<const uint32_t*>(xcb_get_property_value(reply));
        margins = QMargins(int(v[0]), int(v[2]), int(v[1]), int(v[3]));  // left, right, top, bottom
    }
    std::free(reply);
    return margins;
}

bool supported(xcb_connection_t* c, xcb_window_t root, xcb_atom_t wanted)
{
    const xcb_atom_t list = atom(c, "_NET_SUPPORTED");
    xcb_get_property_reply_t* reply =
        xcb_get_property_reply(c, xcb_get_property(c, 0, root, list, XCB_ATOM_ATOM, 0, 1024), nullptr);
    bool found = false;
    if (reply && reply->format == 32) {
        const auto* atoms = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply));
        const int n = xcb_get_property_value_length(reply) / 4;
        for (int i = 0; i < n && !found; ++i)
            found = atoms[i] == wanted;
    }
    std::free(reply);
    return found;
}

} // namespace
#endif

std::optional<QMargins> askFrameExtents(QWidget* window)
{
#if defined(HOPSTONE_HAS_XCB) && QT_CONFIG(xcb)
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* c = x11 ? x11->connection() : nullptr;
    if (!c)
        return std::nullopt;
    const auto id = xcb_window_t(window->winId());
    const xcb_atom_t request = atom(c, "_NET_REQUEST_FRAME_EXTENTS");
    const xcb_atom_t extents = atom(c, "_NET_FRAME_EXTENTS");
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    // Without a window manager that answers, there is no frame to wait for.
    if (request == XCB_ATOM_NONE || extents == XCB_ATOM_NONE || !supported(c, screen->root, request))
        return std::nullopt;
    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = id;
    message.type = request;
    xcb_send_event(c, 0, screen->root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&message));
    xcb_flush(c);
    // The answer is a property the window manager sets; a manager that ignores the
    // request leaves it unset, and the window is centred by the frame seen last.
    using namespace std::chrono;
    const auto deadline = steady_clock::now() + milliseconds(200);
    do {
        if (std::optional<QMargins> m = readExtents(c, id, extents)) {
            const qreal ratio = window->windowHandle() ? window->windowHandle()->devicePixelRatio() : 1.0;
            return QMargins(qRound(m->left() / ratio), qRound(m->top() / ratio), qRound(m->right() / ratio),
                            qRound(m->bottom() / ratio));
        }
        std::this_thread::sleep_for(milliseconds(1));
    } while (steady_clock::now() < deadline);
#else
    Q_UNUSED(window);
#endif
    return std::nullopt;
}

} // namespace hop::shell
