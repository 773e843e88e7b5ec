// The console's servers file: what it refuses (with file and line, leaving
// the file as it was), what the first start writes, and edits that keep the
// rest of the user's file.
#include <gtest/gtest.h>

#include <functional>
#include <variant>

#include "host/servers/embedded_profiles.h"
#include "host/servers/servers_file.h"
#include "remote/store/state_file.h"
#include "support/temp_host.h"

namespace {

using jexhost::servers::ServerEntry;
using jexhost::servers::ServersRead;

const QString kFile = QStringLiteral("settings/servers.ini");

// A server's keys after its Name line, for rows that break something else.
const QByteArray kRest = "Game=G\nRemote=embedded\nProfile=0\nTag=t\n";

struct BrokenCase {
    const char* name;
    QByteArray text;
    QString problem;  // what follows the file's path
};

class BrokenFiles : public ::testing::TestWithParam<BrokenCase> {};

TEST_P(BrokenFiles, AreReportedWithTheirLineAndLeftAsTheyAre) {
    const jextest::TempHost host;
    host.write(kFile, GetParam().text);
    const QString path = host.path(kFile);
    const ServersRead read = jexhost::servers::openServersFile(path);
    EXPECT_EQ(read.error, path + GetParam().problem);
    EXPECT_TRUE(read.servers.isEmpty());
    EXPECT_EQ(host.read(kFile), GetParam().text);

    ServerEntry entry{{}, "New", "G", "embedded", {}, 5, "new"};
    QString error;
    EXPECT_FALSE(jexhost::servers::addServer(path, &entry, &error));
    EXPECT_EQ(error, path + GetParam().problem);
    EXPECT_EQ(host.read(kFile), GetParam().text);
}

QByteArray manySections(int count) {
    QByteArray text;
    for (int i = 0; i < count; ++i)
        text += "[s" + QByteArray::number(i) + "]\nName=n" + QByteArray::number(i) +
                "\nGame=G\nRemote=embedded\nProfile=" + QByteArray::number(i) + "\nTag=t\n";
    return text;
}

// clang-format off
const BrokenCase kBrokenCases[] = {
    {"NotAKeyLine", "# ok\n[a]\nName=x\njunk\n" + kRest, ":4: neither [section], Key=value nor a comment"},
    {"KeyBeforeSection", "Name=x\n", ":1: a key before the first server's section"},
    {"SectionTwice", "[a]\nName=x\n" + kRest + "[a]\n", ":7: [a] a second time"},
    {"KeyTwice", "[a]\nName=x\nName=y\n" + kRest, ":3: [a] Name a second time"},
    {"SectionNameWithBlank", "[a b]\n", ":1: a server's section name takes only A-Z a-z 0-9 - _ ."},
    {"NotUtf8", "[a]\nName=\xff\n", ":2: not UTF-8 text"},
    {"NameMissing", "\n[a]\n" + kRest, ":2: [a] Name: missing"},
    {"NameEmpty", "[a]\nName=\n" + kRest, ":2: [a] Name: empty"},
    {"NameTooLong", "[a]\nName=" + QByteArray(65, 'n') + "\n" + kRest, ":2: [a] Name: longer than 64 characters"},
    {"NameWithControlCharacter", "[a]\nName=a\x01" "b\n" + kRest, ":2: [a] Name: holds a control character"},
    {"HttpRemote", "[a]\nName=x\nGame=G\nRemote=http://h:1\nProfile=0\nTag=t\n",
     ":4: [a] Remote: neither \"embedded\" nor a ws:// or wss:// address"},
    {"RemoteWithPassword", "[a]\nName=x\nGame=G\nRemote=ws://bob:pw@h:1\nTokenFile=t\nProfile=0\nTag=t\n",
     ":4: [a] Remote: holds a user name or password"},
    {"RemoteWithoutTokenFile", "[a]\nName=x\nGame=G\nRemote=wss://h:1\nProfile=0\nTag=t\n",
     ":1: [a] TokenFile: needed for a ws:// or wss:// remote"},
    {"ProfileNegative", "[a]\nName=x\nGame=G\nRemote=embedded\nProfile=-1\nTag=t\n",
     ":5: [a] Profile: not a whole number from 0 to 999999999"},
    {"ProfileLeadingZero", "[a]\nName=x\nGame=G\nRemote=embedded\nProfile=01\nTag=t\n",
     ":5: [a] Profile: not a whole number from 0 to 999999999"},
    {"ProfileTooLarge", "[a]\nName=x\nGame=G\nRemote=embedded\nProfile=1000000000\nTag=t\n",
     ":5: [a] Profile: not a whole number from 0 to 999999999"},
    {"TagBreakingTheRequestText", "[a]\nName=x\nGame=G\nRemote=embedded\nProfile=0\nTag=a_VB6_b\n",
     ":6: [a] Tag: holds \"_VB6_\""},
    {"SameName", "[a]\nName=x\n" + kRest + "[b]\nName=x\nGame=G\nRemote=embedded\nProfile=1\nTag=t\n",
     ":8: [b] Name: \"x\" is already the name of [a]"},
    {"SameTagAndProfile", "[a]\nName=x\n" + kRest + "[b]\nName=y\n" + kRest,
     ":12: [b] Tag: tag \"t\" with profile 0 is already used by [a]"},
    {"TooManyServers", manySections(10001), ":60001: more than 10000 servers"},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Servers, BrokenFiles, ::testing::ValuesIn(kBrokenCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ServersFile, WhatIsNotASmallFileIsRefusedUnread) {
    const jextest::TempHost host;
    const QByteArray text = "#" + QByteArray(4200 * 1024, 'x') + "\n";
    host.write(kFile, text);
    EXPECT_EQ(jexhost::servers::openServersFile(host.path(kFile)).error,
              host.path(kFile) + ": larger than 4194304 bytes");
    EXPECT_EQ(host.read(kFile), text);
    // A folder where the file should be is not replaced by the default.
    host.write("other/servers.ini/keep", "x");
    EXPECT_EQ(jexhost::servers::openServersFile(host.path("other/servers.ini")).error,
              host.path("other/servers.ini") + ": not a file");
}

TEST(ServersFile, FirstStartWritesTwoEmbeddedServersWithTheirOwnSettings) {
    const jextest::TempHost host;
    const ServersRead first = jexhost::servers::openServersFile(host.path(kFile));
    ASSERT_TRUE(first.ok()) << first.error.toStdString();
    EXPECT_TRUE(first.created);
    EXPECT_EQ(host.read(kFile),
              "# The servers of this console, one section per server.\n"
              "#   Name       shown in the server list\n"
              "#   Game       the game, as the plug-ins name it\n"
              "#   Remote     embedded (this console's own remote side), ws://HOST:PORT or "
              "wss://HOST:PORT\n"
              "#   TokenFile  for ws:// and wss://: the file holding the token for that remote\n"
              "#   Profile    the server's profile on its remote\n"
              "#   Tag        the panel's host tag for this server\n"
              "[lobby]\nName=Delta Force lobby\nGame=Delta Force,  V1.5.0.5\nRemote=embedded\n"
              "Profile=0\nTag=desk0\n\n"
              "[affiliate]\nName=NovaWorld affiliate\n"
              "Game=Delta Force, NovaWorld Affiliate Server V1.5.0.11A\nRemote=embedded\n"
              "Profile=1\nTag=desk1\n");
    // clang-format off
    const QList<ServerEntry> expected{
        {"lobby", "Delta Force lobby", "Delta Force,  V1.5.0.5", "embedded", {}, 0, "desk0"},
        {"affiliate", "NovaWorld affiliate", "Delta Force, NovaWorld Affiliate Server V1.5.0.11A",
         "embedded", {}, 1, "desk1"}};
    // clang-format on
    EXPECT_EQ(first.servers, expected);

    // The embedded remote side gets a state file per profile, the second one
    // different from a new server; a file already there is left alone.
    host.write("state/server-0.ini", "kept");
    QString error;
    ASSERT_TRUE(jexhost::servers::seedEmbeddedProfiles(host.path("state"), first.servers, &error))
        << error.toStdString();
    EXPECT_EQ(host.read("state/server-0.ini"), "kept");
    const auto second = jexremote::readStateFile(host.path("state/server-1.ini"));
    ASSERT_TRUE(std::holds_alternative<jexremote::ServerSettings>(second));
    const auto& fields = std::get<jexremote::ServerSettings>(second).fields;
    EXPECT_EQ(fields[0], "NovaWorld Affiliate");  // ServerName
    EXPECT_EQ(fields[4], "15");                   // Players: 16
    EXPECT_EQ(fields[5], "45");                   // Time

    // Started again, the file is read, not written.
    host.write(kFile, "[only]\nName=Mine\nGame=G\nRemote=embedded\nProfile=3\nTag=x\n");
    const ServersRead again = jexhost::servers::openServersFile(host.path(kFile));
    EXPECT_FALSE(again.created);
    EXPECT_EQ(again.servers, (QList<ServerEntry>{{"only", "Mine", "G", "embedded", {}, 3, "x"}}));
}

// A user's file with comments, an unknown key and no blank line at the end
// of a section; each edit starts from it.
const QByteArray kUserFile =
    "; my servers\n[home]\nName=Home\nGame=G\nRemote=embedded\nProfile=0\nTag=h\nColour=blue\n"
    "# the office one\n[office]\nName=Office\nGame=G\nRemote=ws://office:4711\n"
    "TokenFile=tokens/office\nProfile=2\nTag=o\n";

using Edit = std::function<bool(const QString& path, QString* error)>;

struct EditCase {
    const char* name;
    Edit edit;
    QByteArray expected;  // the file afterwards
    QString error;        // after the path, for refused edits
};

class Edits : public ::testing::TestWithParam<EditCase> {};

TEST_P(Edits, ChangeOnlyTheirServer) {
    const jextest::TempHost host;
    host.write(kFile, kUserFile);
    const QString path = host.path(kFile);
    QString error;
    EXPECT_EQ(GetParam().edit(path, &error), GetParam().error.isEmpty());
    EXPECT_EQ(error, GetParam().error.isEmpty() ? QString() : path + GetParam().error);
    EXPECT_EQ(host.read(kFile), GetParam().expected);
    EXPECT_TRUE(jexhost::servers::readServersFile(path).ok());
}

namespace servers = jexhost::servers;
const QByteArray kOffice =
    "# the office one\n[office]\nName=Office\nGame=G\nRemote=ws://office:4711\n"
    "TokenFile=tokens/office\nProfile=2\nTag=o\n";

// clang-format off
const EditCase kEditCases[] = {
    {"AddAppendsASection",
     [](const QString& path, QString* error) {
         ServerEntry entry{{}, "Club", "G", "wss://club:443", "/keys/club", 0, "c"};
         return servers::addServer(path, &entry, error) && entry.id == "server-1"; },
     kUserFile + "\n[server-1]\nName=Club\nGame=G\nRemote=wss://club:443\nTokenFile=/keys/club\n"
                 "Profile=0\nTag=c\n", {}},
    {"UpdateRewritesItsLinesAndAddsAMissingKey",
     [](const QString& path, QString* error) {
         return servers::updateServer(path, {"home", "Home 2", "G", "ws://club:1", "club.token", 4, "h"}, error); },
     "; my servers\n[home]\nName=Home 2\nGame=G\nRemote=ws://club:1\nProfile=4\nTag=h\n"
     "Colour=blue\nTokenFile=club.token\n" + kOffice, {}},
    {"UpdateToEmbeddedEmptiesTheTokenFile",
     [](const QString& path, QString* error) {
         return servers::updateServer(path, {"office", "Office", "G", "embedded", {}, 2, "o"}, error); },
     QByteArray(kUserFile).replace("ws://office:4711\nTokenFile=tokens/office", "embedded\nTokenFile="), {}},
    {"RemoveKeepsTheNextSectionsComment",
     [](const QString& path, QString* error) { return servers::removeServer(path, "home", error); },
     "; my servers\n" + kOffice, {}},
    {"AddWithATakenNameIsRefused",
     [](const QString& path, QString* error) {
         ServerEntry entry{{}, "Office", "G", "embedded", {}, 9, "n"};
         return servers::addServer(path, &entry, error); },
     kUserFile, ": [server-1] Name: \"Office\" is already the name of [office]"},
    {"AddSeveralInOneWrite",
     [](const QString& path, QString* error) {
         QList<ServerEntry> entries{{{}, "A", "G", "ws://far:1", "t", 0, "far"},
                                    {{}, "B", "G", "ws://far:1", "t", 1, "far"}};
         return servers::addServers(path, &entries, error) && entries[1].id == "server-2"; },
     kUserFile + "\n[server-1]\nName=A\nGame=G\nRemote=ws://far:1\nTokenFile=t\nProfile=0\nTag=far\n"
                 "\n[server-2]\nName=B\nGame=G\nRemote=ws://far:1\nTokenFile=t\nProfile=1\nTag=far\n", {}},
    {"AddSeveralIsAllOrNone",
     [](const QString& path, QString* error) {
         QList<ServerEntry> entries{{{}, "A", "G", "ws://far:1", "t", 0, "far"},
                                    {{}, "A", "G", "ws://far:1", "t", 1, "far"}};
         return servers::addServers(path, &entries, error); },
     kUserFile, ": [server-2] Name: \"A\" is already the name of [server-1]"},
    {"UpdateOfAnUnknownServerIsRefused",
     [](const QString& path, QString* error) {
         return servers::updateServer(path, {"gone", "Gone", "G", "embedded", {}, 9, "g"}, error); },
     kUserFile, ": no server [gone]"},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Servers, Edits, ::testing::ValuesIn(kEditCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
