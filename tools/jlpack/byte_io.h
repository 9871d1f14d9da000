// Little-endian fields of the formats jlpack reads and writes. Reads check their
// bounds: a field that does not lie wholly inside the buffer reads as "not there".
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace jlpack {

using Bytes = std::vector<uint8_t>;

inline bool fits(size_t size, uint64_t offset, uint64_t length) {
    return offset <= size && length <= size - offset;
}

inline uint16_t get16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
inline uint32_t get32(const uint8_t* p) {
    return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

// False, with `value` untouched, when the field runs past the end.
inline bool read16(const Bytes& b, uint64_t at, uint16_t& value) {
    if (!fits(b.size(), at, 2)) return false;
    value = get16(b.data() + at);
    return true;
}
inline bool read32(const Bytes& b, uint64_t at, uint32_t& value) {
    if (!fits(b.size(), at, 4)) return false;
    value = get32(b.data() + at);
    return true;
}

// Writes assume the caller sized the buffer.
inline void put16(Bytes& b, size_t at, uint32_t v) {
    b[at] = static_cast<uint8_t>(v);
    b[at + 1] = static_cast<uint8_t>(v >> 8);
}
inline void put32(Bytes& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}
inline void append16(Bytes& b, uint32_t v) {
    b.push_back(static_cast<uint8_t>(v));
    b.push_back(static_cast<uint8_t>(v >> 8));
}
inline void append32(Bytes& b, uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
inline void padTo(Bytes& b, size_t alignment) {
    while (b.size() % alignment != 0) b.push_back(0);
}
inline uint64_t alignUp(uint64_t value, uint64_t alignment) {
    return (value + alignment - 1) / alignment * alignment;
}

// UTF-16 code units, as resource names and version texts hold them.
inline void appendUtf16z(Bytes& b, const std::u16string& text) {
    for (char16_t c : text) append16(b, c);
    append16(b, 0);
}

}  // namespace jlpack
