// The `release` file at the top of a Java runtime: KEY="value" lines naming its version
// and vendor. Only what the runtime search asks of it is kept.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace jl {

struct ReleaseInfo {
    std::wstring javaVersion;         // JAVA_VERSION, e.g. "17.0.15" or "1.8.0_151"
    std::wstring implementor;         // IMPLEMENTOR
    std::wstring implementorVersion;  // IMPLEMENTOR_VERSION
    std::wstring jvmVariant;          // JVM_VARIANT
};

// The file's text (UTF-8, LF or CR LF lines). Values lose one pair of surrounding double
// quotes; keys not listed above and lines without "=" are passed over.
ReleaseInfo parseReleaseFile(const std::vector<uint8_t>& bytes);

// True when the implementor, its version or the JVM variant names IBM, OpenJ9 or Semeru:
// runtimes of that family keep their Java thread after main returns.
bool namesIbmFamily(const ReleaseInfo& info);

// Reads `folder` + "release". False when the file is missing or unreadable.
[[nodiscard]] bool readReleaseFile(const std::wstring& folder, ReleaseInfo& info);

// Whether the runtime in `runtimeFolder` is of the IBM family by its release file. A
// runtime folder named "jre" inside a JDK has no release file of its own; the JDK's
// is read instead.
bool runtimeFolderIsIbmFamily(const std::wstring& runtimeFolder);

}  // namespace jl
