#include "runtime/vendor_registrations.h"

#include <utility>

#include "os/os.h"
#include "runtime/release_file.h"
#include "runtime/search_trace.h"
#include "support/text.h"
#include "support/trace.h"

namespace jl {

namespace {

const wchar_t* const kTopic = kRuntimeTopic;

bool endsWithIgnoringCase(const std::wstring& text, const std::wstring& suffix) {
    return text.size() >= suffix.size() && equalsIgnoreCase(text.substr(text.size() - suffix.size()), suffix);
}

bool startsWithIgnoringCase(const std::wstring& text, const std::wstring& prefix) {
    return text.size() >= prefix.size() && equalsIgnoreCase(text.substr(0, prefix.size()), prefix);
}

std::wstring withSeparator(std::wstring folder) {
    if (folder.empty() || folder.back() != os::kPathSeparator) folder += os::kPathSeparator;
    return folder;
}

// Whether some value of the registration is of a provider the settings accept.
bool isAnyProviderAccepted(const VendorRegistration& registration, const VmProviderFlags& flags,
                           RuntimeProvider& refused) {
    for (size_t i = 0; i < registration.valueCount; ++i) {
        if (isAccepted(registration.values[i].provider, flags)) return true;
        refused = registration.values[i].provider;
    }
    return false;
}

std::wstring valueLocation(const VendorValue& value) {
    std::wstring location = value.below;
    if (!location.empty()) location += L'\\';
    return location + value.valueName;
}

// One runtime folder named by an entry: checked and, when it qualifies, appended.
void considerFolder(const std::wstring& entryName, RuntimeKind kind, const VendorValue& value,
                    const std::wstring& registeredFolder, const LaunchSettings& settings, uint16_t ownMachine,
                    std::vector<RuntimeCandidate>& candidates) {
    const bool tracing = traceEnabled();
    const std::wstring what =
        tracing ? L"  entry " + traceQuoted(entryName) + L" (" + valueLocation(value) + L")" : std::wstring();

    // The release file knows the version better than names like "zulu-17".
    ReleaseInfo release;
    const bool fromRelease = readReleaseFile(registeredFolder, release) && !release.javaVersion.empty();
    const std::wstring versionText = fromRelease ? release.javaVersion : entryName;
    RuntimeCandidate candidate;
    candidate.version = parseVersion(versionText, 0);
    if (tracing) {
        trace(kTopic, {what, ": ", kindName(kind), " of ", providerName(value.provider), " in ", registeredFolder,
                       ", version ", formatVersion(candidate.version),
                       fromRelease ? " (JAVA_VERSION of its release file)" : " (from the entry's name)"});
    }
    if (!isVersionAllowed(candidate.version, settings)) {
        if (tracing) trace(kTopic, {what, ": ", whyVersionNotAllowed(candidate.version, settings), ", dropped"});
        return;
    }

    candidate.runtimeFolder = usableRuntimeFolder(registeredFolder);
    // The configured type as it is: the client-first probe of the older JavaSoft JRE keys
    // orders those keys among themselves and has no counterpart here.
    const std::wstring library = findJvmLibrary(candidate.runtimeFolder, settings.jvmType, candidate.isServer);
    if (library.empty()) {
        // Keys outlive uninstalls.
        if (tracing) {
            trace(kTopic, {what, ": no JVM library for JVM Type ", jvmTypeName(settings.jvmType), ", dropped"});
        }
        return;
    }
    // Per-user keys are the same in both views, so a 32-bit launcher meets the 64-bit
    // runtimes there too; without a paired launcher to hand them to, such a runtime
    // could only fail to load, while another candidate may still run.
    if (settings.pairProduct.empty() && isImageForOtherMachine(library, ownMachine)) {
        if (tracing) {
            trace(kTopic, {what, ": the library is for another machine than ", machineName(ownMachine),
                           " and no Pair Product is set, dropped"});
        }
        return;
    }
    candidate.provider = value.provider;
    candidate.isPreferred = isKindWanted(kind, settings.jvmSource) && isFavoured(value.provider, settings.vmProvider);
    if (tracing) trace(kTopic, {what, ": kept, ", describeCandidate(candidate)});
    candidates.push_back(std::move(candidate));
}

}  // namespace

RuntimeKind vendorEntryKind(const VendorRegistration& registration, const std::wstring& entryName) {
    switch (registration.kindRule) {
        case VendorKindRule::JreSuffix:
            return endsWithIgnoringCase(entryName, L"-jre") ? RuntimeKind::Jre : RuntimeKind::Jdk;
        case VendorKindRule::JrePrefix:
            return startsWithIgnoringCase(entryName, L"jre") ? RuntimeKind::Jre : RuntimeKind::Jdk;
        case VendorKindRule::Fixed: break;
    }
    return registration.kind;
}

void searchVendorRegistration(RuntimeRegistry& registry, RegistryHive hive, const VendorRegistration& registration,
                              const LaunchSettings& settings, uint16_t ownMachine,
                              std::vector<RuntimeCandidate>& candidates) {
    const bool tracing = traceEnabled();
    const std::wstring key = tracing ? registry.describeKey(hive, registration.path) : std::wstring();
    if (registration.kindRule == VendorKindRule::Fixed && !isKindSearched(registration.kind, settings.jvmSource)) {
        if (tracing) {
            trace(kTopic, {key, ": not searched, JVM Source leaves out the ", kindName(registration.kind)});
        }
        return;
    }
    RuntimeProvider refused = RuntimeProvider::JavaSoft;
    if (!isAnyProviderAccepted(registration, settings.vmProvider, refused)) {
        if (tracing) trace(kTopic, {key, ": not searched, VM Provider leaves out ", providerName(refused)});
        return;
    }
    if (!registry.openKey(hive, registration.path)) {
        if (tracing) trace(kTopic, {key, ": absent"});
        return;
    }
    if (tracing) trace(kTopic, {key, ":"});

    std::wstring name;
    for (uint32_t index = 0;; ++index) {
        const SubkeyStatus status = registry.entryName(index, name);
        if (status == SubkeyStatus::End) break;
        if (status == SubkeyStatus::Unreadable) {
            if (tracing) trace(kTopic, {"  entry ", decimalText(index), ": name too long to read, passed over"});
            continue;
        }
        const RuntimeKind kind = vendorEntryKind(registration, name);
        if (!isKindSearched(kind, settings.jvmSource)) {
            if (tracing) {
                trace(kTopic, {"  entry ", traceQuoted(name), ": a ", kindName(kind),
                               ", not searched, JVM Source leaves it out"});
            }
            continue;
        }
        // One runtime may be listed by several installer keys of an entry; it is one
        // candidate.
        std::vector<std::wstring> folders;
        for (size_t i = 0; i < registration.valueCount; ++i) {
            const VendorValue& value = registration.values[i];
            if (!isAccepted(value.provider, settings.vmProvider)) {
                if (tracing) {
                    trace(kTopic, {"  entry ", traceQuoted(name), ": ", valueLocation(value),
                                   " not read, VM Provider leaves out ", providerName(value.provider)});
                }
                continue;
            }
            std::wstring folder;
            if (!registry.entryValue(name, value.below, value.valueName, folder) || folder.empty()) {
                if (tracing) {
                    trace(kTopic, {"  entry ", traceQuoted(name), ": no ", valueLocation(value)});
                }
                continue;
            }
            folder = withSeparator(folder);
            bool seen = false;
            for (const std::wstring& earlier : folders) seen = seen || equalsIgnoreCase(earlier, folder);
            if (seen) continue;
            folders.push_back(folder);
            considerFolder(name, kind, value, folder, settings, ownMachine, candidates);
        }
    }
    registry.closeRoot();
}

bool searchVendorRegistrations(RuntimeRegistry& registry, const LaunchSettings& settings, uint16_t ownMachine,
                               RuntimeCandidate& selected) {
    if (!registry.hasVendorKeys()) return false;
    if (traceEnabled()) trace(kTopic, {"no candidate under the older roots; the vendors' keys are searched"});
    std::vector<RuntimeCandidate> candidates;
    for (const RegistryHive hive : {RegistryHive::LocalMachine, RegistryHive::CurrentUser}) {
        for (const VendorRegistration& registration : kVendorRegistrations) {
            searchVendorRegistration(registry, hive, registration, settings, ownMachine, candidates);
        }
    }
    const RuntimeCandidate* chosen = selectCandidate(candidates, settings);
    if (chosen == nullptr) return false;
    selected = *chosen;
    return true;
}

}  // namespace jl
