// The remote side's storage, timed: an update's round trip over loopback
// (stored, synced to disk, answered "1") with an empty audit trail and with
// one of 100 000 records, and a history answer at 100 000 records. The state
// folder is on the build machine's disk (the temporary folder), so the times
// include real fsync calls. Reported as median and 99th percentile in
// microseconds; the start with 100 000 records (reading the trail into the
// history index) is reported once. The first start over many new state files
// and the restart after it are timed once each, in milliseconds. The floor
// an update is held against, three files written durably, is timed too.
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLoggingCategory>
#include <QTemporaryDir>
#include <QTimer>
#include <QWebSocket>

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <algorithm>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "exchange/wire/request.h"
#include "jex/durable_file.h"
#include "link/link_messages.h"
#include "remote/audit/gzip_text.h"
#include "remote/audit/settings_history.h"
#include "remote/remote_service.h"
#include "remote/server_manager.h"
#include "remote/store/server_store.h"
#include "tests/remote/hand_written_server.h"

namespace {

namespace wire = kdrsm::wire;
constexpr int kWaitMs = 10000;
constexpr int kRecordsPerArchive = 4000;

// A record as an update of one setting writes it, by one of four operators
// on one of two servers.
QByteArray recordLine(int n, const QString& time) {
    const QJsonObject record{
        {"time", time},
        {"operator", QStringLiteral("operator%1").arg(n % 4)},
        {"tag", "t_1"},
        {"profile", n % 2},
        {"version", n + 2},
        {"changes", QJsonArray{QJsonObject{{"setting", "ServerName"},
                                           {"old", QStringLiteral("Name %1").arg(n)},
                                           {"new", QStringLiteral("Name %1").arg(n + 1)}}}}};
    return QJsonDocument(record).toJson(QJsonDocument::Compact) + '\n';
}

// Archives holding `records` records, as the service leaves them.
void writeTrail(const QString& state, int records) {
    const QString time = QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs);
    const QString stamp = QDateTime::currentDateTimeUtc().toString("yyyyMMdd'T'HHmmss'Z'");
    QDir().mkpath(state);
    for (int first = 0, seq = 1; first < records; first += kRecordsPerArchive, ++seq) {
        QByteArray text;
        for (int n = first; n < std::min(records, first + kRecordsPerArchive); ++n)
            text += recordLine(n, time);
        QFile file(QDir(state).filePath(
            QStringLiteral("audit-%1-%2.jsonl.gz").arg(seq, 6, 10, QChar(u'0')).arg(stamp)));
        file.open(QIODevice::WriteOnly);
        file.write(jexremote::gzipped(text));
    }
}

void report(benchmark::State& state, std::vector<double>& micros) {
    std::sort(micros.begin(), micros.end());
    if (micros.empty()) return;
    state.counters["median_us"] = micros[micros.size() / 2];
    state.counters["p99_us"] = micros[std::min(micros.size() - 1, micros.size() * 99 / 100)];
}

// The processor time of this process so far, in microseconds: the service
// and the client run in it.
double cpuMicros() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e6 + double(now.tv_nsec) / 1e3;
}

// The same, split into the program's own work and the kernel's (the system
// calls: for a durable write most of it is the syncs).
struct CpuSplit {
    double user = 0;
    double kernel = 0;
};
CpuSplit cpuSplit() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto micros = [](const timeval& t) { return double(t.tv_sec) * 1e6 + double(t.tv_usec); };
    return {micros(usage.ru_utime), micros(usage.ru_stime)};
}

// The floor an update's round trip is held against, on the same disk: three
// 4 KiB files each written, synced, renamed over and their folder synced.
// Microseconds, or a negative number when a write failed.
double durableWriteFloor(const QTemporaryDir& dir) {
    static const QByteArray text(4096, 'x');
    QElapsedTimer one;
    one.start();
    for (const char* name : {"a", "b", "c"})
        if (jex::fs::writeFileDurably(dir.filePath(QString::fromLatin1(name)), text)) return -1;
    return double(one.nsecsElapsed()) / 1000.0;
}

// Each update is followed, untimed, by one floor write, so both medians come
// from the same minutes of a disk that others share.
void updateRoundTrip(benchmark::State& state) {
    QTemporaryDir dir;
    const QString stateDir = dir.filePath(QStringLiteral("state"));
    writeTrail(stateDir, int(state.range(0)));
    QString error;
    const QString tokenFile = dir.filePath(QStringLiteral("tokens"));
    const QString token = jexremote::createTokenFile(tokenFile, &error).value_or(QString());
    jexremote::RemoteOptions options;
    options.stateDir = stateDir;
    options.tokenFile = tokenFile;
    options.updatesPerSecond = 10000;  // the storage is timed, not the rate limit
    jexremote::RemoteService service(options);
    QElapsedTimer started;
    started.start();
    if (!service.start(&error)) {
        state.SkipWithError(error.toStdString().c_str());
        return;
    }
    state.counters["start_ms"] = double(started.elapsed());

    QWebSocket socket;
    QStringList received;
    QObject::connect(&socket, &QWebSocket::textMessageReceived,
                     [&](const QString& m) { received << m; });
    auto waitFor = [&](qsizetype count) {
        QElapsedTimer waited;
        waited.start();
        while (received.size() < count && !waited.hasExpired(kWaitMs))
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        return received.size() >= count;
    };
    socket.open(service.url());
    while (socket.state() != QAbstractSocket::ConnectedState)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    socket.sendTextMessage(jexlink::tokenMessage(token));
    if (!waitFor(1)) {
        state.SkipWithError("not welcomed");
        return;
    }

    std::vector<double> micros;
    std::vector<double> floorMicros;
    QTemporaryDir floorDir;
    CpuSplit cpu;
    int n = 0;
    for (auto _ : state) {
        ++n;
        const QString request = wire::requestText(
            wire::kSetSettings, QStringLiteral("bench"), 0,
            wire::joinUpdateBody(jextest::restatingBody(QStringLiteral("Bench %1").arg(n))));
        const CpuSplit before = cpuSplit();
        QElapsedTimer one;
        one.start();
        socket.sendTextMessage(jexlink::requestMessage(n, request));
        if (!waitFor(1 + n) || jexlink::readAnswerMessage(received.last())->text != u"1") {
            state.SkipWithError("an update was not stored");
            return;
        }
        micros.push_back(double(one.nsecsElapsed()) / 1000.0);
        const CpuSplit after = cpuSplit();
        cpu.user += after.user - before.user;
        cpu.kernel += after.kernel - before.kernel;
        state.PauseTiming();
        floorMicros.push_back(durableWriteFloor(floorDir));
        state.ResumeTiming();
    }
    state.counters["user_us"] = cpu.user / std::max(n, 1);
    state.counters["kernel_us"] = cpu.kernel / std::max(n, 1);
    report(state, micros);
    std::sort(floorMicros.begin(), floorMicros.end());
    if (!floorMicros.empty()) {
        state.counters["floor_median_us"] = floorMicros[floorMicros.size() / 2];
        state.counters["to_floor"] =
            state.counters["median_us"] / floorMicros[floorMicros.size() / 2];
    }
}
BENCHMARK(updateRoundTrip)->Arg(0)->Arg(100000)->Iterations(300)->Unit(benchmark::kMicrosecond);

// One history answer, as the link sends it, with 100 000 records in the trail.
void historyAnswer(benchmark::State& state) {
    QTemporaryDir dir;
    const QString stateDir = dir.filePath(QStringLiteral("state"));
    writeTrail(stateDir, int(state.range(0)));
    QFile file(QDir(stateDir).filePath(QStringLiteral("server-0.ini")));
    file.open(QIODevice::WriteOnly);
    file.write(jextest::stateText());
    file.close();
    jexremote::ServerStore store(stateDir);
    jexremote::SettingsHistory history(store, stateDir);
    jexremote::ServerManager manager(store, history);
    QString error;
    if (!store.open(&error) || !history.open(&error)) {
        state.SkipWithError(error.toStdString().c_str());
        return;
    }
    std::vector<double> micros;
    qsizetype bytes = 0;
    for (auto _ : state) {
        QElapsedTimer one;
        one.start();
        const QString answer = jexlink::historyAnswerMessage(1, manager.history(0));
        micros.push_back(double(one.nsecsElapsed()) / 1000.0);
        bytes = answer.size();
        benchmark::DoNotOptimize(answer);
    }
    state.counters["answer_bytes"] = double(bytes);
    report(state, micros);
}
BENCHMARK(historyAnswer)->Arg(100000)->Iterations(1000)->Unit(benchmark::kMicrosecond);

// A remote side's first start over `range(0)` new state files, then its
// restart over the same folder.
void startOverManyServers(benchmark::State& state) {
    const int servers = int(state.range(0));
    QTemporaryDir dir;
    const QString stateDir = dir.filePath(QStringLiteral("state"));
    QDir().mkpath(stateDir);
    for (int profile = 0; profile < servers; ++profile) {
        QFile file(QDir(stateDir).filePath(QStringLiteral("server-%1.ini").arg(profile)));
        file.open(QIODevice::WriteOnly);
        file.write(jextest::stateText());
    }
    QString error;
    const QString tokenFile = dir.filePath(QStringLiteral("tokens"));
    jexremote::createTokenFile(tokenFile, &error);
    jexremote::RemoteOptions options;
    options.stateDir = stateDir;
    options.tokenFile = tokenFile;
    // The processor time too: on a shared machine the wall time includes waiting for a core.
    const auto cpuMs = [] { return cpuMicros() / 1e3; };
    for (auto _ : state) {
        for (const std::string start : {"first", "restart"}) {
            QElapsedTimer started;
            started.start();
            const double cpuBefore = cpuMs();
            jexremote::RemoteService service(options);
            if (!service.start(&error)) {
                state.SkipWithError(error.toStdString().c_str());
                return;
            }
            state.counters[start + "_ms"] = double(started.elapsed());
            state.counters[start + "_cpu_ms"] = cpuMs() - cpuBefore;
        }
    }
}
BENCHMARK(startOverManyServers)
    ->Arg(1000)
    ->Arg(10000)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

}  // namespace
