// Twenty Teeworlds servers run by one jexremote, timed over the link as a
// super-administrator would drive them:
//   started      20 start requests sent at once, until the last answer came
//   all running  until every game was reported running (pushed or answered)
//   status       one games request's round trip (median of 50)
//   output follow  a console line (echo) to its echo pushed to a follower
//                (median of 10, sent at moments spread over 100 ms)
//   idle CPU     jexremote's processor time over 10 s with the 20 running
//   RSS          jexremote's resident size then
// Before them, the game's own start (teeworlds-server run directly until its
// ready line) alone and 20 at once, and one start through jexremote, so that
// what jexremote adds to a start can be read off. Every game is stopped over
// the link at the end, jexremote after them. Then game_update_bench, run as
// a program of its own on its own remote, gives an update's way into a
// running game (`fleet live apply: 20 servers Y ms`, `update to game X ms`),
// repeated here. The last line:
//   games: 20 teeworlds servers on one remote: started X ms, all running Y ms,
//   status Z ms, output follow W ms, idle CPU C %, jexremote RSS M MB
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <QUdpSocket>
#include <QWebSocket>

#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>
#include <set>
#include <vector>

#include "bench_setup.h"
#include "link/game_messages.h"
#include "link/link_messages.h"
#include "process_probe.h"
#include "spin_until.h"
#include "tests/remote/hand_written_server.h"

namespace {

using jexbench::alive;
using jexbench::median;
using jexbench::processorTicks;
using jexbench::residentMegabytes;

constexpr int kGames = 20;
constexpr int kWaitMs = 60000;
constexpr int kStatusRounds = 50;
constexpr int kFollowRounds = 10;
constexpr int kOwnStarts = 5;
constexpr int kIdleMs = 10000;
const QString kProgram = QStringLiteral("/usr/games/teeworlds-server");
const QString kToken = QStringLiteral("bench-root-token-0123456789abcdef");
const QString kReadyLine = QStringLiteral("[server]: version ");

template <typename Done>
bool spinUntil(Done done, int waitMs = kWaitMs) {
    return jexbench::spinUntil(done, waitMs);
}

using jexbench::writeFile;

using jexbench::freeUdpPorts;

// The game run directly from a folder of its own, timed to its ready line.
struct OwnGame {
    QProcess process;
    QElapsedTimer clock;
    qint64 readyMs = -1;
    QByteArray seen;

    OwnGame(const QString& folder, int port) {
        writeFile(folder + "/server.cfg", QStringLiteral("sv_port %1\nbindaddr 127.0.0.1\n"
                                                         "sv_register 0\n")
                                              .arg(port)
                                              .toUtf8());
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("HOME"), folder);
        process.setProcessEnvironment(environment);
        process.setWorkingDirectory(folder);
        process.setProcessChannelMode(QProcess::MergedChannels);
        QObject::connect(&process, &QProcess::readyReadStandardOutput, [this] {
            seen += process.readAllStandardOutput();
            if (readyMs < 0 && seen.contains(kReadyLine.toUtf8())) readyMs = clock.elapsed();
        });
        clock.start();
        process.start(kProgram, {QStringLiteral("-f"), QStringLiteral("server.cfg")});
    }
    ~OwnGame() {
        process.kill();
        process.waitForFinished(5000);
    }
};

// Own starts one after another (the median) and kGames at once (the last ready).
std::pair<double, double> ownStarts(const QString& root) {
    std::vector<double> one;
    for (int n = 0; n < kOwnStarts; ++n) {
        OwnGame game(root + QStringLiteral("/own-%1").arg(n), freeUdpPorts(1).front());
        if (spinUntil([&] { return game.readyMs >= 0; })) one.push_back(double(game.readyMs));
    }
    std::vector<std::unique_ptr<OwnGame>> all;
    const QList<quint16> ports = freeUdpPorts(kGames);
    for (int n = 0; n < kGames; ++n)
        all.push_back(
            std::make_unique<OwnGame>(root + QStringLiteral("/own-all-%1").arg(n), ports[n]));
    qint64 last = -1;
    spinUntil([&] {
        return std::all_of(all.begin(), all.end(), [](auto& game) { return game->readyMs >= 0; });
    });
    for (const auto& game : all) last = std::max(last, game->readyMs);
    return {median(one), double(last)};
}

// The super-administrator's connection: every answer by id, each game's
// state, and the time a followed line holding `awaited` was pushed.
struct Link {
    QWebSocket socket;
    QElapsedTimer clock;
    bool welcomed = false;
    std::map<qint64, QString> answers;
    std::map<qint64, double> answeredAt;
    std::map<int, QString> states;
    std::set<qint64> pids;
    double allRunningAt = -1;
    QString awaited;
    double awaitedAt = -1;
    qint64 nextId = 1;

    double now() const { return double(clock.nsecsElapsed()) / 1e6; }

    bool open(const QUrl& url) {
        clock.start();
        QObject::connect(&socket, &QWebSocket::connected,
                         [this] { socket.sendTextMessage(jexlink::tokenMessage(kToken)); });
        QObject::connect(&socket, &QWebSocket::textMessageReceived,
                         [this](const QString& m) { received(m); });
        socket.open(url);
        return spinUntil([&] { return welcomed; });
    }
    void received(const QString& message) {
        if (!welcomed) {
            welcomed = jexlink::readWelcomeMessage(message).has_value();
            return;
        }
        if (const auto game = jexlink::readGamePush(message)) return note({*game});
        if (const auto output = jexlink::readOutputPush(message)) {
            for (const QString& line : output->second)
                if (awaitedAt < 0 && !awaited.isEmpty() && line.contains(awaited))
                    awaitedAt = now();
            return;
        }
        const qint64 id =
            QJsonDocument::fromJson(message.toUtf8()).object().value("id").toInteger(-1);
        if (id < 0) return;
        answers[id] = message;
        answeredAt[id] = now();
        if (const auto games = jexlink::readGamesAnswer(message)) note(games->second);
    }
    void note(const QList<jexlink::GameStatus>& games) {
        for (const auto& game : games) {
            states[game.profile] = game.state;
            if (game.pid) pids.insert(*game.pid);
        }
        const bool allRunning = int(states.size()) == kGames &&
                                std::all_of(states.begin(), states.end(),
                                            [](auto& s) { return s.second == "running"; });
        if (allRunning && allRunningAt < 0) allRunningAt = now();
    }
    // Sends a message made for a fresh id; the id.
    template <typename Make>
    qint64 send(Make make) {
        const qint64 id = nextId++;
        socket.sendTextMessage(make(id));
        return id;
    }
    bool answered(qint64 id, int waitMs = kWaitMs) {
        return spinUntil([&] { return answers.count(id) > 0; }, waitMs);
    }
    // Control actions for every profile at once; true when all came back ok.
    bool controlAll(const QString& action, double* lastAt) {
        std::vector<qint64> ids;
        for (int profile = 0; profile < kGames; ++profile)
            ids.push_back(send([&](qint64 id) {
                return jexlink::controlRequestMessage({id, profile, action, false});
            }));
        bool ok = true;
        for (const qint64 id : ids) {
            const auto answer =
                answered(id) ? jexlink::readControlAnswer(answers[id]) : std::nullopt;
            if (!answer || !answer->second.ok) {
                std::fprintf(stderr, "%s: %s\n", qPrintable(action),
                             answer ? qPrintable(answer->second.reason) : "no answer");
                ok = false;
            } else if (lastAt) {
                *lastAt = std::max(*lastAt, answeredAt[id]);
            }
        }
        return ok;
    }
};

// jexremote over kGames profiles bound to teeworlds; its games are stopped
// and it ends with the bench, however the bench ends.
struct Remote {
    QString folder;
    QProcess process;
    QUrl url;
    Link* link = nullptr;

    explicit Remote(const QString& root) : folder(root) {
        const QList<quint16> ports = freeUdpPorts(kGames);
        for (int profile = 0; profile < kGames; ++profile)
            writeFile(folder + QStringLiteral("/state/server-%1.ini").arg(profile),
                      jextest::stateText(QStringLiteral("Bench %1").arg(profile)));
        writeFile(folder + "/tokens", (kToken + " root 1 1 1 1 1 1\n").toUtf8(), true);
        for (int profile = 0; profile < kGames; ++profile) {
            QProcess bind;
            bind.start(
                QStringLiteral(JEXREMOTE_PATH),
                {"--state-dir", folder + "/state", "--set-game", QString::number(profile),
                 "--definition", "teeworlds", "--game-port", QString::number(ports[profile])});
            bind.waitForFinished(kWaitMs);
            if (bind.exitCode() != 0) {
                std::fprintf(stderr, "--set-game %d: %s\n", profile,
                             bind.readAllStandardError().constData());
                return;
            }
        }
        process.setStandardOutputFile(folder + "/out.log");
        process.setStandardErrorFile(folder + "/err.log");
        process.start(QStringLiteral(JEXREMOTE_PATH),
                      {"--state-dir", folder + "/state", "--token-file", folder + "/tokens"});
        static const QRegularExpression kListening(QStringLiteral("listening on (ws://\\S+)"));
        spinUntil([&] {
            QFile out(folder + "/out.log");
            out.open(QIODevice::ReadOnly);
            const auto found = kListening.match(QString::fromUtf8(out.readAll()));
            if (found.hasMatch()) url = QUrl(found.captured(1));
            return url.isValid() || process.state() == QProcess::NotRunning;
        });
    }
    ~Remote() {
        if (link && link->welcomed) link->controlAll(QStringLiteral("stop"), nullptr);
        process.terminate();
        process.waitForFinished(10000);
        // Games jexremote could not stop: the bench leaves no process behind.
        if (!link) return;
        for (const qint64 pid : link->pids)
            if (alive(pid)) {
                std::fprintf(stderr, "game %lld was still running: killed\n", pid);
                ::kill(pid_t(-pid), SIGKILL);
                ::kill(pid_t(pid), SIGKILL);
            }
    }
};

// A console line to profile `profile`'s game and its echo pushed back, in ms.
// The console logs in just after the ready line: a refused line is sent again.
double followOnce(Link& link, int profile, int round) {
    link.awaited = QStringLiteral("bench-echo-%1-%2").arg(profile).arg(round);
    link.awaitedAt = -1;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const double sentAt = link.now();
        const qint64 id = link.send([&](qint64 n) {
            return jexlink::commandRequestMessage({n, profile, "echo " + link.awaited});
        });
        const auto answer =
            link.answered(id) ? jexlink::readCommandAnswer(link.answers[id]) : std::nullopt;
        if (!answer) return -1;
        if (answer->second.ok)
            return spinUntil([&] { return link.awaitedAt >= 0; }) ? link.awaitedAt - sentAt : -1;
        spinUntil([] { return false; }, 50);
    }
    return -1;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (!QFile::exists(kProgram)) {
        std::fprintf(stderr, "%s is not installed (apt install teeworlds-server)\n",
                     qPrintable(kProgram));
        return 1;
    }
    QTemporaryDir dir;
    const auto [ownOne, ownAll] = ownStarts(dir.filePath("own"));
    std::printf("game's own start: %.0f ms (median of %d), %d at once %.0f ms\n", ownOne,
                kOwnStarts, kGames, ownAll);
    std::fflush(stdout);

    Link link;
    auto remote = std::make_unique<Remote>(dir.filePath("remote"));
    if (!remote->url.isValid()) {
        std::fprintf(stderr, "jexremote did not start\n");
        return 1;
    }
    if (!link.open(remote->url)) {
        std::fprintf(stderr, "not welcomed\n");
        return 1;
    }
    remote->link = &link;
    const double sentAt = link.now();
    double lastStart = 0;
    if (!link.controlAll(QStringLiteral("start"), &lastStart)) return 1;
    if (link.allRunningAt < 0) {
        const qint64 id = link.send(jexlink::gamesRequestMessage);
        link.answered(id);
    }
    const double started = lastStart - sentAt;
    const double allRunning = link.allRunningAt < 0 ? -1 : link.allRunningAt - sentAt;

    std::vector<double> status;
    for (int n = 0; n < kStatusRounds; ++n) {
        const double at = link.now();
        const qint64 id = link.send(jexlink::gamesRequestMessage);
        if (link.answered(id)) status.push_back(link.answeredAt[id] - at);
    }

    for (int profile = 0; profile < kGames; ++profile)
        link.answered(link.send([&](qint64 id) {
            return jexlink::outputRequestMessage({id, profile, 1, true});
        }));
    std::vector<double> follow;
    for (int round = 0; round < kFollowRounds; ++round) {
        // Sent at a different moment each round, as an operator types, not
        // in step with the last line read.
        QThread::msleep(static_cast<unsigned long>(10 + (round * 37) % 100));
        if (const double ms = followOnce(link, (round * 7) % kGames, round); ms >= 0)
            follow.push_back(ms);
    }
    for (int profile = 0; profile < kGames; ++profile)
        link.answered(link.send([&](qint64 id) {
            return jexlink::outputRequestMessage({id, profile, 0, false});
        }));

    spinUntil([] { return false; }, 1000);  // what the last requests stirred settles
    const qint64 pid = remote->process.processId();
    const qint64 ticksBefore = processorTicks(pid);
    QElapsedTimer idle;
    idle.start();
    spinUntil([] { return false; }, kIdleMs);
    const double idleCpu = double(processorTicks(pid) - ticksBefore) /
                           double(sysconf(_SC_CLK_TCK)) / (double(idle.elapsed()) / 1000) * 100;
    const double rss = residentMegabytes(pid);

    // One start through jexremote against the game's own: profile 0 stopped
    // and started again, a few times.
    std::vector<double> one;
    for (int n = 0; n < kOwnStarts; ++n) {
        const qint64 stopped = link.send([](qint64 id) {
            return jexlink::controlRequestMessage({id, 0, QStringLiteral("stop"), false});
        });
        link.answered(stopped);
        const double at = link.now();
        const qint64 id = link.send([](qint64 n) {
            return jexlink::controlRequestMessage({n, 0, QStringLiteral("start"), false});
        });
        const auto answer =
            link.answered(id) ? jexlink::readControlAnswer(link.answers[id]) : std::nullopt;
        if (answer && answer->second.ok) one.push_back(link.answeredAt[id] - at);
    }
    const double throughRemote = median(one);
    remote.reset();  // every game stopped over the link, then jexremote
    int left = 0;
    for (const qint64 game : link.pids) left += alive(game) ? 1 : 0;

    std::printf("one start through jexremote: %.0f ms (median of %d), overhead %.0f ms\n",
                throughRemote, kOwnStarts, throughRemote - ownOne);
    std::printf("%d at once: started %.0f ms against %.0f ms directly, overhead %.0f ms\n", kGames,
                started, ownAll, started - ownAll);
    std::printf("games left running: %d\n", left);
    // The settings' way into the running games, on a remote of its own once
    // these games are gone; its lines repeated before this bench's last.
    QProcess updates;
    updates.start(QStringLiteral(GAME_UPDATE_BENCH_PATH), QStringList());
    const bool updated = updates.waitForFinished(10 * 60 * 1000) && updates.exitCode() == 0;
    std::printf("%s", updates.readAllStandardOutput().constData());
    if (!updated)
        std::printf("game_update_bench failed: %s", updates.readAllStandardError().constData());
    std::printf(
        "games: %d teeworlds servers on one remote: started %.0f ms, all running %.0f ms, status "
        "%.1f ms, output follow %.1f ms, idle CPU %.2f %%, jexremote RSS %.0f MB\n",
        kGames, started, allRunning, median(status), median(follow), idleCpu, rss);
    std::fflush(stdout);
    return left == 0 && updated ? 0 : 1;
}
