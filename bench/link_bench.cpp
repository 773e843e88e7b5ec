// The host's side of the link, timed and counted: from a request file written
// in RCData to the answer handed on to RemoteData, with the remote side in
// process and as a jexremote process over loopback; and a run of 1 000
// requests, each written as soon as the one before was taken, counted for
// requests lost or carried twice. Times are per request, in microseconds.
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QSaveFile>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <benchmark/benchmark.h>

#include "spin_until.h"

#include <algorithm>
#include <memory>
#include <optional>

#include "exchange/wire/request.h"
#include "host/link/remote_link.h"
#include "host/relay/request_carrier.h"
#include "remote/remote_service.h"

namespace {

namespace wire = kdrsm::wire;

const QString kTag = QStringLiteral("bench");
constexpr int kWaitMs = 10000;

// A file written as the panel's helper component writes it: whole or not at all.
void writeRequest(const QString& path, const QString& text) {
    QSaveFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(text.toUtf8());
    file.commit();
}

// Runs the event loop until `done` holds or the wait is over.
template <typename Done>
bool spinUntil(Done done, int waitMs = kWaitMs) {
    return jexbench::spinUntil(done, waitMs);
}

// A remote side: in process, or jexremote on loopback.
class Remote {
public:
    explicit Remote(bool ownProcess) {
        const QString tokenFile = dir_.filePath(QStringLiteral("token"));
        const QString stateDir = dir_.filePath(QStringLiteral("state"));
        QString error;
        token_ = jexremote::createTokenFile(tokenFile, &error).value_or(QString());
        if (!ownProcess) {
            jexremote::RemoteOptions options;
            options.tokenFile = tokenFile;
            options.stateDir = stateDir;
            service_ = std::make_unique<jexremote::RemoteService>(options);
            if (service_->start(&error)) url_ = service_->url();
            return;
        }
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost);
        const quint16 port = probe.serverPort();
        probe.close();
        process_.start(
            QStringLiteral(JEXREMOTE_PATH),
            {QStringLiteral("--listen"), QStringLiteral("127.0.0.1:%1").arg(port),
             QStringLiteral("--token-file"), tokenFile, QStringLiteral("--state-dir"), stateDir});
        for (int i = 0; i < 200 && process_.state() != QProcess::NotRunning; ++i) {
            QTcpSocket socket;
            socket.connectToHost(QHostAddress::LocalHost, port);
            if (socket.waitForConnected(50)) {
                url_ = QUrl(QStringLiteral("ws://127.0.0.1:%1").arg(port));
                break;
            }
            QThread::msleep(20);
        }
    }
    ~Remote() {
        process_.kill();
        process_.waitForFinished();
    }
    bool ready() const { return url_.isValid() && !token_.isEmpty(); }
    const QUrl& url() const { return url_; }
    const QString& token() const { return token_; }

private:
    QTemporaryDir dir_;
    QString token_;
    QUrl url_;
    std::unique_ptr<jexremote::RemoteService> service_;
    QProcess process_;
};

// The host's half: a root with RCData, the link and the carrier.
struct Host {
    explicit Host(const Remote& remote)
        : link(jexhost::LinkOptions{remote.url(), remote.token()}),
          carrier(wire::requestFolder(root.path()), kTag, link,
                  [this](const QString&) { ++answers; }) {
        QString error;
        started = carrier.start(&error);
    }
    QTemporaryDir root;
    jexhost::RemoteLink link;
    jexhost::RequestCarrier carrier;
    int answers = 0;
    bool started = false;
};

double percentile(std::vector<double> samples, double fraction) {
    std::sort(samples.begin(), samples.end());
    const auto at = static_cast<size_t>(fraction * double(samples.size() - 1) + 0.5);
    return samples[std::min(at, samples.size() - 1)];
}

void requestToAnswer(benchmark::State& state, bool ownProcess) {
    Remote remote(ownProcess);
    if (!remote.ready()) return state.SkipWithError("the remote side did not start");
    Host host(remote);
    if (!host.started) return state.SkipWithError("RCData cannot be made");
    const QString path = wire::requestFilePath(host.root.path(), wire::kGetSettings);
    const QString request = wire::requestText(wire::kGetSettings, kTag, 0, {});
    std::vector<double> micros, takenMicros;
    QElapsedTimer timer;
    QObject::connect(&host.carrier, &jexhost::RequestCarrier::requestCarried,
                     [&] { takenMicros.push_back(double(timer.nsecsElapsed()) / 1000.0); });
    for (auto _ : state) {
        const int before = host.answers;
        writeRequest(path, request);
        timer.start();  // from the moment the file is there
        if (!spinUntil([&] { return host.answers > before; }))
            return state.SkipWithError("no answer");
        const double elapsed = double(timer.nsecsElapsed()) / 1000.0;
        state.SetIterationTime(elapsed / 1e6);
        micros.push_back(elapsed);
    }
    state.counters["median_us"] = percentile(micros, 0.5);
    state.counters["p99_us"] = percentile(micros, 0.99);
    // Of that, the time until the carrier has read the file and sent it.
    state.counters["taken_median_us"] = percentile(takenMicros, 0.5);
}

void BM_RequestToAnswerInProcess(benchmark::State& state) {
    requestToAnswer(state, false);
}
void BM_RequestToAnswerOverLoopback(benchmark::State& state) {
    requestToAnswer(state, true);
}
BENCHMARK(BM_RequestToAnswerInProcess)
    ->UseManualTime()
    ->Iterations(300)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RequestToAnswerOverLoopback)
    ->UseManualTime()
    ->Iterations(300)
    ->Unit(benchmark::kMicrosecond);

// Each request is numbered in its data; the next is written once the file of
// the one before is gone (taken), answers or not.
void BM_ThousandRequestsInARow(benchmark::State& state) {
    constexpr int kRequests = 1000;
    Remote remote(false);
    if (!remote.ready()) return state.SkipWithError("the remote side did not start");
    for (auto _ : state) {
        Host host(remote);
        if (!host.started) return state.SkipWithError("RCData cannot be made");
        std::vector<int> carried(kRequests, 0);
        QObject::connect(&host.carrier, &jexhost::RequestCarrier::requestCarried,
                         [&](const QString& text) {
                             const auto request = wire::parseRequestText(text);
                             bool ok = false;
                             const int n = request ? request->data.toInt(&ok) : -1;
                             if (ok && n >= 0 && n < kRequests) ++carried[n];
                         });
        const QString path = wire::requestFilePath(host.root.path(), wire::kGetSettings);
        for (int n = 0; n < kRequests; ++n) {
            if (!spinUntil([&] { return !QFile::exists(path); }))
                return state.SkipWithError("a request was not taken");
            writeRequest(path, wire::requestText(wire::kGetSettings, kTag, 0, QString::number(n)));
        }
        if (!spinUntil([&] { return host.answers == kRequests; }))
            return state.SkipWithError("answers missing");
        state.counters["lost"] = double(std::count(carried.begin(), carried.end(), 0));
        state.counters["carried_twice"] =
            double(std::count_if(carried.begin(), carried.end(), [](int c) { return c > 1; }));
        state.counters["answers"] = host.answers;
    }
}
BENCHMARK(BM_ThousandRequestsInARow)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
