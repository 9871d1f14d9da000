// Data resources of the Linux executable. An ELF file has no resource section, so the
// image carries a reserved area that jlpack finds by its magic and fills in
// place:
//
//   offset 0   16-byte magic "jlaunch-rcdata-1"
//   offset 16  uint32 LE: size of the whole area in bytes, header included
//   offset 20  records: uint32 LE id, uint32 LE length, `length` bytes; a zero id ends
//              the list
//
// The tool relies on this layout and on the magic appearing exactly once in the file.
#include "os/os.h"

#include <cstddef>

namespace {

constexpr size_t kAreaSize = 64 * 1024;
constexpr size_t kMagicSize = 16;
constexpr size_t kHeaderSize = kMagicSize + 4;
constexpr size_t kRecordHeaderSize = 8;

// The magic with every byte xor-ed with 0xFF: comparing against this instead of the
// plain bytes keeps the area's own initialiser the only copy of the magic in the image.
constexpr uint8_t kMaskedMagic[kMagicSize] = {
    'j' ^ 0xFF, 'l' ^ 0xFF, 'a' ^ 0xFF, 'u' ^ 0xFF, 'n' ^ 0xFF, 'c' ^ 0xFF, 'h' ^ 0xFF, '-' ^ 0xFF,
    'r' ^ 0xFF, 'c' ^ 0xFF, 'd' ^ 0xFF, 'a' ^ 0xFF, 't' ^ 0xFF, 'a' ^ 0xFF, '-' ^ 0xFF, '1' ^ 0xFF,
};

}  // namespace

// Not const and not static: the compiler must not assume that the area keeps the
// contents it was built with, since the tool rewrites them in the file. `used` keeps it
// in the object even though only this file reads it.
extern "C" {
__attribute__((used, aligned(16))) uint8_t jl_embedded_resource_area[kAreaSize] = {
    'j', 'l', 'a', 'u', 'n', 'c', 'h', '-', 'r', 'c', 'd', 'a', 't', 'a', '-', '1',
    static_cast<uint8_t>(kAreaSize & 0xFF), static_cast<uint8_t>((kAreaSize >> 8) & 0xFF),
    static_cast<uint8_t>((kAreaSize >> 16) & 0xFF), static_cast<uint8_t>((kAreaSize >> 24) & 0xFF),
};
}

namespace jl::os {
namespace {

uint32_t readLittleEndian32(const volatile uint8_t* p) {
    return uint32_t{p[0]} | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16) | (uint32_t{p[3]} << 24);
}

}  // namespace

bool loadDataResource(unsigned id, std::vector<uint8_t>& bytes) {
    if (id == 0) return false;
    const volatile uint8_t* area = jl_embedded_resource_area;
    for (size_t i = 0; i < kMagicSize; ++i) {
        if ((area[i] ^ 0xFF) != kMaskedMagic[i]) return false;
    }
    size_t offset = kHeaderSize;
    while (kAreaSize - offset >= kRecordHeaderSize) {
        const uint32_t recordId = readLittleEndian32(area + offset);
        if (recordId == 0) return false;
        const uint32_t length = readLittleEndian32(area + offset + 4);
        offset += kRecordHeaderSize;
        if (length > kAreaSize - offset) return false;
        if (recordId == id) {
            std::vector<uint8_t> found(length);
            for (size_t i = 0; i < length; ++i) found[i] = area[offset + i];
            bytes.swap(found);
            return true;
        }
        offset += length;
    }
    return false;
}

}  // namespace jl::os
