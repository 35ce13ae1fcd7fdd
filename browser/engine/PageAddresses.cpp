#include "browser/engine/PageAddresses.h"

namespace PageAddresses {

QString startPage()
{
    return QStringLiteral("qrc:/start.html");
}

bool isOwnPage(const QUrl &url)
{
    return url.scheme() == QLatin1String("qrc");
}

QUrl fromText(const QString &text)
{
    if (text.trimmed().isEmpty())
        return QUrl();
    return QUrl::fromUserInput(text, QString(), QUrl::AssumeLocalFile);
}

bool isHomePage(const QUrl &url)
{
    // Any other scheme (javascript:, data:, about:) would run or show in no
    // page's context, and the engine leaves an empty page with a history
    // behind for an address longer than it takes (2 MiB).
    constexpr qsizetype longestAddress = 2 * 1024 * 1024;
    if (!url.isValid() || url.toEncoded().size() > longestAddress)
        return false;
    const QString scheme = url.scheme();
    return scheme == QLatin1String("http") || scheme == QLatin1String("https")
        || scheme == QLatin1String("file") || url == QUrl(startPage());
}

} // namespace PageAddresses
