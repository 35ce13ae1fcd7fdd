#include "browser/ui/PermissionBar.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

PermissionBar::PermissionBar(QWidget *parent)
    : QFrame(parent), text(new QLabel(this)), allow(new QPushButton(QStringLiteral("Allow"), this)),
      deny(new QPushButton(QStringLiteral("Deny"), this))
{
    setObjectName(QStringLiteral("permissionBar"));
    setFrameShape(QFrame::StyledPanel);
    setStyleSheet(QStringLiteral("QFrame#permissionBar { background: #fff4c8; border: 1px solid #d8c87a; }"
                                 "QLabel { color: #000000; }"));

    text->setTextFormat(Qt::PlainText);
    text->setWordWrap(true);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(8, 4, 8, 4);
    layout->addWidget(text, 1);
    layout->addWidget(allow);
    layout->addWidget(deny);
    allow->setAutoDefault(false);
    deny->setDefault(true);
    deny->setAutoDefault(true);
    connect(allow, &QPushButton::clicked, this, [this] { answerFirst(true, true); });
    connect(deny, &QPushButton::clicked, this, [this] { answerFirst(false, true); });
    hide();
}

QString PermissionBar::wants(PagePermission what)
{
    switch (what) {
    case PagePermission::Location:
        return QStringLiteral("wants to know your location");
    case PagePermission::Notifications:
        return QStringLiteral("wants to show notifications");
    case PagePermission::Camera:
        return QStringLiteral("wants to use your camera");
    case PagePermission::Microphone:
        return QStringLiteral("wants to use your microphone");
    case PagePermission::CameraAndMicrophone:
        return QStringLiteral("wants to use your camera and microphone");
    case PagePermission::Screen:
        return QStringLiteral("wants to see your screen");
    case PagePermission::ScreenAndAudio:
        return QStringLiteral("wants to see your screen and hear its sound");
    case PagePermission::MouseLock:
        return QStringLiteral("wants to take over the mouse pointer");
    }
    return QString();
}

void PermissionBar::ask(const QUrl &site, PagePermission what)
{
    for (const Question &q : std::as_const(m_questions)) {
        if (SiteAnswers::origin(q.site) == SiteAnswers::origin(site) && q.what == what)
            return;
    }
    auto *timer = new QTimer(this);
    timer->setSingleShot(true);
    connect(timer, &QTimer::timeout, this, [this, timer] {
        for (int i = 0; i < m_questions.size(); ++i) {
            if (m_questions.at(i).timer == timer) {
                const Question q = m_questions.at(i);
                remove(i);
                emit answered(q.site, q.what, false, false);
                return;
            }
        }
    });
    timer->start(m_timeoutMsecs);
    m_questions.append({site, what, timer});
    if (m_questions.size() == 1)
        showFirst();
}

void PermissionBar::withdraw(const QUrl &site, PagePermission what)
{
    for (int i = 0; i < m_questions.size(); ++i) {
        const Question &q = m_questions.at(i);
        if (SiteAnswers::origin(q.site) == SiteAnswers::origin(site) && q.what == what) {
            remove(i);
            return;
        }
    }
}

void PermissionBar::denyAll()
{
    const QList<Question> questions = m_questions;
    while (!m_questions.isEmpty())
        remove(0);
    for (const Question &q : questions)
        emit answered(q.site, q.what, false, false);
}

void PermissionBar::answerFirst(bool allowed, bool remember)
{
    if (m_questions.isEmpty())
        return;
    const Question q = m_questions.constFirst();
    remove(0);
    emit answered(q.site, q.what, allowed, remember);
}

void PermissionBar::remove(int index)
{
    delete m_questions.at(index).timer;
    m_questions.removeAt(index);
    if (index == 0)
        showFirst();
}

void PermissionBar::showFirst()
{
    const bool wasShown = !isHidden();
    if (m_questions.isEmpty()) {
        hide();
    } else {
        const Question &q = m_questions.constFirst();
        text->setText(QStringLiteral("%1 %2.").arg(SiteAnswers::siteName(q.site), wants(q.what)));
        show();
        raise();
    }
    if (wasShown || !isHidden())
        emit visibilityChanged();
}

void PermissionBar::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        answerFirst(false, true);
        return;
    }
    QFrame::keyPressEvent(event);
}
