#include "support/text.h"

#include <cwctype>

namespace jl {

std::vector<std::wstring> splitArguments(const std::wstring& text) {
    std::vector<std::wstring> arguments;
    size_t pos = 0;
    const size_t length = text.size();
    if (length == 0) return arguments;
    for (;;) {
        size_t next;  // first character after the argument and its closing quote
        if (text[pos] == L'"') {
            size_t close = text.find(L'"', pos + 1);
            if (close == std::wstring::npos) {
                arguments.push_back(text.substr(pos + 1));
                return arguments;
            }
            arguments.push_back(text.substr(pos + 1, close - pos - 1));
            next = close + 1;
        } else {
            size_t space = text.find(L' ', pos);
            if (space == std::wstring::npos) {
                arguments.push_back(text.substr(pos));
                return arguments;
            }
            arguments.push_back(text.substr(pos, space - pos));
            next = space;
        }
        while (next < length && text[next] == L' ') ++next;
        if (next >= length) return arguments;
        pos = next;
    }
}

std::vector<std::wstring> splitAtDelimiter(const std::wstring& text, const std::wstring& delimiter) {
    std::vector<std::wstring> pieces;
    if (text.empty()) return pieces;
    if (delimiter.empty()) {
        pieces.push_back(text);
        return pieces;
    }
    size_t start = 0;
    for (;;) {
        size_t found = text.find(delimiter, start);
        if (found == std::wstring::npos) {
            if (start < text.size()) pieces.push_back(text.substr(start));
            return pieces;
        }
        pieces.push_back(text.substr(start, found - start));
        start = found + delimiter.size();
    }
}

std::wstring trimWhitespace(const std::wstring& text) {
    size_t first = 0;
    size_t last = text.size();
    while (first < last && std::iswspace(static_cast<wint_t>(text[first]))) ++first;
    while (last > first && std::iswspace(static_cast<wint_t>(text[last - 1]))) --last;
    return text.substr(first, last - first);
}

std::wstring decimalText(long long value) {
    wchar_t digits[24];
    size_t n = 0;
    // Works on the magnitude as unsigned so the most negative value does not overflow.
    unsigned long long magnitude = value < 0 ? 0ull - static_cast<unsigned long long>(value)
                                             : static_cast<unsigned long long>(value);
    do {
        digits[n++] = static_cast<wchar_t>(L'0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    std::wstring text;
    if (value < 0) text += L'-';
    while (n > 0) text += digits[--n];
    return text;
}

wchar_t foldCase(wchar_t c) {
    if (c >= L'A' && c <= L'Z') return static_cast<wchar_t>(c + 32);
    // Latin-1 and Cyrillic/Greek capitals fold like the C runtime's towlower.
    return static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
}

bool equalsIgnoreCase(const std::wstring& a, const std::wstring& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (foldCase(a[i]) != foldCase(b[i])) return false;
    }
    return true;
}

}  // namespace jl
