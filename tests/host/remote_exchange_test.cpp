// The remote side's answers: the settings reply, updates accepted and
// refused, and the state file.
#include <gtest/gtest.h>

#include "exchange/wire/fields.h"
#include "exchange/wire/request.h"
#include "exchange/wire/settings_text.h"
#include "remote/remote_plugin.h"
#include "remote/settings_exchange.h"
#include "support/temp_host.h"

namespace {

using jexremote::RemotePlugin;
using jexremote::ServerSettings;
using kdrsm::wire::UpdateBody;
namespace wire = kdrsm::wire;

QString request(const QString& command, const QString& data = {}) {
    return wire::requestText(command, QStringLiteral("tag_with_underscore"), 0, data);
}

// The update body that restates `settings`, as the panel would send it.
UpdateBody bodyFor(const ServerSettings& settings) {
    UpdateBody body;
    for (int i = 0; i < wire::kUpdateFieldCount; ++i) {
        const bool encoded = wire::kWireFields[i].update == wire::UpdateForm::Encoded;
        const QString& value = settings.fields[i];
        body.fields << (encoded && !value.isEmpty() ? jexremote::encodeText(value) : value);
    }
    for (const auto& weapon : settings.weapons)
        if (weapon.selected) body.encodedWeapons << jexremote::encodeText(weapon.name);
    for (int slot = 0; slot < 4; ++slot)
        body.roleSlots[slot] = settings.roles[slot] ? jexremote::kRoleNames[slot] : QString();
    body.autoLoad = settings.autoLoad ? QStringLiteral("1") : QStringLiteral("0");
    return body;
}

TEST(RemoteSettingsReply, CarriesEveryFieldRoleAndWeapon) {
    RemotePlugin remote;
    ServerSettings settings = remote.settings();
    settings.fields[13] = QStringLiteral("Grüße | [-] ,");  // free text travels as Base64 of UTF-8
    settings.roles = {false, true, false, true};
    settings.autoLoad = true;
    remote.setSettings(settings);
    const auto reply = wire::splitSettingsReply(remote.answer(request(wire::kGetSettings)));
    ASSERT_EQ(reply.sectionCount, 4);
    ASSERT_EQ(reply.fields.size(), wire::kReplyFieldCount);
    EXPECT_EQ(jexremote::decodeText(reply.fields[0]), settings.fields[0]);
    EXPECT_EQ(reply.fields[13], QString::fromLatin1(settings.fields[13].toUtf8().toBase64()));
    EXPECT_EQ(reply.fields[33], QStringLiteral("17479"));
    EXPECT_EQ(reply.roles, (QStringList{"False", "True", "False", "True"}));
    ASSERT_EQ(reply.weapons.size(), settings.weapons.size());
    EXPECT_EQ(reply.weapons[0], jexremote::encodeText(settings.weapons[0].name) + ",0");
    EXPECT_EQ(reply.autoLoad, "1");
}

TEST(RemoteUpdate, AppliedUpdateChangesStateAndStateFile) {
    jextest::TempHost host;
    const QString state = host.path(QStringLiteral("server.ini"));
    RemotePlugin remote(state);
    ServerSettings expected = remote.settings();
    expected.fields[0] = QStringLiteral("Night Ops");
    expected.fields[5] = QStringLiteral("0");   // time limit Infinite
    expected.fields[12] = QStringLiteral("1");  // auto balance off
    expected.fields[13] = QStringLiteral("Line one = two; %three");
    expected.fields[17] = QStringLiteral("50");  // highest max friendly kills
    for (auto& weapon : expected.weapons)
        weapon.selected = weapon.name == QStringLiteral("M4") || weapon.name == "Barrett .50";
    expected.roles = {false, true, false, true};
    expected.autoLoad = true;
    UpdateBody body = bodyFor(expected);
    body.roleSlots = {QString(), QStringLiteral("Gunner"), QString(), QStringLiteral("Sniper")};

    EXPECT_EQ(remote.answer(request(wire::kSetSettings, wire::joinUpdateBody(body))), "1");
    EXPECT_EQ(remote.settings(), expected);
    EXPECT_EQ(RemotePlugin(state).settings(), expected);
}

// Updates the remote side must refuse ("0") or accept ("1"), each a change
// made to a body that restates the current settings.
struct UpdateCase {
    const char* name;
    QString (*body)(UpdateBody&);  // the body text to send
    const char* answer;
};

QString joined(UpdateBody& body) {
    return wire::joinUpdateBody(body);
}

class RemoteUpdateCases : public ::testing::TestWithParam<UpdateCase> {};

TEST_P(RemoteUpdateCases, AnswersAndKeepsStateWhenRefused) {
    RemotePlugin remote;
    const ServerSettings before = remote.settings();
    UpdateBody body = bodyFor(before);
    EXPECT_EQ(remote.answer(request(wire::kSetSettings, GetParam().body(body))), GetParam().answer);
    if (QString(GetParam().answer) == "0") {
        EXPECT_EQ(remote.settings(), before);
    }
}

// clang-format off
const UpdateCase kUpdateCases[] = {
    {"Unchanged", [](UpdateBody& b) { return joined(b); }, "1"},
    {"EmptyPasswordsAndNoWeapons", [](UpdateBody& b) {
        b.fields[3] = b.fields[14] = QString(); b.encodedWeapons.clear(); return joined(b); }, "1"},
    {"GreyedCheckBox", [](UpdateBody& b) { b.fields[9] = "2"; return joined(b); }, "1"},
    {"FlagReturnWithBlanks", [](UpdateBody& b) { b.fields[21] = " 45 "; return joined(b); }, "1"},
    {"EmptyBody", [](UpdateBody&) { return QString(); }, "0"},  // not four sections
    {"FieldMissing", [](UpdateBody& b) { b.fields.removeLast(); return joined(b); }, "0"},
    {"GamePortSent", [](UpdateBody& b) { b.fields << "17479"; return joined(b); }, "0"},
    {"SessionOutOfRange", [](UpdateBody& b) { b.fields[2] = "2"; return joined(b); }, "0"},
    {"PlayersNotANumber", [](UpdateBody& b) { b.fields[4] = "x"; return joined(b); }, "0"},
    {"NegativeTime", [](UpdateBody& b) { b.fields[5] = "-1"; return joined(b); }, "0"},
    {"CheckValueThree", [](UpdateBody& b) { b.fields[11] = "3"; return joined(b); }, "0"},
    {"AutoBalanceTwo", [](UpdateBody& b) { b.fields[12] = "2"; return joined(b); }, "0"},
    {"MaxFriendlyKillsZero", [](UpdateBody& b) { b.fields[17] = "0"; return joined(b); }, "0"},
    {"NameNotBase64", [](UpdateBody& b) { b.fields[0] = "***"; return joined(b); }, "0"},
    {"MaxPingBlank", [](UpdateBody& b) { b.fields[29] = ""; return joined(b); }, "0"},  // not numeric
    {"UnknownWeapon", [](UpdateBody& b) {
        b.encodedWeapons << jexremote::encodeText("Railgun"); return joined(b); }, "0"},
    {"RoleInWrongSlot", [](UpdateBody& b) { b.roleSlots[0] = "Medic"; return joined(b); }, "0"},
    {"FiveRoleSlots", [](UpdateBody& b) { return joined(b).replace("[-]|||[-]", "[-]||||[-]"); }, "0"},
    {"AutoLoadNotANumber", [](UpdateBody& b) { b.autoLoad = "yes"; return joined(b); }, "0"},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Bodies, RemoteUpdateCases, ::testing::ValuesIn(kUpdateCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
