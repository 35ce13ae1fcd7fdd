#pragma once
// One download in the Downloads window: its name, how far it got, how fast,
// and what can be done with it.
#include "downloads/core/DownloadList.h"
#include "downloads/core/TransferRate.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QWidget>
#include <functional>

class Dialogs;
class QLabel;
class QProgressBar;
class QPushButton;
class QUrl;

class DownloadRow : public QWidget
{
    Q_OBJECT
public:
    // opener hands a file or folder to the desktop; false when it could not.
    DownloadRow(DownloadItem *item, std::function<bool(const QUrl &)> opener, Dialogs &dialogs, QWidget *parent);

    DownloadItem *item() const { return m_item; }

    QLabel *name;
    QLabel *status;
    QProgressBar *bar;
    QPushButton *cancel;
    QPushButton *open;
    QPushButton *showInFolder;

private:
    void refresh();
    void openPath(const QString &path, const QString &what);

    QPointer<DownloadItem> m_item;
    std::function<bool(const QUrl &)> m_opener;
    Dialogs &m_dialogs;
    TransferRate m_rate;
    QElapsedTimer m_clock;
};
