#include "browser/ui/CertificatePrompt.h"

#include "common/ui/PlainLabel.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

CertificatePrompt::CertificatePrompt(const QString &host, const QString &problem, bool overridable,
                                     QWidget *parent)
    : QFrame(parent), goBack(new QPushButton(QStringLiteral("Go back"), this)), proceed(nullptr)
{
    setObjectName(QStringLiteral("certificatePrompt"));
    setFrameShape(QFrame::StyledPanel);
    // Its own colours, whatever the window around it uses: this must be read.
    setStyleSheet(QStringLiteral("QFrame#certificatePrompt { background: #ffffff; border: 1px solid #a0a0a0; }"
                                 "QLabel { color: #000000; }"));

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 24, 24, 24);
    QLabel *heading = plainLabel(QStringLiteral("This connection is not safe"), this);
    QFont big = heading->font();
    big.setBold(true);
    big.setPointSizeF(big.pointSizeF() * 1.3);
    heading->setFont(big);
    layout->addWidget(heading);
    layout->addWidget(plainLabel(QStringLiteral("Lumeno could not confirm that this is really %1.").arg(host), this));
    QLabel *detail = plainLabel(QStringLiteral("What is wrong: %1").arg(problem), this);
    detail->setObjectName(QStringLiteral("problem"));
    layout->addWidget(detail);
    layout->addWidget(plainLabel(
        overridable ? QStringLiteral("Someone may be trying to read or change what you send to this "
                                     "site. Go on only if you know why its certificate is not valid.")
                    : QStringLiteral("This site cannot be opened."),
        this));

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    if (overridable) {
        proceed = new QPushButton(QStringLiteral("Continue to this site"), this);
        proceed->setAutoDefault(false);
        buttons->addWidget(proceed);
        connect(proceed, &QPushButton::clicked, this, &CertificatePrompt::proceedChosen);
    }
    goBack->setDefault(true);
    goBack->setAutoDefault(true);
    buttons->addWidget(goBack);
    layout->addLayout(buttons);
    layout->addStretch();
    connect(goBack, &QPushButton::clicked, this, &CertificatePrompt::goBackChosen);
    setFocusProxy(goBack);
}

void CertificatePrompt::keyPressEvent(QKeyEvent *event)
{
    // Enter and Escape both mean the safe way out.
    if (event->key() == Qt::Key_Escape || event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        QWidget *focus = focusWidget();
        if (event->key() == Qt::Key_Escape || !proceed || focus != proceed) {
            emit goBackChosen();
            return;
        }
    }
    QFrame::keyPressEvent(event);
}
