#pragma once

#include <QMargins>

#include <optional>

class QWindow;

namespace pulsefir::ui {

// The margins of the frame that the window manager has put around a shown top-level window, as
// it announces them (on X11 the frame extents it sets on the window): nothing until it has. Where
// no such announcement exists (another platform, or a window manager that does not announce
// frames), the platform's own reading of the frame, once it shows one.
std::optional<QMargins> announcedFrameMargins(const QWindow &window);

} // namespace pulsefir::ui
