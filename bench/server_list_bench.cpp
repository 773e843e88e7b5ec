// The console's server list at 10,000 servers (the most a servers file
// holds), shown offscreen with its filter: reading the file, filling the
// list, typing a filter and clearing it, every row's link changing state (20
// remotes of 500 servers each, welcomed one after another), and selecting
// everything shown.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QTableView>
#include <QTemporaryDir>

#include "host/servers/server_list_model.h"
#include "host/servers/servers_file.h"
#include "host/servers_ui/server_list_panel.h"

namespace {

using namespace jexhost::servers;

constexpr int kServers = 10000;
constexpr int kRemotes = 20;

QByteArray serversText() {
    QByteArray text;
    for (int i = 0; i < kServers; ++i)
        text += QStringLiteral(
                    "[s%1]\nName=%2 %1\nGame=%3\nRemote=ws://10.0.0.%4:4711\n"
                    "TokenFile=team.tokens\nProfile=%1\nTag=desk\n")
                    .arg(i)
                    .arg(i % 3 ? QStringLiteral("Delta Force") : QStringLiteral("NovaWorld"))
                    .arg(i % 3 ? QStringLiteral("Delta Force,  V1.5.0.5")
                               : QStringLiteral("Delta Force, NovaWorld Affiliate Server"))
                    .arg(i / (kServers / kRemotes))
                    .toUtf8();
    return text;
}

struct Fixture {
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("servers.ini"));
    Fixture() {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(serversText()) < 0) std::abort();
    }
};

Fixture& fixture() {
    static Fixture shared;
    return shared;
}

void BM_ReadServersFile(benchmark::State& state) {
    for (auto _ : state) {
        const ServersRead read = readServersFile(fixture().path);
        if (read.servers.size() != kServers) state.SkipWithError("not every server was read");
    }
}
BENCHMARK(BM_ReadServersFile)->Unit(benchmark::kMillisecond)->UseRealTime();

struct ShownList {
    ServerListModel model;
    ServerListPanel panel{&model, fixture().path};
    ShownList() {
        model.setServers(readServersFile(fixture().path).servers);
        panel.resize(440, 800);
        panel.show();
        QApplication::processEvents();
    }
};

void BM_FillTheList(benchmark::State& state) {
    ShownList list;
    const QList<ServerEntry> servers = list.model.servers();
    for (auto _ : state) {
        list.model.setServers(servers);
        QApplication::processEvents();
    }
}
BENCHMARK(BM_FillTheList)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_FilterThenClear(benchmark::State& state) {
    ShownList list;
    for (auto _ : state) {
        list.panel.filterBox()->setText(QStringLiteral("novaworld 10.0.0.7"));
        QApplication::processEvents();
        list.panel.filterBox()->setText(QString());
        QApplication::processEvents();
    }
}
BENCHMARK(BM_FilterThenClear)->Unit(benchmark::kMillisecond)->UseRealTime();

// Every link goes connecting, then connected, with a filter on the state.
// Argument 0: each link's servers one after another in the file (as a file
// grouped by remote has them); 1: spread over the whole list.
void BM_EveryLinkWelcomed(benchmark::State& state) {
    const bool spread = state.range(0) == 1;
    ShownList list;
    list.panel.filterBox()->setText(QStringLiteral("connected"));
    const QList<ServerEntry> servers = list.model.servers();
    bool flip = false;
    for (auto _ : state) {
        flip = !flip;
        const LinkStatus status{
            flip ? LinkState::Connected : LinkState::Connecting, QStringLiteral("ann"), {}, {}, {}};
        for (int remote = 0; remote < kRemotes; ++remote) {
            QStringList ids;
            for (int i = 0; i < kServers / kRemotes; ++i)
                ids << servers[spread ? i * kRemotes + remote : remote * (kServers / kRemotes) + i]
                           .id;
            list.model.setLinkStatus(ids, status);
            QApplication::processEvents();
        }
    }
}
BENCHMARK(BM_EveryLinkWelcomed)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_SelectEverything(benchmark::State& state) {
    ShownList list;
    for (auto _ : state) {
        list.panel.view()->selectAll();
        if (list.panel.selectedIds().size() != kServers) state.SkipWithError("not all selected");
        list.panel.view()->clearSelection();
    }
}
BENCHMARK(BM_SelectEverything)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    QApplication app(argc, argv);
    fixture();  // the file is written before anything is timed
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
