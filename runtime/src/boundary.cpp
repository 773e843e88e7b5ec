#include "jex/boundary.h"

#include <new>

namespace jex {

namespace {
thread_local std::optional<ErrObject> pendingError;
}

void setPendingError(const ErrObject& error) {
    pendingError = error;
}

std::optional<ErrObject> takePendingError() {
    std::optional<ErrObject> taken;
    taken.swap(pendingError);
    return taken;
}

ErrObject errorFromCurrentException() noexcept {
    try {
        throw;
    } catch (const Error& e) {
        return e.object();
    } catch (const std::bad_alloc&) {
        return ErrObject{err::OutOfMemory, errorDescription(err::OutOfMemory)};
    } catch (const std::exception& e) {
        return ErrObject{51, QString::fromLocal8Bit(e.what())};
    } catch (...) {
        return ErrObject{51, errorDescription(51)};
    }
}

}  // namespace jex
