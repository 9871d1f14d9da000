// The settings-file reader and writer take a file anyone may edit.
//
// Input: a first line "section|key" in fuzz text, then the file's bytes.
#include "os/ini_reader.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz_support.h"

namespace {

bool hasSurrogate(const std::wstring& text) {
    for (wchar_t c : text) {
        if (c >= 0xD800 && c <= 0xDFFF) return true;
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const uint8_t* lineEnd = static_cast<const uint8_t*>(std::memchr(data, '\n', size));
    const size_t headerSize = lineEnd ? static_cast<size_t>(lineEnd - data) : 0;
    const std::wstring header = fuzzText(data, headerSize);
    const size_t bar = header.find(L'|');
    const std::wstring section = header.substr(0, bar);
    const std::wstring key = bar == std::wstring::npos ? L"" : header.substr(bar + 1);
    const size_t fileStart = lineEnd ? headerSize + 1 : 0;
    const std::vector<uint8_t> bytes(data + fileStart, data + size);

    const std::wstring text = jl::decodeProfileFile(bytes);
    const std::wstring value = jl::lookupProfileString(text, section, key);
    // A value is one line, cut at its first null.
    FUZZ_CHECK(value.find_first_of(std::wstring(L"\r\n\0", 3)) == std::wstring::npos);
    const size_t bufferChars = size % 7;
    const std::wstring cut = jl::truncateProfileValue(value, bufferChars);
    FUZZ_CHECK(cut.size() <= (bufferChars ? bufferChars - 1 : 0) && value.compare(0, cut.size(), cut) == 0);

    // Whatever the file holds, a value written can be read back, and writing it again
    // changes nothing. The second value needs more than code page 1252 can hold.
    const std::wstring written = size % 2 ? L"v\u00e9\u20ac" : L"v\U0001F600";
    if (!jl::isStorableProfileEntry(section, key, written)) return 0;
    // Where text is UTF-32, surrogate values are no characters, and a high one followed
    // by a low one in a name reads back as the character the pair stands for.
    if (sizeof(wchar_t) > 2 && hasSurrogate(section + key)) return 0;
    const std::vector<uint8_t> updated = jl::setProfileString(bytes, section, key, written);
    FUZZ_CHECK(jl::lookupProfileString(jl::decodeProfileFile(updated), section, key) == written);
    FUZZ_CHECK(jl::setProfileString(updated, section, key, written) == updated);
    return 0;
}
