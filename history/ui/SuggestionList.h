#pragma once
// The list of suggestions under an address box: one row per page, its title
// above its address, favorites marked with the favorites picture. It never
// takes the focus, which stays in the box where the person types; the box's
// keys move through it (see AddressCompleter). Screen readers read it as a
// list named "Suggestions", each row as its title, address and whether it is
// a favorite, and hear which row is chosen.
#include "history/core/AddressSuggestions.h"

#include <QListWidget>

class SuggestionList : public QListWidget
{
    Q_OBJECT
public:
    explicit SuggestionList(QWidget *parent);

    void setRows(const QList<Suggestion> &rows);
    // The row chosen with the keys, -1 for none.
    void choose(int row);
    // Shows the list under `box` (over it where the window has no room
    // below), at least as wide as the box, within the box's window.
    void showUnder(QWidget *box);

    // Where a row's text goes, for the drawing and for screen readers.
    static QString spokenText(const Suggestion &row);

signals:
    // A row was clicked.
    void picked(int row);

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    int rowHeight() const;
};
