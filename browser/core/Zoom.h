#pragma once
// The zoom of a page, in the steps browsers use: Ctrl++ and Ctrl+- go one
// step, Ctrl+0 back to 100 %.
#include <QtGlobal>

namespace Zoom {

constexpr qreal Normal = 1.0;
constexpr qreal Minimum = 0.25;
constexpr qreal Maximum = 5.0;

// The next step above or below; a factor between steps goes to the nearest
// step in that direction; at either end it stays.
qreal larger(qreal factor);
qreal smaller(qreal factor);
// As a percentage for the user, e.g. "125 %".
int percent(qreal factor);

} // namespace Zoom
