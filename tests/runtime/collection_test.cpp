// The keyed collection, used directly and late-bound.
#include <gtest/gtest.h>

#include "jex/collection.h"
#include "jex/latebound.h"
#include "raises.h"

namespace {

using jextest::raisedNumber;

class CollectionTest : public testing::Test {
protected:
    void SetUp() override {
        items.add(QStringLiteral("first"), QStringLiteral("Alpha"));
        items.add(QStringLiteral("unkeyed"));
        items.add(3, QStringLiteral("Gamma"));
    }
    jex::Collection items;
};

TEST_F(CollectionTest, KeepsItemsInOrderOfAdding) {
    EXPECT_EQ(items.count(), 3);
    EXPECT_EQ(items.itemAt(1), QVariant(QStringLiteral("first")));
    EXPECT_EQ(items.itemAt(2), QVariant(QStringLiteral("unkeyed")));
    EXPECT_EQ(items.itemAt(3), QVariant(3));
}

TEST_F(CollectionTest, FindsKeysWithoutRegardToCase) {
    EXPECT_EQ(items.item(QStringLiteral("ALPHA")), QVariant(QStringLiteral("first")));
    EXPECT_EQ(items.item(QStringLiteral("gamma")), QVariant(3));
}

TEST_F(CollectionTest, RefusesAKeyTwiceInAnyCase) {
    EXPECT_EQ(raisedNumber([&] { items.add(1, QStringLiteral("alpha")); }), jex::err::DuplicateKey);
    EXPECT_EQ(items.count(), 3);
}

TEST_F(CollectionTest, MissingKeyOrPositionRaises) {
    EXPECT_EQ(raisedNumber([&] { items.item(QStringLiteral("Beta")); }), jex::err::InvalidCall);
    EXPECT_EQ(raisedNumber([&] { items.itemAt(0); }), jex::err::SubscriptOutOfRange);
    EXPECT_EQ(raisedNumber([&] { items.itemAt(4); }), jex::err::SubscriptOutOfRange);
}

TEST_F(CollectionTest, LateBoundUseReachesTheSameItemsAndErrors) {
    EXPECT_EQ(jex::call(&items, "Count"), QVariant(3));
    EXPECT_EQ(jex::call(&items, "Item", {QStringLiteral("gAMMA")}), QVariant(3));
    EXPECT_EQ(jex::call(&items, "ItemAt", {1}), QVariant(QStringLiteral("first")));
    jex::call(&items, "Add", {QStringLiteral("late"), QStringLiteral("Delta")});
    EXPECT_EQ(items.item(QStringLiteral("delta")), QVariant(QStringLiteral("late")));

    EXPECT_EQ(raisedNumber([&] { jex::call(&items, "Item", {QStringLiteral("Beta")}); }),
              jex::err::InvalidCall);
    EXPECT_EQ(raisedNumber([&] {
                  jex::call(&items, "Add", {1, QStringLiteral("ALPHA")});
              }),
              jex::err::DuplicateKey);
    EXPECT_EQ(raisedNumber([&] { jex::call(&items, "ItemAt", {9}); }),
              jex::err::SubscriptOutOfRange);
}

}  // namespace
