// What pages ask of their window, with the real engine and pages served on
// 127.0.0.1 by the test: sign-in, bad certificates, permissions, full screen
// and printing.
#include "browser/engine/PageQuestions.h"
#include "browser/engine/QtWebView.h"
#include "browser/ui/PromptArea.h"
#include "browser/engine/QtWebViewFactory.h"
#include "browser/ui/CertificatePrompt.h"
#include "browser/ui/PermissionBar.h"
#include "common/ui/SignInDialog.h"
#include "browser/ui/frmBrowser.h"
#include "favorites/core/FavoritesFile.h"
#include "shell/core/Module1.h"
#include "shell/ui/frmMain.h"
#include "support/EngineTest.h"
#include "support/Files.h"
#include "support/FakeDialogs.h"
#include "support/MemorySettingsStore.h"
#include "support/TestServer.h"

#include <QLabel>
#include <QLineEdit>
#include <QPrinter>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>
#include <memory>

class tst_PageQuestions : public QObject
{
    Q_OBJECT
public:
    static void initMain() { prepareEngineTest(); }

private:
    TestServer server;
    TestServer other; // a second site: another port, another origin
    TestServer secure{TestServer::Https};
    TestServer secureLocal{TestServer::Https, QStringLiteral("localhost")};
    QWebEngineProfile *profile = nullptr;
    MemorySettingsStore store;
    FakeDialogs dialogs;
    std::unique_ptr<QtWebViewFactory> views;
    QTemporaryDir dir;

    static QString titleOf(QtWebView &view) { return view.engineView()->page()->title(); }

private slots:
    void initTestCase()
    {
        profile = new QWebEngineProfile(this);
        views = std::make_unique<QtWebViewFactory>(profile, store, dialogs);
        TestResponse auth;
        auth.body = "<html><head><title>Welcome page</title></head><body>in</body></html>";
        auth.basicAuth = "user:secret";
        auth.realm = "Staff <b>only</b>";
        auth.deniedBody = "<html><head><title>Denied page</title></head><body>no entry</body></html>";
        server.route("/auth", auth);
        server.page("/closer", "<html><head><title>closer</title></head><body>one entry</body></html>");
        server.page("/plain", "<html><head><title>Plain page</title></head><body>plain</body></html>");
        server.page("/mixed", "<html><head><title>mixed</title></head><body><img src='"
                                  + secureLocal.url("/img.png").toString().toUtf8()
                                  + "' onload=\"document.title='loaded'\" onerror=\"document.title='refused'\">"
                                    "</body></html>");
        const QByteArray notify = "<html><head><title>waiting</title></head><body><script>"
                                  "Notification.requestPermission().then(function (r) { document.title = r; });"
                                  "</script></body></html>";
        const QByteArray locate = "<html><head><title>waiting</title></head><body><script>"
                                  "navigator.geolocation.getCurrentPosition(function () { document.title = 'located'; },"
                                  "function (e) { document.title = 'refused ' + e.code; });</script></body></html>";
        server.page("/notify", notify);
        other.page("/notify", notify);
        other.page("/locate", locate);
        other.page("/plain", "<html><head><title>Plain page</title></head><body>plain</body></html>");
        server.page("/fs", "<html><head><title>fs</title></head><body style='margin:0'>"
                           "<button style='width:100%;height:300px' onclick=\"document.documentElement"
                           ".requestFullscreen().then(function () { document.title = 'full'; })\">go</button>"
                           "<script>document.addEventListener('fullscreenchange', function () {"
                           " if (!document.fullscreenElement) document.title = 'left'; });</script>"
                           "</body></html>");
        secure.page("/secure", "<html><head><title>Secure page</title></head><body>safe</body></html>");
        secureLocal.page("/img.png", "not really a picture");
    }
    void cleanupTestCase()
    {
        views.reset();
        delete profile;
    }
    void init()
    {
        dialogs = FakeDialogs();
    }

    // -- sign-in

    void signInCancelledShowsTheServersPage()
    {
        dialogs.credentials.reset();
        auto view = newView(*views);
        view->Navigate2(server.url("/auth").toString());
        QTRY_COMPARE_WITH_TIMEOUT(titleOf(*view), QString("Denied page"), 20000);
        QCOMPARE(dialogs.signIns.size(), 1);
        QCOMPARE(dialogs.signIns.first().host, SiteAnswers::siteName(server.url("/")));
        QCOMPARE(dialogs.signIns.first().realm, QString("Staff <b>only</b>"));
        QVERIFY(!dialogs.signIns.first().proxy);
    }

    void signInWithCredentials()
    {
        dialogs.credentials = SignInCredentials{"user", "secret"};
        auto view = newView(*views);
        view->Navigate2(server.url("/auth").toString());
        QTRY_COMPARE_WITH_TIMEOUT(titleOf(*view), QString("Welcome page"), 20000);
        QCOMPARE(dialogs.signIns.size(), 1);
    }

    void signInDialogShowsTheServersWordsAsText()
    {
        SignInDialog dialog({"example.org", "<b>Realm</b> & co", false}, nullptr);
        QStringList texts;
        for (QLabel *label : dialog.findChildren<QLabel *>()) {
            if (label->text().contains("Realm")) {
                QCOMPARE(label->textFormat(), Qt::PlainText);
                texts << label->text();
            }
        }
        QCOMPARE(texts, QStringList{"The site says: \"<b>Realm</b> & co\""});
        QCOMPARE(dialog.password->echoMode(), QLineEdit::Password);
        dialog.user->setText("me");
        dialog.password->setText("pw");
        QCOMPARE(dialog.credentials().user, QString("me"));
        QCOMPARE(dialog.credentials().password, QString("pw"));
    }

    // -- certificates

    void subResourceWithBadCertificateIsRefusedSilently()
    {
        auto view = newView(*views);
        view->Navigate2(server.url("/mixed").toString());
        QTRY_COMPARE_WITH_TIMEOUT(titleOf(*view), QString("refused"), 20000);
        QVERIFY(!view->promptArea()->certificatePrompt());
        QVERIFY(!secureLocal.requests.contains("/img.png"));
    }

    void badCertificateGoBack()
    {
        auto view = newView(*views);
        QVERIFY(load(*view, server.url("/plain").toString()));
        view->Navigate2(secure.url("/secure").toString());
        QTRY_VERIFY_WITH_TIMEOUT(view->promptArea()->certificatePrompt(), 20000);
        CertificatePrompt *prompt = view->promptArea()->certificatePrompt();
        QVERIFY(prompt->isVisible());
        QCOMPARE(prompt->geometry(), view->rect()); // over the page, in its window
        QVERIFY(prompt->goBack->isDefault());
        QVERIFY(prompt->proceed);
        const QString problem = prompt->findChild<QLabel *>("problem")->text();
        QVERIFY2(problem.contains("not trusted") || problem.contains("not valid"), qPrintable(problem));
        bool named = false;
        for (QLabel *label : prompt->findChildren<QLabel *>())
            named = named || label->text().contains(SiteAnswers::siteName(secure.url("/")));
        QVERIFY(named);
        QVERIFY(secure.requests.isEmpty()); // nothing was asked of the site
        prompt->goBack->click();
        QVERIFY(!view->promptArea()->certificatePrompt());
        QTRY_COMPARE_WITH_TIMEOUT(view->LocationURL(), server.url("/plain").toString(), 20000);
        QTRY_COMPARE_WITH_TIMEOUT(titleOf(*view), QString("Plain page"), 20000);
        QVERIFY(secure.requests.isEmpty());
    }

    void badCertificateContinueIsRemembered()
    {
        auto view = newView(*views);
        view->Navigate2(secure.url("/secure").toString());
        QTRY_VERIFY_WITH_TIMEOUT(view->promptArea()->certificatePrompt(), 20000);
        // Asked again: "Go back" earlier was not remembered.
        view->promptArea()->certificatePrompt()->proceed->click();
        QTRY_COMPARE_WITH_TIMEOUT(titleOf(*view), QString("Secure page"), 20000);
        QVERIFY(secure.requests.contains("/secure"));
        // Another window, same host: no question until the program ends.
        auto second = newView(*views);
        QVERIFY(load(*second, secure.url("/secure").toString()));
        QCOMPARE(titleOf(*second), QString("Secure page"));
        QVERIFY(!second->promptArea()->certificatePrompt());
    }

    void promptWhereTheEngineAllowsNoOverride()
    {
        CertificatePrompt prompt("example.org", "the certificate was revoked", false, nullptr);
        QVERIFY(!prompt.proceed);
        QSignalSpy back(&prompt, &CertificatePrompt::goBackChosen);
        prompt.show();
        QTest::keyClick(&prompt, Qt::Key_Return);
        QCOMPARE(back.size(), 1);
    }

    // -- permissions

    void permissionAnsweredHoldsForTheSite()
    {
        auto view = newView(*views);
        PermissionBar *bar = view->promptArea()->permissionBar();
        view->Navigate2(server.url("/notify").toString());
        QTRY_COMPARE_WITH_TIMEOUT(bar->pending(), 1, 20000);
        QVERIFY(bar->isVisible());
        QCOMPARE(bar->text->text(), SiteAnswers::siteName(server.url("/")) + " wants to show notifications.");
        QVERIFY(bar->deny->isDefault());
        // The page makes room for the bar above it.
        QCOMPARE(view->engineView()->geometry().top(), bar->geometry().bottom() + 1);
        QCOMPARE(titleOf(*view), QString("waiting"));
        bar->deny->click();
        QTRY_COMPARE_WITH_TIMEOUT(titleOf(*view), QString("denied"), 20000);
        QVERIFY(bar->isHidden());
        QCOMPARE(view->engineView()->geometry(), view->rect());

        // Another window of the same site hears the same answer unasked.
        auto second = newView(*views);
        second->Navigate2(server.url("/notify").toString());
        QTRY_COMPARE_WITH_TIMEOUT(titleOf(*second), QString("denied"), 20000);
        QVERIFY(second->promptArea()->permissionBar()->isHidden());

        // Another site is asked for itself.
        auto third = newView(*views);
        PermissionBar *thirdBar = third->promptArea()->permissionBar();
        third->Navigate2(other.url("/notify").toString());
        QTRY_COMPARE_WITH_TIMEOUT(thirdBar->pending(), 1, 20000);
        thirdBar->allow->click();
        QTRY_COMPARE_WITH_TIMEOUT(titleOf(*third), QString("granted"), 20000);
    }

    void unansweredPermissionGoesWithThePage()
    {
        auto view = newView(*views);
        PermissionBar *bar = view->promptArea()->permissionBar();
        view->Navigate2(other.url("/locate").toString());
        QTRY_COMPARE_WITH_TIMEOUT(bar->pending(), 1, 20000);
        QCOMPARE(bar->text->text(), SiteAnswers::siteName(other.url("/")) + " wants to know your location.");
        // Leaving the page answers No; nothing is remembered for it.
        QVERIFY(load(*view, other.url("/plain").toString()));
        QCOMPARE(bar->pending(), 0);
        QVERIFY(bar->isHidden());
        view->Navigate2(other.url("/locate").toString());
        QTRY_COMPARE_WITH_TIMEOUT(bar->pending(), 1, 20000);
        // And nobody answering in time is a No too.
        bar->setTimeout(200);
        bar->withdraw(other.url("/"), PagePermission::Location);
        QVERIFY(load(*view, other.url("/plain").toString()));
        view->Navigate2(other.url("/locate").toString());
        QTRY_COMPARE_WITH_TIMEOUT(titleOf(*view), QString("refused 1"), 20000);
        QCOMPARE(bar->pending(), 0);
    }

    // -- full screen

    void fullScreenAndBack()
    {
        QWidget window;
        window.resize(700, 500);
        auto view = newView(*views, &window);
        view->setGeometry(10, 20, 500, 400);
        window.show();
        const QRect windowPlace = window.geometry();
        QVERIFY(load(*view, server.url("/fs").toString()));
        QWebEngineView *engine = view->engineView();
        for (int round = 0; round < 2; ++round) {
            // A click: the page may go full screen only on the user's gesture.
            // A page just loaded may not take input yet: click until it does.
            for (int tries = 0; tries < 20 && !view->questions()->isFullScreen(); ++tries) {
                QTest::mouseClick(engine->focusProxy(), Qt::LeftButton, {}, QPoint(50, 50));
                (void)QTest::qWaitFor([&] { return view->questions()->isFullScreen(); }, 1000);
            }
            QVERIFY2(view->questions()->isFullScreen(), qPrintable(QString::number(round)));
            QTRY_COMPARE_WITH_TIMEOUT(titleOf(*view), QString("full"), 20000);
            QVERIFY(engine->window() != &window);
            QVERIFY(engine->window()->isFullScreen());
            if (round == 0)
                QTest::keyClick(engine->focusProxy(), Qt::Key_Escape);
            else
                engine->page()->runJavaScript("document.exitFullscreen();");
            QTRY_VERIFY_WITH_TIMEOUT(!view->questions()->isFullScreen(), 20000);
            QTRY_COMPARE_WITH_TIMEOUT(titleOf(*view), QString("left"), 20000);
            QCOMPARE(engine->parentWidget(), view.get());
            QCOMPARE(engine->geometry(), view->rect());
            QCOMPARE(view->geometry(), QRect(10, 20, 500, 400));
            QCOMPARE(window.geometry(), windowPlace);
            engine->page()->runJavaScript("document.title = 'fs';");
            QTRY_COMPARE_WITH_TIMEOUT(titleOf(*view), QString("fs"), 20000);
        }
        view.reset();
    }

    // -- closing

    // The engine lets a page with one history entry close its tab; a browser
    // window of the host is not the page's to close.
    void pageCannotCloseABrowserWindow()
    {
        store.values.insert("Lumeno2/Internet/HomePage", server.url("/closer").toString());
        Module1::resetSharedState();
        Favorites::setProgramDirectory(dir.path());
        const auto host = startHost(store, *views, dialogs);
        QCOMPARE(host->browserWindows().size(), 1);
        frmBrowser *w = host->browserWindows().first();
        QSignalSpy closeAsked(pageOf(w), &QWebEnginePage::windowCloseRequested);
        QTRY_COMPARE_WITH_TIMEOUT(pageOf(w)->title(), QString("closer"), 20000);
        pageOf(w)->runJavaScript("window.close();");
        QVERIFY(closeAsked.wait(5000)); // the engine did ask
        QCoreApplication::processEvents();
        QCOMPARE(host->browserWindows().size(), 1);
        QVERIFY(w->isVisible());
        host->close();
        store.values.remove("Lumeno2/Internet/HomePage");
    }

    // -- printing

    void savedAsPdf()
    {
        auto view = newView(*views);
        QVERIFY(load(*view, server.url("/plain").toString()));
        QSignalSpy saved(view.get(), &WebView::PdfSaved);
        const QString path = dir.filePath("page.pdf");
        view->SaveAsPdf(path);
        QVERIFY(saved.wait(20000));
        QCOMPARE(saved.first().at(0).toString(), path);
        QCOMPARE(saved.first().at(1).toBool(), true);
        QVERIFY(bytesOf(path).startsWith("%PDF"));
        QVERIFY(dialogs.messages.isEmpty());
    }

    void pdfThatCannotBeWrittenIsToldAndKeepsNothing()
    {
        auto view = newView(*views);
        QVERIFY(load(*view, server.url("/plain").toString()));
        QSignalSpy saved(view.get(), &WebView::PdfSaved);
        const QString path = dir.filePath("no such folder/page.pdf");
        view->SaveAsPdf(path);
        QVERIFY(saved.wait(20000));
        QCOMPARE(saved.first().at(1).toBool(), false);
        QCOMPARE(dialogs.messages.size(), 1);
        QVERIFY(dialogs.messages.first().text.contains(path));
        QVERIFY(!QFile::exists(path));
    }

    void printedThroughThePrintDialog()
    {
        auto view = newView(*views);
        QVERIFY(load(*view, server.url("/plain").toString()));
        const QString path = dir.filePath("printed.pdf");
        bool accept = false;
        int asked = 0;
        // "Print to File (PDF)" on A5, across.
        dialogs.printerSetUp = [&](QWidget *, QPrinter *printer) {
            ++asked;
            printer->setOutputFormat(QPrinter::PdfFormat);
            printer->setOutputFileName(path);
            printer->setPageSize(QPageSize(QPageSize::A5));
            printer->setPageOrientation(QPageLayout::Landscape);
            return accept;
        };
        view->Print(); // cancelled in the dialog
        QCOMPARE(asked, 1);
        QTest::qWait(200);
        QVERIFY(!QFile::exists(path));
        accept = true;
        view->Print();
        QTRY_VERIFY_WITH_TIMEOUT(bytesOf(path).startsWith("%PDF") && bytesOf(path).trimmed().endsWith("%%EOF"), 20000);
        QCOMPARE(asked, 2);
        QVERIFY(dialogs.messages.isEmpty());
        // The engine's own PDF: the page's text in a font, no page painted
        // as a picture at the printer's resolution, and the paper chosen
        // (A5 across is 595 x 420 points).
        const QByteArray pdf = bytesOf(path);
        QVERIFY(pdf.contains("/FontFile"));
        QVERIFY(!pdf.contains("/Subtype /Image"));
        const QRegularExpressionMatch box = QRegularExpression(QStringLiteral("/MediaBox \\[0 0 ([0-9.]+) ([0-9.]+)\\]"))
                                                .match(QString::fromLatin1(pdf));
        QVERIFY(box.hasMatch());
        QVERIFY(qAbs(box.captured(1).toDouble() - 595) < 2 && qAbs(box.captured(2).toDouble() - 420) < 2);
    }
};

QTEST_MAIN(tst_PageQuestions)
#include "tst_pagequestions.moc"
