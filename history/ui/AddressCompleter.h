#pragma once
// Suggestions while the person types in an address box: up to eight pages
// from the history and the favorites in a list under the box, and the best
// address match completed in the box itself, the added text selected so that
// typing on replaces it. The keys stay in the box:
//  - Down and Up move through the list (the box shows the row's address;
//    past either end it shows what was typed again);
//  - Esc closes the list and puts back what was typed; a second Esc puts
//    back what the box held before the typing began;
//  - Delete on a row of the history removes that page from the history;
//  - Enter is the box's own: the window asks chosenAddress() what to open.
// The completion is added only when the edit put text at the end of the
// box, so that Backspace takes it away rather than bringing it back.
// Nothing is suggested for an address pasted whole (an edit that put in
// more than one character at once: a paste, a drop, a middle click).
#include <QObject>
#include <QPointer>

#include "history/core/AddressSuggestions.h"

class BrowsingHistory;
class QLineEdit;
class SuggestionList;

class AddressCompleter : public QObject
{
    Q_OBJECT
public:
    AddressCompleter(QLineEdit *box, BrowsingHistory &history);
    ~AddressCompleter() override;

    // Off: the box is a plain box, with neither list nor completion.
    void setEnabled(bool enabled);
    SuggestionList *list() const;

    // The whole address the box stands for: the row chosen in the list, or
    // the page the box's text is completed to. Empty when the box holds
    // what was typed, for the window to read as it reads typed text.
    QString chosenAddress() const;
    // The box was given a text by the program (a page's address): what was
    // typed and the list are forgotten.
    void reset();

signals:
    // A row was clicked.
    void activated(const QString &address);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void onEdited(const QString &text);
    bool onKey(int key, Qt::KeyboardModifiers modifiers);
    void move(int step);
    void removeChosen();
    void showRows();
    void hideList();

    QLineEdit *m_box;
    BrowsingHistory &m_history;
    QPointer<SuggestionList> m_list;
    bool m_enabled = true;
    // What the person typed, without the completion.
    QString m_typed;
    // The box's text, less what was selected, as the next edit found it.
    QString m_keptBefore;
    // What the box held when the typing began, for the second Esc.
    QString m_beforeTyping;
    bool m_typing = false;
    bool m_completed = false;
    int m_row = -1;
    Suggestions m_current;
};
