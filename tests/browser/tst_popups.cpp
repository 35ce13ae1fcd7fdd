// Page events and pop-up blocking with the real engine, in a whole host,
// against pages served on 127.0.0.1.
#include "browser/ui/AddressBox.h"
#include "browser/engine/PopupWindow.h"
#include "browser/engine/QtWebView.h"
#include "browser/engine/QtWebViewFactory.h"
#include "browser/ui/PopupStrip.h"
#include "downloads/core/DownloadList.h"
#include "support/Files.h"
#include "browser/ui/frmBrowser.h"
#include "favorites/core/FavoritesFile.h"
#include "history/core/HistoryStore.h"
#include "shell/core/Module1.h"
#include "shell/ui/StatusBar.h"
#include "shell/ui/frmMain.h"
#include "support/EngineTest.h"
#include "support/FakeDialogs.h"
#include "support/MemorySettingsStore.h"
#include "support/TestServer.h"

#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
#include <QMenu>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>
#include <QWebEngineNewWindowRequest>
#include <QWebEngineHistory>
#include <memory>
#include <unistd.h>

namespace {
// A link that fills the top-left corner of the page, where the test clicks.
const QByteArray bigLink = "style='display:block;position:absolute;left:0;top:0;width:300px;"
                           "height:150px;background:#ccc'";
} // namespace

class tst_Popups : public QObject
{
    Q_OBJECT
    QTemporaryDir favoritesDir;

public:
    static void initMain() { prepareEngineTest(); }

private:
    TestServer server;
    QWebEngineProfile *profile = nullptr;
    MemorySettingsStore *store = nullptr;
    FakeDialogs dialogs;
    std::unique_ptr<QtWebViewFactory> views;
    // Only for the windows that record in it; made before the host.
    std::unique_ptr<HistoryStore> history;
    std::unique_ptr<frmMain> host;
    frmBrowser *w = nullptr;

    QString url(const char *path) const { return server.url(QString::fromLatin1(path)).toString(); }
    QString pageTitle() const { return pageOf(w)->title(); }
    int asked = 0;
    // Has the page's inner frame call window.open n times (see /frameopens);
    // gives its answer, "nulls:k/n".
    QString askFrame(int n)
    {
        const QString id = QString::number(++asked);
        pageOf(w)->runJavaScript(QStringLiteral("ask(%1, %2);").arg(n).arg(id));
        if (!QTest::qWaitFor([&] { return pageTitle().endsWith('#' + id); }, 20000))
            return QStringLiteral("no answer, title ") + pageTitle();
        return pageTitle().section('#', 0, 0);
    }
    QList<PopupWindow *> popups() const
    {
        QList<PopupWindow *> found;
        for (QWidget *top : QApplication::topLevelWidgets()) {
            auto *p = qobject_cast<PopupWindow *>(top);
            if (p && p->isVisible())
                found << p;
        }
        return found;
    }
    void startHost(bool blocking)
    {
        store->setOption("KillPopups", blocking ? "True" : "False");
        host = ::startHost(*store, *views, dialogs, history.get());
        host->resize(900, 700);
        QVERIFY(QTest::qWaitForWindowExposed(host.get()));
        w = host->workspace()->findChild<frmBrowser *>();
        QVERIFY(w);
        w->resize(800, 560);
        // The home page, completely: its late events must not be taken for the next page's.
        QTRY_COMPARE_WITH_TIMEOUT(w->lblTitle->text(), QString("Plain"), 20000);
    }
    // Waits for the count to reach the expected value. The page's answer to a
    // question asked after that comes after every report its main frame sent
    // before, so none is still on its way: the count must not go past it.
    void expectCount(int expected)
    {
        QTRY_COMPARE_WITH_TIMEOUT(KilledPopups, expected, 20000);
        QCOMPARE(evaluate(pageOf(w), "'answered'").toString(), QString("answered"));
        QCOMPARE(KilledPopups, expected);
        QCOMPARE(host->SB->Panels(4)->text(), QStringLiteral("Killed Popups: %1").arg(expected));
    }
    void clickPage(Qt::KeyboardModifiers modifiers = {})
    {
        QVERIFY(waitUntilPageTakesInput(engineViewOf(w), QPoint(50, 50)));
        QTest::mouseClick(engineViewOf(w)->focusProxy(), Qt::LeftButton, modifiers, QPoint(50, 50));
    }


private slots:
    void initTestCase()
    {
        profile = new QWebEngineProfile(this);
        views = std::make_unique<QtWebViewFactory>(profile, *(store = new MemorySettingsStore), dialogs);
        server.page("/page", "<html><head><title>Plain</title></head><body>plain</body></html>");
        server.page("/second", "<html><head><title>Second</title></head><body>2</body></html>");
        server.page("/open", "<html><body><script>var r = window.open('about:blank');"
                             "document.title = r === null ? 'null' : 'window';</script></body></html>");
        server.page("/sized", "<html><body><script>window.open('/page', 'x', 'width=300,height=200');"
                              "</script></body></html>");
        server.page("/framed", "<html><head><title>Outer</title></head><body>"
                               "<iframe src='/inner'></iframe></body></html>");
        server.page("/inner", "<html><body><script>window.open('about:blank');"
                              "location.href = '/inner2';</script></body></html>");
        server.page("/inner2", "<html><body>inner two</body></html>");
        // An inner frame that calls window.open as often as its parent asks and
        // answers how many calls returned null; its parent shows the answer as
        // its title. Served from this address and from another site.
        server.page("/frameopens",
                    "<html><body><script>addEventListener('message', function (e) {"
                    "  var ask = String(e.data).split('#'), n = +ask[0], nulls = 0;"
                    "  for (var i = 0; i < n; ++i) if (window.open('about:blank') === null) ++nulls;"
                    "  parent.postMessage('nulls:' + nulls + '/' + n + '#' + ask[1], '*');"
                    "});"
                    "parent.postMessage('ready', '*');</script></body></html>");
        for (const QString site : {"127.0.0.1", "localhost"})
            server.page("/outer-" + site,
                        "<html><head><title>Outer</title></head><body><iframe src='"
                            + server.url("/frameopens", site).toEncoded()
                            + "'></iframe><script>"
                              "addEventListener('message', function (e) { document.title = e.data; });"
                              "function ask(n, id) { frames[0].postMessage(n + '#' + id, '*'); }"
                              "</script></body></html>");
        // A page and its frame from another site that print refusal reports
        // of their own, with every token they could guess or find, and try
        // to turn refusal off; then each calls window.open once.
        const QByteArray forge =
            "<script>function forge() {"
            "  var seen = [String(window.open), String(window.__lumenoRefuseNewWindows)]"
            "    .concat(Object.getOwnPropertyNames(window).filter(function (n) { return /^__|lumeno/i.test(n); }));"
            "  var tokens = ['guess', '', 'a'.repeat(26), '0', 'undefined', 'null']"
            "    .concat(seen.join(' ').match(/\\w{4,}/g) || []);"
            "  [console.debug, console.log, console.info, console.warn, console.error].forEach(function (say) {"
            "    tokens.forEach(function (t) {"
            "      ['5', '1', '2147483647', '4294967296', '99999999999999999999', '-3'].forEach(function (n) {"
            "        say.call(console, 'lumeno-refused:' + t + ':' + n); }); });"
            "    say.call(console, 'lumeno-refused:5');"
            "  });"
            "  try { window.__lumenoRefuseNewWindows('guess', false); } catch (e) {}"
            "  try { window.__lumenoRefuseNewWindows(undefined, false); } catch (e) {}"
            "  try { Object.defineProperty(window, '__lumenoRefuseNewWindows', { value: 0 }); } catch (e) {}"
            "}"
            "function lift(target) {"
            "  var c = new MessageChannel();"
            "  target.postMessage('lumeno-frame', '*', [c.port2]);"
            "  c.port1.postMessage(false);"
            "  target.postMessage(false, '*');"
            "}</script>";
        server.page("/forgeframe", "<html><body>" + forge + "<script>forge(); lift(parent);"
                                   "setTimeout(function () {"
                                   "  parent.postMessage('frame:' + (window.open('about:blank') === null), '*');"
                                   "}, 300);</script></body></html>");
        server.page("/forge", "<html><body>" + forge
                                  + "<script>addEventListener('message', function (e) {"
                                    "  if (!/^frame:/.test(e.data)) return;"
                                    "  forge();"
                                    "  document.title = e.data + ' main:' + (window.open('about:blank') === null);"
                                    "});</script><iframe src='"
                                  + server.url("/forgeframe", "localhost").toEncoded()
                                  + "' onload='lift(this.contentWindow)'></iframe></body></html>");
        server.page("/link", "<html><body><a href='/page' target='_blank' " + bigLink
                                 + ">new</a></body></html>");
        server.page("/plainlink", "<html><body><a href='/second' " + bigLink + ">same</a></body></html>");
        server.page("/jsclick", "<html><body><a id='a' href='/page' target='_blank'>x</a><script>"
                                "document.getElementById('a').click();</script></body></html>");
        server.page("/form", "<html><body><form id='f' action='/page' target='_blank'></form>"
                             "<script>document.getElementById('f').submit();</script></body></html>");
        server.page("/storm", "<html><body><script>var nulls = 0;"
                              "for (var i = 0; i < 10000; ++i) if (window.open('about:blank') === null) ++nulls;"
                              "document.title = 'nulls:' + nulls;</script></body></html>");
        server.page("/markup", "<html><head><title>&lt;b&gt;x&lt;/b&gt;</title></head></html>");
        server.page("/untitled", "<html><body>none</body></html>");
        server.page("/opener", "<html><head><title>Opener</title></head><body><script>"
                               "window.open('/popup', 'p', 'width=320,height=240');</script></body></html>");
        server.page("/popup", "<html><head><title>Popup page</title></head><body>"
                              "<script>setTimeout(function () { window.close(); }, 1500);</script></body></html>");
        server.page("/opener2", "<html><body><script>window.open('/popup2', 'p', 'width=400,height=300');"
                                "</script></body></html>");
        server.page("/popup2", "<html><head><title>Popup two</title></head><body><a href='/second' " + bigLink
                                   + ">on</a></body></html>");
        server.page("/dlopener", "<html><body><script>window.open('/file.bin');</script></body></html>");
        TestResponse file;
        file.body = "0123456789";
        file.contentType = "application/octet-stream";
        file.attachment = "file.bin";
        server.route("/file.bin", file);
    }
    void cleanupTestCase()
    {
        views.reset();
        delete store;
        delete profile;
    }
    void init()
    {
        Module1::resetSharedState();
        Favorites::setProgramDirectory(favoritesDir.path());
        store->values.clear();
        store->values.insert("Lumeno2/Internet/HomePage", url("/page"));
    }
    void cleanup()
    {
        host.reset();
        history.reset();
        for (PopupWindow *p : popups())
            delete p;
    }

    void eachKindOfRequestIsBlockedAndCountedOnce_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("click");
        QTest::newRow("window.open, no gesture") << "/open" << "";
        QTest::newRow("window.open with size") << "/sized" << "";
        QTest::newRow("window.open in a frame") << "/framed" << "";
        QTest::newRow("target=_blank clicked") << "/link" << "plain";
        QTest::newRow("target=_blank by script") << "/jsclick" << "";
        QTest::newRow("form with target=_blank") << "/form" << "";
        QTest::newRow("ctrl+click") << "/plainlink" << "ctrl";
    }
    void eachKindOfRequestIsBlockedAndCountedOnce()
    {
        QFETCH(QString, path);
        QFETCH(QString, click);
        startHost(true);
        QVERIFY(load(*w->wb, server.url(path).toString()));
        if (click == "plain")
            clickPage();
        else if (click == "ctrl")
            clickPage(Qt::ControlModifier);
        expectCount(1);
        QVERIFY(popups().isEmpty());
        QCOMPARE(OpenWindows, 1);
        QCOMPARE(w->txtURL->text(), server.url(path).toString());
    }

    void blockedWindowOpenReturnsNull()
    {
        startHost(true);
        QVERIFY(load(*w->wb, url("/open")));
        QTRY_COMPARE_WITH_TIMEOUT(pageTitle(), QString("null"), 10000);
        expectCount(1);
    }

    void aStormIsCountedExactly()
    {
        startHost(true);
        QVERIFY(load(*w->wb, url("/storm")));
        QTRY_COMPARE_WITH_TIMEOUT(pageTitle(), QString("nulls:10000"), 20000);
        expectCount(10000);
        QVERIFY(popups().isEmpty());
    }

    void framesAnswerWindowOpenThemselves_data()
    {
        QTest::addColumn<QString>("site");
        QTest::newRow("same origin") << "127.0.0.1";
        QTest::newRow("another site") << "localhost";
    }
    void framesAnswerWindowOpenThemselves()
    {
        QFETCH(QString, site);
        startHost(true);
        int requests = 0;
        connect(w->wb, &WebView::NewWindow2, this, [&](bool &) { ++requests; });
        QVERIFY(load(*w->wb, server.url("/outer-" + site).toString()));
        QTRY_COMPARE_WITH_TIMEOUT(pageTitle(), QString("ready"), 20000);
        QCOMPARE(askFrame(200), QString("nulls:200/200"));
        expectCount(200);
        // Refused in the frame itself: no request reached the engine, which
        // would have built a page for each.
        QCOMPARE(requests, 0);
        QVERIFY(popups().isEmpty());
    }

    void aLiveFrameFollowsTheOption_data() { framesAnswerWindowOpenThemselves_data(); }
    void aLiveFrameFollowsTheOption()
    {
        QFETCH(QString, site);
        startHost(true);
        QVERIFY(load(*w->wb, server.url("/outer-" + site).toString()));
        QTRY_COMPARE_WITH_TIMEOUT(pageTitle(), QString("ready"), 20000);
        QCOMPARE(askFrame(1), QString("nulls:1/1"));
        expectCount(1);

        // The frame hears of a change a moment after the main frame; what it
        // refuses until then is counted, what it opens is opened.
        host->mnuDisablePopups->trigger();
        QVERIFY(!KillPopups);
        int refusedMeanwhile = 0;
        QString answer;
        while ((answer = askFrame(1)) == "nulls:1/1" && refusedMeanwhile < 50)
            ++refusedMeanwhile;
        QCOMPARE(answer, QString("nulls:0/1"));
        QTRY_COMPARE_WITH_TIMEOUT(popups().size(), 1, 20000);
        expectCount(1 + refusedMeanwhile);

        host->mnuDisablePopups->trigger();
        QVERIFY(KillPopups);
        int openedMeanwhile = 0;
        while ((answer = askFrame(1)) == "nulls:0/1" && openedMeanwhile < 50)
            ++openedMeanwhile;
        QCOMPARE(answer, QString("nulls:1/1"));
        expectCount(2 + refusedMeanwhile);
        QTRY_COMPARE_WITH_TIMEOUT(popups().size(), 1 + openedMeanwhile, 20000);
    }

    // Reports carry a secret of the view's; nothing a page can see gives it
    // away, and a page cannot turn refusal off.
    void aPageCannotForgeReportsNorLiftRefusal()
    {
        startHost(true);
        QVERIFY(load(*w->wb, url("/forge")));
        QTRY_COMPARE_WITH_TIMEOUT(pageTitle(), QString("frame:true main:true"), 20000);
        expectCount(2);
        QVERIFY(popups().isEmpty());
    }

    void withBlockingOffAPopupOpensOutsideTheHost()
    {
        startHost(false);
        QVERIFY(load(*w->wb, url("/opener")));
        QTRY_COMPARE_WITH_TIMEOUT(popups().size(), 1, 20000);
        PopupWindow *popup = popups().first();
        QVERIFY(popup->isWindow());
        QVERIFY(!host->workspace()->isAncestorOf(popup));
        QTRY_COMPARE_WITH_TIMEOUT(popup->windowTitle(), QString("Popup page"), 20000);
        // The page's own area has the size it asked for; the strip is on top.
        QCOMPARE(popup->view()->size(), QSize(320, 240));
        QCOMPARE(KilledPopups, 0);
        QCOMPARE(OpenWindows, 1);
        QCOMPARE(host->SB->Panels(3)->text(), QString("Open Windows: 1"));
        // The page closes its own window.
        QPointer<PopupWindow> gone(popup);
        QTRY_VERIFY_WITH_TIMEOUT(gone.isNull(), 20000);
    }

    void aPopupIsABrowserWindowOfItsOwn()
    {
        history = std::make_unique<HistoryStore>(favoritesDir.filePath("history.sqlite"));
        QTRY_VERIFY(history->isLoaded());
        startHost(false);
        QVERIFY(load(*w->wb, url("/opener2")));
        QTRY_COMPARE_WITH_TIMEOUT(popups().size(), 1, 20000);
        PopupWindow *popup = popups().first();
        PopupStrip *strip = popup->strip();
        QTRY_COMPARE_WITH_TIMEOUT(popup->windowTitle(), QString("Popup two"), 20000);
        QCOMPARE(strip->txtAddress->text(), url("/popup2"));
        QVERIFY(strip->txtAddress->isReadOnly());
        QCOMPARE(strip->lblSecurity->text(), QString("Not secure"));
        QVERIFY(!strip->cmdBack->isEnabled());
        QCOMPARE(popup->view()->size(), QSize(400, 300));

        // The page's menu over a link offers neither a new tab nor a new window.
        QMenu *menu = openPagesMenu(popup->view(), QPoint(50, 50));
        QVERIFY(menu);
        QVERIFY(menu->actions().contains(popup->popupPage()->action(QWebEnginePage::CopyLinkToClipboard)));
        for (const QAction *item : menu->actions())
            QVERIFY2(!item->isVisible() || !item->text().contains(QRegularExpression("new (tab|window)", QRegularExpression::CaseInsensitiveOption)),
                     qPrintable(item->text()));
        menu->close();

        // A link followed in it, and Back.
        QVERIFY(waitUntilPageTakesInput(popup->view(), QPoint(50, 50)));
        QTest::mouseClick(popup->view()->focusProxy(), Qt::LeftButton, {}, QPoint(50, 50));
        QTRY_COMPARE_WITH_TIMEOUT(strip->txtAddress->text(), url("/second"), 20000);
        QTRY_VERIFY_WITH_TIMEOUT(strip->cmdBack->isEnabled(), 10000);
        QTest::mouseClick(strip->cmdBack, Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(strip->txtAddress->text(), url("/popup2"), 20000);
        QTRY_COMPARE_WITH_TIMEOUT(popup->windowTitle(), QString("Popup two"), 20000);

        // F5, which the page leaves, reloads it; Ctrl+W closes it. It never
        // was one of the host's windows.
        popup->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(popup));
        popup->view()->setFocus();
        const qsizetype loads = server.requests.count("/popup2");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F5);
        QTRY_VERIFY_WITH_TIMEOUT(server.requests.count("/popup2") > loads, 10000);
        QCOMPARE(host->browserWindows().size(), 1);
        QCOMPARE(OpenWindows, 1);
        QPointer<PopupWindow> gone(popup);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_W, Qt::ControlModifier);
        QTRY_VERIFY_WITH_TIMEOUT(gone.isNull(), 10000);
        QCOMPARE(host->browserWindows().size(), 1);
        // The host's window recorded its page; the pop-up's pages are in no
        // history of the program's.
        QTRY_VERIFY_WITH_TIMEOUT(history->index().page(url("/opener2")).has_value(), 10000);
        QVERIFY(!history->index().page(url("/popup2")).has_value());
        QVERIFY(!history->index().page(url("/second")).has_value());
    }

    void aPopupThatOnlyDownloadsClosesItself()
    {
        startHost(false);
        const QString path = favoritesDir.filePath("file.bin");
        bool askedOverPopup = false;
        dialogs.chooseFile = [&](const FakeDialogs::FileQuestion &question) {
            askedOverPopup = question.parent && qobject_cast<PopupWindow *>(question.parent->window());
            return path;
        };
        QVERIFY(load(*w->wb, url("/dlopener")));
        QTRY_COMPARE_WITH_TIMEOUT(bytesOf(path), QByteArray("0123456789"), 20000);
        // Asked over the pop-up, which then went, leaving no empty window.
        QVERIFY(askedOverPopup);
        QTRY_VERIFY_WITH_TIMEOUT(popups().isEmpty(), 10000);
        QCOMPARE(views->downloads()->items().size(), 1);
        dialogs.chooseFile = nullptr;
    }

    void switchingTheOptionActsOnTheNextRequest()
    {
        startHost(false);
        auto openFromPage = [this] {
            pageOf(w)->runJavaScript("document.title = window.open('about:blank') === null ? 'null' : 'window';");
        };
        host->mnuDisablePopups->trigger();
        QVERIFY(KillPopups);
        openFromPage();
        QTRY_COMPARE_WITH_TIMEOUT(pageTitle(), QString("null"), 10000);
        expectCount(1);
        host->mnuDisablePopups->trigger();
        QVERIFY(!KillPopups);
        openFromPage();
        QTRY_COMPARE_WITH_TIMEOUT(pageTitle(), QString("window"), 10000);
        QTRY_COMPARE_WITH_TIMEOUT(popups().size(), 1, 10000);
        QCOMPARE(KilledPopups, 1);
    }

    void framesLeaveTheMainAddressInTheBox()
    {
        startHost(false);
        QVERIFY(load(*w->wb, url("/framed")));
        // The frame goes on to another page by itself; once that page is
        // whole, the box still shows the main frame's address.
        QTRY_COMPARE_WITH_TIMEOUT(
            evaluate(pageOf(w), "frames[0].location.pathname + ' ' + frames[0].document.readyState").toString(),
            QString("/inner2 complete"), 20000);
        QCOMPARE(w->txtURL->text(), url("/framed"));
        QCOMPARE(w->lblTitle->text(), QString("Outer"));
    }

    void titles()
    {
        startHost(false);
        QVERIFY(load(*w->wb, url("/markup")));
        QCOMPARE(w->lblTitle->text(), QString("<b>x</b>"));
        QVERIFY(load(*w->wb, url("/untitled")));
        QCOMPARE(w->lblTitle->text(), QString());
    }

    void addressFollowsThePage()
    {
        startHost(false);
        // Typed without a scheme, as a browser reads it.
        w->txtURL->setText(QStringLiteral("127.0.0.1:%1/second").arg(server.url("/").port()));
        QSignalSpy done(w->wb, &WebView::DocumentComplete);
        w->txtURL->setFocus();
        QTest::keyClick(w->txtURL, Qt::Key_Return);
        QVERIFY(done.wait(20000));
        QCOMPARE(w->wb->LocationURL(), url("/second"));
        QCOMPARE(w->txtURL->text(), url("/second"));
        QCOMPARE(w->lblTitle->text(), QString("Second"));
        // A change within the document.
        pageOf(w)->runJavaScript("location.hash = 'part';");
        QTRY_COMPARE_WITH_TIMEOUT(w->txtURL->text(), url("/second#part"), 10000);
        pageOf(w)->runJavaScript("history.pushState({}, '', '/pushed');");
        QTRY_COMPARE_WITH_TIMEOUT(w->txtURL->text(), url("/pushed"), 10000);
    }

    void backAndForwardFollowTheHistory()
    {
        startHost(false);
        QTRY_VERIFY_WITH_TIMEOUT(!w->cmdBack->isEnabled(), 20000);
        QVERIFY(!w->cmdForward->isEnabled());
        // Refused calls are ignored.
        w->wb->GoBack();
        w->wb->GoForward();
        QVERIFY(load(*w->wb, url("/second")));
        QVERIFY(w->cmdBack->isEnabled());
        QVERIFY(!w->cmdForward->isEnabled());
        QSignalSpy done(w->wb, &WebView::DocumentComplete);
        QTest::mouseClick(w->cmdBack, Qt::LeftButton);
        QVERIFY(done.wait(20000));
        QCOMPARE(w->txtURL->text(), url("/page"));
        QVERIFY(!w->cmdBack->isEnabled());
        QVERIFY(w->cmdForward->isEnabled());
        QCOMPARE(w->lblTitle->text(), QString("Plain"));
    }

    void emptyAndOddAddressesDoNoHarm()
    {
        startHost(false);
        const QString before = w->wb->LocationURL();
        QSignalSpy started(pageOf(w), &QWebEnginePage::loadStarted);
        w->wb->Navigate2(QString());
        w->wb->Navigate2("   ");
        // A load that the calls started is under way by the time the page
        // answers a question asked after them.
        QCOMPARE(evaluate(pageOf(w), "location.href").toString(), before);
        QVERIFY(started.isEmpty());
        QVERIFY(!pageOf(w)->isLoading());
        QCOMPARE(w->wb->LocationURL(), before);
        // Unreadable or missing: the engine's own error page, and the window goes on.
        QVERIFY(load(*w->wb, "http://[::1"));
        QVERIFY(load(*w->wb, "/nonexistent/file.html"));
        QCOMPARE(w->wb->LocationURL(), QString("file:///nonexistent/file.html"));
        QVERIFY(load(*w->wb, url("/second")));
        QCOMPARE(w->lblTitle->text(), QString("Second"));
    }
};

QTEST_MAIN(tst_Popups)
#include "tst_popups.moc"
