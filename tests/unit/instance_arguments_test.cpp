// The argument area of the single-instance block: what a second instance writes, what
// the first one reads back, the limit of the area and whatever else may be found in it.
#include "core/instance_arguments.h"

#include <gtest/gtest.h>

#include <vector>

#include "core/single_instance.h"

namespace jl {
namespace {

using List = std::vector<std::wstring>;
using Area = std::vector<uint8_t>;

List roundTrip(const List& arguments) {
    Area area(kArgumentAreaSize, 0xEE);
    EXPECT_TRUE(writeArgumentArea(arguments, area.data()));
    List read;
    EXPECT_TRUE(readArgumentArea(area.data(), area.size(), read));
    return read;
}

// An argument of `units` UTF-16 units.
std::wstring ofUnits(size_t units) { return std::wstring(units, L'x'); }

TEST(InstanceArguments, ListsComeBackUnchanged) {
    // No arguments arrive as one empty string: the list's end marker alone.
    EXPECT_EQ(roundTrip({}), List{L""});
    const List cases[] = {
        {L""}, {L"one"}, {L"C:\\Docs\\a b.txt", L"-flag", L"x"}, {L"", L"after an empty first"},
        {L"\u00fc\u00df\u20ac", L"\u65e5\u672c", L"\U0001F600"},
    };
    for (const List& c : cases) EXPECT_EQ(roundTrip(c), c);
}

TEST(InstanceArguments, LayoutIsUtf16WithNulSeparatorsAndTheRestZeroed) {
    Area area(kArgumentAreaSize, 0xEE);
    ASSERT_TRUE(writeArgumentArea({L"ab", L"\u20ac"}, area.data()));
    const Area expected = {'a', 0, 'b', 0, 0, 0, 0xAC, 0x20, 0, 0, 0, 0};
    EXPECT_EQ(Area(area.begin(), area.begin() + expected.size()), expected);
    for (size_t i = expected.size(); i < area.size(); ++i) ASSERT_EQ(area[i], 0) << "byte " << i;
}

TEST(InstanceArguments, TheWholeAreaMayBeUsedButNotOneUnitMore) {
    // Two strings and three NULs: 2080 bytes are 1040 units, 1037 of them text.
    const List atLimit = {ofUnits(700), ofUnits(337)};
    EXPECT_EQ(argumentAreaBytesNeeded(atLimit), kArgumentAreaSize);
    EXPECT_EQ(roundTrip(atLimit), atLimit);
    // The long document paths a writer once refused at 1040 bytes.
    const List longPaths = {ofUnits(250), ofUnits(250), ofUnits(249)};
    EXPECT_EQ(argumentAreaBytesNeeded(longPaths), 1506u);
    EXPECT_EQ(roundTrip(longPaths), longPaths);

    Area area(kArgumentAreaSize, 0xEE);
    const List pastLimit = {ofUnits(700), ofUnits(338)};
    EXPECT_EQ(argumentAreaBytesNeeded(pastLimit), kArgumentAreaSize + 2);
    EXPECT_FALSE(writeArgumentArea(pastLimit, area.data()));
    EXPECT_EQ(area, Area(kArgumentAreaSize, 0xEE)) << "a list that does not fit leaves the area alone";
#ifndef _WIN32
    // Units are counted as UTF-16 on Linux too: a character beyond U+FFFF takes two.
    EXPECT_EQ(argumentAreaBytesNeeded({L"\U0001F600"}), 8u);
    EXPECT_FALSE(writeArgumentArea({ofUnits(1036), L"\U0001F600"}, area.data()));
#endif
}

TEST(InstanceArguments, WhatTheFormatCannotCarry) {
    // An empty argument after the first would end the list early: it is left out and
    // the rest is handed over in order.
    const std::pair<List, List> leftOut[] = {
        {{L"a", L"", L"b"}, {L"a", L"b"}}, {{L"a", L""}, {L"a"}}, {{L"", L""}, {L""}},
        {{L"", L"a", L"", L"", L"b"}, {L"", L"a", L"b"}},
    };
    for (const auto& [given, read] : leftOut) EXPECT_EQ(roundTrip(given), read);
    // A NUL inside an argument would split it: refused.
    Area area(kArgumentAreaSize, 0);
    EXPECT_FALSE(writeArgumentArea({std::wstring(L"a\0b", 3)}, area.data()));
    // What a reader makes of such a list: it ends at the first double NUL.
    const Area written = {'a', 0, 0, 0, 0, 0, 'b', 0, 0, 0, 0, 0};
    List read;
    ASSERT_TRUE(readArgumentArea(written.data(), written.size(), read));
    EXPECT_EQ(read, List{L"a"});
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
