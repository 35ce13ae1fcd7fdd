#include "browser/engine/LumenoPage.h"

#include "browser/engine/PageBusyWatch.h"
#include "browser/engine/PageClose.h"
#include "browser/engine/QtWebView.h"
#include "browser/engine/RefusalScript.h"
#include "browser/engine/TypingScript.h"
#include "common/ui/ModalLoops.h"

#include <QAction>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QMimeDatabase>
#include <QWebEngineFileSystemAccessRequest>
#include <QWebEngineNewWindowRequest>
#include <QWebEngineRegisterProtocolHandlerRequest>
#include <QWebEngineView>

LumenoPage::LumenoPage(QWebEngineProfile *profile, QtWebView *owner, bool announces, QObject *parent)
    : QWebEnginePage(profile, parent), m_owner(owner), m_announces(announces), m_close(new PageClose(this))
{
    // No tabs here, and a new window from the menu would be a pop-up like
    // any other: counted as one while they are refused.
    for (WebAction newWindow : {OpenLinkInNewTab, OpenLinkInNewWindow, OpenLinkInNewBackgroundTab})
        action(newWindow)->setVisible(false);
    connect(this, &QWebEnginePage::newWindowRequested, this,
            [this](QWebEngineNewWindowRequest &request) {
                // With its view gone, nobody can decide: the window is dropped.
                if (m_owner)
                    m_owner->handleNewWindow(request);
            });
    // Nothing a page asks for may leave it waiting for an answer. A browser
    // window's page asks the user (see PageQuestions); a pop-up outside the
    // host has nowhere to ask, and is refused. Full screen is its window's.
    if (!announces) {
        connect(this, &QWebEnginePage::featurePermissionRequested, this,
                [this](const QUrl &origin, QWebEnginePage::Feature feature) {
                    setFeaturePermission(origin, feature, QWebEnginePage::PermissionDeniedByUser);
                });
    }
    connect(this, &QWebEnginePage::fileSystemAccessRequested, this,
            [](QWebEngineFileSystemAccessRequest request) { request.reject(); });
    connect(this, &QWebEnginePage::registerProtocolHandlerRequested, this,
            [](QWebEngineRegisterProtocolHandlerRequest request) { request.reject(); });
}

bool LumenoPage::acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame)
{
    if (isMainFrame && m_announces && m_owner) {
        m_owner->m_reloading = type == NavigationTypeReload;
        m_owner->announce(url);
    }
    return QWebEnginePage::acceptNavigationRequest(url, type, isMainFrame);
}

void LumenoPage::javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString &message,
                                          int line, const QString &source)
{
    if (m_owner) {
        if (const int n = RefusalScript::parseReport(message, m_owner->m_token); n > 0) {
            emit m_owner->NewWindowsRefused(n);
            return;
        }
        // Only the view's own page carries the script; a pop-up's cannot report.
        if (m_announces && TypingScript::isReport(message, m_owner->m_token)) {
            m_owner->userTyped();
            return;
        }
    }
    QWebEnginePage::javaScriptConsoleMessage(level, message, line, source);
}

void LumenoPage::askToClose(WebView::CloseQuestion question, WebView::CloseAnswer answered)
{
    m_close->ask(std::move(question), std::move(answered));
}

namespace {
// What the page says is shown as plain text, never as markup of its own.
int showPageBox(QWebEnginePage *page, const QString &title, const QString &text,
                QMessageBox::StandardButtons buttons)
{
    QWidget *view = QWebEngineView::forPage(page);
    if (!view)
        return QMessageBox::Cancel;
    QMessageBox box(QMessageBox::Information, title.arg(page->url().toString()), text, buttons, view);
    box.setTextFormat(Qt::PlainText);
    return ModalLoops::exec(box, view);
}
} // namespace

void LumenoPage::javaScriptAlert(const QUrl &, const QString &msg)
{
    showPageBox(this, QStringLiteral("Javascript Alert - %1"), msg, QMessageBox::Ok);
}

bool LumenoPage::javaScriptConfirm(const QUrl &, const QString &msg)
{
    if (m_close->isAsking() && PageClose::isLeaveQuestion(msg))
        return m_close->leaveQuestion();
    // Leaving a page with unsaved work comes here too.
    return showPageBox(this, QStringLiteral("Javascript Confirm - %1"), msg,
                       QMessageBox::Ok | QMessageBox::Cancel)
        == QMessageBox::Ok;
}

bool LumenoPage::javaScriptPrompt(const QUrl &, const QString &msg, const QString &defaultValue,
                                  QString *result)
{
    QWidget *view = QWebEngineView::forPage(this);
    if (!view)
        return false;
    QInputDialog dialog(view);
    dialog.setWindowTitle(QStringLiteral("Javascript Prompt - %1").arg(url().toString()));
    // The label takes markup, so the page's text is escaped for it.
    dialog.setLabelText(msg.toHtmlEscaped());
    dialog.setTextValue(defaultValue);
    if (ModalLoops::exec(dialog, view) != QDialog::Accepted)
        return false;
    if (result)
        *result = dialog.textValue();
    return true;
}

QStringList LumenoPage::chooseFiles(FileSelectionMode mode, const QStringList &oldFiles,
                                    const QStringList &acceptedMimeTypes)
{
    QWidget *view = QWebEngineView::forPage(this);
    if (!view)
        return {};
    QFileDialog dialog(view);
    switch (mode) {
    case FileSelectOpen:
        dialog.setFileMode(QFileDialog::ExistingFile);
        break;
    case FileSelectOpenMultiple:
        dialog.setFileMode(QFileDialog::ExistingFiles);
        break;
    case FileSelectUploadFolder:
        dialog.setFileMode(QFileDialog::Directory);
        dialog.setOption(QFileDialog::ShowDirsOnly);
        break;
    case FileSelectSave:
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        break;
    }
    if (!oldFiles.isEmpty())
        dialog.selectFile(oldFiles.constFirst());
    // What the field accepts ("image/*", "text/csv", ".pdf") first; any file
    // can still be picked, as the page checks what it gets anyway.
    if (mode != FileSelectUploadFolder) {
        QStringList patterns;
        const QMimeDatabase mimes;
        for (const QString &accepted : acceptedMimeTypes) {
            if (accepted.startsWith(QLatin1Char('.'))) {
                patterns << QLatin1Char('*') + accepted;
            } else if (accepted.endsWith(QLatin1String("/*"))) {
                const QString group = accepted.chopped(1);
                for (const QMimeType &type : mimes.allMimeTypes())
                    if (type.name().startsWith(group))
                        patterns << type.globPatterns();
            } else {
                patterns << mimes.mimeTypeForName(accepted).globPatterns();
            }
        }
        patterns.removeDuplicates();
        QStringList filters;
        if (!patterns.isEmpty())
            filters << QStringLiteral("Accepted files (%1)").arg(patterns.join(QLatin1Char(' ')));
        filters << QStringLiteral("All files (*)");
        dialog.setNameFilters(filters);
    }
    if (ModalLoops::exec(dialog, view) != QDialog::Accepted)
        return {};
    return dialog.selectedFiles();
}
