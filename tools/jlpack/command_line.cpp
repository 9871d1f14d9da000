#include "command_line.h"

#include "version_resource.h"

#include <algorithm>

namespace jlpack {

const wchar_t kUsage[] =
    L"usage: jlpack --launcher IN --output OUT [--settings FILE.ini] [--embed EMBEDDED.ini]\n"
    L"              [--key-text TEXT] [--icon FILE.ico] [--version NAME=VALUE]...\n"
    L"              [--manifest FILE] [--jar FILE.jar] [--sign-command COMMAND]\n"
    L"       jlpack --describe FILE\n"
    L"\n"
    L"Makes a product executable out of a built launcher (jlaunch.exe, jlaunch64.exe or the\n"
    L"Linux jlaunch); IN is never changed.\n"
    L"  --settings FILE.ini   copied beside OUT under OUT's name; its Upgrade Code keys --embed\n"
    L"  --embed EMBEDDED.ini  settings carried inside OUT, under those of the settings file\n"
    L"  --key-text TEXT       fixed inner key text (reproducible output); random otherwise\n"
    L"  --icon FILE.ico       the executable's icon (PNG and bitmap images)\n"
    L"  --version NAME=VALUE  FileVersion, ProductVersion, ProductName, CompanyName,\n"
    L"                        FileDescription, LegalCopyright, OriginalFilename, InternalName,\n"
    L"                        Comments, LegalTrademarks, PrivateBuild, SpecialBuild\n"
    L"  --manifest FILE       replaces the launcher's application manifest\n"
    L"  --jar FILE.jar        the application JAR, appended (\"Embedded Jar\")\n"
    L"  --sign-command CMD    signs OUT: CMD signs {out} in place, or reads {in} and writes {out}\n"
    L"  --describe FILE       prints what an executable carries\n"
    L"Exit codes: 0 done, 1 refused (the message says why), 2 wrong usage.";

bool parseCommandLine(const std::vector<std::wstring>& arguments, Options& options, std::wstring& error) {
    error.clear();
    struct Valued {
        const wchar_t* name;
        std::wstring* value;
    };
    const Valued valued[] = {{L"--describe", &options.describe}, {L"--launcher", &options.launcher},
                             {L"--output", &options.output},     {L"--settings", &options.settings},
                             {L"--embed", &options.embed},       {L"--icon", &options.icon},
                             {L"--manifest", &options.manifest}, {L"--jar", &options.jar},
                             {L"--sign-command", &options.signCommand}};
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::wstring& argument = arguments[i];
        if (argument == L"-h" || argument == L"--help") {
            options.help = true;
            return true;
        }
        const bool known = argument == L"--key-text" || argument == L"--version" ||
                           std::any_of(std::begin(valued), std::end(valued),
                                       [&](const Valued& v) { return argument == v.name; });
        if (!known) {
            error = L"unknown argument " + argument;
            return false;
        }
        if (i + 1 >= arguments.size() || arguments[i + 1].empty()) {
            error = argument + L" needs a value";
            return false;
        }
        const std::wstring& value = arguments[++i];
        if (argument == L"--key-text") {
            options.hasKeyText = true;
            options.keyText = value;
        } else if (argument == L"--version") {
            const size_t equals = value.find(L'=');
            if (equals == std::wstring::npos || !isVersionName(value.substr(0, equals))) {
                error = L"--version takes NAME=VALUE with one of the names listed below, not " + value;
                return false;
            }
            options.version.emplace_back(value.substr(0, equals), value.substr(equals + 1));
        } else {
            for (const Valued& v : valued) {
                if (argument != v.name) continue;
                if (!v.value->empty()) {
                    error = argument + L" is given twice";
                    return false;
                }
                *v.value = value;
            }
        }
    }
    if (!options.describe.empty()) {
        if (arguments.size() != 2) error = L"--describe takes one file and no other option";
    } else if (options.launcher.empty() || options.output.empty()) {
        error = L"--launcher and --output are needed";
    } else if (!options.embed.empty() && options.settings.empty()) {
        error = L"--embed needs --settings: the Upgrade Code of the settings file keys the layer";
    } else if (options.hasKeyText && options.embed.empty()) {
        error = L"--key-text goes with --embed";
    } else if (!options.signCommand.empty() && options.signCommand.find(L"{out}") == std::wstring::npos) {
        error = L"--sign-command must name the file to sign as {out}";
    }
    return error.empty();
}

}  // namespace jlpack
