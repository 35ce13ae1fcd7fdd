#include "browser/ui/PromptArea.h"

#include "browser/ui/CertificatePrompt.h"
#include "browser/ui/PermissionBar.h"

PromptArea::PromptArea(QWidget *area, Dialogs &dialogs)
    : QObject(area), m_area(area), m_dialogs(dialogs), m_bar(new PermissionBar(area))
{
    connect(m_bar, &PermissionBar::answered, this,
            [this](const QUrl &site, PagePermission what, bool allowed, bool remember) {
                if (m_permissionAnswer)
                    m_permissionAnswer(site, what, allowed, remember);
            });
    connect(m_bar, &PermissionBar::visibilityChanged, this, [this] { place(m_page); });
}

PromptArea::~PromptArea()
{
    // Nobody is left to hear the answers.
    m_bar->blockSignals(true);
}

void PromptArea::setPermissionAnswer(PermissionAnswer answer)
{
    m_permissionAnswer = std::move(answer);
}

void PromptArea::askPermission(const QUrl &site, PagePermission what)
{
    m_bar->ask(site, what);
}

void PromptArea::withdrawPermission(const QUrl &site, PagePermission what)
{
    m_bar->withdraw(site, what);
}

void PromptArea::denyAllPermissions()
{
    m_bar->denyAll();
}

void PromptArea::askCertificate(const QString &site, const QString &problem, bool canContinue,
                                std::function<void(bool proceed)> answer)
{
    closeCertificatePrompt();
    m_prompt = new CertificatePrompt(site, problem, canContinue, m_area);
    const auto answered = [this, answer = std::move(answer)](bool proceed) {
        closeCertificatePrompt();
        answer(proceed);
    };
    connect(m_prompt, &CertificatePrompt::goBackChosen, this, [answered] { answered(false); });
    connect(m_prompt, &CertificatePrompt::proceedChosen, this, [answered] { answered(true); });
    place(m_page);
    m_prompt->show();
    m_prompt->setFocus(Qt::OtherFocusReason);
}

void PromptArea::closeCertificatePrompt()
{
    if (!m_prompt)
        return;
    m_prompt->hide();
    m_prompt->deleteLater();
    m_prompt.clear();
}

std::optional<SignInCredentials> PromptArea::askSignIn(const SignInRequest &request)
{
    return m_dialogs.signIn(m_area, request);
}

void PromptArea::place(QWidget *page)
{
    m_page = page;
    const QRect area = m_area->rect();
    int top = 0;
    if (!m_bar->isHidden()) {
        const int forWidth = m_bar->heightForWidth(area.width());
        const int h = forWidth > 0 ? forWidth : m_bar->sizeHint().height();
        m_bar->setGeometry(0, 0, area.width(), h);
        m_bar->raise();
        top = h;
    }
    if (page)
        page->setGeometry(0, top, area.width(), qMax(0, area.height() - top));
    if (m_prompt) {
        m_prompt->setGeometry(area);
        m_prompt->raise();
    }
}
