// Game definitions as files: the shipped Teeworlds one as an operator would
// read it, and what makes a definition unreadable, each with its reason.
#include <gtest/gtest.h>

#include "remote/games/game_definition.h"
#include "support/game_servers.h"
#include "support/printers.h"

namespace {

using jexremote::games::GameDefinition;
using jexremote::games::readGameDefinition;

using jextest::shippedTeeworlds;

TEST(GameDefinition, ShippedTeeworldsMapsTheSettingsItTakes) {
    QString error;
    const auto definition =
        readGameDefinition(shippedTeeworlds(), QStringLiteral("teeworlds"), &error);
    ASSERT_TRUE(definition) << error.toStdString();
    EXPECT_EQ(definition->program, QStringLiteral("/usr/games/teeworlds-server"));
    EXPECT_EQ(definition->arguments, (QStringList{"-f", "{configFile}"}));
    EXPECT_EQ(definition->configFile, QStringLiteral("server.cfg"));
    EXPECT_TRUE(
        definition->readyLine
            .match(QStringLiteral("[2026-12-07 12:20:56][server]: version 0.7 802f1be60a05665f"))
            .hasMatch());
    EXPECT_FALSE(definition->readyLine
                     .match(QStringLiteral("[2026-12-07 12:20:56][server]: server name is 'x'"))
                     .hasMatch());
    EXPECT_EQ(definition->stopCommand, QStringLiteral("shutdown"));
    const QList<QPair<QString, QString>> mapped{{"ServerName", "sv_name"},
                                                {"Players", "sv_max_clients"},
                                                {"Password", "password"},
                                                {"Message", "sv_motd"},
                                                {"Time", "sv_timelimit"}};
    for (const auto& [setting, variable] : mapped) {
        const auto* mapping = definition->mappingOf(setting);
        ASSERT_NE(mapping, nullptr) << setting.toStdString();
        EXPECT_EQ(mapping->variable, variable);
    }
    EXPECT_EQ(definition->mappingOf(QStringLiteral("Players"))->add, 1);
    EXPECT_EQ(definition->mappingOf(QStringLiteral("Country")), nullptr);
    EXPECT_TRUE(definition->unused.contains(QStringLiteral("Weapons")));
}

struct BadCase {
    const char* name;
    QString from;  // a text of the shipped definition ...
    QString to;    // ... replaced by this
    QString reason;
};

class BadDefinition : public ::testing::TestWithParam<BadCase> {};

TEST_P(BadDefinition, IsRefusedWithItsReason) {
    QString json = QString::fromUtf8(shippedTeeworlds());
    ASSERT_TRUE(json.contains(GetParam().from)) << GetParam().from.toStdString();
    json.replace(GetParam().from, GetParam().to);
    QString error;
    EXPECT_FALSE(readGameDefinition(json.toUtf8(), QStringLiteral("teeworlds"), &error));
    EXPECT_EQ(error, GetParam().reason);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Rows, BadDefinition, ::testing::Values(
    BadCase{"NameOfAnotherFile", R"("name": "teeworlds")", R"("name": "ddnet")",
            R"(name: "ddnet" differs from the file's name "teeworlds")"},
    BadCase{"ProgramFoundThroughPath", R"("/usr/games/teeworlds-server")", R"("teeworlds-server")",
            "program: an absolute path is needed"},
    BadCase{"UnknownPlaceholder", R"("{configFile}")", R"("{home}")",
            "arguments: unknown placeholder {home}"},
    BadCase{"ConfigOutsideItsFolder", R"("server.cfg")", R"("../server.cfg")",
            "config.file: a plain file name inside the game's folder is needed"},
    BadCase{"FixedVariableThatIsTwoCommands", R"(["sv_register", "0"])",
            R"(["sv_register;shutdown", "0"])",
            "config.fixed[2]: a [variable, value] pair is needed"},
    BadCase{"ReadyLineNotAnExpression", R"("\\[server\\]: version ")", R"("[server")",
            "ready.line: not a regular expression: missing terminating ] for character class"},
    BadCase{"ReadyWaitTooLong", R"("seconds": 20)", R"("seconds": 601)",
            "ready.seconds: a whole number from 1 to 600 is needed"},
    BadCase{"UnknownSignal", R"("signal": "TERM")", R"("signal": "KILL")",
            "stop.signal: one of TERM, INT, HUP, QUIT is needed"},
    BadCase{"StopCommandOfTwoWords", R"("command": "shutdown")", R"("command": "say bye; shutdown")",
            "stop.command: one console word is needed"},
    BadCase{"MisspeltSetting", R"("setting": "Players")", R"("setting": "Plyers")",
            R"(settings[1]: unknown setting "Plyers")"},
    BadCase{"SettingMappedAndUnused", R"("Country", )", R"("Country", "Time", )",
            R"(unused: setting "Time" named twice)"},
    BadCase{"SettingForgotten", R"("GamePort",)", "",
            R"(settings: "GamePort" is neither mapped nor named unused)"},
    BadCase{"LineBreakEscapeWithALineBreak", R"("lineBreak": "\\n")", R"("lineBreak": "\n")",
            "settings[3].lineBreak: at most 8 characters, no line break"},
    BadCase{"NotJson", R"("name": "teeworlds")", R"("name": teeworlds)",
            "not JSON at offset 14: illegal value"}),
    [](const auto& info) { return info.param.name; });
// clang-format on

TEST(GameDefinition, LargerThanTheBoundIsRefusedUnread) {
    QString error;
    EXPECT_FALSE(readGameDefinition(QByteArray(64 * 1024 + 1, ' '), "teeworlds", &error));
    EXPECT_EQ(error, QStringLiteral("larger than 65536 bytes"));
}

}  // namespace
