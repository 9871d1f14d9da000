// The "Virtual Machine Parameters" text taken apart: splitting at spaces outside
// quotes, removing quote pairs, the percentage form of the memory options and the
// stack size of "-Xss". Pure text operations; the memory figures come in as values.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "os/os.h"

namespace jl {

// Parameters separated by spaces; a double-quoted stretch keeps its spaces, and a
// doubled quote right after a closing quote belongs to the stretch. Spaces before the
// first parameter are skipped, so no parameter is ever empty.
std::vector<std::wstring> splitVmParameters(const std::wstring& text);

// Each pair of double quotes removed, the text between them kept. A doubled quote that
// closes a stretch keeps its first quote: "x"" becomes x".
std::wstring stripQuotePairs(const std::wstring& text);

struct NumberGroups {
    std::vector<uint32_t> numbers;  // empty when the text holds no digit and no ":"
    size_t start = 0;               // index of the first digit or ":"
};
// The ":"-separated numbers of a text, read up to (not including) its last character,
// which is the unit letter. Other characters are skipped; a number too large for 32 bits
// stays at the largest 32-bit value.
NumberGroups readNumberGroups(const std::wstring& text);

// "-Xmx25:256:512p" and the like: percent[:minimum MB[:maximum MB]] of physical memory
// (P, p) or of the free address space (T, t), rewritten to the option's first four
// characters, a number of kilobytes and "K". Values beyond 32 bits stay at the largest
// 32-bit value.
std::wstring expandMemoryOption(const std::wstring& text, const os::MemoryStatus& memory);

// The stack size in bytes of the text after "-Xss" ("512k", "1m", "1048576"); 0 when it
// does not parse or does not fit in 32 bits.
uint32_t parseStackSize(const std::wstring& text);

// Whether a parameter is written in the percentage form expandMemoryOption rewrites.
bool isPercentageMemoryOption(const std::wstring& parameter);

}  // namespace jl
