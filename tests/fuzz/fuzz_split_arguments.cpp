// The command-line splitter and the list splitter on arbitrary text.
#include <algorithm>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "support/text.h"

namespace {

using Pieces = std::vector<std::wstring>;
constexpr size_t npos = std::wstring::npos;

std::wstring join(const Pieces& pieces, const std::wstring& glue) {
    std::wstring text;
    for (size_t i = 0; i < pieces.size(); ++i) {
        if (i > 0) text += glue;
        text += pieces[i];
    }
    return text;
}

// Space-separated words; leading spaces give one empty first word, as in the splitter.
Pieces words(const std::wstring& text) {
    Pieces result;
    if (!text.empty() && text[0] == L' ') result.emplace_back();
    size_t pos = 0;
    while (pos < text.size()) {
        const size_t start = text.find_first_not_of(L' ', pos);
        if (start == npos) break;
        const size_t end = std::min(text.find(L' ', start), text.size());
        result.push_back(text.substr(start, end - start));
        pos = end;
    }
    return result;
}

void checkSplitArguments(const std::wstring& text) {
    const Pieces arguments = jl::splitArguments(text);
    FUZZ_CHECK(arguments.empty() == text.empty());
    FUZZ_CHECK(arguments.size() <= text.size());

    bool quoteInside = false;
    for (const std::wstring& argument : arguments) {
        FUZZ_CHECK(text.find(argument) != npos);
        // Only a quoted argument can hold a space.
        if (argument.find(L' ') != npos) FUZZ_CHECK(text.find(L'"' + argument) != npos);
        if (argument.find(L'"') != npos) quoteInside = true;
    }
    if (text.find(L'"') == npos) FUZZ_CHECK(arguments == words(text));

    // Quoting every argument and joining them with one space gives the same list back.
    if (!quoteInside && !arguments.empty()) {
        Pieces quoted;
        for (const std::wstring& argument : arguments) quoted.push_back(L'"' + argument + L'"');
        FUZZ_CHECK(jl::splitArguments(join(quoted, L" ")) == arguments);
    }
}

void checkSplitAtDelimiter(const std::wstring& text, const std::wstring& delimiter) {
    const Pieces pieces = jl::splitAtDelimiter(text, delimiter);
    if (text.empty()) {
        FUZZ_CHECK(pieces.empty());
        return;
    }
    if (delimiter.empty()) {
        FUZZ_CHECK(pieces == Pieces{text});
        return;
    }
    for (const std::wstring& piece : pieces) FUZZ_CHECK(piece.find(delimiter) == npos);
    // A delimiter at the very end leaves no empty piece behind it.
    const std::wstring joined = join(pieces, delimiter);
    FUZZ_CHECK(joined == text || joined + delimiter == text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::wstring text = fuzzText(data, size);
    checkSplitArguments(text);
    if (!text.empty()) {
        // The first character chooses a delimiter of 0 to 3 characters taken from the text.
        const size_t delimiterLength = std::min<size_t>(static_cast<size_t>(text[0]) % 4, text.size() - 1);
        checkSplitAtDelimiter(text.substr(1 + delimiterLength), text.substr(1, delimiterLength));
    }
    return 0;
}
