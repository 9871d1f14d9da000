// The runtimes that installers registered on this system, presented as the registry
// roots the search walks: on Windows the keys under HKEY_LOCAL_MACHINE in one view; on
// Linux the runtime folders below /usr/lib/jvm and /usr/java, described by their
// `release` files.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "os/os.h"
#include "runtime/runtime_search.h"

namespace jl {

std::unique_ptr<RuntimeRegistry> systemRuntimeRegistry(os::RegistryView view);

#ifdef _WIN32
// The same keys below `softwareKey` (for instance "Software\Tests\1\") instead of
// HKEY_LOCAL_MACHINE\Software, which the registry redirects per view in the same way.
std::unique_ptr<RuntimeRegistry> runtimeRegistryBelow(const std::wstring& softwareKey, os::RegistryView view);
#else
// One installed runtime as the Linux registry lists it.
struct InstalledRuntime {
    std::wstring name;           // JAVA_VERSION of its release file (maybe empty)
    std::wstring runtimeFolder;  // canonical, with a trailing "/"; a JDK 8's "jre/" folder
    RuntimeKind kind = RuntimeKind::Jre;  // JDK when bin/javac exists
    bool ibmFamily = false;      // its release file names IBM, OpenJ9 or Semeru
};
// Every folder directly below the given folders that has a release file, in name order
// per folder; folders reached through symbolic links count once.
std::vector<InstalledRuntime> scanInstalledRuntimes(const std::vector<std::wstring>& folders);
// A registry over the runtimes found below the given folders.
std::unique_ptr<RuntimeRegistry> runtimeRegistryOver(const std::vector<std::wstring>& folders);
#endif

}  // namespace jl
