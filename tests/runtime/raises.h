#pragma once
// The run-time error number a statement raises (0 when it raises nothing).

#include <functional>

#include "jex/error.h"

namespace jextest {

inline qint32 raisedNumber(const std::function<void()>& statement) {
    try {
        statement();
    } catch (const jex::Error& e) {
        return e.number();
    }
    return 0;
}

}  // namespace jextest
