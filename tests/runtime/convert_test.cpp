// Conversions: numbers read from text, 16-bit range, rounding halves to even,
// comparison with numbers, integer division, splitting and trimming.
#include <gtest/gtest.h>

#include "jex/convert.h"
#include "support/raises.h"

namespace {

using jex::err::Overflow;
using jex::err::TypeMismatch;
using jextest::raisedNumber;

// Text read as a 16-bit integer: the value (0 when it raises), or the error
// number raised. The text is numeric exactly when it does not raise 13.
struct IntegerCase {
    const char* name;
    QString text;
    qint16 value;
    qint32 error = 0;
};

class NumberText : public testing::TestWithParam<IntegerCase> {};

TEST_P(NumberText, ReadsAsIntegerOrRaises) {
    const IntegerCase& c = GetParam();
    qint16 value = 0;
    EXPECT_EQ(raisedNumber([&] { value = jex::toInteger(c.text); }), c.error);
    EXPECT_EQ(value, c.value);
    EXPECT_EQ(jex::isNumeric(c.text), c.error != TypeMismatch);
}

INSTANTIATE_TEST_SUITE_P(
    Conversions, NumberText,
    testing::Values(
        IntegerCase{"Plain", "42", 42}, IntegerCase{"SurroundingBlanks", "  42  ", 42},
        IntegerCase{"PlusSign", "+7", 7}, IntegerCase{"NegativeDecimal", " -1.25 ", -1},
        IntegerCase{"FractionRoundsUp", "2.6", 3}, IntegerCase{"HalfToEvenDown", "2.5", 2},
        IntegerCase{"HalfToEvenUp", "3.5", 4}, IntegerCase{"NegativeHalfToEven", "-2.5", -2},
        IntegerCase{"LeadingPoint", ".6", 1}, IntegerCase{"TrailingPoint", "1.", 1},
        IntegerCase{"Exponent", "1e2", 100}, IntegerCase{"SignedExponent", "2E+3", 2000},
        IntegerCase{"ExponentD", "15D-1", 2}, IntegerCase{"Largest", "32767", 32767},
        IntegerCase{"Smallest", "-32768", -32768},
        IntegerCase{"HalfAboveLargest", "32767.5", 0, Overflow},
        IntegerCase{"BelowSmallest", "-32769", 0, Overflow},
        IntegerCase{"Word", "Infinite", 0, TypeMismatch}, IntegerCase{"Empty", "", 0, TypeMismatch},
        IntegerCase{"Blank", "   ", 0, TypeMismatch}, IntegerCase{"Tab", "\t5", 0, TypeMismatch},
        IntegerCase{"CommaIsNotAPoint", "1,5", 0, TypeMismatch},
        IntegerCase{"PointOnly", ".", 0, TypeMismatch},
        IntegerCase{"TwoPoints", "1.2.3", 0, TypeMismatch},
        IntegerCase{"ExponentWithoutDigits", "1e", 0, TypeMismatch},
        IntegerCase{"BlankInside", "1 2", 0, TypeMismatch}),
    [](const auto& info) { return info.param.name; });

TEST(Conversions, EqualsNumberComparesAsNumbers) {
    EXPECT_TRUE(jex::equalsNumber(1, 1));
    EXPECT_FALSE(jex::equalsNumber(2, 1));
    EXPECT_TRUE(jex::equalsNumber(true, -1));
    EXPECT_TRUE(jex::equalsNumber(false, 0));
    EXPECT_TRUE(jex::equalsNumber(QStringLiteral(" 1.0 "), 1));
    EXPECT_TRUE(jex::equalsNumber(QVariant(), 0));  // Empty
    jextest::expectRaised(
        {{"WordText", [] { jex::equalsNumber(QStringLiteral("one"), 1); }, TypeMismatch},
         {"BlankText", [] { jex::equalsNumber(QStringLiteral(""), 0); }, TypeMismatch},
         {"List", [] { jex::equalsNumber(QVariantList{1}, 1); }, TypeMismatch}});
}

TEST(Conversions, IntegerDivideRoundsOperandsThenTruncates) {
    EXPECT_EQ(jex::integerDivide(6000, 15), 400);
    EXPECT_EQ(jex::integerDivide(7, 2), 3);
    EXPECT_EQ(jex::integerDivide(-7, 2), -3);
    EXPECT_EQ(jex::integerDivide(7.5, 2.5), 4);  // 8 \ 2: operands rounded first
    EXPECT_EQ(jex::integerDivide(2.5, 1), 2);    // the half to even
    using jex::err::DivisionByZero;
    jextest::expectRaised(
        {{"ZeroDivisor", [] { jex::integerDivide(5, 0); }, DivisionByZero},
         {"DivisorRoundsToZero", [] { jex::integerDivide(5, 0.4); }, DivisionByZero},
         {"DividendOutOfRange", [] { jex::integerDivide(3e9, 1); }, Overflow}});
}

TEST(Conversions, SplitCutsAtEverySeparator) {
    EXPECT_EQ(jex::split("a|b[-]c[-]d", "[-]"), QStringList({"a|b", "c", "d"}));
    EXPECT_EQ(jex::split("", "[-]"), QStringList());
    EXPECT_EQ(jex::split("abc", "|"), QStringList({"abc"}));
    EXPECT_EQ(jex::split("a||b", "|"), QStringList({"a", "", "b"}));
    EXPECT_EQ(jex::split("|a|", "|"), QStringList({"", "a", ""}));
    EXPECT_EQ(jex::split("[-]", "[-]"), QStringList({"", ""}));
    EXPECT_EQ(jex::split("aXbxc", "x"), QStringList({"aXb", "c"}));  // case matters
    EXPECT_EQ(jex::split("abc", ""), QStringList({"abc"}));
}

TEST(Conversions, TrimBlanksRemovesSpacesOnlyAtBothEnds) {
    const std::pair<QString, QString> rows[] = {
        {"  a b  ", "a b"}, {"\ta\t", "\ta\t"}, {" a\r\n", "a\r\n"}, {"   ", ""}, {"", ""}};
    for (const auto& [text, trimmed] : rows) EXPECT_EQ(jex::trimBlanks(text), trimmed);
}

TEST(Conversions, TextFromBytesReadsUtf8ElseLatin1) {
    EXPECT_EQ(jex::textFromBytes("Gr\xC3\xBC\xC3\x9F"), QStringLiteral("Grüß"));
    EXPECT_EQ(jex::textFromBytes("Gr\xFC\xDF"), QStringLiteral("Grüß"));
    EXPECT_EQ(jex::textFromBytes("ab\xC3"), QStringLiteral("abÃ"));             // cut-off UTF-8
    EXPECT_EQ(jex::textFromBytes("\xEF\xBB\xBFx"), QStringLiteral("\uFEFFx"));  // mark kept
}

}  // namespace
