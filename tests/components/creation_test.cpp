// Creating the sibling components by ProgID.
#include <gtest/gtest.h>

#include "component_test.h"

namespace {

TEST(Components, CreatesOnlyKnownClasses) {
    EXPECT_NE(jextest::createComponent("jexrcZTA.clsMFD"), nullptr);
    EXPECT_NE(jextest::createComponent("jexrcWOB.clsMemory"), nullptr);
    for (const char* progId : {"jexrcZTA.clsNothing", "jexrcZTA.clsMemory", "jexrcWOB", ""})
        EXPECT_EQ(jextest::raisedNumber([&] { jextest::createComponent(progId); }),
                  jex::err::CantCreateObject)
            << progId;
}

}  // namespace
