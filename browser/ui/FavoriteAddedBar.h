#pragma once
// What Add to Favorites added, shown in a bar above the page: the title,
// which the person may change there, and the address. Enter or Done keeps
// the title as it then reads, Undo takes the favorite out again, Esc or the
// close button leaves it as added. The favorites file is rewritten only for
// a changed title or an Undo, the way the favorites editor rewrites it.
#include "browser/ui/PageBar.h"

class Dialogs;
class QLabel;
class QLineEdit;
class QPushButton;

class FavoriteAddedBar : public PageBar
{
    Q_OBJECT
public:
    FavoriteAddedBar(Dialogs &dialogs, QWidget *parent);

    // Shows the favorite just added, the focus in its title, all selected.
    void showAdded(const QString &address, const QString &title);
    // Keeps the title as typed, and closes.
    void done();
    // Takes the favorite out of the file again, and closes.
    void undo();

    QLineEdit *txtTitle;
    QLabel *lblAddress;
    QPushButton *cmdDone;
    QPushButton *cmdUndo;

signals:
    // The favorites file was rewritten.
    void favoritesChanged();

private:
    // Rewrites the entry added last with `title`, or without it when null.
    void rewrite(const QString *title);

    Dialogs &m_dialogs;
    QString m_address;
    QString m_title; // as stored
};
