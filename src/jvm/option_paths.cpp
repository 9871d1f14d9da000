#include "jvm/option_paths.h"

#include <memory>
#include <string_view>

#include "support/trace.h"

namespace jl {

namespace {

bool isSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

// Where an absolute path starts in text[start, end): a drive letter, colon and separator,
// or a UNC name's two backslashes. npos when there is none.
size_t pathStart(const wchar_t* text, size_t start, size_t end) {
    for (size_t i = start; i + 2 < end; ++i) {
        const wchar_t letter = text[i] | 0x20;
        if (letter >= L'a' && letter <= L'z' && text[i + 1] == L':' && isSeparator(text[i + 2])) return i;
        if (text[i] == L'\\' && text[i + 1] == L'\\') return i;
    }
    return std::wstring::npos;
}

}  // namespace

std::wstring passableOption(const std::wstring& option, const OptionCodePage& codePage, std::wstring& unpassable) {
    const wchar_t* p = option.c_str();
    const size_t size = option.size();
    if (codePage.survives(p, size)) return option;
    std::wstring text;
    // No path the platform accepts is this long.
    constexpr size_t kLongest = 32768;
    const std::unique_ptr<wchar_t[]> shortForm(new wchar_t[kLongest]);
    for (size_t start = 0;;) {
        size_t end = start;
        while (end < size && p[end] != L';') ++end;
        size_t kept = start;  // what is copied as written starts here
        const size_t at = codePage.survives(p + start, end - start) ? std::wstring::npos : pathStart(p, start, end);
        // The deepest existing folder or file of the path is shortened; what follows it
        // does not exist and must survive as written. A root ("C:\", "\\server") is not
        // asked about: "C:" alone would name that drive's current folder.
        for (size_t cut = end; at != std::wstring::npos && cut > at + 2 && codePage.survives(p + cut, end - cut);) {
            const size_t length = codePage.shortPath(std::wstring(p + at, cut - at).c_str(), shortForm.get(), kLongest);
            if (length != 0) {
                const std::wstring_view path(p + at, end - at);
                if (!codePage.survives(shortForm.get(), length)) {
                    if (unpassable.empty()) unpassable = path;
                    break;
                }
                const std::wstring_view replacement(shortForm.get(), length);
                if (traceEnabled()) {
                    trace(L"jvm", {"option path ", path, " passed as ", replacement, std::wstring_view(p + cut, end - cut)});
                }
                text.append(p + start, at - start);
                text += replacement;
                kept = cut;
                break;
            }
            do --cut;
            while (cut > at + 2 && !isSeparator(p[cut]));
        }
        text.append(p + kept, end - kept);
        if (end == size) return text;
        text += L';';
        start = end + 1;
    }
}

}  // namespace jl
