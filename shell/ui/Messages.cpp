#include "shell/ui/Messages.h"

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

void setHandler(Handler h)
{
    handler() = std::move(h);
}

} // namespace Messages
