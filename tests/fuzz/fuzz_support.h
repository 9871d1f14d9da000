// Shared by the fuzz targets: turning fuzzer bytes into launcher text, and a check that
// ends the run with a message when an invariant does not hold.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

// A byte below 0x80 is that ASCII character, so quotes, spaces and digits are dense in
// small inputs; a byte from 0x80 on is followed by two bytes that form any UTF-16 unit
// (little-endian), so surrogates, U+0000 and the rest can appear too.
inline std::wstring fuzzText(const uint8_t* data, size_t size) {
    std::wstring text;
    text.reserve(size);
    for (size_t i = 0; i < size; ++i) {
        if (data[i] < 0x80) {
            text += static_cast<wchar_t>(data[i]);
        } else if (i + 2 < size) {
            text += static_cast<wchar_t>(data[i + 1] | data[i + 2] << 8);
            i += 2;
        }
    }
    return text;
}

#define FUZZ_CHECK(condition)                                                          \
    do {                                                                               \
        if (!(condition)) {                                                            \
            std::fprintf(stderr, "%s:%d: invariant failed: %s\n", __FILE__, __LINE__, \
                         #condition);                                                  \
            std::abort();                                                              \
        }                                                                              \
    } while (0)
