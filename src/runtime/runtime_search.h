// Finding the Java runtime to host, in a fixed order of sources: the configured folder,
// a runtime beside the executable, the runtimes registered on the system (filtered by
// the version bounds and ordered by the kind, provider, JVM-type and version
// preferences), and last the user, through the missing-runtime prompt.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "config/launch_settings.h"
#include "runtime/version_number.h"

namespace jl {

struct RuntimeSearchResult {
    std::wstring jvmLibraryPath;       // full path of the chosen JVM library
    bool startPairedLauncher = false;  // hand the launch to "Pair Product"
    bool ibmFamily = false;            // the chosen runtime is of the IBM family (IBM registry
                                       // root, or a release file naming IBM/OpenJ9/Semeru)
    std::wstring registeredVersion;    // the version the registry lists it under; empty otherwise
};

// The whole search in its fixed order, the missing-runtime prompt last. False when no
// runtime was found and the user did not confirm one.
[[nodiscard]] bool findRuntime(const LaunchSettings& settings, RuntimeSearchResult& result);

// --- JVM libraries in a runtime folder --------------------------------------------

// The first JVM library of `type`'s candidates that exists under `folder` (which is
// expected to end with a separator), or the empty text. A folder that merely carries
// a library's name is not a library and is passed over. `isServer` tells whether the
// result is a server JVM.
std::wstring findJvmLibrary(const std::wstring& folder, JvmType type, bool& isServer);
std::wstring findJvmLibrary(const std::wstring& folder, JvmType type);

// The runtime folder of a JVM library found by findJvmLibrary, without a trailing
// separator: three components up ("C:\jre\bin\client\jvm.dll" gives "C:\jre"), four for
// the architecture folder of the older Linux layout ("/jre/lib/amd64/server/libjvm.so").
std::wstring runtimeFolderOfLibrary(const std::wstring& jvmLibraryPath);

// The folder of the runtime shipped beside the executable: the executable's folder
// when it holds the runtime marker ("bin\java.dll", on Linux "lib/libjava.so"), else
// its "jre" folder when that holds the marker, else the executable's folder itself, so
// that nothing is ever looked for in the current folder.
std::wstring bundledRuntimeFolder(const std::wstring& executableFolder);
// A registered runtime folder (ending with a separator) as it is used: through its
// "jre" folder when that holds the runtime marker (a JDK 8), as it is otherwise.
std::wstring usableRuntimeFolder(const std::wstring& folder);
// The bundled runtime folder of this executable; false (after the module path failure
// has been reported) when its folder is unknown.
[[nodiscard]] bool findBundledRuntime(std::wstring& folder);

// --- runtimes registered on the system ---------------------------------------------

enum class RuntimeKind { Jdk, Jre };
enum class RuntimeProvider { JavaSoft, JRockit, Ibm };

struct RegistryRoot {
    const wchar_t* path;  // below HKEY_LOCAL_MACHINE, ending with a backslash
    RuntimeKind kind;
    RuntimeProvider provider;
};

// The roots in the order in which they are searched.
constexpr RegistryRoot kRegistryRoots[] = {
    {L"Software\\JavaSoft\\Java Development Kit\\", RuntimeKind::Jdk, RuntimeProvider::JavaSoft},
    {L"Software\\JavaSoft\\Java Runtime Environment\\", RuntimeKind::Jre, RuntimeProvider::JavaSoft},
    {L"Software\\JRockit\\Java Runtime Environment\\", RuntimeKind::Jre, RuntimeProvider::JRockit},
    {L"Software\\JRockit\\Java Development Kit\\", RuntimeKind::Jdk, RuntimeProvider::JRockit},
    {L"Software\\IBM\\Java2 Runtime Environment\\", RuntimeKind::Jre, RuntimeProvider::Ibm},
};

// The two registry hives runtimes are registered in: machine-wide installs under
// HKEY_LOCAL_MACHINE, per-user installs of some vendors under HKEY_CURRENT_USER.
enum class RegistryHive { LocalMachine, CurrentUser };

enum class SubkeyStatus {
    Found,       // the name was read
    Unreadable,  // an entry exists at this index but its name cannot be read; go on
    End,         // no more entries
};

// The registered runtimes in one view, root by root: each root lists entries whose name
// is a version text and whose "JavaHome" names a runtime folder.
class RuntimeRegistry {
public:
    virtual ~RuntimeRegistry() = default;
    // Opens a root for enumeration; false when it does not exist or cannot be opened.
    [[nodiscard]] virtual bool openRoot(const RegistryRoot& root) = 0;
    virtual SubkeyStatus entryName(uint32_t index, std::wstring& name) = 0;
    // The "JavaHome" of the entry at `index` named `name`; false when it is missing or
    // cannot be read.
    [[nodiscard]] virtual bool javaHome(uint32_t index, const std::wstring& name, std::wstring& home) = 0;
    virtual void closeRoot() = 0;
    // Whether a JDK root's "JavaHome" is the JDK, whose runtime is in its "jre" folder
    // (the Windows registry), or already the runtime folder itself.
    virtual bool jdkHomeHoldsJre() const { return true; }
    // How the trace names a root: its key, hive and view.
    virtual std::wstring describeRoot(const RegistryRoot& root) const { return root.path; }

    // The keys of the vendors' installers (vendor_registrations.h), which only the
    // Windows registry has.
    virtual bool hasVendorKeys() const { return false; }
    // Opens `path` (below the hive, ending with a backslash) for entryName.
    [[nodiscard]] virtual bool openKey(RegistryHive hive, const std::wstring& path) { return false; }
    // The value `valueName` of the entry `name` of the open key, or of the key `below`
    // that entry (a relative key path; empty for the entry itself), as text. False
    // when the key or the value is missing or cannot be read.
    [[nodiscard]] virtual bool entryValue(const std::wstring& name, const std::wstring& below,
                                          const std::wstring& valueName, std::wstring& value) {
        return false;
    }
    // How the trace names a key opened by openKey.
    virtual std::wstring describeKey(RegistryHive hive, const std::wstring& path) const { return path; }
};

struct RuntimeCandidate {
    VersionNumber version;      // the entry's name, parsed with fill 0
    std::wstring runtimeFolder; // ends with a separator
    bool isServer = false;      // its library was the server JVM
    bool isPreferred = false;   // wanted kind and favoured provider
    RuntimeProvider provider = RuntimeProvider::JavaSoft;
};

// What "JVM Source" and "VM Provider" make of a runtime's kind and provider: searched
// (accepted), and preferred (wanted, favoured).
bool isKindSearched(RuntimeKind kind, const JvmSourceFlags& flags);
bool isKindWanted(RuntimeKind kind, const JvmSourceFlags& flags);
bool isAccepted(RuntimeProvider provider, const VmProviderFlags& flags);
bool isFavoured(RuntimeProvider provider, const VmProviderFlags& flags);
// Whether the settings let a root be searched at all.
bool isRootSearched(const RegistryRoot& root, const LaunchSettings& settings);
// Inside the inclusive bounds; an open bound (isUnboundedVersion) does not bound.
bool isVersionAllowed(const VersionNumber& version, const LaunchSettings& settings);

// Appends the candidates of one root, in enumeration order.
void searchRegistryRoot(RuntimeRegistry& registry, const RegistryRoot& root, const LaunchSettings& settings,
                        std::vector<RuntimeCandidate>& candidates);
// Every searched root of one view, then selectCandidate. False when nothing qualifies;
// the search then turns to the vendors' keys of the same view (vendor_registrations.h).
[[nodiscard]] bool searchRegistry(RuntimeRegistry& registry, const LaunchSettings& settings,
                                  RuntimeCandidate& selected);

// Whether `a` goes before `b`: preferred first (when both kinds are searched), server
// first (with "favor_server"), then the greater version.
bool goesBefore(const RuntimeCandidate& a, const RuntimeCandidate& b, const LaunchSettings& settings);
// A stable bubble sort by goesBefore: candidates that tie keep their enumeration order.
void orderCandidates(std::vector<RuntimeCandidate>& candidates, const LaunchSettings& settings);
// Orders the list, then takes the first candidate that matches a "Preferred versions"
// item (items in their order), else the first one. Null for an empty list.
const RuntimeCandidate* selectCandidate(std::vector<RuntimeCandidate>& candidates, const LaunchSettings& settings);

// --- the paired launcher -------------------------------------------------------------

constexpr uint16_t kMachineI386 = 0x014C;
constexpr uint16_t kMachineAmd64 = 0x8664;
constexpr uint16_t kMachineArm64 = 0xAA64;
// The machine of this process's own images.
uint16_t ownImageMachine();
// True when the file is a valid executable image for a machine other than `ownMachine`:
// a library this process cannot load, but the paired launcher may.
bool isImageForOtherMachine(const std::wstring& path, uint16_t ownMachine);
// The decision of startPairedLauncher for a library found by the search: only with a
// "Pair Product", and only for an image of another machine.
bool checkPairedLauncher(const LaunchSettings& settings, const std::wstring& jvmLibraryPath, uint16_t ownMachine);

// --- the user as the last source ---------------------------------------------------------

// The missing-runtime prompt and the memory of its answer. `show` returns true when the
// user confirmed a folder, with the folder and the JVM library found in it.
struct MissingRuntimePrompt {
    bool (*show)(const std::wstring& message, JvmType jvmType, std::wstring& chosenFolder,
                 std::wstring& jvmLibraryPath) = nullptr;
    void (*remember)(const LaunchSettings& settings, const std::wstring& folder) = nullptr;
};
// The prompt findRuntime uses; tests put their own in place. A default-constructed
// prompt restores the real one.
void setMissingRuntimePrompt(const MissingRuntimePrompt& prompt);
MissingRuntimePrompt missingRuntimePrompt();

// Message 206 (server JVM) or 207 with the version clause of the bounds.
std::wstring missingRuntimeMessage(const LaunchSettings& settings);

// Everything findRuntime takes from the system, so that the search can be run against
// fixtures.
struct RuntimeSearchEnvironment {
    bool executableFolderKnown = false;
    std::wstring executableFolder;         // with its trailing separator
    RuntimeRegistry* defaultView = nullptr;
    RuntimeRegistry* wideView = nullptr;   // the 64-bit view of a 32-bit launcher; null where
                                           // the default view already is the 64-bit one
    uint16_t ownMachine = 0;
    MissingRuntimePrompt prompt;
    // This launcher's own path: a "Pair Product" that names it is never started, since
    // the launcher would only start itself again and again.
    std::wstring executablePath;
    // This launcher was started by another one as its paired launcher. It hosts the
    // runtime itself whatever it finds: handing the launch on again could send it back
    // and forth between the two for ever.
    bool startedAsPairedLauncher = false;
};
[[nodiscard]] bool findRuntimeIn(const LaunchSettings& settings, const RuntimeSearchEnvironment& environment,
                                 RuntimeSearchResult& result);

// Set, to the path of the launcher that starts it, in the environment of a paired
// launcher; the paired launcher removes it again before anything else can inherit it.
constexpr wchar_t kPairedLaunchVariable[] = L"JLAUNCH_PAIRED_BY";

}  // namespace jl
