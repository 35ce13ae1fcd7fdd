#include "shell/ui/FileDialogs.h"

#include <QFileDialog>

namespace FileDialogs {

namespace {
Handler &handler()
{
    static Handler h;
    return h;
}

QString ask(QWidget *parent, Mode mode, const QString &caption, const QString &suggested,
            const QString &filter)
{
    if (handler())
        return handler()(parent, mode, caption, suggested, filter);
    return mode == Open ? QFileDialog::getOpenFileName(parent, caption, suggested, filter)
                        : QFileDialog::getSaveFileName(parent, caption, suggested, filter);
}
} // namespace

QString openFile(QWidget *parent, const QString &caption, const QString &suggested,
                 const QString &filter)
{
    return ask(parent, Open, caption, suggested, filter);
}

QString saveFile(QWidget *parent, const QString &caption, const QString &suggested,
                 const QString &filter)
{
    return ask(parent, Save, caption, suggested, filter);
}

void setHandler(Handler h)
{
    handler() = std::move(h);
}

} // namespace FileDialogs
