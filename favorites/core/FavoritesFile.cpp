#include "favorites/core/FavoritesFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

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
    if (dir.isDir() && dir.isWritable() && access(QFile::encodeName(dir.filePath()).constData(), W_OK) == 0)
        return inProgramDir;
    return dataDirectory() + QLatin1Char('/') + name;
}

bool EnsureFavoritesFile(QString *error)
{
    const QString path = FavoritesFilePath(CurrentUserName());
    if (QFileInfo::exists(path))
        return true;
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        if (error)
            *error = failure(QStringLiteral("created"), path, f.errorString());
        return false;
    }
    return true;
}

QString decodeLine(QByteArrayView line)
{
    if (line.isValidUtf8())
        return QString::fromUtf8(line);
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
        if (line.isEmpty())
            continue;
        qsizetype at = line.indexOf(separator);
        // A title may end in single "|" characters ("Shop |"): in a run of
        // bars the separator is its last two, so such a title reads back whole.
        while (at >= 0 && at + 2 < line.size() && line[at + 2] == '|')
            ++at;
        if (at < 0)
            entries.append({decodeLine(line), QString()});
        else
            entries.append({decodeLine(line.first(at)), decodeLine(line.sliced(at + 2))});
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
    return readFile(FavoritesFilePath(CurrentUserName()), error);
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
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (!f.open(QIODevice::ReadWrite | QIODevice::Append)) {
        if (error)
            *error = failure(QStringLiteral("written"), path, f.errorString());
        return false;
    }
    const qint64 before = f.size();
    QByteArray line;
    // A last line left without its end by a hand edit must not swallow this one.
    if (before > 0 && f.seek(before - 1) && f.read(1) != "\n")
        line = "\r\n";
    line += formatLine(mendEntry({title, url}));
    if (f.write(line) != line.size() || !f.flush()) {
        if (error)
            *error = failure(QStringLiteral("written"), path, f.errorString());
        // No half line is left behind.
        f.resize(before);
        return false;
    }
    return true;
}

bool RewriteFavorites(const QString &userName, const QList<FavoriteEntry> &entries, QString *error)
{
    const QString path = FavoritesFilePath(userName);
    QDir().mkpath(QFileInfo(path).absolutePath());
    // A new file takes the old one's place only once it is complete.
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly)) {
        if (error)
            *error = failure(QStringLiteral("written"), path, f.errorString());
        return false;
    }
    // Whatever a caller hands in, one entry stays one line.
    QByteArray bytes;
    for (const FavoriteEntry &e : entries)
        bytes += formatLine(mendEntry(e));
    if (f.write(bytes) != bytes.size() || !f.commit()) {
        if (error)
            *error = failure(QStringLiteral("written"), path, f.errorString());
        f.cancelWriting();
        return false;
    }
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
