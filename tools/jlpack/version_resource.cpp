#include "version_resource.h"

namespace jlpack {
namespace {

constexpr uint32_t kFixedSignature = 0xFEEF04BD;
constexpr uint16_t kUnicodeCodePage = 0x04B0;
constexpr uint16_t kUsEnglish = 0x0409;

const wchar_t* const kNames[] = {L"FileVersion", L"ProductVersion", L"ProductName", L"CompanyName",
                                 L"FileDescription", L"LegalCopyright", L"OriginalFilename", L"InternalName",
                                 L"Comments", L"LegalTrademarks", L"PrivateBuild", L"SpecialBuild"};

std::u16string u16(const char* text) { return std::u16string(text, text + std::char_traits<char>::length(text)); }

Bytes block(const std::u16string& key, uint16_t type, const Bytes& value, uint16_t valueLength,
            const std::vector<Bytes>& children) {
    Bytes b(6, 0);
    appendUtf16z(b, key);
    padTo(b, 4);
    b.insert(b.end(), value.begin(), value.end());
    for (const Bytes& child : children) {
        padTo(b, 4);
        b.insert(b.end(), child.begin(), child.end());
    }
    put16(b, 0, static_cast<uint32_t>(b.size()));
    put16(b, 2, valueLength);
    put16(b, 4, type);
    return b;
}

// One block of the tree as read: its key, value and children, all inside `end`.
struct Block {
    std::u16string key;
    size_t valueAt = 0, valueEnd = 0, childrenAt = 0, end = 0;
};

bool readBlock(const Bytes& b, size_t at, size_t limit, Block& out) {
    uint16_t length = 0, valueLength = 0, type = 0;
    if (!read16(b, at, length) || !read16(b, at + 2, valueLength) || !read16(b, at + 4, type) || length < 6 ||
        at + length > limit) {
        return false;
    }
    out.end = at + length;
    size_t p = at + 6;
    out.key.clear();
    for (;; p += 2) {
        if (p + 2 > out.end) return false;
        const char16_t c = get16(b.data() + p);
        if (c == 0) break;
        out.key.push_back(c);
    }
    out.valueAt = alignUp(p + 2, 4);
    const size_t valueBytes = type == 1 ? 2u * valueLength : valueLength;
    out.valueEnd = std::min(out.end, out.valueAt + valueBytes);
    out.childrenAt = alignUp(out.valueEnd, 4);
    return out.valueAt <= out.end;
}

void fixedPart(Bytes& b, const VersionInfo& info) {
    const uint16_t* f = info.fileVersion;
    const uint16_t* p = info.productVersion;
    const uint32_t fields[13] = {kFixedSignature, 0x00010000, uint32_t{f[0]} << 16 | f[1], uint32_t{f[2]} << 16 | f[3],
                                 uint32_t{p[0]} << 16 | p[1], uint32_t{p[2]} << 16 | p[3], 0x3F, 0,
                                 0x00040004 /* NT, 32-bit Windows */, 1 /* application */, 0, 0, 0};
    for (uint32_t field : fields) append32(b, field);
}

}  // namespace

bool isVersionName(const std::wstring& name) {
    for (const wchar_t* known : kNames) {
        if (name == known) return true;
    }
    return false;
}

bool parseVersionNumber(const std::wstring& text, uint16_t parts[4]) {
    uint16_t read[4] = {0, 0, 0, 0};
    size_t i = 0;
    for (int part = 0; part < 4; ++part) {
        uint32_t value = 0;
        const size_t start = i;
        while (i < text.size() && text[i] >= L'0' && text[i] <= L'9' && i - start < 6) value = value * 10 + (text[i++] - L'0');
        if (i == start || value > 65535) return false;
        read[part] = static_cast<uint16_t>(value);
        if (i == text.size() || text[i] != L'.' || part == 3) break;
        ++i;
    }
    if (i < text.size() && text[i] != L' ' && text[i] != L'-' && text[i] != L'+') return false;
    for (int part = 0; part < 4; ++part) parts[part] = read[part];
    return true;
}

Bytes buildVersionResource(const VersionInfo& info, uint16_t language) {
    const uint16_t listed = language == 0 ? kUsEnglish : language;
    std::vector<Bytes> strings;
    for (const auto& entry : info.strings) {
        Bytes value;
        appendUtf16z(value, entry.second);
        strings.push_back(block(entry.first, 1, value, static_cast<uint16_t>(entry.second.size() + 1), {}));
    }
    static const char kHex[] = "0123456789ABCDEF";
    std::u16string tableKey;
    for (uint32_t v = uint32_t{listed} << 16 | kUnicodeCodePage, shift = 32; shift > 0; shift -= 4) {
        tableKey.push_back(static_cast<char16_t>(kHex[(v >> (shift - 4)) & 0xF]));
    }
    const Bytes table = block(tableKey, 1, {}, 0, strings);
    Bytes translation;
    append16(translation, listed);
    append16(translation, kUnicodeCodePage);
    const Bytes var = block(u16("Translation"), 0, translation, 4, {});
    Bytes fixed;
    fixedPart(fixed, info);
    return block(u16("VS_VERSION_INFO"), 0, fixed, 52,
                 {block(u16("StringFileInfo"), 1, {}, 0, {table}), block(u16("VarFileInfo"), 1, {}, 0, {var})});
}

bool readVersionResource(const Bytes& resource, VersionInfo& info) {
    Block root;
    uint32_t signature = 0;
    if (!readBlock(resource, 0, resource.size(), root) || root.key != u16("VS_VERSION_INFO") ||
        root.valueEnd - root.valueAt < 52 || !read32(resource, root.valueAt, signature) || signature != kFixedSignature) {
        return false;
    }
    VersionInfo read;
    const uint8_t* fixed = resource.data() + root.valueAt;
    for (int i = 0; i < 2; ++i) {
        for (int half = 0; half < 2; ++half) {
            const uint32_t file = get32(fixed + 8 + 4 * half), product = get32(fixed + 16 + 4 * half);
            read.fileVersion[2 * half + i] = static_cast<uint16_t>(i == 0 ? file >> 16 : file);
            read.productVersion[2 * half + i] = static_cast<uint16_t>(i == 0 ? product >> 16 : product);
        }
    }
    Block child, table, entry;
    for (size_t at = root.childrenAt; at < root.end && readBlock(resource, at, root.end, child); at = alignUp(child.end, 4)) {
        if (child.key != u16("StringFileInfo") || !readBlock(resource, child.childrenAt, child.end, table)) continue;
        for (size_t e = table.childrenAt; e < table.end && readBlock(resource, e, table.end, entry); e = alignUp(entry.end, 4)) {
            std::u16string value;
            for (size_t p = entry.valueAt; p + 2 <= entry.valueEnd && get16(resource.data() + p) != 0; p += 2) {
                value.push_back(get16(resource.data() + p));
            }
            read.strings.emplace_back(entry.key, value);
        }
        break;
    }
    info = read;
    return true;
}

void setVersion(ResourceTree& tree, const VersionInfo& info) {
    std::vector<uint16_t> languages;
    auto& names = tree.types[kTypeVersion];
    for (const auto& name : names)
        for (const auto& language : name.second) languages.push_back(language.first);
    if (languages.empty()) languages.push_back(0);
    names.clear();
    for (uint16_t language : languages) names[1][language].bytes = buildVersionResource(info, language);
}

}  // namespace jlpack
