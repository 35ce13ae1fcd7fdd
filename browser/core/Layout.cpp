#include "browser/core/Layout.h"

namespace Layout {

MinimumClamp clampToMinimum(qint32 width, qint32 height)
{
    MinimumClamp c{width, height, false, false};
    if (c.Height < MinHeight) {
        c.Height = MinHeight;
        c.heightClamped = true;
    }
    if (c.Width < MinWidth) {
        c.Width = MinWidth;
        c.widthClamped = true;
    }
    return c;
}

BrowserLayout layoutBrowser(qint32 scaleWidth, qint32 scaleHeight, const TwipRect &cmdClose,
                            const TwipRect &imgFavs)
{
    BrowserLayout l;
    l.cmdClose = {scaleWidth - (cmdClose.Width + 30), 30, cmdClose.Width, cmdClose.Height};
    l.imgFavs = {l.cmdClose.Left - (imgFavs.Width + 60), l.cmdClose.Top, imgFavs.Width,
                 imgFavs.Height};
    l.lblTitle = {0, 0, scaleWidth, TitleHeight};
    l.picStatus = {0, 0, scaleWidth, StripHeight};
    l.wb = {0, StripHeight, scaleWidth, scaleHeight - StripHeight};
    return l;
}

} // namespace Layout
