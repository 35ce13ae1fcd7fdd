#include "downloads/engine/EngineDownloads.h"

#include "downloads/engine/EngineDownload.h"
#include "common/ui/Dialogs.h"
#include "common/ui/FileDialogs.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QWebEngineDownloadRequest>
#include <QWebEngineProfile>
#include <QWebEngineView>

EngineDownloads::EngineDownloads(QWebEngineProfile *profile, Dialogs &dialogs, QObject *parent)
    : DownloadList(parent), m_chooser([&dialogs](QWidget *parent, const QString &suggested) {
          return dialogs.saveFile(parent, QStringLiteral("Save File"), suggested, QString());
      })
{
    connect(profile, &QWebEngineProfile::downloadRequested, this, &EngineDownloads::onRequested);
}

EngineDownloads::~EngineDownloads()
{
    // Downloads still running when the program ends are given up: the engine
    // would leave their partial files behind at shutdown.
    for (EngineDownload *item : std::as_const(m_items)) {
        if (item->isRunning()) {
            item->cancel();
            QFile::remove(item->path() + QStringLiteral(".download"));
        }
    }
}

QList<DownloadItem *> EngineDownloads::items() const
{
    QList<DownloadItem *> list;
    for (EngineDownload *item : m_items)
        list << item;
    return list;
}

QString EngineDownloads::downloadDirectory()
{
    return FileDialogs::defaultFolder();
}

QString EngineDownloads::unusableDirectory(const QString &path)
{
    const QFileInfo file(path);
    if (file.isDir())
        return QStringLiteral("it is a folder");
    const QFileInfo dir(file.absolutePath());
    if (!dir.exists())
        return QStringLiteral("the folder \"%1\" does not exist").arg(dir.filePath());
    if (!dir.isDir())
        return QStringLiteral("\"%1\" is not a folder").arg(dir.filePath());
    if (!dir.isWritable())
        return QStringLiteral("the folder \"%1\" cannot be written").arg(dir.filePath());
    return QString();
}

void EngineDownloads::onRequested(QWebEngineDownloadRequest *request)
{
    // The engine retries a transfer after a network error by handing it over
    // again: it goes on where the user already said, without a new question.
    for (EngineDownload *item : std::as_const(m_items)) {
        if (item->isRunning() && item->id() == request->id() && item->id() != 0) {
            const QFileInfo target(item->path());
            request->setDownloadDirectory(target.absolutePath());
            request->setDownloadFileName(target.fileName());
            request->accept();
            item->track(request);
            return;
        }
    }

    QWidget *parent = QWebEngineView::forPage(request->page());
    const QString suggested = QDir(downloadDirectory()).filePath(request->suggestedFileName());
    const QString chosen = m_chooser(parent, suggested);
    if (chosen.isEmpty()) {
        request->cancel();
        return;
    }
    const QString problem = unusableDirectory(chosen);
    if (!problem.isEmpty()) {
        request->cancel();
        auto *failed = new EngineDownload(QFileInfo(chosen).absoluteFilePath(), problem, this);
        append(failed);
        emit failed->failedNow();
        return;
    }
    const QFileInfo target(chosen);
    request->setDownloadDirectory(target.absolutePath());
    request->setDownloadFileName(target.fileName());
    request->accept();
    append(new EngineDownload(request, target.absoluteFilePath(), this));
}

void EngineDownloads::append(EngineDownload *item)
{
    m_items << item;
    connect(item, &EngineDownload::failedNow, this, [this, item] { emit failed(item); });
    emit added(item);
}
