// What a fleet operation takes from its source: the chosen settings only, as
// the panel's Load and Update would store them, never the name or a password
// unless chosen.
#include <QFile>

#include <gtest/gtest.h>

#include "host/fleet/fleet_outcome.h"
#include "host/fleet/fleet_settings.h"
#include "remote/store/server_settings.h"
#include "support/temp_host.h"

namespace {

using jexhost::fleet::SettingsSource;
using jexhost::fleet::ShownChange;

struct SourceCase {
    const char* name;
    QByteArray preset;           // empty: copy from a server whose Players and name differ
    QStringList keys;            // empty: the source's default
    QList<ShownChange> changes;  // on a new server
    QString fault;               // the key a fault names
};

class FleetSource : public testing::TestWithParam<SourceCase> {};

TEST_P(FleetSource, TakesTheChosenSettingsOnly) {
    const SourceCase& row = GetParam();
    const jexremote::ServerSettings server = jexremote::defaultSettings();
    jextest::TempHost host;
    host.write("p.ssf", row.preset);
    jexremote::ServerSettings other = server;
    other.fields[0] = "Other";
    other.fields[4] = "9";
    const auto read = row.preset.isEmpty() ? SettingsSource::fromSettings(other, "Other")
                                           : SettingsSource::fromPresetFile(host.path("p.ssf"));
    ASSERT_TRUE(std::holds_alternative<SettingsSource>(read));
    const SettingsSource& source = std::get<SettingsSource>(read);
    const auto next = source.applyTo(server, row.keys.isEmpty() ? source.defaultKeys() : row.keys);
    if (const auto* fault = std::get_if<kdrsm::model::Fault>(&next)) {
        EXPECT_EQ(fault->setting, row.fault);
        return;
    }
    EXPECT_EQ(row.fault, "");
    EXPECT_EQ(jexhost::fleet::shownChanges(server, std::get<jexremote::ServerSettings>(next)),
              row.changes);
}

INSTANTIATE_TEST_SUITE_P(
    Fleet, FleetSource,
    testing::Values(
        SourceCase{"DefaultLeavesNameAndPasswords",
                   "[Server]\nServerName=P\nPassword=a\nBluePass=b\nRedPass=c\nPlayers=15\n",
                   {},
                   {{"Max Players", "32", "16"}},
                   {}},
        SourceCase{"PasswordWhenChosen",
                   "[Server]\nPassword=a\nPlayers=15\n",
                   {"Password"},
                   {{"Password", "(hidden)", "changed"}},
                   {}},
        SourceCase{"RolesByAnyCase",
                   "[roles]\nmedic=1\n",
                   {},
                   {{"Role Restrictions: Medic", "unrestricted", "restricted"}},
                   {}},
        SourceCase{"OnlyTheChosenOfTwo",
                   "[Server]\nPlayers=15\nTime=45\n",
                   {"Time"},
                   {{"Time Limit", "30", "45"}},
                   {}},
        SourceCase{
            "OutOfRangeCorrected", "[Server]\nPlayers=-1\n", {}, {{"Max Players", "32", "50"}}, {}},
        SourceCase{"LoadStopsAtAChosenValue", "[Server]\nPlayers=x\nTime=45\n", {}, {}, "Players"},
        SourceCase{"CopyFromAServer", "", {}, {{"Max Players", "32", "10"}}, {}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
