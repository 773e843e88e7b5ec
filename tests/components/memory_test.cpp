// Base64 of jexrcWOB.clsMemory, called late-bound.
#include <gtest/gtest.h>

#include "component_test.h"

namespace {

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

// RFC 4648 section 10, then UTF-8 text.
TEST_F(Memory, EncodesAndDecodesTheStandardVectors) {
    // clang-format off
    const std::pair<QString, QString> vectors[] = {{"", ""}, {"f", "Zg=="}, {"fo", "Zm8="}, {"foo", "Zm9v"},
        {"foob", "Zm9vYg=="}, {"fooba", "Zm9vYmE="}, {"foobar", "Zm9vYmFy"}, {QStringLiteral("ü"), "w7w="}};
    // clang-format on
    for (const auto& [text, encoded] : vectors) {
        EXPECT_EQ(enc64(text), encoded);
        EXPECT_EQ(dec64(encoded), text);
    }
}

TEST_F(Memory, NonAsciiTextRoundTrips) {
    for (const QString& text : {QStringLiteral("Grüße, 日本"), QStringLiteral("a|b[-]c,d"),
                                QStringLiteral("\uFEFFmark"), QStringLiteral("😀 emoji")}) {
        const QString encoded = enc64(text);
        EXPECT_FALSE(encoded.contains(u'|') || encoded.contains(u',')) << encoded.toStdString();
        EXPECT_EQ(dec64(encoded), text);
    }
}

TEST_F(Memory, DecodingIgnoresLayoutAndFallsBackToLatin1) {
    EXPECT_EQ(dec64("Zm9v\r\nYmFy"), QStringLiteral("foobar"));
    EXPECT_EQ(dec64(" Zm9vYg== \n"), QStringLiteral("foob"));
    EXPECT_EQ(dec64("R3L832U="), QStringLiteral("Grüße"));  // "Grüße" in Latin-1
}

TEST_F(Memory, InvalidBase64Raises5) {
    // A foreign character; missing, short, excess, inner and leading padding;
    // the URL alphabet; a non-ASCII letter; plain text.
    for (const char* bad :
         {"Zm9v!", "Zg", "Zg=", "Z===", "Zg==Zm9v", "=Zg=", "-_-_", "Zm9vä===", "Hello, World"})
        EXPECT_EQ(jextest::raisedNumber([&] { dec64(bad); }), jex::err::InvalidCall) << bad;
}

}  // namespace
