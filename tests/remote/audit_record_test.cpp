// The link's shared words: an audit record written and read back by the one
// pair of functions both sides use, each kind as it stands in the trail, and
// the rate-limit reason told from other refusals only when read whole.
#include <QJsonDocument>

#include <gtest/gtest.h>

#include "link/audit_record.h"
#include "link/link_words.h"

namespace {

using jexlink::AuditChange;
using jexlink::AuditRecord;

struct RecordCase {
    const char* name;
    AuditRecord record;
    QString line;  // as the trail holds it
};

const QJsonValue kNone(QJsonValue::Undefined);

AuditRecord record(std::optional<QString> tag, std::optional<QList<AuditChange>> changes) {
    return {"2024-05-01T12:00:00.000Z", "ann", std::move(tag), 2, 7, std::move(changes)};
}

AuditRecord stored() {
    AuditRecord r =
        record("desk", QList<AuditChange>{{"Players", {}, "31", "15"},
                                          {"Password", {}, kNone, kNone, true},
                                          {"Roles", "Medic", false, true},
                                          {"Weapons", "M4", kNone, true, false, true},
                                          {"Weapons", "MP5", false, kNone, false, false, true}});
    r.revertOf = 3;
    r.mergedWith = 6;
    r.batch = "b-1";
    return r;
}
AuditRecord unchanged() {
    AuditRecord r = record("", QList<AuditChange>());
    r.noChange = true;
    return r;
}
AuditRecord undone() {
    AuditRecord r = record({}, {});
    r.undone = true;
    r.reason = "not stored";
    return r;
}
AuditRecord game(bool command, const QString& text) {
    AuditRecord r = record({}, QList<AuditChange>());
    (command ? r.command : r.game) = text;
    return r;
}

const QString kHead = R"({"operator":"ann","profile":2,)";
const QString kTime = R"("time":"2024-05-01T12:00:00.000Z")";

// clang-format off
const RecordCase kRecordCases[] = {
    {"StoredUpdate", stored(),
     R"({"batch":"b-1","changes":[{"new":"15","old":"31","setting":"Players"},)"
     R"({"changed":true,"setting":"Password"},{"entry":"Medic","new":true,"old":false,"setting":"Roles"},)"
     R"({"added":true,"entry":"M4","new":true,"setting":"Weapons"},)"
     R"({"entry":"MP5","old":false,"removed":true,"setting":"Weapons"}],)"
     R"("mergedWith":6,"operator":"ann","profile":2,"revertOf":3,"tag":"desk",)" + kTime + R"(,"version":7})"},
    {"UpdateThatChangedNothing", unchanged(),
     R"({"changes":[],"noChange":true,"operator":"ann","profile":2,"tag":"",)" + kTime + R"(,"version":7})"},
    {"UndoneUpdate", undone(),
     kHead + R"("reason":"not stored",)" + kTime + R"(,"undone":true,"version":7})"},
    {"GameAction", game(false, "restart"),
     R"({"changes":[],"game":"restart","operator":"ann","profile":2,)" + kTime + R"(,"version":7})"},
    {"EmptyConsoleLine", game(true, ""),
     R"({"changes":[],"command":"","operator":"ann","profile":2,)" + kTime + R"(,"version":7})"},
};
// clang-format on

class AuditRecords : public ::testing::TestWithParam<RecordCase> {};

TEST_P(AuditRecords, WrittenAsTheTrailHoldsThemAndReadBack) {
    const QJsonObject written = jexlink::auditRecordObject(GetParam().record);
    EXPECT_EQ(QString::fromUtf8(QJsonDocument(written).toJson(QJsonDocument::Compact)),
              GetParam().line);
    const QJsonObject held = QJsonDocument::fromJson(GetParam().line.toUtf8()).object();
    EXPECT_EQ(jexlink::readAuditRecord(held), GetParam().record);
}

INSTANTIATE_TEST_SUITE_P(Link, AuditRecords, ::testing::ValuesIn(kRecordCases),
                         [](const auto& info) { return std::string(info.param.name); });

struct ReasonCase {
    const char* name;
    QString reason;
    bool rateLimited;
};

// clang-format off
const ReasonCase kReasonCases[] = {
    {"UpdatesOverTheLimit",
     "operator root: too many updates (the limit is 1 a second); try again shortly", true},
    {"HistoryRequestsOverTheLimit",
     "operator a: b: too many history requests (the limit is 20 a second); try again shortly", true},
    {"OtherRefusalEndingAlike", "the game is starting; try again shortly", false},
    {"LimitReasonWithMoreAfterIt",
     "operator root: too many updates (the limit is 1 a second); try again shortly.", false},
    {"Empty", "", false},
};
// clang-format on

class RateLimitReasons : public ::testing::TestWithParam<ReasonCase> {};

TEST_P(RateLimitReasons, AreToldApartOnlyWhole) {
    EXPECT_EQ(jexlink::isRateLimitReason(GetParam().reason), GetParam().rateLimited);
}

INSTANTIATE_TEST_SUITE_P(Link, RateLimitReasons, ::testing::ValuesIn(kReasonCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
