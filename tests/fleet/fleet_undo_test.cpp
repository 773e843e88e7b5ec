// Undoing a batch while another operator, carol, works on the same servers:
// one remote side in this process with two servers, the run on the
// console's links, and carol on her own connection. Each row makes a batch
// of Max Players on both servers, lets carol (or a damaged record) get in
// the way, undoes it and reads what each server holds afterwards.
#include "fleet_team.h"

namespace {

using namespace fleettest;

struct UndoCase {
    const char* name;
    // What happens between the batch and its undo.
    std::function<void(Team&, const QString& batch)> meanwhile;
    // While the undo waits to be let through, once it was fetched and sent.
    std::function<void(Team&)> whileWaiting;
    std::map<QString, QString> outcomes;
    // S0's and S1's Max Players and Host Message afterwards.
    QString s0, s1;
};

class FleetUndo : public testing::TestWithParam<UndoCase> {};

TEST_P(FleetUndo, PutsBackOnlyWhatTheBatchChangedAndNothingSinceChanged) {
    Team team;
    const QString batch = team.applyPlayers();
    ASSERT_FALSE(batch.isEmpty());
    if (GetParam().meanwhile) GetParam().meanwhile(team, batch);
    bool waited = false;
    // The first refused update of the undo opens the window.
    QObject::connect(&team.traffic, &QAbstractItemModel::dataChanged, &team.traffic, [&] {
        for (int row = 0; row < team.traffic.rowCount() && !waited; ++row) {
            const auto& shown = team.traffic.trafficRow(row);
            if (shown.request.command != kdrsm::wire::kSetSettings ||
                shown.answer != "not updated" || !GetParam().whileWaiting)
                continue;
            waited = true;
            QTimer::singleShot(0, &team.traffic, [&] { GetParam().whileWaiting(team); });
        }
    });
    if (GetParam().whileWaiting) team.exhaustAdmin();
    const auto [words, error] = team.run([&](FleetRun& run) { run.undo(batch, team.servers); });
    EXPECT_EQ(words, GetParam().outcomes) << error.toStdString();
    EXPECT_EQ(waited, bool(GetParam().whileWaiting));
    EXPECT_EQ(team.field(0, kPlayers) + " " + team.field(0, kMessage), GetParam().s0);
    EXPECT_EQ(team.field(1, kPlayers) + " " + team.field(1, kMessage), GetParam().s1);
}

const std::map<QString, QString> kBothUndone{{"S0", "applied"}, {"S1", "applied"}};

INSTANTIATE_TEST_SUITE_P(
    Fleet, FleetUndo,
    testing::Values(
        UndoCase{"NothingChangedSince", {}, {}, kBothUndone, "31 Hi", "31 Hi"},
        // carol's message, changed since and changed back while the undo
        // waits, is hers: the batch never chose it.
        UndoCase{"AChangeMadeSinceAndTakenBackBeforeTheUndoLands",
                 [](Team& team, const QString&) {
                     EXPECT_EQ(team.set(team.carol, 0, kMessage, "Carol"), "1");
                 },
                 [](Team& team) { EXPECT_EQ(team.set(team.carol, 0, kMessage, "Hi"), "1"); },
                 kBothUndone, "31 Hi", "31 Hi"},
        // A player limit carol changed since is hers; one she already put
        // back needs nothing.
        UndoCase{"ABatchSettingChangedSinceIsAConflictNamingWhoChangedIt",
                 [](Team& team, const QString&) {
                     EXPECT_EQ(team.set(team.carol, 0, kPlayers, "19"), "1");
                     EXPECT_EQ(team.set(team.carol, 1, kPlayers, "31"), "1");
                 },
                 {},
                 {{"S0",
                   "conflict: changed by someone else: Max Players (theirs 20 by carol, "
                   "yours 32)"},
                  {"S1", "unchanged"}},
                 "19 Hi",
                 "31 Hi"},
        UndoCase{"ARecordHoldingSettingsTheBatchDidNotChooseIsRefused",
                 [](Team& team, const QString& batch) {
                     EXPECT_EQ(team.set(team.carol, 0, kMessage, "Carol"), "1");
                     team.damage(batch, "s0", [](QJsonObject& server) {
                         QJsonObject before = server["before"].toObject();
                         before["Message"] = "Old";
                         server["before"] = before;
                     });
                 },
                 {},
                 {{"S0",
                   "refused: the batch's record of it holds settings the batch did not "
                   "choose: Message"},
                  {"S1", "applied"}},
                 "15 Carol",
                 "31 Hi"},
        UndoCase{"ARecordWithoutTheVersionTheBatchMadeIsRefused",
                 [](Team& team, const QString& batch) {
                     team.damage(batch, "s0", [](QJsonObject& server) {
                         server["versionAfter"] = QJsonValue();
                     });
                 },
                 {},
                 {{"S0",
                   "refused: the batch recorded no version it made there, so a change made "
                   "since could not be told from its own"},
                  {"S1", "applied"}},
                 "15 Hi",
                 "31 Hi"},
        // Sent, such a version would close the link under both servers.
        UndoCase{"AVersionOutOfRangeIsThatServersOutcomeAlone",
                 [](Team& team, const QString& batch) {
                     team.damage(batch, "s0", [](QJsonObject& server) {
                         server["versionAfter"] = double(qint64(1) << 60);
                     });
                 },
                 {},
                 {{"S0",
                   "refused: the batch's record of it is damaged: its versionAfter is not "
                   "a version"},
                  {"S1", "applied"}},
                 "15 Hi",
                 "31 Hi"},
        UndoCase{"AnUnreadableLineIsThatServersOutcomeAlone",
                 [](Team& team, const QString& batch) {
                     const QString file = "batches/" + batch + ".json";
                     QList<QByteArray> lines = team.host.read(file).split('\n');
                     lines[1] = "{\"id\": \"s0\", cut";
                     team.host.write(file, lines.join('\n'));
                 },
                 {},
                 {{"server 1 of the record",
                   "refused: the batch's record of it is damaged: its line cannot be read"},
                  {"S1", "applied"}},
                 "15 Hi",
                 "31 Hi"}),
    [](const auto& info) { return std::string(info.param.name); });

// A second undo of the same batch finds nothing left to put back: it says
// so and sends nothing, though the settings hold the batch's values again.
TEST(FleetUndoAgain, ABatchUndoneAlreadySendsNothing) {
    Team team;
    const QString batch = team.applyPlayers();
    const auto [first, firstError] =
        team.run([&](FleetRun& run) { run.undo(batch, team.servers); });
    ASSERT_EQ(first, kBothUndone) << firstError.toStdString();
    EXPECT_EQ(team.set(team.carol, 0, kPlayers, "15"), "1");
    const int shown = team.traffic.rowCount();
    const auto [again, error] = team.run([&](FleetRun& run) { run.undo(batch, team.servers); });
    EXPECT_TRUE(again.empty());
    EXPECT_TRUE(error.startsWith("batch " + batch + " was undone already (by batch "))
        << error.toStdString();
    EXPECT_EQ(team.traffic.rowCount(), shown) << "nothing was sent";
    EXPECT_EQ(team.field(0, kPlayers), "15");
}

}  // namespace
