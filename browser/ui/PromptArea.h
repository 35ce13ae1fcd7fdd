#pragma once
// The page's questions in its area of the browser window: the permission bar
// along the top, the certificate prompt over the page, the sign-in dialog
// over the window.
#include "browser/ui/CertificatePrompt.h"
#include "browser/ui/PagePrompts.h"

#include <QObject>
#include <QPointer>

class PermissionBar;
class QWidget;

class PromptArea : public QObject, public PagePrompts
{
    Q_OBJECT
public:
    // area: the widget the page is shown in; the bar and prompt go there.
    PromptArea(QWidget *area, Dialogs &dialogs);
    ~PromptArea() override;

    void setPermissionAnswer(PermissionAnswer answer) override;
    void askPermission(const QUrl &site, PagePermission what) override;
    void withdrawPermission(const QUrl &site, PagePermission what) override;
    void denyAllPermissions() override;
    void askCertificate(const QString &site, const QString &problem, bool canContinue,
                        std::function<void(bool proceed)> answer) override;
    void closeCertificatePrompt() override;
    std::optional<SignInCredentials> askSignIn(const SignInRequest &request) override;
    void place(QWidget *page) override;

    PermissionBar *permissionBar() const { return m_bar; }
    CertificatePrompt *certificatePrompt() const { return m_prompt; }

private:
    QWidget *m_area;
    Dialogs &m_dialogs;
    PermissionBar *m_bar;
    QPointer<CertificatePrompt> m_prompt;
    // The page last placed, placed again when the bar comes or goes.
    QPointer<QWidget> m_page;
    PermissionAnswer m_permissionAnswer;
};
