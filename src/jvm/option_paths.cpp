#include "jvm/option_paths.h"

namespace jl {

namespace {

bool isSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

bool isDriveLetter(wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); }

// Where an absolute path starts in a list element: a drive letter, colon and separator,
// or a UNC name's two backslashes. npos when there is none.
size_t pathStart(const std::wstring& element) {
    for (size_t i = 0; i + 2 < element.size(); ++i) {
        if (isDriveLetter(element[i]) && element[i + 1] == L':' && isSeparator(element[i + 2])) return i;
        if (element[i] == L'\\' && element[i + 1] == L'\\') return i;
    }
    return std::wstring::npos;
}

std::vector<std::wstring> components(const std::wstring& path) {
    std::vector<std::wstring> parts(1);
    for (wchar_t c : path) {
        if (isSeparator(c)) parts.emplace_back();
        else parts.back() += c;
    }
    return parts;
}

// The short form with every component that survives in its long spelling again, so that
// only the names the code page cannot hold change.
std::wstring keepLongComponents(const std::wstring& longForm, const std::wstring& shortForm,
                                const OptionCodePage& codePage) {
    const std::vector<std::wstring> longParts = components(longForm);
    const std::vector<std::wstring> shortParts = components(shortForm);
    if (longParts.size() != shortParts.size()) return shortForm;
    std::wstring merged;
    size_t at = 0;
    for (size_t i = 0; i < longParts.size(); ++i) {
        merged += codePage.survives(longParts[i]) ? longParts[i] : shortParts[i];
        at += longParts[i].size();
        if (at < longForm.size()) merged += longForm[at++];
    }
    return merged;
}

// The path shortened where it exists; false (and `unpassable` set) when the existing part
// has no short form that survives. A path that names nothing existing is left alone.
bool shortenPath(std::wstring& path, const OptionCodePage& codePage, PassableOption& result) {
    size_t cut = path.size();
    for (;;) {
        const std::wstring tail = path.substr(cut);
        // What does not exist must survive as written: nothing shorter can be had for it.
        if (!codePage.survives(tail)) return true;
        std::wstring shortForm;
        if (codePage.shortPath(path.substr(0, cut), shortForm)) {
            shortForm = keepLongComponents(path.substr(0, cut), shortForm, codePage);
            if (!codePage.survives(shortForm)) {
                result.unpassable = path;
                return false;
            }
            result.replaced.emplace_back(path, shortForm + tail);
            path = shortForm + tail;
            return true;
        }
        // Up to the separator before the last component. A root ("C:\", "\\server") is
        // not asked about: "C:" alone would name that drive's current folder.
        size_t previous = cut;
        while (previous > 0 && !isSeparator(path[previous - 1])) --previous;
        if (previous <= 3) return true;
        cut = previous - 1;
    }
}

}  // namespace

PassableOption passableOption(const std::wstring& option, const OptionCodePage& codePage) {
    PassableOption result;
    if (codePage.survives(option)) {
        result.text = option;
        return result;
    }
    size_t start = 0;
    for (;;) {
        const size_t end = option.find(L';', start);
        std::wstring element = option.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start);
        const size_t at = codePage.survives(element) ? std::wstring::npos : pathStart(element);
        if (at != std::wstring::npos) {
            std::wstring path = element.substr(at);
            if (!shortenPath(path, codePage, result)) return result;
            element = element.substr(0, at) + path;
        }
        result.text += element;
        if (end == std::wstring::npos) break;
        result.text += L';';
        start = end + 1;
    }
    return result;
}

}  // namespace jl
