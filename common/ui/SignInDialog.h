#pragma once
// The sign-in a server or proxy asks for: a dialog naming the host and the
// realm, with user name and password. What is typed stays in memory, for
// this one answer.
#include <QDialog>
#include <functional>
#include <optional>

class QLineEdit;

namespace SignIn {

struct Request
{
    QString host;
    QString realm;
    bool proxy = false;
};

struct Credentials
{
    QString user;
    QString password;
};

// No credentials means the user cancelled.
using Handler = std::function<std::optional<Credentials>(QWidget *parent, const Request &request)>;

std::optional<Credentials> ask(QWidget *parent, const Request &request);
// Replaces the dialog; an empty handler brings it back.
void setHandler(Handler handler);

} // namespace SignIn

class SignInDialog : public QDialog
{
    Q_OBJECT
public:
    SignInDialog(const SignIn::Request &request, QWidget *parent);

    SignIn::Credentials credentials() const;

    QLineEdit *user;
    QLineEdit *password;
};
