#include "browser/ui/FindBar.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPointer>
#include <QToolButton>

FindBar::FindBar(Finder finder, QWidget *parent) : QWidget(parent), m_finder(std::move(finder))
{
    setAutoFillBackground(true);
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(4, 2, 4, 2);
    row->setSpacing(4);
    auto *caption = new QLabel(QStringLiteral("Find:"), this);
    txtFind = new QLineEdit(this);
    txtFind->setObjectName(QStringLiteral("txtFind"));
    txtFind->setClearButtonEnabled(true);
    txtFind->setMaximumWidth(260);
    caption->setBuddy(txtFind);
    cmdPrevious = new QToolButton(this);
    cmdPrevious->setArrowType(Qt::UpArrow);
    cmdPrevious->setToolTip(QStringLiteral("Previous match (Shift+Enter)"));
    cmdNext = new QToolButton(this);
    cmdNext->setArrowType(Qt::DownArrow);
    cmdNext->setToolTip(QStringLiteral("Next match (Enter)"));
    lblMatches = new QLabel(this);
    lblMatches->setTextFormat(Qt::PlainText);
    lblMatches->setMinimumWidth(lblMatches->fontMetrics().horizontalAdvance(QStringLiteral("No matches 000")));
    cmdCloseFind = new QToolButton(this);
    cmdCloseFind->setText(QStringLiteral("\u00D7"));
    cmdCloseFind->setAutoRaise(true);
    cmdCloseFind->setToolTip(QStringLiteral("Close the find bar (Esc)"));
    for (QToolButton *b : {cmdPrevious, cmdNext, cmdCloseFind})
        b->setFocusPolicy(Qt::NoFocus);
    row->addWidget(caption);
    row->addWidget(txtFind, 1);
    row->addWidget(cmdPrevious);
    row->addWidget(cmdNext);
    row->addWidget(lblMatches);
    row->addStretch(0);
    row->addWidget(cmdCloseFind);
    setFixedHeight(sizeHint().height());

    // Each change of the text looks again from where the page stands.
    connect(txtFind, &QLineEdit::textChanged, this, [this] { search(false); });
    connect(cmdNext, &QToolButton::clicked, this, &FindBar::findNext);
    connect(cmdPrevious, &QToolButton::clicked, this, &FindBar::findPrevious);
    connect(cmdCloseFind, &QToolButton::clicked, this, &FindBar::close);
    txtFind->installEventFilter(this);
    hide();
}

QString FindBar::text() const
{
    return txtFind->text();
}

QString FindBar::matches() const
{
    return lblMatches->text();
}

void FindBar::open()
{
    const bool wasHidden = isHidden();
    show();
    txtFind->setFocus(Qt::ShortcutFocusReason);
    txtFind->selectAll();
    // Back after a close: the page has lost its highlighting; show it again.
    if (wasHidden && !txtFind->text().isEmpty())
        search(false);
}

void FindBar::close()
{
    if (isHidden())
        return;
    ++m_search;
    m_finder(QString(), false, [](int, int) {});
    lblMatches->clear();
    txtFind->setPalette(QPalette());
    hide();
    emit closed();
}

void FindBar::findNext()
{
    search(false);
}

void FindBar::findPrevious()
{
    search(true);
}

void FindBar::search(bool backward)
{
    const quint64 search = ++m_search;
    const QString text = txtFind->text();
    if (text.isEmpty()) {
        lblMatches->clear();
        txtFind->setPalette(QPalette());
    }
    QPointer<FindBar> self(this);
    m_finder(text, backward, [self, search, text](int active, int total) {
        if (!self || self->m_search != search || text.isEmpty())
            return;
        self->showResult(active, total);
    });
}

void FindBar::showResult(int active, int total)
{
    if (total <= 0)
        lblMatches->setText(QStringLiteral("No matches"));
    else
        lblMatches->setText(QStringLiteral("%1 of %2").arg(active).arg(total));
    // A text that is not in the page shows so in the box itself.
    QPalette p;
    if (total <= 0)
        p.setColor(QPalette::Base, QColor(0xFF, 0xE0, 0xE0));
    txtFind->setPalette(p);
}

bool FindBar::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == txtFind && event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            search(key->modifiers() & Qt::ShiftModifier);
            return true;
        }
        if (key->key() == Qt::Key_Escape) {
            close();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void FindBar::paintEvent(QPaintEvent *event)
{
    QWidget::paintEvent(event);
    // A line above, parting the bar from the page.
    QPainter p(this);
    p.setPen(palette().color(QPalette::Dark));
    p.drawLine(0, 0, width(), 0);
}
