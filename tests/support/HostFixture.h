#pragma once
// A host on the fake page view and an empty settings store, loaded as the
// program loads it, with favorites kept in a directory of the test's own.
// Test classes inherit it beside QObject and call reset() from init().
#include "browser/ui/frmBrowser.h"
#include "favorites/core/FavoritesFile.h"
#include "history/core/HistoryStore.h"
#include "shell/core/Module1.h"
#include "shell/ui/frmMain.h"
#include "support/FakeDialogs.h"
#include "support/FakeWebView.h"
#include "support/MemorySettingsStore.h"

#include <QTemporaryDir>
#include <QTest>
#include <memory>

class HostFixture
{
public:
    std::unique_ptr<QTemporaryDir> favoritesDir;
    std::unique_ptr<MemorySettingsStore> store;
    std::unique_ptr<FakeWebViewFactory> views;
    std::unique_ptr<FakeDialogs> dialogs;
    // The history the host is given, when a test makes one before start().
    std::unique_ptr<HistoryStore> history;
    std::unique_ptr<frmMain> host;

    // A freshly started process: shared state zero, empty store, no
    // favorites file yet, no host yet.
    void reset()
    {
        host.reset();
        history.reset();
        views = std::make_unique<FakeWebViewFactory>();
        dialogs = std::make_unique<FakeDialogs>();
        store = std::make_unique<MemorySettingsStore>();
        favoritesDir = std::make_unique<QTemporaryDir>();
        Module1::resetSharedState();
        Favorites::setProgramDirectory(favoritesDir->path());
    }
    QString favoritesPath() const
    {
        return favoritesDir->filePath(Favorites::CurrentUserName() + QStringLiteral(".fav"));
    }

    // Loads and shows the host from the store as it stands; with active, waits
    // until it is the active window, so that focus moves as it would for a user.
    frmMain *start(bool active = true, const QString &markvault = QString())
    {
        host = std::make_unique<frmMain>(*store, *views, *dialogs);
        host->setMarkvaultPath(markvault);
        host->setHistory(history.get());
        host->Form_Load();
        host->show();
        if (active) {
            host->activateWindow();
            if (!QTest::qWaitForWindowActive(host.get()))
                qWarning("the host did not become active");
        }
        return host.get();
    }

    frmBrowser *firstWindow() const { return host->workspace()->findChild<frmBrowser *>(); }
    // The fake page view of a browser window.
    static FakeWebView *pageOf(frmBrowser *w) { return static_cast<FakeWebView *>(w->wb); }

    void finish()
    {
        host.reset();
        history.reset();
        views.reset();
        store.reset();
        dialogs.reset();
    }
};
