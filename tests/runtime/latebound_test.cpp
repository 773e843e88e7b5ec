// Late-bound calls by method name: finding the method, converting arguments
// and carrying errors back from the callee.
#include <gtest/gtest.h>

#include <QObject>
#include <QVariantList>

#include <stdexcept>

#include "jex/boundary.h"
#include "jex/latebound.h"
#include "raises.h"

namespace {

using jextest::raisedNumber;

class Callee : public QObject {
    Q_OBJECT
public:
    int touched = 0;

    Q_INVOKABLE void Touch() { ++touched; }
    Q_INVOKABLE qint32 Add(qint32 a, qint32 b) { return a + b; }
    Q_INVOKABLE qint32 Add(qint32 a, qint32 b, qint32 c) { return a + b + c; }
    Q_INVOKABLE QString Echo(const QString& text) { return text; }
    Q_INVOKABLE QVariant Pass(const QVariant& value) { return value; }
    Q_INVOKABLE bool IsNull(QObject* object) { return object == nullptr; }
    Q_INVOKABLE QString NameOf(QObject* object) { return object ? object->objectName() : "-"; }
    Q_INVOKABLE qint32 Length(const QVariantList& list) { return static_cast<qint32>(list.size()); }
    Q_INVOKABLE QString Fail(qint32 number, const QString& description) {
        return jex::boundary([&]() -> QString { jex::raise(number, description); });
    }
    Q_INVOKABLE void Throw() {
        jex::boundary([] { throw std::runtime_error("broken"); });
    }
};

TEST(LateBound, CallsVoidMethodAndReturnsNothing) {
    Callee callee;
    EXPECT_FALSE(jex::call(&callee, "Touch").isValid());
    EXPECT_EQ(callee.touched, 1);
}

TEST(LateBound, ChoosesTheOverloadByArgumentCount) {
    Callee callee;
    EXPECT_EQ(jex::call(&callee, "Add", {1, 2}), QVariant(3));
    EXPECT_EQ(jex::call(&callee, "Add", {1, 2, 3}), QVariant(6));
}

TEST(LateBound, ConvertsArgumentsToParameterTypes) {
    Callee callee;
    EXPECT_EQ(jex::call(&callee, "Add", {QStringLiteral("40"), 2.0}), QVariant(42));
    EXPECT_EQ(jex::call(&callee, "Echo", {7}), QVariant(QStringLiteral("7")));
    EXPECT_EQ(jex::call(&callee, "Echo", {QVariant()}), QVariant(QString()));
    EXPECT_EQ(jex::call(&callee, "Length", {QVariant(QVariantList{1, "a", QVariant()})}),
              QVariant(3));
}

TEST(LateBound, PassesVariantsUnchanged) {
    Callee callee;
    const QVariant list = QVariantList{1, QStringLiteral("x")};
    EXPECT_EQ(jex::call(&callee, "Pass", {list}), list);
    EXPECT_FALSE(jex::call(&callee, "Pass", {QVariant()}).isValid());
}

TEST(LateBound, PassesObjectsAndNullReferences) {
    Callee callee;
    QObject other;
    other.setObjectName(QStringLiteral("other"));
    EXPECT_EQ(jex::call(&callee, "NameOf", {QVariant::fromValue(&other)}),
              QVariant(QStringLiteral("other")));
    EXPECT_EQ(jex::call(&callee, "IsNull", {QVariant()}), QVariant(true));
    EXPECT_EQ(jex::call(&callee, "IsNull", {QVariant::fromValue<QObject*>(nullptr)}),
              QVariant(true));
}

struct FailureCase {
    friend void PrintTo(const FailureCase& row, std::ostream* os) { *os << row.name; }
    const char* name;
    const char* method;
    QVariantList args;
    qint32 error;
};

class LateBoundFailure : public testing::TestWithParam<FailureCase> {};

TEST_P(LateBoundFailure, RaisesItsNumber) {
    Callee callee;
    EXPECT_EQ(raisedNumber([&] { jex::call(&callee, GetParam().method, GetParam().args); }),
              GetParam().error);
}

INSTANTIATE_TEST_SUITE_P(
    LateBound, LateBoundFailure,
    testing::Values(FailureCase{"UnknownMethod", "Missing", {}, jex::err::NoSuchMethod},
                    FailureCase{"NameIsCaseSensitive", "touch", {}, jex::err::NoSuchMethod},
                    FailureCase{"TooFewArguments", "Add", {1}, jex::err::WrongArgumentCount},
                    FailureCase{"TooManyArguments", "Touch", {1}, jex::err::WrongArgumentCount},
                    FailureCase{"TextThatIsNoNumber", "Add", {"x", 1}, jex::err::TypeMismatch},
                    FailureCase{"NumberForAnObject", "IsNull", {5}, jex::err::TypeMismatch},
                    FailureCase{"ExceptionInCallee", "Throw", {}, 51}),
    [](const auto& info) { return info.param.name; });

TEST(LateBound, NullTargetRaises91) {
    EXPECT_EQ(raisedNumber([] { jex::call(nullptr, "Touch"); }), jex::err::ObjectNotSet);
}

TEST(LateBound, ErrorOfCalleeArrivesUnchanged) {
    Callee callee;
    try {
        jex::call(&callee, "Fail", {1004, QStringLiteral("Custom text")});
        FAIL() << "no error raised";
    } catch (const jex::Error& e) {
        EXPECT_EQ(e.number(), 1004);
        EXPECT_EQ(e.description(), QStringLiteral("Custom text"));
    }
    // The error does not linger for the next call.
    EXPECT_EQ(jex::call(&callee, "Add", {1, 1}), QVariant(2));
}

TEST(LateBound, StandardDescriptionWhenCalleeGivesNone) {
    Callee callee;
    try {
        jex::call(&callee, "Fail", {13, QString()});
        FAIL() << "no error raised";
    } catch (const jex::Error& e) {
        EXPECT_EQ(e.description(), QStringLiteral("Type mismatch"));
    }
}

TEST(LateBound, HasMethodFindsInvokablesByName) {
    Callee callee;
    EXPECT_TRUE(jex::hasMethod(&callee, "Echo"));
    EXPECT_FALSE(jex::hasMethod(&callee, "Missing"));
    EXPECT_FALSE(jex::hasMethod(nullptr, "Echo"));
}

}  // namespace

#include "latebound_test.moc"
