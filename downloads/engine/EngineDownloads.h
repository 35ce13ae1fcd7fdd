#pragma once
// The profile's downloads: each one the engine starts is saved where the
// user says, in a save dialog opened over the window whose page asked. The
// engine writes to "<name>.download" beside the chosen file and renames it
// only when whole, and removes it on cancel or failure, so the chosen name
// never holds a partial file and an existing file keeps its bytes until then.
#include "downloads/core/DownloadList.h"

#include <functional>

class Dialogs;
class EngineDownload;
class QWebEngineDownloadRequest;
class QWebEngineProfile;
class QWidget;

class EngineDownloads : public DownloadList
{
    Q_OBJECT
public:
    // Asks where to save; an empty answer cancels. The default is the save
    // dialog of the dialogs given.
    using Chooser = std::function<QString(QWidget *parent, const QString &suggestedPath)>;

    EngineDownloads(QWebEngineProfile *profile, Dialogs &dialogs, QObject *parent);
    ~EngineDownloads() override;

    QList<DownloadItem *> items() const override;
    void setChooser(Chooser chooser) { m_chooser = std::move(chooser); }

    // Where the save dialog opens.
    static QString downloadDirectory();

private:
    void onRequested(QWebEngineDownloadRequest *request);
    void append(EngineDownload *item);
    static QString unusableDirectory(const QString &path);

    QList<EngineDownload *> m_items;
    Chooser m_chooser;
};
