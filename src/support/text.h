// Small text operations shared by every step: splitting command lines and lists,
// comparing settings values.
#pragma once

#include <string>
#include <vector>

namespace jl {

// The command-line splitter: double quotes group, only U+0020 separates, no escapes.
std::vector<std::wstring> splitArguments(const std::wstring& text);

// Pieces between occurrences of `delimiter`; an empty piece between two adjacent
// delimiters, none after a delimiter at the very end, none at all for an empty text.
std::vector<std::wstring> splitAtDelimiter(const std::wstring& text, const std::wstring& delimiter);

// Whitespace as iswspace classifies it, removed at both ends.
std::wstring trimWhitespace(const std::wstring& text);

// Whole-value comparison without regard to case (ASCII and Latin letters folded the way
// _wcsicmp folds them).
bool equalsIgnoreCase(const std::wstring& a, const std::wstring& b);

// A signed decimal number, as "%d" prints it. (std::to_wstring would bring the C
// runtime's whole wide printf, with floating point, into the executable.)
std::wstring decimalText(long long value);

// Lower-case fold of one character, as used by equalsIgnoreCase.
wchar_t foldCase(wchar_t c);

}  // namespace jl
