#include "embedded_layer.h"

#include "config/embedded_cipher.h"
#include "config/embedded_settings.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#ifdef _WIN32
#include <windows.h>
#include <ntsecapi.h>
#endif

namespace jlpack {
namespace {

constexpr size_t kKeyTextRandomBytes = 32;
// Must match the reserved area in os/posix/resource_posix.cpp. Kept upper-case here and
// lowered when used, so that no program linking this file (the unit tests link it with
// the launcher's code) carries a second copy of the magic.
constexpr char kAreaMagicUpper[] = "JLAUNCH-RCDATA-1";
constexpr size_t kAreaMagicSize = sizeof(kAreaMagicUpper) - 1;
constexpr size_t kAreaHeaderSize = kAreaMagicSize + 4;

std::string areaMagic() {
    std::string magic = kAreaMagicUpper;
    for (char& c : magic) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return magic;
}

void appendCodePoint(std::wstring& text, uint32_t code) {
    if (sizeof(wchar_t) == 2 && code > 0xFFFF) {
        text.push_back(static_cast<wchar_t>(0xD800 + ((code - 0x10000) >> 10)));
        text.push_back(static_cast<wchar_t>(0xDC00 + ((code - 0x10000) & 0x3FF)));
    } else {
        text.push_back(static_cast<wchar_t>(code));
    }
}

// Strict UTF-8: a file saved in a legacy code page is reported instead of garbled.
bool decodeUtf8(const uint8_t* bytes, size_t size, std::wstring& text, size_t& badOffset) {
    static const uint32_t kMinimum[4] = {0, 0x80, 0x800, 0x10000};
    for (size_t i = 0; i < size;) {
        const uint8_t lead = bytes[i];
        const size_t extra = lead < 0x80 ? 0 : (lead & 0xE0) == 0xC0 ? 1 : (lead & 0xF0) == 0xE0 ? 2
                           : (lead & 0xF8) == 0xF0 ? 3 : 4;
        badOffset = i;
        if (extra == 4 || size - i - 1 < extra) return false;
        uint32_t code = extra == 0 ? lead : lead & (0x3F >> extra);
        for (size_t k = 1; k <= extra; ++k) {
            if ((bytes[i + k] & 0xC0) != 0x80) return false;
            code = code << 6 | (bytes[i + k] & 0x3F);
        }
        if (code < kMinimum[extra] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
        appendCodePoint(text, code);
        i += extra + 1;
    }
    return true;
}

// The launcher splits the layer at CR LF only.
std::wstring withCrLfLineEnds(const std::wstring& text) {
    std::wstring converted;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'\r' || text[i] == L'\n') {
            converted += L"\r\n";
            if (text[i] == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n') ++i;
        } else {
            converted += text[i];
        }
    }
    return converted;
}

void derivedNonce(unsigned id, const std::wstring& key, const std::wstring& plain, uint8_t* nonce) {
    jl::Sha256 hash;
    const uint8_t label[] = {'j', 'l', 'n', static_cast<uint8_t>(id), static_cast<uint8_t>(id >> 8)};
    hash.update(label, sizeof(label));
    for (const std::wstring* part : {&key, &plain}) {
        const Bytes bytes = jl::toUtf16LeBytes(*part);
        uint8_t length[4];
        for (int i = 0; i < 4; ++i) length[i] = static_cast<uint8_t>(bytes.size() >> (8 * i));
        hash.update(length, 4);
        hash.update(bytes.data(), bytes.size());
    }
    uint8_t digest[jl::kSha256DigestSize];
    hash.finish(digest);
    std::memcpy(nonce, digest, jl::kResourceNonceSize);
}

bool encipher(unsigned id, const std::wstring& key, const std::wstring& plain, bool derived, Bytes& out,
              std::wstring& error) {
    uint8_t nonce[jl::kResourceNonceSize];
    if (derived) {
        derivedNonce(id, key, plain, nonce);
    } else if (!randomBytes(nonce, sizeof(nonce), error)) {
        return false;
    }
    if (!jl::encipherResource(key, plain, nonce, out)) {
        error = L"the embedded settings are too long to encipher";
        return false;
    }
    return true;
}

bool findArea(const Bytes& file, size_t& offset, uint32_t& size, std::wstring& error) {
    const std::string magic = areaMagic();
    const auto found = std::search(file.begin(), file.end(), magic.begin(), magic.end());
    if (found == file.end()) {
        error = L"has no area reserved for embedded settings (is it a jlaunch build?)";
        return false;
    }
    if (std::search(found + 1, file.end(), magic.begin(), magic.end()) != file.end()) {
        error = L"contains the reserved area's mark more than once; refusing to guess";
        return false;
    }
    offset = static_cast<size_t>(found - file.begin());
    if (!read32(file, offset + kAreaMagicSize, size) || size < kAreaHeaderSize || !fits(file.size(), offset, size)) {
        error = L"has a reserved area of an invalid size";
        return false;
    }
    return true;
}

}  // namespace

bool decodeSettingsText(const Bytes& file, std::wstring& text, std::wstring& error) {
    std::wstring decoded;
    const size_t size = file.size();
    if (size >= 2 && ((file[0] == 0xFF && file[1] == 0xFE) || (file[0] == 0xFE && file[1] == 0xFF))) {
        if (size % 2 != 0) {
            error = L"is UTF-16 but has an odd number of bytes";
            return false;
        }
        Bytes little(file.begin() + 2, file.end());
        if (file[0] == 0xFE) {
            for (size_t i = 0; i + 1 < little.size(); i += 2) std::swap(little[i], little[i + 1]);
        }
        decoded = jl::fromUtf16LeBytes(little.data(), little.size());
    } else {
        const size_t start = size >= 3 && file[0] == 0xEF && file[1] == 0xBB && file[2] == 0xBF ? 3 : 0;
        size_t bad = 0;
        if (!decodeUtf8(file.data() + start, size - start, decoded, bad)) {
            error = L"is neither UTF-8 nor UTF-16 with a byte order mark (invalid UTF-8 at byte " +
                    std::to_wstring(start + bad) + L")";
            return false;
        }
    }
    text = withCrLfLineEnds(decoded);
    return true;
}

bool encipherLayer(const std::wstring& upgradeCode, const std::wstring* keyText, const std::wstring& settingsText,
                   EmbeddedLayer& layer, std::wstring& error) {
    std::wstring key;
    if (keyText != nullptr) {
        key = *keyText;
    } else {
        uint8_t random[kKeyTextRandomBytes];
        if (!randomBytes(random, sizeof(random), error)) return false;
        static const wchar_t kHex[] = L"0123456789abcdef";
        for (uint8_t b : random) key += std::wstring{kHex[b >> 4], kHex[b & 0x0F]};
    }
    const bool derived = keyText != nullptr;
    return encipher(jl::kEmbeddedKeyResourceId, upgradeCode, key, derived, layer.keyResource, error) &&
           encipher(jl::kEmbeddedSettingsResourceId, key, settingsText, derived, layer.settingsResource, error);
}

bool decipherLayer(const std::wstring& upgradeCode, const EmbeddedLayer& layer, std::wstring& text) {
    std::wstring key;
    return jl::decipherResource(upgradeCode, layer.keyResource, key) &&
           jl::decipherResource(key, layer.settingsResource, text);
}

bool writeReservedArea(Bytes& file, const EmbeddedLayer& layer, std::wstring& error) {
    size_t offset = 0;
    uint32_t size = 0;
    if (!findArea(file, offset, size, error)) return false;
    Bytes records;
    for (const auto& record : {std::make_pair(jl::kEmbeddedKeyResourceId, &layer.keyResource),
                               std::make_pair(jl::kEmbeddedSettingsResourceId, &layer.settingsResource)}) {
        append32(records, record.first);
        append32(records, static_cast<uint32_t>(record.second->size()));
        records.insert(records.end(), record.second->begin(), record.second->end());
    }
    append32(records, 0);
    const size_t capacity = size - kAreaHeaderSize;
    if (records.size() > capacity) {
        error = L"cannot take the embedded settings: they need " + std::to_wstring(records.size()) +
                L" bytes, its reserved area holds " + std::to_wstring(capacity);
        return false;
    }
    records.resize(capacity, 0);  // clears what an earlier layer left
    std::copy(records.begin(), records.end(), file.begin() + offset + kAreaHeaderSize);
    return true;
}

bool readReservedArea(const Bytes& file, EmbeddedLayer& layer, std::wstring& error) {
    size_t offset = 0;
    uint32_t size = 0;
    if (!findArea(file, offset, size, error)) return false;
    const Bytes area(file.begin() + offset, file.begin() + offset + size);
    for (size_t at = kAreaHeaderSize; at + 8 <= area.size();) {
        const uint32_t id = get32(area.data() + at);
        const uint32_t length = get32(area.data() + at + 4);
        if (id == 0 || !fits(area.size(), at + 8, length)) break;
        Bytes* target = id == jl::kEmbeddedKeyResourceId ? &layer.keyResource
                      : id == jl::kEmbeddedSettingsResourceId ? &layer.settingsResource : nullptr;
        if (target != nullptr) target->assign(area.begin() + at + 8, area.begin() + at + 8 + length);
        at += 8 + length;
    }
    return true;
}

bool randomBytes(uint8_t* out, size_t size, std::wstring& error) {
#ifdef _WIN32
    if (RtlGenRandom(out, static_cast<ULONG>(size))) return true;
#else
    if (FILE* source = std::fopen("/dev/urandom", "rb")) {
        const size_t got = std::fread(out, 1, size, source);
        std::fclose(source);
        if (got == size) return true;
    }
#endif
    error = L"the system's random number source failed";
    return false;
}

}  // namespace jlpack
