#pragma once
// How a page's questions are put to the person in its browser window. The
// engine decides what to ask and what an answer does; what the questions
// look like and where they go is the window's, behind this.
#include "browser/core/SiteAnswers.h"
#include "common/ui/Dialogs.h"

#include <QUrl>
#include <functional>
#include <optional>

class PagePrompts
{
public:
    // remember: the person answered (true) or nobody did in time (false).
    using PermissionAnswer = std::function<void(const QUrl &site, PagePermission what, bool allowed, bool remember)>;

    // Questions for a site's use of something, one at a time, Deny by
    // default; each is answered through `answer` given here.
    virtual void setPermissionAnswer(PermissionAnswer answer) = 0;
    virtual void askPermission(const QUrl &site, PagePermission what) = 0;
    // The page took its question back.
    virtual void withdrawPermission(const QUrl &site, PagePermission what) = 0;
    // Every open question is answered No, as nobody can answer it any more.
    virtual void denyAllPermissions() = 0;

    // A site that could not prove who it is: `proceed` gets whether the
    // person chose to go on. Asking again replaces a question still open.
    virtual void askCertificate(const QString &site, const QString &problem, bool canContinue,
                                std::function<void(bool proceed)> answer) = 0;
    // The question is gone unanswered; nothing is called.
    virtual void closeCertificatePrompt() = 0;

    // A user name and password for a site; nothing when cancelled.
    virtual std::optional<SignInCredentials> askSignIn(const SignInRequest &request) = 0;

    // Places the page below what asks, in the window's area for it; null
    // while the page is shown elsewhere (full screen).
    virtual void place(QWidget *page) = 0;

protected:
    ~PagePrompts() = default;
};
