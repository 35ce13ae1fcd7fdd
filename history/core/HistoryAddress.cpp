#include "history/core/HistoryAddress.h"

namespace HistoryAddress {

bool isRecordable(const QUrl &url)
{
    if (!url.isValid() || url.toEncoded().size() > LongestAddress)
        return false;
    const QString scheme = url.scheme();
    if (scheme == QLatin1String("file"))
        return !url.path().isEmpty();
    return (scheme == QLatin1String("http") || scheme == QLatin1String("https") || scheme == QLatin1String("ftp"))
           && !url.host().isEmpty();
}

QString normalized(const QUrl &url)
{
    QUrl kept = url.adjusted(QUrl::RemovePassword);
    if (kept.path().isEmpty() && !kept.host().isEmpty())
        kept.setPath(QStringLiteral("/"));
    return kept.toString();
}

} // namespace HistoryAddress
