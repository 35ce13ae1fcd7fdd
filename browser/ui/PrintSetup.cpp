#include "browser/ui/PrintSetup.h"

#include <QPrintDialog>

namespace PrintSetup {

namespace {
Handler &handler()
{
    static Handler h;
    return h;
}
} // namespace

bool ask(QWidget *parent, QPrinter *printer)
{
    if (handler())
        return handler()(parent, printer);
    QPrintDialog dialog(printer, parent);
    return dialog.exec() == QDialog::Accepted;
}

void setHandler(Handler h)
{
    handler() = std::move(h);
}

} // namespace PrintSetup
