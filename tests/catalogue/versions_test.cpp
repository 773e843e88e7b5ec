// Version texts and the judgement of a descriptor's minimum versions against
// this host's own.
#include <gtest/gtest.h>

#include "catalogue_fixture.h"
#include "host/catalogue/catalogue.h"
#include "host/catalogue/version_text.h"
#include "support/printers.h"

namespace {

using namespace jexhost::catalogue;

enum class Order { Older, Equal, Newer, LeftMalformed };

struct VersionRow {
    const char* name;
    QString left;
    QString right;
    Order expected;
};

class VersionOrder : public testing::TestWithParam<VersionRow> {};

TEST_P(VersionOrder, ComparesNumbersPartByPart) {
    const VersionRow& row = GetParam();
    const auto left = parseVersion(row.left);
    const auto right = parseVersion(row.right);
    ASSERT_TRUE(right.has_value());
    if (row.expected == Order::LeftMalformed) {
        EXPECT_FALSE(left.has_value());
        return;
    }
    ASSERT_TRUE(left.has_value());
    const auto order = compareVersions(*left, *right);
    const Order got = order < 0 ? Order::Older : order > 0 ? Order::Newer : Order::Equal;
    EXPECT_EQ(got, row.expected);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Catalogue, VersionOrder,
    testing::Values(VersionRow{"TenAfterNine", "1.10", "1.9", Order::Newer},
                    VersionRow{"NumberNotText", "9999", "31001", Order::Older},
                    VersionRow{"MissingPartIsZero", "1.2", "1.2.0", Order::Equal},
                    VersionRow{"ExtraPartIsNewer", "1.2.1", "1.2", Order::Newer},
                    VersionRow{"LeadingZerosIgnored", "01.002", "1.2", Order::Equal},
                    VersionRow{"NineDigitPart", "999999999", "1201", Order::Newer},
                    VersionRow{"Empty", "", "1", Order::LeftMalformed},
                    VersionRow{"LeadingBlank", " 1201", "1", Order::LeftMalformed},
                    VersionRow{"LetterO", "10O4", "1", Order::LeftMalformed},
                    VersionRow{"EmptyPart", "1..2", "1", Order::LeftMalformed},
                    VersionRow{"TrailingDot", "1.", "1", Order::LeftMalformed},
                    VersionRow{"Sign", "+1", "1", Order::LeftMalformed},
                    VersionRow{"TenDigitPart", "4294967296", "1", Order::LeftMalformed},
                    VersionRow{"NineParts", "1.2.3.4.5.6.7.8.9", "1", Order::LeftMalformed},
                    VersionRow{"NonAsciiDigits", QStringLiteral("\u0661\u0662"), "1", Order::LeftMalformed}),
    [](const auto& info) { return info.param.name; });
// clang-format on

struct JudgementRow {
    const char* name;
    QHash<QString, QString> minimums;  // changed from the panel's own
    QString expectedStateText;
};

class Judgement : public testing::TestWithParam<JudgementRow> {};

// A refused plug-in is listed with its reason and offered nowhere.
TEST_P(Judgement, RefusesWhatNeedsANewerHost) {
    const JudgementRow& row = GetParam();
    Descriptor descriptor = cattest::panelDescriptor();
    descriptor.helpFile = QStringLiteral("panel.chm");
    for (auto it = row.minimums.cbegin(); it != row.minimums.cend(); ++it)
        descriptor.minimums[it.key()] = it.value();

    Catalogue catalogue;
    catalogue.add("/opt/jex/components/panel.so", "panel.clsPlugin", "1.0.0", descriptor);

    const PluginEntry& entry = catalogue.entries().at(0);
    EXPECT_EQ(entry.stateText(), row.expectedStateText);
    const bool usable = row.expectedStateText == QLatin1String("usable");
    EXPECT_EQ(entry.usable(), usable);
    EXPECT_EQ(catalogue.offersFor(cattest::kFirstGame).size(), usable ? 1 : 0);
    EXPECT_EQ(catalogue.serverMenu().size(), usable ? 1 : 0);
    EXPECT_EQ(catalogue.helpFiles().size(), usable ? 1 : 0);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Catalogue, Judgement,
    testing::Values(
        JudgementRow{"PanelsOwnMinimums", {}, "usable"},
        JudgementRow{"OlderMinimumsAccepted", {{"MinJEXVer", "9999"}, {"MinRCVer", "1.2"}}, "usable"},
        JudgementRow{"EmptyMinimumAsksNothing", {{"MinRCCVer", ""}}, "usable"},
        JudgementRow{"NewerRemoteClient", {{"MinRCVer", "1202"}},
                     "refused: needs remote client 1202 or newer (MinRCVer), this host has 1201"},
        JudgementRow{"NewerZtaByAPart", {{"MinZTAVer", "1107.1"}},
                     "refused: needs jexrcZTA 1107.1 or newer (MinZTAVer), this host has 1107"},
        JudgementRow{"MalformedMinimum", {{"MinWOBVer", "10O4"}}, "refused: MinWOBVer \"10O4\" is not a version number"},
        JudgementRow{"EveryFailureNamed", {{"MinJEXVer", "31002"}, {"MinRCCVer", "v3505"}},
                     "refused: needs JEX host 31002 or newer (MinJEXVer), this host has 31001; "
                     "MinRCCVer \"v3505\" is not a version number"}),
    [](const auto& info) { return info.param.name; });
// clang-format on

}  // namespace
