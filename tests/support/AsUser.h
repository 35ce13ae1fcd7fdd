#pragma once
// File permissions as an ordinary user sees them. Root reads and writes any
// file whatever its mode, so a test run as root acts as "nobody" for a while:
// the directory is handed to that user, and the effective ids switch until
// the object goes. Run as any other user, nothing changes.
#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <grp.h>
#include <pwd.h>
#include <unistd.h>

class AsUser
{
public:
    // Hands `dir` (and what is in it) to the unprivileged user, then acts as it.
    explicit AsUser(const QString &dir)
    {
        if (geteuid() != 0)
            return;
        const passwd *pw = getpwnam("nobody");
        m_uid = pw ? pw->pw_uid : 65534;
        m_gid = pw ? pw->pw_gid : 65534;
        const QByteArray path = dir.toLocal8Bit();
        const QByteArray command = "chown -R " + QByteArray::number(m_uid) + ":"
                                   + QByteArray::number(m_gid) + " '" + path + "'";
        if (::system(command.constData()) != 0)
            qFatal("could not hand %s to the test user", path.constData());
        if (::setegid(m_gid) != 0 || ::seteuid(m_uid) != 0)
            qFatal("could not act as the test user");
        m_switched = true;
    }
    // Hands another directory to the unprivileged user while acting as it.
    static void chownTo(const QString &dir)
    {
        if (::getuid() != 0)
            return;
        const uid_t acting = ::geteuid();
        const gid_t actingGroup = ::getegid();
        if (::seteuid(0) != 0)
            qFatal("could not act as root again");
        const QByteArray command = "chown -R " + QByteArray::number(acting) + ":"
                                   + QByteArray::number(actingGroup) + " '" + dir.toLocal8Bit() + "'";
        const int rc = ::system(command.constData());
        if (::seteuid(acting) != 0 || rc != 0)
            qFatal("could not hand the directory over");
    }
    ~AsUser()
    {
        if (m_switched && (::seteuid(0) != 0 || ::setegid(0) != 0))
            qFatal("could not switch back to root");
    }
    AsUser(const AsUser &) = delete;
    AsUser &operator=(const AsUser &) = delete;

private:
    bool m_switched = false;
    uid_t m_uid = 0;
    gid_t m_gid = 0;
};
