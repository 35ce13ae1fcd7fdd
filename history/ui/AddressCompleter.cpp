#include "history/ui/AddressCompleter.h"

#include "history/core/BrowsingHistory.h"
#include "history/core/HistoryStore.h"
#include "history/ui/SuggestionList.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>

AddressCompleter::AddressCompleter(QLineEdit *box, BrowsingHistory &history)
    : QObject(box), m_box(box), m_history(history), m_list(new SuggestionList(box))
{
    m_box->installEventFilter(this);
    connect(m_box, &QLineEdit::textEdited, this, &AddressCompleter::onEdited);
    connect(m_list, &SuggestionList::picked, this, [this](int row) {
        if (row < 0 || row >= m_current.rows.size())
            return;
        const QString address = m_current.rows[row].address;
        hideList();
        emit activated(address);
    });
}

AddressCompleter::~AddressCompleter()
{
    // The list may live in the window, which outlasts the box.
    delete m_list;
}

SuggestionList *AddressCompleter::list() const
{
    return m_list;
}

void AddressCompleter::setEnabled(bool enabled)
{
    m_enabled = enabled;
    if (!enabled)
        reset();
}

QString AddressCompleter::chosenAddress() const
{
    if (m_row >= 0 && m_row < m_current.rows.size())
        return m_current.rows[m_row].address;
    if (m_completed && !m_current.rows.isEmpty() && m_box->text() == m_typed + m_current.completion)
        return m_current.rows.first().address;
    return QString();
}

void AddressCompleter::reset()
{
    m_typing = false;
    m_completed = false;
    m_row = -1;
    m_typed.clear();
    m_current = {};
    hideList();
}

bool AddressCompleter::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_box || !m_enabled)
        return false;
    switch (event->type()) {
    case QEvent::KeyPress: {
        auto *key = static_cast<QKeyEvent *>(event);
        if (onKey(key->key(), key->modifiers()))
            return true;
        [[fallthrough]];
    }
    case QEvent::InputMethod:
    case QEvent::Drop:
    case QEvent::MouseButtonRelease:
    case QEvent::ContextMenu: {
        // Whatever edit this event makes, the text it starts from.
        QString kept = m_box->text();
        if (m_box->hasSelectedText())
            kept.remove(m_box->selectionStart(), m_box->selectedText().size());
        m_keptBefore = kept;
        if (!m_typing)
            m_beforeTyping = m_box->text();
        break;
    }
    case QEvent::FocusOut:
        hideList();
        break;
    default:
        break;
    }
    return false;
}

void AddressCompleter::onEdited(const QString &text)
{
    if (!m_enabled)
        return;
    if (!m_typing) {
        m_typing = true;
        m_history.followFavorites();
    }
    const qsizetype added = text.size() - m_keptBefore.size();
    const bool atEnd = m_box->cursorPosition() == text.size() && added > 0 && text.startsWith(m_keptBefore);
    m_typed = text;
    m_row = -1;
    m_current = m_history.suggest(text, added > 1);
    m_completed = atEnd && !m_current.completion.isEmpty();
    if (m_completed) {
        m_box->setText(text + m_current.completion);
        m_box->setSelection(int(text.size()), int(m_current.completion.size()));
        m_box->setModified(true);
    }
    showRows();
}

bool AddressCompleter::onKey(int key, Qt::KeyboardModifiers modifiers)
{
    const bool listShown = m_list && m_list->isVisible();
    const Qt::KeyboardModifiers plain = modifiers & ~(Qt::KeypadModifier | Qt::ShiftModifier);
    if (plain != Qt::NoModifier)
        return false;
    switch (key) {
    case Qt::Key_Down:
    case Qt::Key_Up:
        if (!listShown) {
            if (!m_typing || m_current.rows.isEmpty())
                return false;
            showRows();
            return true;
        }
        move(key == Qt::Key_Down ? 1 : -1);
        return true;
    case Qt::Key_Escape:
        if (listShown || m_row >= 0 || m_completed) {
            hideList();
            m_row = -1;
            m_completed = false;
            m_box->setText(m_typed);
            m_box->setModified(true);
            return true;
        }
        if (m_typing && m_box->text() != m_beforeTyping) {
            m_box->setText(m_beforeTyping);
            m_box->selectAll();
            reset();
            return true;
        }
        return false;
    case Qt::Key_Delete:
        if (!listShown || m_row < 0)
            return false;
        removeChosen();
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        hideList();
        return false;
    default:
        return false;
    }
}

void AddressCompleter::move(int step)
{
    const int rows = int(m_current.rows.size());
    // The rows, and between the last and the first what was typed.
    int next = m_row + step;
    if (next < -1)
        next = rows - 1;
    else if (next >= rows)
        next = -1;
    m_row = next;
    m_list->choose(m_row);
    if (m_row < 0) {
        m_box->setText(m_completed ? m_typed + m_current.completion : m_typed);
        if (m_completed)
            m_box->setSelection(int(m_typed.size()), int(m_current.completion.size()));
    } else {
        m_box->setText(m_current.rows[m_row].address);
    }
    m_box->setModified(true);
}

void AddressCompleter::removeChosen()
{
    const Suggestion row = m_current.rows.value(m_row);
    if (!row.inHistory)
        return; // a favorite never visited: the favorites editor's to remove
    m_history.store().remove({row.address});
    const int kept = m_row;
    m_current = m_history.suggest(m_typed, false);
    m_completed = false;
    m_box->setText(m_typed);
    if (m_current.rows.isEmpty()) {
        m_row = -1;
        hideList();
        return;
    }
    showRows();
    m_row = qMin(kept, int(m_current.rows.size()) - 1);
    m_list->choose(m_row);
    m_box->setText(m_current.rows[m_row].address);
    m_box->setModified(true);
}

void AddressCompleter::showRows()
{
    if (m_current.rows.isEmpty() || !m_box->hasFocus()) {
        hideList();
        return;
    }
    m_list->setRows(m_current.rows);
    m_list->showUnder(m_box);
}

void AddressCompleter::hideList()
{
    if (m_list)
        m_list->hide();
}
