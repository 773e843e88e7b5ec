// Numbers: blanks do not change them; the integer conversions agree.
#include "fuzz_main.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return kdrsm::fuzz::runCheck(&kdrsm::wire::properties::checkNumbers, data, size);
}
