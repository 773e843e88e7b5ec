// The remote side in-process: which updates it stores and which it refuses,
// what an operator without a privilege may change, which state files it
// reads and how it writes free text into them.
#include <QFile>

#include <gtest/gtest.h>

#include <variant>

#include "exchange/wire/request.h"
#include "remote/store/state_file.h"
#include "remote_fixture.h"
#include "support/temp_host.h"

namespace {

using jexremote::ServerSettings;
using jextest::base64;
using jextest::superAdmin;
using jextest::withoutMaxPlayers;
using kdrsm::wire::UpdateBody;
namespace wire = kdrsm::wire;

using Remote = jextest::ManagedServer;

struct UpdateCase {
    const char* name;
    QString (*body)(UpdateBody&);
    bool superAdmin;
    const char* answer;
};

QString joined(UpdateBody& body) {
    return wire::joinUpdateBody(body);
}

class RemoteUpdateCases : public ::testing::TestWithParam<UpdateCase> {};

TEST_P(RemoteUpdateCases, StoresOnlyWhatTheRulesAndPrivilegesAllow) {
    Remote remote;
    const ServerSettings before = *remote.store.settings(0);
    const QByteArray fileBefore = remote.host.read(QStringLiteral("state/server-0.ini"));
    UpdateBody body = jextest::restatingBody();
    const auto who = GetParam().superAdmin ? superAdmin() : withoutMaxPlayers();
    EXPECT_EQ(remote.send(wire::kSetSettings, GetParam().body(body), who), GetParam().answer);

    const auto onDisk =
        jexremote::readStateFile(remote.host.path(QStringLiteral("state/server-0.ini")));
    ASSERT_TRUE(std::holds_alternative<ServerSettings>(onDisk));
    EXPECT_EQ(std::get<ServerSettings>(onDisk), *remote.store.settings(0));
    if (QString(GetParam().answer) == "0") {
        EXPECT_EQ(*remote.store.settings(0), before);
        EXPECT_EQ(remote.host.read(QStringLiteral("state/server-0.ini")), fileBefore);
    }
}

// clang-format off
const UpdateCase kUpdateCases[] = {
    {"Unchanged", [](UpdateBody& b) { return joined(b); }, true, "1"},
    {"NoPasswordsNoWeaponsAllRoles", [](UpdateBody& b) {
        b.fields[3] = b.fields[14] = QString(); b.encodedWeapons.clear();
        b.roleSlots = {"CQB", "Gunner", "Medic", "Sniper"}; return joined(b); }, true, "1"},
    {"GreyedCheckBox", [](UpdateBody& b) { b.fields[9] = "2"; return joined(b); }, true, "1"},
    {"FlagReturnThreeCharacters", [](UpdateBody& b) { b.fields[21] = " 45"; return joined(b); }, true, "1"},
    {"FlagReturnFourCharacters", [](UpdateBody& b) { b.fields[21] = " 45 "; return joined(b); }, true, "0"},
    {"Name31Characters", [](UpdateBody& b) { b.fields[0] = base64(QString(31, 'n')); return joined(b); }, true, "1"},
    {"Name32Characters", [](UpdateBody& b) { b.fields[0] = base64(QString(32, 'n')); return joined(b); }, true, "0"},
    {"Password17Characters", [](UpdateBody& b) { b.fields[3] = base64(QString(17, 'p')); return joined(b); }, true, "0"},
    {"EmptyBody", [](UpdateBody&) { return QString(); }, true, "0"},
    {"GamePortSent", [](UpdateBody& b) { b.fields << "17479"; return joined(b); }, true, "0"},
    {"SessionOutOfRange", [](UpdateBody& b) { b.fields[2] = "2"; return joined(b); }, true, "0"},
    {"PlayersNotANumber", [](UpdateBody& b) { b.fields[4] = "x"; return joined(b); }, true, "0"},
    {"PlayersLeadingZero", [](UpdateBody& b) { b.fields[4] = "031"; return joined(b); }, true, "0"},
    {"PlayersFifty", [](UpdateBody& b) { b.fields[4] = "49"; return joined(b); }, true, "1"},
    {"PlayersFiftyOne", [](UpdateBody& b) { b.fields[4] = "50"; return joined(b); }, true, "0"},
    {"NegativeTime", [](UpdateBody& b) { b.fields[5] = "-1"; return joined(b); }, true, "0"},
    {"CheckValueThree", [](UpdateBody& b) { b.fields[11] = "3"; return joined(b); }, true, "0"},
    {"AutoBalanceTwo", [](UpdateBody& b) { b.fields[12] = "2"; return joined(b); }, true, "0"},
    {"MaxFriendlyKillsZero", [](UpdateBody& b) { b.fields[17] = "0"; return joined(b); }, true, "0"},
    {"NameNotBase64", [](UpdateBody& b) { b.fields[0] = "***"; return joined(b); }, true, "0"},
    {"MaxPingBlank", [](UpdateBody& b) { b.fields[29] = ""; return joined(b); }, true, "0"},
    {"UnknownWeapon", [](UpdateBody& b) { b.encodedWeapons << base64("Railgun"); return joined(b); }, true, "0"},
    {"AutoLoadNotANumber", [](UpdateBody& b) { b.autoLoad = "yes"; return joined(b); }, true, "0"},
    // An operator without "Change Max Players" sends the disabled list's value.
    {"NoPrivilegeSamePlayers", [](UpdateBody& b) { b.fields[0] = base64("Renamed"); return joined(b); }, false, "1"},
    {"NoPrivilegeOtherPlayers", [](UpdateBody& b) { b.fields[4] = "15"; return joined(b); }, false, "0"},
    {"NoPrivilegeOtherSession", [](UpdateBody& b) { b.fields[2] = "1"; return joined(b); }, false, "1"},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Bodies, RemoteUpdateCases, ::testing::ValuesIn(kUpdateCases),
                         [](const auto& info) { return std::string(info.param.name); });

struct RequestCase {
    const char* name;
    QString command;
    int profile;
    const char* answerStart;
};

class RemoteRequestCases : public ::testing::TestWithParam<RequestCase> {};

TEST_P(RemoteRequestCases, AnswersByCommandAndProfile) {
    Remote remote;
    const QString answer = remote.send(GetParam().command, {}, superAdmin(), GetParam().profile);
    EXPECT_TRUE(answer.startsWith(QString::fromUtf8(GetParam().answerStart)))
        << answer.left(60).toStdString();
}

// clang-format off
const RequestCase kRequestCases[] = {
    {"ProfileNotManaged", wire::kGetSettings, 7, "Failed"},
    {"UpdateOfProfileNotManaged", wire::kSetSettings, 7, "Failed"},
    {"UnknownCommand", QStringLiteral("DeleteServer"), 0, "Failed"},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Requests, RemoteRequestCases, ::testing::ValuesIn(kRequestCases),
                         [](const auto& info) { return std::string(info.param.name); });

struct StateFileCase {
    const char* name;
    QByteArray (*text)();
    const char* refusal;  // after the file's path; "" when the file is read
};

class StateFileCases : public ::testing::TestWithParam<StateFileCase> {};

TEST_P(StateFileCases, ReadsOrRefusesNamingLineAndSetting) {
    jextest::TempHost host;
    host.write(QStringLiteral("server-0.ini"), GetParam().text());
    const QString path = host.path(QStringLiteral("server-0.ini"));
    const auto read = jexremote::readStateFile(path);
    if (*GetParam().refusal == '\0') {
        EXPECT_TRUE(std::holds_alternative<ServerSettings>(read))
            << std::get<QString>(read).toStdString();
        return;
    }
    ASSERT_TRUE(std::holds_alternative<QString>(read));
    EXPECT_EQ(std::get<QString>(read), path + QString::fromUtf8(GetParam().refusal));
}

QByteArray replaced(const char* from, const char* to) {
    return jextest::stateText().replace(from, to);
}

// clang-format off
const StateFileCase kStateFileCases[] = {
    {"AsWritten", [] { return jextest::stateText(); }, ""},
    {"CommentsAndBlanks", [] { return "; kept by hand\n\n" + jextest::stateText(); }, ""},
    {"WindowsLineEnds", [] { return "\xEF\xBB\xBF" + jextest::stateText().replace("\n", "\r\n"); }, ""},
    {"PlayersNotANumber", [] { return replaced("Players=31", "Players=abc"); }, ":6: setting Players: not a whole number"},
    {"LineWithoutEquals", [] { return replaced("Session=0\n", "Session=0\ngarbage\n"); }, ":5: setting -: not a key=value line of a section"},
    {"MisspeltSetting", [] { return replaced("Players=", "Playres="); }, ":6: setting Playres: unknown setting"},
    {"SettingTwice", [] { return replaced("Maps=2\n", "Maps=2\nMaps=1\n"); }, ":10: setting -: key Maps twice"},
    {"SettingMissing", [] { return replaced("GamePort=17479\n", ""); }, ":0: setting GamePort: missing"},
    {"MessageTooLong", [] { return replaced("Message=Hi", "Message=" + QByteArray(86, 'm')); }, ":15: setting Message: longer than 85 characters"},
    {"BadEscape", [] { return replaced("Message=Hi", "Message=H\\qi"); }, ":15: setting Message: a bad backslash escape"},
    {"RestrictionNotAFlag", [] { return replaced("MP5=0", "MP5=yes"); }, ":43: setting Weapons: MP5 is not 0 or 1"},
    {"ThreeRoles", [] { return replaced("Sniper=0\n", ""); }, ":36: setting Roles: not exactly 4 roles"},
    {"UnknownSection", [] { return replaced("[Options]", "[Extras]"); }, ":44: setting Extras: unknown section"},
    {"KeyBeforeAnySection", [] { return "Players=3\n" + jextest::stateText(); }, ":1: setting -: not a key=value line of a section"},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Files, StateFileCases, ::testing::ValuesIn(kStateFileCases),
                         [](const auto& info) { return std::string(info.param.name); });

struct FreeTextCase {
    const char* name;
    QString message;
    const char* line;  // as the state file holds it
};

class FreeTextCases : public ::testing::TestWithParam<FreeTextCase> {};

TEST_P(FreeTextCases, StateFileKeepsTheTextExactly) {
    jextest::TempHost host;
    ServerSettings settings = jexremote::defaultSettings();
    settings.fields[13] = GetParam().message;
    const QString path = host.path(QStringLiteral("server-0.ini"));
    QString error;
    ASSERT_TRUE(jexremote::writeStateFile(path, settings, &error)) << error.toStdString();
    EXPECT_TRUE(host.read(QStringLiteral("server-0.ini")).contains(GetParam().line));
    const auto read = jexremote::readStateFile(path);
    ASSERT_TRUE(std::holds_alternative<ServerSettings>(read));
    EXPECT_EQ(std::get<ServerSettings>(read).fields[13], GetParam().message);
    // Owner, group and other bits: read and write for the owner alone.
    EXPECT_EQ(int(QFile::permissions(path) & 0x7077), 0x6000);
}

// clang-format off
const FreeTextCase kFreeTextCases[] = {
    {"BlanksAtBothEnds", "  two  ", "\nMessage = \\s two \\s\n"},
    {"LineBreaks", "one\r\ntwo", "\nMessage = one\\r\\ntwo\n"},
    {"Backslash", "C:\\temp", "\nMessage = C:\\\\temp\n"},
    {"CommasAndSeparators", "a, b [-] | = ; # c", "\nMessage = a, b [-] | = ; # c\n"},
    {"NotLatin", "Grüße ✓", "\nMessage = Grüße ✓\n"},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Texts, FreeTextCases, ::testing::ValuesIn(kFreeTextCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
