#include "history/ui/frmHistory.h"

#include "history/core/HistoryStore.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {
enum Role { KindRole = Qt::UserRole, DateRole, AddressRole, CursorTimeRole, CursorIdRole, LoadedRole };
enum Kind { Day, Page, MorePages, MoreDays, MoreFound };
constexpr int DaysAtOnce = 60;
constexpr int PagesAtOnce = 200;

int kindOf(const QTreeWidgetItem *item)
{
    return item ? item->data(0, KindRole).toInt() : -1;
}

QString dayText(const QDate &day)
{
    const QDate today = QDate::currentDate();
    if (day == today)
        return QStringLiteral("Today");
    if (day == today.addDays(-1))
        return QStringLiteral("Yesterday");
    return QLocale().toString(day, QLocale::LongFormat);
}

void keepCursor(QTreeWidgetItem *item, const HistoryCursor &cursor)
{
    item->setData(0, CursorTimeRole, cursor.atMsecs);
    item->setData(0, CursorIdRole, cursor.id);
}

HistoryCursor cursorOf(const QTreeWidgetItem *item)
{
    return {item->data(0, CursorTimeRole).toLongLong(), item->data(0, CursorIdRole).toLongLong()};
}

QTreeWidgetItem *moreItem(int kind, const QString &text)
{
    auto *more = new QTreeWidgetItem({text});
    more->setData(0, KindRole, kind);
    QFont italic = more->font(0);
    italic.setItalic(true);
    more->setFont(0, italic);
    return more;
}
} // namespace

frmHistory::frmHistory(HistoryStore &store, QWidget *owner)
    : QWidget(owner, Qt::Window), txtSearch(new QLineEdit(this)), lstHistory(new QTreeWidget(this)),
      lblStatus(new QLabel(this)), m_store(store), m_refreshSoon(new QTimer(this))
{
    setObjectName(QStringLiteral("frmHistory"));
    setWindowTitle(QStringLiteral("History"));
    resize(720, 480);
    txtSearch->setPlaceholderText(QStringLiteral("Search the history"));
    txtSearch->setAccessibleName(QStringLiteral("Search the history"));
    txtSearch->setClearButtonEnabled(true);
    lstHistory->setAccessibleName(QStringLiteral("Pages visited"));
    lstHistory->setHeaderLabels({QStringLiteral("Title"), QStringLiteral("Address"), QStringLiteral("Visited")});
    lstHistory->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lstHistory->setUniformRowHeights(true);
    lstHistory->setAllColumnsShowFocus(true);
    lstHistory->header()->setStretchLastSection(false);
    lstHistory->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    lstHistory->header()->setSectionResizeMode(1, QHeaderView::Stretch);
    lstHistory->header()->setSectionResizeMode(2, QHeaderView::ResizeToContents);
    lblStatus->setTextFormat(Qt::PlainText);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(txtSearch);
    layout->addWidget(lstHistory, 1);
    layout->addWidget(lblStatus);

    // Searched as the person types, once the typing pauses.
    m_refreshSoon->setSingleShot(true);
    m_refreshSoon->setInterval(150);
    connect(m_refreshSoon, &QTimer::timeout, this, &frmHistory::refresh);
    connect(txtSearch, &QLineEdit::textChanged, m_refreshSoon, qOverload<>(&QTimer::start));
    connect(txtSearch, &QLineEdit::returnPressed, this, &frmHistory::refresh);
    connect(&m_store, &HistoryStore::changed, this, [this] {
        if (isVisible())
            m_refreshSoon->start();
    });
    connect(lstHistory, &QTreeWidget::itemExpanded, this, &frmHistory::loadDay);
    connect(lstHistory, &QTreeWidget::itemActivated, this, &frmHistory::onActivated);
    txtSearch->installEventFilter(this);
    lstHistory->installEventFilter(this);
}

void frmHistory::showForSearch()
{
    if (!isVisible())
        refresh();
    // First shown over the middle of the host; where the person puts it after.
    if (!m_placed && parentWidget()) {
        m_placed = true;
        const QWidget *host = parentWidget()->window();
        move(host->mapToGlobal(host->rect().center()) - rect().center());
    }
    show();
    raise();
    activateWindow();
    txtSearch->setFocus(Qt::OtherFocusReason);
    txtSearch->selectAll();
}

void frmHistory::refresh()
{
    m_refreshSoon->stop();
    const quint64 generation = ++m_generation;
    // What the person was on stays where it was, as far as it is still there.
    const QTreeWidgetItem *current = lstHistory->currentItem();
    const QString currentAddress = current ? current->data(0, AddressRole).toString() : QString();
    QSet<QDate> open;
    for (int i = 0; i < lstHistory->topLevelItemCount(); ++i)
        if (lstHistory->topLevelItem(i)->isExpanded())
            open.insert(lstHistory->topLevelItem(i)->data(0, DateRole).toDate());
    const auto restore = [this, currentAddress] {
        if (currentAddress.isEmpty())
            return;
        for (QTreeWidgetItemIterator it(lstHistory); *it; ++it)
            if ((*it)->data(0, AddressRole).toString() == currentAddress)
                return lstHistory->setCurrentItem(*it);
    };

    m_searched = txtSearch->text().trimmed();
    if (m_searched.isEmpty()) {
        m_store.days(QDate(), DaysAtOnce, this, [=, this](const QList<HistoryDay> &days) {
            if (generation != m_generation)
                return;
            lstHistory->clear();
            for (const HistoryDay &day : days)
                lstHistory->addTopLevelItem(dayItem(day.day, day.pages));
            if (days.size() == DaysAtOnce) {
                QTreeWidgetItem *older = moreItem(MoreDays, QStringLiteral("Older days..."));
                older->setData(0, DateRole, days.last().day);
                lstHistory->addTopLevelItem(older);
            }
            // Today's (or the newest day's) pages at once, and the days that were open.
            for (int i = 0; i < lstHistory->topLevelItemCount(); ++i) {
                QTreeWidgetItem *day = lstHistory->topLevelItem(i);
                if (kindOf(day) == Day && (i == 0 || open.contains(day->data(0, DateRole).toDate())))
                    day->setExpanded(true);
            }
            restore();
            showStatus();
        });
        return;
    }
    m_store.search(m_searched, {}, PagesAtOnce, this, [=, this](const HistoryPages &found) {
        if (generation != m_generation)
            return;
        lstHistory->clear();
        addPages(nullptr, found, true);
        restore();
        showStatus();
    });
}

QTreeWidgetItem *frmHistory::dayItem(const QDate &day, int pages)
{
    auto *item = new QTreeWidgetItem({dayText(day)});
    item->setData(0, KindRole, Day);
    item->setData(0, DateRole, day);
    if (pages > 0)
        item->setText(2, pages == 1 ? QStringLiteral("1 page") : QStringLiteral("%1 pages").arg(pages));
    item->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
    item->setFirstColumnSpanned(false);
    return item;
}

void frmHistory::addPages(QTreeWidgetItem *day, const HistoryPages &found, bool groupByDay)
{
    QTreeWidgetItem *group = day;
    for (const HistoryPage &page : found.pages) {
        const QDate date = page.visitedAt.date();
        if (groupByDay && (!group || group->data(0, DateRole).toDate() != date)) {
            group = nullptr;
            for (int i = lstHistory->topLevelItemCount() - 1; i >= 0 && !group; --i)
                if (lstHistory->topLevelItem(i)->data(0, DateRole).toDate() == date)
                    group = lstHistory->topLevelItem(i);
            if (!group) {
                group = dayItem(date, 0);
                group->setData(0, LoadedRole, true);
                lstHistory->addTopLevelItem(group);
                group->setExpanded(true);
            }
        }
        auto *item = new QTreeWidgetItem({page.title.isEmpty() ? page.address : page.title, page.address,
                                          QLocale().toString(page.visitedAt.time(), QLocale::ShortFormat)});
        item->setData(0, KindRole, Page);
        item->setData(0, AddressRole, page.address);
        item->setToolTip(1, page.address);
        if (QTreeWidgetItem *last = group->child(group->childCount() - 1); last && kindOf(last) != Page)
            group->insertChild(group->childCount() - 1, item);
        else
            group->addChild(item);
    }
    if (found.more) {
        QTreeWidgetItem *more = moreItem(groupByDay ? MoreFound : MorePages, QStringLiteral("More..."));
        keepCursor(more, found.next);
        if (groupByDay)
            lstHistory->addTopLevelItem(more);
        else
            day->addChild(more);
    }
}

void frmHistory::loadDay(QTreeWidgetItem *day)
{
    if (kindOf(day) != Day || day->data(0, LoadedRole).toBool())
        return;
    day->setData(0, LoadedRole, true);
    const quint64 generation = m_generation;
    m_store.dayPages(day->data(0, DateRole).toDate(), {}, PagesAtOnce, this,
                     [=, this](const HistoryPages &found) {
                         if (generation == m_generation)
                             addPages(day, found, false);
                     });
}

void frmHistory::loadMore(QTreeWidgetItem *more)
{
    const quint64 generation = m_generation;
    const int kind = kindOf(more);
    QTreeWidgetItem *day = more->parent();
    const HistoryCursor after = cursorOf(more);
    const QDate before = more->data(0, DateRole).toDate();
    delete more;
    if (kind == MorePages) {
        m_store.dayPages(day->data(0, DateRole).toDate(), after, PagesAtOnce, this,
                         [=, this](const HistoryPages &found) {
                             if (generation == m_generation)
                                 addPages(day, found, false);
                         });
    } else if (kind == MoreFound) {
        m_store.search(m_searched, after, PagesAtOnce, this, [=, this](const HistoryPages &found) {
            if (generation == m_generation)
                addPages(nullptr, found, true);
        });
    } else if (kind == MoreDays) {
        m_store.days(before, DaysAtOnce, this, [=, this](const QList<HistoryDay> &days) {
            if (generation != m_generation)
                return;
            for (const HistoryDay &d : days)
                lstHistory->addTopLevelItem(dayItem(d.day, d.pages));
            if (days.size() == DaysAtOnce) {
                QTreeWidgetItem *older = moreItem(MoreDays, QStringLiteral("Older days..."));
                older->setData(0, DateRole, days.last().day);
                lstHistory->addTopLevelItem(older);
            }
        });
    }
}

void frmHistory::onActivated(QTreeWidgetItem *item)
{
    switch (kindOf(item)) {
    case Page:
        emit openRequested(item->data(0, AddressRole).toString());
        break;
    case Day:
        item->setExpanded(!item->isExpanded());
        break;
    case MorePages:
    case MoreDays:
    case MoreFound:
        loadMore(item);
        break;
    }
}

void frmHistory::removeSelected()
{
    QStringList addresses;
    const QList<QTreeWidgetItem *> chosen = lstHistory->selectedItems();
    for (QTreeWidgetItem *item : chosen)
        if (kindOf(item) == Page)
            addresses << item->data(0, AddressRole).toString();
    if (addresses.isEmpty())
        return;
    // The row below the first one removed takes the selection, as in a list.
    QTreeWidgetItem *next = lstHistory->itemBelow(chosen.last());
    while (next && next->isSelected())
        next = lstHistory->itemBelow(next);
    for (QTreeWidgetItem *item : chosen)
        if (kindOf(item) == Page)
            delete item;
    if (next)
        lstHistory->setCurrentItem(next);
    m_store.remove(addresses);
}

QStringList frmHistory::addresses() const
{
    QStringList list;
    for (QTreeWidgetItemIterator it(lstHistory); *it; ++it)
        if (kindOf(*it) == Page)
            list << (*it)->data(0, AddressRole).toString();
    return list;
}

void frmHistory::showStatus()
{
    if (lstHistory->topLevelItemCount() > 0)
        lblStatus->setText(QString());
    else
        lblStatus->setText(m_searched.isEmpty() ? QStringLiteral("No pages in the history.")
                                                : QStringLiteral("No pages found."));
    lblStatus->setVisible(!lblStatus->text().isEmpty());
}

bool frmHistory::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);
    const int key = static_cast<QKeyEvent *>(event)->key();
    if (watched == txtSearch && key == Qt::Key_Down && lstHistory->topLevelItemCount() > 0) {
        lstHistory->setFocus(Qt::OtherFocusReason);
        if (!lstHistory->currentItem())
            lstHistory->setCurrentItem(lstHistory->topLevelItem(0));
        return true;
    }
    if (watched == lstHistory && key == Qt::Key_Delete) {
        removeSelected();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void frmHistory::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}
