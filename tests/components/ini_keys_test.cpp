// INI keys through jexrcZTA.clsMFD, called late-bound: what a write keeps,
// where it puts new keys and sections, and how keys are found.
#include <gtest/gtest.h>

#include "component_test.h"

namespace {

using jextest::nonBlankLines;
using jextest::raisedNumber;

const char* const kFile = "server.ssf";

class IniKeys : public jextest::MfdTest {
protected:
    QString get(const QString& section, const QString& key, const char* file = kFile) {
        return jex::call(mfd.get(), "GetIniKey", {section, key, host.path(file)}).toString();
    }
    void write(const QString& section, const QString& key, const QString& value) {
        jex::call(mfd.get(), "WriteIniKey", {section, key, value, host.path(kFile)});
    }
    QByteArray content() const { return host.read(kFile); }
};

// One write into a file: the non-blank lines the file holds afterwards.
struct WriteCase {
    friend void PrintTo(const WriteCase& row, std::ostream* os) { *os << row.name; }
    const char* name;
    QByteArray before;
    QString section, key, value;
    QString after;
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
        WriteCase{"ReplacesValueInPlace", "[Server]\nName=Old\nPort=1\n[Roles]\nR1=1\n", "Server",
                  "Name", "New", "[Server]\nName=New\nPort=1\n[Roles]\nR1=1"},
        WriteCase{"MatchesSectionAndKeyInAnyCaseAndKeepsSpelling", "[Server]\nName=Old\n", "sERVER",
                  "NAME", "New", "[Server]\nName=New"},
        WriteCase{"NewKeyAtEndOfItsSection", "[Server]\nName=A\n[Roles]\nR1=1\n", "Server", "Port",
                  "5", "[Server]\nName=A\nPort=5\n[Roles]\nR1=1"},
        WriteCase{"NewSectionAtEndOfFile", "[Server]\nName=A\n", "Roles", "R1", "1",
                  "[Server]\nName=A\n[Roles]\nR1=1"},
        WriteCase{"CommentsStayWithTheirEntries",
                  "; saved settings\n\n[Server]\n; the server's name\nName=A\n# port\nPort=1\n"
                  "; roles follow\n[Roles]\nR1=1\n",
                  "Server", "Name", "B",
                  "; saved settings\n[Server]\n; the server's name\nName=B\n# port\nPort=1\n"
                  "; roles follow\n[Roles]\nR1=1"},
        WriteCase{"CommentsAfterTheLastEntryStay",
                  "[Settings]\nReportErrors=1\n;ReportErrors=0\n; end\n", "Settings",
                  "ReportErrors", "0", "[Settings]\nReportErrors=0\n;ReportErrors=0\n; end"},
        WriteCase{"NewSectionFollowsCommentsAfterTheLastEntry",
                  "[Settings]\nReportErrors=1\n;ReportErrors=0\n", "Server", "Name", "A",
                  "[Settings]\nReportErrors=1\n;ReportErrors=0\n[Server]\nName=A"},
        WriteCase{"LinesThatAreNoEntryAreDropped", "[Server]\nName=A\njust some words\n", "Server",
                  "Port", "1", "[Server]\nName=A\nPort=1"},
        WriteCase{"FileOfCommentsOnly", "; nothing here yet\n", "Server", "Name", "A",
                  "; nothing here yet\n[Server]\nName=A"},
        WriteCase{"KeyListedTwiceIsWrittenOnce", "[S]\nK=1\nOther=x\nk=2\n", "S", "K", "3",
                  "[S]\nK=3\nOther=x"},
        WriteCase{"BlanksAroundNamesAreNotPartOfThem", "[ Server ]\n Name = A \n", "Server",
                  " Name ", "B", "[Server]\nName=B"},
        WriteCase{"EmptyValueIsStored", "[Server]\nName=A\n", "Server", "Name", "",
                  "[Server]\nName="}),
    [](const auto& info) { return info.param.name; });

// A missing file is created, in the classic layout.
TEST_F(IniKeys, WritesClassicLayout) {
    write("Server", "Name", "Alpha");
    EXPECT_EQ(content(), QByteArray("[Server]\nName=Alpha\n"));
    write("Roles", "R1", "1");
    write("Server", "Port", "2");
    EXPECT_EQ(content(), QByteArray("[Server]\nName=Alpha\nPort=2\n\n[Roles]\nR1=1\n"));
}

TEST_F(IniKeys, WindowsLineBreaksAndByteOrderMarkAreKept) {
    host.write(kFile, "\xEF\xBB\xBF[Server]\r\nName=A\r\n");
    write("Server", "Port", "1");
    EXPECT_EQ(content(), QByteArray("\xEF\xBB\xBF[Server]\r\nName=A\r\nPort=1\r\n"));
    EXPECT_EQ(get("Server", "Name"), QStringLiteral("A"));
}

TEST_F(IniKeys, ReadsKeysInAnyCaseAndMissingOnesAsEmpty) {
    host.write(kFile,
               "[Server]\nName = Gr\xFC\xDF"
               "e\n[S]\nK=first\nk=second\n");
    EXPECT_EQ(get("SERVER", "name"), QStringLiteral("Grüße"));  // a one-byte encoded file
    EXPECT_EQ(get("s", "K"), QStringLiteral("first"));          // the first of two
    EXPECT_EQ(get("Roles", "Name"), QString());
    EXPECT_EQ(get("Server", "Port"), QString());
    EXPECT_EQ(get("Server", "Name", "missing.ini"), QString());
    EXPECT_EQ(get("Server", "Name", "missing/folder/x.ini"), QString());
}

TEST_F(IniKeys, ValuesRoundTripWithoutOuterBlanks) {
    for (const QString& value :
         {QStringLiteral("a = b ; \"quoted\" # not a comment"), QStringLiteral("<<<END"),
          QStringLiteral("Grüße, 日本"), QStringLiteral("two  blanks"), QStringLiteral("[x]")}) {
        write("Server", "Name", value);
        EXPECT_EQ(get("Server", "Name"), value);
    }
    write("Server", "Name", "  padded  ");
    EXPECT_EQ(get("Server", "Name"), QStringLiteral("padded"));
}

TEST_F(IniKeys, NamesOrValuesNoLineCanHoldRaise5AndLeaveTheFile) {
    const QByteArray before = "[Server]\nName=A\n";
    host.write(kFile, before);
    // Empty or blank section, "]" in a section, empty key, "=" in a key, keys
    // that read as a comment or a section, line breaks.
    const QStringList rows[] = {
        {"", "Name", "x"},         {"  ", "Name", "x"},        {"Ser]ver", "Name", "x"},
        {"Server", "", "x"},       {"Server", "Na=me", "x"},   {"Server", ";Name", "x"},
        {"Server", "[Name]", "x"}, {"Server", "Name", "a\nb"}, {"Server", "Na\rme", "x"}};
    for (const QStringList& r : rows)
        EXPECT_EQ(raisedNumber([&] { write(r[0], r[1], r[2]); }), jex::err::InvalidCall)
            << r.join(u'|').toStdString();
    EXPECT_EQ(content(), before);
}

TEST_F(IniKeys, FileThatCannotBeReadRaises75AndIsNotRewritten) {
    const QByteArray binary("[Server]\nName=A\n\0binary", 23);
    host.write(kFile, binary);
    EXPECT_EQ(raisedNumber([&] { write("Server", "Name", "B"); }), jex::err::PathFileAccess);
    EXPECT_EQ(content(), binary);
    host.write("folder.ini/inner", "x");
    EXPECT_EQ(raisedNumber([&] { get("Server", "Name", "folder.ini"); }), jex::err::PathFileAccess);
}

}  // namespace
