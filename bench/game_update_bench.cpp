// How long an update takes to reach a running game: a jexremote process runs
// a real Teeworlds server for profile 0 with auto-load on; 100 times, an
// update renames the server, and the time is taken from the answer "1" to
// the game's own query (what a server browser sees) showing the new name.
// The last line: `update to game X ms`, the median.
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

#include "exchange/wire/request.h"
#include "link/game_messages.h"
#include "link/link_messages.h"
#include "spin_until.h"
#include "tests/remote/hand_written_server.h"
#include "tests/remote/teeworlds_query.h"

namespace {

constexpr int kWaitMs = 30000;
const QString kToken = QStringLiteral("bench-token-0123456789abcdef");

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() &&
           file.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
}

quint16 freeUdpPort() {
    QUdpSocket probe;
    probe.bind(QHostAddress::LocalHost, 0);
    return probe.localPort();
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
    QByteArray settings = jextest::stateText();
    settings.replace("AutoLoad=0", "AutoLoad=1");
    if (!writeFile(state + QStringLiteral("/server-0.ini"), settings) ||
        !writeFile(dir.filePath(QStringLiteral("tokens")), kToken.toUtf8() + " root 1 1 1 1 1 1\n"))
        return fail("cannot write the state folder");
    const quint16 port = freeUdpPort();
    const QStringList common{QStringLiteral("--state-dir"), state, QStringLiteral("--token-file"),
                             dir.filePath(QStringLiteral("tokens"))};
    if (QProcess::execute(QStringLiteral(JEXREMOTE_PATH),
                          common + QStringList{"--set-game", "0", "--definition", "teeworlds",
                                               "--game-port", QString::number(port)}) != 0)
        return fail("--set-game failed");

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
    socket.sendTextMessage(jexlink::controlRequestMessage({1, 0, QStringLiteral("start"), false}));
    const auto started = jexlink::readControlAnswer(answerTo(1));
    // The game outlives jexremote: stopped before leaving, whatever happened.
    const auto stop = [&](int status) {
        socket.sendTextMessage(
            jexlink::controlRequestMessage({2, 0, QStringLiteral("stop"), false}));
        answerTo(2);
        remote.kill();
        remote.waitForFinished(kWaitMs);
        return status;
    };
    if (!started || !started->second.ok) return stop(fail("the game did not start"));

    QList<double> ms;
    for (int i = 0; i < updates; ++i) {
        const QString name = QStringLiteral("Bench %1").arg(i);
        kdrsm::wire::UpdateBody body = jextest::restatingBody(name);
        body.autoLoad = QStringLiteral("1");
        const qint64 id = 100 + i;
        socket.sendTextMessage(jexlink::requestMessage(
            id, kdrsm::wire::requestText(kdrsm::wire::kSetSettings, QStringLiteral("t"), 0,
                                         kdrsm::wire::joinUpdateBody(body))));
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
    stop(0);
    std::sort(ms.begin(), ms.end());
    std::printf("update to game %.1f ms\n", ms.at(ms.size() / 2));
    return 0;
}
