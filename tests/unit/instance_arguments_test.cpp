// The argument area of the single-instance block: its layout, and whatever a reader may
// find in it. (Lists handed over, the area's limit and the lists it cannot carry are the
// end-to-end tests' single-instance cases.)
#include "core/instance_arguments.h"

#include <gtest/gtest.h>

#include <vector>

#include "core/single_instance.h"

namespace jl {
namespace {

using List = std::vector<std::wstring>;
using Area = std::vector<uint8_t>;

TEST(InstanceArguments, LayoutIsUtf16WithNulSeparatorsAndTheRestZeroed) {
    Area area(kArgumentAreaSize, 0xEE);
    ASSERT_TRUE(writeArgumentArea({L"ab", L"\u20ac"}, area.data()));
    const Area expected = {'a', 0, 'b', 0, 0, 0, 0xAC, 0x20, 0, 0, 0, 0};
    EXPECT_EQ(Area(area.begin(), area.begin() + expected.size()), expected);
    for (size_t i = expected.size(); i < area.size(); ++i) ASSERT_EQ(area[i], 0) << "byte " << i;
}

TEST(InstanceArguments, ReadingWhateverAWriterLeft) {
    struct Case {
        const char* what;
        Area bytes;
        bool wellFormed;
        List read;
    };
    const Area beyondTheSize = {'a', 0, 'b', 0, 0, 0, 0, 0};
    const Case cases[] = {
        {"all garbage", Area(kArgumentAreaSize, 0xFF), false, {}},
        {"all zero", Area(kArgumentAreaSize, 0), true, {L""}},
        {"a string running to the end", Area{'a', 0, 'b', 0, 'c', 0, 'd', 0}, false, {}},
        {"a NUL in the last unit only", Area{'a', 0, 'b', 0, 0, 0}, false, {}},
        {"the list's end in the last unit", Area{'a', 0, 0, 0, 0, 0}, true, {L"a"}},
        {"an odd byte after the last unit", Area{'a', 0, 0, 0, 0, 0, 0x41}, true, {L"a"}},
        {"one byte", Area{0}, false, {}}, {"nothing", Area{}, false, {}},
        // The reader must not look past the size it is given.
        {"the list's end beyond the size", Area(beyondTheSize.begin(), beyondTheSize.begin() + 4), false, {}},
        {"the list's end at the size", beyondTheSize, true, {L"ab"}},
    };
    for (const Case& c : cases) {
        List read = {L"untouched"};
        EXPECT_EQ(readArgumentArea(c.bytes.data(), c.bytes.size(), read), c.wellFormed) << c.what;
        EXPECT_EQ(read, c.wellFormed ? c.read : List{L"untouched"}) << c.what;
    }

    // A pair and a lone low surrogate: every unit is kept.
    const Area surrogates = {0x00, 0xD8, 0x00, 0xDC, 0x00, 0xDC, 0, 0, 0, 0};
    List read;
    ASSERT_TRUE(readArgumentArea(surrogates.data(), surrogates.size(), read));
    ASSERT_EQ(read.size(), 1u);
#ifdef _WIN32
    EXPECT_EQ(read[0], std::wstring(L"\xD800\xDC00\xDC00"));
#else
    EXPECT_EQ(read[0], std::wstring(L"\U00010000") + static_cast<wchar_t>(0xDC00));
#endif
}

TEST(SingleInstance, WhenItAppliesAndWhatItIsKeyedBy) {
    EXPECT_TRUE(singleInstanceApplies(false, L"yes"));
    EXPECT_FALSE(singleInstanceApplies(true, L"yes")) << "a service never runs as single instance";
    EXPECT_FALSE(singleInstanceApplies(false, L"Yes")) << "compared exactly";
    EXPECT_FALSE(singleInstanceApplies(false, L"yes "));
    EXPECT_FALSE(singleInstanceApplies(false, L""));
#ifdef _WIN32
    EXPECT_EQ(instanceNameFor(L"C:\\Program Files\\Tool\\tool.exe"), L"C:_Program Files_Tool_tool.exe");
#else
    EXPECT_EQ(instanceNameFor(L"/opt/tool/bin/tool"), L"_opt_tool_bin_tool");
#endif
}

}  // namespace
}  // namespace jl
