#include "support/paths.h"

#include "os/os.h"

namespace jl {
namespace {

constexpr wchar_t kSeparator = os::kPathSeparator;

#ifdef _WIN32
constexpr wchar_t kLongPathPrefix[] = L"\\\\?\\";
constexpr size_t kLongPathPrefixLength = 4;
#endif

// Little-endian reads that never assume alignment.
uint16_t readUint16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t readUint32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

constexpr uint16_t kDosSignature = 0x5A4D;      // "MZ"
constexpr size_t kNtHeaderOffsetField = 0x3C;   // e_lfanew
constexpr uint32_t kNtSignature = 0x00004550;   // "PE\0\0"
constexpr size_t kNtSignatureSize = 4;
constexpr size_t kFileHeaderSize = 20;          // IMAGE_FILE_HEADER
constexpr uint16_t kMachineI386 = 0x014C;

}  // namespace

std::wstring stripPathComponents(const std::wstring& path, int count) {
    std::wstring result = path;
    for (int i = 0; i < count; ++i) {
        const size_t last = result.rfind(kSeparator);
        if (last != std::wstring::npos) result.erase(last);
    }
    return result;
}

#ifdef _WIN32

bool isAbsolutePath(const std::wstring& path) {
    if (path.size() < 2) return false;
    return (path[0] == L'\\' && path[1] == L'\\') || path[1] == L':';
}

bool hasLongPathPrefix(const std::wstring& path) {
    return path.compare(0, kLongPathPrefixLength, kLongPathPrefix) == 0;
}

bool isUncPath(const std::wstring& path) {
    return path.size() > 2 && path[0] == L'\\' && path[1] == L'\\' && path[2] != L'?';
}

std::wstring withLongPathPrefix(const std::wstring& path) {
    if (path.size() < kLongPathLength || hasLongPathPrefix(path)) return path;
    return kLongPathPrefix + path;
}

#else

bool isAbsolutePath(const std::wstring& path) { return !path.empty() && path[0] == L'/'; }
bool hasLongPathPrefix(const std::wstring&) { return false; }
bool isUncPath(const std::wstring&) { return false; }
std::wstring withLongPathPrefix(const std::wstring& path) { return path; }

#endif

std::vector<std::wstring> splitPathComponents(const std::wstring& path) {
    std::wstring rest = path;
    std::wstring prefix;
#ifdef _WIN32
    if (hasLongPathPrefix(rest)) {
        prefix = rest.substr(0, kLongPathPrefixLength);
        rest.erase(0, kLongPathPrefixLength);
    }
#endif
    // The server of a UNC name belongs to its root: search past the leading "\\".
    const size_t rootEnd = rest.find(kSeparator, isUncPath(rest) ? 2 : 0);

    std::vector<std::wstring> components;
    if (rootEnd == std::wstring::npos) {
        components.push_back(prefix + rest);
        return components;
    }
    components.push_back(prefix + rest.substr(0, rootEnd));
    size_t start = rootEnd + 1;
    for (;;) {
        const size_t next = rest.find(kSeparator, start);
        if (next == std::wstring::npos) break;
        components.push_back(rest.substr(start, next - start));
        start = next + 1;
    }
    if (start < rest.size()) components.push_back(rest.substr(start));
    return components;
}

PeImageCheck checkPeImage(const uint8_t* data, size_t size) {
    PeImageCheck result;
    if (data == nullptr || size < kNtHeaderOffsetField + 4) return result;
    if (readUint16(data) != kDosSignature) return result;
    // 64-bit arithmetic: an offset near 4 GiB must not wrap around to a small one.
    const uint64_t ntHeaders = readUint32(data + kNtHeaderOffsetField);
    if (ntHeaders + kNtSignatureSize + kFileHeaderSize > size) return result;
    const uint8_t* nt = data + ntHeaders;
    if (readUint32(nt) != kNtSignature) return result;
    result.valid = true;
    result.x86 = readUint16(nt + kNtSignatureSize) == kMachineI386;
    return result;
}

}  // namespace jl
