#include "shell/ui/ReadmeViewer.h"

#include "common/ui/Dialogs.h"

#include <QFile>
#include <QFileInfo>
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

void ReadmeViewer::showProgramReadme(QWidget *host, const QString &programDir, Dialogs &dialogs)
{
    const QString path = programDir + QStringLiteral("/readme.txt");
    if (!QFileInfo(path).isFile()) {
        dialogs.message(host, QMessageBox::Information, QStringLiteral("Error loading readme"),
                        QStringLiteral("The readme.txt file is missing from the program directory. "
                                       "Please reinstall the program to view the readme."));
        return;
    }
    showFile(host, path, dialogs);
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
