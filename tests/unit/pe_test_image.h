// The smallest byte images that pass as executable images: a DOS header whose e_lfanew
// points at "PE\0\0" and a file header with the given machine.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace jl::test_pe {

constexpr uint16_t kMachineI386 = 0x014C;
constexpr uint16_t kMachineAmd64 = 0x8664;
constexpr uint16_t kMachineArm64 = 0xAA64;
constexpr uint32_t kNtHeadersOffset = 0x80;
constexpr size_t kNtHeadersOffsetField = 0x3C;

inline void putUint32(std::vector<uint8_t>& bytes, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

// Ends right after the file header: any shorter prefix cuts the headers.
inline std::vector<uint8_t> peImage(uint16_t machine, uint32_t ntOffset = kNtHeadersOffset) {
    std::vector<uint8_t> bytes(ntOffset + 4 + 20, 0);
    bytes[0] = 'M';
    bytes[1] = 'Z';
    putUint32(bytes, kNtHeadersOffsetField, ntOffset);
    bytes[ntOffset] = 'P';
    bytes[ntOffset + 1] = 'E';
    bytes[ntOffset + 4] = static_cast<uint8_t>(machine);
    bytes[ntOffset + 5] = static_cast<uint8_t>(machine >> 8);
    return bytes;
}

inline std::string peImageText(uint16_t machine) {
    const std::vector<uint8_t> bytes = peImage(machine);
    return std::string(bytes.begin(), bytes.end());
}

}  // namespace jl::test_pe
