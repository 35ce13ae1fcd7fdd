#pragma once
// A top-level window's stored size, brought within the screen it is on.
class QWidget;

namespace ScreenFit {

// A size stored on another screen, or damaged, must not put the window's
// bottom out of reach nor leave it too small to use: the window is made to
// fit the screen's free area (never smaller than 480 x 360 or its own
// minimum) and moved into it when it stands outside.
void fit(QWidget *window);

} // namespace ScreenFit
