// Request files written for the host to carry to the remote side.
#include <QFile>

#include <gtest/gtest.h>

#include "exchange/send_request.h"
#include "panel_support/panel_fixture.h"
#include "plugin/module_state.h"
#include "support/raises.h"

namespace {

using jextest::PanelTest;
using kdrsm::mdl;

class RequestFileTest : public PanelTest {
protected:
    QByteArray fileOf(const QString& command) {
        return host.read(QStringLiteral("RCData/reply_jexKDRSM_%1.txt").arg(command));
    }
};

struct RequestRow {
    const char* name;
    const char* command;
    const char* tag;
    qint32 index;
    const char* data;
    const char* expected;
};

class RequestTextTest : public RequestFileTest, public ::testing::WithParamInterface<RequestRow> {};

TEST_P(RequestTextTest, WritesTheExactText) {
    const RequestRow& row = GetParam();
    mdl().HostTag = QString::fromUtf8(row.tag);
    mdl().ProfileIndex = row.index;
    kdrsm::SendRequest(row.command, QString::fromUtf8(row.data));
    EXPECT_EQ(fileOf(row.command), QByteArray(row.expected));
}

// A fetch into a missing request folder is written by the embedding tests.
// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Texts, RequestTextTest,
    ::testing::Values(RequestRow{"EmptyTag", "GetSettingsRem", "", 0, "", "Plugin_jexKDRSM_GetSettingsRem__VB6_0_"},
                      RequestRow{"NegativeIndex", "GetSettingsRem", "t", -12, "", "Plugin_jexKDRSM_GetSettingsRem_t_VB6_-12_"},
                      RequestRow{"UnderscoresUnchanged", "SetSettingsRem", "a_b", 3, "x_y|z[-]w",
                                 "Plugin_jexKDRSM_SetSettingsRem_a_b_VB6_3_x_y|z[-]w"}),
    [](const auto& info) { return std::string(info.param.name); });
// clang-format on

TEST_F(RequestFileTest, ReplacesTheSameCommandOnlyAndLeavesOthers) {
    host.write("RCData/reply_jexKDRSM_GetSettingsRem.txt", "an older, much longer request text");
    host.write("RCData/reply_jexKDRSM_SetSettingsRem.txt", "pending store");
    host.write("RCData/unrelated.txt", "kept");
    mdl().HostTag = "h";
    kdrsm::SendRequest("GetSettingsRem", "");
    EXPECT_EQ(fileOf("GetSettingsRem"), "Plugin_jexKDRSM_GetSettingsRem_h_VB6_0_");
    EXPECT_EQ(fileOf("SetSettingsRem"), "pending store");
    EXPECT_EQ(host.read("RCData/unrelated.txt"), "kept");
}

TEST_F(RequestFileTest, AMissingHostRootIsAnErrorForTheCaller) {
    mdl().HostRoot = host.path("no/such/root");
    EXPECT_EQ(jextest::raisedNumber([] { kdrsm::SendRequest("GetSettingsRem", ""); }), 76);
}

}  // namespace
