#include "shell/ui/ReadmeViewer.h"

#include "common/ui/Dialogs.h"

#include <QFile>
#include <QFontDatabase>
#include <QKeyEvent>

ReadmeViewer::ReadmeViewer(QWidget *host) : QPlainTextEdit(host)
{
    setObjectName(QStringLiteral("readmeViewer"));
    setWindowFlag(Qt::Window);
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("readme.txt - Lumeno 2.0"));
    setReadOnly(true);
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    resize(680, 520);
}

void ReadmeViewer::showFile(QWidget *host, const QString &path, Dialogs &dialogs)
{
    QFile file(path);
    QByteArray text;
    if (file.open(QIODevice::ReadOnly))
        text = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        dialogs.message(host, QMessageBox::Warning, QStringLiteral("Read Me"),
                        QStringLiteral("\"%1\" could not be read: %2.").arg(path, file.errorString()));
        return;
    }
    auto *viewer = host->findChild<ReadmeViewer *>(QString(), Qt::FindDirectChildrenOnly);
    if (!viewer)
        viewer = new ReadmeViewer(host);
    viewer->setPlainText(QString::fromUtf8(text));
    viewer->show();
    viewer->raise();
    viewer->activateWindow();
}

void ReadmeViewer::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier)
        close();
    else
        QPlainTextEdit::keyPressEvent(event);
}
