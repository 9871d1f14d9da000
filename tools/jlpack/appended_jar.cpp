#include "appended_jar.h"

#include <algorithm>

namespace jlpack {
namespace {

constexpr uint32_t kLocalSignature = 0x04034B50;
constexpr uint32_t kCentralSignature = 0x02014B50;
constexpr uint32_t kEndSignature = 0x06054B50;
constexpr size_t kEndSize = 22;
constexpr size_t kCentralSize = 46;
constexpr size_t kMaxComment = 0xFFFF;

// Walks the central directory at `central`: each entry's local header must lie before
// it (at `base` + its offset). Calls `visit` with the offset of each entry's local
// header field.
template <typename Visit>
bool walkCentral(const Bytes& b, size_t base, size_t central, size_t size, uint32_t entries, Visit visit) {
    size_t at = central;
    for (uint32_t i = 0; i < entries; ++i) {
        uint32_t signature = 0, local = 0, localSignature = 0;
        if (!read32(b, at, signature) || signature != kCentralSignature || !fits(b.size(), at, kCentralSize)) return false;
        const size_t next = at + kCentralSize + get16(b.data() + at + 28) + get16(b.data() + at + 30) + get16(b.data() + at + 32);
        local = get32(b.data() + at + 42);
        if (next > central + size || base + uint64_t{local} >= central ||
            !read32(b, base + uint64_t{local}, localSignature) || localSignature != kLocalSignature) {
            return false;
        }
        visit(at + 42);
        at = next;
    }
    return at == central + size;
}

// The end record whose comment ends exactly at `end` (or, with `loose`, anywhere at
// or past it), looking back no further than `from`.
bool findEndRecord(const Bytes& b, size_t from, size_t end, bool loose, size_t& record) {
    if (end < from + kEndSize || end > b.size()) return false;
    const size_t lowest = std::max(from, end - kEndSize > kMaxComment ? end - kEndSize - kMaxComment : size_t{0});
    for (size_t at = end - kEndSize + 1; at-- > lowest;) {
        if (get32(b.data() + at) != kEndSignature) continue;
        const size_t commentEnd = at + kEndSize + get16(b.data() + at + 20);
        if (commentEnd == end || (loose && commentEnd > end && commentEnd <= b.size())) {
            record = at;
            return true;
        }
    }
    return false;
}

}  // namespace

bool prepareAppendedJar(const Bytes& jar, uint64_t position, Bytes& out, std::wstring& error) {
    size_t record = 0;
    if (!findEndRecord(jar, 0, jar.size(), false, record)) {
        error = L"is not a ZIP archive (no end record ends the file)";
        return false;
    }
    const uint8_t* e = jar.data() + record;
    const uint32_t entries = get16(e + 10), size = get32(e + 12), central = get32(e + 16);
    if (entries == 0xFFFF || size == 0xFFFFFFFF || central == 0xFFFFFFFF) {
        error = L"is a ZIP64 archive, which jlpack does not append";
        return false;
    }
    if (get16(e + 4) != 0 || get16(e + 6) != 0 || get16(e + 8) != entries || entries == 0) {
        error = L"is no single-part ZIP archive with entries";
        return false;
    }
    if (uint64_t{central} + size != record) {
        error = L"is no plain ZIP archive: its central directory does not end at its end record";
        return false;
    }
    if (position + jar.size() > 0xFFFFFFFFu) {
        error = L"would end beyond 4 GiB, which the ZIP format cannot address without ZIP64";
        return false;
    }
    Bytes moved = jar;
    const uint32_t shift = static_cast<uint32_t>(position);
    if (!walkCentral(jar, 0, central, size, entries,
                     [&](size_t field) { put32(moved, field, get32(jar.data() + field) + shift); })) {
        error = L"is a damaged ZIP archive: its central directory does not match its entries";
        return false;
    }
    put32(moved, record + 16, central + shift);
    const size_t padding = (8 - (position + moved.size()) % 8) % 8;
    const size_t comment = get16(e + 20);
    if (comment + padding <= kMaxComment) {
        put16(moved, record + 20, static_cast<uint32_t>(comment + padding));
        moved.resize(moved.size() + padding, 0);
    }
    out.swap(moved);
    return true;
}

bool findAppendedJar(const Bytes& file, size_t from, size_t limit, ZipEnd& zip) {
    size_t record = 0;
    if (!findEndRecord(file, from, limit, true, record)) return false;
    const uint8_t* e = file.data() + record;
    const uint32_t entries = get16(e + 10), size = get32(e + 12), central = get32(e + 16);
    if (size > record || entries == 0) return false;
    // Offsets count from the file (as jlpack writes them) or from the archive's start
    // (an archive simply concatenated).
    const size_t centralAt = record - size;
    const size_t base = centralAt - std::min<size_t>(central, centralAt);
    size_t start = centralAt;
    if (!walkCentral(file, base, centralAt, size, entries,
                     [&](size_t field) { start = std::min<size_t>(start, base + get32(file.data() + field)); }) ||
        start < from) {
        return false;
    }
    zip.endRecord = record;
    zip.start = start;
    zip.end = record + kEndSize + get16(e + 20);
    zip.entries = entries;
    zip.fileOffsets = base == 0;
    return true;
}

bool extendCommentTo(Bytes& file, const ZipEnd& zip, size_t fileEnd) {
    if (fileEnd < zip.endRecord + kEndSize || fileEnd - zip.endRecord - kEndSize > kMaxComment) return false;
    put16(file, zip.endRecord + 20, static_cast<uint32_t>(fileEnd - zip.endRecord - kEndSize));
    return true;
}

}  // namespace jlpack
