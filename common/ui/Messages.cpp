#include "common/ui/Messages.h"

#include <QCoreApplication>
#include <QTimer>

namespace Messages {

namespace {
Handler &handler()
{
    static Handler h;
    return h;
}
} // namespace

void show(QWidget *parent, QMessageBox::Icon icon, const QString &title, const QString &text)
{
    if (handler()) {
        handler()(parent, icon, title, text);
        return;
    }
    QMessageBox box(icon, title, text, QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

void showWithoutWaiting(QWidget *parent, QMessageBox::Icon icon, const QString &title, const QString &text,
                        int closeAfterMs, std::function<void()> closed)
{
    if (handler()) {
        handler()(parent, icon, title, text);
        QTimer::singleShot(0, QCoreApplication::instance(), std::move(closed));
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

void setHandler(Handler h)
{
    handler() = std::move(h);
}

namespace {
QuestionHandler &questionHandler()
{
    static QuestionHandler h;
    return h;
}
} // namespace

bool ask(QWidget *parent, const QString &title, const QString &text)
{
    if (questionHandler())
        return questionHandler()(parent, title, text);
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::Yes | QMessageBox::No, parent);
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

void setQuestionHandler(QuestionHandler h)
{
    questionHandler() = std::move(h);
}

} // namespace Messages
