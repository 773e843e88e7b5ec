// Late-bound calls by method name: finding the method, converting arguments
// and carrying errors back from the callee.
#include <gtest/gtest.h>

#include <QObject>
#include <QVariantList>

#include <stdexcept>

#include "jex/boundary.h"
#include "jex/latebound.h"
#include "support/raises.h"

namespace {

class Callee : public QObject {
    Q_OBJECT
public:
    Q_INVOKABLE void Touch() {}
    Q_INVOKABLE qint32 Add(qint32 a, qint32 b) { return a + b; }
    Q_INVOKABLE qint32 Add(qint32 a, qint32 b, qint32 c) { return a + b + c; }
    Q_INVOKABLE QString Echo(const QString& text) { return text; }
    Q_INVOKABLE QVariant Pass(const QVariant& value) { return value; }
    Q_INVOKABLE QString NameOf(QObject* object) { return object ? object->objectName() : "-"; }
    Q_INVOKABLE qint32 Length(const QVariantList& list) { return static_cast<qint32>(list.size()); }
    Q_INVOKABLE QString Fail(qint32 number, const QString& description) {
        return jex::boundary([&]() -> QString { jex::raise(number, description); });
    }
    Q_INVOKABLE void Throw() {
        jex::boundary([] { throw std::runtime_error("broken"); });
    }
};

// One call: its result, or the error raised (with its description, if given).
struct CallCase {
    const char* name;
    const char* method;
    QVariantList args;
    QVariant result;
    qint32 error = 0;
    QString description = {};
};

class LateBoundCall : public testing::TestWithParam<CallCase> {};

TEST_P(LateBoundCall, ReturnsOrRaises) {
    const CallCase& c = GetParam();
    Callee callee;
    QVariant result;
    const jex::Error raised =
        jextest::raisedError([&] { result = jex::call(&callee, c.method, c.args); });
    EXPECT_EQ(raised.number(), c.error);
    EXPECT_EQ(result, c.result);
    EXPECT_EQ(result.metaType().id(), c.result.metaType().id());
    if (!c.description.isEmpty()) {
        EXPECT_EQ(raised.description(), c.description);
    }
    // Two-argument overload; an error does not linger for the next call.
    EXPECT_EQ(jex::call(&callee, "Add", {1, 1}), QVariant(2));
}

const QVariant kList = QVariantList{1, QStringLiteral("x"), QVariant()};
QObject* const kNamed = [] {
    static QObject named;
    named.setObjectName(QStringLiteral("named"));
    return &named;
}();

INSTANTIATE_TEST_SUITE_P(
    LateBound, LateBoundCall,
    testing::Values(
        CallCase{"VoidMethodReturnsNothing", "Touch", {}, {}},
        CallCase{"OverloadOfThree", "Add", {1, 2, 3}, 6},
        CallCase{"TextAndDoubleToIntegers", "Add", {"40", 2.0}, 42},
        CallCase{"NumberToText", "Echo", {7}, "7"},
        CallCase{"EmptyToText", "Echo", {QVariant()}, QString()},
        CallCase{"ListParameter", "Length", {kList}, 3},
        CallCase{"VariantUnchanged", "Pass", {kList}, kList},
        CallCase{"EmptyVariantUnchanged", "Pass", {QVariant()}, {}},
        CallCase{"ObjectArgument", "NameOf", {QVariant::fromValue(kNamed)}, "named"},
        CallCase{"EmptyIsANullObject", "NameOf", {QVariant()}, "-"},
        CallCase{"NullPointerObject", "NameOf", {QVariant::fromValue<QObject*>(nullptr)}, "-"},
        CallCase{"UnknownMethod", "Missing", {}, {}, jex::err::NoSuchMethod},
        CallCase{"NameIsCaseSensitive", "touch", {}, {}, jex::err::NoSuchMethod},
        CallCase{"TooFewArguments", "Add", {1}, {}, jex::err::WrongArgumentCount},
        CallCase{"TooManyArguments", "Touch", {1}, {}, jex::err::WrongArgumentCount},
        CallCase{"TextThatIsNoNumber", "Add", {"x", 1}, {}, jex::err::TypeMismatch},
        CallCase{"NumberForAnObject", "NameOf", {5}, {}, jex::err::TypeMismatch},
        CallCase{"ExceptionInCallee", "Throw", {}, {}, 51, "broken"},
        CallCase{"CalleeErrorUnchanged", "Fail", {1004, "Custom text"}, {}, 1004, "Custom text"},
        CallCase{"StandardDescription", "Fail", {13, QString()}, {}, 13, "Type mismatch"}),
    [](const auto& info) { return info.param.name; });

TEST(LateBound, NullTargetRaises91) {
    EXPECT_EQ(jextest::raisedNumber([] { jex::call(nullptr, "Touch"); }), jex::err::ObjectNotSet);
}

TEST(LateBound, HasMethodFindsInvokablesByName) {
    Callee callee;
    EXPECT_TRUE(jex::hasMethod(&callee, "Echo"));
    EXPECT_FALSE(jex::hasMethod(&callee, "Missing"));
    EXPECT_FALSE(jex::hasMethod(nullptr, "Echo"));
}

}  // namespace

#include "latebound_test.moc"
