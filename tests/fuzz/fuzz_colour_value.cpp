// The link colour reader on arbitrary registry data: it never reads outside the data,
// accepts only short terminated string values, and what it accepts is a colour that the
// text form of its parts reads back as.
#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "support/hyperlink.h"
#include "support/text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    // The text parser alone, on the same bytes as text.
    jl::LinkColour fromText = 0x01020304;
    if (!jl::parseColourText(fuzzText(data, size), fromText)) FUZZ_CHECK(fromText == 0x01020304);

    const bool isString = (data[0] & 1) != 0;
    jl::LinkColour colour = 0x01020304;
    const bool accepted = jl::parseColourValue(isString, data + 1, size - 1, colour);
    if (!accepted) {
        FUZZ_CHECK(colour == 0x01020304);
        return 0;
    }
    FUZZ_CHECK(isString && size - 1 <= 2 * jl::kColourValueCapacity + 1);
    FUZZ_CHECK((colour & 0xFF000000u) == 0);
    const std::wstring text = jl::decimalText(colour & 0xFF) + L"," + jl::decimalText((colour >> 8) & 0xFF) + L"," +
                              jl::decimalText((colour >> 16) & 0xFF);
    jl::LinkColour again = 0;
    FUZZ_CHECK(jl::parseColourText(text, again) && again == colour);
    return 0;
}
