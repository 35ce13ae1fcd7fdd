#pragma once
// Which addresses the program's views load for what the person typed or set:
// the start page shipped with the program, how a typed address is read, and
// which addresses can be the home page.
#include <QString>
#include <QUrl>

namespace PageAddresses {

// The page opened when no home page is set: shipped with the program.
QString startPage();
// A page of the program's own resources, whose internal address is shown
// to nobody: the address box stays empty on it.
bool isOwnPage(const QUrl &url);
// How a typed address is read: "example.org" is a web address, "/tmp/a.html"
// a file; an empty or unusable text gives an invalid URL.
QUrl fromText(const QString &text);
// Whether an address can be the home page: a web address, a file or the
// start page; anything else gives the start page.
bool isHomePage(const QUrl &url);

} // namespace PageAddresses
