// Paths in the virtual machine's options that its code page cannot hold. On Windows the
// virtual machine reads its option strings in the ANSI code page, so a folder named in
// Cyrillic or CJK on a Western system would reach it as question marks. Such a path is
// passed by its short (8.3) name instead, when the file system has one.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace jl {

// What the platform answers; the Windows ones are os::survivesThreadAnsi and
// os::shortPathName.
struct OptionCodePage {
    bool (*survives)(const std::wstring& text);
    bool (*shortPath)(const std::wstring& path, std::wstring& shortForm);
};

struct PassableOption {
    std::wstring text;  // the option, with the replacements made
    std::vector<std::pair<std::wstring, std::wstring>> replaced;  // each path, and what replaced it
    std::wstring unpassable;  // a path that exists but cannot be passed; empty when none
};

// The option with every absolute path ("C:\..." or "\\server\...") that the code page
// cannot hold replaced by its short form: the deepest existing folder or file of the
// path is shortened and the rest, which must survive as written, kept. Paths are looked
// for after each ";" of a list. A path whose existing part has no short form that
// survives is `unpassable`. Text that names nothing existing (a title, a folder not yet
// made) is left as written: there is nothing the virtual machine could miss.
PassableOption passableOption(const std::wstring& option, const OptionCodePage& codePage);

}  // namespace jl
