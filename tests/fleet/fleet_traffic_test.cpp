// The requests the console sends past the panel show in the traffic view:
// a fleet run's, each marked with its batch, and the History dialog's.
#include "fleet_team.h"

#include <set>

#include "host/relay/link_history_source.h"
#include "host/servers/servers_file.h"

namespace {

using namespace fleettest;

struct TrafficCase {
    const char* name;
    // Sends the requests; the batches it made, in order, stand for BATCH1, BATCH2.
    std::function<QStringList(Team&)> send;
    // Each distinct row as "server command: details -> answer".
    std::set<QString> rows;
};

class TrafficPastThePanel : public testing::TestWithParam<TrafficCase> {};

TEST_P(TrafficPastThePanel, ShowsEveryRequest) {
    Team team;
    const QStringList batches = GetParam().send(team);
    std::set<QString> rows;
    for (int row = 0; row < team.traffic.rowCount(); ++row) {
        const auto& shown = team.traffic.trafficRow(row);
        QString text =
            QStringLiteral("%1 %2: %3 -> %4")
                .arg(shown.server, shown.request.command, shown.request.summary, shown.answer);
        for (int i = 0; i < batches.size(); ++i)
            text.replace(batches[i], QStringLiteral("BATCH%1").arg(i + 1));
        rows.insert(text);
    }
    EXPECT_EQ(rows, GetParam().rows);
}

INSTANTIATE_TEST_SUITE_P(
    Fleet, TrafficPastThePanel,
    testing::Values(
        TrafficCase{"AFleetApplyAndItsUndo",
                    [](Team& team) {
                        const QString batch = team.applyPlayers();
                        FleetRun* undo = nullptr;
                        team.run([&](FleetRun& run) { run.undo(batch, team.servers); }, &undo);
                        return QStringList{batch, undo->batchId()};
                    },
                    {"S0 GetSettingsRem: settings fetch, profile 0, batch BATCH1 -> 34 fields, "
                     "4 roles, 2 weapons",
                     "S1 GetSettingsRem: settings fetch, profile 1, batch BATCH1 -> 34 fields, "
                     "4 roles, 2 weapons",
                     "S0 SetSettingsRem: settings update, profile 0, 1 restricted weapons, batch "
                     "BATCH1 -> updated",
                     "S1 SetSettingsRem: settings update, profile 1, 1 restricted weapons, batch "
                     "BATCH1 -> updated",
                     "S0 GetSettingsRem: settings fetch, profile 0, batch BATCH2 -> 34 fields, "
                     "4 roles, 2 weapons",
                     "S1 GetSettingsRem: settings fetch, profile 1, batch BATCH2 -> 34 fields, "
                     "4 roles, 2 weapons",
                     "S0 SetSettingsRem: settings update, profile 0, 1 restricted weapons, batch "
                     "BATCH2 -> updated",
                     "S1 SetSettingsRem: settings update, profile 1, 1 restricted weapons, batch "
                     "BATCH2 -> updated"}},
        TrafficCase{
            "AHistoryAndARevert",
            [](Team& team) {
                EXPECT_EQ(team.set(team.carol, 0, kMessage, "Carol"), "1");
                jexhost::LinkHistorySource source(
                    team.pool, team.servers[0].remote,
                    jexhost::servers::tokenFilePath(team.servers[0],
                                                    team.host.path("servers.ini")));
                source.setTraffic(&team.traffic, "S0");
                QSignalSpy history(&source, &jexhost::history::HistorySource::historyArrived);
                QSignalSpy reverted(&source, &jexhost::history::HistorySource::revertAnswered);
                source.requestHistory(0);
                EXPECT_TRUE(history.wait(kWaitMs));
                source.requestRevert(0, 1);
                EXPECT_TRUE(reverted.wait(kWaitMs));
                return QStringList{};
            },
            {"S0 History: history, profile 0 -> 1 records, 2 versions",
             "S0 Revert: revert profile 0 to version 1 -> reverted"}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
