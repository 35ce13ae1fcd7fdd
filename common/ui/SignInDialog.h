#pragma once
// The sign-in a server or proxy asks for: a dialog naming the host and the
// realm, with user name and password. What is typed stays in memory, for
// this one answer.
#include "common/ui/Dialogs.h"

#include <QDialog>

class QLineEdit;

class SignInDialog : public QDialog
{
    Q_OBJECT
public:
    SignInDialog(const SignInRequest &request, QWidget *parent);

    SignInCredentials credentials() const;

    QLineEdit *user;
    QLineEdit *password;
};
