#include "browser/QtWebView.h"
#include "shell/Settings.h"
#include "shell/frmMain.h"

#include <QApplication>
#include <QStandardPaths>
#include <QWebEngineProfile>

int main(int argc, char *argv[])
{
    QCoreApplication::setOrganizationName(Settings::AppName);
    QCoreApplication::setApplicationName(Settings::AppName);
    QCoreApplication::setApplicationVersion(QStringLiteral("%1.%2").arg(LUMENO_VERSION_MAJOR).arg(LUMENO_VERSION_MINOR));
    QtWebView::prepareEnvironment();
    QApplication app(argc, argv);
    app.setWindowIcon(QIcon(QStringLiteral(":/lumeno.xpm")));

    IniSettingsStore store;
    // Cookies, cache and history persist under the per-user data directory.
    QtWebViewFactory::removePendingSiteStorage(
        store, QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)
                   + QStringLiteral("/QtWebEngine/Default"));
    auto *profile = new QWebEngineProfile(QStringLiteral("Default"));
    int rc = 0;
    {
        QtWebViewFactory views(profile, store);
        frmMain host(store, views);
        QObject::connect(&host, &frmMain::unloaded, &app, &QApplication::quit, Qt::QueuedConnection);
        host.Form_Load();
        host.show();
        rc = app.exec();
    }
    // Pages are gone with the host; the profile goes last so its data is flushed.
    delete profile;
    return rc;
}
