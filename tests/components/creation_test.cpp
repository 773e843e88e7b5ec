// Creating the sibling components by ProgID.
#include <gtest/gtest.h>

#include "component_test.h"
#include "jex/latebound.h"

namespace {

using jextest::raisedNumber;

struct ClassCase {
    friend void PrintTo(const ClassCase& row, std::ostream* os) { *os << row.progId; }
    const char* progId;
    const char* method;  // one operation the object offers
};

class Creation : public testing::TestWithParam<ClassCase> {};

TEST_P(Creation, CreatesTheClassWithItsOperations) {
    const auto object = jextest::createComponent(GetParam().progId);
    ASSERT_NE(object, nullptr);
    EXPECT_TRUE(jex::hasMethod(object.get(), GetParam().method));
}

INSTANTIATE_TEST_SUITE_P(
    Components, Creation,
    testing::Values(ClassCase{"jexrcZTA.clsMFD", "WriteIniKey"},
                    ClassCase{"jexrcWOB.clsMemory", "Dec64"}),
    [](const auto& info) {
        return QString::fromLatin1(info.param.progId).replace(u'.', u'_').toStdString();
    });

TEST(Components, UnknownClassRaises429) {
    for (const char* progId : {"jexrcZTA.clsNothing", "jexrcZTA.clsMemory", "jexrcWOB", ""})
        EXPECT_EQ(raisedNumber([&] { jextest::createComponent(progId); }),
                  jex::err::CantCreateObject)
            << progId;
}

}  // namespace
