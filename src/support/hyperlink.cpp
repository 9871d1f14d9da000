#include "support/hyperlink.h"

#include <climits>

namespace jl {

namespace {

bool isBlank(wchar_t c) { return c == L' ' || (c >= L'\t' && c <= L'\r'); }

// The C runtime's reading of a decimal number: leading blanks, an optional sign, digits
// up to the first other character; no digits read as 0. Values beyond the int range
// stay at its ends instead of wrapping.
int readDecimal(const std::wstring& text) {
    size_t i = 0;
    while (i < text.size() && isBlank(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) {
        negative = text[i] == L'-';
        ++i;
    }
    long long value = 0;
    for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i) {
        value = value * 10 + (text[i] - L'0');
        if (value > static_cast<long long>(INT_MAX) + 1) value = static_cast<long long>(INT_MAX) + 1;
    }
    if (negative) value = -value;
    if (value > INT_MAX) value = INT_MAX;
    return static_cast<int>(value);
}

uint8_t lowByte(int value) { return static_cast<uint8_t>(static_cast<unsigned>(value) & 0xFFu); }

}  // namespace

bool parseColourText(const std::wstring& text, LinkColour& colour) {
    const size_t firstComma = text.find(L',');
    if (firstComma == std::wstring::npos) return false;
    const size_t secondComma = text.find(L',', firstComma + 1);
    if (secondComma == std::wstring::npos || secondComma + 1 == text.size()) return false;
    const int red = readDecimal(text.substr(0, firstComma));
    const int green = readDecimal(text.substr(firstComma + 1, secondComma - firstComma - 1));
    const int blue = readDecimal(text.substr(secondComma + 1));
    if (red == -1 || green == -1) return false;
    colour = rgbColour(lowByte(red), lowByte(green), lowByte(blue));
    return true;
}

bool parseColourValue(bool isStringType, const uint8_t* data, size_t byteCount, LinkColour& colour) {
    if (!isStringType || data == nullptr) return false;
    const size_t units = byteCount / 2;
    if (units == 0 || units > kColourValueCapacity) return false;
    auto unitAt = [data](size_t i) {
        return static_cast<wchar_t>(data[2 * i] | (static_cast<unsigned>(data[2 * i + 1]) << 8));
    };
    if (unitAt(units - 1) != L'\0') return false;
    std::wstring text;
    for (size_t i = 0; i < units && unitAt(i) != L'\0'; ++i) text += unitAt(i);
    return parseColourText(text, colour);
}

bool staticStylePaintsText(uint32_t style) {
    switch (style & kStaticTypeMask) {
        case 0x03:  // icon
        case 0x04: case 0x05: case 0x06:  // black, grey and white rectangles
        case 0x07: case 0x08: case 0x09:  // black, grey and white frames
        case 0x0D:  // owner-drawn
        case 0x0E:  // bitmap
        case 0x0F:  // enhanced metafile
        case 0x10: case 0x11: case 0x12:  // etched lines and frame
            return false;
        default:
            return true;
    }
}

LinkAlignment staticStyleAlignment(uint32_t style) {
    switch (style & kStaticTypeMask) {
        case kStaticCentre: return LinkAlignment::Centre;
        case kStaticRight: return LinkAlignment::Right;
        default: return LinkAlignment::Left;
    }
}

LinkRect placeLinkRect(const LinkRect& client, const LinkRect& measured, LinkAlignment alignment) {
    LinkRect rect{client.left, client.top, client.left + measured.width(), client.top + measured.height()};
    int free = client.right - rect.right;
    if (free < 0 || alignment == LinkAlignment::Left) free = 0;
    const int shift = alignment == LinkAlignment::Centre ? free / 2 : free;
    rect.left += shift;
    rect.right += shift;
    return rect;
}

bool linkRectContains(const LinkRect& rect, int x, int y) {
    return x >= rect.left && x < rect.right && y >= rect.top && y < rect.bottom;
}

LinkColour linkTextColour(const LinkColours& colours, bool enabled, bool visited, LinkColour greyText) {
    if (!enabled) return greyText;
    return visited ? colours.visited : colours.link;
}

}  // namespace jl
