#pragma once
// The dialogs themselves: message boxes, the file chooser, the sign-in dialog
// and the system's print dialog, each modal over the widget that asked.
#include "common/ui/Dialogs.h"

class SystemDialogs : public Dialogs
{
public:
    void message(QWidget *parent, QMessageBox::Icon icon, const QString &title, const QString &text) override;
    void messageWithoutWaiting(QWidget *parent, QMessageBox::Icon icon, const QString &title, const QString &text,
                               int closeAfterMs, std::function<void()> closed) override;
    bool ask(QWidget *parent, const QString &title, const QString &text) override;
    bool askToLeave(QWidget *parent, const QString &address) override;
    QString openFile(QWidget *parent, const QString &caption, const QString &suggested,
                     const QString &filter) override;
    QString saveFile(QWidget *parent, const QString &caption, const QString &suggested,
                     const QString &filter) override;
    std::optional<SignInCredentials> signIn(QWidget *parent, const SignInRequest &request) override;
    bool setUpPrinter(QWidget *parent, QPrinter *printer) override;

private:
    QString chooseFile(QWidget *parent, bool save, const QString &caption, const QString &suggested,
                       const QString &filter);
};
