#include "favorites/ui/frmEditFavs.h"

#include "favorites/ui/FavoritesExchange.h"
#include "common/ui/Twips.h"
#include "common/ui/Dialogs.h"

#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QTreeWidget>
#include <qdrawutil.h>

namespace {
void place(QWidget *w, qint32 left, qint32 top, qint32 width, qint32 height)
{
    Twips::place(w, {left, top, width, height});
}
using Twips::arial;

// Rows sort by their text without regard to case, then with it, so that the
// order does not depend on how a title happens to be capitalised.
class FavoriteItem : public QTreeWidgetItem
{
public:
    using QTreeWidgetItem::QTreeWidgetItem;
    bool operator<(const QTreeWidgetItem &other) const override
    {
        const int column = treeWidget() ? treeWidget()->sortColumn() : 0;
        const QString a = text(column), b = other.text(column);
        const int folded = a.compare(b, Qt::CaseInsensitive);
        return folded != 0 ? folded < 0 : a < b;
    }
};

constexpr int ClientWidth = 5820;
constexpr int ClientHeight = 3945;
} // namespace

frmEditFavs::frmEditFavs(QWidget *owner, Dialogs &dialogs)
    : QDialog(owner, Qt::Dialog | Qt::FramelessWindowHint), m_dialogs(dialogs)
{
    setWindowModality(Qt::ApplicationModal);
    setFont(arial(9.75));
    setFixedSize(Units::toPixels(ClientWidth), Units::toPixels(ClientHeight));

    lstFavs = new QTreeWidget(this);
    lstFavs->setColumnCount(2);
    lstFavs->setHeaderLabels({QStringLiteral("Site Title"), QStringLiteral("Site URL")});
    lstFavs->setRootIsDecorated(false);
    lstFavs->setUniformRowHeights(true);
    lstFavs->setSelectionMode(QAbstractItemView::SingleSelection);
    lstFavs->setAllColumnsShowFocus(true);
    lstFavs->header()->setSectionsClickable(true);
    lstFavs->header()->setStretchLastSection(false);
    place(lstFavs, 30, 30, 5745, 2625);
    lstFavs->setColumnWidth(0, Units::toPixels(2880));

    fraUpdate = new QGroupBox(QStringLiteral("Edit Information"), this);
    place(fraUpdate, 60, 2610, 5685, 885);
    lblCaption0 = new QLabel(QStringLiteral("Site Title:"), fraUpdate);
    place(lblCaption0, 90, 270, 825, 240);
    txtTitle = new QLineEdit(fraUpdate);
    txtTitle->setFont(arial(8.25));
    place(txtTitle, 960, 240, 3945, 285);
    lblCaption1 = new QLabel(QStringLiteral("Site URL:"), fraUpdate);
    place(lblCaption1, 90, 600, 840, 240);
    txtURL = new QLineEdit(QStringLiteral("http://"), fraUpdate);
    txtURL->setFont(arial(8.25));
    place(txtURL, 960, 540, 3945, 285);
    cmdUpdate = new QPushButton(QStringLiteral("Update"), fraUpdate);
    cmdUpdate->setFont(arial(8.25));
    place(cmdUpdate, 4950, 240, 675, 585);
    fraUpdate->setEnabled(false);

    cmdMoveUp = new QPushButton(QStringLiteral("Move Up"), this);
    place(cmdMoveUp, 30, 3540, 1155, 375);
    cmdMoveDown = new QPushButton(QStringLiteral("Move Down"), this);
    place(cmdMoveDown, 1200, 3540, 1155, 375);
    cmdRemove = new QPushButton(QStringLiteral("Remove"), this);
    place(cmdRemove, 2370, 3540, 1155, 375);
    cmdDone = new QPushButton(QStringLiteral("Done"), this);
    place(cmdDone, 4620, 3540, 1155, 375);
    // In the gap before Done: the exchange with other browsers.
    cmdMore = new QPushButton(QStringLiteral("More"), this);
    place(cmdMore, 3570, 3540, 1005, 375);
    auto *more = new QMenu(cmdMore);
    mnuImport = more->addAction(QStringLiteral("Import Favorites..."));
    mnuExport = more->addAction(QStringLiteral("Export Favorites..."));
    cmdMore->setMenu(more);
    cmdMore->setAutoDefault(false);
    connect(mnuImport, &QAction::triggered, this, &frmEditFavs::mnuImport_Click);
    connect(mnuExport, &QAction::triggered, this, &frmEditFavs::mnuExport_Click);
    for (QPushButton *b : {cmdUpdate, cmdMoveUp, cmdMoveDown, cmdRemove, cmdDone})
        b->setAutoDefault(false);
    cmdDone->setDefault(true);
    cmdMoveUp->setEnabled(false);
    cmdMoveDown->setEnabled(false);
    cmdRemove->setEnabled(false);

    setTabOrder(cmdDone, lstFavs);
    setTabOrder(lstFavs, txtTitle);
    setTabOrder(txtTitle, txtURL);
    setTabOrder(txtURL, cmdUpdate);
    setTabOrder(cmdUpdate, cmdMoveUp);
    setTabOrder(cmdMoveUp, cmdMoveDown);
    setTabOrder(cmdMoveDown, cmdRemove);
    setTabOrder(cmdRemove, cmdMore);

    connect(lstFavs, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem *item) { lstFavs_ItemClick(item); });
    // Selecting with the keyboard is selecting too.
    connect(lstFavs, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem *item) {
        if (!m_filling && item && lstFavs->hasFocus())
            lstFavs_ItemClick(item);
    });
    connect(lstFavs->header(), &QHeaderView::sectionClicked, this, &frmEditFavs::lstFavs_ColumnClick);
    connect(cmdUpdate, &QPushButton::clicked, this, &frmEditFavs::cmdUpdate_Click);
    connect(cmdRemove, &QPushButton::clicked, this, &frmEditFavs::cmdRemove_Click);
    connect(cmdMoveUp, &QPushButton::clicked, this, &frmEditFavs::cmdMoveUp_Click);
    connect(cmdMoveDown, &QPushButton::clicked, this, &frmEditFavs::cmdMoveDown_Click);
    connect(cmdDone, &QPushButton::clicked, this, &frmEditFavs::cmdDone_Click);
}

void frmEditFavs::Form_Load()
{
    lstFavs->setColumnWidth(1, Units::toPixels(5745 - (2880 + 60)));
    LoadFavoritesList();
    cmdDone->setFocus();
}

void frmEditFavs::LoadFavoritesList()
{
    m_userName = Favorites::CurrentUserName();
    QString error;
    const QList<FavoriteEntry> entries = Favorites::ReadFavoritesForEditor(m_userName, &error);
    if (!error.isEmpty()) {
        // An empty list written back over a file that could not be read would
        // throw its favorites away: the editor only shows, and writes nothing.
        openReadOnly(error);
        return;
    }
    // A file the user made read-only is shown as it is and never rewritten.
    const QString path = Favorites::FavoritesFilePath(m_userName);
    if (QString reason; !Favorites::mayChange(path, &reason)) {
        openReadOnly(QStringLiteral("The favorites file \"%1\" cannot be changed: %2.").arg(path, reason));
        // Its favorites can still be looked at and exported.
        lstFavs->setEnabled(true);
        mnuExport->setEnabled(true);
    }
    QList<QTreeWidgetItem *> items;
    items.reserve(entries.size());
    for (const FavoriteEntry &e : entries)
        items << new FavoriteItem(QStringList{e.Title, e.URL});
    m_filling = true;
    lstFavs->addTopLevelItems(items);
    lstFavs->clearSelection();
    lstFavs->setCurrentItem(nullptr);
    m_filling = false;
}

void frmEditFavs::openReadOnly(const QString &why)
{
    m_readOnly = true;
    m_dialogs.message(parentWidget(), QMessageBox::Warning, QStringLiteral("Favorites"),
                      why + QStringLiteral("\n\nThe favorites editor opens read-only: the file "
                                           "keeps what it holds."));
    setWindowTitle(QStringLiteral("Favorites (read-only)"));
    lstFavs->setEnabled(false);
    mnuImport->setEnabled(false);
    mnuExport->setEnabled(false);
    cmdDone->setText(QStringLiteral("Close"));
}

QList<FavoriteEntry> frmEditFavs::rows() const
{
    QList<FavoriteEntry> list;
    const int count = lstFavs->topLevelItemCount();
    list.reserve(count);
    for (int i = 0; i < count; ++i) {
        const QTreeWidgetItem *item = lstFavs->topLevelItem(i);
        list.append({item->text(0), item->text(1)});
    }
    return list;
}

int frmEditFavs::selectedRow() const
{
    const QList<QTreeWidgetItem *> selected = lstFavs->selectedItems();
    if (selected.isEmpty())
        return 0;
    return lstFavs->indexOfTopLevelItem(selected.first()) + 1;
}

void frmEditFavs::lstFavs_ItemClick(QTreeWidgetItem *item)
{
    const int row = lstFavs->indexOfTopLevelItem(item) + 1;
    if (row < 1)
        return;
    txtTitle->setText(item->text(0));
    txtURL->setText(item->text(1));
    if (m_readOnly)
        return;
    cmdRemove->setEnabled(true);
    fraUpdate->setEnabled(true);
    cmdMoveUp->setEnabled(row != 1);
    cmdMoveDown->setEnabled(row != lstFavs->topLevelItemCount());
}

void frmEditFavs::lstFavs_ColumnClick(int column)
{
    m_sortOrder = m_sortOrder == Qt::AscendingOrder ? Qt::DescendingOrder : Qt::AscendingOrder;
    m_filling = true;
    lstFavs->sortItems(column, m_sortOrder);
    m_filling = false;
}

void frmEditFavs::cmdUpdate_Click()
{
    // Acts only on a row that is selected now; a stale button does nothing.
    const int row = selectedRow();
    if (row < 1)
        return;
    QTreeWidgetItem *item = lstFavs->topLevelItem(row - 1);
    // Pasted line breaks would split the entry in the file; the row shows
    // what will be stored.
    const FavoriteEntry entry = Favorites::mendEntry({txtTitle->text(), txtURL->text()});
    item->setText(0, entry.Title);
    item->setText(1, entry.URL);
}

void frmEditFavs::cmdRemove_Click()
{
    const int row = selectedRow();
    if (row >= 1) {
        m_filling = true;
        delete lstFavs->takeTopLevelItem(row - 1);
        // No other row is taken to be the selected one.
        lstFavs->clearSelection();
        lstFavs->setCurrentItem(nullptr);
        m_filling = false;
    }
    cmdRemove->setEnabled(false);
}

void frmEditFavs::swapRows(int s, int n)
{
    const int count = lstFavs->topLevelItemCount();
    if (s < 1 || n < 1 || s > count || n > count)
        return;
    QTreeWidgetItem *a = lstFavs->topLevelItem(s - 1);
    QTreeWidgetItem *b = lstFavs->topLevelItem(n - 1);
    // Whole entries change places; nothing is cut at a "||" on the way.
    const QString title = b->text(0), url = b->text(1);
    b->setText(0, a->text(0));
    b->setText(1, a->text(1));
    a->setText(0, title);
    a->setText(1, url);
}

void frmEditFavs::cmdMoveUp_Click()
{
    const int s = selectedRow();
    swapRows(s, s - 1);
}

void frmEditFavs::cmdMoveDown_Click()
{
    const int s = selectedRow();
    swapRows(s, s + 1);
}

void frmEditFavs::cmdDone_Click()
{
    if (m_readOnly) {
        reject();
        return;
    }
    QString error;
    if (!Favorites::RewriteFavorites(m_userName, rows(), &error)) {
        // The file keeps what it had, and the edits stay here to try again.
        m_dialogs.message(this, QMessageBox::Warning, QStringLiteral("Favorites"), error);
        return;
    }
    accept();
}

void frmEditFavs::mnuImport_Click()
{
    if (m_readOnly)
        return;
    const QList<FavoriteEntry> added = FavoritesExchange::importFrom(this, m_dialogs, rows());
    QList<QTreeWidgetItem *> items;
    for (const FavoriteEntry &e : added)
        items << new FavoriteItem(QStringList{e.Title, e.URL});
    m_filling = true;
    lstFavs->addTopLevelItems(items);
    m_filling = false;
    if (!items.isEmpty())
        lstFavs->scrollToItem(items.last());
}

void frmEditFavs::mnuExport_Click()
{
    if (mnuExport->isEnabled())
        FavoritesExchange::exportTo(this, m_dialogs, rows());
}

void frmEditFavs::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    qDrawWinPanel(&p, rect(), palette(), false);
}

void frmEditFavs::showEvent(QShowEvent *event)
{
    // Centred over the window that opened it.
    if (QWidget *owner = parentWidget()) {
        const QPoint centre = owner->mapToGlobal(owner->rect().center());
        move(centre - QPoint(width() / 2, height() / 2));
    }
    QDialog::showEvent(event);
}
