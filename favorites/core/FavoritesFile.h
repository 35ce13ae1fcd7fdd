#pragma once
// The favorites file: one per logon name, one favorite per line, the title,
// "||", the address and CR LF. Every operation opens, works and closes.
// Nothing here shows anything: failures come back as text for the caller.
#include <QList>
#include <QString>

struct FavoriteEntry
{
    QString Title;
    QString URL;
    friend bool operator==(const FavoriteEntry &, const FavoriteEntry &) = default;
};

namespace Favorites {

// The directory that holds the program, unless a test says otherwise.
void setProgramDirectory(const QString &dir);
QString programDirectory();

QString CurrentUserName();
// The program's directory, "/", the user name, ".fav"; the per-user data
// directory instead when the program's directory cannot be written and has no
// file for that user yet.
QString FavoritesFilePath(const QString &userName);

// Creates an empty file for the current user when there is none. On failure
// returns false and, if asked, says why (the path and the system's reason).
bool EnsureFavoritesFile(QString *error = nullptr);

// The menu's read: creates a missing file; each line split at its first "||".
QList<FavoriteEntry> ReadFavorites(QString *error = nullptr);
// The editor's read, for the name it took at load: the same split; a missing
// file is an empty list and is not created.
QList<FavoriteEntry> ReadFavoritesForEditor(const QString &userName, QString *error = nullptr);
// Adds a line at the end. A title's "||" becomes "|" and its line breaks
// blanks, so the line reads back as the page that was added.
bool AppendFavorite(const QString &title, const QString &url, QString *error = nullptr);
// Removes temporary files that rewrites killed half-way left beside the file
// at `path`; returns how many.
int removeLeftoverTemporaries(const QString &path);
// Whether this process may change the file at `path` by its mode. A file the
// user made read-only stays as it is, even where its folder would let a new
// file take its place. With false, says why when asked.
bool mayChange(const QString &path, QString *reason = nullptr);
// Replaces the whole file with these entries, in order, all or nothing. A
// file that mayChange() refuses is left as it is.
bool RewriteFavorites(const QString &userName, const QList<FavoriteEntry> &entries,
                      QString *error = nullptr);

// The file's bytes and the entries they hold. Lines end with LF or CR LF, the
// last one may have no end; empty lines are skipped; a line without "||" is a
// title with an empty address; a line that is not UTF-8 is Windows-1252.
// A line is split at its first run of two or more "|", before the run's last
// two: "Shop |||http://s/" is the title "Shop |" and the address "http://s/".
// Byte-order marks at a line's start are dropped, and each entry comes out
// as a rewrite would store it (mendEntry), so that reading what was written
// gives the same list again.
QList<FavoriteEntry> parseFavorites(const QByteArray &bytes);
QByteArray formatFavorites(const QList<FavoriteEntry> &entries);
QByteArray formatLine(const FavoriteEntry &entry);
// A title as a line can hold it: "||" becomes "|", line breaks blanks, and
// no byte-order mark leads it.
QString neutraliseTitle(QString title);
// An entry as it can be stored and read back as one: the title neutralised,
// and line breaks in the address made blanks.
FavoriteEntry mendEntry(const FavoriteEntry &entry);
QString decodeLine(QByteArrayView line);

// Identifies one state of a file cheaply, to tell whether it changed.
struct FileStamp
{
    bool exists = false;
    qint64 size = 0;
    qint64 mtimeNs = 0;
    quint64 inode = 0;
    friend bool operator==(const FileStamp &, const FileStamp &) = default;
};
FileStamp stampOf(const QString &path);

} // namespace Favorites
