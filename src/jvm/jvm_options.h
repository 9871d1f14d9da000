// What the virtual machine is started with: the process environment it finds, its
// option strings and the stack size of the thread that creates it, and the extra
// program arguments of the "Cmd" setting.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "config/launch_settings.h"
#include "os/os.h"

namespace jl {

struct JvmOptions {
    // One per JavaVMOption, in order; thread ANSI code page on Windows, UTF-8 on Linux.
    std::vector<std::string> options;
    uint32_t javaThreadStackSize = 0;  // bytes; 0: not set
    // A path in an option exists but cannot be passed in the code page (reported): the
    // virtual machine would not find it, so none is started.
    bool unpassablePath = false;
};

// Publishes the runtime (KV_JVM_PATH, KV_JVM_HOME), adds the library path option when
// "Library Path" is set, and puts "System Path" in front of Path and the runtime's own
// folder behind it.
void prepareJvmEnvironment(const LaunchSettings& settings, const std::wstring& jvmLibraryPath, JvmOptions& jvm);

// Reads the option keys through the settings store and appends the class path option,
// the virtual machine parameters (the stack size taken from "-Xss") and the "Cmd"
// arguments. False after message 209 when there is no class path (then nothing is
// added and no stream is redirected), or when the store cannot be opened.
[[nodiscard]] bool buildJvmOptions(LaunchSettings& settings, const std::wstring& jvmLibraryPath, JvmOptions& jvm,
                                   std::vector<std::wstring>& arguments);

// buildJvmOptions after the store has been read into `settings`, for the executable at
// `executablePath` on a machine with `memory`.
[[nodiscard]] bool buildJvmOptionsFrom(LaunchSettings& settings, const std::wstring& executablePath,
                                       const os::MemoryStatus& memory, JvmOptions& jvm,
                                       std::vector<std::wstring>& arguments);

// The library path before environment references are expanded: "Library Path" (with a
// list separator added when it has none at its end), the executable's folder, ".",
// the current Path and the runtime's library folder.
std::wstring composeLibraryPath(const std::wstring& libraryPath, const std::wstring& executableFolder,
                                const std::wstring& jvmLibraryPath);

// The new Path before environment references are expanded: "System Path", the current
// Path and the runtime's folder of executables and libraries.
std::wstring composeSearchPath(const std::wstring& systemPath, const std::wstring& jvmLibraryPath);

}  // namespace jl
