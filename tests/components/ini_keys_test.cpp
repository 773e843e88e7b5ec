// INI keys through jexrcZTA.clsMFD, called late-bound: what a write keeps,
// where it puts new keys and sections, and how keys are found.
#include <QFile>
#include <QFileInfo>

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
    EXPECT_EQ(get(c.section, c.key), c.value);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    ComponentIni, IniWrite,
    testing::Values(
        WriteCase{"ReplacesValueInPlaceMatchingAnyCase", "[Server]\nName=Old\nPort=1\n[Roles]\nR1=1\n", "sERVER",
                  "NAME", "New", "[Server]\nName=New\nPort=1\n[Roles]\nR1=1"},
        WriteCase{"NewKeyAtEndOfItsSection", "[Server]\nName=A\n[Roles]\nR1=1\n", "Server", "Port", "5", "[Server]\nName=A\nPort=5\n[Roles]\nR1=1"},
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
        WriteCase{"BlanksAroundPlainNamesAreNotPartOfThem", "[ Server ]\n Name = A \n", " Server ",
                  "Name", "B", "[Server]\nName=B"},
        WriteCase{"HandQuotedKeyKeepsItsSpelling", "[S]\n\"Name\"=A\nOther=B\n", "S", "NAME", " C",
                  "[S]\n\"Name\"=\" C\"\nOther=B"},
        WriteCase{"QuotedKeyReplacedInPlace", "[W]\n\"\"=0\n\" M4\"=1\n", "W", "", "1",
                  "[W]\n\"\"=1\n\" M4\"=1"},
        // Found by fuzzing: comments broken by lone CRs, then an unclosed "[".
        WriteCase{"LoneCarriageReturnsEndLinesToo", "[S]\nK=1\n;\r\r\r[", "Roles", "DediDe", "1",
                  "[S]\nK=1\n[Roles]\nDediDe=1"},
        WriteCase{"EmptyValueIsStored", "[Server]\nName=A\n", "Server", "Name", "",
                  "[Server]\nName="}),
    [](const auto& info) { return info.param.name; });
// clang-format on

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
    write("Server", "Message", "a\r\nb");
    EXPECT_EQ(content(), QByteArray("\xEF\xBB\xBF[Server]\r\nName=A\r\nMessage=\"a\\r\\nb\"\r\n"));
    EXPECT_EQ(get("Server", "Message"), QStringLiteral("a\r\nb"));
}

// Any key and value: the line a fresh file gets, and what reads back.
struct SpellingCase {
    const char* name;
    QString key, value;
    QByteArray line;
};

class IniSpelling : public IniKeys, public testing::WithParamInterface<SpellingCase> {};

TEST_P(IniSpelling, WritesTheLineAndReadsTheTextBack) {
    const SpellingCase& c = GetParam();
    write("S", c.key, c.value);
    EXPECT_EQ(content(), "[S]\n" + c.line + "\n");
    EXPECT_EQ(get("S", c.key), c.value);
}

const QChar kLoneHigh(char16_t(0xD83D));

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    ComponentIni, IniSpelling,
    testing::Values(
        SpellingCase{"PlainNumber", "Dedicated", "1", "Dedicated=1"},
        SpellingCase{"EmptyValue", "Name", "", "Name="},
        SpellingCase{"IniCharactersInsideStayPlain", "Name", R"(a = b ; "q" # [x] C:\dir\)",
                     R"(Name=a = b ; "q" # [x] C:\dir\)"},
        SpellingCase{"MultiLineTagIsPlainText", "Name", "<<<END", "Name=<<<END"},
        SpellingCase{"NonAsciiAndPairsStayPlain", "Name", "Grüße, 日本 😀", "Name=Grüße, 日本 😀"},
        SpellingCase{"TwoLinesCrLf", "Message", "a\r\nb", R"(Message="a\r\nb")"},
        SpellingCase{"TwoLinesLf", "Message", "a\nb\n", R"(Message="a\nb\n")"},
        SpellingCase{"OuterBlanks", "Lives", " 45 ", R"(Lives=" 45 ")"},
        SpellingCase{"TabInside", "Name", "a\tb", R"(Name="a\tb")"},
        SpellingCase{"LeadingQuote", "Name", R"("Hi")", R"(Name="\"Hi\"")"},
        SpellingCase{"BackslashAndEqualsInAQuotedValue", "Name", R"( C:\a=b)",
                     R"(Name=" C:\\a=b")"},
        SpellingCase{"NulAndOtherControls", "Name", QString::fromUtf8("a\0b\x01\x7F", 5),
                     R"(Name="a\0b\x01\x7F")"},
        SpellingCase{"LoneSurrogate", "Name", QString(kLoneHigh) + "x", R"(Name="\uD83Dx")"},
        SpellingCase{"EmptyKey", "", "1", R"(""=1)"},
        SpellingCase{"KeyWithEquals", "a=b", "1", R"("a\x3Db"=1)"},
        SpellingCase{"KeyLikeAComment", ";x", "1", R"(";x"=1)"},
        SpellingCase{"KeyLikeAHashComment", "#x", "1", R"("#x"=1)"},
        SpellingCase{"KeyLikeASection", "[x]", "1", R"("[x]"=1)"},
        SpellingCase{"KeyWithOuterBlanks", " M4 ", "0", R"(" M4 "=0)"},
        SpellingCase{"KeyWithInnerCharactersStaysPlain", R"(Barrett .50 ]#;"\)", "1",
                     R"(Barrett .50 ]#;"\=1)"}),
    [](const auto& info) { return info.param.name; });
// clang-format on

// What files written by hand or before quoting existed read as.
struct ReadCase {
    const char* name;
    QByteArray file;
    QString section, key;
    QString value;
};

class IniRead : public IniKeys, public testing::WithParamInterface<ReadCase> {};

TEST_P(IniRead, ReadsTheValue) {
    const ReadCase& c = GetParam();
    host.write(kFile, c.file);
    EXPECT_EQ(get(c.section, c.key), c.value);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    ComponentIni, IniRead,
    testing::Values(
        ReadCase{"OneByteEncodedFile", "[Server]\nName=Gr\xFC\xDF" "e\n", "Server", "Name", "Grüße"},
        ReadCase{"FirstOfTwo", "[S]\nK=first\nk=second\n", "s", "K", "first"},
        ReadCase{"MissingSection", "[Server]\nName=A\n", "Roles", "Name", ""},
        ReadCase{"MissingKey", "[Server]\nName=A\n", "Server", "Port", ""},
        ReadCase{"KeyWithBlanksIsNotItsTrimmedTwin", "[W]\nM4=1\n", "W", " M4 ", ""},
        ReadCase{"QuotesInsideAPlainValue", "[S]\nN=say \"hi\" now\n", "S", "N", "say \"hi\" now"},
        ReadCase{"UnknownEscapeKeepsTheQuotes", "[S]\nP=\"C:\\dir\"\n", "S", "P", "\"C:\\dir\""},
        ReadCase{"BareInnerQuoteKeepsTheQuotes", "[S]\nN=\"a\"b\"\n", "S", "N", "\"a\"b\""},
        ReadCase{"BackslashBeforeClosingQuote", "[S]\nN=\"a\\\"\n", "S", "N", "\"a\\\""},
        ReadCase{"ShortHexKeepsTheQuotes", "[S]\nN=\"\\x3\"\n", "S", "N", "\"\\x3\""},
        ReadCase{"OneQuote", "[S]\nN=\"\n", "S", "N", "\""},
        ReadCase{"WellFormedQuotesAreUndone", "[S]\nN=\"Hi\"\n", "S", "N", "Hi"},
        ReadCase{"BlanksAroundAQuotedValue", "[S]\nN =  \" a \"  \n", "S", "N", " a "},
        ReadCase{"HexInEitherCase", "[S]\nN=\"\\x3d\\x3D\"\n", "S", "N", "=="},
        ReadCase{"HandQuotedKey", "[S]\n\"Name\"=x\n", "S", "NAME", "x"},
        ReadCase{"KeysDifferingInEscapeCase", "[S]\n\"a\\N\"=literal\n\"a\\n\"=break\n", "S", "a\n",
                 "break"}),
    [](const auto& info) { return info.param.name; });
// clang-format on

// A file read once is read as it is now, however it changed since, even
// twice within one tick of the clock that stamps files.
TEST_F(IniKeys, ReadsTheFileAsItIsNow) {
    host.write(kFile, "[S]\nK=a\n");
    ASSERT_EQ(get("S", "K"), QStringLiteral("a"));
    host.write(kFile, "[S]\nK=b\n");  // in place, same length
    EXPECT_EQ(get("S", "K"), QStringLiteral("b"));
    host.write(kFile, "[S]\nK=cc\n");  // in place, longer
    EXPECT_EQ(get("S", "K"), QStringLiteral("cc"));
    write("S", "K", "dd");  // replaced
    EXPECT_EQ(get("S", "K"), QStringLiteral("dd"));
}

TEST_F(IniKeys, MissingFilesReadAsEmpty) {
    EXPECT_EQ(get("Server", "Name", "missing.ini"), QString());
    EXPECT_EQ(get("Server", "Name", "missing/folder/x.ini"), QString());
}

TEST_F(IniKeys, SectionsNoLineCanHoldRaise5AndLeaveTheFile) {
    const QByteArray before = "[Server]\nName=A\n";
    host.write(kFile, before);
    for (const QString& section : {QString(), QStringLiteral("  "), QStringLiteral("Ser]ver"),
                                   QStringLiteral("Ser\nver"), QStringLiteral("Ser\rver")})
        EXPECT_EQ(raisedNumber([&] { write(section, "Name", "x"); }), jex::err::InvalidCall)
            << section.toStdString();
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

TEST_F(IniKeys, FileOver64MiBRaises7AndIsNotRewritten) {
    QFile huge(host.path(kFile));
    ASSERT_TRUE(huge.open(QIODevice::WriteOnly) && huge.write("[Server]\nName=A\n") > 0);
    ASSERT_TRUE(huge.resize(64 * 1024 * 1024 + 1));  // sparse: no 64 MiB written
    huge.close();
    EXPECT_EQ(raisedNumber([&] { get("Server", "Name"); }), jex::err::OutOfMemory);
    EXPECT_EQ(raisedNumber([&] { write("Server", "Name", "B"); }), jex::err::OutOfMemory);
    EXPECT_EQ(QFileInfo(huge).size(), 64 * 1024 * 1024 + 1);
}

}  // namespace
