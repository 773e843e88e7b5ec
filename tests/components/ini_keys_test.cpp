// INI keys through jexrcZTA.clsMFD, called late-bound: what a write keeps,
// where it puts new keys and sections, and how keys are found.
#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>

#include "component_test.h"
#include "jex/latebound.h"
#include "support/temp_host.h"

namespace {

using jextest::nonBlankLines;
using jextest::raisedNumber;

const char* const kFile = "profiles/1/settings/server.ssf";

class IniKeys : public testing::Test {
protected:
    IniKeys() { QDir().mkpath(QFileInfo(host.path(kFile)).path()); }

    QString get(const QString& section, const QString& key, const QString& path) {
        return jex::call(mfd.get(), "GetIniKey", {section, key, path}).toString();
    }
    QString get(const QString& section, const QString& key) {
        return get(section, key, host.path(kFile));
    }
    void write(const QString& section, const QString& key, const QString& value) {
        jex::call(mfd.get(), "WriteIniKey", {section, key, value, host.path(kFile)});
    }
    QByteArray content() const { return host.read(kFile); }

    jextest::TempHost host;
    std::unique_ptr<QObject> mfd = jextest::createComponent("jexrcZTA.clsMFD");
};

// One write into a file: the lines the file holds afterwards.
struct WriteCase {
    friend void PrintTo(const WriteCase& row, std::ostream* os) { *os << row.name; }
    const char* name;
    QByteArray before;
    QString section;
    QString key;
    QString value;
    QStringList after;
};

class IniWrite : public IniKeys, public testing::WithParamInterface<WriteCase> {};

TEST_P(IniWrite, KeepsTheRestOfTheFile) {
    const WriteCase& c = GetParam();
    host.write(kFile, c.before);
    write(c.section, c.key, c.value);
    EXPECT_EQ(nonBlankLines(content()), c.after);
}

INSTANTIATE_TEST_SUITE_P(
    ComponentIni, IniWrite,
    testing::Values(
        WriteCase{"ReplacesValueInPlace",
                  "[Server]\nName=Old\nPort=1\n[Roles]\nR1=1\n",
                  "Server",
                  "Name",
                  "New",
                  {"[Server]", "Name=New", "Port=1", "[Roles]", "R1=1"}},
        WriteCase{"MatchesSectionAndKeyInAnyCaseAndKeepsSpelling",
                  "[Server]\nName=Old\n",
                  "sERVER",
                  "NAME",
                  "New",
                  {"[Server]", "Name=New"}},
        WriteCase{"NewKeyAtEndOfItsSection",
                  "[Server]\nName=A\n[Roles]\nR1=1\n",
                  "Server",
                  "Port",
                  "5",
                  {"[Server]", "Name=A", "Port=5", "[Roles]", "R1=1"}},
        WriteCase{"NewSectionAtEndOfFile",
                  "[Server]\nName=A\n",
                  "Roles",
                  "R1",
                  "1",
                  {"[Server]", "Name=A", "[Roles]", "R1=1"}},
        WriteCase{"CommentsStayWithTheirEntries",
                  "; saved settings\n\n[Server]\n; the server's name\nName=A\n"
                  "# port\nPort=1\n; roles follow\n[Roles]\nR1=1\n",
                  "Server",
                  "Name",
                  "B",
                  {"; saved settings", "[Server]", "; the server's name", "Name=B", "# port",
                   "Port=1", "; roles follow", "[Roles]", "R1=1"}},
        WriteCase{"CommentsAfterTheLastEntryStay",
                  "[Settings]\nReportErrors=1\n;ReportErrors=0\n; end\n",
                  "Settings",
                  "ReportErrors",
                  "0",
                  {"[Settings]", "ReportErrors=0", ";ReportErrors=0", "; end"}},
        WriteCase{"NewSectionFollowsCommentsAfterTheLastEntry",
                  "[Settings]\nReportErrors=1\n;ReportErrors=0\n",
                  "Server",
                  "Name",
                  "A",
                  {"[Settings]", "ReportErrors=1", ";ReportErrors=0", "[Server]", "Name=A"}},
        WriteCase{"LinesThatAreNoEntryAreDropped",
                  "[Server]\nName=A\njust some words\n",
                  "Server",
                  "Port",
                  "1",
                  {"[Server]", "Name=A", "Port=1"}},
        WriteCase{"FileOfCommentsOnly",
                  "; nothing here yet\n",
                  "Server",
                  "Name",
                  "A",
                  {"; nothing here yet", "[Server]", "Name=A"}},
        WriteCase{"KeyListedTwiceIsWrittenOnce",
                  "[S]\nK=1\nOther=x\nk=2\n",
                  "S",
                  "K",
                  "3",
                  {"[S]", "K=3", "Other=x"}},
        WriteCase{"BlanksAroundNamesAreNotPartOfThem",
                  "[ Server ]\n Name = A \n",
                  "Server",
                  " Name ",
                  "B",
                  {"[Server]", "Name=B"}},
        WriteCase{"MissingFileIsCreated", "", "Server", "Name", "A", {"[Server]", "Name=A"}}),
    [](const auto& info) { return info.param.name; });

TEST_F(IniKeys, WritesClassicLayout) {
    write("Server", "Name", "Alpha");
    EXPECT_EQ(content(), QByteArray("[Server]\nName=Alpha\n"));
    write("Roles", "R1", "1");
    write("Server", "Port", "2");
    EXPECT_EQ(content(), QByteArray("[Server]\nName=Alpha\nPort=2\n\n[Roles]\nR1=1\n"));
}

TEST_F(IniKeys, ReadsKeysWithoutRegardToCase) {
    host.write(kFile, "[Server]\nName = Alpha\n");
    EXPECT_EQ(get("SERVER", "name"), QStringLiteral("Alpha"));
    EXPECT_EQ(get("server", "NAME"), QStringLiteral("Alpha"));
}

TEST_F(IniKeys, MissingFileSectionOrKeyReadsEmpty) {
    EXPECT_EQ(get("Server", "Name"), QString());
    host.write(kFile, "[Server]\nName=A\n");
    EXPECT_EQ(get("Roles", "Name"), QString());
    EXPECT_EQ(get("Server", "Port"), QString());
    EXPECT_EQ(get("Server", "Name", host.path("missing/folder/x.ini")), QString());
}

TEST_F(IniKeys, FirstOfTwoEqualKeysIsRead) {
    host.write(kFile, "[S]\nK=first\nK=second\n");
    EXPECT_EQ(get("S", "K"), QStringLiteral("first"));
}

TEST_F(IniKeys, ValuesKeepTheirInnerTextExactly) {
    const QStringList values = {QStringLiteral("a = b ; \"quoted\" # not a comment"),
                                QStringLiteral("<<<END"), QStringLiteral("Grüße, 日本"),
                                QStringLiteral("two  blanks"), QStringLiteral("[x]")};
    for (const QString& value : values) {
        write("Server", "Name", value);
        EXPECT_EQ(get("Server", "Name"), value);
    }
}

TEST_F(IniKeys, BlanksAroundAValueAreNotKept) {
    write("Server", "Name", "  padded  ");
    EXPECT_EQ(get("Server", "Name"), QStringLiteral("padded"));
}

TEST_F(IniKeys, EmptyValueIsStored) {
    host.write(kFile, "[Server]\nName=A\n");
    write("Server", "Name", "");
    EXPECT_EQ(get("Server", "Name"), QString());
    EXPECT_EQ(nonBlankLines(content()), QStringList({"[Server]", "Name="}));
}

TEST_F(IniKeys, WindowsLineBreaksAndByteOrderMarkAreKept) {
    host.write(kFile, "\xEF\xBB\xBF[Server]\r\nName=A\r\n");
    write("Server", "Port", "1");
    const QByteArray text = content();
    EXPECT_TRUE(text.startsWith("\xEF\xBB\xBF[Server]\r\n"));
    EXPECT_EQ(text.count("\r\n"), text.count('\n'));
    EXPECT_EQ(get("Server", "Port"), QStringLiteral("1"));
    EXPECT_EQ(get("Server", "Name"), QStringLiteral("A"));
}

TEST_F(IniKeys, ValuesOfOneByteEncodedFilesAreRead) {
    host.write(kFile,
               "[Server]\nName=Gr\xFC\xDF"
               "e\n");
    EXPECT_EQ(get("Server", "Name"), QStringLiteral("Grüße"));
}

// Names and values that an INI line cannot hold: refused, file untouched.
struct RefusedCase {
    friend void PrintTo(const RefusedCase& row, std::ostream* os) { *os << row.name; }
    const char* name;
    QString section;
    QString key;
    QString value;
};

class IniRefused : public IniKeys, public testing::WithParamInterface<RefusedCase> {};

TEST_P(IniRefused, Raises5AndLeavesFileAlone) {
    const QByteArray before = "[Server]\nName=A\n";
    host.write(kFile, before);
    const RefusedCase& c = GetParam();
    EXPECT_EQ(raisedNumber([&] { write(c.section, c.key, c.value); }), jex::err::InvalidCall);
    EXPECT_EQ(content(), before);
}

INSTANTIATE_TEST_SUITE_P(ComponentIni, IniRefused,
                         testing::Values(RefusedCase{"EmptySection", "", "Name", "x"},
                                         RefusedCase{"BlankSection", "  ", "Name", "x"},
                                         RefusedCase{"BracketInSection", "Ser]ver", "Name", "x"},
                                         RefusedCase{"EmptyKey", "Server", "", "x"},
                                         RefusedCase{"EqualsInKey", "Server", "Na=me", "x"},
                                         RefusedCase{"KeyReadAsComment", "Server", ";Name", "x"},
                                         RefusedCase{"KeyReadAsSection", "Server", "[Name]", "x"},
                                         RefusedCase{"LineBreakInValue", "Server", "Name", "a\nb"},
                                         RefusedCase{"ReturnInKey", "Server", "Na\rme", "x"}),
                         [](const auto& info) { return info.param.name; });

TEST_F(IniKeys, WriteIntoAMissingFolderRaises76) {
    host.write("plain", "not a folder");
    for (const char* path : {"missing/server.ssf", "plain/server.ssf"}) {
        EXPECT_EQ(raisedNumber([&] {
                      jex::call(mfd.get(), "WriteIniKey", {"Server", "Name", "A", host.path(path)});
                  }),
                  jex::err::PathNotFound)
            << path;
    }
    EXPECT_EQ(host.read("plain"), QByteArray("not a folder"));
}

TEST_F(IniKeys, FolderInPlaceOfTheFileRaises75) {
    host.write(QString::fromLatin1(kFile) + "/inner", "x");
    EXPECT_EQ(raisedNumber([&] { write("Server", "Name", "A"); }), jex::err::PathFileAccess);
    EXPECT_EQ(raisedNumber([&] { get("Server", "Name"); }), jex::err::PathFileAccess);
}

TEST_F(IniKeys, FileThatIsNotTextIsNotRewritten) {
    const QByteArray before("[Server]\nName=A\n\0binary", 23);
    host.write(kFile, before);
    EXPECT_EQ(raisedNumber([&] { write("Server", "Name", "B"); }), jex::err::PathFileAccess);
    EXPECT_EQ(content(), before);
}

}  // namespace
