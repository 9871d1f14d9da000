// The one application object: a launch performed as init, run and term.
#pragma once

#include <string>
#include <vector>

#include "config/launch_settings.h"
#include "core/single_instance.h"
#include "jvm/class_data_cache_store.h"
#include "jvm/java_host.h"
#include "jvm/jvm_options.h"
#include "runtime/runtime_search.h"
#include "splash/splash.h"

namespace jl {

class LauncherApp {
public:
    LauncherApp();
    ~LauncherApp();
    LauncherApp(const LauncherApp&) = delete;
    LauncherApp& operator=(const LauncherApp&) = delete;

    // The process-wide application.
    static LauncherApp* instance();

    // True when run shall be called.
    [[nodiscard]] bool init();
    // The process exit code.
    int run();
    // Always called, also after a failed init; releases only what was acquired.
    void term();

    LaunchSettings settings;
    std::vector<std::wstring> arguments;
    RuntimeSearchResult runtime;  // the JVM library and the paired-launcher decision
    JvmOptions jvm;
    JavaHost host;
    ClassDataCache classDataCache;
    Splash splash;
    SingleInstance singleInstance;

private:
    int runPairedLauncher();
};

// The application arguments of a raw command line: trimmed, split, program name removed.
std::vector<std::wstring> argumentsFromCommandLine(const std::wstring& commandLine);

// The folder "Override WorkingDir" makes current for an executable path: its folder, a
// drive's root with its backslash ("E:\", since "E:" alone selects that drive's last
// folder), or nothing (empty) when the path has no usable separator.
std::wstring workingFolderOf(const std::wstring& executablePath);

// Whether the splash is suppressed: "-nosplash" or "/nosplash" as a whole argument,
// case-sensitive, anywhere among the arguments.
bool hasNoSplashSwitch(const std::vector<std::wstring>& arguments);

// The whole launch: construct, init, run, term; returns the process exit code.
int runLauncher();

}  // namespace jl
