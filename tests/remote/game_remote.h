#pragma once
// A jexremote program with a state folder whose profile 0 can run a real
// Teeworlds server, and what the game tests ask of it.

#include <functional>

#include "link/game_messages.h"
#include "remote_fixture.h"
#include "support/game_servers.h"

namespace jextest {

inline const QString kAnaToken = QStringLiteral("ana-token-0123456789abcdef");
// lee lacks the control of game servers; ana has it from the ninth field.
inline const QByteArray kTeamTokens =
    kRootLine + kLeeLine + kAnaToken.toUtf8() + " ana 0 0 0 0 0 0 1\n";
inline const QString kServerPassword = QStringLiteral("s3rverPW77");
inline const QString kTypedPassword = QStringLiteral("typedPW4242");

// The message with this id among what the client received, waiting for it.
inline QString answerTo(Client& client, qint64 id, int waitMs = 30000) {
    return client
        .first<QString>(
            [id](const QString& message) -> std::optional<QString> {
                if (QJsonDocument::fromJson(message.toUtf8()).object().value("id").toInteger(-1) ==
                    id)
                    return message;
                return std::nullopt;
            },
            0, waitMs)
        .value_or(QString());
}

// Sends a control action for profile 0 and waits for its outcome.
inline std::optional<jexlink::ControlOutcome> control(Client& client, qint64 id,
                                                      const char* action) {
    client.socket.sendTextMessage(
        jexlink::controlRequestMessage({id, 0, QString::fromLatin1(action), false}));
    const auto answer = jexlink::readControlAnswer(answerTo(client, id));
    return answer ? std::optional(answer->second) : std::nullopt;
}

// Profile 0's GAME as a games answer gives it; empty when not one game.
inline jexlink::GameStatus gameOf(Client& client, qint64 id) {
    client.socket.sendTextMessage(jexlink::gamesRequestMessage(id));
    const auto games = jexlink::readGamesAnswer(answerTo(client, id));
    return games && games->second.size() == 1 ? games->second.at(0) : jexlink::GameStatus{};
}

// The first game pushed to `client` that `fits`.
inline std::optional<jexlink::GameStatus> pushedWhere(
    Client& client, const std::function<bool(const jexlink::GameStatus&)>& fits) {
    return client.first<jexlink::GameStatus>([&](const QString& message) {
        const auto game = jexlink::readGamePush(message);
        return game && fits(*game) ? game : std::nullopt;
    });
}

// Alive, not a zombie waiting for a parent to reap it.
inline bool processExists(qint64 pid) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (pid <= 0 || !stat.open(QIODevice::ReadOnly)) return false;
    const QByteArray text = stat.readAll();
    return text.mid(text.lastIndexOf(')') + 2, 1) != "Z";
}

struct GameRemote {
    TempHost host;
    QString state = host.path(QStringLiteral("state"));
    RemoteProgram program;
    qint64 gamePid = 0;  // killed at the end should a test stop half-way
    QString games;       // the definitions folder, when not the shipped one

    GameRemote() {
        QByteArray text = stateText();
        text.replace("Password=\n", "Password=" + kServerPassword.toUtf8() + "\n");
        text.replace("AutoLoad=0", "AutoLoad=1");
        host.write(QStringLiteral("state/server-0.ini"), text);
        writeTokenFile(host, kTeamTokens);
    }
    ~GameRemote() {
        program.stop();
        if (processExists(gamePid)) ::kill(pid_t(gamePid), SIGKILL);
    }
    // jexremote with these options after --state-dir; its exit status and what it wrote.
    std::pair<int, QString> run(const QStringList& options) {
        return runRemoteTool(QStringList{QStringLiteral("--state-dir"), state} + options +
                             gamesOption());
    }
    bool serve() {
        return program.start(QStringList{QStringLiteral("--state-dir"), state,
                                         QStringLiteral("--token-file"),
                                         host.path(QStringLiteral("tokens"))} +
                             gamesOption());
    }
    // A definitions folder of the test's own: the shipped Teeworlds one with `change` made.
    void useDefinition(const std::function<void(QJsonObject&)>& change) {
        QJsonObject definition = QJsonDocument::fromJson(shippedTeeworlds()).object();
        change(definition);
        host.write(QStringLiteral("games/teeworlds.json"), QJsonDocument(definition).toJson());
        games = host.path(QStringLiteral("games"));
    }
    // Binds profile 0 on a free port, serves it and starts its game through
    // `client` (welcomed as root); the port, or 0 when any step failed.
    quint16 startGame(Client& client) {
        const quint16 port = freeUdpPort();
        if (!bind(port) || !serve() || !client.welcomed(program.url, kRootToken)) return 0;
        const auto started = control(client, 9000, "start");
        EXPECT_TRUE(started && started->ok) << (started ? started->reason.toStdString() : "none");
        return started && started->ok ? port : 0;
    }
    // Binds profile 0 to the teeworlds definition on `port`.
    bool bind(quint16 port = freeUdpPort()) {
        return run({"--set-game", "0", "--definition", "teeworlds", "--game-port",
                    QString::number(port)})
                   .first == 0;
    }
    QStringList gamesOption() const {
        return games.isEmpty() ? QStringList() : QStringList{QStringLiteral("--games"), games};
    }
};

}  // namespace jextest
