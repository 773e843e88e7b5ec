// The traffic model keeps requests in order with their outcomes, within its
// bound; never holds a password; and writes proper CSV, an update field by
// field with the form's labels.
#include <gtest/gtest.h>

#include <QFile>

#include <string>
#include <vector>

#include "host/traffic/traffic_csv.h"
#include "host/traffic/traffic_model.h"
#include "support/temp_host.h"
#include "traffic_texts.h"

namespace {

using jexhost::traffic::FieldLine;
using jexhost::traffic::TrafficModel;
using jexhost::traffic::TrafficState;
using namespace traffic_test;

// A clock the test moves by hand.
struct ManualClock {
    QDateTime start = QDateTime(QDate(2024, 5, 1), QTime(12, 0), Qt::UTC);
    qint64 ms = 0;
    jexhost::traffic::TrafficClock clock() {
        return {[this] { return start.addMSecs(ms); }, [this] { return ms; }};
    }
};

// ---------------------------------------------------------------------------
// Rows in order with their states.

enum class Call { Send, Answer, Fail, Cancel };

struct Event {
    qint64 atMs;
    Call call;
    quint64 id;    // for Answer and Fail: the request's id
    QString text;  // server and request text for Send (as "server|text"), answer for Answer
    TrafficState state = TrafficState::Sent;
    bool taken = true;  // what answered/failed return; Send returns `id`
};

// Server, command, sent, received, duration, state, details, changes.
using Cells = std::vector<QString>;

struct Scenario {
    std::string name;
    int maxRows;
    std::vector<Event> events;
    std::vector<Cells> rows;
};

Event send(qint64 at, quint64 id, const QString& server, const QString& request) {
    return {at, Call::Send, id, server + u'|' + request};
}
Event answer(qint64 at, quint64 id, const QString& text, bool taken = true) {
    return {at, Call::Answer, id, text, TrafficState::Answered, taken};
}
Event fail(qint64 at, quint64 id, TrafficState state, bool taken = true) {
    return {at, Call::Fail, id, {}, state, taken};
}
Event cancel(qint64 at, quint64 id, bool taken = true) {
    return {at, Call::Cancel, id, {}, TrafficState::Sent, taken};
}

const QString kNotFetched = QStringLiteral("cannot compare: no settings fetched from this server");

const std::vector<Scenario> kScenarios = {
    {"FetchAnswered",
     10,
     {send(100, 1, "Alpha", kFetch), answer(130, 1, kReply)},
     {{"Alpha", "GetSettingsRem", "41", "179", "30", "answered",
       "settings fetch, profile 0 → 34 fields, 4 roles, 2 weapons", ""}}},
    {"AnswersOutOfOrder",
     10,
     {send(0, 1, "Bravo", kUpdate), send(5, 2, "Bravo", kFetch), answer(20, 1, "0"),
      answer(50, 2, "Failed")},
     {{"Bravo", "SetSettingsRem", "204", "1", "20", "answered",
       "settings update, profile 1, 2 restricted weapons → not updated", kNotFetched},
      {"Bravo", "GetSettingsRem", "41", "6", "45", "answered",
       "settings fetch, profile 0 → no data", ""}}},
    {"EndsWithoutAnswer",
     10,
     {send(0, 1, "A", kFetch), send(0, 2, "B", kFetch), send(0, 3, "C", kUpdate),
      fail(30000, 1, TrafficState::TimedOut), fail(2, 2, TrafficState::Unreachable),
      fail(1, 3, TrafficState::Refused), answer(30010, 1, kReply, false),
      fail(30020, 2, TrafficState::TimedOut, false), fail(5, 9, TrafficState::Refused, false),
      send(30030, 4, "D", kUpdate), cancel(30033, 4), cancel(30034, 4, false),
      fail(30035, 4, TrafficState::Refused, false)},
     {{"A", "GetSettingsRem", "41", "", "30000", "timed out", "settings fetch, profile 0", ""},
      {"B", "GetSettingsRem", "41", "", "2", "unreachable", "settings fetch, profile 0", ""},
      {"C", "SetSettingsRem", "204", "", "1", "refused",
       "settings update, profile 1, 2 restricted weapons", kNotFetched},
      {"D", "SetSettingsRem", "204", "", "3", "cancelled by you",
       "settings update, profile 1, 2 restricted weapons", kNotFetched}}},
    {"NotAnEnding",
     10,
     {send(0, 1, "A", kFetch), fail(9, 1, TrafficState::Sent, false),
      fail(9, 1, TrafficState::Answered, false)},
     {{"A", "GetSettingsRem", "41", "", "", "sent", "settings fetch, profile 0", ""}}},
    {"BoundDropsOldest",
     2,
     {send(0, 1, "A", kFetch), send(1, 2, "B", kFetch), send(2, 3, "C", kFetch),
      answer(3, 1, "1", false), answer(4, 3, "1")},
     {{"B", "GetSettingsRem", "41", "", "", "sent", "settings fetch, profile 0", ""},
      {"C", "GetSettingsRem", "41", "1", "2", "answered",
       "settings fetch, profile 0 → 1 fields, 0 roles, 0 weapons", ""}}},
    {"OtherTexts",
     10,
     {send(0, 1, "A", "hello"), answer(1, 1, "x"),
      send(2, 2, "A", "Plugin_jexKDRSM_Kick_t_VB6_2_czNjcjN0IQ=="), answer(3, 2, "done"),
      send(4, 3, "A", kShortUpdate), answer(5, 3, "")},
     {{"A", "", "5", "1", "1", "answered", "not a request text (5 characters) → 1 character", ""},
      {"A", "Kick", "41", "4", "1", "answered", "profile 2, 12 characters of data → 4 characters",
       ""},
      {"A", "SetSettingsRem", "181", "0", "1", "answered",
       "settings update, profile 1, body not readable (Body: not four sections of 33 fields and 4 "
       "role slots) → no data",
       kNotFetched}}},
    // Each update is compared with the last good fetch of its own server.
    {"ChangesAgainstTheLastFetch",
     10,
     {send(0, 1, "A", kFetch), answer(1, 1, kReply), send(2, 2, "B", kFetch),
      answer(3, 2, "Failed"), send(4, 3, "A", kChangedUpdate), send(5, 4, "B", kChangedUpdate),
      send(6, 5, "A", kUpdate)},
     {{"A", "GetSettingsRem", "41", "179", "1", "answered",
       "settings fetch, profile 0 → 34 fields, 4 roles, 2 weapons", ""},
      {"B", "GetSettingsRem", "41", "6", "1", "answered", "settings fetch, profile 0 → no data",
       ""},
      {"A", "SetSettingsRem", "195", "", "", "sent",
       "settings update, profile 1, 1 restricted weapons", "2 changes"},
      {"B", "SetSettingsRem", "195", "", "", "sent",
       "settings update, profile 1, 1 restricted weapons", kNotFetched},
      {"A", "SetSettingsRem", "204", "", "", "sent",
       "settings update, profile 1, 2 restricted weapons", "1 change"}}},
};

class TrafficRows : public testing::TestWithParam<Scenario> {};

TEST_P(TrafficRows, HoldRequestsInOrderWithTheirStates) {
    const Scenario& scenario = GetParam();
    ManualClock clock;
    TrafficModel model(scenario.maxRows, clock.clock());
    for (const Event& event : scenario.events) {
        clock.ms = event.atMs;
        switch (event.call) {
            case Call::Send: {
                const qsizetype bar = event.text.indexOf(u'|');
                EXPECT_EQ(model.requestSent(event.text.left(bar), event.text.mid(bar + 1)),
                          event.id);
                break;
            }
            case Call::Answer:
                EXPECT_EQ(model.answered(event.id, event.text), event.taken) << event.id;
                break;
            case Call::Fail:
                EXPECT_EQ(model.failed(event.id, event.state), event.taken) << event.id;
                break;
            case Call::Cancel:
                EXPECT_EQ(model.cancelled(event.id), event.taken) << event.id;
                break;
        }
    }
    ASSERT_EQ(model.rowCount(), static_cast<int>(scenario.rows.size()));
    for (int r = 0; r < model.rowCount(); ++r) {
        Cells cells;
        for (int c = TrafficModel::Server; c < TrafficModel::ColumnCount; ++c)
            cells.push_back(model.data(model.index(r, c)).toString());
        EXPECT_EQ(cells, scenario.rows[static_cast<size_t>(r)]) << "row " << r;
    }
}

INSTANTIATE_TEST_SUITE_P(Scenarios, TrafficRows, testing::ValuesIn(kScenarios),
                         [](const auto& info) { return info.param.name; });

// ---------------------------------------------------------------------------
// No password in any form reaches the model's data or its CSV.

TEST(TrafficModel, NoPasswordAppearsInTheModelOrItsCsv) {
    TrafficModel model;
    model.answered(model.requestSent("A", kUpdate), "1");
    model.answered(model.requestSent("A", kFetch), kReply);
    model.failed(model.requestSent("A", kShortUpdate), TrafficState::TimedOut);
    model.requestSent("A", kChangedUpdate);

    QStringList seen{jexhost::traffic::trafficCsv(model)};
    for (int r = 0; r < model.rowCount(); ++r) {
        for (int c = 0; c < model.columnCount(); ++c)
            for (int role = 0; role <= Qt::UserRole + 8; ++role)
                seen << model.data(model.index(r, c), role).toString();
        for (const FieldLine& line : model.trafficRow(r).request.fields)
            seen << line.label << line.value;
    }
    // The changed password is there, by name only.
    EXPECT_TRUE(seen.constFirst().contains("Password: changed"));
    // Server, blue, red and changed passwords, plain and in Base64; red percent-encoded.
    for (const char* secret : {"s3cr3t!", "czNjcjN0IQ", "blue pass", "Ymx1ZSBwYXNz", "red pass",
                               "cmVkIHBhc3M", "n3w pass", "bjN3IHBhc3M", "red%20pass"})
        for (const QString& text : seen)
            EXPECT_FALSE(text.contains(QLatin1String(secret)))
                << secret << " in " << text.toStdString();
}

// ---------------------------------------------------------------------------
// CSV.

struct CsvCase {
    std::string name;
    QString text;
    QString field;
};

class CsvQuoting : public testing::TestWithParam<CsvCase> {};

TEST_P(CsvQuoting, QuotesOnlyWhatNeedsIt) {
    EXPECT_EQ(jexhost::traffic::csvField(GetParam().text), GetParam().field);
}

INSTANTIATE_TEST_SUITE_P(
    Fields, CsvQuoting,
    testing::Values(CsvCase{"Plain", "Alpha one", "Alpha one"}, CsvCase{"Empty", "", ""},
                    CsvCase{"Comma", "a,b", "\"a,b\""},
                    CsvCase{"Quotes", "say \"hi\"", "\"say \"\"hi\"\"\""},
                    CsvCase{"OnlyAQuote", "\"", "\"\"\"\""},
                    CsvCase{"LineFeed", "a\nb", "\"a\nb\""}, CsvCase{"Return", "a\rb", "\"a\rb\""},
                    CsvCase{"OuterBlanksKept", " a ", " a "}, CsvCase{"Semicolon", "a;b", "a;b"}),
    [](const auto& info) { return info.param.name; });

// The update's fields go out one per line, with the form's labels, decoded
// text and hidden passwords.
TEST(TrafficCsv, SavesTheTableWithTheUpdateFieldByField) {
    ManualClock clock;
    TrafficModel model(10, clock.clock());
    const quint64 id = model.requestSent("Alpha, \"main\"", kUpdate);
    clock.ms = 25;
    model.answered(id, "1");
    clock.ms = 1500;
    model.requestSent("Bravo", kFetch);

    const QString expected = QStringLiteral(
        "Time,Server,Command,Sent (bytes),Received (bytes),Duration (ms),State,Details,Changes,"
        "Fields\r\n"
        "2024-05-01T12:00:00.000Z,\"Alpha, \"\"main\"\"\",SetSettingsRem,204,1,25,answered,"
        "\"settings update, profile 1, 2 restricted weapons → updated\","
        "cannot compare: no settings fetched from this server,"
        "\"Name: My server\nCountry: (empty)\nSesstion Type: LAN IP\nPassword: (hidden)\n"
        "Max Players: 16\nTime Limit: Infinite\nStart Delay: 2 Minutes\nReplay Maps: Cycle\n"
        "Respawn Time: 8\nDedicated: on\nReq. Nova Login: off\nCustom Skins: on\n"
        "Auto Balance: on\nHost Message: Hi, \"\"all\"\"\n"
        "Blue Password: (hidden)\nRed Password: (hidden)\nFriendly Fire Kills: off\n"
        "Max Friendly Kills: 6\nShow Friendly Tags: on\nFriendly Fire Warning: on\n"
        "PSP Takeover Time: 15\nFlag Return Time: 210\nMax Team Lives: 100\nShow Tracers: on\n"
        "Show Team Clays: off\nAllow Auto Range: off\nEnable Min Ping Check: on\nMin Ping: 0\n"
        "Enable Max Ping Check: on\nMax Ping: 15000\nOne Shot Kills: off\nFat Bullets: off\n"
        "Destroy Buildings: on\nWeapon Restrictions M4, Knife\n"
        "Role Restrictions CQB, Medic\nAutoload last known settings on start up. on\"\r\n"
        "2024-05-01T12:00:01.500Z,Bravo,GetSettingsRem,41,,,sent,\"settings fetch, profile "
        "0\",,\r\n");

    const jextest::TempHost temp;
    const QString path = temp.path("traffic.csv");
    EXPECT_EQ(jexhost::traffic::saveTrafficCsv(model, path), std::nullopt);
    EXPECT_EQ(QString::fromUtf8(temp.read("traffic.csv")), expected);

    const auto error = jexhost::traffic::saveTrafficCsv(model, temp.path("missing/traffic.csv"));
    ASSERT_TRUE(error.has_value());
    EXPECT_TRUE(error->startsWith("Cannot save " + temp.path("missing/traffic.csv") + ": "))
        << error->toStdString();
}

}  // namespace
