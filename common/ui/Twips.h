#pragma once
// Where the forms meet the twips of their designs: the one conversion to
// pixels, and the designs' font.
#include "common/core/Units.h"

#include <QFont>
#include <QWidget>

namespace Twips {

inline QRect toPixels(const TwipRect &r)
{
    return {Units::toPixels(r.Left), Units::toPixels(r.Top), Units::toPixels(r.Width),
            Units::toPixels(r.Height)};
}

inline void place(QWidget *w, const TwipRect &r)
{
    w->setGeometry(toPixels(r));
}

// Arial, or the font the system gives for it (Liberation Sans has its metrics).
inline QFont arial(qreal points, bool bold = false)
{
    QFont f(QStringLiteral("Arial"));
    f.setStyleHint(QFont::SansSerif);
    f.setPointSizeF(points);
    f.setBold(bold);
    return f;
}

} // namespace Twips
