#pragma once
// How often and how recently a page was visited, as one number.
//
// Each visit weighs 1 when it happens and half as much every HalfLife after.
// A page's frecency is the sum of its visits' weights, written as the time at
// which one single visit would weigh as much: a page visited once is worth
// the time of that visit; each doubling of visits moves it one half-life
// later. So a page visited four times a month ago (30 days less 2 half-lives)
// weighs as much as one visited once two days ago, and one visited once
// yesterday more than one visited twice three weeks ago.
//
// Written that way, the number does not change as time passes and needs no
// clock to compare: the order of two pages at any later moment is the order
// of their numbers. Adding a visit needs only the number so far.
#include <QtGlobal>

#include <cmath>
#include <limits>

namespace Frecency {

// Fourteen days: a page used every week keeps ahead of one opened once
// yesterday after two visits, and a page left for three months needs some
// eighty old visits to stay ahead of one visited today.
constexpr double HalfLifeSeconds = 14 * 24 * 3600.0;

// The frecency of a page never visited: below every visited one.
constexpr double None = -std::numeric_limits<double>::infinity();

// `frecency` with one more visit at `atMsecs` (since the epoch); in seconds.
inline double withVisit(double frecency, qint64 atMsecs)
{
    const double at = double(atMsecs) / 1000.0;
    if (frecency == None)
        return at;
    const double high = std::max(frecency, at);
    const double low = std::min(frecency, at);
    return high + HalfLifeSeconds * std::log2(1.0 + std::exp2((low - high) / HalfLifeSeconds));
}

// Pages whose frecency falls on the same day count as visited as much: among
// them a favorite comes first.
inline qint64 day(double frecency)
{
    return frecency == None ? std::numeric_limits<qint64>::min() : qint64(std::floor(frecency / 86400.0));
}

} // namespace Frecency
