// A server's history answer becomes the rows the History dialog shows:
// captions for setting names, values in the form's terms, passwords as
// "changed" only, reverts and undone updates marked, and everything the
// remote side sends bounded.
#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>

#include <functional>

#include "host/history/history_rows.h"
#include "support/printers.h"

namespace {

using namespace jexhost::history;

QJsonArray json(const char* text) {
    return QJsonDocument::fromJson(text).array();
}

// Newest first: an undone update with its marker, a revert, and an update
// whose password change carries texts a well-behaved remote never sends.
const char* const kRecords = R"([
 {"time": "2024-05-01T12:05:00Z", "operator": "lee", "profile": 0, "version": 14,
  "undone": true, "reason": "not stored"},
 {"time": "2024-05-01T12:04:59.500Z", "operator": "lee", "tag": "t_3", "profile": 0,
  "version": 14, "changes": [{"setting": "Delay", "old": "2", "new": "0"}]},
 {"time": "2024-05-01T12:03:00Z", "operator": "ann", "tag": "", "profile": 0, "version": 13,
  "revertOf": 11, "changes": [
   {"setting": "Players", "old": "31", "new": "15"},
   {"setting": "Weapons", "entry": "M16", "added": true, "new": true},
   {"setting": "Weapons", "entry": "G3", "removed": true, "old": false},
   {"setting": "Dedicated", "old": "1", "new": "7"},
   {"setting": "NoSuchSetting", "old": "1", "new": "99"}]},
 {"time": "2024-05-01T12:00:00.123Z", "operator": "lee", "tag": "t_1", "profile": 0,
  "version": 12, "changes": [
   {"setting": "ServerName", "old": "Night Ops", "new": "Renamed"},
   {"setting": "Password", "changed": true, "old": "hunter2", "new": "s3cret"},
   {"setting": "BluePass", "old": "hunter2", "new": "s3cret"},
   {"setting": "AutoBalance", "old": "0", "new": "1"},
   {"setting": "Weapons", "entry": "M4", "old": true, "new": false}]},
 {"time": "2024-05-01T11:00:00Z", "operator": "kim", "profile": 0, "version": 11,
  "changes": [], "command": "sv_name \"Night Ops\""},
 {"time": "2024-05-01T10:00:00Z", "operator": "kim", "profile": 0, "version": 11,
  "changes": [], "game": "restart"}
])";

struct RowCase {
    const char* name;
    int at;
    QDateTime time;
    QString operatorName;
    std::optional<qint64> revertOf;
    bool undone;
    QString summary;
    QList<HistoryChange> changes;
};

class HistoryRows : public ::testing::TestWithParam<RowCase> {};

TEST_P(HistoryRows, ReadsTheRecord) {
    const QList<HistoryRow> rows = historyRows(json(kRecords));
    ASSERT_EQ(rows.size(), 5);
    const RowCase& want = GetParam();
    const HistoryRow& row = rows[want.at];
    EXPECT_EQ(row.time, want.time);
    EXPECT_EQ(row.operatorName, want.operatorName);
    EXPECT_EQ(row.revertOf, want.revertOf);
    EXPECT_EQ(row.undone, want.undone);
    EXPECT_EQ(rowSummary(row), want.summary);
    EXPECT_EQ(row.changes, want.changes);
    for (const HistoryChange& change : row.changes)
        for (const QString& text : {change.setting, change.entry, change.before, change.after})
            EXPECT_FALSE(text.contains("hunter2") || text.contains("s3cret")) << text.toStdString();
}

QDateTime utc(const char* iso) {
    return QDateTime::fromString(iso, Qt::ISODateWithMs);
}

using K = ChangeKind;
// clang-format off
const RowCase kRowCases[] = {
    {"UndoneUpdateIsMarkedAndItsMarkerHidden", 0, utc("2024-05-01T12:04:59.500Z"), "lee", std::nullopt, true,
     "Undone: Start Delay", {{K::Value, "Start Delay", {}, "2 Minutes", "No Delay"}}},
    {"RevertNamesItsVersionEntriesAndUnknowns", 1, utc("2024-05-01T12:03:00Z"), "ann", 11, false,
     "Revert of version 11: Max Players, Weapon Restrictions, Dedicated, NoSuchSetting",
     {{K::Value, "Max Players", {}, "32", "16"},
      {K::Value, "Weapon Restrictions", "M16", "(not listed)", "restricted"},
      {K::Value, "Weapon Restrictions", "G3", "unrestricted", "(not listed)"},
      {K::Value, "Dedicated", {}, "on", "(value 7)"},  // no such check value
      {K::Value, "NoSuchSetting", {}, "1", "99"}}},
    {"UpdateShowsPasswordsAsChangedOnly", 2, utc("2024-05-01T12:00:00.123Z"), "lee", std::nullopt, false,
     "Name, Password, Blue Password, Auto Balance, Weapon Restrictions",
     {{K::Value, "Name", {}, "Night Ops", "Renamed"},
      {K::Secret, "Password", {}, {}, {}},
      {K::Secret, "Blue Password", {}, {}, {}},
      {K::Value, "Auto Balance", {}, "on", "off"},
      {K::Value, "Weapon Restrictions", "M4", "restricted", "unrestricted"}}},
    {"ConsoleCommandIsItsLine", 3, utc("2024-05-01T11:00:00Z"), "kim", std::nullopt, false,
     "Console command: sv_name \"Night Ops\"", {}},
    {"GameActionIsNamed", 4, utc("2024-05-01T10:00:00Z"), "kim", std::nullopt, false,
     "Game: restart", {}},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(History, HistoryRows, ::testing::ValuesIn(kRowCases),
                         [](const auto& info) { return std::string(info.param.name); });

// What a malicious or broken remote side may send is cut to the bounds.
struct BoundCase {
    const char* name;
    std::function<QJsonArray()> records;
    qsizetype rows;
    qsizetype changes;  // of the first row
    int omitted;
    QString operatorName;
    QString firstAfter;
};

QJsonObject record(const QJsonArray& changes, const QString& operatorName = "lee") {
    return {{"time", "2024-05-01T12:00:00Z"},
            {"operator", operatorName},
            {"version", 1},
            {"changes", changes}};
}

QJsonObject nameChange(const QString& after) {
    return {{"setting", "ServerName"}, {"old", "a"}, {"new", after}};
}

class HistoryBounds : public ::testing::TestWithParam<BoundCase> {};

TEST_P(HistoryBounds, CutsWhatIsShown) {
    const QList<HistoryRow> rows = historyRows(GetParam().records());
    ASSERT_EQ(rows.size(), GetParam().rows);
    EXPECT_EQ(rows[0].changes.size(), GetParam().changes);
    EXPECT_EQ(rows[0].omittedChanges, GetParam().omitted);
    EXPECT_EQ(rows[0].operatorName, GetParam().operatorName);
    if (!rows[0].changes.isEmpty()) {
        EXPECT_EQ(rows[0].changes[0].after, GetParam().firstAfter);
    }
}

// `count` records of `changes` changes each, all renaming the server to "x".
QJsonArray many(int count, int changes) {
    QJsonArray list;
    for (int i = 0; i < changes; ++i) list.append(nameChange("x"));
    QJsonArray records;
    for (int i = 0; i < count; ++i) records.append(record(list));
    return records;
}

// clang-format off
const BoundCase kBoundCases[] = {
    {"TooManyRecords", [] { return many(250, 1); }, 200, 1, 0, "lee", "x"},
    {"TooManyChanges", [] { return many(1, 420); }, 1, 300, 120, "lee", "x"},
    {"LongOperatorAndValue",
     [] { return QJsonArray{record({nameChange(QString(5000, 'v'))}, QString(5000, 'o'))}; },
     1, 1, 0, QString(63, 'o') + QChar(0x2026), QString(99, 'v') + QChar(0x2026)},
    {"ControlAndDirectionCharacters",
     [] { return QJsonArray{record({nameChange(QString("a\nb\x1b[2J") + QChar(0x202e) + "c")}, "lee\r\nroot")}; },
     1, 1, 0, "lee  root", "a b [2J c"},
    {"WrongTypes",
     [] { return QJsonArray{"not a record", 7,
                            record({QJsonObject{{"setting", "Players"}, {"old", 31}, {"new", QJsonArray{}}}})}; },
     1, 1, 0, "lee", "(unreadable)"},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(History, HistoryBounds, ::testing::ValuesIn(kBoundCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Versions without a whole, non-negative id cannot be reverted to and are
// left out; at most 50 are listed.
TEST(VersionRows, KeepsRevertableVersionsWithinTheBound) {
    QJsonArray versions{
        QJsonObject{{"version", 9}, {"time", "2024-05-01T12:00:00Z"}, {"operator", "lee"}},
        QJsonObject{{"version", "8"}, {"time", "2024-05-01T11:00:00Z"}},
        QJsonObject{{"version", 7.5}},
        QJsonObject{{"version", -1}},
        "junk",
        QJsonObject{{"version", 6}, {"time", "yesterday"}, {"operator", "ann"}}};
    const QList<VersionRow> rows = versionRows(versions);
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[0].version, 9);
    EXPECT_EQ(rows[0].time, QDateTime(QDate(2024, 5, 1), QTime(12, 0), Qt::UTC));
    EXPECT_EQ(rows[1].version, 6);
    EXPECT_FALSE(rows[1].time.isValid());
    EXPECT_EQ(rows[1].operatorName, "ann");

    for (int i = 0; i < 80; ++i) versions.append(QJsonObject{{"version", i}});
    EXPECT_EQ(versionRows(versions).size(), 50);
}

// Record times are UTC; the dialog shows the operator's local time.
struct TimeCase {
    const char* name;
    const char* zone;
    QDateTime utc;
    QString shown;
};

class LocalTime : public ::testing::TestWithParam<TimeCase> {};

TEST_P(LocalTime, ShowsTheLocalTime) {
    const bool hadZone = qEnvironmentVariableIsSet("TZ");
    const QByteArray before = qgetenv("TZ");
    qputenv("TZ", GetParam().zone);
    const QString shown = localTimeText(GetParam().utc);
    hadZone ? qputenv("TZ", before) : qunsetenv("TZ");
    EXPECT_EQ(shown, GetParam().shown);
}

const TimeCase kTimeCases[] = {
    {"HalfHourAhead", "Asia/Kolkata", utc("2024-05-01T20:00:00.123Z"), "2024-05-02 01:30:00"},
    {"SummerTimeBehind", "America/New_York", utc("2024-07-01T02:00:00Z"), "2024-06-30 22:00:00"},
    {"Unreadable", "UTC", QDateTime(), "(unknown time)"},
};

INSTANTIATE_TEST_SUITE_P(History, LocalTime, ::testing::ValuesIn(kTimeCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
