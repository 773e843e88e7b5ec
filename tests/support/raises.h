#pragma once
// The run-time error a statement raises, and tables of statements that must
// raise given numbers.

#include <gtest/gtest.h>

#include <functional>
#include <initializer_list>

#include "jex/error.h"

namespace jextest {

// The error a statement raises; number 0 and no description when it raises
// nothing.
inline jex::Error raisedError(const std::function<void()>& statement) {
    try {
        statement();
    } catch (const jex::Error& e) {
        return e;
    }
    return jex::Error(jex::ErrObject{});
}

inline qint32 raisedNumber(const std::function<void()>& statement) {
    return raisedError(statement).number();
}

// A named statement and the error number it must raise (0: none).
struct Raising {
    const char* name;
    std::function<void()> statement;
    qint32 error;
};

inline void expectRaised(std::initializer_list<Raising> rows) {
    for (const Raising& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(raisedNumber(row.statement), row.error);
    }
}

}  // namespace jextest
