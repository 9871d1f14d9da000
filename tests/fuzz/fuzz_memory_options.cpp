// The percentage memory options and the stack size on arbitrary text and memory sizes.
#include <cstring>
#include <string>

#include "fuzz_support.h"
#include "jvm/vm_parameters.h"

namespace {

constexpr uint64_t kLargest32 = 0xFFFFFFFFu;

bool isDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

void checkNumberGroups(const std::wstring& text) {
    const jl::NumberGroups groups = jl::readNumberGroups(text);
    const bool any = text.find_first_of(L"0123456789:") != std::wstring::npos;
    FUZZ_CHECK(groups.numbers.empty() == !any);
    if (groups.numbers.empty()) return;
    FUZZ_CHECK(groups.start < text.size());
    FUZZ_CHECK(isDigit(text[groups.start]) || text[groups.start] == L':');
    size_t colons = 0;
    for (size_t i = groups.start; i + 1 < text.size(); ++i) colons += text[i] == L':';
    FUZZ_CHECK(groups.numbers.size() == colons + 1);
}

void checkMemoryOption(const std::wstring& text, const jl::os::MemoryStatus& memory) {
    const std::wstring result = jl::expandMemoryOption(text, memory);
    if (text.empty()) {
        FUZZ_CHECK(result.empty());
        return;
    }
    // The option's first four characters, a 32-bit number of kilobytes and "K".
    const size_t head = std::min<size_t>(4, text.size());
    FUZZ_CHECK(result.compare(0, head, text, 0, head) == 0);
    FUZZ_CHECK(result.back() == L'K');
    const std::wstring digits = result.substr(head, result.size() - head - 1);
    FUZZ_CHECK(!digits.empty() && digits.size() <= 10);
    uint64_t value = 0;
    for (wchar_t c : digits) {
        FUZZ_CHECK(isDigit(c));
        value = value * 10 + static_cast<uint64_t>(c - L'0');
    }
    FUZZ_CHECK(value <= kLargest32);
}

void checkStackSize(const std::wstring& text) {
    const uint32_t size = jl::parseStackSize(text);
    if (size == 0) return;
    FUZZ_CHECK(isDigit(text[0]));
    FUZZ_CHECK(text.find(L':') >= text.size() - 1);
    // Only digits and the unit contribute: removing anything else changes nothing.
    std::wstring digitsOnly;
    for (size_t i = 0; i + 1 < text.size(); ++i) {
        if (isDigit(text[i])) digitsOnly += text[i];
    }
    digitsOnly += text.back();
    FUZZ_CHECK(jl::parseStackSize(digitsOnly) == size);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The first sixteen bytes are the machine's memory, the rest the option text.
    jl::os::MemoryStatus memory;
    if (size >= 16) {
        std::memcpy(&memory.totalPhysical, data, 8);
        std::memcpy(&memory.availableVirtual, data + 8, 8);
        data += 16;
        size -= 16;
    }
    const std::wstring text = fuzzText(data, size);
    checkNumberGroups(text);
    checkMemoryOption(text, memory);
    checkMemoryOption(L"-Xmx" + text, memory);
    checkStackSize(text);
    return 0;
}
