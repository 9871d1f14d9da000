// jlembed: writes the embedded settings layer into a launcher executable.
//
//   jlembed LAUNCHER SETTINGS.ini EMBEDDED.ini [--key-text TEXT]
//
// The settings text of EMBEDDED.ini is enciphered with a key text (random unless given)
// and stored as data resource 8000; the key text, enciphered with the "Upgrade Code" of
// [Product Information] in SETTINGS.ini, is stored as data resource 9000. On Windows the
// two go into the executable's RCDATA resources; on Linux into the reserved area that
// the launcher's image carries for them.
#include "config/embedded_cipher.h"
#include "config/embedded_settings.h"
#include "os/os.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#include <ntsecapi.h>
#endif

namespace {

constexpr int kExitSuccess = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

constexpr size_t kKeyTextRandomBytes = 32;

const wchar_t kUsage[] =
    L"usage: jlembed LAUNCHER SETTINGS.ini EMBEDDED.ini [--key-text TEXT]\n"
    L"\n"
    L"Writes the settings of EMBEDDED.ini (UTF-8, or UTF-16 with a byte order mark) into\n"
    L"the launcher executable LAUNCHER as its embedded settings layer. The layer is keyed\n"
    L"by the \"Upgrade Code\" of section [Product Information] in SETTINGS.ini, the\n"
    L"settings file that ships beside the launcher. --key-text sets the inner key text,\n"
    L"which is otherwise random.";

void writeText(FILE* stream, const std::wstring& text) {
#ifdef _WIN32
    HANDLE handle = GetStdHandle(stream == stderr ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
    DWORD mode = 0;
    if (handle != INVALID_HANDLE_VALUE && handle != nullptr && GetConsoleMode(handle, &mode)) {
        DWORD written = 0;
        WriteConsoleW(handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        return;
    }
#endif
    const std::string bytes = jl::os::toUtf8(text);
    std::fwrite(bytes.data(), 1, bytes.size(), stream);
    std::fflush(stream);
}

void printError(const std::wstring& text) { writeText(stderr, L"jlembed: error: " + text + L"\n"); }
void printWarning(const std::wstring& text) { writeText(stderr, L"jlembed: warning: " + text + L"\n"); }
void printInfo(const std::wstring& text) { writeText(stdout, L"jlembed: " + text + L"\n"); }

std::wstring number(uint64_t value) { return std::to_wstring(value); }

std::wstring describeError(uint32_t code) {
    std::wstring text = L"error " + number(code);
#ifdef _WIN32
    wchar_t* message = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<wchar_t*>(&message), 0, nullptr);
    if (length > 0 && message != nullptr) {
        std::wstring system(message, length);
        while (!system.empty() && (system.back() == L'\n' || system.back() == L'\r' || system.back() == L' ')) {
            system.pop_back();
        }
        text += L": " + system;
    }
    if (message != nullptr) LocalFree(message);
#else
    // The os layer reports Windows error codes on Linux too.
    switch (code) {
    case jl::os::kErrorFileNotFound: text += L": file not found"; break;
    case jl::os::kErrorPathNotFound: text += L": path not found"; break;
    case jl::os::kErrorAccessDenied: text += L": access denied"; break;
    default: break;
    }
#endif
    return text;
}

struct Arguments {
    std::wstring launcherPath;
    std::wstring settingsPath;
    std::wstring embeddedPath;
    bool hasKeyText = false;
    std::wstring keyText;
    bool wantsHelp = false;
};

bool parseArguments(const std::vector<std::wstring>& arguments, Arguments& parsed, std::wstring& error) {
    std::vector<std::wstring> positional;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::wstring& argument = arguments[i];
        if (argument == L"-h" || argument == L"--help") {
            parsed.wantsHelp = true;
            return true;
        }
        if (argument == L"--key-text") {
            if (i + 1 >= arguments.size()) {
                error = L"--key-text needs a value";
                return false;
            }
            parsed.hasKeyText = true;
            parsed.keyText = arguments[++i];
            if (parsed.keyText.empty()) {
                error = L"--key-text needs a non-empty value";
                return false;
            }
            continue;
        }
        if (argument.size() > 1 && argument[0] == L'-' && argument[1] == L'-') {
            error = L"unknown option " + argument;
            return false;
        }
        positional.push_back(argument);
    }
    if (positional.size() != 3) {
        error = L"expected LAUNCHER SETTINGS.ini EMBEDDED.ini, got " + number(positional.size()) +
                L" file argument(s)";
        return false;
    }
    parsed.launcherPath = positional[0];
    parsed.settingsPath = positional[1];
    parsed.embeddedPath = positional[2];
    return true;
}

void appendCodePoint(std::wstring& text, uint32_t code) {
    if (sizeof(wchar_t) == 2 && code > 0xFFFF) {
        const uint32_t offset = code - 0x10000;
        text.push_back(static_cast<wchar_t>(0xD800 + (offset >> 10)));
        text.push_back(static_cast<wchar_t>(0xDC00 + (offset & 0x3FF)));
    } else {
        text.push_back(static_cast<wchar_t>(code));
    }
}

// Strict UTF-8: overlong forms, surrogates and values beyond U+10FFFF are refused, so a
// file saved in a legacy code page is reported instead of being garbled.
bool decodeUtf8(const uint8_t* bytes, size_t size, std::wstring& text, size_t& badOffset) {
    std::wstring decoded;
    decoded.reserve(size);
    size_t i = 0;
    while (i < size) {
        const uint8_t lead = bytes[i];
        uint32_t code;
        size_t extra;
        uint32_t minimum;
        if (lead < 0x80) {
            code = lead; extra = 0; minimum = 0;
        } else if ((lead & 0xE0) == 0xC0) {
            code = lead & 0x1F; extra = 1; minimum = 0x80;
        } else if ((lead & 0xF0) == 0xE0) {
            code = lead & 0x0F; extra = 2; minimum = 0x800;
        } else if ((lead & 0xF8) == 0xF0) {
            code = lead & 0x07; extra = 3; minimum = 0x10000;
        } else {
            badOffset = i;
            return false;
        }
        if (size - i - 1 < extra) {
            badOffset = i;
            return false;
        }
        for (size_t k = 1; k <= extra; ++k) {
            const uint8_t next = bytes[i + k];
            if ((next & 0xC0) != 0x80) {
                badOffset = i;
                return false;
            }
            code = (code << 6) | (next & 0x3F);
        }
        if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
            badOffset = i;
            return false;
        }
        appendCodePoint(decoded, code);
        i += extra + 1;
    }
    text.swap(decoded);
    return true;
}

// UTF-16 (either byte order) when the file starts with its byte order mark, UTF-8
// otherwise. The mark itself is not part of the text.
bool decodeSettingsFile(const std::vector<uint8_t>& bytes, std::wstring& text, std::wstring& error) {
    const size_t size = bytes.size();
    if (size >= 2 && ((bytes[0] == 0xFF && bytes[1] == 0xFE) || (bytes[0] == 0xFE && bytes[1] == 0xFF))) {
        if (size % 2 != 0) {
            error = L"is UTF-16 but has an odd number of bytes";
            return false;
        }
        std::vector<uint8_t> littleEndian(bytes.begin() + 2, bytes.end());
        if (bytes[0] == 0xFE) {
            for (size_t i = 0; i + 1 < littleEndian.size(); i += 2) std::swap(littleEndian[i], littleEndian[i + 1]);
        }
        text = jl::fromUtf16LeBytes(littleEndian.data(), littleEndian.size());
        return true;
    }
    size_t start = 0;
    if (size >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) start = 3;
    size_t badOffset = 0;
    if (!decodeUtf8(bytes.data() + start, size - start, text, badOffset)) {
        error = L"is neither UTF-8 nor UTF-16 with a byte order mark (invalid UTF-8 at byte " +
                number(start + badOffset) + L")";
        return false;
    }
    return true;
}

// The launcher splits the layer at CR LF only; LF and lone CR line ends from other
// editors become CR LF so that every line is seen.
std::wstring withCrLfLineEnds(const std::wstring& text) {
    std::wstring converted;
    converted.reserve(text.size() + text.size() / 16);
    for (size_t i = 0; i < text.size(); ++i) {
        const wchar_t c = text[i];
        if (c == L'\r') {
            converted += L"\r\n";
            if (i + 1 < text.size() && text[i + 1] == L'\n') ++i;
        } else if (c == L'\n') {
            converted += L"\r\n";
        } else {
            converted += c;
        }
    }
    return converted;
}

// The value GetPrivateProfileStringW gives, read whole however long it is.
std::wstring readUpgradeCode(const std::wstring& settingsPath) {
    size_t bufferChars = 256;
    for (;;) {
        std::wstring value =
            jl::os::readProfileString(L"Product Information", L"Upgrade Code", settingsPath, bufferChars);
        if (value.size() != bufferChars - 1) return value;
        bufferChars *= 2;
    }
}

// The profile functions look for a relative name in the Windows folder, so the
// settings file is named by its full path. A missing file is refused: it would silently
// give an empty upgrade code.
bool readUpgradeCodeOf(const std::wstring& path, std::wstring& upgradeCode, std::wstring& error) {
    std::wstring fullPath;
    if (!jl::os::fullPathName(path, fullPath)) {
        error = L"cannot resolve the path " + path;
        return false;
    }
    std::vector<uint8_t> bytes;
    const uint32_t readError = jl::os::readFile(fullPath, bytes);
    if (readError != 0) {
        error = L"cannot read the settings file " + fullPath + L" (" + describeError(readError) + L")";
        return false;
    }
    upgradeCode = readUpgradeCode(fullPath);
    return true;
}

bool readEmbeddedText(const std::wstring& path, std::wstring& text, std::wstring& error) {
    std::vector<uint8_t> bytes;
    const uint32_t readError = jl::os::readFile(path, bytes);
    if (readError != 0) {
        error = L"cannot read " + path + L" (" + describeError(readError) + L")";
        return false;
    }
    std::wstring decoded;
    if (!decodeSettingsFile(bytes, decoded, error)) {
        error = path + L" " + error;
        return false;
    }
    text = withCrLfLineEnds(decoded);
    return true;
}

bool randomBytes(uint8_t* out, size_t size, std::wstring& error) {
#ifdef _WIN32
    if (!RtlGenRandom(out, static_cast<ULONG>(size))) {
        error = L"the system random number generator failed (" + describeError(GetLastError()) + L")";
        return false;
    }
    return true;
#else
    FILE* source = std::fopen("/dev/urandom", "rb");
    if (source == nullptr) {
        error = L"cannot open /dev/urandom";
        return false;
    }
    const size_t got = std::fread(out, 1, size, source);
    std::fclose(source);
    if (got != size) {
        error = L"cannot read /dev/urandom";
        return false;
    }
    return true;
#endif
}

bool randomKeyText(std::wstring& keyText, std::wstring& error) {
    uint8_t bytes[kKeyTextRandomBytes];
    if (!randomBytes(bytes, sizeof(bytes), error)) return false;
    static const wchar_t kHexDigits[] = L"0123456789abcdef";
    keyText.clear();
    for (uint8_t b : bytes) {
        keyText += kHexDigits[b >> 4];
        keyText += kHexDigits[b & 0x0F];
    }
    return true;
}

bool encipher(const std::wstring& keyText, const std::wstring& plainText, std::vector<uint8_t>& resource,
              std::wstring& error) {
    uint8_t nonce[jl::kResourceNonceSize];
    if (!randomBytes(nonce, sizeof(nonce), error)) return false;
    if (!jl::encipherResource(keyText, plainText, nonce, resource)) {
        error = L"the text is too long to encipher";
        return false;
    }
    return true;
}

#ifdef _WIN32

bool writeResources(const std::wstring& launcherPath, const std::vector<uint8_t>& image,
                    const std::vector<uint8_t>& keyResource, const std::vector<uint8_t>& settingsResource,
                    std::wstring& error) {
    if (image.size() < 2 || image[0] != 'M' || image[1] != 'Z') {
        error = launcherPath + L" is not a Windows executable";
        return false;
    }
    HANDLE update = BeginUpdateResourceW(launcherPath.c_str(), FALSE);
    if (update == nullptr) {
        error = L"cannot open " + launcherPath + L" for resource update (" + describeError(GetLastError()) + L")";
        return false;
    }
    const WORD language = MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL);
    struct Resource {
        unsigned id;
        const std::vector<uint8_t>* bytes;
    };
    const Resource resources[] = {{jl::kEmbeddedKeyResourceId, &keyResource},
                                  {jl::kEmbeddedSettingsResourceId, &settingsResource}};
    for (const Resource& resource : resources) {
        if (!UpdateResourceW(update, RT_RCDATA, MAKEINTRESOURCEW(resource.id), language,
                             const_cast<uint8_t*>(resource.bytes->data()),
                             static_cast<DWORD>(resource.bytes->size()))) {
            error = L"cannot add data resource " + number(resource.id) + L" (" + describeError(GetLastError()) + L")";
            EndUpdateResourceW(update, TRUE);
            return false;
        }
    }
    if (!EndUpdateResourceW(update, FALSE)) {
        error = L"cannot write the resources into " + launcherPath + L" (" + describeError(GetLastError()) + L")";
        return false;
    }
    return true;
}

#else

// Must match the reserved area in os/posix/resource_posix.cpp.
constexpr char kAreaMagic[] = "jlaunch-rcdata-1";
constexpr size_t kAreaMagicSize = sizeof(kAreaMagic) - 1;
constexpr size_t kAreaHeaderSize = kAreaMagicSize + 4;

uint32_t readLittleEndian32(const uint8_t* p) {
    return uint32_t{p[0]} | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16) | (uint32_t{p[3]} << 24);
}

void appendLittleEndian32(std::vector<uint8_t>& out, uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<uint8_t>(value >> shift));
}

void appendRecord(std::vector<uint8_t>& out, unsigned id, const std::vector<uint8_t>& bytes) {
    appendLittleEndian32(out, id);
    appendLittleEndian32(out, static_cast<uint32_t>(bytes.size()));
    out.insert(out.end(), bytes.begin(), bytes.end());
}

bool writeResources(const std::wstring& launcherPath, const std::vector<uint8_t>& image,
                    const std::vector<uint8_t>& keyResource, const std::vector<uint8_t>& settingsResource,
                    std::wstring& error) {
    if (image.size() < 4 || image[0] != 0x7F || image[1] != 'E' || image[2] != 'L' || image[3] != 'F') {
        error = launcherPath + L" is not an ELF executable";
        return false;
    }
    const auto magicBegin = kAreaMagic;
    const auto magicEnd = kAreaMagic + kAreaMagicSize;
    const auto found = std::search(image.begin(), image.end(), magicBegin, magicEnd);
    if (found == image.end()) {
        error = launcherPath + L" has no area reserved for embedded settings (is it a jlaunch build?)";
        return false;
    }
    if (std::search(found + 1, image.end(), magicBegin, magicEnd) != image.end()) {
        error = launcherPath + L" contains the reserved area's mark more than once; refusing to guess";
        return false;
    }
    const size_t areaOffset = static_cast<size_t>(found - image.begin());
    if (image.size() - areaOffset < kAreaHeaderSize) {
        error = L"the reserved area in " + launcherPath + L" is cut off";
        return false;
    }
    const uint32_t areaSize = readLittleEndian32(image.data() + areaOffset + kAreaMagicSize);
    if (areaSize < kAreaHeaderSize || areaSize > image.size() - areaOffset) {
        error = L"the reserved area in " + launcherPath + L" has an invalid size";
        return false;
    }

    std::vector<uint8_t> records;
    appendRecord(records, jl::kEmbeddedKeyResourceId, keyResource);
    appendRecord(records, jl::kEmbeddedSettingsResourceId, settingsResource);
    appendLittleEndian32(records, 0);
    const size_t capacity = areaSize - kAreaHeaderSize;
    if (records.size() > capacity) {
        error = L"the embedded settings need " + number(records.size()) + L" bytes, but the area reserved in " +
                launcherPath + L" holds " + number(capacity);
        return false;
    }
    // Clear what an earlier run may have left after the new records.
    records.resize(capacity, 0);

    FILE* file = std::fopen(jl::os::toUtf8(launcherPath).c_str(), "r+b");
    if (file == nullptr) {
        error = L"cannot open " + launcherPath + L" for writing";
        return false;
    }
    const bool written = fseeko(file, static_cast<off_t>(areaOffset + kAreaHeaderSize), SEEK_SET) == 0 &&
                         std::fwrite(records.data(), 1, records.size(), file) == records.size();
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed) {
        error = L"cannot write the embedded settings into " + launcherPath;
        return false;
    }
    return true;
}

#endif

int run(const std::vector<std::wstring>& commandArguments) {
    Arguments arguments;
    std::wstring error;
    if (!parseArguments(commandArguments, arguments, error)) {
        printError(error);
        writeText(stderr, std::wstring(kUsage) + L"\n");
        return kExitUsage;
    }
    if (arguments.wantsHelp) {
        writeText(stdout, std::wstring(kUsage) + L"\n");
        return kExitSuccess;
    }

    std::vector<uint8_t> launcherImage;
    const uint32_t launcherError = jl::os::readFile(arguments.launcherPath, launcherImage);
    if (launcherError != 0) {
        printError(L"cannot read the launcher " + arguments.launcherPath + L" (" + describeError(launcherError) + L")");
        return kExitFailure;
    }

    std::wstring upgradeCode;
    std::wstring embeddedText;
    if (!readUpgradeCodeOf(arguments.settingsPath, upgradeCode, error) ||
        !readEmbeddedText(arguments.embeddedPath, embeddedText, error)) {
        printError(error);
        return kExitFailure;
    }
    if (upgradeCode.empty()) {
        printWarning(L"the settings file has no \"Upgrade Code\" in [Product Information]; "
                     L"the layer is keyed by the empty text");
    }

    size_t entryCount = 0;
    const jl::EmbeddedSettings parsed = jl::EmbeddedSettings::parse(embeddedText);
    for (const auto& section : parsed.sections()) entryCount += section.entries.size();
    if (entryCount == 0) {
        printWarning(arguments.embeddedPath + L" holds no key=value line inside a [section]");
    }

    std::wstring keyText = arguments.keyText;
    if (!arguments.hasKeyText && !randomKeyText(keyText, error)) {
        printError(error);
        return kExitFailure;
    }
    std::vector<uint8_t> keyResource;
    std::vector<uint8_t> settingsResource;
    if (!encipher(upgradeCode, keyText, keyResource, error) ||
        !encipher(keyText, embeddedText, settingsResource, error)) {
        printError(error);
        return kExitFailure;
    }
    if (!writeResources(arguments.launcherPath, launcherImage, keyResource, settingsResource, error)) {
        printError(error);
        return kExitFailure;
    }
    printInfo(L"wrote " + number(parsed.sections().size()) + L" section(s) with " + number(entryCount) +
              L" setting(s) into " + arguments.launcherPath);
    return kExitSuccess;
}

}  // namespace

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) {
    std::vector<std::wstring> arguments;
    for (int i = 1; i < argc; ++i) arguments.emplace_back(argv[i]);
    return run(arguments);
}
#else
int main(int argc, char** argv) {
    std::vector<std::wstring> arguments;
    for (int i = 1; i < argc; ++i) arguments.push_back(jl::os::fromUtf8(argv[i]));
    return run(arguments);
}
#endif
