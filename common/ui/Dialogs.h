#pragma once
// Every question the program puts to the person in a dialog of its own goes
// through one object, which the host hands down to whatever may ask: the real
// one shows the dialogs, a test's answers them at once, without a modal loop.
#include <QMessageBox>
#include <QString>
#include <functional>
#include <optional>

class QPrinter;
class QWidget;

// What a server or proxy asks for when it wants a user name and password.
struct SignInRequest
{
    QString host;
    QString realm;
    bool proxy = false;
};

struct SignInCredentials
{
    QString user;
    QString password;
};

class Dialogs
{
public:
    virtual ~Dialogs() = default;

    // A box with an OK button; returns once it is answered.
    virtual void message(QWidget *parent, QMessageBox::Icon icon, const QString &title, const QString &text) = 0;
    // A box that holds nothing up: shown, closed by OK or after closeAfterMs,
    // then `closed` runs. For what must be told while the program ends.
    virtual void messageWithoutWaiting(QWidget *parent, QMessageBox::Icon icon, const QString &title,
                                       const QString &text, int closeAfterMs, std::function<void()> closed) = 0;
    // A Yes/No question, No by default; true for Yes.
    virtual bool ask(QWidget *parent, const QString &title, const QString &text) = 0;
    // A page at `address` holds changes that leaving it would lose: "Leave"
    // (true) or "Stay on page", which is the default.
    virtual bool askToLeave(QWidget *parent, const QString &address) = 0;
    // A file to read, starting in the folder of `suggested`; empty when cancelled.
    virtual QString openFile(QWidget *parent, const QString &caption, const QString &suggested,
                             const QString &filter) = 0;
    // A file to write, `suggested` as the name; replacing a file is confirmed
    // in the dialog. Empty when cancelled.
    virtual QString saveFile(QWidget *parent, const QString &caption, const QString &suggested,
                             const QString &filter) = 0;
    // A user name and password for a site; nothing when cancelled.
    virtual std::optional<SignInCredentials> signIn(QWidget *parent, const SignInRequest &request) = 0;
    // Sets the printer up; false when cancelled.
    virtual bool setUpPrinter(QWidget *parent, QPrinter *printer) = 0;
};
