#pragma once
// The bookmark file every browser exports and imports: HTML that starts with
// <!DOCTYPE NETSCAPE-Bookmark-file-1>, folders as <H3> headings over nested
// <DL> lists, bookmarks as <A HREF="...">title</A>.
//
// Favorites have no folders, so an imported bookmark's title is its folders'
// names and its own, joined by " - ", outermost first. Titles are mended as
// added favorites are: no "||", no line breaks.
//
// "javascript:" bookmarks are not imported: a favorite is opened in whatever
// page the window shows, and such an address would run its script in that
// page, on a site the bookmark's author never saw. Firefox's "place:" queries
// mean nothing outside Firefox and are left out too; both are counted.
#include "favorites/core/FavoritesFile.h"

#include <QByteArray>
#include <QList>
#include <QString>

namespace BookmarksHtml {

struct Import
{
    QList<FavoriteEntry> entries;
    int skippedScripts = 0; // javascript: addresses
    int skippedOther = 0;   // no address, or a place: query
    // The file said it is a bookmark file.
    bool recognised = false;
    // The file ended where a whole one ends, not inside a tag, a bookmark or
    // an open list.
    bool complete = true;

    // One or two sentences for the user on what was read.
    QString summary() const;
};

Import parse(const QByteArray &bytes);
// Every entry, in order, as one flat list, UTF-8.
QByteArray format(const QList<FavoriteEntry> &entries);

// The entries of imported whose address is in neither list yet, appended to
// existing; addresses count as the same when the address box would open the
// same page ("example.org" and "http://example.org/").
QList<FavoriteEntry> merge(const QList<FavoriteEntry> &existing, const QList<FavoriteEntry> &imported,
                           int *added = nullptr);

// The file at path; false with the path and the system's reason when it
// cannot be read.
bool readFile(const QString &path, Import *result, QString *error);
// Writes the file whole or not at all: on failure the old bytes stay.
bool writeFile(const QString &path, const QList<FavoriteEntry> &entries, QString *error);

// Character references as HTML reads them, every name HTML has and numbers,
// in text and in an attribute's value; anything else is left as written.
QString decodeEntities(QStringView text);
QString decodeAttribute(QStringView value);

} // namespace BookmarksHtml
