// A fleet, timed end to end: R jexremote processes on loopback with P servers
// each (new state files, owner-only token files), one servers file for all of
// them, and the console's command line run against it as a script would:
//   connected  jexhost --status: every link welcomed
//   fetched    jexhost --apply --dry-run: every server fetched and judged
//   applied    jexhost --apply: a preset stored on every server
//   undone     jexhost --undo-batch: that batch taken back
// Each time is the whole command, its own start included. The state folders
// are on the machine's disk: every update is synced before it is answered.
// The remote sides take 10 000 updates a second per operator, so that their
// rate limit does not stand for their speed. The last line:
//   fleet: 1000 servers on 20 remotes: connected X ms, fetched Y ms, applied Z ms,
//   undone W ms, host RSS M MB
// where host RSS is the largest resident size of the jexhost runs.
// Before it, when teeworlds-server is installed: 20 Teeworlds servers on 4
// more jexremote processes (5 each, bound with --set-game), started, then
// restarted all at once through the console's GameActions, timed until every
// restart answer is back (each restart answers once its game is ready again):
//   restarted Z ms
// The games are stopped the same way before the bench ends.
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <QUdpSocket>

#include <sys/resource.h>

#include <cstdio>
#include <map>
#include <memory>
#include <vector>

#include "bench_setup.h"
#include "host/games/game_actions.h"
#include "host/relay/link_pool.h"
#include "process_probe.h"
#include "tests/remote/hand_written_server.h"

namespace {

const QByteArray kPreset = "[Server]\nPlayers=24\nTime=45\nMessage=Fleet\n";

using jexbench::writeFile;

// One jexremote over its own state folder; its output goes to files, so that
// nothing waits for this process to read it.
struct Remote {
    QProcess process;
    QString url;

    // With `gamePorts`, its first profiles are bound to Teeworlds on those ports.
    Remote(const QString& folder, const QString& token, int servers,
           const QList<quint16>& gamePorts = {}) {
        for (int profile = 0; profile < servers; ++profile)
            writeFile(folder + QStringLiteral("/state/server-%1.ini").arg(profile),
                      jextest::stateText(QStringLiteral("Server %1").arg(profile)));
        for (int profile = 0; profile < gamePorts.size(); ++profile)
            if (QProcess::execute(QStringLiteral(JEXREMOTE_PATH),
                                  {"--state-dir", folder + "/state", "--set-game",
                                   QString::number(profile), "--definition", "teeworlds",
                                   "--game-port", QString::number(gamePorts.at(profile))}) != 0)
                return;
        writeFile(folder + "/tokens", (token + " root 1 1 1 1 1 1\n").toUtf8(), true);
        process.setStandardOutputFile(folder + "/out.log");
        process.setStandardErrorFile(folder + "/err.log");
        process.start(QStringLiteral(JEXREMOTE_PATH),
                      {"--state-dir", folder + "/state", "--token-file", folder + "/tokens",
                       "--max-updates-per-second", "10000", "--max-history-per-second", "10000"});
        QElapsedTimer waited;
        waited.start();
        static const QRegularExpression kListening(QStringLiteral("listening on (ws://\\S+)"));
        while (url.isEmpty() && !waited.hasExpired(30000) &&
               process.state() != QProcess::NotRunning) {
            QThread::msleep(10);
            for (const char* log : {"/out.log", "/err.log"}) {
                QFile file(folder + log);
                file.open(QIODevice::ReadOnly);
                const auto found = kListening.match(QString::fromUtf8(file.readAll()));
                if (found.hasMatch()) url = found.captured(1);
            }
        }
    }
    ~Remote() {
        process.terminate();
        process.waitForFinished(5000);
    }
};

struct Run {
    qint64 ms = 0;
    int exitCode = -1;
    std::map<QString, int> outcomes;  // "applied": 1000, ...
    QString batch;
};

Run runHost(const QString& root, QStringList arguments, const QString& serversFile) {
    QProcess host;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("JEX_HOST_ROOT"), root);
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    host.setProcessEnvironment(environment);
    host.setStandardErrorFile(root + "/host.log", QIODevice::Append);
    arguments << "--config" << serversFile;
    QElapsedTimer timer;
    timer.start();
    host.start(QStringLiteral(JEXHOST_PATH), arguments);
    host.waitForFinished(600000);
    Run run;
    run.ms = timer.elapsed();
    run.exitCode = host.exitCode();
    for (const QByteArray& line : host.readAllStandardOutput().split('\n')) {
        const QJsonObject object = QJsonDocument::fromJson(line).object();
        if (object.isEmpty()) continue;
        const QString outcome = object.value("outcome").toString();
        ++run.outcomes[outcome.isEmpty() ? object.value("link").toString() : outcome];
        if (object.value("batch").isString()) run.batch = object.value("batch").toString();
    }
    return run;
}

QString counts(const Run& run) {
    QStringList parts;
    for (const auto& [outcome, count] : run.outcomes)
        parts << QStringLiteral("%1 %2").arg(count).arg(outcome);
    return QStringLiteral("exit %1: %2").arg(run.exitCode).arg(parts.join(", "));
}

constexpr int kGameRemotes = 4;
constexpr int kGamesEach = 5;
const QString kTeeworlds = QStringLiteral("/usr/games/teeworlds-server");

using jexbench::freeUdpPorts;

// One run of GameActions over `servers`: its time, and whether every server
// ended done.
std::pair<qint64, bool> act(jexhost::games::GameActions& actions,
                            const QList<jexhost::servers::ServerEntry>& servers,
                            const QString& serversFile, const QString& action) {
    QEventLoop loop;
    bool ended = false;
    const auto connection =
        QObject::connect(&actions, &jexhost::games::GameActions::finished, &loop, [&] {
            ended = true;
            loop.quit();
        });
    QElapsedTimer timer;
    timer.start();
    actions.run(servers, serversFile, action, false);
    if (!ended) loop.exec();
    const qint64 ms = timer.elapsed();
    QObject::disconnect(connection);
    bool allDone = true;
    for (const auto& result : actions.results())
        if (result.outcome != jexhost::games::ActionOutcome::Done) {
            allDone = false;
            std::fprintf(stderr, "%s %s: %s\n", qPrintable(action), qPrintable(result.server),
                         qPrintable(result.reason));
        }
    return {ms, allDone};
}

// kGameRemotes jexremote processes with kGamesEach Teeworlds servers each, all
// started, then all restarted at once through the console's GameActions: the
// restart's time in ms, -1 when something failed. Every game is stopped
// before the remote sides end, and any left is killed.
qint64 restartGames(const QString& folder) {
    const QList<quint16> ports = freeUdpPorts(kGameRemotes * kGamesEach);
    std::vector<std::unique_ptr<Remote>> remotes;
    QList<jexhost::servers::ServerEntry> servers;
    for (int r = 0; r < kGameRemotes; ++r) {
        const QString token = QStringLiteral("game-token-%1-0123456789abcdef").arg(r);
        const QString remoteFolder = folder + QStringLiteral("/g%1").arg(r);
        remotes.push_back(std::make_unique<Remote>(remoteFolder, token, kGamesEach,
                                                   ports.mid(r * kGamesEach, kGamesEach)));
        if (remotes.back()->url.isEmpty()) {
            std::fprintf(stderr, "jexremote g%d did not start\n", r);
            return -1;
        }
        writeFile(remoteFolder + "/host.token", (token + "\n").toUtf8(), true);
        for (int p = 0; p < kGamesEach; ++p) {
            jexhost::servers::ServerEntry entry;
            entry.id = QStringLiteral("g%1p%2").arg(r).arg(p);
            entry.name = entry.id;
            entry.game = QStringLiteral("Teeworlds");
            entry.remote = remotes.back()->url;
            entry.tokenFile = remoteFolder + "/host.token";
            entry.profile = p;
            entry.tag = entry.id;
            servers << entry;
        }
    }
    const QString serversFile = folder + "/servers.ini";
    qint64 restarted = -1;
    {
        jexhost::LinkPool pool(10000, 15000);
        jexhost::games::GameActions actions(pool);
        if (act(actions, servers, serversFile, QStringLiteral("start")).second) {
            const auto [ms, done] = act(actions, servers, serversFile, QStringLiteral("restart"));
            if (done) restarted = ms;
        }
        act(actions, servers, serversFile, QStringLiteral("stop"));
    }
    remotes.clear();
    if (const int left = jexbench::killProcessesUnder(folder); left > 0)
        std::fprintf(stderr, "%d game processes were still running: killed\n", left);
    return restarted;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Times a fleet of jexremote processes driven by jexhost."));
    parser.addHelpOption();
    parser.addOption({"remotes", "jexremote processes (default 20).", "R", "20"});
    parser.addOption({"servers", "servers on each (default 50).", "P", "50"});
    parser.addOption({"keep", "keep the folder and print its path."});
    parser.process(app);
    const int remotes = std::max(1, parser.value("remotes").toInt());
    const int perRemote = std::max(1, parser.value("servers").toInt());

    QTemporaryDir dir;
    dir.setAutoRemove(!parser.isSet("keep"));
    const QString root = dir.filePath("root");
    const QString serversFile = root + "/settings/servers.ini";
    std::vector<std::unique_ptr<Remote>> started;
    QByteArray servers;
    for (int r = 0; r < remotes; ++r) {
        const QString token = QStringLiteral("fleet-token-%1-0123456789abcdef").arg(r);
        started.push_back(
            std::make_unique<Remote>(dir.filePath(QStringLiteral("r%1").arg(r)), token, perRemote));
        if (started.back()->url.isEmpty()) {
            std::fprintf(stderr, "jexremote %d did not start\n", r);
            return 1;
        }
        const QString tokenFile = QStringLiteral("tokens/r%1.token").arg(r);
        writeFile(root + "/settings/" + tokenFile, (token + "\n").toUtf8(), true);
        for (int p = 0; p < perRemote; ++p) {
            const QByteArray id = QStringLiteral("r%1p%2").arg(r).arg(p).toUtf8();
            servers += "[" + id + "]\nName=Fleet " + id +
                       "\nGame=Delta Force,  V1.5.0.5\nRemote=" + started.back()->url.toUtf8() +
                       "\nTokenFile=" + tokenFile.toUtf8() + "\nProfile=" + QByteArray::number(p) +
                       "\nTag=" + id + "\n";
        }
    }
    writeFile(serversFile, servers);
    writeFile(root + "/preset.ssf", kPreset);
    const QString preset = root + "/preset.ssf";

    const Run connected = runHost(root, {"--status", "--wait-ms", "60000"}, serversFile);
    std::printf("connected: %s\n", qPrintable(counts(connected)));
    const Run fetched = runHost(root, {"--apply", preset, "--all", "--dry-run"}, serversFile);
    std::printf("fetched: %s\n", qPrintable(counts(fetched)));
    const Run applied = runHost(root, {"--apply", preset, "--all"}, serversFile);
    std::printf("applied: %s, batch %s\n", qPrintable(counts(applied)), qPrintable(applied.batch));
    Run undone;
    if (!applied.batch.isEmpty()) {
        undone = runHost(root, {"--undo-batch", applied.batch}, serversFile);
        std::printf("undone: %s\n", qPrintable(counts(undone)));
    }
    // The jexhost runs are the only children waited for so far.
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    if (QFile::exists(kTeeworlds)) {
        const qint64 restarted = restartGames(dir.filePath("games"));
        if (restarted < 0) std::fprintf(stderr, "the games' restart failed\n");
        std::printf("restarted %lld ms\n", restarted);
    }
    if (parser.isSet("keep")) std::printf("folder: %s\n", qPrintable(dir.path()));
    std::printf(
        "fleet: %d servers on %d remotes: connected %lld ms, fetched %lld ms, applied %lld ms, "
        "undone %lld ms, host RSS %ld MB\n",
        remotes * perRemote, remotes, connected.ms, fetched.ms, applied.ms, undone.ms,
        usage.ru_maxrss / 1024);
    std::fflush(stdout);
    return 0;
}
