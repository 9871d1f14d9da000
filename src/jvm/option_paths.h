// Paths in the virtual machine's options that its code page cannot hold. On Windows the
// virtual machine reads its option strings in the ANSI code page, so a folder named in
// Cyrillic or CJK on a Western system would reach it as question marks. Such a path is
// passed by its short (8.3) name instead, when the file system has one.
#pragma once

#include <string>

namespace jl {

// What the platform answers; the Windows ones are os::survivesThreadAnsi and
// os::shortPathName.
struct OptionCodePage {
    bool (*survives)(const wchar_t* text, size_t length);
    size_t (*shortPath)(const wchar_t* path, wchar_t* shortForm, size_t capacity);
};

// The option with every absolute path ("C:\..." or "\\server\...") that the code page
// cannot hold given by its short form, each replacement traced: the deepest existing
// folder or file of the path is shortened, and the rest of the path, which must survive,
// kept. Paths are looked for after each ";" of a list. The first path whose existing part
// has no short form that survives is returned in `unpassable`; it is left as written.
// Text that names nothing existing (a title, a folder not yet made) is left as written:
// the virtual machine could miss nothing.
std::wstring passableOption(const std::wstring& option, const OptionCodePage& codePage, std::wstring& unpassable);

}  // namespace jl
