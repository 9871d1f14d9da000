// The keys under which the runtimes of the last years register on Windows: the JavaSoft
// keys of Java 9 and later and the keys of the OpenJDK builds of several vendors. Most of
// them write nothing under the older roots of kRegistryRoots, so the search looks here
// when those roots give no candidate in a registry view: under HKEY_LOCAL_MACHINE in that
// view and under HKEY_CURRENT_USER (per-user installs).
//
// Each entry below such a key is one installed runtime, named by its version or by the
// vendor's own scheme ("zulu-17", "jre-8"); a value of the entry, or of a key below it,
// names the runtime's folder. The folder's `release` file gives the version when it has
// one. The folder is the runtime folder itself (these layouts have no "jre" folder, but
// a JDK 8's is used when it holds the runtime).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "config/launch_settings.h"
#include "runtime/runtime_search.h"

namespace jl {

enum class VendorKindRule {
    Fixed,      // every entry is of the registration's kind
    JreSuffix,  // a JRE when the entry's name ends with "-jre" ("zulu-8-jre"), else a JDK
    JrePrefix,  // a JRE when the entry's name starts with "jre" ("jre-8"), else a JDK
};

struct VendorValue {
    const wchar_t* below;      // key below the entry that holds the value; empty: the entry
    const wchar_t* valueName;  // names the runtime's folder
    RuntimeProvider provider;  // the family whose accept and favor flags apply
};

struct VendorRegistration {
    const wchar_t* path;  // below the hive, ending with a backslash
    VendorKindRule kindRule;
    RuntimeKind kind;  // for VendorKindRule::Fixed
    const VendorValue* values;
    size_t valueCount;
};

inline constexpr VendorValue kJavaHomeValue[] = {{L"", L"JavaHome", RuntimeProvider::JavaSoft}};
inline constexpr VendorValue kHotspotValues[] = {
    {L"hotspot\\MSI", L"Path", RuntimeProvider::JavaSoft},
    {L"hotspot\\EXE", L"Path", RuntimeProvider::JavaSoft},
};
inline constexpr VendorValue kHotspotOrOpenJ9Values[] = {
    {L"hotspot\\MSI", L"Path", RuntimeProvider::JavaSoft},
    {L"hotspot\\EXE", L"Path", RuntimeProvider::JavaSoft},
    {L"openj9\\MSI", L"Path", RuntimeProvider::Ibm},
};
inline constexpr VendorValue kHotspotMsiValue[] = {{L"hotspot\\MSI", L"Path", RuntimeProvider::JavaSoft}};
inline constexpr VendorValue kOpenJ9MsiValue[] = {{L"openj9\\MSI", L"Path", RuntimeProvider::Ibm}};
inline constexpr VendorValue kInstallationPathValue[] = {{L"", L"InstallationPath", RuntimeProvider::JavaSoft}};

template <size_t N>
constexpr VendorRegistration vendorRegistration(const wchar_t* path, VendorKindRule rule, RuntimeKind kind,
                                                const VendorValue (&values)[N]) {
    return {path, rule, kind, values, N};
}

// In the order in which they are searched.
inline constexpr VendorRegistration kVendorRegistrations[] = {
    vendorRegistration(L"Software\\JavaSoft\\JDK\\", VendorKindRule::Fixed, RuntimeKind::Jdk, kJavaHomeValue),
    vendorRegistration(L"Software\\JavaSoft\\JRE\\", VendorKindRule::Fixed, RuntimeKind::Jre, kJavaHomeValue),
    vendorRegistration(L"Software\\Eclipse Adoptium\\JDK\\", VendorKindRule::Fixed, RuntimeKind::Jdk, kHotspotValues),
    vendorRegistration(L"Software\\Eclipse Adoptium\\JRE\\", VendorKindRule::Fixed, RuntimeKind::Jre, kHotspotValues),
    vendorRegistration(L"Software\\Eclipse Foundation\\JDK\\", VendorKindRule::Fixed, RuntimeKind::Jdk, kHotspotValues),
    vendorRegistration(L"Software\\Eclipse Foundation\\JRE\\", VendorKindRule::Fixed, RuntimeKind::Jre, kHotspotValues),
    vendorRegistration(L"Software\\AdoptOpenJDK\\JDK\\", VendorKindRule::Fixed, RuntimeKind::Jdk,
                       kHotspotOrOpenJ9Values),
    vendorRegistration(L"Software\\AdoptOpenJDK\\JRE\\", VendorKindRule::Fixed, RuntimeKind::Jre,
                       kHotspotOrOpenJ9Values),
    vendorRegistration(L"Software\\Microsoft\\JDK\\", VendorKindRule::Fixed, RuntimeKind::Jdk, kHotspotMsiValue),
    vendorRegistration(L"Software\\Semeru\\JDK\\", VendorKindRule::Fixed, RuntimeKind::Jdk, kOpenJ9MsiValue),
    vendorRegistration(L"Software\\Semeru\\JRE\\", VendorKindRule::Fixed, RuntimeKind::Jre, kOpenJ9MsiValue),
    vendorRegistration(L"Software\\Azul Systems\\Zulu\\", VendorKindRule::JreSuffix, RuntimeKind::Jdk,
                       kInstallationPathValue),
    vendorRegistration(L"Software\\Azul Systems\\Zulu 32-bit\\", VendorKindRule::JreSuffix, RuntimeKind::Jdk,
                       kInstallationPathValue),
    vendorRegistration(L"Software\\BellSoft\\Liberica\\", VendorKindRule::JrePrefix, RuntimeKind::Jdk,
                       kInstallationPathValue),
    vendorRegistration(L"Software\\SapMachine\\JDK\\", VendorKindRule::Fixed, RuntimeKind::Jdk, kJavaHomeValue),
};

// The kind of the runtime an entry of `registration` names.
RuntimeKind vendorEntryKind(const VendorRegistration& registration, const std::wstring& entryName);

// Appends the candidates of one registration in one hive, in enumeration order. Besides
// the checks of the older roots (version bounds, kind and provider, a JVM library of
// the configured type), a runtime whose library is for another machine than
// `ownMachine` is taken only when a paired launcher can host it.
void searchVendorRegistration(RuntimeRegistry& registry, RegistryHive hive, const VendorRegistration& registration,
                              const LaunchSettings& settings, uint16_t ownMachine,
                              std::vector<RuntimeCandidate>& candidates);

// Every registration under HKEY_LOCAL_MACHINE, then under HKEY_CURRENT_USER, then
// selectCandidate over all of them. False when nothing qualifies, and at once for a
// registry without vendor keys.
[[nodiscard]] bool searchVendorRegistrations(RuntimeRegistry& registry, const LaunchSettings& settings,
                                             uint16_t ownMachine, RuntimeCandidate& selected);

}  // namespace jl
