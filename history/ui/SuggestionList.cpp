#include "history/ui/SuggestionList.h"

#include <QAccessible>
#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>

namespace {
constexpr int AddressRole = Qt::UserRole;
constexpr int FavoriteRole = Qt::UserRole + 1;
constexpr int Margin = 4;
constexpr int PictureSize = 16;

// Read once: a row is drawn on every keystroke.
const QPixmap &favoritePicture()
{
    static const QPixmap picture = QPixmap(QStringLiteral(":/favs.xpm")).scaled(PictureSize, PictureSize);
    return picture;
}

// Two lines a row: the title, and below it the address in the colour of a
// link. Text from pages is drawn as text, never as markup.
class RowDrawing : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *p, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        QStyleOptionViewItem o = option;
        initStyleOption(&o, index);
        const bool chosen = o.state & QStyle::State_Selected;
        const QPalette &pal = o.palette;
        p->save();
        p->fillRect(o.rect, chosen ? pal.highlight() : pal.base());
        const QRect inner = o.rect.adjusted(Margin, 2, -Margin, -2);
        if (index.data(FavoriteRole).toBool())
            p->drawPixmap(inner.left(), inner.top() + (inner.height() - PictureSize) / 2, favoritePicture());
        const QRect text = inner.adjusted(PictureSize + Margin, 0, 0, 0);
        const QFontMetrics fm(o.font);
        const int line = fm.height();
        QFont titleFont = o.font;
        titleFont.setBold(true);
        p->setFont(titleFont);
        p->setPen(chosen ? pal.highlightedText().color() : pal.text().color());
        const QString title = index.data(Qt::DisplayRole).toString();
        p->drawText(QRect(text.left(), text.top(), text.width(), line), Qt::AlignLeft | Qt::AlignVCenter,
                    QFontMetrics(titleFont).elidedText(title, Qt::ElideRight, text.width()));
        p->setFont(o.font);
        p->setPen(chosen ? pal.highlightedText().color() : pal.link().color());
        p->drawText(QRect(text.left(), text.top() + line, text.width(), line), Qt::AlignLeft | Qt::AlignVCenter,
                    fm.elidedText(index.data(AddressRole).toString(), Qt::ElideMiddle, text.width()));
        p->restore();
    }

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &) const override
    {
        return QSize(200, 2 * QFontMetrics(option.font).height() + 4);
    }
};
} // namespace

SuggestionList::SuggestionList(QWidget *parent) : QListWidget(parent)
{
    setObjectName(QStringLiteral("suggestionList"));
    setAccessibleName(QStringLiteral("Suggestions"));
    setItemDelegate(new RowDrawing(this));
    setFocusPolicy(Qt::NoFocus);
    viewport()->setFocusPolicy(Qt::NoFocus);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setUniformItemSizes(true);
    setFrameShape(QFrame::Box);
    setMouseTracking(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Base, Qt::white);
    pal.setColor(QPalette::Text, Qt::black);
    setPalette(pal);
    hide();
}

QString SuggestionList::spokenText(const Suggestion &row)
{
    const QString title = row.title.isEmpty() ? row.address : row.title;
    QString text = row.title.isEmpty() ? row.address : title + QStringLiteral(", ") + row.address;
    if (row.favorite)
        text += QStringLiteral(", favorite");
    return text;
}

void SuggestionList::setRows(const QList<Suggestion> &rows)
{
    // Items already there take the new texts: the list is rebuilt on every
    // keystroke, and making items costs more than changing them.
    while (count() > rows.size())
        delete takeItem(count() - 1);
    for (qsizetype i = 0; i < rows.size(); ++i) {
        QListWidgetItem *it = i < count() ? item(int(i)) : new QListWidgetItem(this);
        const Suggestion &row = rows[i];
        it->setData(Qt::DisplayRole, row.title.isEmpty() ? row.address : row.title);
        it->setData(AddressRole, row.address);
        it->setData(FavoriteRole, row.favorite);
        it->setData(Qt::AccessibleTextRole, spokenText(row));
    }
    clearSelection();
    setCurrentRow(-1);
}

void SuggestionList::choose(int row)
{
    if (row < 0 || row >= count()) {
        clearSelection();
        setCurrentRow(-1, QItemSelectionModel::Clear);
        return;
    }
    setCurrentRow(row, QItemSelectionModel::ClearAndSelect);
    // The focus stays in the address box: the row chosen is told as it would
    // be were the list focused.
    if (QAccessible::isActive()) {
        QAccessibleEvent chosen(this, QAccessible::Focus);
        chosen.setChild(row);
        QAccessible::updateAccessibility(&chosen);
    }
}

int SuggestionList::rowHeight() const
{
    return 2 * fontMetrics().height() + 4;
}

void SuggestionList::showUnder(QWidget *box)
{
    QWidget *window = box->window();
    if (parentWidget() != window) {
        setParent(window);
        setFocusPolicy(Qt::NoFocus);
    }
    const int width = qMin(qMax(box->width(), 480), window->width());
    const int height = count() * rowHeight() + 2 * frameWidth();
    const QPoint below = box->mapTo(window, QPoint(0, box->height()));
    int x = qMin(below.x(), window->width() - width);
    int y = below.y();
    if (y + height > window->height() && box->mapTo(window, QPoint()).y() - height >= 0)
        y = box->mapTo(window, QPoint()).y() - height;
    setGeometry(qMax(0, x), y, width, height);
    raise();
    show();
}

void SuggestionList::mouseReleaseEvent(QMouseEvent *event)
{
    const QListWidgetItem *it = itemAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton && it) {
        emit picked(row(it));
        return;
    }
    QListWidget::mouseReleaseEvent(event);
}
