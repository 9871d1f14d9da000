// Every fuzz target of the launcher. Each is built into an executable of its own (its
// name in JL_FUZZ_TARGET), so each keeps its own corpus; all of them check invariants
// that hold for any input and leave out-of-bounds reads to the address sanitizer.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "config/embedded_cipher.h"
#include "config/embedded_settings.h"
#include "core/instance_arguments.h"
#include "jvm/date_time_name.h"
#include "jvm/java_strings.h"
#include "jvm/vm_parameters.h"
#include "os/ini_reader.h"
#include "runtime/version_number.h"
#include "support/hyperlink.h"
#include "support/paths.h"
#include "support/text.h"
#include "pe_image.h"
#include "resource_tree.h"
#include "version_resource.h"

[[noreturn]] void invariantFailed(const char* file, int line, const char* condition) {
    std::fprintf(stderr, "%s:%d: invariant failed: %s\n", file, line, condition);
    std::abort();
}
#define FUZZ_CHECK(condition) ((condition) ? (void)0 : invariantFailed(__FILE__, __LINE__, #condition))

namespace {

using Pieces = std::vector<std::wstring>;
constexpr size_t npos = std::wstring::npos;
constexpr uint64_t kLargest32 = 0xFFFFFFFFu;

// A byte below 0x80 is that ASCII character, so quotes, spaces and digits are dense in
// small inputs; a byte from 0x80 on is followed by two bytes that form any UTF-16 unit
// (little-endian), so surrogates, U+0000 and the rest can appear too.
std::wstring fuzzText(const uint8_t* data, size_t size) {
    std::wstring text;
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

bool isDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }
size_t quotes(const std::wstring& text) { return static_cast<size_t>(std::count(text.begin(), text.end(), L'"')); }
std::wstring join(const Pieces& pieces, const std::wstring& glue) {
    std::wstring text;
    for (size_t i = 0; i < pieces.size(); ++i) text += (i > 0 ? glue : L"") + pieces[i];
    return text;
}
uint32_t readLe(const uint8_t* p, int bytes) {
    uint32_t value = 0;
    for (int i = bytes - 1; i >= 0; --i) value = value << 8 | p[i];
    return value;
}

// --- the command line and lists --------------------------------------------------------

void splitArguments(const uint8_t* data, size_t size) {
    const std::wstring text = fuzzText(data, size);
    const Pieces arguments = jl::splitArguments(text);
    FUZZ_CHECK(arguments.empty() == text.empty());
    bool quoteInside = false;
    for (const std::wstring& argument : arguments) {
        FUZZ_CHECK(text.find(argument) != npos);
        // Only a quoted argument can hold a space.
        if (argument.find(L' ') != npos) FUZZ_CHECK(text.find(L'"' + argument) != npos);
        quoteInside = quoteInside || argument.find(L'"') != npos;
    }
    // Quoting every argument and joining them with one space gives the same list back.
    if (!quoteInside && !arguments.empty()) {
        Pieces quoted;
        for (const std::wstring& argument : arguments) quoted.push_back(L'"' + argument + L'"');
        FUZZ_CHECK(jl::splitArguments(join(quoted, L" ")) == arguments);
    }
    if (text.empty()) return;
    // The first character chooses a delimiter of 0 to 3 characters taken from the text.
    const size_t length = std::min<size_t>(static_cast<size_t>(text[0]) % 4, text.size() - 1);
    const std::wstring delimiter = text.substr(1, length), list = text.substr(1 + length);
    const Pieces pieces = jl::splitAtDelimiter(list, delimiter);
    if (list.empty() || delimiter.empty()) {
        FUZZ_CHECK(pieces == (list.empty() ? Pieces{} : Pieces{list}));
        return;
    }
    for (const std::wstring& piece : pieces) FUZZ_CHECK(piece.find(delimiter) == npos);
    // A delimiter at the very end leaves no empty piece behind it.
    const std::wstring joined = join(pieces, delimiter);
    FUZZ_CHECK(joined == list || joined + delimiter == list);
}

// --- versions ---------------------------------------------------------------------------

void parseVersion(const uint8_t* data, size_t size) {
    const std::wstring text = fuzzText(data, size);
    jl::VersionNumber low, high;
    const bool ok = jl::parseVersion(text, 0, low);
    FUZZ_CHECK(jl::parseVersion(text, jl::kVersionFiller, high) == ok);
    // The model: the first four runs of digits, none above 2147483647.
    int64_t groups[4] = {0, 0, 0, 0};
    int count = 0;
    bool modelOk = true;
    for (size_t i = 0; i < text.size() && count < 4;) {
        if (!isDigit(text[i])) {
            ++i;
            continue;
        }
        int64_t value = 0;
        for (; i < text.size() && isDigit(text[i]); ++i) value = std::min<int64_t>(value * 10 + (text[i] - L'0'), 1LL << 32);
        modelOk = modelOk && value <= INT32_MAX;
        groups[count++] = value;
    }
    FUZZ_CHECK(ok == (modelOk && count > 0));
    if (!ok) return;
    for (int i = 0; i < 4; ++i) {
        FUZZ_CHECK(low.parts[i] == (i < count ? groups[i] : 0));
        FUZZ_CHECK(high.parts[i] == (i < count ? groups[i] : jl::kVersionFiller));
    }
    // The filler only raises a value, and the read parts still match it as a preference.
    FUZZ_CHECK(jl::compareVersions(low, high) <= 0);
    FUZZ_CHECK(jl::compareVersions(high, low) == -jl::compareVersions(low, high));
    FUZZ_CHECK(jl::matchesPreferredVersion(high, low));
    // The text form parses back to the value, unless a filler part was dropped from it.
    if (std::find(std::begin(low.parts), std::end(low.parts), jl::kVersionFiller) == std::end(low.parts)) {
        jl::VersionNumber again;
        FUZZ_CHECK(jl::parseVersion(jl::formatVersion(low), 0, again) && jl::versionsEqual(again, low));
    }
    FUZZ_CHECK(!jl::describeVersionConstraint(low, high).empty());
}

// --- virtual machine parameters ---------------------------------------------------------

void checkStrip(const std::wstring& text) {
    const std::wstring stripped = jl::stripQuotePairs(text);
    // Quotes are removed in pairs, and nothing but quotes.
    FUZZ_CHECK(stripped.size() <= text.size() && (text.size() - stripped.size()) % 2 == 0);
    FUZZ_CHECK(quotes(text) - quotes(stripped) == text.size() - stripped.size());
    if (quotes(text) < 2) FUZZ_CHECK(stripped == text);
}

void vmParameters(const uint8_t* data, size_t size) {
    const std::wstring text = fuzzText(data, size);
    size_t pos = 0;
    for (const std::wstring& parameter : jl::splitVmParameters(text)) {
        // The parameters are the text's own pieces, in order, separated by spaces.
        FUZZ_CHECK(!parameter.empty() && text.find_first_not_of(L' ', pos) == text.find(parameter, pos));
        pos = text.find(parameter, pos) + parameter.size();
        FUZZ_CHECK(pos == text.size() || text[pos] == L' ');
        if (quotes(parameter) == 0) FUZZ_CHECK(parameter.find(L' ') == npos);
        checkStrip(parameter);
    }
    FUZZ_CHECK(text.find_first_not_of(L' ', pos) == npos);
    checkStrip(text);
}

void checkMemoryOption(const std::wstring& text, const jl::os::MemoryStatus& memory) {
    const std::wstring result = jl::expandMemoryOption(text, memory);
    if (text.empty()) return FUZZ_CHECK(result.empty());
    // The option's first four characters, a 32-bit number of kilobytes and "K".
    const size_t head = std::min<size_t>(4, text.size());
    FUZZ_CHECK(result.compare(0, head, text, 0, head) == 0 && result.back() == L'K');
    const std::wstring digits = result.substr(head, result.size() - head - 1);
    FUZZ_CHECK(!digits.empty() && digits.size() <= 10);
    uint64_t value = 0;
    for (wchar_t c : digits) {
        FUZZ_CHECK(isDigit(c));
        value = value * 10 + static_cast<uint64_t>(c - L'0');
    }
    FUZZ_CHECK(value <= kLargest32);
}

void memoryOptions(const uint8_t* data, size_t size) {
    // The first sixteen bytes are the machine's memory, the rest the option text.
    jl::os::MemoryStatus memory;
    if (size >= 16) {
        std::memcpy(&memory.totalPhysical, data, 8);
        std::memcpy(&memory.availableVirtual, data + 8, 8);
        data += 16;
        size -= 16;
    }
    const std::wstring text = fuzzText(data, size);
    const jl::NumberGroups groups = jl::readNumberGroups(text);
    FUZZ_CHECK(groups.numbers.empty() == (text.find_first_of(L"0123456789:") == npos));
    checkMemoryOption(text, memory);
    checkMemoryOption(L"-Xmx" + text, memory);
    if (const uint32_t stack = jl::parseStackSize(text)) {
        // Only digits and the unit contribute: removing anything else changes nothing.
        std::wstring digitsOnly;
        for (size_t i = 0; i + 1 < text.size(); ++i) {
            if (isDigit(text[i])) digitsOnly += text[i];
        }
        FUZZ_CHECK(isDigit(text[0]) && jl::parseStackSize(digitsOnly + text.back()) == stack);
    }
}

// --- redirection names ------------------------------------------------------------------

void dateTimeName(const uint8_t* data, size_t size) {
    // The first bytes choose a valid time; the rest is the name.
    jl::os::LocalTime time;
    if (size >= 8) {
        time.year = static_cast<uint16_t>(1601 + (data[0] | data[1] << 8) % 8400);
        time.month = static_cast<uint16_t>(1 + data[2] % 12);
        time.day = static_cast<uint16_t>(1 + data[3] % 28);
        time.dayOfWeek = static_cast<uint16_t>(data[4] % 7);
        time.hour = static_cast<uint16_t>(data[5] % 24);
        time.minute = static_cast<uint16_t>(data[6] % 60);
        time.second = static_cast<uint16_t>(data[7] % 60);
        time.milliseconds = static_cast<uint16_t>((data[0] * 7 + data[7]) % 1000);
        data += 8;
        size -= 8;
    }
    const std::wstring name = fuzzText(data, size);
    const std::wstring expanded = jl::expandDateTimeName(name, time);
    const size_t first = name.find(L'%');
    if (first == npos) return FUZZ_CHECK(expanded == name);
    // Only the stretch from the first to the last "%" changes.
    const size_t last = name.rfind(L'%');
    const std::wstring before = name.substr(0, first), after = name.substr(last + 1);
    FUZZ_CHECK(expanded.size() >= before.size() + after.size() && expanded.compare(0, before.size(), before) == 0);
    FUZZ_CHECK(expanded.compare(expanded.size() - after.size(), after.size(), after) == 0);
    // Text without picture letters or quotes is copied as it is.
    const std::wstring picture = first < last ? name.substr(first + 1, last - first - 1) : std::wstring();
    if (picture.find_first_of(L"hHmstdMygL'") == npos) FUZZ_CHECK(expanded == before + picture + after);
}

// --- bytes anyone may edit: settings files, embedded settings, images, registry ---------

void iniReader(const uint8_t* data, size_t size) {
    // A first line "section|key" in fuzz text, then the file's bytes.
    const uint8_t* lineEnd = static_cast<const uint8_t*>(std::memchr(data, '\n', size));
    const size_t headerSize = lineEnd ? static_cast<size_t>(lineEnd - data) : 0;
    const std::wstring header = fuzzText(data, headerSize);
    const size_t bar = header.find(L'|');
    const std::wstring section = header.substr(0, bar), key = bar == npos ? L"" : header.substr(bar + 1);
    const std::vector<uint8_t> bytes(data + (lineEnd ? headerSize + 1 : 0), data + size);

    const std::wstring value = jl::lookupProfileString(jl::decodeProfileFile(bytes), section, key);
    // A value is one line, cut at its first null.
    FUZZ_CHECK(value.find_first_of(std::wstring(L"\r\n\0", 3)) == npos);
    const size_t bufferChars = size % 7;
    const std::wstring cut = jl::truncateProfileValue(value, bufferChars);
    FUZZ_CHECK(cut.size() <= (bufferChars ? bufferChars - 1 : 0) && value.compare(0, cut.size(), cut) == 0);

    // Whatever the file holds, a value written can be read back, and writing it again
    // changes nothing. The second value needs more than code page 1252 can hold.
    const std::wstring written = size % 2 ? L"v\u00e9\u20ac" : L"v\U0001F600";
    if (!jl::isStorableProfileEntry(section, key, written)) return;
    // Where text is UTF-32, surrogate values are no characters, and a high one followed
    // by a low one in a name reads back as the character the pair stands for.
    const std::wstring names = section + key;
    if (sizeof(wchar_t) > 2 && std::any_of(names.begin(), names.end(), [](wchar_t c) { return c >= 0xD800 && c <= 0xDFFF; })) return;
    const std::vector<uint8_t> updated = jl::setProfileString(bytes, section, key, written);
    FUZZ_CHECK(jl::lookupProfileString(jl::decodeProfileFile(updated), section, key) == written);
    FUZZ_CHECK(jl::setProfileString(updated, section, key, written) == updated);
}

void embeddedSettings(const uint8_t* data, size_t size) {
    // Every key of the first section of a name is found, with its first value.
    const jl::EmbeddedSettings settings = jl::EmbeddedSettings::parse(fuzzText(data, size));
    const auto& sections = settings.sections();
    for (size_t i = 0; i < sections.size(); ++i) {
        bool firstOfItsName = true;
        for (size_t j = 0; j < i && firstOfItsName; ++j) firstOfItsName = sections[j].name != sections[i].name;
        if (!firstOfItsName) continue;
        for (const auto& entry : sections[i].entries) {
            std::wstring value;
            FUZZ_CHECK(settings.find(sections[i].name, entry.first, value));
            const auto earliest = std::find_if(sections[i].entries.begin(), sections[i].entries.end(),
                                               [&](const auto& e) { return e.first == entry.first; });
            FUZZ_CHECK(earliest->second == value);
        }
    }
    // The raw bytes as a resource: rejected or deciphered, never read out of bounds.
    std::wstring plain;
    (void)jl::decipherResource(L"{fuzz}", std::vector<uint8_t>(data, data + size), plain);
    // Text as the resource reader makes it must come back unchanged through the cipher.
    const std::wstring decoded = jl::fromUtf16LeBytes(data, size - size % 2);
    static const uint8_t kNonce[jl::kResourceNonceSize] = {};
    std::vector<uint8_t> enciphered;
    std::wstring roundTrip;
    FUZZ_CHECK(jl::encipherResource(L"{fuzz}", decoded, kNonce, enciphered));
    FUZZ_CHECK(jl::decipherResource(L"{fuzz}", enciphered, roundTrip) && roundTrip == decoded);
}

void peImage(const uint8_t* data, size_t size) {
    // Agrees with a direct reading of the headers.
    const jl::PeImageCheck result = jl::checkPeImage(data, size);
    bool valid = false, x86 = false;
    if (size >= 0x40 && data[0] == 'M' && data[1] == 'Z') {
        const uint64_t nt = readLe(data + 0x3C, 4);
        valid = nt + 24 <= size && readLe(data + nt, 4) == 0x4550;
        x86 = valid && readLe(data + nt + 4, 2) == 0x014C;
    }
    FUZZ_CHECK(result.valid == valid && result.x86 == x86);
}

void colourValue(const uint8_t* data, size_t size) {
    // Accepts only short terminated string values, and what it accepts is a colour that
    // the text form of its parts reads back as.
    if (size == 0) return;
    jl::LinkColour fromText = 0x01020304;
    if (!jl::parseColourText(fuzzText(data, size), fromText)) FUZZ_CHECK(fromText == 0x01020304);
    const bool isString = (data[0] & 1) != 0;
    jl::LinkColour colour = 0x01020304;
    if (!jl::parseColourValue(isString, data + 1, size - 1, colour)) return FUZZ_CHECK(colour == 0x01020304);
    FUZZ_CHECK(isString && size - 1 <= 2 * jl::kColourValueCapacity + 1 && (colour & 0xFF000000u) == 0);
    const std::wstring text = jl::decimalText(colour & 0xFF) + L"," + jl::decimalText((colour >> 8) & 0xFF) + L"," +
                              jl::decimalText((colour >> 16) & 0xFF);
    jl::LinkColour again = 0;
    FUZZ_CHECK(jl::parseColourText(text, again) && again == colour);
}

void instanceBlock(const uint8_t* data, size_t size) {
    // Whatever another process left in the area, read from a buffer of exactly its size.
    using List = std::vector<std::wstring>;
    const std::vector<uint8_t> area(data, data + size);
    List read = {L"untouched"};
    if (!jl::readArgumentArea(area.data(), area.size(), read)) return FUZZ_CHECK(read == List{L"untouched"});
    auto units = [](const List& list) {
        std::vector<std::u16string> result;
        for (const std::wstring& text : list) result.push_back(jl::toUtf16Units(text));
        return result;
    };
    size_t total = 0;
    for (const std::u16string& text : units(read)) {
        FUZZ_CHECK(text.find(u'\0') == std::u16string::npos);
        total += text.size() + 1;
    }
    FUZZ_CHECK(!read.empty() && total + 1 <= size / 2);
    // A list that was read is one a writer can produce (unless it is longer than the
    // area), and the writer's bytes are the reader's up to their end.
    std::vector<uint8_t> rewritten(jl::kArgumentAreaSize, 0xEE);
    if (!jl::writeArgumentArea(read, rewritten.data())) {
        return FUZZ_CHECK(jl::argumentAreaBytesNeeded(read) > jl::kArgumentAreaSize);
    }
    List again;
    FUZZ_CHECK(jl::readArgumentArea(rewritten.data(), rewritten.size(), again) && units(again) == units(read));
    const size_t used = jl::argumentAreaBytesNeeded(read);
    FUZZ_CHECK(used <= size && std::memcmp(rewritten.data(), area.data(), used) == 0);
}

// jlpack's PE reader and writer: an image is refused or its resource tree is rebuilt, and
// the rebuilt image reads back with the same tree, its resource section last and its DOS
// header unchanged.
void peWriter(const uint8_t* data, size_t size) {
    const jlpack::Bytes file(data, data + size);
    jlpack::PeImage image;
    jlpack::ResourceTree tree;
    std::wstring error;
    if (!jlpack::PeImage::parse(file, image, error) || !image.changeRefusal().empty() ||
        !jlpack::ResourceTree::read(image, tree, error)) {
        return;
    }
    jlpack::VersionInfo version;
    if (const auto* found = tree.find(jlpack::kTypeVersion, 1)) {
        for (const auto& language : *found) (void)jlpack::readVersionResource(language.second.bytes, version);
    }
    tree.types[jlpack::kTypeRcdata][8000][0].bytes.assign(data, data + (size < 64 ? size : 64));
    if (!image.replaceResources([&](uint32_t rva) { return tree.write(rva); }, error)) return;
    jlpack::ResourceTree reread;
    FUZZ_CHECK(jlpack::ResourceTree::read(image, reread, error));
    uint32_t rva = 0, length = 0;
    image.directory(jlpack::kResourceDirectory, rva, length);
    FUZZ_CHECK(rva == image.sections().back().virtualAddress);
    FUZZ_CHECK(reread.write(rva) == tree.write(rva));
    FUZZ_CHECK(std::equal(file.begin(), file.begin() + 0x40, image.bytes().begin()));
}

struct Target {
    const char* name;
    void (*run)(const uint8_t*, size_t);
};
const Target kTargets[] = {
    {"split_arguments", splitArguments}, {"parse_version", parseVersion},     {"vm_parameters", vmParameters},
    {"memory_options", memoryOptions},   {"date_time_name", dateTimeName},    {"ini_reader", iniReader},
    {"embedded_settings", embeddedSettings}, {"pe_image", peImage},         {"colour_value", colourValue},
    {"instance_block", instanceBlock}, {"pe_writer", peWriter},
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const Target* target = [] {
        for (const Target& t : kTargets) {
            if (std::strcmp(t.name, JL_FUZZ_TARGET) == 0) return &t;
        }
        std::abort();
    }();
    target->run(data, size);
    return 0;
}
