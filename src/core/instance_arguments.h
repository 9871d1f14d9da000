// The shared block through which a second instance hands its command line to the first
// one: its layout, and the argument area's text format (UTF-16 strings, each ended by a
// NUL, the list ended by one more NUL). The same area travels over the socket on Linux.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace jl {

// Layout of the block (little-endian), as every launcher version maps it.
constexpr size_t kInstanceBlockSize = 2092;
constexpr size_t kListenerThreadOffset = 0;  // thread id of the first instance's listener
constexpr size_t kFirstProcessOffset = 4;    // process id of the first instance
constexpr size_t kMessageIdOffset = 8;       // the registered window message
constexpr size_t kArgumentAreaOffset = 12;
constexpr size_t kArgumentAreaSize = kInstanceBlockSize - kArgumentAreaOffset;  // 2080 bytes

// The bytes an argument list needs in the area: two per UTF-16 unit, two for each
// string's NUL and two for the NUL that ends the list (an empty argument after the
// first, which is left out, counted too).
size_t argumentAreaBytesNeeded(const std::vector<std::wstring>& arguments);

// Writes the list into `area` (kArgumentAreaSize bytes), zeroing the rest. The whole
// area may be used, the final NUL included. An empty argument after the first is left
// out: its NUL would end the list early and every later argument would be lost. False,
// leaving `area` untouched, when the rest does not fit or holds a NUL inside an argument.
[[nodiscard]] bool writeArgumentArea(const std::vector<std::wstring>& arguments, uint8_t* area);

// Reads the list from `size` bytes of an area whatever a writer left there; nothing
// beyond `size` is ever read. An area whose list is not ended inside it is malformed:
// false, `arguments` untouched. An empty list was written as one empty string and reads
// back as that.
[[nodiscard]] bool readArgumentArea(const uint8_t* area, size_t size, std::vector<std::wstring>& arguments);

}  // namespace jl
