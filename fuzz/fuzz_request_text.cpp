// Request texts: a parsed request rebuilds to the same text.
#include "fuzz_main.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return kdrsm::fuzz::runCheck(&kdrsm::wire::properties::checkRequestText, data, size);
}
