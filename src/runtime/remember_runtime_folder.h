// Writing back a runtime folder chosen in the missing-runtime dialog as "JRE Path", so
// that the next start finds the runtime without asking.
#pragma once

#include <string>

#include "config/launch_settings.h"

namespace jl {

// For an application: the per-user settings files of this launcher and of the paired
// launcher ("Pair Product"), their folders created. For a service: the settings files
// beside this launcher and the paired one. Failed writes are not reported.
void rememberRuntimeFolder(const LaunchSettings& settings, const std::wstring& folder);

// The same for a given executable path instead of this process's own.
void rememberRuntimeFolderFor(const LaunchSettings& settings, const std::wstring& executablePath,
                              const std::wstring& folder);

}  // namespace jl
