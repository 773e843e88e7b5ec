// Message boxes: titles, exact texts, and the error report switch.
#include <gtest/gtest.h>

#include "diagnostics/messages.h"
#include "panel_support/panel_fixture.h"
#include "plugin/module_state.h"

namespace {

using jextest::PanelTest;
using kdrsm::ShowMessage;

struct KindRow {
    const char* name;
    quint8 kind;
    const char* title;
};

class NoticeKindTest : public PanelTest, public ::testing::WithParamInterface<KindRow> {};

// Kinds past 3 (4 is the error report) show nothing.
TEST_P(NoticeKindTest, ShowsTheMessageUnderItsTitle) {
    ShowMessage(GetParam().kind, "Server Settings Saved Successfully.");
    if (!*GetParam().title) {
        EXPECT_TRUE(modals.boxes().isEmpty());
        return;
    }
    ASSERT_EQ(modals.boxes().size(), 1);
    EXPECT_EQ(modals.boxes()[0].title, GetParam().title);
    EXPECT_EQ(modals.boxes()[0].text, "Server Settings Saved Successfully.");
    EXPECT_FALSE(modals.boxes()[0].hasIcon);
    EXPECT_EQ(modals.boxes()[0].buttonCount, 1);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Kinds, NoticeKindTest,
                         ::testing::Values(KindRow{"Error", 0, "Error!"}, KindRow{"Success", 1, "Success"},
                                           KindRow{"Failure", 2, "Failed!"}, KindRow{"ActionRequired", 3, "Action Required!"},
                                           KindRow{"Seven", 7, ""}, KindRow{"Largest", 255, ""}),
                         [](const auto& info) { return std::string(info.param.name); });
// clang-format on

TEST_F(PanelTest, ErrorReportWithReportsOffMatchesTheSixLines) {
    setReportErrors("0");
    const jex::ErrObject error{13, "Type mismatch"};
    ShowMessage(4, "cmdSave", &error, 120);
    ASSERT_EQ(modals.boxes().size(), 1);
    EXPECT_EQ(modals.boxes()[0].title, "DLL Error!");
    EXPECT_EQ(modals.boxes()[0].text.toUtf8(),
              QByteArray("Error Line: 120\r\nError 13: Type mismatch\r\nDLL: jexrcKDRSM.dll\r\n"
                         "Function/Sub: cmdSave\r\n\r\nError Report Sent: No"));
    EXPECT_FALSE(host.exists("outbox"));
}

struct ReportRow {
    const char* name;
    const char* setting;  // nullptr: no configuration file at all
    bool outboxUsable;
    const char* lastLine;
};

class ErrorReportTest : public PanelTest, public ::testing::WithParamInterface<ReportRow> {};

TEST_P(ErrorReportTest, EndsWithTheReportLine) {
    const ReportRow& row = GetParam();
    if (row.setting) setReportErrors(row.setting);
    if (!row.outboxUsable) host.write("outbox", "a file where the outbox folder should be");
    const jex::ErrObject error{5, "Invalid procedure call or argument"};
    ShowMessage(4, "RemoteData", &error, 7);
    ASSERT_EQ(modals.boxes().size(), 1);
    EXPECT_TRUE(modals.boxes()[0].text.endsWith(QStringLiteral("\r\n\r\n") + row.lastLine))
        << modals.boxes()[0].text.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Settings, ErrorReportTest,
    // clang-format off
    ::testing::Values(ReportRow{"On", "1", true, "Error Report Sent: Yes"},
                      ReportRow{"OnButUndeliverable", "1", false, "Error Report Sent: Failed!"},
                      ReportRow{"Off", "0", true, "Error Report Sent: No"},
                      ReportRow{"Two", "2", true, "Error Report Sent: No"},
                      ReportRow{"NonNumeric", "yes", true, "Error Report Sent: No"},
                      ReportRow{"Missing", nullptr, true, "Error Report Sent: No"}),
    [](const auto& info) { return std::string(info.param.name); });
// clang-format on

TEST_F(PanelTest, ReportRecordHasSixEntries) {
    const QVariantList record =
        kdrsm::errorReportRecord({380, "Invalid property value"}, 42, "cmdLoad");
    ASSERT_EQ(record.size(), 6);
    EXPECT_EQ(record[0].metaType(), QMetaType::fromType<qint32>());
    EXPECT_EQ(record[0].toInt(), 380);
    EXPECT_EQ(record[1].toString(), "Invalid property value");
    EXPECT_EQ(record[2].toString(), "jexrcKDRSM.dll 1.1.8");
    EXPECT_EQ(record[3].toString(), "cmdLoad");
    EXPECT_EQ(record[4].toString(), "False");
    EXPECT_EQ(record[5].metaType(), QMetaType::fromType<qint32>());
    EXPECT_EQ(record[5].toInt(), 42);
}

TEST_F(PanelTest, EmptyDescriptionKeepsTheColonAndBlank) {
    EXPECT_EQ(kdrsm::errorText({1004, ""}, 0, "SetPrivis").split("\r\n")[1], "Error 1004: ");
}

}  // namespace
