// The executable-image check on arbitrary bytes: it reads nothing outside the input (the
// address sanitizer sees to that) and agrees with a direct reading of the headers.
#include <cstdint>

#include "fuzz_support.h"
#include "support/paths.h"

namespace {

uint32_t readLe(const uint8_t* p, int bytes) {
    uint32_t value = 0;
    for (int i = bytes - 1; i >= 0; --i) value = value << 8 | p[i];
    return value;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const jl::PeImageCheck result = jl::checkPeImage(data, size);

    bool valid = false;
    bool x86 = false;
    if (size >= 0x40 && data[0] == 'M' && data[1] == 'Z') {
        const uint64_t nt = readLe(data + 0x3C, 4);
        if (nt + 24 <= size && readLe(data + nt, 4) == 0x4550) {
            valid = true;
            x86 = readLe(data + nt + 4, 2) == 0x014C;
        }
    }
    FUZZ_CHECK(result.valid == valid);
    FUZZ_CHECK(result.x86 == x86);
    return 0;
}
