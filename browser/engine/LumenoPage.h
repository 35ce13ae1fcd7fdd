#pragma once
// A page of this program: announces main-frame navigations to its view and
// routes new-window requests and the refusal reports to it. A pop-up's page
// belongs to the view that opened it but announces nothing there.
#include "browser/ui/WebView.h"

#include <QPointer>
#include <QWebEnginePage>

class PageClose;
class QtWebView;

class LumenoPage : public QWebEnginePage
{
    Q_OBJECT
public:
    LumenoPage(QWebEngineProfile *profile, QtWebView *owner, bool announces, QObject *parent);

    // Runs the page's beforeunload and tells whether its window may close
    // (see PageClose); `question` puts the leave question to the person.
    void askToClose(WebView::CloseQuestion question, WebView::CloseAnswer answered);
    // How the page's own window.close() reaches its window, and a close
    // this page agreed to.
    PageClose *closing() const { return m_close; }

protected:
    bool acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame) override;
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString &message,
                                  int line, const QString &source) override;
    // The engine's own boxes, with its titles and buttons, but run as every
    // dialog of the program is (see ModalLoops): the page's window waits for
    // them before it goes, and none is shown while the program ends.
    void javaScriptAlert(const QUrl &securityOrigin, const QString &msg) override;
    bool javaScriptConfirm(const QUrl &securityOrigin, const QString &msg) override;
    bool javaScriptPrompt(const QUrl &securityOrigin, const QString &msg, const QString &defaultValue,
                          QString *result) override;
    // The files a page's file field asks for, likewise.
    QStringList chooseFiles(FileSelectionMode mode, const QStringList &oldFiles,
                            const QStringList &acceptedMimeTypes) override;

private:
    QPointer<QtWebView> m_owner;
    bool m_announces;
    PageClose *m_close;
};
