#include "jvm/vm_parameters.h"

#include "support/text.h"

namespace jl {

namespace {

constexpr size_t npos = std::wstring::npos;
constexpr uint64_t kLargest32 = 0xFFFFFFFFu;

bool isDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

// One more decimal digit, stopping at the largest 32-bit value instead of wrapping, so
// that an absurd number stays absurdly large rather than turning small.
uint32_t appendDigit(uint32_t number, wchar_t digit) {
    const uint64_t next = static_cast<uint64_t>(number) * 10 + static_cast<uint64_t>(digit - L'0');
    return next > kLargest32 ? static_cast<uint32_t>(kLargest32) : static_cast<uint32_t>(next);
}

// Where the parameter that starts at `pos` ends: at a space outside quotes, or at the
// end of the text. A quote without a partner does not quote.
size_t parameterEnd(const std::wstring& text, size_t pos) {
    size_t search = pos;
    for (;;) {
        const size_t space = text.find(L' ', search);
        const size_t quote = text.find(L'"', search);
        if (quote == npos) return space == npos ? text.size() : space;
        if (space == npos) return text.size();
        if (space < quote) return space;
        size_t close = text.find(L'"', quote + 1);
        if (close == npos) return space;
        if (close + 1 < text.size() && text[close + 1] == L'"') ++close;
        search = close + 1;
    }
}

}  // namespace

std::vector<std::wstring> splitVmParameters(const std::wstring& text) {
    std::vector<std::wstring> parameters;
    // A value extended through a "+" section starts with a space; an empty first
    // parameter would reach the virtual machine as an option it refuses.
    size_t pos = text.find_first_not_of(L' ');
    while (pos != npos) {
        const size_t end = parameterEnd(text, pos);
        parameters.push_back(text.substr(pos, end - pos));
        pos = text.find_first_not_of(L' ', end);
    }
    return parameters;
}

std::wstring stripQuotePairs(const std::wstring& text) {
    std::wstring result = text;
    size_t pos = 0;
    for (;;) {
        const size_t open = result.find(L'"', pos);
        if (open == npos) break;
        size_t close = result.find(L'"', open + 1);
        if (close == npos) break;
        if (close + 1 < result.size() && result[close + 1] == L'"') ++close;
        result.erase(close, 1);
        result.erase(open, 1);
        pos = close - 1;
    }
    return result;
}

NumberGroups readNumberGroups(const std::wstring& text) {
    NumberGroups groups;
    size_t start = 0;
    while (start < text.size() && !isDigit(text[start]) && text[start] != L':') ++start;
    if (start == text.size()) return groups;
    groups.start = start;
    groups.numbers.push_back(0);
    for (size_t i = start; i + 1 < text.size(); ++i) {
        if (isDigit(text[i])) {
            groups.numbers.back() = appendDigit(groups.numbers.back(), text[i]);
        } else if (text[i] == L':') {
            groups.numbers.push_back(0);
        }
    }
    return groups;
}

std::wstring expandMemoryOption(const std::wstring& text, const os::MemoryStatus& memory) {
    if (text.empty()) return text;
    const NumberGroups groups = readNumberGroups(text);
    auto number = [&](size_t i) -> uint64_t { return i < groups.numbers.size() ? groups.numbers[i] : 0; };
    const uint64_t percentage = number(0);
    const uint64_t minimumKb = number(1) * 1024;
    const uint64_t maximumKb = number(2) * 1024;

    const wchar_t unit = text.back();
    const uint64_t basis = (unit == L'T' || unit == L't') ? memory.availableVirtual : memory.totalPhysical;
    const double kilobytes = static_cast<double>(basis >> 10) * (static_cast<double>(percentage) / 100.0);
    // The 64-bit twin and Linux see far more than 4 TB of address space; the option
    // names kilobytes in 32 bits, so larger values stay at the largest it can name.
    uint64_t value = kilobytes >= static_cast<double>(kLargest32) ? kLargest32 : static_cast<uint64_t>(kilobytes);
    if (maximumKb != 0 && value > maximumKb) value = maximumKb;
    if (value < minimumKb) value = minimumKb;
    if (value > kLargest32) value = kLargest32;
    return text.substr(0, 4) + decimalText(static_cast<long long>(value)) + L"K";
}

uint32_t parseStackSize(const std::wstring& text) {
    if (text.empty() || !isDigit(text[0])) return 0;
    const size_t last = text.size() - 1;
    if (text.find(L':') < last) return 0;

    uint64_t unit = 1;
    switch (text[last]) {
        case L'G': case L'g': unit = 1073741824; break;
        case L'M': case L'm': unit = 1048576; break;
        case L'K': case L'k': unit = 1024; break;
        default: break;
    }
    uint64_t number = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (!isDigit(text[i])) continue;
        number = number * 10 + static_cast<uint64_t>(text[i] - L'0');
        // Too large for 32 bits whatever the unit: the virtual machine's default applies.
        if (number > kLargest32) return 0;
    }
    const uint64_t bytes = number * unit;
    return bytes > kLargest32 ? 0 : static_cast<uint32_t>(bytes);
}

bool isPercentageMemoryOption(const std::wstring& parameter) {
    if (parameter.size() < 5) return false;
    const std::wstring prefix = parameter.substr(0, 4);
    if (prefix != L"-Xms" && prefix != L"-Xmx" && prefix != L"-Xss") return false;
    const wchar_t unit = parameter.back();
    return unit == L'P' || unit == L'p' || unit == L'T' || unit == L't';
}

}  // namespace jl
