#include "browser/core/SiteAnswers.h"

namespace {
QString permissionKey(const QUrl &site, PagePermission what)
{
    return SiteAnswers::origin(site) + QLatin1Char(' ') + QString::number(int(what));
}
QString certificateKey(const QString &host, int error)
{
    return host.toLower() + QLatin1Char(' ') + QString::number(error);
}
} // namespace

std::optional<bool> SiteAnswers::permission(const QUrl &site, PagePermission what) const
{
    const auto it = m_permissions.constFind(permissionKey(site, what));
    if (it == m_permissions.constEnd())
        return std::nullopt;
    return *it;
}

void SiteAnswers::setPermission(const QUrl &site, PagePermission what, bool allowed)
{
    m_permissions.insert(permissionKey(site, what), allowed);
}

bool SiteAnswers::certificateAllowed(const QString &host, int error) const
{
    return m_certificates.value(certificateKey(host, error), false);
}

void SiteAnswers::allowCertificate(const QString &host, int error)
{
    m_certificates.insert(certificateKey(host, error), true);
}

QString SiteAnswers::siteName(const QUrl &site)
{
    const QString host = site.host(QUrl::FullyDecoded);
    if (host.isEmpty())
        return site.toString(QUrl::RemoveUserInfo | QUrl::RemovePath | QUrl::RemoveQuery
                             | QUrl::RemoveFragment);
    const int port = site.port();
    const bool usual = port < 0 || (site.scheme() == QLatin1String("http") && port == 80)
                       || (site.scheme() == QLatin1String("https") && port == 443);
    return usual ? host : host + QLatin1Char(':') + QString::number(port);
}

QString SiteAnswers::origin(const QUrl &site)
{
    const int fallback = site.scheme() == QLatin1String("https") ? 443 : 80;
    return site.scheme().toLower() + QStringLiteral("://") + site.host().toLower() + QLatin1Char(':')
           + QString::number(site.port(fallback));
}
