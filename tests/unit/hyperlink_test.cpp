#include "support/hyperlink.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace jl {
namespace {

constexpr LinkColour kUnchanged = rgbColour(1, 2, 3);

struct ColourCase {
    const wchar_t* text;
    bool accepted;
    LinkColour colour;  // the result when accepted
};

TEST(ParseColourText, ReadsRedGreenBlueOrRejects) {
    const ColourCase cases[] = {
        {L"0,0,128", true, rgbColour(0, 0, 128)}, {L"255,128,0", true, rgbColour(255, 128, 0)},
        {L" 12, +34,\t56", true, rgbColour(12, 34, 56)},
        // Each part is read up to its first other character and cut to 8 bits.
        {L"12abc,34,56xyz", true, rgbColour(12, 34, 56)}, {L"256,257,-2", true, rgbColour(0, 1, 254)},
        {L"x,y,z", true, rgbColour(0, 0, 0)}, {L",,5", true, rgbColour(0, 0, 5)},
        // Blue may be -1; red and green may not.
        {L"0,0,-1", true, rgbColour(0, 0, 255)}, {L"-1,0,0", false, 0}, {L"0,-1,0", false, 0}, {L"0,0", false, 0},
        {L"0,0,", false, 0}, {L"", false, 0}, {L"0 0 128", false, 0}, {L"0,0,128,7", true, rgbColour(0, 0, 128)},
        // Far beyond the int range: the ends of the range, cut to 8 bits.
        {L"99999999999999999999,0,0", true, rgbColour(0xFF, 0, 0)},
    };
    for (const ColourCase& c : cases) {
        LinkColour colour = kUnchanged;
        EXPECT_EQ(parseColourText(c.text, colour), c.accepted) << testing::PrintToString(std::wstring(c.text));
        EXPECT_EQ(colour, c.accepted ? c.colour : kUnchanged) << testing::PrintToString(std::wstring(c.text));
    }
}

TEST(PlaceLinkRect, FollowsTheTextAlignment) {
    const LinkRect client{0, 0, 101, 16};
    const LinkRect measured{0, 0, 40, 13};
    EXPECT_EQ(placeLinkRect(client, measured, LinkAlignment::Left), (LinkRect{0, 0, 40, 13}));
    // Half of the free 61 pixels, rounded down.
    EXPECT_EQ(placeLinkRect(client, measured, LinkAlignment::Centre), (LinkRect{30, 0, 70, 13}));
    EXPECT_EQ(placeLinkRect(client, measured, LinkAlignment::Right), (LinkRect{61, 0, 101, 13}));
    // Text wider than the control starts at its left edge whatever the alignment.
    const LinkRect wide{0, 0, 150, 13};
    EXPECT_EQ(placeLinkRect(client, wide, LinkAlignment::Centre), (LinkRect{0, 0, 150, 13}));
    EXPECT_EQ(placeLinkRect(client, wide, LinkAlignment::Right), (LinkRect{0, 0, 150, 13}));
    // A client rectangle away from the origin carries the measured size along.
    EXPECT_EQ(placeLinkRect(LinkRect{5, 7, 105, 27}, LinkRect{5, 7, 25, 20}, LinkAlignment::Right),
              (LinkRect{85, 7, 105, 20}));
}

}  // namespace
}  // namespace jl
