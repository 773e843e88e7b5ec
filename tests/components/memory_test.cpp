// Base64 of jexrcWOB.clsMemory, called late-bound.
#include <gtest/gtest.h>

#include "component_test.h"
#include "jex/latebound.h"

namespace {

using jextest::raisedNumber;

class Memory : public testing::Test {
protected:
    QString enc64(const QString& text) {
        return jex::call(memory.get(), "Enc64", {text}).toString();
    }
    QString dec64(const QString& encoded) {
        return jex::call(memory.get(), "Dec64", {encoded}).toString();
    }

    std::unique_ptr<QObject> memory = jextest::createComponent("jexrcWOB.clsMemory");
};

struct VectorCase {
    friend void PrintTo(const VectorCase& row, std::ostream* os) { *os << row.name; }
    const char* name;
    QString text;
    QString encoded;
};

class Base64Vectors : public Memory, public testing::WithParamInterface<VectorCase> {};

TEST_P(Base64Vectors, EncodeAndDecode) {
    EXPECT_EQ(enc64(GetParam().text), GetParam().encoded);
    EXPECT_EQ(dec64(GetParam().encoded), GetParam().text);
}

// RFC 4648 section 10, then UTF-8 text.
INSTANTIATE_TEST_SUITE_P(ComponentMemory, Base64Vectors,
                         testing::Values(VectorCase{"Empty", "", ""}, VectorCase{"f", "f", "Zg=="},
                                         VectorCase{"fo", "fo", "Zm8="},
                                         VectorCase{"foo", "foo", "Zm9v"},
                                         VectorCase{"foob", "foob", "Zm9vYg=="},
                                         VectorCase{"fooba", "fooba", "Zm9vYmE="},
                                         VectorCase{"foobar", "foobar", "Zm9vYmFy"},
                                         VectorCase{"Umlaut", QStringLiteral("ü"), "w7w="}),
                         [](const auto& info) { return info.param.name; });

TEST_F(Memory, NonAsciiTextRoundTrips) {
    for (const QString& text : {QStringLiteral("Grüße, 日本"), QStringLiteral("a|b[-]c,d"),
                                QStringLiteral("\uFEFFmark"), QStringLiteral("😀 emoji")}) {
        const QString encoded = enc64(text);
        EXPECT_FALSE(encoded.contains(u'|') || encoded.contains(u',')) << encoded.toStdString();
        EXPECT_EQ(dec64(encoded), text);
    }
}

TEST_F(Memory, LayoutBetweenCharactersIsIgnored) {
    EXPECT_EQ(dec64("Zm9v\r\nYmFy"), QStringLiteral("foobar"));
    EXPECT_EQ(dec64(" Zm9vYg== \n"), QStringLiteral("foob"));
}

TEST_F(Memory, BytesThatAreNotUtf8DecodeAsLatin1) {
    EXPECT_EQ(dec64("R3L832U="), QStringLiteral("Grüße"));  // "Grüße" in Latin-1
}

struct InvalidCase {
    friend void PrintTo(const InvalidCase& row, std::ostream* os) { *os << row.name; }
    const char* name;
    QString encoded;
};

class InvalidBase64 : public Memory, public testing::WithParamInterface<InvalidCase> {};

TEST_P(InvalidBase64, Raises5) {
    EXPECT_EQ(raisedNumber([&] { dec64(GetParam().encoded); }), jex::err::InvalidCall);
}

INSTANTIATE_TEST_SUITE_P(
    ComponentMemory, InvalidBase64,
    testing::Values(InvalidCase{"ForeignCharacter", "Zm9v!"}, InvalidCase{"MissingPadding", "Zg"},
                    InvalidCase{"ShortPadding", "Zg="}, InvalidCase{"TooMuchPadding", "Z==="},
                    InvalidCase{"PaddingInside", "Zg==Zm9v"}, InvalidCase{"LeadingPadding", "=Zg="},
                    InvalidCase{"UrlAlphabet", "-_-_"},
                    InvalidCase{"NonAscii", QStringLiteral("Zm9vä===")},
                    InvalidCase{"PlainText", "Hello, World"}),
    [](const auto& info) { return info.param.name; });

}  // namespace
