#pragma once
// Favorites to and from other browsers, through their bookmark files: the
// file is chosen in a file dialog, and what happened is told in a message.
// Nothing here touches the favorites file: the caller decides what becomes
// of the entries.
#include "favorites/core/FavoritesFile.h"

class Dialogs;
class QWidget;

namespace FavoritesExchange {

// Asks for a bookmark file and reads it. Returns its favorites whose
// addresses current does not have yet, in the file's order, and says how many
// were read and left out. Nothing when cancelled or unreadable.
QList<FavoriteEntry> importFrom(QWidget *parent, Dialogs &dialogs, const QList<FavoriteEntry> &current);

// Asks where to write entries as a bookmark file and writes it whole; a
// failure is reported and leaves an existing file as it was. Returns whether
// a file was written.
bool exportTo(QWidget *parent, Dialogs &dialogs, const QList<FavoriteEntry> &entries);

} // namespace FavoritesExchange
