// Who changed what and the way back, in-process: what an audit record holds
// (never a password), which reverts are stored and which refused, and which
// versions are kept: by count and age, none spent on an update that changes
// nothing.
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <memory>

#include "exchange/wire/request.h"
#include "remote/audit/settings_history.h"
#include "remote/server_manager.h"
#include "remote/store/server_store.h"
#include "remote_fixture.h"
#include "support/temp_host.h"

namespace {

using jexremote::ServerSettings;
using jextest::base64;
using jextest::superAdmin;
using jextest::withoutMaxPlayers;
namespace wire = kdrsm::wire;

const QString kPassword = QStringLiteral("Hunter2Secret!");

// Its state as found is version 1.
struct Remote : jextest::ManagedServer {
    QString update(const wire::UpdateBody& body, const jexlink::Welcome& who = superAdmin()) {
        return send(wire::kSetSettings, wire::joinUpdateBody(body), who);
    }
    QJsonArray records() { return manager.history(0).records; }
    QString versionFile(int id) {
        return QStringLiteral("state/versions/server-0/%1.json").arg(id);
    }
};

TEST(AuditRecord, NamesEachChangeAndNeverAPassword) {
    Remote remote;
    auto body = jextest::restatingBody();
    body.fields[0] = base64(QStringLiteral("Renamed"));
    body.fields[3] = base64(kPassword);
    body.roleSlots[2] = QStringLiteral("Medic");
    body.encodedWeapons = {base64(QStringLiteral("MP5"))};
    ASSERT_EQ(remote.update(body), "1");

    const QJsonArray records = remote.records();
    ASSERT_EQ(records.size(), 1);
    const QJsonObject record = records[0].toObject();
    EXPECT_EQ(record.value("operator"), "root");
    EXPECT_EQ(record.value("tag"), "t_1");
    EXPECT_EQ(record.value("version"), 2);
    EXPECT_TRUE(record.value("time").toString().endsWith(u'Z'));
    EXPECT_EQ(record.value("changes").toArray(), QJsonDocument::fromJson(R"([
        {"setting": "ServerName", "old": "Night Ops", "new": "Renamed"},
        {"setting": "Password", "changed": true},
        {"setting": "Roles", "entry": "Medic", "old": false, "new": true},
        {"setting": "Weapons", "entry": "M4", "old": true, "new": false},
        {"setting": "Weapons", "entry": "MP5", "old": false, "new": true}])")
                                                     .array());

    // Neither the audit files nor the history answer hold the password.
    const QString history = jexlink::historyAnswerMessage(1, remote.manager.history(0));
    QByteArray audit = remote.host.read(QStringLiteral("state/audit.jsonl"));
    EXPECT_FALSE(audit.isEmpty());
    for (const QString& secret : {kPassword, base64(kPassword)}) {
        EXPECT_FALSE(audit.contains(secret.toUtf8())) << secret.toStdString();
        EXPECT_FALSE(history.contains(secret)) << secret.toStdString();
    }
    EXPECT_EQ(int(QFile::permissions(remote.host.path("state/audit.jsonl")) & 0x7077), 0x6000);
}

struct RevertCase {
    const char* name;
    jexlink::Welcome (*who)();
    void (*prepare)(Remote&);  // after the admin's update to 15 players, version 2
    qint64 version;
    bool ok;
    const char* reason;  // the reason's start
};

class RevertCases : public ::testing::TestWithParam<RevertCase> {};

TEST_P(RevertCases, StoresAKeptVersionOnlyWhenTheRulesAllow) {
    Remote remote;
    const QString original = remote.send(wire::kGetSettings, {}, superAdmin());
    auto body = jextest::restatingBody(QStringLiteral("Renamed"));
    body.fields[3] = base64(kPassword);
    body.fields[4] = QStringLiteral("14");
    body.fields[13] = base64(QStringLiteral("Changed, with a comma"));
    body.roleSlots = {QStringLiteral("CQB"), {}, {}, QStringLiteral("Sniper")};
    body.encodedWeapons.clear();
    body.autoLoad = QStringLiteral("1");
    ASSERT_EQ(remote.update(body), "1");
    GetParam().prepare(remote);
    const ServerSettings before = *remote.store.settings(0);
    const qsizetype records = remote.records().size();

    const auto outcome = remote.manager.revert(0, GetParam().version, GetParam().who()).answer;
    EXPECT_EQ(outcome.ok, GetParam().ok);
    const QString reason = QString::fromUtf8(GetParam().reason);
    EXPECT_EQ(outcome.reason.left(reason.size()), reason);
    EXPECT_EQ(outcome.reason.isEmpty(), GetParam().ok);
    if (!GetParam().ok) {
        EXPECT_EQ(*remote.store.settings(0), before);
        EXPECT_EQ(remote.records().size(), records);
        EXPECT_FALSE(remote.host.exists(remote.versionFile(3)));
        return;
    }
    // The fetch answers exactly what it answered before the update.
    EXPECT_EQ(remote.send(wire::kGetSettings, {}, superAdmin()), original);
    EXPECT_TRUE(original.startsWith(
        "TmlnaHQgT3Bz|VVM=|0||31|30|2|2|8|1|1|0|0|SGk=|||1|6|1|1|15|210|100|1|1|0|0|0|0|"
        "15000|0|0|1|17479[-]"));
    const QJsonObject record = remote.records().at(0).toObject();
    EXPECT_EQ(record.value("revertOf"), GetParam().version);
    EXPECT_EQ(record.value("version"), 3);
    EXPECT_EQ(remote.manager.history(0).versions.at(0).toObject().value("version"), 3);
}

void nothing(Remote&) {}

// The first kept version with its state file text changed.
void editVersion1(Remote& remote, const char* from, const char* to) {
    const QString file = remote.versionFile(1);
    remote.host.write(file, remote.host.read(file).replace(from, to));
}

// clang-format off
const RevertCase kRevertCases[] = {
    {"EveryFieldBack", superAdmin, nothing, 1, true, ""},
    {"OperatorWithoutMaxPlayers", withoutMaxPlayers, nothing, 1, false, "setting Players: operator lee lacks"},
    {"PlayersEditedToText", superAdmin, [](Remote& r) { editVersion1(r, "Players = 31", "Players = abc"); },
     1, false, "version 1:6: setting Players: not a whole number"},
    {"CutInHalf", superAdmin, [](Remote& r) {
         const QString file = r.versionFile(1);
         r.host.write(file, r.host.read(file).left(200)); },
     1, false, "version 1: not a JSON object"},
    {"IdNotItsName", superAdmin, [](Remote& r) { editVersion1(r, "\"version\": 1", "\"version\": 2"); },
     1, false, "version 1: its id does not match"},
    {"NeverKept", superAdmin, nothing, 9, false, "version 9: not kept"},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Reverts, RevertCases, ::testing::ValuesIn(kRevertCases),
                         [](const auto& info) { return std::string(info.param.name); });

// A run of updates at one time: each renames the server, or (no change) one
// by an operator without privileges restates the settings the server holds.
struct Burst {
    int daysAgo;
    int count;
    bool changes;
};

struct KeptVersionsCase {
    const char* name;
    int keepDays;
    QList<Burst> bursts;
    qint64 newest, oldest;  // the kept versions: every id from newest down to oldest
};

class KeptVersionsCases : public ::testing::TestWithParam<KeptVersionsCase> {};

TEST_P(KeptVersionsCases, KeptByCountAndAgeAndNoChangeStoresNone) {
    const KeptVersionsCase& c = GetParam();
    jextest::TempHost host;
    const QString state = host.path(QStringLiteral("state"));
    QDateTime now = QDateTime::currentDateTimeUtc();
    host.write(QStringLiteral("state/server-0.ini"), jextest::stateText());
    QFile file(host.path(QStringLiteral("state/server-0.ini")));  // there before the first burst
    ASSERT_TRUE(file.open(QIODevice::ReadWrite) &&
                file.setFileTime(now.addDays(-30), QFileDevice::FileModificationTime));
    file.close();
    auto store = std::make_unique<jexremote::ServerStore>(state);
    std::unique_ptr<jexremote::SettingsHistory> history;
    const auto reopen = [&] {
        history.reset();
        store = std::make_unique<jexremote::ServerStore>(state);
        jexremote::AuditLimits limits;
        limits.clock = [&now] { return now; };
        history = std::make_unique<jexremote::SettingsHistory>(*store, state, limits, c.keepDays);
        QString error;
        ASSERT_TRUE(store->open(&error) && history->open(&error)) << error.toStdString();
    };
    reopen();
    const QDateTime start = now;
    QString name = QStringLiteral("Night Ops");
    for (const Burst& burst : c.bursts) {
        now = start.addDays(-burst.daysAgo);
        const qint64 held = history->currentVersion(0);
        const jexlink::Welcome nobody{QStringLiteral("nobody"), false, {}};
        for (int n = 0; n < burst.count; ++n) {
            if (burst.changes) name = QStringLiteral("Renamed %1").arg(held + n);
            const auto served =
                jexremote::ServerManager(*store, *history)
                    .answer({n, jextest::updateRequest(jextest::restatingBody(name))},
                            burst.changes ? superAdmin() : nobody);
            ASSERT_EQ(served.answer.text, "1") << n;
            if (burst.changes) continue;
            EXPECT_EQ(served.answer.version, held) << "the version the server holds";
            EXPECT_FALSE(served.changed) << "nobody is told of a change";
        }
        if (!burst.changes) {
            const QJsonObject last = history->history(0).records.first().toObject();
            EXPECT_EQ(last.value("noChange"), true);
            EXPECT_EQ(last.value("version"), held);
            EXPECT_EQ(last.value("changes"), QJsonArray());
        }
    }
    QList<qint64> expected;
    for (qint64 id = c.newest; id >= c.oldest; --id) expected << id;
    for (const char* when : {"as stored", "after a restart"}) {
        QList<qint64> listed;
        for (const QJsonValue version : history->history(0).versions)
            listed << version["version"].toInteger();
        EXPECT_EQ(listed, expected) << when;
        reopen();
    }
}

// clang-format off
const KeptVersionsCase kKeptVersionsCases[] = {
    // The state file is version 1; 21 changes make 2..22.
    {"NoChangeBurstKeepsTheVersions", 0, {{0, 21, true}, {0, 20, false}}, 22, 3},
    {"BurstOfTheWeekKeptWhole", 7, {{0, 30, true}}, 31, 2},
    {"OlderThanTheWeekGoBeyondTwenty", 7, {{10, 30, true}, {0, 25, true}}, 56, 32},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Versions, KeptVersionsCases, ::testing::ValuesIn(kKeptVersionsCases),
                         [](const auto& info) { return std::string(info.param.name); });

struct FirstVersionCase {
    const char* name;
    int updates;
    const char* versions;  // listed, newest first: "ID operator"
    bool firstWritten;     // versions/server-0/1.json on disk
};

class FirstVersionCases : public ::testing::TestWithParam<FirstVersionCase> {};

// A server never changed has its state file as version 1, written down by
// its first change only; both survive a restart alike.
TEST_P(FirstVersionCases, StateFileIsVersionOneUntilTheFirstChange) {
    Remote remote;
    for (int n = 0; n < GetParam().updates; ++n)
        ASSERT_EQ(remote.update(jextest::restatingBody(QStringLiteral("Renamed %1").arg(n))), "1");
    jexremote::ServerStore store{remote.state};
    jexremote::SettingsHistory again{store, remote.state};
    QString error;
    ASSERT_TRUE(store.open(&error) && again.open(&error)) << error.toStdString();
    QStringList listed;
    for (const QJsonValue version : jexremote::ServerManager(store, again).history(0).versions)
        listed << QStringLiteral("%1 %2")
                      .arg(version["version"].toInteger())
                      .arg(version["operator"].toString());
    EXPECT_EQ(listed.join(u','), GetParam().versions);
    EXPECT_EQ(remote.host.exists(remote.versionFile(1)), GetParam().firstWritten);
}

// clang-format off
const FirstVersionCase kFirstVersionCases[] = {
    {"NeverChanged", 0, "1 (state file)", false},
    {"ChangedTwice", 2, "3 root,2 root,1 (state file)", true},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Start, FirstVersionCases, ::testing::ValuesIn(kFirstVersionCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
