// The console's processor time while a large fleet's games change: stand-in
// remote sides in this process (WebSocket servers speaking the link) hold
// 1 000 profiles between them, each with a game; each welcomes every link,
// answers `games` with all of its own and pushes `{"game": GAME}` for each
// profile once a second, spread evenly over the second (one due somewhere
// in the fleet every millisecond), the player count changing each time. They
// send them as jexremote does: gathered, all those due at most every 250 ms,
// each remote at its own moment (a second argument of 5 shows the cost of
// pushes sent nearly one by one). The console (`jexhost`, offscreen, its
// window shown) runs a servers file of the 1 000 servers on those remotes;
// once its links are welcomed and have settled, its processor time
// (/proc/PID/stat) is taken over 20 s. The last line:
//   console idle CPU with 1000 servers, game states changing once a second: C %
//
// Usage: console_idle_bench [SECONDS [BURST_MS [REMOTES]]]   (20 s, 250 ms, 1 remote)
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHostAddress>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QWebSocket>
#include <QWebSocketServer>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>
#include <vector>

#include "bench_setup.h"
#include "link/game_messages.h"
#include "link/link_messages.h"
#include "link/privilege_names.h"
#include "process_probe.h"
#include "spin_until.h"

namespace {

constexpr int kServers = 1000;
constexpr int kWaitMs = 60000;
constexpr int kSettleMs = 3000;
const QString kToken = QStringLiteral("console-idle-token-0123456789abcdef");

using jexbench::writeFile;

// Profile `profile`'s game as pushed the `round`th time: running, its
// players changing from one push to the next.
jexlink::GameStatus gameOf(int profile, qint64 round) {
    jexlink::GameStatus game;
    game.profile = profile;
    game.definition = QStringLiteral("teeworlds");
    game.state = QStringLiteral("running");
    game.pid = 100000 + profile;
    game.since = QStringLiteral("2026-01-01T10:00:00Z");
    game.players = int((round + profile) % 17);
    game.maxPlayers = 16;
    game.appliedVersion = 1;
    return game;
}

// A stand-in remote side with `profiles` profiles: every link welcomed as a
// super-administrator.
struct StandInRemote {
    explicit StandInRemote(int profiles) : profiles(profiles) {}
    const int profiles;
    QWebSocketServer server{QStringLiteral("console_idle_bench"), QWebSocketServer::NonSecureMode};
    QTimer pace;  // sends the pushes due since its last beat
    QList<QWebSocket*> welcomed;
    std::map<QString, int> unanswered;  // requests of other kinds, by their kind
    qint64 pushes = 0;
    // Owns the links and is the receiver of their signals; gone first, so
    // that no link's end reaches the members above while they go.
    QObject links;

    bool listen() {
        QObject::connect(&server, &QWebSocketServer::newConnection, [this] {
            while (QWebSocket* socket = server.nextPendingConnection()) {
                socket->setParent(&links);
                QObject::connect(socket, &QWebSocket::textMessageReceived, &links,
                                 [this, socket](const QString& m) { received(socket, m); });
                QObject::connect(socket, &QWebSocket::disconnected, &links, [this, socket] {
                    welcomed.removeAll(socket);
                    socket->deleteLater();
                });
            }
        });
        return server.listen(QHostAddress::LocalHost, 0);
    }
    void received(QWebSocket* socket, const QString& message) {
        if (jexlink::readTokenMessage(message)) {
            jexlink::Welcome welcome;
            welcome.operatorName = QStringLiteral("bench");
            welcome.superAdmin = true;
            for (const char* name : jexlink::kPrivilegeNames)
                welcome.privileges << qMakePair(QString::fromLatin1(name), 1);
            welcome.control = true;
            socket->sendTextMessage(jexlink::welcomeMessage(welcome));
            welcomed << socket;
            return;
        }
        if (const auto id = jexlink::readGamesRequest(message)) {
            QList<jexlink::GameStatus> games;
            for (int profile = 0; profile < profiles; ++profile) games << gameOf(profile, 0);
            socket->sendTextMessage(jexlink::gamesAnswerMessage(*id, games));
            return;
        }
        const QJsonObject object = QJsonDocument::fromJson(message.toUtf8()).object();
        QStringList kinds = object.keys();
        kinds.removeAll(QStringLiteral("id"));
        ++unanswered[kinds.join(u',')];
    }
    // The pushes due by `elapsedMs` since the first: each profile once a second.
    void pushUntil(qint64 elapsedMs) {
        for (; pushes < elapsedMs * profiles / 1000; ++pushes) {
            const QString push =
                jexlink::gamePushMessage(gameOf(int(pushes % profiles), pushes / profiles + 1));
            for (QWebSocket* socket : std::as_const(welcomed)) socket->sendTextMessage(push);
        }
    }
};

int fail(const char* what) {
    std::fprintf(stderr, "console_idle_bench: %s\n", what);
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const auto argument = [&](int at, int otherwise) {
        return argc > at ? std::max(1, QString::fromLatin1(argv[at]).toInt()) : otherwise;
    };
    const int seconds = argument(1, 20);
    const int burstMs = argument(2, 250);
    const int remoteCount = std::min(argument(3, 1), kServers);
    std::vector<std::unique_ptr<StandInRemote>> remotes;
    QTemporaryDir dir;
    const QString root = dir.filePath(QStringLiteral("root"));
    const QString serversFile = root + QStringLiteral("/settings/servers.ini");
    writeFile(root + QStringLiteral("/settings/tokens/remote.token"), kToken.toUtf8() + "\n", true);
    QByteArray servers;
    for (int r = 0; r < remoteCount; ++r) {
        const int first = kServers * r / remoteCount, next = kServers * (r + 1) / remoteCount;
        auto& remote = remotes.emplace_back(std::make_unique<StandInRemote>(next - first));
        if (!remote->listen()) return fail("cannot listen on loopback");
        const QByteArray url = "ws://127.0.0.1:" + QByteArray::number(remote->server.serverPort());
        for (int profile = 0; profile < remote->profiles; ++profile) {
            const QByteArray id = "s" + QByteArray::number(first + profile);
            servers += "[" + id + "]\nName=Server " + QByteArray::number(first + profile) +
                       "\nGame=Delta Force,  V1.5.0.5\nRemote=" + url +
                       "\nTokenFile=tokens/remote.token\nProfile=" + QByteArray::number(profile) +
                       "\nTag=" + id + "\n";
        }
    }
    writeFile(serversFile, servers);
    const auto sum = [&remotes](auto of) {
        qint64 total = 0;
        for (const auto& remote : remotes) total += of(*remote);
        return total;
    };

    QProcess console;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("JEX_HOST_ROOT"), root);
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    console.setProcessEnvironment(environment);
    console.setStandardOutputFile(root + QStringLiteral("/console.out"));
    console.setStandardErrorFile(root + QStringLiteral("/console.log"));
    console.start(QStringLiteral(JEXHOST_PATH), {QStringLiteral("--config"), serversFile});
    const auto stopConsole = [&console](int status) {
        console.terminate();
        if (!console.waitForFinished(10000)) {
            console.kill();
            console.waitForFinished(10000);
        }
        return status;
    };
    if (!console.waitForStarted(kWaitMs)) return fail("jexhost did not start");
    if (!jexbench::spinUntil(
            [&] {
                return sum([](auto& r) { return qint64(!r.welcomed.isEmpty()); }) == remoteCount;
            },
            kWaitMs))
        return stopConsole(fail("the console's links were not all welcomed"));

    QElapsedTimer pushing;
    pushing.start();
    for (int r = 0; r < remoteCount; ++r) {  // each remote at its own moment in the beat
        StandInRemote* remote = remotes[r].get();
        remote->pace.setTimerType(Qt::PreciseTimer);
        QObject::connect(&remote->pace, &QTimer::timeout,
                         [remote, &pushing] { remote->pushUntil(pushing.elapsed()); });
        QTimer::singleShot(burstMs * r / remoteCount, Qt::PreciseTimer, &remote->pace,
                           [remote, burstMs] { remote->pace.start(burstMs); });
    }
    jexbench::spinUntil([] { return false; }, kSettleMs);  // the first answers settle
    const qint64 pid = console.processId();
    const qint64 ticksBefore = jexbench::processorTicks(pid);
    const qint64 pushesBefore = sum([](auto& r) { return r.pushes; });
    QElapsedTimer measured;
    measured.start();
    jexbench::spinUntil([&] { return console.state() == QProcess::NotRunning; }, seconds * 1000);
    const qint64 ticks = jexbench::processorTicks(pid) - ticksBefore;
    const double wallSeconds = double(measured.elapsed()) / 1000;
    const qint64 pushed = sum([](auto& r) { return r.pushes; }) - pushesBefore;
    for (const auto& remote : remotes) remote->pace.stop();
    if (console.state() == QProcess::NotRunning) return fail("jexhost ended during the run");
    const double cpu = double(ticks) / double(sysconf(_SC_CLK_TCK)) / wallSeconds * 100;
    const double rss = jexbench::residentMegabytes(pid);
    stopConsole(0);

    std::map<QString, int> unanswered;
    for (const auto& remote : remotes)
        for (const auto& [kind, count] : remote->unanswered) unanswered[kind] += count;
    for (const auto& [kind, count] : unanswered)
        std::printf("unanswered requests of kind %s: %d\n", qPrintable(kind), count);
    std::printf(
        "pushes: %lld in %.1f s (%.0f a second) from %d remote(s), each sending every "
        "%d ms; console RSS %.0f MB\n",
        pushed, wallSeconds, double(pushed) / wallSeconds, remoteCount, burstMs, rss);
    std::printf("console idle CPU with %d servers, game states changing once a second: %.2f %%\n",
                kServers, cpu);
    std::fflush(stdout);
    return 0;
}
