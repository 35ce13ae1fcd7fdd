#pragma once
// What text typed in the address box means: a place to open, or words to
// search the web for.
//
// An address: anything with a scheme ("http://...", "file:...",
// "about:blank", "mailto:..."), a host with a dot whose last part is a name
// ("example.org", "bücher.example"), an IPv4 or bracketed IPv6 address,
// "localhost", any host with a port ("intranet:8080"), or a file or folder
// that exists ("/home/me/My page.html", "~/notes.html"). It is completed as
// before: "example.org" is "http://example.org".
//
// Words: text with a blank (but a file that exists, or "scheme://" followed
// by a blank, as pasted with one in its path), one word without a dot,
// scheme or port ("lumeno", "3.14" too: the last part of a host is never a
// number), an e-mail address ("bob@example.org": no page would be meant),
// and anything after a leading "?", so that "?example.org" searches for it.
// One word that could name a host on the local network comes with the
// guess http://word/ for the caller to offer once the system resolves it.
#include <QString>
#include <QUrl>

namespace AddressInput {

struct Meaning
{
    enum Kind { Nothing, Address, Search };
    Kind kind = Nothing;
    QUrl address;   // Address: where to go
    QString terms;  // Search: what to search for
    QUrl hostGuess; // Search of one word: "http://word/" where the word could be a host
};

Meaning interpret(const QString &text);

// Whether text pasted whole is one address, for which nothing is suggested.
bool isWholeAddress(const QString &text);

// A search address template: an http or https address holding "%s" where
// the words go, each "%s" when there are several.
QString defaultSearchTemplate();
bool isSearchTemplate(const QString &searchTemplate);
// The words percent-encoded as UTF-8 (a blank as %20, "&" as %26, "%" as %25,
// "+" as %2B) in place of each "%s". A template that is none (no "%s", no web
// address, a script) gives way to the default: typed words never run as a
// script nor go to an address that is not a search.
QUrl searchAddress(const QString &searchTemplate, const QString &terms);

} // namespace AddressInput
