// The one application object: a launch performed as init, run and term.
#pragma once

#include <string>
#include <vector>

#include "config/launch_settings.h"

namespace jl {

class LauncherApp {
public:
    LauncherApp();
    ~LauncherApp();
    LauncherApp(const LauncherApp&) = delete;
    LauncherApp& operator=(const LauncherApp&) = delete;

    // The process-wide application, for the virtual machine's hooks.
    static LauncherApp* instance();

    // True when run shall be called.
    [[nodiscard]] bool init();
    // The process exit code.
    int run();
    // Always called, also after a failed init; releases only what was acquired.
    void term();

    LaunchSettings settings;
    std::vector<std::wstring> arguments;
    std::wstring jvmLibraryPath;
    bool startPairedLauncher = false;
};

// The application arguments of a raw command line: trimmed, split, program name removed.
std::vector<std::wstring> argumentsFromCommandLine(const std::wstring& commandLine);

// The whole launch: construct, init, run, term; returns the process exit code.
int runLauncher();

}  // namespace jl
