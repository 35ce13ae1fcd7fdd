#include "downloads/ui/frmDownloads.h"

#include "downloads/core/DownloadList.h"
#include "downloads/ui/DownloadRow.h"
#include "common/ui/Dialogs.h"

#include <QDesktopServices>
#include <QEvent>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QUrl>
#include <QVBoxLayout>

frmDownloads::frmDownloads(DownloadList &downloads, Dialogs &dialogs, QWidget *parent)
    : QWidget(parent, Qt::Window), list(new QListWidget(this)),
      empty(new QLabel(QStringLiteral("Nothing has been downloaded yet."), this)), m_downloads(downloads), m_dialogs(dialogs),
      m_opener([](const QUrl &url) { return QDesktopServices::openUrl(url); })
{
    setObjectName(QStringLiteral("frmDownloads"));
    setWindowTitle(QStringLiteral("Downloads"));
    // Coming up with a new download must not take the keyboard from the page.
    setAttribute(Qt::WA_ShowWithoutActivating);
    resize(520, 320);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(empty);
    layout->addWidget(list, 1);
    list->setSelectionMode(QAbstractItemView::NoSelection);
    list->setFocusPolicy(Qt::NoFocus);
    // Rows are as wide as the list and as high as their text needs: a long
    // failure wraps, and the buttons stay in sight.
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list->setResizeMode(QListView::Adjust);
    list->viewport()->installEventFilter(this);

    for (DownloadItem *item : downloads.items())
        add(item);
    connect(&downloads, &DownloadList::added, this, [this](DownloadItem *item) {
        add(item);
        show();
        raise();
    });
    connect(&downloads, &DownloadList::failed, this, &frmDownloads::reportFailure);
}

void frmDownloads::showEvent(QShowEvent *event)
{
    // First shown over the middle of the host; where the user puts it after.
    if (!m_placed && parentWidget() && parentWidget()->isVisible()) {
        m_placed = true;
        const QWidget *host = parentWidget()->window();
        move(host->mapToGlobal(host->rect().center()) - rect().center());
    }
    QWidget::showEvent(event);
}

QList<DownloadRow *> frmDownloads::rows() const
{
    QList<DownloadRow *> rows;
    for (int i = 0; i < list->count(); ++i)
        rows << static_cast<DownloadRow *>(list->itemWidget(list->item(i)));
    return rows;
}

void frmDownloads::add(DownloadItem *item)
{
    auto *row = new DownloadRow(item, [this](const QUrl &url) { return m_opener(url); }, m_dialogs, list);
    auto *entry = new QListWidgetItem(list);
    list->setItemWidget(entry, row);
    fit(entry);
    connect(item, &DownloadItem::changed, row, [this, entry] { fit(entry); });
    list->scrollToItem(entry);
    empty->hide();
}

void frmDownloads::fit(QListWidgetItem *entry)
{
    QWidget *row = list->itemWidget(entry);
    const int width = list->viewport()->width();
    const int height = row->hasHeightForWidth() ? row->heightForWidth(width) : row->sizeHint().height();
    const QSize size(width, qMax(height, row->minimumSizeHint().height()));
    if (entry->sizeHint() != size)
        entry->setSizeHint(size);
}

bool frmDownloads::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == list->viewport() && event->type() == QEvent::Resize)
        for (int i = 0; i < list->count(); ++i)
            fit(list->item(i));
    return QWidget::eventFilter(watched, event);
}

void frmDownloads::reportFailure(DownloadItem *item)
{
    m_dialogs.message(isVisible() ? this : parentWidget(), QMessageBox::Warning, QStringLiteral("Download failed"),
                      QStringLiteral("\"%1\" could not be downloaded: %2.\n\nNothing was saved to \"%3\".")
                          .arg(QFileInfo(item->path()).fileName(), item->failure(), item->path()));
}
