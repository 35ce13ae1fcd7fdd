#pragma once
// The Downloads window: every download of this run, newest at the bottom,
// with its progress and Cancel, Open and Show in folder. It comes up when a
// download starts and reports a failed one in a message box.
#include <QWidget>
#include <functional>

class Dialogs;
class DownloadItem;
class DownloadList;
class DownloadRow;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QUrl;

class frmDownloads : public QWidget
{
    Q_OBJECT
public:
    frmDownloads(DownloadList &downloads, Dialogs &dialogs, QWidget *parent);

    // How files and folders are handed to the desktop; tests put their own.
    void setOpener(std::function<bool(const QUrl &)> opener) { m_opener = std::move(opener); }

    QList<DownloadRow *> rows() const;
    QListWidget *list;
    QLabel *empty;

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void add(DownloadItem *item);
    // The row's height for the list's width.
    void fit(QListWidgetItem *entry);
    void reportFailure(DownloadItem *item);

    DownloadList &m_downloads;
    Dialogs &m_dialogs;
    std::function<bool(const QUrl &)> m_opener;
    bool m_placed = false;
};
