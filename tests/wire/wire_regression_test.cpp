// The wire readers read hand-written texts (separators, empty sections,
// rounding halves, inputs a fuzzer once broke them with) as written out here.
#include <gtest/gtest.h>

#include <limits>

#include "exchange/wire/fields.h"
#include "exchange/wire/request.h"
#include "exchange/wire/settings_text.h"
#include "jex/error.h"

namespace {

// ---------------------------------------------------------------------------
// Request texts.

struct RequestCase {
    const char* name;
    QString text;
    bool parses;
    QString hostTag;
    qint32 profileIndex;
    QString data;
};

class RequestReading : public testing::TestWithParam<RequestCase> {};

TEST_P(RequestReading, ReadsOnlyWhatRequestTextWrites) {
    const RequestCase& c = GetParam();
    const auto request = kdrsm::wire::parseRequestText(c.text);
    ASSERT_EQ(request.has_value(), c.parses);
    if (!c.parses) return;
    EXPECT_EQ(request->hostTag, c.hostTag);
    EXPECT_EQ(request->profileIndex, c.profileIndex);
    EXPECT_EQ(request->data, c.data);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Wire, RequestReading,
    testing::Values(
        RequestCase{"EmptyTag", "Plugin_jexKDRSM_GetSettingsRem__VB6_0_", true, "", 0, ""},
        // Found by fuzzing: the tag's end was looked for from the command's own "_".
        RequestCase{"NoTagSeparator", "Plugin_jexKDRSM_GetSettinx_VB6_-2_data_1", false, "", 0, ""},
        RequestCase{"OtherPlugin", "Plugin_other_GetSettingsRem_t_VB6_0_", false, "", 0, ""},
        RequestCase{"LeadingZeroIndex", "Plugin_jexKDRSM_Get_t_VB6_03_x", false, "", 0, ""},
        RequestCase{"PlusSignIndex", "Plugin_jexKDRSM_Get_t_VB6_+3_x", false, "", 0, ""},
        RequestCase{"BlankBeforeIndex", "Plugin_jexKDRSM_Get_t_VB6_ 3_x", false, "", 0, ""},
        RequestCase{"NegativeZeroIndex", "Plugin_jexKDRSM_Get_t_VB6_-0_x", false, "", 0, ""},
        RequestCase{"IndexBeyond32Bits", "Plugin_jexKDRSM_Get_t_VB6_2147483648_x", false, "", 0, ""},
        RequestCase{"LowestIndex", "Plugin_jexKDRSM_Get_t_VB6_-2147483648_x", true, "t", std::numeric_limits<qint32>::min(), "x"},
        RequestCase{"TagWithMarkerBeforeIndex", "Plugin_jexKDRSM_Get_a_VB6_x_VB6_-2_data_1", true, "a_VB6_x", -2, "data_1"}),
    [](const auto& info) { return info.param.name; });
// clang-format on

// ---------------------------------------------------------------------------
// Settings replies: sections on "[-]", pieces on "|"; an empty section has no
// pieces.

struct ReplyCase {
    const char* name;
    QString text;
    int sectionCount;
    QStringList fields, roles, weapons;
    QString autoLoad;
};

class ReplySplitting : public testing::TestWithParam<ReplyCase> {};

TEST_P(ReplySplitting, CutsAtEverySeparator) {
    const ReplyCase& c = GetParam();
    const auto reply = kdrsm::wire::splitSettingsReply(c.text);
    EXPECT_EQ(reply.sectionCount, c.sectionCount);
    EXPECT_EQ(reply.fields, c.fields);
    EXPECT_EQ(reply.roles, c.roles);
    EXPECT_EQ(reply.weapons, c.weapons);
    EXPECT_EQ(reply.autoLoad, c.autoLoad);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Wire, ReplySplitting,
    testing::Values(
        ReplyCase{"Typical", "a|b[-]True|False[-]TTE2,1|TVA1,0[-]1", 4, {"a", "b"}, {"True", "False"}, {"TTE2,1", "TVA1,0"}, "1"},
        ReplyCase{"EmptyText", "", 0, {}, {}, {}, ""},
        ReplyCase{"EmptySections", "[-][-][-]", 4, {}, {}, {}, ""},
        ReplyCase{"EmptyPieces", "|[-]||[-],1|[-]0", 4, {"", ""}, {"", "", ""}, {",1", ""}, "0"},
        ReplyCase{"SeparatorInsideOne", "a[-[-]]b", 2, {"a[-"}, {"]b"}, {}, ""},
        ReplyCase{"ThreeSections", "f[-]r[-]w", 3, {"f"}, {"r"}, {"w"}, ""},
        ReplyCase{"FiveSections", "f[-]r[-]w[-]1[-]x", 5, {"f"}, {"r"}, {"w"}, "1"}),
    [](const auto& info) { return info.param.name; });
// clang-format on

// ---------------------------------------------------------------------------
// Reply fields read as numbers: halves to the even neighbour, fields 17 and
// 20 lowered by one before rounding, field 12 compared with 1.

struct FieldCase {
    const char* name;
    kdrsm::wire::ReplyForm form;
    QString field;
    qint16 number;  // when `error` is 0
    qint32 error;
};

class ReplyFieldReading : public testing::TestWithParam<FieldCase> {};

TEST_P(ReplyFieldReading, ReadsTheNumberOrRaises) {
    const FieldCase& c = GetParam();
    try {
        EXPECT_EQ(kdrsm::wire::numberFromReply(c.form, c.field), c.number);
        EXPECT_EQ(c.error, 0);
    } catch (const jex::Error& e) {
        EXPECT_EQ(e.number(), c.error);
    }
}

using kdrsm::wire::ReplyForm;
INSTANTIATE_TEST_SUITE_P(
    Wire, ReplyFieldReading,
    testing::Values(FieldCase{"HalfDownToEven", ReplyForm::ListIndex, "2.5", 2, 0},
                    FieldCase{"HalfUpToEven", ReplyForm::Check, "3.5", 4, 0},
                    FieldCase{"HalfOverTheTop", ReplyForm::ListIndex, "32767.5", 0, 6},
                    // 1.5 - 1 = 0.5 rounds to 0 (rounding before subtracting would give 1).
                    FieldCase{"SubtractsThenRounds", ReplyForm::ListIndexMinus1, "1.5", 0, 0},
                    FieldCase{"MinusWord", ReplyForm::ListIndexMinus1, "x", 0, 13},
                    FieldCase{"OtherNumberTicks", ReplyForm::InvertedCheck, "0.5", 1, 0},
                    FieldCase{"InvertedWord", ReplyForm::InvertedCheck, "True", 0, 13}),
    [](const auto& info) { return info.param.name; });

// ---------------------------------------------------------------------------
// Update bodies: 33 fields, the selected weapons, four role slots, auto-load.

const QString k33Fields =
    "0|1|2|3|4|5|6|7|8|9|10|11|12|13|14|15|16|17|18|19|20|21|22|23|24|25|26|27|28|29|30|31|32";

struct BodyCase {
    const char* name;
    QString text;
    bool parses;
    QStringList weapons;
    QStringList roleSlots;
    QString autoLoad;
};

class UpdateBodyReading : public testing::TestWithParam<BodyCase> {};

TEST_P(UpdateBodyReading, ReadsAndJoinsBack) {
    const BodyCase& c = GetParam();
    const auto body = kdrsm::wire::parseUpdateBody(c.text);
    ASSERT_EQ(body.has_value(), c.parses);
    if (!c.parses) return;
    EXPECT_EQ(body->fields.size(), 33);
    EXPECT_EQ(body->fields.last(), "32");
    EXPECT_EQ(body->encodedWeapons, c.weapons);
    EXPECT_EQ(QStringList(body->roleSlots.begin(), body->roleSlots.end()), c.roleSlots);
    EXPECT_EQ(body->autoLoad, c.autoLoad);
    EXPECT_EQ(kdrsm::wire::joinUpdateBody(*body), c.text);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Wire, UpdateBodyReading,
    testing::Values(
        BodyCase{"NoWeapons", k33Fields + "[-][-]|||[-]0", true, {}, {"", "", "", ""}, "0"},
        BodyCase{"Typical", k33Fields + "[-]TTE2|TVA1[-]CQB||Medic|[-]1", true, {"TTE2", "TVA1"}, {"CQB", "", "Medic", ""}, "1"},
        BodyCase{"EmptyWeaponPieces", k33Fields + "[-]TTE2||[-]|Gunner||Sniper[-]2", true, {"TTE2", "", ""}, {"", "Gunner", "", "Sniper"}, "2"},
        BodyCase{"ThirtyTwoFields", k33Fields.section(u'|', 0, 31) + "[-][-]|||[-]0", false, {}, {}, ""},
        BodyCase{"ThreeRoleSlots", k33Fields + "[-][-]||[-]0", false, {}, {}, ""},
        BodyCase{"FiveSections", k33Fields + "[-][-]|||[-]0[-]", false, {}, {}, ""},
        BodyCase{"EmptyText", "", false, {}, {}, ""}),
    [](const auto& info) { return info.param.name; });
// clang-format on

}  // namespace
