#include "browser/ui/HostGuessBar.h"

#include <QHBoxLayout>
#include <QHostInfo>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>

HostGuessBar::HostGuessBar(QWidget *parent)
    : PageBar(QStringLiteral("hostGuessBar"), QStringLiteral("#fff4c8"), QStringLiteral("#d8c87a"), parent),
      text(new QLabel(this)), cmdOpen(new QPushButton(QStringLiteral("Go there"), this))
{
    text->setTextFormat(Qt::PlainText);
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(8, 3, 4, 3);
    row->addWidget(text, 1);
    row->addWidget(cmdOpen);
    row->addWidget(cmdDismiss);
    connect(cmdOpen, &QPushButton::clicked, this, [this] {
        const QUrl guess = m_guess;
        withdraw();
        emit accepted(guess);
    });
}

void HostGuessBar::offer(const QUrl &guess)
{
    withdraw();
    m_guess = guess;
    m_lookup = QHostInfo::lookupHost(guess.host(), this, &HostGuessBar::onLookedUp);
}

void HostGuessBar::onLookedUp(const QHostInfo &info)
{
    if (info.lookupId() != m_lookup)
        return;
    m_lookup = -1;
    if (info.error() != QHostInfo::NoError || info.addresses().isEmpty())
        return;
    text->setText(QStringLiteral("Did you mean %1?").arg(m_guess.toString()));
    cmdOpen->setAccessibleDescription(text->text());
    show();
}

void HostGuessBar::withdraw()
{
    if (m_lookup >= 0)
        QHostInfo::abortHostLookup(m_lookup);
    m_lookup = -1;
    m_guess.clear();
    hide();
}

