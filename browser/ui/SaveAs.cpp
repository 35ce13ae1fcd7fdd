#include "browser/ui/SaveAs.h"

#include <QFileDialog>

namespace SaveAs {

namespace {
Handler &handler()
{
    static Handler h;
    return h;
}
} // namespace

QString ask(QWidget *parent, const QString &title, const QString &suggestedPath, const QString &filter)
{
    if (handler())
        return handler()(parent, title, suggestedPath, filter);
    QFileDialog dialog(parent, title, suggestedPath, filter);
    dialog.setObjectName(QStringLiteral("saveAsDialog"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    // Confirming an overwrite is the dialog's own, and stays on.
    dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().constFirst();
}

void setHandler(Handler h)
{
    handler() = std::move(h);
}

} // namespace SaveAs
