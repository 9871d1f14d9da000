// The class-data cache of one launch: its folder and files, the options it adds to the
// virtual machine, and the work after the virtual machine has ended. Nothing here ever
// fails a launch: whatever goes wrong leaves the run without the cache, and the trace
// says why.
#pragma once

#include <atomic>
#include <string>
#include <vector>

#include "jvm/class_data_cache.h"

namespace jl {

struct LaunchSettings;
struct JvmOptions;
struct RuntimeSearchResult;

// The folder of a product's caches below the user's local cache folder (Windows
// %LOCALAPPDATA%, Linux $XDG_CACHE_HOME or ~/.cache): "Product Name" with the same name
// rules as the per-user settings folder, then "Product Code"; the executable's name
// stands in for an empty "Product Name". Ends with a separator; empty when the base
// folder is not known.
std::wstring classDataCacheFolder(const std::wstring& productName, const std::wstring& productCode,
                                  const std::wstring& executableName);

class ClassDataCache {
public:
    ClassDataCache() = default;
    ClassDataCache(const ClassDataCache&) = delete;
    ClassDataCache& operator=(const ClassDataCache&) = delete;

    // With "Class Data Cache" on, puts the cache's options right after the class path
    // option (so the product's own parameters still win) and prepares what the end of
    // the launch needs.
    void prepare(const LaunchSettings& settings, const RuntimeSearchResult& runtime, const std::wstring& executable,
                 JvmOptions& jvm);
    // On the Java thread before main: traces whether the runtime mapped the cache.
    void reportRuntimeUse() const;
    // Once the virtual machine has ended, by returning or through its exit: completes a
    // training launch (renames the cache, or starts the step that makes the linked archive).
    // Runs once; later calls do nothing.
    void finish();

private:
    CachePlan plan_;
    std::wstring stem_;
    std::wstring useLog_;  // the runtime's own report of the cache, while tracing
    std::vector<std::wstring> createCommand_;
    std::atomic<bool> finished_{true};
};

}  // namespace jl
