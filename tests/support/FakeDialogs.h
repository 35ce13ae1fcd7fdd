#pragma once
// The program's dialogs answered at once, without a modal loop: what would
// have been shown is recorded, and the test says beforehand what the person
// answers (No, Cancel and nothing chosen unless told otherwise).
#include "common/ui/Dialogs.h"

#include <QCoreApplication>
#include <QList>
#include <QStringList>
#include <QTimer>

class FakeDialogs : public Dialogs
{
public:
    struct Message
    {
        QMessageBox::Icon icon;
        QString title;
        QString text;
        QWidget *parent;
    };
    struct LeaveQuestion
    {
        QWidget *parent;
        QString address;
    };
    struct FileQuestion
    {
        QWidget *parent;
        bool save;
        QString caption;
        QString suggested;
        QString filter;
    };

    void message(QWidget *parent, QMessageBox::Icon icon, const QString &title, const QString &text) override
    {
        messages << Message{icon, title, text, parent};
    }
    void messageWithoutWaiting(QWidget *parent, QMessageBox::Icon icon, const QString &title, const QString &text,
                               int, std::function<void()> closed) override
    {
        messages << Message{icon, title, text, parent};
        QTimer::singleShot(0, QCoreApplication::instance(), std::move(closed));
    }
    bool ask(QWidget *, const QString &, const QString &text) override
    {
        questions << text;
        return answer ? answer(text) : false;
    }
    bool askToLeave(QWidget *parent, const QString &address) override
    {
        leaveQuestions << LeaveQuestion{parent, address};
        return leave ? leave(parent, address) : false;
    }
    QString openFile(QWidget *parent, const QString &caption, const QString &suggested,
                     const QString &filter) override
    {
        files << FileQuestion{parent, false, caption, suggested, filter};
        return chooseFile ? chooseFile(files.last()) : QString();
    }
    QString saveFile(QWidget *parent, const QString &caption, const QString &suggested,
                     const QString &filter) override
    {
        files << FileQuestion{parent, true, caption, suggested, filter};
        return chooseFile ? chooseFile(files.last()) : QString();
    }
    std::optional<SignInCredentials> signIn(QWidget *, const SignInRequest &request) override
    {
        signIns << request;
        return credentials;
    }
    bool setUpPrinter(QWidget *parent, QPrinter *printer) override
    {
        return printerSetUp ? printerSetUp(parent, printer) : false;
    }

    // The texts of the messages shown, in order.
    QStringList texts() const
    {
        QStringList list;
        for (const Message &m : messages)
            list << m.text;
        return list;
    }

    QList<Message> messages;
    QStringList questions;
    std::function<bool(const QString &text)> answer;
    // Leave (true) or Stay on page.
    QList<LeaveQuestion> leaveQuestions;
    std::function<bool(QWidget *parent, const QString &address)> leave;
    QList<FileQuestion> files;
    std::function<QString(const FileQuestion &)> chooseFile;
    QList<SignInRequest> signIns;
    std::optional<SignInCredentials> credentials;
    std::function<bool(QWidget *, QPrinter *)> printerSetUp;
};
