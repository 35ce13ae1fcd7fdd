#include "common/ui/SystemDialogs.h"

#include "common/ui/FileDialogs.h"
#include "common/ui/ModalLoops.h"
#include "common/ui/SignInDialog.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QPrintDialog>
#include <QPushButton>
#include <QTimer>
#include <cstdio>

void SystemDialogs::message(QWidget *parent, QMessageBox::Icon icon, const QString &title, const QString &text)
{
    // Nobody will read a box while the program ends without questions; what
    // it would have said goes to the error output instead.
    if (ModalLoops::endingWithoutQuestions()) {
        std::fprintf(stderr, "lumeno: %s: %s\n", qPrintable(title), qPrintable(text));
        return;
    }
    QMessageBox box(icon, title, text, QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    ModalLoops::exec(box, parent);
}

void SystemDialogs::messageWithoutWaiting(QWidget *parent, QMessageBox::Icon icon, const QString &title,
                                          const QString &text, int closeAfterMs, std::function<void()> closed)
{
    if (ModalLoops::endingWithoutQuestions()) {
        std::fprintf(stderr, "lumeno: %s: %s\n", qPrintable(title), qPrintable(text));
        closed();
        return;
    }
    auto *box = new QMessageBox(icon, title, text, QMessageBox::Ok, parent);
    box->setTextFormat(Qt::PlainText);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::NonModal);
    QObject::connect(box, &QMessageBox::finished, QCoreApplication::instance(), std::move(closed));
    QTimer::singleShot(closeAfterMs, box, &QMessageBox::accept);
    box->show();
}

bool SystemDialogs::ask(QWidget *parent, const QString &title, const QString &text)
{
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::Yes | QMessageBox::No, parent);
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(QMessageBox::No);
    return ModalLoops::exec(box, parent) == QMessageBox::Yes;
}

bool SystemDialogs::askToLeave(QWidget *parent, const QString &address)
{
    QMessageBox box(QMessageBox::Question, QStringLiteral("Leave site?"), QStringLiteral("Leave site?"),
                    QMessageBox::NoButton, parent);
    box.setTextFormat(Qt::PlainText);
    box.setInformativeText(QStringLiteral("Changes you made may not be saved.")
                           + (address.isEmpty() ? QString() : QStringLiteral("\n\n") + address));
    QPushButton *leave = box.addButton(QStringLiteral("&Leave"), QMessageBox::AcceptRole);
    QPushButton *stay = box.addButton(QStringLiteral("&Stay on page"), QMessageBox::RejectRole);
    // Enter and Esc both keep the page: leaving is a choice made on purpose.
    box.setDefaultButton(stay);
    box.setEscapeButton(stay);
    // Run as every dialog is: a window asked to go meanwhile, or the end of
    // the program, closes the box, and the page stays.
    // Its custom buttons make exec()'s result opaque: the button clicked
    // tells, none when the box was not shown.
    ModalLoops::exec(box, parent);
    return box.clickedButton() == leave;
}

QString SystemDialogs::chooseFile(QWidget *parent, bool save, const QString &caption, const QString &suggested,
                                  const QString &filter)
{
    QFileDialog dialog(parent, caption, suggested, filter);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    // Replacing a file is confirmed in the dialog itself.
    dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
    FileDialogs::centreOver(&dialog, parent);
    if (ModalLoops::exec(dialog, parent) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().constFirst();
}

QString SystemDialogs::openFile(QWidget *parent, const QString &caption, const QString &suggested,
                                const QString &filter)
{
    return chooseFile(parent, false, caption, suggested, filter);
}

QString SystemDialogs::saveFile(QWidget *parent, const QString &caption, const QString &suggested,
                                const QString &filter)
{
    return chooseFile(parent, true, caption, suggested, filter);
}

std::optional<SignInCredentials> SystemDialogs::signIn(QWidget *parent, const SignInRequest &request)
{
    SignInDialog dialog(request, parent);
    FileDialogs::centreOver(&dialog, parent);
    if (ModalLoops::exec(dialog, parent) != QDialog::Accepted)
        return std::nullopt;
    return dialog.credentials();
}

bool SystemDialogs::setUpPrinter(QWidget *parent, QPrinter *printer)
{
    QPrintDialog dialog(printer, parent);
    return ModalLoops::exec(dialog, parent) == QDialog::Accepted;
}
