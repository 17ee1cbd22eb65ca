// The window manager's frame around a window that has not been mapped yet.
#pragma once

#include <QMargins>

#include <optional>

class QWidget;

namespace hop::shell {

// Asks the window manager how wide the frame of `window` will be once it is shown
// (in the window's logical pixels). Nothing where the platform cannot tell before mapping.
std::optional<QMargins> askFrameExtents(QWidget* window);

} // namespace hop::shell
