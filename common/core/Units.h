#pragma once
// The units the forms are designed in: twips, 15 to a pixel at 96 dpi, and
// the rounding every conversion of a stored or designed size uses.
#include <QString>
#include <QtGlobal>
#include <optional>

struct TwipRect
{
    qint32 Left = 0;
    qint32 Top = 0;
    qint32 Width = 0;
    qint32 Height = 0;
    friend bool operator==(const TwipRect &, const TwipRect &) = default;
};

namespace Units {

constexpr qint32 TwipsPerPixel = 15;

qint32 toPixels(qint32 twips);
qint32 toTwips(qint32 pixels);

// Nearest whole number, halves to the even neighbour; saturates at the ends of
// the signed 32-bit range.
qint32 roundHalfEven(double value);
// The number a text spells (blanks around it allowed), if it is a finite one.
std::optional<double> parseNumber(const QString &text);

} // namespace Units
