#pragma once
// What the history holds and answers, as plain values.
#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>

#include <limits>

// One completed navigation to a page, as the history records it.
struct HistoryVisit
{
    QString address; // HistoryAddress::normalized
    QString title;   // empty while the page has not told it
    qint64 atMsecs = 0;
};

struct HistoryPage
{
    qint64 id = 0;
    QString address;
    QString title;
    int visitCount = 0;
    QDateTime lastVisit;
    // The visit this row stands for: the last of its day in a day's list,
    // the last of all in a search.
    QDateTime visitedAt;
};

// Where a list in pages goes on: after the row visited at `atMsecs` with
// `id`. The default starts at the newest.
struct HistoryCursor
{
    qint64 atMsecs = std::numeric_limits<qint64>::max();
    qint64 id = std::numeric_limits<qint64>::max();
};

struct HistoryPages
{
    QList<HistoryPage> pages; // newest first
    HistoryCursor next;       // for the rows after these
    bool more = false;        // whether there are any
};

struct HistoryDay
{
    QDate day;     // local time
    int pages = 0; // different pages visited that day
};
