#include "favorites/core/FavoritesFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QDateTime>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QStringDecoder>

#include <cerrno>
#include <fcntl.h>
#include <cstring>
#include <csignal>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Favorites {

namespace {
QString &programDirOverride()
{
    static QString dir;
    return dir;
}

QString dataDirectory()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
           + QStringLiteral("/Lumeno2/Lumeno2");
}

QString failure(const QString &what, const QString &path, const QString &reason)
{
    return QStringLiteral("The favorites file \"%1\" could not be %2: %3.").arg(path, what, reason);
}

// Bytes 0x80 to 0x9F of Windows-1252; the rest of the code page is Latin-1.
const char16_t cp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

const QByteArray separator("||");
const QByteArray byteOrderMark("\xEF\xBB\xBF");
} // namespace

void setProgramDirectory(const QString &dir)
{
    programDirOverride() = dir;
}

QString programDirectory()
{
    return programDirOverride().isEmpty() ? QCoreApplication::applicationDirPath()
                                          : programDirOverride();
}

QString CurrentUserName()
{
    if (const passwd *pw = getpwuid(geteuid()); pw && pw->pw_name && *pw->pw_name)
        return QString::fromLocal8Bit(pw->pw_name);
    for (const char *var : {"USER", "LOGNAME"}) {
        const QString name = qEnvironmentVariable(var);
        if (!name.isEmpty() && !name.contains(QLatin1Char('/')))
            return name;
    }
    return QStringLiteral("user");
}

QString FavoritesFilePath(const QString &userName)
{
    const QString name = userName + QStringLiteral(".fav");
    const QString inProgramDir = programDirectory() + QLatin1Char('/') + name;
    if (QFileInfo::exists(inProgramDir))
        return inProgramDir;
    const QFileInfo dir(programDirectory());
    // The effective ids decide, as they do for the write itself.
    if (dir.isDir() && faccessat(AT_FDCWD, QFile::encodeName(dir.filePath()).constData(), W_OK, AT_EACCESS) == 0)
        return inProgramDir;
    return dataDirectory() + QLatin1Char('/') + name;
}

namespace {
// Makes a folder and its parents; on failure says which one and why.
bool makeFolder(const QString &dir, QString *reason)
{
    if (QFileInfo(dir).isDir())
        return true;
    const int slash = dir.lastIndexOf(QLatin1Char('/'));
    if (slash > 0 && !makeFolder(dir.left(slash), reason))
        return false;
    if (::mkdir(QFile::encodeName(dir).constData(), 0777) == 0)
        return true;
    const int why = errno;
    if (QFileInfo(dir).isDir())
        return true;
    *reason = QStringLiteral("the folder \"%1\" could not be made: %2")
                  .arg(dir, QString::fromLocal8Bit(strerror(why)));
    return false;
}

// Whether the file is the one in the per-user data folder, taken because the
// program's folder cannot be written.
bool isFallback(const QString &path)
{
    return QFileInfo(path).absolutePath() != QDir(programDirectory()).absolutePath();
}

// Makes the folder a favorites file goes in; on failure the reason names the
// folder that could not be made, and why the program's own was not used.
bool makeFolderFor(const QString &path, QString *reason)
{
    if (makeFolder(QFileInfo(path).absolutePath(), reason))
        return true;
    if (isFallback(path))
        *reason = QStringLiteral("the program's folder \"%1\" cannot be written, and %2")
                      .arg(programDirectory(), *reason);
    return false;
}

// Writes all the bytes to a file opened unbuffered. A write the system stops
// part-way is tried again for the rest, so that the file's error says why.
bool writeAll(QFile &f, const QByteArray &bytes)
{
    for (qint64 done = 0; done < bytes.size();) {
        const qint64 n = f.write(bytes.constData() + done, bytes.size() - done);
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}
} // namespace

bool EnsureFavoritesFile(QString *error)
{
    const QString path = FavoritesFilePath(CurrentUserName());
    const QFileInfo info(path);
    if (info.exists())
        return true;
    auto fail = [&](const QString &reason) {
        if (error)
            *error = failure(QStringLiteral("created"), path, reason);
        return false;
    };
    // A link that leads nowhere: "File exists" would say nothing useful.
    if (info.isSymLink())
        return fail(QStringLiteral("it is a link to \"%1\", which does not exist")
                        .arg(info.symLinkTarget()));
    QString reason;
    if (!makeFolderFor(path, &reason))
        return fail(reason);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        reason = f.errorString();
        if (isFallback(path))
            reason = QStringLiteral("the program's folder \"%1\" cannot be written, and here: %2")
                         .arg(programDirectory(), reason);
        return fail(reason);
    }
    return true;
}

QString decodeLine(QByteArrayView line)
{
    // Every byte-order mark is kept as a character: the one that begins the
    // file is dropped by the reader, the same way every time, not here.
    if (line.isValidUtf8())
        return QStringDecoder(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom)(line);
    QString text(line.size(), Qt::Uninitialized);
    QChar *out = text.data();
    for (char c : line) {
        const auto b = static_cast<unsigned char>(c);
        *out++ = (b >= 0x80 && b < 0xA0) ? QChar(cp1252High[b - 0x80]) : QChar(b);
    }
    return text;
}

QList<FavoriteEntry> parseFavorites(const QByteArray &bytes)
{
    QList<FavoriteEntry> entries;
    QByteArrayView rest(bytes);
    while (!rest.isEmpty()) {
        qsizetype end = rest.indexOf('\n');
        QByteArrayView line = end < 0 ? rest : rest.first(end);
        rest = end < 0 ? QByteArrayView() : rest.sliced(end + 1);
        if (line.endsWith('\r'))
            line.chop(1);
        // A byte-order mark says the file is UTF-8; editors put one at its
        // start, and files joined together bring theirs into the middle.
        // Marks at a line's start are dropped, however many, so that a
        // title never begins with an invisible one that the next read drops.
        while (line.startsWith(byteOrderMark))
            line = line.sliced(byteOrderMark.size());
        if (line.isEmpty())
            continue;
        qsizetype at = line.indexOf(separator);
        // A title may end in single "|" characters ("Shop |"): in a run of
        // bars the separator is its last two, so such a title reads back whole.
        while (at >= 0 && at + 2 < line.size() && line[at + 2] == '|')
            ++at;
        // Read as a rewrite would store it, so that what is read, written and
        // read again is the same list.
        if (at < 0)
            entries.append(mendEntry({decodeLine(line), QString()}));
        else
            entries.append(mendEntry({decodeLine(line.first(at)), decodeLine(line.sliced(at + 2))}));
    }
    return entries;
}

QByteArray formatLine(const FavoriteEntry &entry)
{
    return entry.Title.toUtf8() + separator + entry.URL.toUtf8() + "\r\n";
}

QByteArray formatFavorites(const QList<FavoriteEntry> &entries)
{
    QByteArray bytes;
    for (const FavoriteEntry &e : entries)
        bytes += formatLine(e);
    return bytes;
}

QString neutraliseTitle(QString title)
{
    title.replace(QLatin1String("\r\n"), QLatin1String(" "));
    title.replace(QLatin1Char('\r'), QLatin1Char(' '));
    title.replace(QLatin1Char('\n'), QLatin1Char(' '));
    while (title.contains(QLatin1String("||")))
        title.replace(QLatin1String("||"), QLatin1String("|"));
    // Written first in the file, a leading mark would be read as the file's.
    while (title.startsWith(QChar(0xFEFF)))
        title.remove(0, 1);
    return title;
}

FavoriteEntry mendEntry(const FavoriteEntry &entry)
{
    QString address = entry.URL;
    address.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    return {neutraliseTitle(entry.Title), address};
}

namespace {
QList<FavoriteEntry> readFile(const QString &path, QString *error)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        if (error)
            *error = failure(QStringLiteral("read"), path, f.errorString());
        return {};
    }
    const QByteArray bytes = f.readAll();
    if (f.error() != QFileDevice::NoError) {
        if (error)
            *error = failure(QStringLiteral("read"), path, f.errorString());
        return {};
    }
    return parseFavorites(bytes);
}
} // namespace

QList<FavoriteEntry> ReadFavorites(QString *error)
{
    if (!EnsureFavoritesFile(error))
        return {};
    const QString path = FavoritesFilePath(CurrentUserName());
    removeLeftoverTemporaries(path);
    return readFile(path, error);
}

QList<FavoriteEntry> ReadFavoritesForEditor(const QString &userName, QString *error)
{
    const QString path = FavoritesFilePath(userName);
    if (!QFileInfo::exists(path))
        return {};
    return readFile(path, error);
}

bool AppendFavorite(const QString &title, const QString &url, QString *error)
{
    const QString path = FavoritesFilePath(CurrentUserName());
    auto fail = [&](const QString &reason) {
        if (error)
            *error = failure(QStringLiteral("written"), path, reason);
        return false;
    };
    if (QString reason; !makeFolderFor(path, &reason))
        return fail(reason);
    QFile f(path);
    // Unbuffered: what a failed write leaves is on the disk, where it can be
    // taken back, not in a buffer that the next call would try to write again.
    if (!f.open(QIODevice::ReadWrite | QIODevice::Append | QIODevice::Unbuffered))
        return fail(f.errorString());
    const qint64 before = f.size();
    QByteArray line;
    // A last line left without its end by a hand edit must not swallow this one.
    if (before > 0 && f.seek(before - 1) && f.read(1) != "\n")
        line = "\r\n";
    line += formatLine(mendEntry({title, url}));
    if (!writeAll(f, line)) {
        const QString reason = f.errorString();
        // No part of the line is left behind, or the user is told it may be.
        if (!f.resize(before))
            return fail(QStringLiteral("%1; the file may now end with a part of the line, which could not "
                                       "be taken back: %2")
                            .arg(reason, f.errorString()));
        return fail(reason);
    }
    return true;
}

namespace {
// A rewrite's temporary file: beside the file, named after it and after the
// process that writes it, so that a later run knows a leftover when it sees
// one (a kill between the write and the rename leaves one behind).
QString temporaryPrefix(const QString &path)
{
    const QFileInfo info(path);
    return info.absolutePath() + QStringLiteral("/.") + info.fileName() + QStringLiteral(".saving-");
}

// Makes and opens, unbuffered, a rewrite's temporary file: a new file, made
// as every new file is, so that a favorites file that was not there before
// gets the mode the user's umask gives (a temporary file class makes 0600).
bool openTemporary(QFile &f, const QString &path, QString *reason)
{
    const QString prefix = temporaryPrefix(path) + QString::number(QCoreApplication::applicationPid())
                           + QLatin1Char('-');
    for (int tries = 0; tries < 100; ++tries) {
        f.setFileName(prefix + QString::number(QRandomGenerator::global()->generate(), 36));
        if (f.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered))
            return true;
        // Another file of that name: another name; anything else is a failure.
        if (!QFileInfo(f.fileName()).exists() && !QFileInfo(f.fileName()).isSymLink())
            break;
    }
    *reason = f.errorString();
    return false;
}

bool writerIsGone(const QString &name, const QString &prefixName, qint64 ageSeconds)
{
    const QString rest = name.mid(prefixName.size());
    bool ok = false;
    const qint64 pid = rest.section(QLatin1Char('-'), 0, 0).toLongLong(&ok);
    if (!ok || pid <= 0)
        return false;
    // A process id can be taken again; after a day nobody is still writing.
    return (::kill(pid_t(pid), 0) != 0 && errno == ESRCH) || ageSeconds > 24 * 3600;
}
} // namespace

int removeLeftoverTemporaries(const QString &path)
{
    const QString prefix = temporaryPrefix(path);
    const QFileInfo prefixInfo(prefix);
    const QString prefixName = prefixInfo.fileName();
    QDir dir(prefixInfo.absolutePath());
    int removed = 0;
    const QFileInfoList found = dir.entryInfoList({prefixName + QLatin1Char('*')},
                                                  QDir::Files | QDir::Hidden | QDir::System);
    for (const QFileInfo &leftover : found) {
        const qint64 age = leftover.lastModified().secsTo(QDateTime::currentDateTime());
        if (!leftover.isSymLink() && writerIsGone(leftover.fileName(), prefixName, age)
            && QFile::remove(leftover.absoluteFilePath()))
            ++removed;
    }
    return removed;
}

bool mayChange(const QString &path, QString *reason)
{
    // The effective ids decide, as they do for the write itself.
    if (faccessat(AT_FDCWD, QFile::encodeName(path).constData(), W_OK, AT_EACCESS) == 0 || errno == ENOENT)
        return true;
    if (reason)
        *reason = errno == EACCES || errno == EROFS ? QStringLiteral("it is read-only")
                                                    : QString::fromLocal8Bit(strerror(errno));
    return false;
}

bool RewriteFavorites(const QString &userName, const QList<FavoriteEntry> &entries, QString *error)
{
    QString path = FavoritesFilePath(userName);
    auto fail = [&](const QString &reason) {
        if (error)
            *error = failure(QStringLiteral("written"), path, reason);
        return false;
    };
    if (QString reason; !makeFolderFor(path, &reason))
        return fail(reason);
    // A link to a file is followed: the file it leads to is rewritten.
    if (const QFileInfo info(path); info.isSymLink() && info.exists())
        path = info.canonicalFilePath();
    removeLeftoverTemporaries(path);
    // The rename below needs only the folder's permission; the file's own
    // mode is the user's word that it must not change.
    if (QString reason; !mayChange(path, &reason))
        return fail(reason);
    struct stat old;
    const bool replacing = ::stat(QFile::encodeName(path).constData(), &old) == 0;
    // A new file takes the old one's place only once it is complete and on
    // the disk; until the rename the old one is untouched.
    QFile f;
    if (QString reason; !openTemporary(f, path, &reason))
        return fail(reason);
    auto drop = [&](const QString &reason) {
        f.remove();
        return fail(reason);
    };
    // Whatever a caller hands in, one entry stays one line.
    QByteArray bytes;
    for (const FavoriteEntry &e : entries)
        bytes += formatLine(mendEntry(e));
    if (!writeAll(f, bytes))
        return drop(f.errorString());
    if (::fsync(f.handle()) != 0)
        return drop(QString::fromLocal8Bit(strerror(errno)));
    // The file the user had keeps its mode, set bits included.
    if (replacing && ::fchmod(f.handle(), old.st_mode & 07777) != 0)
        return drop(QStringLiteral("its permissions could not be given to the new copy: %1")
                        .arg(QString::fromLocal8Bit(strerror(errno))));
    if (::rename(QFile::encodeName(f.fileName()).constData(), QFile::encodeName(path).constData()) != 0)
        return drop(QString::fromLocal8Bit(strerror(errno)));
    return true;
}

FileStamp stampOf(const QString &path)
{
    struct stat st;
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return {};
    return {true, qint64(st.st_size), qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec,
            quint64(st.st_ino)};
}

} // namespace Favorites
