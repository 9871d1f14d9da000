// jlpack's command line:
//
//   jlpack --launcher IN --output OUT [--settings FILE.ini] [--embed EMBEDDED.ini]
//          [--key-text TEXT] [--icon FILE.ico] [--version NAME=VALUE]... [--manifest FILE]
//          [--jar FILE.jar] [--sign-command COMMAND]
//   jlpack --describe FILE
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace jlpack {

struct Options {
    bool help = false;
    std::wstring describe;
    std::wstring launcher, output, settings, embed, icon, manifest, jar, signCommand;
    bool hasKeyText = false;
    std::wstring keyText;
    std::vector<std::pair<std::wstring, std::wstring>> version;  // NAME, VALUE in order
};

extern const wchar_t kUsage[];

// False, with the reason, for wrong usage (exit code 2).
[[nodiscard]] bool parseCommandLine(const std::vector<std::wstring>& arguments, Options& options,
                                    std::wstring& error);

}  // namespace jlpack
