#include "runtime/runtime_search.h"

#include <memory>
#include <utility>

#include "os/os.h"
#include "runtime/missing_runtime_dialog.h"
#include "runtime/registered_runtimes.h"
#include "runtime/release_file.h"
#include "runtime/remember_runtime_folder.h"
#include "runtime/search_trace.h"
#include "runtime/vendor_registrations.h"
#include "support/files.h"
#include "support/messages.h"
#include "support/paths.h"
#include "support/text.h"
#include "support/trace.h"


namespace jl {

namespace {

constexpr wchar_t kSeparator = os::kPathSeparator;

struct LibraryCandidate {
    const wchar_t* path;
    bool isServer;
};

#ifdef _WIN32
constexpr LibraryCandidate kServerLibrary = {L"bin\\server\\jvm.dll", true};
constexpr LibraryCandidate kDefaultLibraries[] = {
    {L"bin\\client\\jvm.dll", false},  {L"bin\\classic\\jvm.dll", false}, {L"bin\\hotspot\\jvm.dll", false},
    {L"bin\\server\\jvm.dll", true},   {L"bin\\jrockit\\jvm.dll", false},
};
constexpr LibraryCandidate kServerLibraries[] = {kServerLibrary};
constexpr wchar_t kRuntimeMarker[] = L"bin\\java.dll";
constexpr wchar_t kJreFolder[] = L"jre\\";
#else
// Java 9 and later keep the JVM in lib/<type>; Java 8 in lib/<architecture>/<type>.
#if defined(__x86_64__)
#define JL_ARCH_FOLDER L"amd64"
#elif defined(__aarch64__)
#define JL_ARCH_FOLDER L"aarch64"
#elif defined(__i386__)
#define JL_ARCH_FOLDER L"i386"
#else
#define JL_ARCH_FOLDER L"unknown"
#endif
constexpr LibraryCandidate kDefaultLibraries[] = {
    {L"lib/client/libjvm.so", false},
    {L"lib/" JL_ARCH_FOLDER L"/client/libjvm.so", false},
    {L"lib/server/libjvm.so", true},
    {L"lib/" JL_ARCH_FOLDER L"/server/libjvm.so", true},
};
constexpr LibraryCandidate kServerLibraries[] = {
    {L"lib/server/libjvm.so", true},
    {L"lib/" JL_ARCH_FOLDER L"/server/libjvm.so", true},
};
constexpr wchar_t kRuntimeMarker[] = L"lib/libjava.so";
constexpr wchar_t kJreFolder[] = L"jre/";
#endif

const wchar_t* const kTopic = kRuntimeTopic;

// A library is a file: a folder that carries the name would only fail to load later,
// while a later candidate may be a real library.
bool libraryExists(const std::wstring& path) {
    os::FindResult match;
    const uint32_t status = os::findFirstFile(path, match);
    const bool exists = status == os::kErrorSuccess && !match.isDirectory;
    if (traceEnabled()) {
        const char* outcome = exists                        ? "found"
                              : status == os::kErrorSuccess ? "a folder, not a library"
                                                            : "missing";
        trace(kTopic, {"probe ", path, ": ", outcome});
    }
    return exists;
}

template <size_t N>
bool findFirstLibrary(const std::wstring& folder, const LibraryCandidate (&candidates)[N], std::wstring& library,
                      bool& isServer) {
    for (const LibraryCandidate& candidate : candidates) {
        const std::wstring path = folder + candidate.path;
        if (libraryExists(path)) {
            library = path;
            isServer = candidate.isServer;
            return true;
        }
    }
    return false;
}

std::wstring withSeparator(std::wstring folder) {
    if (folder.empty() || folder.back() != kSeparator) folder += kSeparator;
    return folder;
}

bool markerExists(const std::wstring& folder) {
    os::FindResult match;
    const bool exists = os::findFirstFile(folder + kRuntimeMarker, match) == os::kErrorSuccess;
    if (traceEnabled()) trace(kTopic, {"probe ", folder, kRuntimeMarker, exists ? ": found" : ": missing"});
    return exists;
}

// A folder that the file system would look up from the current folder. Rooted forms
// ("\dir", "C:dir", "/dir") are not: they do not depend on the folder a document was
// opened from.
bool dependsOnCurrentFolder(const std::wstring& path) {
    if (path.empty() || isAbsolutePath(path)) return false;
#ifdef _WIN32
    return path[0] != L'\\' && path[0] != L'/';
#else
    return path[0] != L'/';
#endif
}

bool isJavaSoftJreRoot(const RegistryRoot& root) {
    return root.kind == RuntimeKind::Jre && root.provider == RuntimeProvider::JavaSoft;
}

// Constant-initialised, so no guarded function-local static (and its runtime support)
// is needed.
MissingRuntimePrompt activePrompt{&showMissingRuntimeDialog, &rememberRuntimeFolder};

MissingRuntimePrompt defaultPrompt() { return MissingRuntimePrompt{&showMissingRuntimeDialog, &rememberRuntimeFolder}; }

MissingRuntimePrompt& currentPrompt() { return activePrompt; }

// Whether the paired launcher may be started at all: never when it is this very
// launcher, never from a launcher that was itself started as a paired launcher.
bool mayStartPairedLauncher(const LaunchSettings& settings, const RuntimeSearchEnvironment& environment) {
    if (settings.pairProduct.empty()) return false;
    if (environment.startedAsPairedLauncher) {
        if (traceEnabled()) {
            trace(kTopic, {"paired launcher: not started, this launcher was started as one (", kPairedLaunchVariable,
                           " was set); the library is loaded here"});
        }
        return false;
    }
    if (!environment.executablePath.empty() && os::isSameFile(settings.pairProduct, environment.executablePath)) {
        if (traceEnabled()) {
            trace(kTopic, {"paired launcher: not started, Pair Product ", settings.pairProduct,
                           " is this launcher itself; the library is loaded here"});
        }
        return false;
    }
    return true;
}

// How startPairedLauncher is decided: by the library's machine (`inWideView` false), or
// for every runtime of the 64-bit view that the older roots list (`inWideView` true).
bool decidePairedLauncher(const LaunchSettings& settings, const RuntimeSearchEnvironment& environment,
                          const std::wstring& library, bool inWideView) {
    if (settings.pairProduct.empty()) {
        if (traceEnabled()) trace(kTopic, {"paired launcher: none configured; the library is loaded here"});
        return false;
    }
    const bool otherMachine = inWideView || checkPairedLauncher(settings, library, environment.ownMachine);
    if (!otherMachine) {
        if (traceEnabled()) {
            trace(kTopic, {"paired launcher: not needed, the library is no image for another machine than ",
                           machineName(environment.ownMachine)});
        }
        return false;
    }
    if (!mayStartPairedLauncher(settings, environment)) return false;
    if (traceEnabled()) {
        trace(kTopic, {"paired launcher: the launch goes to ", settings.pairProduct,
                       inWideView ? " (runtime of the 64-bit registry view)"
                                  : " (the library is for another machine than this launcher's)"});
    }
    return true;
}

// The outcome of a step that found a library.
bool succeed(const LaunchSettings& settings, const RuntimeSearchEnvironment& environment, const std::wstring& library,
             bool fromIbmRoot, RuntimeSearchResult& result, bool inWideView = false) {
    if (traceEnabled()) trace(kTopic, {"chosen library: ", library});
    result.jvmLibraryPath = library;
    result.startPairedLauncher = decidePairedLauncher(settings, environment, library, inWideView);
    result.ibmFamily = fromIbmRoot || runtimeFolderIsIbmFamily(runtimeFolderOfLibrary(library));
    return true;
}

// Which registry search of a view selected the candidate.
enum class RegistryTier { None, Roots, Vendors };

RegistryTier searchView(RuntimeRegistry& registry, const LaunchSettings& settings,
                        const RuntimeSearchEnvironment& environment, const char* viewName,
                        RuntimeCandidate& selected) {
    if (traceEnabled()) trace(kTopic, {"registered runtimes, ", viewName});
    if (searchRegistry(registry, settings, selected)) return RegistryTier::Roots;
    if (searchVendorRegistrations(registry, settings, environment.ownMachine, selected)) return RegistryTier::Vendors;
    return RegistryTier::None;
}

}  // namespace

// --- JVM libraries -----------------------------------------------------------------

std::wstring findJvmLibrary(const std::wstring& folder, JvmType type, bool& isServer) {
    std::wstring library;
    isServer = false;
    switch (type) {
        case JvmType::Server:
            findFirstLibrary(folder, kServerLibraries, library, isServer);
            break;
        case JvmType::FavorServer:
            if (!findFirstLibrary(folder, kServerLibraries, library, isServer)) {
                findFirstLibrary(folder, kDefaultLibraries, library, isServer);
            }
            break;
        case JvmType::Default:
            findFirstLibrary(folder, kDefaultLibraries, library, isServer);
            break;
    }
    return library;
}

std::wstring findJvmLibrary(const std::wstring& folder, JvmType type) {
    bool isServer = false;
    return findJvmLibrary(folder, type, isServer);
}

std::wstring runtimeFolderOfLibrary(const std::wstring& jvmLibraryPath) {
    std::wstring folder = stripPathComponents(jvmLibraryPath, 3);
#ifndef _WIN32
    // <runtime>/lib/<architecture>/<type>/libjvm.so
    const std::wstring lib = std::wstring(1, kSeparator) + L"lib";
    if (folder.size() >= lib.size() && folder.compare(folder.size() - lib.size(), lib.size(), lib) == 0) {
        folder = stripPathComponents(folder, 1);
    }
#endif
    return folder;
}

std::wstring bundledRuntimeFolder(const std::wstring& executableFolder) {
    if (markerExists(executableFolder)) return executableFolder;
    const std::wstring jre = executableFolder + kJreFolder;
    if (markerExists(jre)) return jre;
    return executableFolder;
}

std::wstring usableRuntimeFolder(const std::wstring& folder) {
    const std::wstring jre = folder + kJreFolder;
    return markerExists(jre) ? jre : folder;
}

bool findBundledRuntime(std::wstring& folder) {
    std::wstring executableFolder;
    if (!getModuleFolder(executableFolder)) return false;
    folder = bundledRuntimeFolder(executableFolder);
    return true;
}

// --- registered runtimes -------------------------------------------------------------

bool isFavoured(RuntimeProvider provider, const VmProviderFlags& flags) {
    switch (provider) {
        case RuntimeProvider::JavaSoft: return flags.favorSun;
        case RuntimeProvider::JRockit: return flags.favorJRockit;
        case RuntimeProvider::Ibm: return flags.favorIbm;
    }
    return false;
}

bool isAccepted(RuntimeProvider provider, const VmProviderFlags& flags) {
    switch (provider) {
        case RuntimeProvider::JavaSoft: return flags.acceptSun || flags.favorSun;
        case RuntimeProvider::JRockit: return flags.acceptJRockit || flags.favorJRockit;
        case RuntimeProvider::Ibm: return flags.acceptIbm || flags.favorIbm;
    }
    return false;
}

bool isKindWanted(RuntimeKind kind, const JvmSourceFlags& flags) {
    return kind == RuntimeKind::Jdk ? flags.wantJdk : flags.wantJre;
}

bool isKindSearched(RuntimeKind kind, const JvmSourceFlags& flags) {
    return flags.searchBothKinds || isKindWanted(kind, flags);
}

bool isRootSearched(const RegistryRoot& root, const LaunchSettings& settings) {
    return isKindSearched(root.kind, settings.jvmSource) && isAccepted(root.provider, settings.vmProvider);
}

bool isVersionAllowed(const VersionNumber& version, const LaunchSettings& settings) {
    // An absent maximum reads as 0.0.0.0; as a bound it would exclude every runtime
    // while the message to the user calls it "latest version".
    if (!isUnboundedVersion(settings.maximumVersion) && compareVersions(version, settings.maximumVersion) > 0) {
        return false;
    }
    if (!isUnboundedVersion(settings.minimumVersion) && compareVersions(version, settings.minimumVersion) < 0) {
        return false;
    }
    return true;
}

void searchRegistryRoot(RuntimeRegistry& registry, const RegistryRoot& root, const LaunchSettings& settings,
                        std::vector<RuntimeCandidate>& candidates) {
    const bool tracing = traceEnabled();
    if (!registry.openRoot(root)) {
        if (tracing) trace(kTopic, {registry.describeRoot(root), ": absent"});
        return;
    }
    if (tracing) trace(kTopic, {registry.describeRoot(root), ":"});
    // The JavaSoft JRE keys are probed client first even for "favor_server", so that a
    // JDK's server JVM wins over a JRE's under that setting.
    const JvmType probeType =
        isJavaSoftJreRoot(root) && settings.jvmType == JvmType::FavorServer ? JvmType::Default : settings.jvmType;
    const bool appendJre = root.kind == RuntimeKind::Jdk && registry.jdkHomeHoldsJre();
    const bool preferred = isKindWanted(root.kind, settings.jvmSource) && isFavoured(root.provider, settings.vmProvider);

    std::wstring name;
    for (uint32_t index = 0;; ++index) {
        const SubkeyStatus status = registry.entryName(index, name);
        if (status == SubkeyStatus::End) break;
        if (status == SubkeyStatus::Unreadable) {
            if (tracing) trace(kTopic, {"  entry ", decimalText(index), ": name too long to read, passed over"});
            continue;
        }

        RuntimeCandidate candidate;
        candidate.version = parseVersion(name, 0);
        if (!isVersionAllowed(candidate.version, settings)) {
            if (tracing) {
                trace(kTopic, {"  entry ", traceQuoted(name), ": version ", formatVersion(candidate.version), " ",
                               whyVersionNotAllowed(candidate.version, settings), ", dropped"});
            }
            continue;
        }

        std::wstring home;
        if (!registry.javaHome(index, name, home) || home.empty()) {
            if (tracing) trace(kTopic, {"  entry ", traceQuoted(name), ": no JavaHome, dropped"});
            continue;
        }
        candidate.runtimeFolder = withSeparator(home);
        if (appendJre) candidate.runtimeFolder += kJreFolder;
        if (tracing) {
            trace(kTopic, {"  entry ", traceQuoted(name), ": version ", formatVersion(candidate.version),
                           ", runtime folder ", candidate.runtimeFolder, ", probed as ", jvmTypeName(probeType)});
        }

        if (findJvmLibrary(candidate.runtimeFolder, probeType, candidate.isServer).empty()) {
            if (tracing) trace(kTopic, {"  entry ", traceQuoted(name), ": no JVM library, dropped"});
            continue;
        }
        candidate.isPreferred = preferred;
        candidate.provider = root.provider;
        if (tracing) trace(kTopic, {"  entry ", traceQuoted(name), ": kept, ", describeCandidate(candidate)});
        candidates.push_back(std::move(candidate));
    }
    registry.closeRoot();
}

bool goesBefore(const RuntimeCandidate& a, const RuntimeCandidate& b, const LaunchSettings& settings) {
    if (settings.jvmSource.searchBothKinds && a.isPreferred != b.isPreferred) return a.isPreferred;
    if (settings.jvmType == JvmType::FavorServer && a.isServer != b.isServer) return a.isServer;
    return compareVersions(a.version, b.version) > 0;
}

void orderCandidates(std::vector<RuntimeCandidate>& candidates, const LaunchSettings& settings) {
    const size_t count = candidates.size();
    for (size_t pass = 0; pass < count; ++pass) {
        bool exchanged = false;
        for (size_t i = 0; i + 1 < count - pass; ++i) {
            if (goesBefore(candidates[i + 1], candidates[i], settings)) {
                std::swap(candidates[i], candidates[i + 1]);
                exchanged = true;
            }
        }
        // A pass without an exchange leaves every later pass without one too.
        if (!exchanged) break;
    }
}

const RuntimeCandidate* selectCandidate(std::vector<RuntimeCandidate>& candidates, const LaunchSettings& settings) {
    const bool tracing = traceEnabled();
    if (candidates.empty()) {
        if (tracing) trace(kTopic, {"no candidate"});
        return nullptr;
    }
    orderCandidates(candidates, settings);
    if (tracing) traceCandidateOrder(candidates);
    for (const std::wstring& item : settings.preferredVersions) {
        const VersionNumber preferred = parseVersion(item, 0);
        for (const RuntimeCandidate& candidate : candidates) {
            if (matchesPreferredVersion(candidate.version, preferred)) {
                if (tracing) {
                    trace(kTopic, {"selected by Preferred versions item ", traceQuoted(item), ": ",
                                   describeCandidate(candidate)});
                }
                return &candidate;
            }
        }
        if (tracing) trace(kTopic, {"Preferred versions item ", traceQuoted(item), " matches no candidate"});
    }
    if (tracing) trace(kTopic, {"selected the first in order: ", describeCandidate(candidates.front())});
    return &candidates.front();
}

bool searchRegistry(RuntimeRegistry& registry, const LaunchSettings& settings, RuntimeCandidate& selected) {
    std::vector<RuntimeCandidate> candidates;
    for (const RegistryRoot& root : kRegistryRoots) {
        if (isRootSearched(root, settings)) {
            searchRegistryRoot(registry, root, settings, candidates);
        } else if (traceEnabled()) {
            trace(kTopic, {registry.describeRoot(root), ": not searched, ",
                           whyNotSearched(root.kind, root.provider, settings)});
        }
    }
    const RuntimeCandidate* chosen = selectCandidate(candidates, settings);
    if (chosen == nullptr) return false;
    selected = *chosen;
    return true;
}

// --- the paired launcher -------------------------------------------------------------

uint16_t ownImageMachine() {
#if defined(_WIN32) && !defined(_WIN64)
    return kMachineI386;
#elif defined(__aarch64__) || defined(_M_ARM64)
    return kMachineArm64;
#elif defined(__i386__)
    return kMachineI386;
#else
    return kMachineAmd64;
#endif
}

bool isImageForOtherMachine(const std::wstring& path, uint16_t ownMachine) {
    const os::MappedFile file(path);
    if (!file.isOpen()) return false;
    const PeImageCheck check = checkPeImage(file.data(), file.size());
    if (!check.valid) return false;
    if (ownMachine == kMachineI386) return !check.x86;
    // A valid image has its file header inside the data: e_lfanew at 0x3C, the machine
    // right after the four signature bytes.
    const uint8_t* data = file.data();
    const uint32_t ntHeaders = static_cast<uint32_t>(data[0x3C]) | static_cast<uint32_t>(data[0x3D]) << 8 |
                               static_cast<uint32_t>(data[0x3E]) << 16 | static_cast<uint32_t>(data[0x3F]) << 24;
    const uint16_t machine =
        static_cast<uint16_t>(data[ntHeaders + 4] | static_cast<uint16_t>(data[ntHeaders + 5]) << 8);
    return machine != ownMachine;
}

bool checkPairedLauncher(const LaunchSettings& settings, const std::wstring& jvmLibraryPath, uint16_t ownMachine) {
    return !settings.pairProduct.empty() && isImageForOtherMachine(jvmLibraryPath, ownMachine);
}

// --- the missing-runtime prompt ------------------------------------------------------

void setMissingRuntimePrompt(const MissingRuntimePrompt& prompt) {
    currentPrompt() = prompt.show == nullptr && prompt.remember == nullptr ? defaultPrompt() : prompt;
}

MissingRuntimePrompt missingRuntimePrompt() { return currentPrompt(); }

std::wstring missingRuntimeMessage(const LaunchSettings& settings) {
    const unsigned id = settings.jvmType == JvmType::Server ? kMsgRuntimeNotFoundServer : kMsgRuntimeNotFound;
    return formatMessageText(loadMessage(id),
                             {describeVersionConstraint(settings.minimumVersion, settings.maximumVersion)});
}

// --- the whole search -----------------------------------------------------------------

bool findRuntimeIn(const LaunchSettings& settings, const RuntimeSearchEnvironment& environment,
                   RuntimeSearchResult& result) {
    result = RuntimeSearchResult();
    const JvmType type = settings.jvmType;
    const bool tracing = traceEnabled();
    if (tracing) trace(kTopic, {"search: ", describeSearchSettings(settings)});

    // 1. The configured folder. A relative one is taken from the executable's folder:
    // from the current folder, a document's folder could supply the runtime.
    if (settings.jrePath.empty()) {
        if (tracing) trace(kTopic, {"JRE Path: not set"});
    } else {
        std::wstring folder = settings.jrePath;
        bool usable = true;
        if (dependsOnCurrentFolder(folder)) {
            usable = environment.executableFolderKnown;
            folder = environment.executableFolder + folder;
        }
        if (!usable) {
            if (tracing) {
                trace(kTopic, {"JRE Path ", traceQuoted(settings.jrePath),
                               ": relative, and the executable's folder is unknown; passed over"});
            }
        } else {
            if (tracing) trace(kTopic, {"JRE Path ", traceQuoted(settings.jrePath), ": runtime folder ", folder});
            const std::wstring library = findJvmLibrary(withSeparator(folder), type);
            if (!library.empty()) return succeed(settings, environment, library, false, result);
            if (tracing) {
                trace(kTopic, {"JRE Path: no JVM library for JVM Type ", jvmTypeName(type), " in ", folder});
            }
        }
    }

    // 2. A runtime beside the executable.
    if (environment.executableFolderKnown) {
        if (tracing) trace(kTopic, {"runtime beside the executable, in ", environment.executableFolder});
        const std::wstring library = findJvmLibrary(bundledRuntimeFolder(environment.executableFolder), type);
        if (!library.empty()) return succeed(settings, environment, library, false, result);
        if (tracing) trace(kTopic, {"runtime beside the executable: no JVM library"});
    } else if (tracing) {
        trace(kTopic, {"runtime beside the executable: the executable's folder is unknown; passed over"});
    }

    // 3. The registered runtimes of the default view; 4. those of the 64-bit view, which
    // only the paired launcher can host. Of both only the first view that selects a
    // candidate is used.
    RuntimeCandidate candidate;
    RegistryTier tier = RegistryTier::None;
    bool inWideView = false;
    if (environment.defaultView != nullptr) {
        tier = searchView(*environment.defaultView, settings, environment, "default view", candidate);
    }
    if (tier == RegistryTier::None && environment.wideView != nullptr) {
        if (settings.pairProduct.empty()) {
            if (tracing) trace(kTopic, {"64-bit registry view: not searched without a Pair Product"});
        } else {
            tier = searchView(*environment.wideView, settings, environment, "64-bit view", candidate);
            inWideView = true;
        }
    }
    if (tier != RegistryTier::None) {
        // The last probe takes the configured type as it is, also for the JavaSoft JRE keys.
        const std::wstring library = findJvmLibrary(candidate.runtimeFolder, type);
        if (!library.empty()) {
            // A runtime that the older roots list in the 64-bit view goes to the paired
            // launcher as such; the vendors' keys also hold 32-bit runtimes there, which
            // this launcher hosts itself.
            result.registeredVersion = formatVersion(candidate.version);
            return succeed(settings, environment, library, candidate.provider == RuntimeProvider::Ibm, result,
                           inWideView && tier == RegistryTier::Roots);
        }
        if (tracing) {
            trace(kTopic, {"selected runtime has no JVM library for JVM Type ", jvmTypeName(type), " in ",
                           candidate.runtimeFolder});
        }
    }

    // 5. The user.
    if (tracing) trace(kTopic, {"no runtime found; the user is asked"});
    if (environment.prompt.show == nullptr) return false;
    std::wstring chosenFolder;
    std::wstring library;
    if (!environment.prompt.show(missingRuntimeMessage(settings), type, chosenFolder, library) || library.empty()) {
        if (tracing) trace(kTopic, {"the prompt ended without a runtime"});
        result = RuntimeSearchResult();
        return false;
    }
    if (tracing) trace(kTopic, {"the user chose ", chosenFolder});
    succeed(settings, environment, library, false, result);
    if (environment.prompt.remember != nullptr) environment.prompt.remember(settings, chosenFolder);
    return true;
}

bool findRuntime(const LaunchSettings& settings, RuntimeSearchResult& result) {
    RuntimeSearchEnvironment environment;
    // A module path without any separator would leave the folder empty, which names
    // the current folder again.
    environment.executableFolderKnown =
        getModuleFolder(environment.executableFolder) && !environment.executableFolder.empty();
    uint32_t error = 0;
    if (!os::modulePath(environment.executablePath, error)) environment.executablePath.clear();
    const std::unique_ptr<RuntimeRegistry> defaultView = systemRuntimeRegistry(os::RegistryView::Default);
    environment.defaultView = defaultView.get();
#if defined(_WIN32) && !defined(_WIN64)
    const std::unique_ptr<RuntimeRegistry> wideView = systemRuntimeRegistry(os::RegistryView::Bits64);
    environment.wideView = wideView.get();
#endif
    environment.ownMachine = ownImageMachine();
    environment.prompt = missingRuntimePrompt();

    // The mark is for this process alone; the Java program and whatever it starts must
    // not inherit it.
    std::wstring startedBy;
    if (os::getEnvironment(kPairedLaunchVariable, startedBy)) {
        environment.startedAsPairedLauncher = true;
        (void)os::removeEnvironment(kPairedLaunchVariable);
        if (traceEnabled()) trace(kTopic, {"started as the paired launcher of ", startedBy});
    }

    const bool found = findRuntimeIn(settings, environment, result);
    if (found && result.startPairedLauncher) {
        (void)os::setEnvironment(kPairedLaunchVariable, environment.executablePath);
    }
    return found;
}

}  // namespace jl
