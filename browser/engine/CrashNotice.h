#pragma once
// What a browser window shows in place of a page whose renderer stopped: a
// short notice naming the page, with a way to load it again.
#include <QString>
#include <QUrl>

namespace CrashNotice {

// The notice as a page of its own, for the page lost at `lost`.
QString html(const QUrl &lost);

} // namespace CrashNotice
