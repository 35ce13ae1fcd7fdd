#include "shell/core/CommandLine.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

namespace CommandLine {

namespace {
// Options QApplication takes for itself; the parser must accept them too,
// or "lumeno -style fusion" would be refused before Qt ever saw it.
const char *const QtOptionsWithValue[] = {"platform", "platformpluginpath", "platformtheme",
                                          "plugin", "qwindowgeometry", "qwindowicon",
                                          "qwindowtitle", "display", "style", "stylesheet",
                                          "session", "qmljsdebugger"};
const char *const QtFlags[] = {"reverse", "widgetcount", "nograb", "dograb", "sync"};

const QString ProgramName = QStringLiteral("lumeno");
} // namespace

QString completeAddress(const QString &text, const QString &workingDirectory)
{
    if (text.trimmed().isEmpty())
        return QString();
    // A file that exists is that file, wherever the name happens to look like
    // a host ("index.html", "example.org").
    if (!text.contains(QLatin1String("://"))) {
        const QFileInfo file(QDir(workingDirectory), text);
        if (file.exists())
            return QUrl::fromLocalFile(file.absoluteFilePath()).toString(QUrl::FullyEncoded);
    }
    // Otherwise exactly as the address box reads a typed address.
    const QUrl url = QUrl::fromUserInput(text, QString(), QUrl::AssumeLocalFile);
    return url.isValid() ? url.toString(QUrl::FullyEncoded) : QString();
}

Request parse(const QStringList &arguments, const QString &workingDirectory)
{
    Request request;
    QStringList ours = arguments;
    // Chromium's switches follow --webEngineArgs; the engine reads them itself.
    const qsizetype engine = ours.indexOf(QStringLiteral("--webEngineArgs"));
    if (engine >= 0)
        ours = ours.first(engine);
    if (ours.isEmpty())
        ours << ProgramName;

    QCommandLineParser parser;
    // "-platform" is one option, as Qt reads it, not seven letters.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(
        QStringLiteral("Lumeno 2.0: browse the web in several windows at once.\n"
                       "Each address opens in a window of its own. When Lumeno is already "
                       "running, the addresses open there."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help and exit."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Show the version and exit."));
    const QCommandLineOption newInstance(
        QStringLiteral("new-instance"),
        QStringLiteral("Start a separate Lumeno even when one is running."));
    parser.addOption(help);
    parser.addOption(version);
    parser.addOption(newInstance);
    for (const char *name : QtOptionsWithValue) {
        QCommandLineOption o(QString::fromLatin1(name), QString(), QStringLiteral("value"));
        o.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(o);
    }
    for (const char *name : QtFlags) {
        QCommandLineOption o(QString::fromLatin1(name));
        o.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(o);
    }
    parser.addPositionalArgument(QStringLiteral("address"),
                                 QStringLiteral("A web address or a file to open."),
                                 QStringLiteral("[URL|FILE]..."));

    if (!parser.parse(ours)) {
        request.action = Request::Fail;
        request.exitCode = UsageError;
        request.text = QStringLiteral("%1: %2\nTry '%1 --help' for more information.\n")
                           .arg(ProgramName, parser.errorText());
        return request;
    }
    if (parser.isSet(help)) {
        request.action = Request::ShowHelp;
        // The parser names the program after the application object, which
        // does not exist yet.
        QString text = parser.helpText();
        const qsizetype options = text.indexOf(QLatin1String(" [options]"));
        if (text.startsWith(QLatin1String("Usage: ")) && options > 0)
            text.replace(7, options - 7, ProgramName);
        request.text = text;
        return request;
    }
    if (parser.isSet(version)) {
        request.action = Request::ShowVersion;
        request.text = QStringLiteral("Lumeno %1.%2\n").arg(LUMENO_VERSION_MAJOR).arg(LUMENO_VERSION_MINOR);
        return request;
    }
    request.newInstance = parser.isSet(newInstance);
    for (const QString &argument : parser.positionalArguments()) {
        const QString address = completeAddress(argument, workingDirectory);
        if (address.isEmpty())
            request.unusable << argument;
        else
            request.addresses << address;
    }
    return request;
}

} // namespace CommandLine
