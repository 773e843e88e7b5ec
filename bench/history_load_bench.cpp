// One host's fetches a second from a jexremote process over loopback, alone
// and while another operator asks for a server's history in a loop, each
// sending its next message as soon as the answer to the last one came. The
// audit trail holds a few hundred records first. The history requests run
// under the default limit (5 a second; the rest are refused at once) and with
// the limit lifted, every one answered in full.
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>
#include <QWebSocket>

#include <benchmark/benchmark.h>

#include "spin_until.h"

#include <functional>

#include "exchange/wire/request.h"
#include "link/link_messages.h"
#include "tests/remote/hand_written_server.h"

namespace {

namespace wire = kdrsm::wire;
constexpr int kWaitMs = 10000;
constexpr int kRecords = 300;
constexpr int kRunMs = 3000;
const QString kHostToken = QStringLiteral("host-token-0123456789abcdef");
const QString kReaderToken = QStringLiteral("reader-token-0123456789abcdef");

template <typename Done>
bool spinUntil(Done done, int waitMs = kWaitMs) {
    return jexbench::spinUntil(done, waitMs);
}

// A welcomed connection that sends the next message once an answer came.
struct Loop {
    QWebSocket socket;
    bool welcomed = false;
    bool running = false;
    qint64 answers = 0;
    qint64 nextId = 1;
    std::function<QString(qint64 id)> message;

    bool open(const QUrl& url, const QString& token) {
        QObject::connect(&socket, &QWebSocket::connected,
                         [&, token] { socket.sendTextMessage(jexlink::tokenMessage(token)); });
        QObject::connect(&socket, &QWebSocket::textMessageReceived, [this](const QString&) {
            if (!welcomed) {
                welcomed = true;
                return;
            }
            ++answers;
            if (running) socket.sendTextMessage(message(nextId++));
        });
        socket.open(url);
        return spinUntil([&] { return welcomed; });
    }
    void start() {
        running = true;
        socket.sendTextMessage(message(nextId++));
    }
};

// jexremote with the tests' hand-written server and two operators.
struct Remote {
    QTemporaryDir dir;
    QProcess process;
    QUrl url;

    explicit Remote(bool historyLimited) {
        QDir().mkpath(dir.filePath(QStringLiteral("state")));
        QFile state(dir.filePath(QStringLiteral("state/server-0.ini")));
        state.open(QIODevice::WriteOnly);
        state.write(jextest::stateText());
        state.close();
        QFile tokens(dir.filePath(QStringLiteral("tokens")));
        tokens.open(QIODevice::WriteOnly);
        tokens.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
        tokens.write(
            (kHostToken + " host 1 1 1 1 1 1\n" + kReaderToken + " reader 0 0 0 0 0 0\n").toUtf8());
        tokens.close();
        process.start(QStringLiteral(JEXREMOTE_PATH),
                      {QStringLiteral("--state-dir"), dir.filePath(QStringLiteral("state")),
                       QStringLiteral("--token-file"), tokens.fileName(),
                       QStringLiteral("--max-history-per-second"),
                       historyLimited ? QStringLiteral("5") : QStringLiteral("10000"),
                       QStringLiteral("--max-updates-per-second"), QStringLiteral("10000")});
        QByteArray out;
        spinUntil([&] { return (out += process.readAllStandardOutput()).contains('\n'); });
        const auto found =
            QRegularExpression(QStringLiteral("listening on (\\S+)")).match(QString::fromUtf8(out));
        if (found.hasMatch()) url = QUrl(found.captured(1));
    }
    ~Remote() {
        process.kill();
        process.waitForFinished();
    }
};

enum Load { kAlone, kHistoryLimited, kHistoryUnlimited };

void BM_Fetches(benchmark::State& state) {
    const auto load = Load(state.range(0));
    const bool withHistory = load != kAlone;
    Remote remote(load == kHistoryLimited);
    if (!remote.url.isValid()) return state.SkipWithError("jexremote did not start");
    Loop host, reader;
    if (!host.open(remote.url, kHostToken) || !reader.open(remote.url, kReaderToken))
        return state.SkipWithError("not welcomed");

    // The audit trail first: updates that rename the server.
    QString answer;
    QObject::connect(&host.socket, &QWebSocket::textMessageReceived, [&](const QString& m) {
        if (const auto envelope = jexlink::readAnswerMessage(m)) answer = envelope->text;
    });
    for (int n = 0; n < kRecords; ++n) {
        const qint64 before = host.answers;
        host.socket.sendTextMessage(jexlink::requestMessage(
            n, wire::requestText(wire::kSetSettings, QStringLiteral("b"), 0,
                                 wire::joinUpdateBody(
                                     jextest::restatingBody(QStringLiteral("Server %1").arg(n))))));
        if (!spinUntil([&] { return host.answers > before; }) || answer != "1")
            return state.SkipWithError("an update was not stored");
    }

    host.message = [](qint64 id) {
        return jexlink::requestMessage(
            id, wire::requestText(wire::kGetSettings, QStringLiteral("b"), 0, {}));
    };
    reader.message = [](qint64 id) { return jexlink::historyRequestMessage(id, 0); };
    for (auto _ : state) {
        const qint64 fetchesBefore = host.answers, historyBefore = reader.answers;
        if (withHistory) reader.start();
        QElapsedTimer timer;
        timer.start();
        host.start();
        spinUntil([] { return false; }, kRunMs);
        host.running = reader.running = false;
        const double seconds = double(timer.nsecsElapsed()) / 1e9;
        state.SetIterationTime(seconds);
        state.counters["fetches_per_s"] = double(host.answers - fetchesBefore) / seconds;
        state.counters["history_per_s"] = double(reader.answers - historyBefore) / seconds;
        spinUntil([] { return false; }, 200);  // the last answers in flight
    }
}

// 0: alone; 1: while history loops under its default limit; 2: without it.
BENCHMARK(BM_Fetches)
    ->ArgName("load")
    ->Arg(kAlone)
    ->Arg(kHistoryLimited)
    ->Arg(kHistoryUnlimited)
    ->UseManualTime()
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

}  // namespace
