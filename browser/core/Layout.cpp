#include "browser/core/Layout.h"

#include "shell/core/Settings.h"

namespace Layout {

qint32 toPixels(qint32 twips)
{
    return Settings::roundHalfEven(double(twips) / TwipsPerPixel);
}

qint32 toTwips(qint32 pixels)
{
    return pixels * TwipsPerPixel;
}

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
