// The fuzz targets of the launcher and of jlpack, one executable each (JL_FUZZ_TARGET). The sanitizers
// catch bad memory access; the checks here are properties that hold for any input.
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

#define FUZZ_CHECK(condition) \
    ((condition) ? (void)0 : (std::fprintf(stderr, "line %d: invariant failed: %s\n", __LINE__, #condition), std::abort()))

namespace {

using Pieces = std::vector<std::wstring>;
constexpr size_t npos = std::wstring::npos;

// The input, read from the front: fixed binary fields first, then the rest as text or bytes.
struct Input {
    const uint8_t* data;
    size_t size;
    // The next `n` bytes, or null (nothing taken) when fewer are left.
    const uint8_t* take(size_t n) { return size < n ? nullptr : (data += n, size -= n, data - n); }
    // A byte below 0x80 is that ASCII character, so quotes, spaces and digits are dense;
    // a byte from 0x80 on is followed by the two bytes of any UTF-16 unit.
    std::wstring text() const {
        std::wstring text;
        for (size_t i = 0; i < size; ++i) {
            if (data[i] < 0x80) text += static_cast<wchar_t>(data[i]);
            else if (i + 2 < size) text += static_cast<wchar_t>(data[i + 1] | data[i + 2] << 8), i += 2;
        }
        return text;
    }
    std::vector<uint8_t> bytes() const { return {data, data + size}; }
};

size_t quotes(const std::wstring& text) { return static_cast<size_t>(std::count(text.begin(), text.end(), L'"')); }
std::wstring join(const Pieces& pieces, const std::wstring& glue) {
    std::wstring text;
    for (size_t i = 0; i < pieces.size(); ++i) text += (i > 0 ? glue : L"") + pieces[i];
    return text;
}

void splitArguments(Input in) {
    const std::wstring text = in.text();
    const Pieces arguments = jl::splitArguments(text);
    FUZZ_CHECK(arguments.empty() == text.empty());
    // Quoting every argument and joining them with one space gives the same list back.
    Pieces quoted;
    for (const std::wstring& argument : arguments) {
        FUZZ_CHECK(text.find(argument) != npos);
        if (argument.find(L'"') == npos) quoted.push_back(L'"' + argument + L'"');
    }
    if (quoted.size() == arguments.size()) FUZZ_CHECK(jl::splitArguments(join(quoted, L" ")) == arguments);
    if (text.empty()) return;
    // The first character chooses a delimiter of 0 to 3 characters taken from the text;
    // a delimiter at the very end leaves no empty piece behind it.
    const size_t length = std::min<size_t>(static_cast<size_t>(text[0]) % 4, text.size() - 1);
    const std::wstring delimiter = text.substr(1, length), list = text.substr(1 + length);
    const Pieces pieces = jl::splitAtDelimiter(list, delimiter);
    if (list.empty() || delimiter.empty()) return FUZZ_CHECK(pieces == (list.empty() ? Pieces{} : Pieces{list}));
    for (const std::wstring& piece : pieces) FUZZ_CHECK(piece.find(delimiter) == npos);
    FUZZ_CHECK(join(pieces, delimiter) == list || join(pieces, delimiter) + delimiter == list);
}

void parseVersion(Input in) {
    const std::wstring text = in.text();
    jl::VersionNumber low, high, again;
    const bool ok = jl::parseVersion(text, 0, low);
    FUZZ_CHECK(jl::parseVersion(text, jl::kVersionFiller, high) == ok);
    // The filler only raises a value; the text form parses back unless a filler part was dropped from it.
    if (!ok) return;
    FUZZ_CHECK(jl::compareVersions(low, high) <= 0 && jl::matchesPreferredVersion(high, low));
    if (std::find(std::begin(low.parts), std::end(low.parts), jl::kVersionFiller) != std::end(low.parts)) return;
    FUZZ_CHECK(jl::parseVersion(jl::formatVersion(low), 0, again) && jl::versionsEqual(again, low));
}

// Quotes are removed in pairs, and nothing but quotes.
void checkStrip(const std::wstring& text) {
    const std::wstring stripped = jl::stripQuotePairs(text);
    FUZZ_CHECK(stripped.size() <= text.size() && (text.size() - stripped.size()) % 2 == 0);
    FUZZ_CHECK(quotes(text) - quotes(stripped) == text.size() - stripped.size() && (quotes(text) >= 2 || stripped == text));
}

void vmParameters(Input in) {
    // The parameters are the text's own pieces, in order, separated by spaces.
    const std::wstring text = in.text();
    size_t pos = 0;
    for (const std::wstring& parameter : jl::splitVmParameters(text)) {
        FUZZ_CHECK(!parameter.empty() && text.find_first_not_of(L' ', pos) == text.find(parameter, pos));
        pos = text.find(parameter, pos) + parameter.size();
        FUZZ_CHECK((pos == text.size() || text[pos] == L' ') && (quotes(parameter) > 0 || parameter.find(L' ') == npos));
        checkStrip(parameter);
    }
    FUZZ_CHECK(text.find_first_not_of(L' ', pos) == npos);
    checkStrip(text);
}

// The option's first four characters, a 32-bit number of kilobytes and "K".
void checkMemoryOption(const std::wstring& text, const jl::os::MemoryStatus& memory) {
    const std::wstring result = jl::expandMemoryOption(text, memory);
    if (text.empty()) return FUZZ_CHECK(result.empty());
    const size_t head = std::min<size_t>(4, text.size());
    FUZZ_CHECK(result.compare(0, head, text, 0, head) == 0 && result.back() == L'K');
    const std::wstring digits = result.substr(head, result.size() - head - 1);
    FUZZ_CHECK(!digits.empty() && digits.size() <= 10 && digits.find_first_not_of(L"0123456789") == npos &&
               std::stoull(digits) <= 0xFFFFFFFFu);
}

void memoryOptions(Input in) {
    jl::os::MemoryStatus memory;  // the machine's, from the first sixteen bytes
    if (const uint8_t* m = in.take(16)) std::memcpy(&memory.totalPhysical, m, 8), std::memcpy(&memory.availableVirtual, m + 8, 8);
    const std::wstring text = in.text();
    (void)jl::readNumberGroups(text), (void)jl::parseStackSize(text);
    checkMemoryOption(text, memory);
    checkMemoryOption(L"-Xmx" + text, memory);
}

void dateTimeName(Input in) {
    jl::os::LocalTime time;  // a valid one, from the first eight bytes
    auto u = [](int value) { return static_cast<uint16_t>(value); };
    if (const uint8_t* t = in.take(8))
        time = {u(1601 + (t[0] | t[1] << 8) % 8400), u(1 + t[2] % 12), u(t[4] % 7), u(1 + t[3] % 28), u(t[5] % 24),
                u(t[6] % 60), u(t[7] % 60), u((t[0] * 7 + t[7]) % 1000)};
    const std::wstring name = in.text(), expanded = jl::expandDateTimeName(name, time);
    const size_t first = name.find(L'%'), last = name.rfind(L'%');
    if (first == npos) return FUZZ_CHECK(expanded == name);
    // Only the stretch from the first to the last "%" changes; text without picture letters or quotes is kept.
    const std::wstring before = name.substr(0, first), after = name.substr(last + 1);
    FUZZ_CHECK(expanded.size() >= before.size() + after.size() && expanded.compare(0, before.size(), before) == 0);
    FUZZ_CHECK(expanded.compare(expanded.size() - after.size(), after.size(), after) == 0);
    const std::wstring picture = first < last ? name.substr(first + 1, last - first - 1) : std::wstring();
    if (picture.find_first_of(L"hHmstdMygL'") == npos) FUZZ_CHECK(expanded == before + picture + after);
}

void iniReader(Input in) {
    // A first line "section|key" in fuzz text, then the file's bytes.
    const auto* lineEnd = static_cast<const uint8_t*>(std::memchr(in.data, '\n', in.size));
    const std::wstring header = Input{in.data, lineEnd ? static_cast<size_t>(lineEnd - in.data) : 0}.text();
    if (lineEnd) in.take(static_cast<size_t>(lineEnd - in.data) + 1);
    const size_t bar = header.find(L'|');
    const std::wstring section = header.substr(0, bar), key = bar == npos ? L"" : header.substr(bar + 1);
    const std::vector<uint8_t> bytes = in.bytes();
    // A value is one line, cut at its first null.
    const std::wstring value = jl::lookupProfileString(jl::decodeProfileFile(bytes), section, key);
    FUZZ_CHECK(value.find_first_of(std::wstring(L"\r\n\0", 3)) == npos);
    // Whatever the file holds, a value written reads back, and writing it again changes
    // nothing. The second value needs more than code page 1252 can hold.
    const std::wstring written = bytes.size() % 2 ? L"v\u00e9\u20ac" : L"v\U0001F600", names = section + key;
    if (!jl::isStorableProfileEntry(section, key, written)) return;
    // Where text is UTF-32, surrogate values are no characters, and a high one followed by a low one
    // in a name reads back as the character the pair stands for.
    auto surrogate = [](wchar_t c) { return c >= 0xD800 && c <= 0xDFFF; };
    if (sizeof(wchar_t) > 2 && std::any_of(names.begin(), names.end(), surrogate)) return;
    const std::vector<uint8_t> updated = jl::setProfileString(bytes, section, key, written);
    FUZZ_CHECK(jl::lookupProfileString(jl::decodeProfileFile(updated), section, key) == written);
    FUZZ_CHECK(jl::setProfileString(updated, section, key, written) == updated);
}

void embeddedSettings(Input in) {
    // The bytes as settings text and as a resource: rejected or read, never out of bounds; text as
    // the resource reader makes it comes back unchanged through the cipher.
    std::wstring plain, roundTrip;
    (void)jl::EmbeddedSettings::parse(in.text()), (void)jl::decipherResource(L"{fuzz}", in.bytes(), plain);
    const std::wstring decoded = jl::fromUtf16LeBytes(in.data, in.size - in.size % 2);
    static const uint8_t kNonce[jl::kResourceNonceSize] = {};
    std::vector<uint8_t> enciphered;
    FUZZ_CHECK(jl::encipherResource(L"{fuzz}", decoded, kNonce, enciphered));
    FUZZ_CHECK(jl::decipherResource(L"{fuzz}", enciphered, roundTrip) && roundTrip == decoded);
}

void peImage(Input in) {
    const jl::PeImageCheck result = jl::checkPeImage(in.data, in.size);
    FUZZ_CHECK(!result.valid || (in.size >= 0x40 && in.data[0] == 'M' && in.data[1] == 'Z'));
}

void colourValue(Input in) {
    // Accepts only short terminated string values, as colours whose text form reads back as them.
    const uint8_t* type = in.take(1);
    if (!type) return;
    jl::LinkColour colour = 0x01020304, again = 0;
    (void)jl::parseColourText(in.text(), again);
    if (!jl::parseColourValue(*type & 1, in.data, in.size, colour)) return FUZZ_CHECK(colour == 0x01020304);
    FUZZ_CHECK((*type & 1) && in.size <= 2 * jl::kColourValueCapacity + 1 && (colour & 0xFF000000u) == 0);
    const std::wstring text = jl::decimalText(colour & 0xFF) + L"," + jl::decimalText((colour >> 8) & 0xFF) + L"," +
                              jl::decimalText((colour >> 16) & 0xFF);
    FUZZ_CHECK(jl::parseColourText(text, again) && again == colour);
}

void instanceBlock(Input in) {
    // Whatever another process left in the area, read from a buffer of exactly its size.
    using List = std::vector<std::wstring>;
    const std::vector<uint8_t> area = in.bytes();
    List read = {L"untouched"}, again;
    if (!jl::readArgumentArea(area.data(), area.size(), read)) return FUZZ_CHECK(read == List{L"untouched"});
    for (const std::wstring& text : read) FUZZ_CHECK(text.find(L'\0') == npos);
    // A list that was read is one a writer can produce (unless it is longer than the
    // area), and the writer's bytes are the reader's up to their end.
    std::vector<uint8_t> rewritten(jl::kArgumentAreaSize, 0xEE);
    const size_t used = jl::argumentAreaBytesNeeded(read);
    if (!jl::writeArgumentArea(read, rewritten.data())) return FUZZ_CHECK(used > jl::kArgumentAreaSize);
    FUZZ_CHECK(jl::readArgumentArea(rewritten.data(), rewritten.size(), again) && again == read);
    FUZZ_CHECK(used <= area.size() && std::memcmp(rewritten.data(), area.data(), used) == 0);
}

// jlpack's PE reader and writer: an image is refused or its resources are rebuilt, and the rebuilt
// image reads back with the same tree, its resource section last and its DOS header unchanged.
void peWriter(Input in) {
    const jlpack::Bytes file = in.bytes();
    jlpack::PeImage image;
    jlpack::ResourceTree tree, reread;
    std::wstring error;
    if (!jlpack::PeImage::parse(file, image, error) || !image.changeRefusal().empty() ||
        !jlpack::ResourceTree::read(image, tree, error)) return;
    jlpack::VersionInfo version;
    if (const auto* found = tree.find(jlpack::kTypeVersion, 1))
        for (const auto& language : *found) (void)jlpack::readVersionResource(language.second.bytes, version);
    tree.types[jlpack::kTypeRcdata][8000][0].bytes.assign(file.begin(), file.begin() + std::min<size_t>(file.size(), 64));
    if (!image.replaceResources([&](uint32_t rva) { return tree.write(rva); }, error)) return;
    uint32_t rva = 0, length = 0;
    image.directory(jlpack::kResourceDirectory, rva, length);
    FUZZ_CHECK(jlpack::ResourceTree::read(image, reread, error) && rva == image.sections().back().virtualAddress);
    FUZZ_CHECK(reread.write(rva) == tree.write(rva) && std::equal(file.begin(), file.begin() + 0x40, image.bytes().begin()));
}

const std::pair<const char*, void (*)(Input)> kTargets[] = {
    {"split_arguments", splitArguments}, {"parse_version", parseVersion},   {"vm_parameters", vmParameters},
    {"memory_options", memoryOptions},   {"date_time_name", dateTimeName},  {"ini_reader", iniReader},
    {"embedded_settings", embeddedSettings}, {"pe_image", peImage},         {"colour_value", colourValue},
    {"instance_block", instanceBlock}, {"pe_writer", peWriter},
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const auto* target = std::find_if(std::begin(kTargets), std::end(kTargets),
                                             [](const auto& t) { return std::strcmp(t.first, JL_FUZZ_TARGET) == 0; });
    if (target == std::end(kTargets)) std::abort();
    target->second(Input{data, size});
    return 0;
}
