// How long the panel takes to show a settings reply, with its real widgets
// on an offscreen QApplication: a typical reply for scale, a Host Message
// of megabytes on one line, and a hundred thousand weapons. Each reply is
// timed through RemoteData alone and through RemoteData followed by the
// repaint of the shown form, which is what keeps the host's window busy.
#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QStringList>
#include <QTemporaryDir>
#include <QVBoxLayout>

#include <benchmark/benchmark.h>

#include "exchange/model/settings_reply.h"
#include "exchange/reply.h"
#include "exchange/send_request.h"
#include "exchange/wire/request.h"
#include "form/frmrcKDRSM.h"
#include "plugin/embedding.h"
#include "plugin/module_state.h"
#include "plugin/startup.h"

namespace {

QString encoded(const QString& text) {
    return QString::fromLatin1(text.toUtf8().toBase64());
}

// A settings reply: the 34 fields, four roles, the weapons, auto-load on.
QString settingsReply(const QString& message, const QStringList& weapons) {
    const QStringList fields{encoded("Bench Server"),
                             encoded("GB"),
                             "0",
                             encoded("secret"),
                             "15",
                             "20",
                             "1",
                             "1",
                             "10",
                             "1",
                             "0",
                             "1",
                             "1",
                             encoded(message),
                             encoded("blue"),
                             encoded("red"),
                             "1",
                             "5",
                             "1",
                             "1",
                             "3",
                             "60",
                             "10",
                             "1",
                             "1",
                             "0",
                             "1",
                             "50",
                             "1",
                             "400",
                             "0",
                             "0",
                             "1",
                             "17479"};
    QStringList entries;
    entries.reserve(weapons.size());
    for (qsizetype i = 0; i < weapons.size(); ++i)
        entries << encoded(weapons[i]) + (i % 2 ? ",1" : ",0");
    return QStringList{fields.join(u'|'), "True|False|True|False", entries.join(u'|'), "1"}.join(
        "[-]");
}

QStringList weaponNames(int count) {
    QStringList names;
    names.reserve(count);
    for (int i = 0; i < count; ++i) names << QStringLiteral("Weapon %1").arg(i);
    return names;
}

const QString& reply(int kind) {
    static const QString typical = settingsReply("Welcome to the server!", weaponNames(40));
    static const QString longMessage =
        settingsReply(QString(4'000'000, u'm'), weaponNames(40));  // 4 MB on one line
    static const QString manyWeapons = settingsReply("Welcome!", weaponNames(100'000));
    switch (kind) {
        case 1:
            return longMessage;
        case 2:
            return manyWeapons;
        default:
            return typical;
    }
}

// The host's own window, as a console shows it at its start-up before any
// panel opens: a caption and a list of servers, laid out and shown. Showing
// it is the first use of the fonts in the process (the font database and its
// configuration are read then), a cost the host pays once, not the panel.
QWidget& hostWindow() {
    static QWidget* const window = [] {
        auto* made = new QWidget;
        auto* layout = new QVBoxLayout(made);
        layout->addWidget(new QLabel(QStringLiteral("Servers")));
        auto* servers = new QListWidget;
        for (int i = 0; i < 20; ++i) servers->addItem(QStringLiteral("Server %1").arg(i));
        layout->addWidget(servers);
        made->resize(800, 600);
        made->show();
        QApplication::processEvents();
        return made;
    }();
    return *window;
}

// The host's start-up above, timed once: it runs before every other
// benchmark of this program, so it is the process's first use of the fonts.
void BM_HostStartUp(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(&hostWindow());
}
BENCHMARK(BM_HostStartUp)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

void labelled(benchmark::State& state) {
    const char* const names[] = {"typical reply", "4 MB Host Message", "100000 weapons"};
    state.SetLabel(names[state.range(0)]);
}

void BM_RemoteData(benchmark::State& state) {
    const QString& data = reply(static_cast<int>(state.range(0)));
    kdrsm::formInstance();
    kdrsm::mdl().PendingCommand = QStringLiteral("LoadForm");
    for (auto _ : state) kdrsm::handleRemoteData(data);
    labelled(state);
}
BENCHMARK(BM_RemoteData)->DenseRange(0, 2)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_RemoteDataThenRepaint(benchmark::State& state) {
    const QString& data = reply(static_cast<int>(state.range(0)));
    kdrsm::frmrcKDRSM& form = kdrsm::formInstance();
    form.show();
    kdrsm::mdl().PendingCommand = QStringLiteral("LoadForm");
    for (auto _ : state) {
        kdrsm::handleRemoteData(data);
        form.repaint();
        QApplication::processEvents();
    }
    labelled(state);
}
BENCHMARK(BM_RemoteDataThenRepaint)->DenseRange(0, 2)->Unit(benchmark::kMillisecond)->UseRealTime();

// The floor a reply into the form is measured against: the reply read into
// settings, no widget touched.
void BM_ParseReply(benchmark::State& state) {
    const QString& data = reply(static_cast<int>(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(kdrsm::model::settingsOfReply(data));
    labelled(state);
}
BENCHMARK(BM_ParseReply)->DenseRange(0, 2)->Unit(benchmark::kMillisecond)->UseRealTime();

// What the operator waits for on opening the panel: the form made, loaded,
// placed in the host's window and shown, the fetch written. Each round
// unloads the form first, so every round is a first LoadInterface; the
// host's window is up before the first round, as in the console.
void BM_FirstLoadInterface(benchmark::State& state) {
    const auto handle = static_cast<qint64>(hostWindow().winId());
    for (auto _ : state) {
        state.PauseTiming();
        kdrsm::unloadForm();
        QApplication::processEvents();
        state.ResumeTiming();
        kdrsm::loadInterface(0, handle, {QStringLiteral("bench"), QVariant(), 6000, 7500});
    }
    kdrsm::unloadForm();
}
BENCHMARK(BM_FirstLoadInterface)->Unit(benchmark::kMillisecond)->UseRealTime();

// The part of a first LoadInterface that waits for the disk: the fetch
// written to the request folder and synced, file and folder.
void BM_FetchWritten(benchmark::State& state) {
    for (auto _ : state) kdrsm::SendRequest(kdrsm::wire::kGetSettings, QString());
}
BENCHMARK(BM_FetchWritten)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("JEX_COMPONENT_PATH"))
        qputenv("JEX_COMPONENT_PATH", KDRSM_BENCH_COMPONENT_DIR);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    QApplication app(argc, argv);
    // A host root of its own, so nothing is written outside it.
    const QTemporaryDir root;
    qputenv("JEX_HOST_ROOT", root.path().toLocal8Bit());
    kdrsm::ensureStarted();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    kdrsm::unloadForm();
    return 0;
}
