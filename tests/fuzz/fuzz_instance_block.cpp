// The single-instance argument area read from whatever bytes another process left in
// it, in a buffer of exactly that size (so that a read past its end is caught), and the
// list a reader finds written back and read again.
#include <cstring>
#include <string>
#include <vector>

#include "core/instance_arguments.h"
#include "fuzz_support.h"
#include "jvm/java_strings.h"

namespace {

using List = std::vector<std::wstring>;

std::vector<std::u16string> units(const List& list) {
    std::vector<std::u16string> result;
    for (const std::wstring& text : list) result.push_back(jl::toUtf16Units(text));
    return result;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // A copy of exactly `size` bytes: the reader is given that size and nothing more.
    std::vector<uint8_t> area(data, data + size);
    List read = {L"untouched"};
    const bool wellFormed = jl::readArgumentArea(area.data(), area.size(), read);
    if (!wellFormed) {
        FUZZ_CHECK(read == List{L"untouched"});
        return 0;
    }
    FUZZ_CHECK(!read.empty());
    size_t total = 0;
    for (const std::u16string& text : units(read)) {
        FUZZ_CHECK(text.find(u'\0') == std::u16string::npos);
        total += text.size() + 1;
    }
    FUZZ_CHECK(total + 1 <= size / 2);

    // A list that was read is one a writer can produce, unless it holds an empty string
    // after the first (which a reader never finds) or is longer than the area.
    std::vector<uint8_t> rewritten(jl::kArgumentAreaSize, 0xEE);
    if (!jl::writeArgumentArea(read, rewritten.data())) {
        FUZZ_CHECK(jl::argumentAreaBytesNeeded(read) > jl::kArgumentAreaSize);
        return 0;
    }
    List again;
    FUZZ_CHECK(jl::readArgumentArea(rewritten.data(), rewritten.size(), again));
    FUZZ_CHECK(units(again) == units(read));
    // What the writer wrote is what the reader found, byte for byte, up to its end.
    const size_t used = jl::argumentAreaBytesNeeded(read);
    FUZZ_CHECK(used <= size && std::memcmp(rewritten.data(), area.data(), used) == 0);
    return 0;
}
