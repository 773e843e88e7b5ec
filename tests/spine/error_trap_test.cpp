// The error path shared by every trapping procedure.
#include <gtest/gtest.h>

#include <optional>
#include <utility>

#include "diagnostics/error_trap.h"
#include "panel_support/panel_fixture.h"
#include "plugin/module_state.h"
#include "plugin/startup.h"

namespace {

using jextest::PanelTest;
using kdrsm::ErrorTrap;

class ErrorTrapTest : public PanelTest {
protected:
    // Runs four steps at lines 10..40; step `failing` raises `number`.
    QList<int> runSteps(ErrorTrap& trap, int failing, qint32 number) {
        QList<int> ran;
        for (int line = 10; line <= 40; line += 10) {
            trap.step(line, [&] {
                if (line == failing) jex::raise(number);
                ran << line;
            });
        }
        return ran;
    }
};

// Step 20 of four raises `number`: the steps that ran, and whether the
// procedure ended with a report.
TEST_F(ErrorTrapTest, EachNumberTakesItsPath) {
    const struct {
        const char* row;
        std::optional<qint32> ignored;
        qint32 number;
        QList<int> ran;
        bool ended, reported;
    } rows[] = {{"the ignored number skips its step", 5, 5, {10, 30, 40}, false, false},
                {"another number ends with a report", 5, 13, {10}, true, true},
                {"no number is ignored", std::nullopt, 5, {10}, true, true},
                {"0 ends quietly", std::nullopt, 0, {10}, true, false},
                {"0 ends quietly even where it is ignored", 0, 0, {10}, true, false}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.row);
        const qsizetype boxes = modals.boxes().size();
        ErrorTrap trap("RemoteData", row.ignored);
        EXPECT_EQ(runSteps(trap, 20, row.number), row.ran);
        EXPECT_EQ(trap.ended(), row.ended);
        EXPECT_EQ(modals.boxes().size(), boxes + (row.reported ? 1 : 0));
    }
}

TEST_F(ErrorTrapTest, TheReportNamesLineNumberAndProcedure) {
    setReportErrors("0");
    ErrorTrap trap("RemoteData", 5);
    runSteps(trap, 30, 13);
    ASSERT_EQ(modals.boxes().size(), 1);
    EXPECT_EQ(modals.boxes()[0].title, "DLL Error!");
    EXPECT_TRUE(modals.boxes()[0].text.startsWith("Error Line: 30\r\nError 13: Type mismatch\r\n"));
    EXPECT_TRUE(modals.boxes()[0].text.contains("Function/Sub: RemoteData"));
    const QStringList log = errorLogLines();
    ASSERT_EQ(log.size(), 1);
    EXPECT_TRUE(log[0].contains("jexrcKDRSM.dll\tRemoteData\t13\t"));
}

TEST_F(ErrorTrapTest, ErrorsOtherThanRunTimeErrorsAreReportedToo) {
    ErrorTrap trap("cmdLoad", 730);
    trap.step(10, [] { throw std::runtime_error("disk on fire"); });
    EXPECT_TRUE(trap.ended());
    ASSERT_EQ(modals.boxes().size(), 1);
    EXPECT_TRUE(modals.boxes()[0].text.contains("disk on fire"));
}

TEST_F(ErrorTrapTest, MissingLogComponentStillShowsTheError) {
    delete std::exchange(kdrsm::mdl().objMFD, nullptr);
    ErrorTrap trap("SubMain");
    trap.step(20, [] { jex::raise(429); });
    ASSERT_EQ(modals.boxes().size(), 1);
    EXPECT_EQ(modals.boxes()[0].title, "DLL Error!");
    EXPECT_TRUE(
        modals.boxes()[0].text.contains("Error 429: ActiveX component can't create object"));
    EXPECT_TRUE(modals.boxes()[0].text.endsWith("Error Report Sent: No"));
}

TEST_F(ErrorTrapTest, StartUpWithoutComponentsReportsAndGoesOn) {
    const QByteArray saved = qgetenv("JEX_COMPONENT_PATH");
    qputenv("JEX_COMPONENT_PATH", host.path("empty").toLocal8Bit());
    kdrsm::unloadForm();
    delete kdrsm::mdl().objMFD;
    delete kdrsm::mdl().objMemory;
    kdrsm::mdl() = kdrsm::ModuleState{};
    kdrsm::ensureStarted();
    EXPECT_EQ(kdrsm::mdl().objMFD, nullptr);
    EXPECT_EQ(kdrsm::mdl().objMemory, nullptr);  // later steps are not done
    ASSERT_EQ(modals.boxes().size(), 1);
    EXPECT_TRUE(modals.boxes()[0].text.contains("Function/Sub: SubMain"));
    qputenv("JEX_COMPONENT_PATH", saved);
}

}  // namespace
