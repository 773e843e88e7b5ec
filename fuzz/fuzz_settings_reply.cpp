// Settings replies: splitting and reading every field of section 0.
#include "fuzz_main.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return kdrsm::fuzz::runCheck(&kdrsm::wire::properties::checkSettingsReply, data, size);
}
