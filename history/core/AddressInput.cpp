#include "history/core/AddressInput.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>

namespace AddressInput {

namespace {

Meaning address(const QUrl &url)
{
    Meaning m;
    if (url.isValid()) {
        m.kind = Meaning::Address;
        m.address = url;
    }
    return m;
}

Meaning search(const QString &terms)
{
    Meaning m;
    if (!terms.isEmpty()) {
        m.kind = Meaning::Search;
        m.terms = terms;
    }
    return m;
}

bool hasBlank(const QString &text)
{
    return std::any_of(text.cbegin(), text.cend(), [](QChar c) { return c.isSpace(); });
}

bool isIPv4(const QString &host)
{
    static const QRegularExpression quad(QStringLiteral("^(\\d{1,3})\\.(\\d{1,3})\\.(\\d{1,3})\\.(\\d{1,3})$"));
    const auto m = quad.match(host);
    if (!m.hasMatch())
        return false;
    for (int i = 1; i <= 4; ++i) {
        if (m.captured(i).toInt() > 255)
            return false;
    }
    return true;
}

// Letters (of any script), digits, '-' and '_'.
bool isLabel(QStringView label)
{
    return !label.isEmpty() && std::all_of(label.begin(), label.end(), [](QChar c) {
        return c.isLetterOrNumber() || c == QLatin1Char('-') || c == QLatin1Char('_');
    });
}

// "example.org", "bücher.example", "xn--bcher-kva.example", "example.org.":
// names separated by dots, the last a name of letters (every top-level
// domain is), or an internationalized one.
bool isDottedName(QStringView host)
{
    if (host.endsWith(QLatin1Char('.')))
        host.chop(1);
    const QList<QStringView> labels = host.split(QLatin1Char('.'));
    if (labels.size() < 2 || !std::all_of(labels.begin(), labels.end(), isLabel))
        return false;
    const QStringView last = labels.last();
    return (last.size() >= 2 && std::all_of(last.begin(), last.end(), [](QChar c) { return c.isLetter(); }))
           || last.startsWith(QLatin1String("xn--"), Qt::CaseInsensitive);
}

Meaning fromUserInput(const QString &text)
{
    return address(QUrl::fromUserInput(text, QString(), QUrl::AssumeLocalFile));
}

// Text without a scheme and without blanks: a host, perhaps with a port and
// a path, or one word.
Meaning hostOrWord(const QString &text)
{
    const qsizetype end = text.indexOf(QRegularExpression(QStringLiteral("[/?#]")));
    const QString authority = end < 0 ? text : text.left(end);
    if (authority.isEmpty() || authority.contains(QLatin1Char('@')))
        return search(text);
    if (authority.startsWith(QLatin1Char('['))) {
        const Meaning m = fromUserInput(text);
        return m.address.host().isEmpty() ? search(text) : m;
    }
    QString host = authority;
    bool hasPort = false;
    const qsizetype colon = authority.indexOf(QLatin1Char(':'));
    if (colon >= 0) {
        bool number = false;
        const int port = authority.mid(colon + 1).toInt(&number);
        if (!number || port < 0 || port > 65535 || authority.indexOf(QLatin1Char(':'), colon + 1) >= 0)
            return search(text);
        host = authority.left(colon);
        hasPort = true;
    }
    if (host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0 || isIPv4(host)
        || isDottedName(host) || (hasPort && isLabel(host)))
        return fromUserInput(text);
    Meaning m = search(text);
    if (!host.contains(QLatin1Char('.')) && isLabel(host)
        && std::any_of(host.cbegin(), host.cend(), [](QChar c) { return c.isLetter(); })) {
        QUrl guess = QUrl::fromUserInput(text);
        if (guess.path().isEmpty())
            guess.setPath(QStringLiteral("/"));
        if (guess.isValid() && !guess.host().isEmpty())
            m.hostGuess = guess;
    }
    return m;
}

} // namespace

Meaning interpret(const QString &text)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return {};
    if (t.startsWith(QLatin1Char('?')))
        return search(t.mid(1).trimmed());
    if (t.startsWith(QLatin1Char('/')) || t == QLatin1String("~") || t.startsWith(QLatin1String("~/"))) {
        const QString path = t.startsWith(QLatin1Char('~')) ? QDir::homePath() + t.mid(1) : t;
        if (QFileInfo::exists(path))
            return address(QUrl::fromLocalFile(QDir::cleanPath(path)));
    }
    const bool blank = hasBlank(t);
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]*:(.*)$"),
                                           QRegularExpression::DotMatchesEverythingOption);
    const auto m = scheme.match(t);
    if (m.hasMatch()) {
        const QString rest = m.captured(1);
        // "localhost:8080" and "example.org:8080/x" look like a scheme too.
        static const QRegularExpression port(QStringLiteral("^\\d+([/?#].*)?$"),
                                             QRegularExpression::DotMatchesEverythingOption);
        if (!port.match(rest).hasMatch()) {
            if ((!blank && !rest.isEmpty()) || rest.startsWith(QLatin1String("//")))
                return fromUserInput(t);
            return search(t);
        }
    }
    return blank ? search(t) : hostOrWord(t);
}

bool isWholeAddress(const QString &text)
{
    const QString t = text.trimmed();
    return !hasBlank(t) && interpret(t).kind == Meaning::Address;
}

QString defaultSearchTemplate()
{
    return QStringLiteral("https://duckduckgo.com/?q=%s");
}

bool isSearchTemplate(const QString &searchTemplate)
{
    if (!searchTemplate.contains(QLatin1String("%s")))
        return false;
    const QUrl url(QString(searchTemplate).replace(QLatin1String("%s"), QLatin1String("x")));
    return url.isValid() && (url.scheme() == QLatin1String("https") || url.scheme() == QLatin1String("http"))
           && !url.host().isEmpty();
}

QUrl searchAddress(const QString &searchTemplate, const QString &terms)
{
    QString address = isSearchTemplate(searchTemplate) ? searchTemplate : defaultSearchTemplate();
    address.replace(QLatin1String("%s"), QString::fromLatin1(QUrl::toPercentEncoding(terms)));
    return QUrl(address);
}

} // namespace AddressInput
