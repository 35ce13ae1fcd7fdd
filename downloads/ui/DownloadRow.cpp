#include "downloads/ui/DownloadRow.h"

#include "downloads/core/DownloadList.h"
#include "common/ui/Dialogs.h"

#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QUrl>

DownloadRow::DownloadRow(DownloadItem *item, std::function<bool(const QUrl &)> opener, Dialogs &dialogs,
                         QWidget *parent)
    : QWidget(parent), name(new QLabel(this)), status(new QLabel(this)), bar(new QProgressBar(this)),
      cancel(new QPushButton(QStringLiteral("Cancel"), this)),
      open(new QPushButton(QStringLiteral("Open"), this)),
      showInFolder(new QPushButton(QStringLiteral("Show in folder"), this)), m_item(item),
      m_opener(std::move(opener)), m_dialogs(dialogs)
{
    name->setTextFormat(Qt::PlainText);
    status->setTextFormat(Qt::PlainText);
    // A failure's reason can be long: it wraps rather than push the buttons
    // out of the row.
    status->setWordWrap(true);
    status->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    name->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    QFont bold = name->font();
    bold.setBold(true);
    name->setFont(bold);
    name->setText(QFileInfo(item->path()).fileName());
    name->setToolTip(item->path());
    bar->setTextVisible(false);
    bar->setMaximumHeight(14);

    auto *layout = new QGridLayout(this);
    layout->setContentsMargins(6, 4, 6, 4);
    layout->addWidget(name, 0, 0);
    layout->addWidget(bar, 1, 0);
    layout->addWidget(status, 2, 0);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(cancel);
    buttons->addWidget(open);
    buttons->addWidget(showInFolder);
    layout->addLayout(buttons, 0, 1, 3, 1, Qt::AlignVCenter);
    layout->setColumnStretch(0, 1);
    for (QPushButton *b : {cancel, open, showInFolder})
        b->setAutoDefault(false);

    connect(cancel, &QPushButton::clicked, this, [this] {
        if (m_item)
            m_item->cancel();
    });
    connect(open, &QPushButton::clicked, this, [this] {
        if (m_item)
            openPath(m_item->path(), QStringLiteral("file"));
    });
    connect(showInFolder, &QPushButton::clicked, this, [this] {
        if (m_item)
            openPath(QFileInfo(m_item->path()).absolutePath(), QStringLiteral("folder"));
    });
    connect(item, &DownloadItem::changed, this, &DownloadRow::refresh);
    // A stalled transfer reports nothing: the speed and time left are
    // brought up to date each second all the same.
    auto *tick = new QTimer(this);
    connect(tick, &QTimer::timeout, this, [this, tick] {
        refresh();
        if (!m_item || !m_item->isRunning())
            tick->stop();
    });
    tick->start(1000);
    m_clock.start();
    refresh();
}

void DownloadRow::refresh()
{
    if (!m_item)
        return;
    const qint64 received = m_item->receivedBytes();
    const qint64 total = m_item->totalBytes();
    const DownloadItem::State state = m_item->state();
    m_rate.sample(m_clock.elapsed(), received);

    if (total > 0) {
        // Scaled to kilobytes, so that files beyond 2 GB fit the bar's int range.
        bar->setRange(0, int(qMax<qint64>(1, total / 1024)));
        bar->setValue(int(qMin(received, total) / 1024));
    } else if (state == DownloadItem::Running) {
        bar->setRange(0, 0); // busy: the size is not known
    } else {
        bar->setRange(0, 1);
        bar->setValue(state == DownloadItem::Completed ? 1 : 0);
    }

    QString text;
    switch (state) {
    case DownloadItem::Running: {
        text = TransferText::progress(received, total);
        const qint64 left = m_rate.secondsLeft(total);
        if (left >= 0)
            text += QStringLiteral(" - ") + TransferText::timeLeft(left);
        else if (m_rate.bytesPerSecond() > 0)
            text += QStringLiteral(" - ") + TransferText::speed(m_rate.bytesPerSecond());
        break;
    }
    case DownloadItem::Completed:
        text = TransferText::size(received) + QStringLiteral(" - Done");
        break;
    case DownloadItem::Cancelled:
        text = QStringLiteral("Cancelled");
        break;
    case DownloadItem::Failed:
        text = QStringLiteral("Failed: ") + m_item->failure();
        break;
    }
    status->setText(text);
    cancel->setEnabled(state == DownloadItem::Running);
    open->setEnabled(state == DownloadItem::Completed);
    showInFolder->setEnabled(state == DownloadItem::Completed);
}

void DownloadRow::openPath(const QString &path, const QString &what)
{
    if (m_opener(QUrl::fromLocalFile(path)))
        return;
    m_dialogs.message(window(), QMessageBox::Warning, QStringLiteral("Downloads"),
                      QStringLiteral("The %1 \"%2\" could not be opened.").arg(what, path));
}
