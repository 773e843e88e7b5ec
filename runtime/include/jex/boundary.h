#pragma once
// Carrying run-time errors across the late-bound boundary without letting a
// C++ exception travel through Qt's meta-call code or out of a component
// library. The callee wraps each invokable body in boundary(): an error it
// raises is stored for the calling thread and the method returns a default
// value. The caller's side (jex::call) takes the stored error and raises it
// again, number and description unchanged.

#include <exception>
#include <optional>
#include <type_traits>

#include "jex/error.h"
#include "jex/export.h"

namespace jex {

// Stores the error of the method that is returning on this thread.
JEX_RUNTIME_EXPORT void setPendingError(const ErrObject& error);
// Takes (and clears) the stored error, if any.
JEX_RUNTIME_EXPORT std::optional<ErrObject> takePendingError();

// Maps any exception escaping a method body to an error object.
JEX_RUNTIME_EXPORT ErrObject errorFromCurrentException() noexcept;

template <class Body>
auto boundary(Body&& body) noexcept -> std::invoke_result_t<Body> {
    using Result = std::invoke_result_t<Body>;
    try {
        return body();
    } catch (...) {
        setPendingError(errorFromCurrentException());
    }
    if constexpr (!std::is_void_v<Result>) return Result{};
}

}  // namespace jex
