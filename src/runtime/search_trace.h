// How the runtime search words its decisions in the diagnostic trace (support/trace.h).
// The texts are UTF-8: the trace writes UTF-8, and plain literals take half the room of
// wide ones in the executable.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "config/launch_settings.h"
#include "runtime/runtime_search.h"

namespace jl {

constexpr wchar_t kRuntimeTopic[] = L"runtime";

const char* jvmTypeName(JvmType type);
const char* kindName(RuntimeKind kind);
const char* providerName(RuntimeProvider provider);
// "x86", "x64", "ARM64" or the machine number.
std::string machineName(uint16_t machine);

// "1.8.0.151 at C:\jre\ (server JVM, preferred kind and provider)".
std::string describeCandidate(const RuntimeCandidate& candidate);

// The settings the search goes by, in one line: JVM type, version bounds, kinds,
// providers, preferred versions, paired launcher.
std::string describeSearchSettings(const LaunchSettings& settings);

// Why the settings leave a root unsearched.
std::string whyNotSearched(RuntimeKind kind, RuntimeProvider provider, const LaunchSettings& settings);

// Why a version is outside the bounds, or empty when it is inside.
std::string whyVersionNotAllowed(const VersionNumber& version, const LaunchSettings& settings);

// The candidates in their order, one trace line each.
void traceCandidateOrder(const std::vector<RuntimeCandidate>& ordered);

}  // namespace jl
