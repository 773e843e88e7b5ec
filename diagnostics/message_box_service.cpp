#include "diagnostics/message_box_service.h"

#include <utility>

namespace kdrsm {

namespace {
// Per thread, like the rest of the module state.
MessageBoxService& installed() {
    thread_local MessageBoxService service;
    return service;
}
}  // namespace

MessageBoxService setMessageBoxService(MessageBoxService service) {
    return std::exchange(installed(), std::move(service));
}

const MessageBoxService& messageBoxService() {
    return installed();
}

}  // namespace kdrsm
