// How the runtime search words its decisions in the diagnostic trace (support/trace.h).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "config/launch_settings.h"
#include "runtime/runtime_search.h"

namespace jl {

constexpr wchar_t kRuntimeTopic[] = L"runtime";

const wchar_t* jvmTypeName(JvmType type);
const wchar_t* kindName(RuntimeKind kind);
const wchar_t* providerName(RuntimeProvider provider);
// "x86", "x64", "ARM64" or the machine number.
std::wstring machineName(uint16_t machine);

// "1.8.0.151 at C:\jre\ (server JVM, preferred kind and provider)".
std::wstring describeCandidate(const RuntimeCandidate& candidate);

// The settings the search goes by, in one line: JVM type, version bounds, kinds,
// providers, preferred versions, paired launcher.
std::wstring describeSearchSettings(const LaunchSettings& settings);

// Why the settings leave a root unsearched.
std::wstring whyNotSearched(RuntimeKind kind, RuntimeProvider provider, const LaunchSettings& settings);

// Why a version is outside the bounds, or empty when it is inside.
std::wstring whyVersionNotAllowed(const VersionNumber& version, const LaunchSettings& settings);

// The candidates in their order, one trace line each.
void traceCandidateOrder(const std::vector<RuntimeCandidate>& ordered);

}  // namespace jl
