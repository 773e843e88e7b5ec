// Conversions: numbers read from text, 16-bit range, rounding halves to even,
// comparison with numbers, integer division, splitting and trimming.
#include <gtest/gtest.h>

#include "jex/convert.h"
#include "raises.h"

namespace {

using jextest::raisedNumber;

// toInteger on text: the value, or the error number raised.
struct IntegerCase {
    friend void PrintTo(const IntegerCase& row, std::ostream* os) { *os << row.name; }
    const char* name;
    QString text;
    qint16 value;
    qint32 error;
};

class ToInteger : public testing::TestWithParam<IntegerCase> {};

TEST_P(ToInteger, ReadsTextOrRaises) {
    const IntegerCase& c = GetParam();
    qint16 value = 0;
    EXPECT_EQ(raisedNumber([&] { value = jex::toInteger(c.text); }), c.error);
    if (c.error == 0) {
        EXPECT_EQ(value, c.value);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Conversions, ToInteger,
    testing::Values(
        IntegerCase{"Plain", "42", 42, 0}, IntegerCase{"SurroundingBlanks", "  42  ", 42, 0},
        IntegerCase{"PlusSign", "+7", 7, 0}, IntegerCase{"MinusSign", "-7", -7, 0},
        IntegerCase{"FractionRoundsDown", "2.4", 2, 0},
        IntegerCase{"FractionRoundsUp", "2.6", 3, 0}, IntegerCase{"HalfToEvenDown", "2.5", 2, 0},
        IntegerCase{"HalfToEvenUp", "3.5", 4, 0}, IntegerCase{"NegativeHalfToEven", "-2.5", -2, 0},
        IntegerCase{"HalfBelowOne", "0.5", 0, 0}, IntegerCase{"LeadingPoint", ".6", 1, 0},
        IntegerCase{"Exponent", "1e2", 100, 0}, IntegerCase{"ExponentD", "15D-1", 2, 0},
        IntegerCase{"Largest", "32767", 32767, 0}, IntegerCase{"Smallest", "-32768", -32768, 0},
        IntegerCase{"HalfAboveLargest", "32767.5", 0, jex::err::Overflow},
        IntegerCase{"BelowSmallest", "-32769", 0, jex::err::Overflow},
        IntegerCase{"Letters", "abc", 0, jex::err::TypeMismatch},
        IntegerCase{"Empty", "", 0, jex::err::TypeMismatch},
        IntegerCase{"Blank", " ", 0, jex::err::TypeMismatch},
        IntegerCase{"Tab", "\t5", 0, jex::err::TypeMismatch},
        IntegerCase{"CommaIsNotAPoint", "1,5", 0, jex::err::TypeMismatch},
        IntegerCase{"TrailingLetters", "12ab", 0, jex::err::TypeMismatch},
        IntegerCase{"SignOnly", "-", 0, jex::err::TypeMismatch},
        IntegerCase{"ExponentWithoutDigits", "1e", 0, jex::err::TypeMismatch},
        IntegerCase{"BlankInside", "1 2", 0, jex::err::TypeMismatch}),
    [](const auto& info) { return info.param.name; });

struct NumericCase {
    friend void PrintTo(const NumericCase& row, std::ostream* os) { *os << row.name; }
    const char* name;
    QString text;
    bool numeric;
};

class IsNumeric : public testing::TestWithParam<NumericCase> {};

TEST_P(IsNumeric, TellsNumbersFromOtherText) {
    EXPECT_EQ(jex::isNumeric(GetParam().text), GetParam().numeric);
}

INSTANTIATE_TEST_SUITE_P(
    Conversions, IsNumeric,
    testing::Values(NumericCase{"Integer", "12", true}, NumericCase{"Decimal", " -1.25 ", true},
                    NumericCase{"TrailingPoint", "1.", true}, NumericCase{"Exponent", "2E+3", true},
                    NumericCase{"Empty", "", false}, NumericCase{"Blank", "   ", false},
                    NumericCase{"PointOnly", ".", false}, NumericCase{"Word", "Infinite", false},
                    NumericCase{"TwoPoints", "1.2.3", false}),
    [](const auto& info) { return info.param.name; });

// value = number, compared as numbers; error when the value is not a number.
struct EqualsCase {
    friend void PrintTo(const EqualsCase& row, std::ostream* os) { *os << row.name; }
    const char* name;
    QVariant value;
    double number;
    bool equal;
    qint32 error;
};

class EqualsNumber : public testing::TestWithParam<EqualsCase> {};

TEST_P(EqualsNumber, ComparesAsNumbers) {
    const EqualsCase& c = GetParam();
    bool equal = false;
    EXPECT_EQ(raisedNumber([&] { equal = jex::equalsNumber(c.value, c.number); }), c.error);
    if (c.error == 0) {
        EXPECT_EQ(equal, c.equal);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Conversions, EqualsNumber,
    testing::Values(
        EqualsCase{"SameInt", QVariant(1), 1, true, 0},
        EqualsCase{"OtherInt", QVariant(2), 1, false, 0},
        EqualsCase{"Double", QVariant(1.5), 1.5, true, 0},
        EqualsCase{"TrueIsMinusOne", QVariant(true), -1, true, 0},
        EqualsCase{"TrueIsNotOne", QVariant(true), 1, false, 0},
        EqualsCase{"FalseIsZero", QVariant(false), 0, true, 0},
        EqualsCase{"NumericText", QVariant(QStringLiteral(" 1 ")), 1, true, 0},
        EqualsCase{"DecimalText", QVariant(QStringLiteral("1.0")), 1, true, 0},
        EqualsCase{"EmptyIsZero", QVariant(), 0, true, 0},
        EqualsCase{"WordText", QVariant(QStringLiteral("one")), 1, false, jex::err::TypeMismatch},
        EqualsCase{"BlankText", QVariant(QStringLiteral("")), 0, false, jex::err::TypeMismatch},
        EqualsCase{"List", QVariant(QVariantList{1}), 1, false, jex::err::TypeMismatch}),
    [](const auto& info) { return info.param.name; });

struct DivideCase {
    friend void PrintTo(const DivideCase& row, std::ostream* os) { *os << row.name; }
    const char* name;
    double dividend;
    double divisor;
    qint32 quotient;
    qint32 error;
};

class IntegerDivide : public testing::TestWithParam<DivideCase> {};

TEST_P(IntegerDivide, RoundsOperandsThenTruncates) {
    const DivideCase& c = GetParam();
    qint32 quotient = 0;
    EXPECT_EQ(raisedNumber([&] { quotient = jex::integerDivide(c.dividend, c.divisor); }), c.error);
    if (c.error == 0) {
        EXPECT_EQ(quotient, c.quotient);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Conversions, IntegerDivide,
    testing::Values(DivideCase{"Exact", 6000, 15, 400, 0}, DivideCase{"Exact2", 7500, 15, 500, 0},
                    DivideCase{"DropsRemainder", 7, 2, 3, 0},
                    DivideCase{"NegativeTowardsZero", -7, 2, -3, 0},
                    DivideCase{"OperandsRoundedFirst", 7.5, 2.5, 4, 0},
                    DivideCase{"HalfDividendToEven", 2.5, 1, 2, 0},
                    DivideCase{"ZeroDivisor", 5, 0, 0, jex::err::DivisionByZero},
                    DivideCase{"DivisorRoundsToZero", 5, 0.4, 0, jex::err::DivisionByZero},
                    DivideCase{"DividendOutOfRange", 3e9, 1, 0, jex::err::Overflow}),
    [](const auto& info) { return info.param.name; });

struct SplitCase {
    friend void PrintTo(const SplitCase& row, std::ostream* os) { *os << row.name; }
    const char* name;
    QString text;
    QString separator;
    QStringList pieces;
};

class Split : public testing::TestWithParam<SplitCase> {};

TEST_P(Split, CutsAtEverySeparator) {
    EXPECT_EQ(jex::split(GetParam().text, GetParam().separator), GetParam().pieces);
}

INSTANTIATE_TEST_SUITE_P(
    Conversions, Split,
    testing::Values(SplitCase{"Sections", "a|b[-]c[-]d", "[-]", {"a|b", "c", "d"}},
                    SplitCase{"EmptyText", "", "[-]", {}},
                    SplitCase{"NoSeparator", "abc", "|", {"abc"}},
                    SplitCase{"Consecutive", "a||b", "|", {"a", "", "b"}},
                    SplitCase{"AtBothEnds", "|a|", "|", {"", "a", ""}},
                    SplitCase{"SeparatorOnly", "[-]", "[-]", {"", ""}},
                    SplitCase{"CaseSensitive", "aXbxc", "x", {"aXb", "c"}},
                    SplitCase{"EmptySeparator", "abc", "", {"abc"}}),
    [](const auto& info) { return info.param.name; });

struct TrimCase {
    friend void PrintTo(const TrimCase& row, std::ostream* os) { *os << row.name; }
    const char* name;
    QString text;
    QString trimmed;
};

class TrimBlanks : public testing::TestWithParam<TrimCase> {};

TEST_P(TrimBlanks, RemovesSpacesOnlyAtBothEnds) {
    EXPECT_EQ(jex::trimBlanks(GetParam().text), GetParam().trimmed);
}

INSTANTIATE_TEST_SUITE_P(Conversions, TrimBlanks,
                         testing::Values(TrimCase{"BothEnds", "  a b  ", "a b"},
                                         TrimCase{"TabsStay", "\ta\t", "\ta\t"},
                                         TrimCase{"LineBreaksStay", " a\r\n", "a\r\n"},
                                         TrimCase{"AllBlank", "   ", ""},
                                         TrimCase{"Empty", "", ""}),
                         [](const auto& info) { return info.param.name; });

struct BytesCase {
    friend void PrintTo(const BytesCase& row, std::ostream* os) { *os << row.name; }
    const char* name;
    QByteArray bytes;
    QString text;
};

class TextFromBytes : public testing::TestWithParam<BytesCase> {};

TEST_P(TextFromBytes, ReadsUtf8ElseLatin1) {
    EXPECT_EQ(jex::textFromBytes(GetParam().bytes), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Conversions, TextFromBytes,
                         testing::Values(BytesCase{"Ascii", "abc", "abc"},
                                         BytesCase{"Utf8",
                                                   "Gr\xC3\xBC\xC3\x9F"
                                                   "e",
                                                   QStringLiteral("Grüße")},
                                         BytesCase{"Latin1",
                                                   "Gr\xFC\xDF"
                                                   "e",
                                                   QStringLiteral("Grüße")},
                                         BytesCase{"CutOffUtf8", "ab\xC3", QStringLiteral("abÃ")},
                                         BytesCase{"ByteOrderMarkKept", "\xEF\xBB\xBFx",
                                                   QStringLiteral("\uFEFFx")}),
                         [](const auto& info) { return info.param.name; });

}  // namespace
