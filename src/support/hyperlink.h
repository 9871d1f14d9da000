// The arithmetic of the hyperlink control, kept apart from the window that uses it: the
// link colours the user's browser settings name, which static styles carry text and how
// they align it, where the drawn link lies inside the control, and which colour it is
// drawn in.
#pragma once

#include "support/rect.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace jl {

// A colour in the platform's RGB layout: red in the low byte, then green, then blue.
using LinkColour = uint32_t;

constexpr LinkColour rgbColour(uint8_t red, uint8_t green, uint8_t blue) {
    return LinkColour{red} | (LinkColour{green} << 8) | (LinkColour{blue} << 16);
}

constexpr LinkColour kDefaultLinkColour = rgbColour(0, 0, 255);
constexpr LinkColour kDefaultVisitedColour = rgbColour(128, 0, 128);

// A colour value of the browser settings holds at most this many characters, its
// terminating zero included; a longer one is not a colour.
constexpr size_t kColourValueCapacity = 12;

// "R,G,B": each part a signed decimal number (leading blanks and a sign allowed, read up
// to the first other character) cut to its low 8 bits. False, with `colour` untouched,
// when a comma is missing, when R or G reads as -1, or when nothing follows the second
// comma.
[[nodiscard]] bool parseColourText(const std::wstring& text, LinkColour& colour);

// A registry value as stored: its data as little-endian UTF-16 bytes and whether its
// type is one of the two string types. Only a string value of at most
// kColourValueCapacity characters whose last character is the terminating zero is read
// as colour text.
[[nodiscard]] bool parseColourValue(bool isStringType, const uint8_t* data, size_t byteCount,
                                    LinkColour& colour);

// Horizontal placement of a static control's text.
enum class LinkAlignment { Left, Centre, Right };

// Style bits of a static control, by their platform values.
constexpr uint32_t kStaticTypeMask = 0x1F;
constexpr uint32_t kStaticCentre = 0x01;
constexpr uint32_t kStaticRight = 0x02;

// False for the static types that show no text of their own: icons, filled rectangles,
// frames (etched ones too), owner-drawn statics, bitmaps and metafiles.
bool staticStylePaintsText(uint32_t style);
LinkAlignment staticStyleAlignment(uint32_t style);

using LinkRect = Rect;

// The area of the drawn link: `measured` is the text's extent as measured from the
// client rectangle's top left corner; centred text moves right by half the free width,
// right-aligned text by all of it. Text wider than the control stays at its left edge.
LinkRect placeLinkRect(const LinkRect& client, const LinkRect& measured, LinkAlignment alignment);

// Inside means left <= x < right and top <= y < bottom, as the platform hit-tests.
bool linkRectContains(const LinkRect& rect, int x, int y);

struct LinkColours {
    LinkColour link = kDefaultLinkColour;
    LinkColour visited = kDefaultVisitedColour;
};

// The text colour of the link: the system's grey text colour while the control is
// disabled (visited or not), otherwise the visited or the link colour.
LinkColour linkTextColour(const LinkColours& colours, bool enabled, bool visited, LinkColour greyText);

}  // namespace jl
