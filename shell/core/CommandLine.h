#pragma once
// What the program is asked to do by its command line:
//   lumeno [options] [URL|FILE]...
// Parsing only; nothing here prints, exits or needs a display, so that
// "--help" works from any terminal.
#include <QString>
#include <QStringList>

namespace CommandLine {

struct Request
{
    enum Action {
        Run,         // start (or hand the addresses to the running Lumeno)
        ShowHelp,    // print text to standard output, exit 0
        ShowVersion, // likewise
        Fail         // print text to standard error, exit exitCode
    };
    Action action = Run;
    // Each address completed as the address box completes it; empty when
    // the program is to start as usual, on the home page.
    QStringList addresses;
    // Start a host of its own even when one is running.
    bool newInstance = false;
    // The help or version text, or the error message.
    QString text;
    // Arguments that gave no usable address, for a warning.
    QStringList unusable;
    int exitCode = 0;
};

// arguments: as main() got them, the program's name first. Options that Qt
// itself reads (-platform, -style, ...) and everything after --webEngineArgs
// are passed over. Relative file names are taken from workingDirectory.
Request parse(const QStringList &arguments, const QString &workingDirectory);

// An argument as an address: an existing file (relative to the working
// directory too) is its file: URL; anything else is read as a typed address.
// An empty or unusable text gives an empty string.
QString completeAddress(const QString &text, const QString &workingDirectory);

// Exit status for a command line that cannot be understood.
constexpr int UsageError = 2;

} // namespace CommandLine
