// The class-data cache: a product is started again and again on the same runtime, so
// the runtime can map the product's classes, already parsed and linked, from a file
// the launcher keeps for it instead of loading them from the JARs each time. The
// decisions live here, as plain functions over texts; class_data_cache_store.cpp does
// the file and process work around them.
//
// One cache per product, runtime and class path: its files carry a hash of the
// fingerprint text in their names, so a cache never meets a configuration it was not
// made for. A launch without a fitting cache trains one: the runtime writes it under a
// name of this process, and it is renamed to its own name once complete, so that two
// first launches at once never see each other's half-written files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace jl {

struct ReleaseInfo;

enum class CacheFamily { Unknown, HotSpot, OpenJ9 };

// What the cache needs to know of the chosen runtime.
struct CacheRuntime {
    CacheFamily family = CacheFamily::Unknown;
    int feature = 0;  // the Java feature version (8, 17, 25); 0 when not known
};

// "1.8.0_151" gives 8, "17.0.15" 17, "25" 25, "26-ea" 26; 0 when the text names none.
int javaFeatureVersion(const std::wstring& versionText);

// The runtime as its release file describes it or, without one, as the version it was
// registered under. A release file that names a virtual machine other than HotSpot or
// the IBM family leaves the family unknown.
CacheRuntime identifyCacheRuntime(const ReleaseInfo* release, const std::wstring& registeredVersion,
                                  bool ibmFamily);

enum class CacheMethod {
    None,
    AheadOfTime,    // 25 and later: list the classes, make an archive of them, linked ahead
                    // of time, apart from the application, then use it
    AutoArchive,    // 19-24: a dynamic archive the runtime writes at exit when missing
    ArchiveAtExit,  // 13-18: a dynamic archive written at exit, then used
    SharedClasses,  // the IBM family's shared classes cache, kept by the runtime itself
};

// The method a runtime understands. None, with the reason in `why`, for any runtime the
// launcher cannot be sure of: an option it does not know would stop it from starting.
CacheMethod cacheMethodFor(const CacheRuntime& runtime, std::string& why);
const char* cacheMethodName(CacheMethod method);

// Whether the product's own parameters already say how the runtime shares classes
// (-Xshare, an archive, an ahead-of-time cache, shared classes): the launcher then
// leaves class sharing to them, since two such settings may keep the runtime from
// starting.
bool parametersManageSharing(const std::wstring& vmParameters);

// What the launcher found in the cache folder.
struct CacheState {
    bool cacheExists = false;        // the complete cache of this fingerprint
    bool folderWritable = false;     // a file could be created there
    bool aheadOfTimeUnusable = false;  // a create step failed, or cannot be started here
    uint32_t processId = 0;
};

// What one launch does about the cache.
struct CachePlan {
    CacheMethod method = CacheMethod::None;
    bool training = false;              // this launch makes the cache
    std::vector<std::wstring> options;  // for the virtual machine, in order
    std::wstring writtenFile;  // what the runtime writes, under this process's name
    std::wstring cacheFile;    // the complete cache
    std::string why;           // for the trace
};

// The files of one cache: `stem` is folder + executable name + "-" + fingerprint hash.
std::wstring cacheFileName(CacheMethod method, const std::wstring& stem);
std::wstring failureMarkerName(const std::wstring& stem);

// The plan of a launch. `folder` holds the cache (with its trailing separator) and
// `name` is the executable's name, which names the IBM family's cache.
CachePlan planClassDataCache(CacheMethod method, const std::wstring& folder, const std::wstring& name,
                             const std::wstring& stem, const CacheState& state);

// What the fingerprint covers, gathered by the caller.
struct CacheFingerprint {
    std::wstring runtimeLibrary;
    std::wstring runtimeVersion;     // as the release file or the registry names it
    uint64_t libraryTime = 0;        // the JVM library's size and last write time
    uint64_t librarySize = 0;
    std::vector<std::wstring> classPathEntries;  // "<path> <size> <time>", or "<path> missing"
    std::wstring mainClass;
    std::wstring vmParameters;       // as written: options the cache depends on
};

// One line per item, so that the trace can name the first one that changed.
std::wstring fingerprintText(const CacheFingerprint& fingerprint);
// 16 hexadecimal digits of a 64-bit FNV-1a hash over the text's UTF-8 bytes.
std::wstring fingerprintHash(const std::wstring& text);
// The first line of `current` that `previous` lacks at the same place; empty when equal.
std::wstring firstChangedLine(const std::wstring& previous, const std::wstring& current);

// The command that makes the archive from the class list of a launch, apart from the
// application and its streams: it writes the archive under this process's name, renames
// it when complete, removes the class list, and leaves the failure marker when the
// runtime could not make it. Empty when the paths cannot be passed safely
// (on Windows through cmd.exe: a quote or percent sign).
std::vector<std::wstring> aheadOfTimeCreateCommand(const std::wstring& java, const std::wstring& shell,
                                                   const std::wstring& classList, const std::wstring& writtenFile,
                                                   const std::wstring& cacheFile, const std::wstring& failureMarker,
                                                   const std::vector<std::wstring>& parameters,
                                                   const std::wstring& classPath);

}  // namespace jl
