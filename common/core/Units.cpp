#include "common/core/Units.h"

#include <QLocale>
#include <cmath>
#include <limits>

namespace Units {

qint32 toPixels(qint32 twips)
{
    return roundHalfEven(double(twips) / TwipsPerPixel);
}

qint32 toTwips(qint32 pixels)
{
    return pixels * TwipsPerPixel;
}

qint32 roundHalfEven(double value)
{
    constexpr double lo = std::numeric_limits<qint32>::min();
    constexpr double hi = std::numeric_limits<qint32>::max();
    if (std::isnan(value))
        return 0;
    // nearbyint follows the default rounding mode, which is to nearest, ties to even.
    const double r = std::nearbyint(value);
    if (r <= lo)
        return std::numeric_limits<qint32>::min();
    if (r >= hi)
        return std::numeric_limits<qint32>::max();
    return static_cast<qint32>(r);
}

std::optional<double> parseNumber(const QString &text)
{
    bool ok = false;
    const double value = QLocale::c().toDouble(text.trimmed(), &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

} // namespace Units
