// Our settings as the game's configuration and console lines: every value
// stays one value, whatever it holds, or is refused with the reason.
#include <gtest/gtest.h>

#include "remote/games/console_line.h"
#include "support/printers.h"

namespace {

using jexremote::games::SettingMapping;

const SettingMapping kName{.setting = "ServerName", .variable = "sv_name", .maxBytes = 16};
const SettingMapping kMotd{
    .setting = "Message", .variable = "sv_motd", .maxBytes = 32, .lineBreak = "\\n"};
const SettingMapping kPlayers{
    .setting = "Players", .variable = "sv_max_clients", .add = 1, .number = true};

struct LineCase {
    const char* name;
    const SettingMapping* mapping;
    QString stored;
    QString line;    // empty: refused
    QString reason;  // when refused
};

class SettingLine : public ::testing::TestWithParam<LineCase> {};

TEST_P(SettingLine, IsOneValueOrRefused) {
    QString reason;
    const auto line =
        jexremote::games::settingLine(*GetParam().mapping, GetParam().stored, &reason);
    EXPECT_EQ(line.value_or(QString()), GetParam().line);
    EXPECT_EQ(reason, GetParam().reason);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Rows, SettingLine, ::testing::Values(
    LineCase{"Plain", &kName, "Lobby", R"(sv_name "Lobby")", ""},
    LineCase{"Empty", &kName, "", R"(sv_name "")", ""},
    LineCase{"QuoteEndsNothing", &kName, R"(a" ; shutdown)", R"(sv_name "a\" ; shutdown")", ""},
    LineCase{"BackslashBeforeQuote", &kName, R"(a\";x)", R"(sv_name "a\\\";x")", ""},
    LineCase{"SemicolonAndHash", &kName, "x;echo #1", R"(sv_name "x;echo #1")", ""},
    LineCase{"HashFirstIsNoComment", &kName, "#x", R"(sv_name "#x")", ""},
    LineCase{"TrailingBackslashKeepsTheClosingQuote", &kName, "a\\", R"(sv_name "a\\")", ""},
    LineCase{"QuoteThenLineBreakThenCommand", &kMotd, "\"\nshutdown",
             R"(sv_motd "\"\\nshutdown")", ""},
    LineCase{"LineBreakAsTheGamesEscape", &kMotd, "one\ntwo", R"(sv_motd "one\\ntwo")", ""},
    LineCase{"CrLfIsOneBreak", &kMotd, "one\r\ntwo\rthree", R"(sv_motd "one\\ntwo\\nthree")", ""},
    LineCase{"LineBreakWhereNoEscape", &kName, "a\nshutdown", "",
             "holds a line break, which sv_name cannot take"},
    LineCase{"ControlCharacter", &kName, QString("a") + QChar(0x1b) + "b", "",
             "holds a control character"},
    LineCase{"LoneSurrogate", &kName, QString("a") + QChar(0xd800), "", "is not valid text"},
    LineCase{"SixteenBytesFit", &kName, "0123456789abcdef", R"(sv_name "0123456789abcdef")", ""},
    LineCase{"BytesNotCharactersCount", &kName, QString::fromUtf8("ééééééééé"), "",
             "is longer than the 16 bytes sv_name keeps"},
    LineCase{"EscapesCountAsWhatTheGameKeeps", &kMotd, QString(20, '"'),
             QString("sv_motd \"") + QString("\\\"").repeated(20) + "\"", ""},
    LineCase{"PlayersIndexToCount", &kPlayers, "15", "sv_max_clients 16", ""},
    LineCase{"PlayersNotANumber", &kPlayers, "15;kill", "", "is not a whole number"}),
    [](const auto& info) { return info.param.name; });
// clang-format on

struct CommandCase {
    const char* name;
    QString line;
    QString fault;
};

class CommandLine : public ::testing::TestWithParam<CommandCase> {};

TEST_P(CommandLine, IsTakenOrRefused) {
    EXPECT_EQ(jexremote::games::commandLineFault(GetParam().line), GetParam().fault);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Rows, CommandLine, ::testing::Values(
    CommandCase{"Say", "say hello", ""},
    CommandCase{"Blank", "   ", "the command is empty"},
    CommandCase{"SecondLine", "say hi\nshutdown", "the command holds a control character"},
    CommandCase{"CarriageReturn", "say hi\rshutdown", "the command holds a control character"},
    CommandCase{"LongestTaken", QString(256, 'a'), ""},
    CommandCase{"OneTooLong", QString(257, 'a'), "the command is longer than 256 characters"}),
    [](const auto& info) { return info.param.name; });
// clang-format on

}  // namespace
