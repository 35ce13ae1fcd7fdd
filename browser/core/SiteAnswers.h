#pragma once
// What the user answered pages in this run: permissions per site and
// certificate problems let through per host. Kept in memory only, by the one
// factory every window's page view comes from, so an answer holds in every
// window until the program ends and never reaches the disk.
#include <QHash>
#include <QString>
#include <QUrl>
#include <optional>

// What a page can ask to use.
enum class PagePermission {
    Location,
    Notifications,
    Camera,
    Microphone,
    CameraAndMicrophone,
    Screen,
    ScreenAndAudio,
    MouseLock,
};

class SiteAnswers
{
public:
    // The answer given for this site and permission, if any.
    std::optional<bool> permission(const QUrl &site, PagePermission what) const;
    void setPermission(const QUrl &site, PagePermission what, bool allowed);

    // Whether the user chose to continue to this host despite this error.
    bool certificateAllowed(const QString &host, int error) const;
    void allowCertificate(const QString &host, int error);

    // A site as the user knows it: its host, with the port when not the
    // scheme's usual one ("example.org", "127.0.0.1:8080").
    static QString siteName(const QUrl &site);
    // Scheme, host and port: what a permission belongs to.
    static QString origin(const QUrl &site);

private:
    QHash<QString, bool> m_permissions;
    QHash<QString, bool> m_certificates;
};
