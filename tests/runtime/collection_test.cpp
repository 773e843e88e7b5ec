// The keyed collection, used directly and late-bound.
#include <gtest/gtest.h>

#include "jex/collection.h"
#include "jex/latebound.h"
#include "support/raises.h"

namespace {

class CollectionTest : public testing::Test {
protected:
    void SetUp() override {
        items.add("first", "Alpha");
        items.add("unkeyed");
        items.add(3, "Gamma");
    }
    jex::Collection items;
};

TEST_F(CollectionTest, KeepsOrderAndFindsKeysInAnyCase) {
    EXPECT_EQ(items.itemAt(2), QVariant("unkeyed"));
    EXPECT_EQ(items.itemAt(3), QVariant(3));
    EXPECT_EQ(items.item("ALPHA"), QVariant("first"));
    EXPECT_EQ(jex::call(&items, "Count"), QVariant(3));
    EXPECT_EQ(jex::call(&items, "Item", {"gAMMA"}), QVariant(3));
    EXPECT_EQ(jex::call(&items, "ItemAt", {1}), QVariant("first"));
    jex::call(&items, "Add", {"late", "Delta"});
    EXPECT_EQ(items.item("delta"), QVariant("late"));
}

TEST_F(CollectionTest, RaisesTheSameNumbersDirectlyAndLateBound) {
    using namespace jex::err;
    // clang-format off
    jextest::expectRaised({
        {"MissingKey", [&] { items.item("Beta"); }, InvalidCall},
        {"LateMissingKey", [&] { jex::call(&items, "Item", {"Beta"}); }, InvalidCall},
        {"KeyTwiceInOtherCase", [&] { items.add(1, "alpha"); }, DuplicateKey},
        {"LateKeyTwice", [&] { jex::call(&items, "Add", {1, "ALPHA"}); }, DuplicateKey},
        {"PositionZero", [&] { items.itemAt(0); }, SubscriptOutOfRange},
        {"PositionPastEnd", [&] { items.itemAt(4); }, SubscriptOutOfRange},
        {"LatePositionPastEnd", [&] { jex::call(&items, "ItemAt", {9}); }, SubscriptOutOfRange},
    });
    // clang-format on
    EXPECT_EQ(items.count(), 3);
}

}  // namespace
