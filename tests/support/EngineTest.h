#pragma once
// The environment of a test that runs the real engine: headless, without
// Chromium's sandbox when run as root, and set up as the program sets it up.
#include "browser/engine/QtWebView.h"

#include <QtGlobal>
#include <unistd.h>

inline void prepareEngineTest()
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    if (geteuid() == 0)
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QtWebView::prepareEnvironment();
}
