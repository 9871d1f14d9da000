// Splitting the virtual machine parameters and removing quote pairs, on arbitrary text.
#include <algorithm>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "jvm/vm_parameters.h"

namespace {

constexpr size_t npos = std::wstring::npos;

size_t quotes(const std::wstring& text) { return static_cast<size_t>(std::count(text.begin(), text.end(), L'"')); }

void checkSplit(const std::wstring& text) {
    const std::vector<std::wstring> parameters = jl::splitVmParameters(text);
    size_t pos = 0;
    size_t total = 0;
    for (const std::wstring& parameter : parameters) {
        FUZZ_CHECK(!parameter.empty());
        FUZZ_CHECK(parameter.front() != L' ');
        // The parameters are the text's own pieces, in order, separated by spaces.
        const size_t at = text.find(parameter, pos);
        FUZZ_CHECK(at != npos);
        FUZZ_CHECK(text.find_first_not_of(L' ', pos) == at);
        pos = at + parameter.size();
        FUZZ_CHECK(pos == text.size() || text[pos] == L' ');
        total += parameter.size();
        // Without quotes a parameter holds no space.
        if (quotes(parameter) == 0) FUZZ_CHECK(parameter.find(L' ') == npos);
    }
    FUZZ_CHECK(text.find_first_not_of(L' ', pos) == npos);
    FUZZ_CHECK(total <= text.size());
    if (quotes(text) == 0) {
        for (const std::wstring& parameter : parameters) FUZZ_CHECK(parameter.find(L' ') == npos);
    }
}

void checkStrip(const std::wstring& text) {
    const std::wstring stripped = jl::stripQuotePairs(text);
    FUZZ_CHECK(stripped.size() <= text.size());
    // Quotes are removed in pairs, and nothing but quotes.
    FUZZ_CHECK((text.size() - stripped.size()) % 2 == 0);
    FUZZ_CHECK(quotes(text) - quotes(stripped) == text.size() - stripped.size());
    std::wstring withoutQuotes = text;
    withoutQuotes.erase(std::remove(withoutQuotes.begin(), withoutQuotes.end(), L'"'), withoutQuotes.end());
    std::wstring strippedWithoutQuotes = stripped;
    strippedWithoutQuotes.erase(std::remove(strippedWithoutQuotes.begin(), strippedWithoutQuotes.end(), L'"'),
                                strippedWithoutQuotes.end());
    FUZZ_CHECK(withoutQuotes == strippedWithoutQuotes);
    if (quotes(text) < 2) FUZZ_CHECK(stripped == text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::wstring text = fuzzText(data, size);
    checkSplit(text);
    checkStrip(text);
    for (const std::wstring& parameter : jl::splitVmParameters(text)) checkStrip(parameter);
    return 0;
}
