#include "window_frame.h"

#include <QGuiApplication>
#include <QWindow>

#include <cstdint>
#include <cstdlib>
#include <memory>

#if PULSEFIR_HAVE_XCB
#include <xcb/xcb.h>
#endif

namespace pulsefir::ui {

namespace {

// Qt's reading of the frame: before the window manager has framed the window it shows none, and
// while the window is being reparented it can show a frame of 1 x 1 pixels (negative margins) or
// one whose client still sits at its corner.
std::optional<QMargins> platformFrameMargins(const QWindow &window) {
    const QMargins m = window.frameMargins();
    if (m.isNull() || m.left() < 0 || m.top() < 0 || m.right() < 0 || m.bottom() < 0)
        return std::nullopt;
    return m;
}

#if PULSEFIR_HAVE_XCB
struct FreeReply {
    void operator()(void *reply) const { std::free(reply); }
};
template <typename T> using Reply = std::unique_ptr<T, FreeReply>;

xcb_atom_t atom(xcb_connection_t *c, const char *name, std::uint16_t length) {
    const Reply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, length, name), nullptr));
    return reply ? reply->atom : XCB_ATOM_NONE;
}

// Whether the running window manager announces frame extents (it lists them among the hints it
// supports on the root window).
bool announcesFrames(xcb_connection_t *c, xcb_window_t root, xcb_atom_t supported, xcb_atom_t extents) {
    constexpr std::uint32_t MaxAtoms = 4096;
    const Reply<xcb_get_property_reply_t> reply(
        xcb_get_property_reply(c, xcb_get_property(c, 0, root, supported, XCB_ATOM_ATOM, 0, MaxAtoms), nullptr));
    if (!reply || reply->format != 32)
        return false;
    const auto *atoms = static_cast<const xcb_atom_t *>(xcb_get_property_value(reply.get()));
    const int count = xcb_get_property_value_length(reply.get()) / 4;
    for (int k = 0; k < count; ++k)
        if (atoms[k] == extents)
            return true;
    return false;
}
#endif

} // namespace

std::optional<QMargins> announcedFrameMargins(const QWindow &window) {
#if PULSEFIR_HAVE_XCB
    auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t *c = x11 ? x11->connection() : nullptr;
    if (c && window.handle()) {
        static const char ExtentsName[] = "_NET_FRAME_EXTENTS";
        static const char SupportedName[] = "_NET_SUPPORTED";
        const xcb_atom_t extents = atom(c, ExtentsName, sizeof ExtentsName - 1);
        const xcb_atom_t supported = atom(c, SupportedName, sizeof SupportedName - 1);
        const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
        if (extents != XCB_ATOM_NONE && announcesFrames(c, root, supported, extents)) {
            const auto id = static_cast<xcb_window_t>(window.winId());
            const Reply<xcb_get_property_reply_t> reply(
                xcb_get_property_reply(c, xcb_get_property(c, 0, id, extents, XCB_ATOM_CARDINAL, 0, 4), nullptr));
            if (!reply || reply->format != 32 || xcb_get_property_value_length(reply.get()) != 16)
                return std::nullopt; // not framed yet
            // Left, right, top, bottom, in pixels.
            const auto *v = static_cast<const std::uint32_t *>(xcb_get_property_value(reply.get()));
            return QMargins(static_cast<int>(v[0]), static_cast<int>(v[2]), static_cast<int>(v[1]),
                            static_cast<int>(v[3]));
        }
    }
#endif
    return platformFrameMargins(window);
}

} // namespace pulsefir::ui
