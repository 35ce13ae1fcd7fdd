#include "browser/engine/CrashNotice.h"

namespace CrashNotice {

QString html(const QUrl &lost)
{
    // The address is the page's to choose: it goes in as escaped text and as
    // a double-quoted attribute in which neither kind of quote survives, so
    // no address can add markup or attributes.
    const auto escaped = [](const QString &text) {
        return text.toHtmlEscaped().replace(QLatin1Char('\''), QLatin1String("&#39;"));
    };
    return QStringLiteral("<!DOCTYPE html><html><head><meta charset=\"utf-8\">"
                          "<title>This page stopped</title></head>"
                          "<body style=\"font-family:sans-serif;margin:2em\">"
                          "<h2>This page stopped working.</h2><p>%1</p>"
                          "<p><a href=\"%2\">Load it again</a> or use Refresh.</p>"
                          "</body></html>")
        .arg(escaped(lost.toString()), escaped(lost.toString(QUrl::FullyEncoded)));
}

} // namespace CrashNotice
