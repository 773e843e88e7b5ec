// How long an update takes to reach a running game: a jexremote process runs
// a real Teeworlds server for profile 0 with auto-load on; 100 times, an
// update renames the server, and the time is taken from the answer "1" to
// the game's own query (what a server browser sees) showing the new name.
// Then a fleet apply live: the same jexremote runs 20 Teeworlds servers, an
// update for each of the 20 is sent at once over the one link (as the fleet
// sends a batch to one remote), timed from the sending to every game's own
// query showing its new name; median of 5 such applies, printed as
// `fleet live apply: 20 servers Y ms`. The last line: `update to game X ms`,
// the median of the single updates.
//
// Usage: game_update_bench [UPDATES]   (100 by default)
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <QWebSocket>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#include "bench_setup.h"
#include "exchange/wire/request.h"
#include "link/game_messages.h"
#include "link/link_messages.h"
#include "spin_until.h"
#include "tests/remote/hand_written_server.h"
#include "tests/remote/teeworlds_query.h"

namespace {

constexpr int kWaitMs = 30000;
constexpr int kGames = 20;
constexpr int kFleetApplies = 5;
const QString kToken = QStringLiteral("bench-token-0123456789abcdef");

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() &&
           file.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
}

using jexbench::freeUdpPorts;

// The update that renames profile `profile`'s server to `name`, with id `id`.
QString renameMessage(qint64 id, int profile, const QString& name) {
    kdrsm::wire::UpdateBody body = jextest::restatingBody(name);
    body.autoLoad = QStringLiteral("1");
    return jexlink::requestMessage(
        id, kdrsm::wire::requestText(kdrsm::wire::kSetSettings, QStringLiteral("t"), profile,
                                     kdrsm::wire::joinUpdateBody(body)));
}

int fail(const char* what) {
    std::fprintf(stderr, "game_update_bench: %s\n", what);
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int updates = argc > 1 ? std::max(1, QString::fromLatin1(argv[1]).toInt()) : 100;
    if (!QFile::exists(QStringLiteral("/usr/games/teeworlds-server")))
        return fail("teeworlds-server is not installed");
    QTemporaryDir dir;
    const QString state = dir.filePath(QStringLiteral("state"));
    QDir().mkpath(state);
    const QList<quint16> ports = freeUdpPorts(kGames);
    const quint16 port = ports.first();
    const QStringList common{QStringLiteral("--state-dir"), state, QStringLiteral("--token-file"),
                             dir.filePath(QStringLiteral("tokens"))};
    if (!writeFile(dir.filePath(QStringLiteral("tokens")), kToken.toUtf8() + " root 1 1 1 1 1 1\n"))
        return fail("cannot write the token file");
    for (int profile = 0; profile < kGames; ++profile) {
        QByteArray settings = jextest::stateText();
        settings.replace("AutoLoad=0", "AutoLoad=1");
        if (!writeFile(state + QStringLiteral("/server-%1.ini").arg(profile), settings))
            return fail("cannot write the state folder");
        if (QProcess::execute(QStringLiteral(JEXREMOTE_PATH),
                              common + QStringList{"--set-game", QString::number(profile),
                                                   "--definition", "teeworlds", "--game-port",
                                                   QString::number(ports.at(profile))}) != 0)
            return fail("--set-game failed");
    }

    QProcess remote;
    // 100 updates in a few seconds: past the default rate of one operator.
    remote.start(QStringLiteral(JEXREMOTE_PATH),
                 common + QStringList{"--max-updates-per-second", "1000"});
    QUrl url;
    QByteArray said;
    while (url.isEmpty() && remote.waitForReadyRead(kWaitMs)) {
        said += remote.readAllStandardOutput();
        const auto found = QRegularExpression(QStringLiteral("listening on (\\S+)\n"))
                               .match(QString::fromUtf8(said));
        if (found.hasMatch()) url = QUrl(found.captured(1));
    }
    if (url.isEmpty()) return fail("jexremote did not start");

    QWebSocket socket;
    QStringList received;
    QObject::connect(&socket, &QWebSocket::textMessageReceived,
                     [&received](const QString& message) { received << message; });
    QObject::connect(&socket, &QWebSocket::connected,
                     [&] { socket.sendTextMessage(jexlink::tokenMessage(kToken)); });
    socket.open(url);
    // The answer with this id, once it came.
    const auto answerTo = [&received](qint64 id) {
        QString found;
        jexbench::spinUntil(
            [&] {
                for (const QString& message : std::as_const(received))
                    if (message.contains(QStringLiteral("\"id\":%1,").arg(id)) ||
                        message.contains(QStringLiteral("\"id\":%1}").arg(id)))
                        found = message;
                return !found.isEmpty();
            },
            kWaitMs);
        return found;
    };
    if (!jexbench::spinUntil([&] { return !received.isEmpty(); }, kWaitMs))
        return fail("no welcome");
    // Ids 1 to 20 start the games, 21 to 40 stop them.
    for (int profile = 0; profile < kGames; ++profile)
        socket.sendTextMessage(
            jexlink::controlRequestMessage({1 + profile, profile, QStringLiteral("start"), false}));
    bool allStarted = true;
    for (int profile = 0; profile < kGames; ++profile) {
        const auto started = jexlink::readControlAnswer(answerTo(1 + profile));
        allStarted &= started && started->second.ok;
    }
    // The games outlive jexremote: stopped before leaving, whatever happened.
    const auto stop = [&](int status) {
        for (int profile = 0; profile < kGames; ++profile)
            socket.sendTextMessage(jexlink::controlRequestMessage(
                {1 + kGames + profile, profile, QStringLiteral("stop"), false}));
        for (int profile = 0; profile < kGames; ++profile) answerTo(1 + kGames + profile);
        remote.kill();
        remote.waitForFinished(kWaitMs);
        return status;
    };
    if (!allStarted) return stop(fail("a game did not start"));

    QList<double> ms;
    for (int i = 0; i < updates; ++i) {
        const QString name = QStringLiteral("Bench %1").arg(i);
        const qint64 id = 100 + i;
        socket.sendTextMessage(renameMessage(id, 0, name));
        if (const QString answer = answerTo(id);
            !answer.contains(QStringLiteral("\"answer\":\"1\""))) {
            std::fprintf(stderr, "%s\n", qPrintable(answer));
            return stop(fail("not stored"));
        }
        QElapsedTimer clock;
        clock.start();
        bool shown = false;
        while (!shown && !clock.hasExpired(kWaitMs)) {
            const auto info = jextest::queryTeeworlds(port);
            shown = info && info->name == name;
            if (!shown) QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        }
        if (!shown) return stop(fail("the game never showed the new name"));
        ms << clock.nsecsElapsed() / 1e6;
    }

    // The fleet's apply: one update per game, all sent before any answer.
    QList<double> fleetMs;
    qint64 nextId = 100 + updates;
    for (int round = 0; round < kFleetApplies; ++round) {
        const auto nameOf = [round](int profile) {
            return QStringLiteral("Fleet %1 %2").arg(round).arg(profile);
        };
        QElapsedTimer clock;
        clock.start();
        const qint64 firstId = nextId;
        for (int profile = 0; profile < kGames; ++profile)
            socket.sendTextMessage(renameMessage(nextId++, profile, nameOf(profile)));
        QList<bool> shown(kGames, false);
        while (shown.contains(false) && !clock.hasExpired(kWaitMs)) {
            for (int profile = 0; profile < kGames; ++profile)
                if (!shown.at(profile)) {
                    const auto info = jextest::queryTeeworlds(ports.at(profile));
                    shown[profile] = info && info->name == nameOf(profile);
                }
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        }
        if (shown.contains(false)) return stop(fail("a game never showed its new name"));
        fleetMs << clock.nsecsElapsed() / 1e6;
        for (qint64 id = firstId; id < nextId; ++id)
            if (!answerTo(id).contains(QStringLiteral("\"answer\":\"1\"")))
                return stop(fail("a fleet update was not stored"));
    }
    stop(0);
    std::sort(ms.begin(), ms.end());
    std::sort(fleetMs.begin(), fleetMs.end());
    std::printf("fleet live apply: %d servers %.1f ms\n", kGames, fleetMs.at(fleetMs.size() / 2));
    std::printf("update to game %.1f ms\n", ms.at(ms.size() / 2));
    return 0;
}
