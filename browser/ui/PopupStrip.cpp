#include "browser/ui/PopupStrip.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <QUrl>

PopupStrip::PopupStrip(QWidget *parent)
    : QWidget(parent), cmdBack(button("cmdBack", ":/back.xpm", QStringLiteral("Go Back"))),
      cmdForward(button("cmdForward", ":/forward.xpm", QStringLiteral("Go Forward"))),
      cmdReload(button("cmdReload", ":/refresh.xpm", QStringLiteral("Refresh the current page"))),
      cmdStop(button("cmdStop", ":/stop.xpm", QStringLiteral("Stop the current page from loading"))),
      lblSecurity(new QLabel(this)), txtAddress(new QLineEdit(this))
{
    lblSecurity->setTextFormat(Qt::PlainText);
    lblSecurity->setObjectName(QStringLiteral("lblSecurity"));
    txtAddress->setObjectName(QStringLiteral("txtAddress"));
    // The page's own address, to read and copy: a window a page opened goes
    // where that page sends it, never where someone types.
    txtAddress->setReadOnly(true);
    txtAddress->setAccessibleName(QStringLiteral("Address"));
    txtAddress->setFocusPolicy(Qt::ClickFocus);

    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(2, 2, 2, 2);
    row->setSpacing(2);
    for (QToolButton *b : {cmdBack, cmdForward, cmdReload, cmdStop})
        row->addWidget(b);
    row->addSpacing(4);
    row->addWidget(lblSecurity);
    row->addWidget(txtAddress, 1);

    connect(cmdBack, &QToolButton::clicked, this, &PopupStrip::backClicked);
    connect(cmdForward, &QToolButton::clicked, this, &PopupStrip::forwardClicked);
    connect(cmdReload, &QToolButton::clicked, this, &PopupStrip::reloadClicked);
    connect(cmdStop, &QToolButton::clicked, this, &PopupStrip::stopClicked);
    cmdBack->setEnabled(false);
    cmdForward->setEnabled(false);
    cmdStop->setEnabled(false);
}

QToolButton *PopupStrip::button(const char *name, const char *picture, const QString &text)
{
    auto *b = new QToolButton(this);
    b->setObjectName(QString::fromLatin1(name));
    b->setIcon(QIcon(QString::fromLatin1(picture)));
    b->setIconSize(QSize(16, 16));
    b->setToolTip(text);
    b->setAccessibleName(text);
    b->setAutoRaise(true);
    b->setFocusPolicy(Qt::TabFocus);
    return b;
}

void PopupStrip::showAddress(const QUrl &url)
{
    txtAddress->setText(url.toString());
    txtAddress->setCursorPosition(0);
    const QString scheme = url.scheme();
    QString security;
    QString colour;
    if (scheme == QLatin1String("https")) {
        security = QStringLiteral("Secure");
        colour = QStringLiteral("#1a7f37");
    } else if (scheme == QLatin1String("http")) {
        security = QStringLiteral("Not secure");
        colour = QStringLiteral("#b3261e");
    }
    lblSecurity->setText(security);
    lblSecurity->setStyleSheet(colour.isEmpty() ? QString() : QStringLiteral("color: %1; font-weight: bold;").arg(colour));
    lblSecurity->setVisible(!security.isEmpty());
    txtAddress->setAccessibleDescription(security);
}

void PopupStrip::setLoading(bool loading)
{
    cmdStop->setEnabled(loading);
}
