#pragma once
// Geometry of a browser window, in twips. Computed here and turned into
// pixels once, where the widgets are placed.
#include "common/core/Units.h"

namespace Layout {

using Units::TwipsPerPixel;
using Units::toPixels;
using Units::toTwips;
// The sizable border on each side of a browser window.
constexpr qint32 BorderTwips = 60;
constexpr qint32 MinWidth = 2025;  // 135 px
constexpr qint32 MinHeight = 1200; // 80 px
// Where a window goes when it had to be enlarged, and where the first one opens.
constexpr qint32 HomeLeft = 60;
constexpr qint32 HomeTop = 60;
constexpr qint32 StripHeight = 690;
constexpr qint32 TitleHeight = 300;

// The strip controls that never move.
constexpr TwipRect cmdBack{0, 360, 345, 285};
constexpr TwipRect cmdForward{360, 360, 345, 285};
constexpr TwipRect cmdStop{720, 360, 345, 285};
constexpr TwipRect cmdGoHome{1080, 360, 345, 285};
constexpr TwipRect cmdRefresh{1440, 360, 345, 285};
constexpr TwipRect lblCaption{1980, 390, 405, 225};
constexpr TwipRect txtURL{2400, 360, 3705, 255};
constexpr TwipRect cmdGo{6150, 360, 345, 285};
// The page's zoom, right of Go, while it is not 100 %.
constexpr TwipRect cmdZoom{6540, 360, 750, 285};
// Initial rectangles of the two controls that follow the right edge.
constexpr TwipRect cmdCloseDesign{0, 30, 255, 225};
constexpr TwipRect imgFavsDesign{0, 30, 210, 210};

// Client size from the outer size.
constexpr qint32 scaleSize(qint32 outer) { return outer - 2 * BorderTwips; }

// The outer size after the minimum is applied, and whether the window is moved
// to (HomeLeft, HomeTop) because of it. Exactly the minimum is left alone.
struct MinimumClamp
{
    qint32 Width;
    qint32 Height;
    bool heightClamped;
    bool widthClamped;
    bool moved() const { return heightClamped || widthClamped; }
};
MinimumClamp clampToMinimum(qint32 width, qint32 height);

// Where the controls that depend on the window's size go, for a client area of
// scaleWidth x scaleHeight, given the current sizes of the close button and of
// the favorites image.
struct BrowserLayout
{
    TwipRect cmdClose;
    TwipRect imgFavs;
    TwipRect lblTitle;
    TwipRect picStatus;
    TwipRect wb;
};
BrowserLayout layoutBrowser(qint32 scaleWidth, qint32 scaleHeight,
                            const TwipRect &cmdClose = cmdCloseDesign,
                            const TwipRect &imgFavs = imgFavsDesign);

} // namespace Layout
