#include "common/ui/SignInDialog.h"

#include "common/ui/PlainLabel.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

SignInDialog::SignInDialog(const SignInRequest &request, QWidget *parent)
    : QDialog(parent), user(new QLineEdit(this)), password(new QLineEdit(this))
{
    setObjectName(QStringLiteral("signInDialog"));
    setWindowTitle(request.proxy ? QStringLiteral("Proxy Sign-in") : QStringLiteral("Sign in"));
    setModal(true);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(plainLabel(request.proxy
                                     ? QStringLiteral("The proxy %1 asks for a user name and password.")
                                           .arg(request.host)
                                     : QStringLiteral("%1 asks for a user name and password.")
                                           .arg(request.host),
                                 this));
    if (!request.realm.isEmpty())
        layout->addWidget(plainLabel(QStringLiteral("The site says: \"%1\"").arg(request.realm), this));

    auto *form = new QFormLayout;
    user->setObjectName(QStringLiteral("user"));
    password->setObjectName(QStringLiteral("password"));
    password->setEchoMode(QLineEdit::Password);
    form->addRow(QStringLiteral("&User name:"), user);
    form->addRow(QStringLiteral("&Password:"), password);
    layout->addLayout(form);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
    QPushButton *signIn = buttons->addButton(QStringLiteral("Sign in"), QDialogButtonBox::AcceptRole);
    signIn->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);

    user->setFocus();
    setMinimumWidth(360);
}

SignInCredentials SignInDialog::credentials() const
{
    return {user->text(), password->text()};
}
