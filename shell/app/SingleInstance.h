#pragma once
// One Lumeno per user and display. The first one listens on a local socket;
// a later "lumeno URL" hands its addresses over and ends, and the running one
// opens them. The socket sits in the user's runtime directory, named after
// the display, so that two sessions of one user each have their own.
//
// Messages are UTF-8 lines: "LUMENO-OPEN 1", one address per line, and an
// empty line at the end; no addresses means "a new window on the home page".
// The answer is "OK". Anything else, or more than MaxMessage bytes, is
// dropped unanswered.
#include <QObject>
#include <QProcessEnvironment>
#include <QStringList>
#include <optional>

class QLocalServer;
class QLocalSocket;

class SingleInstance : public QObject
{
    Q_OBJECT
public:
    enum Outcome {
        Listening,  // this is the first: it listens for the next ones
        HandedOver, // a running one took the addresses: this process may end
        Alone       // neither; start as a separate one (reason in why)
    };

    explicit SingleInstance(const QString &socketPath, QObject *parent = nullptr);
    ~SingleInstance() override;

    // Hands the addresses to the one listening at the path; when nobody
    // listens there, a socket left by a crash included, listens itself.
    Outcome start(const QStringList &addresses, QString *why = nullptr);
    bool isListening() const;
    QString socketPath() const { return m_path; }
    // How long a hand-over waits for the running one to answer.
    void setAnswerTimeout(int ms) { m_answerTimeout = ms; }

    // The socket for this user and display; empty, with the reason, where no
    // directory only this user can reach is to be had.
    static QString socketPathFor(const QProcessEnvironment &env, QString *why = nullptr);
    // The file name part: per display, the same for ":0" and ":0.0".
    static QString socketName(const QProcessEnvironment &env);

    static QByteArray encode(const QStringList &addresses);
    // The addresses of one whole message; nothing for a malformed one.
    static std::optional<QStringList> decode(QByteArrayView message);

    static constexpr qsizetype MaxMessage = 64 * 1024;
    static constexpr qsizetype MaxAddresses = 256;

signals:
    // Another start asked for these addresses to be opened (none: one window
    // on the home page).
    void openRequested(const QStringList &addresses);

private:
    bool handOver(const QStringList &addresses, QString *why, bool *nobodyThere);
    void onNewConnection();
    void onReadyRead(QLocalSocket *socket);

    QString m_path;
    QLocalServer *m_server = nullptr;
    int m_answerTimeout = 5000;
};
