#include "browser/core/Zoom.h"

#include <cmath>
#include <iterator>

namespace Zoom {

namespace {
constexpr qreal Steps[] = {0.25, 1.0 / 3, 0.5, 2.0 / 3, 0.75, 0.8, 0.9, 1.0,
                           1.1,  1.25,    1.5, 1.75,    2.0,  2.5, 3.0, 4.0, 5.0};
constexpr qreal Tolerance = 0.001;
} // namespace

qreal larger(qreal factor)
{
    for (qreal step : Steps) {
        if (step > factor + Tolerance)
            return step;
    }
    return Maximum;
}

qreal smaller(qreal factor)
{
    for (auto it = std::rbegin(Steps); it != std::rend(Steps); ++it) {
        if (*it < factor - Tolerance)
            return *it;
    }
    return Minimum;
}

int percent(qreal factor)
{
    return int(std::lround(factor * 100));
}

} // namespace Zoom
