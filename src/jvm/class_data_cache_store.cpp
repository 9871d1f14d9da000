#include "jvm/class_data_cache_store.h"

#include <algorithm>

#include "config/launch_settings.h"
#include "config/settings_paths.h"
#include "jvm/class_path.h"
#include "jvm/java_host.h"
#include "jvm/jvm_options.h"
#include "jvm/vm_parameters.h"
#include "os/os.h"
#include "runtime/release_file.h"
#include "runtime/runtime_search.h"
#include "support/files.h"
#include "support/paths.h"
#include "support/text.h"
#include "support/trace.h"

namespace jl {

namespace {

constexpr wchar_t kTopic[] = L"cache";
constexpr wchar_t kSeparator = os::kPathSeparator;

// The cache whose launch is under way; the virtual machine's exit hook completes it
// when the program ends through System.exit and the process ends there.
std::atomic<ClassDataCache*> activeCache{nullptr};

void finishOnExit(int /*code*/) {
    if (ClassDataCache* cache = activeCache.load()) cache->finish();
}

const VmExitListener kExitListener{&finishOnExit, nullptr};

std::wstring fileStamp(const std::wstring& path) {
    os::FindResult match;
    if (path.find_first_of(L"*?") != std::wstring::npos || os::findFirstFile(path, match) != os::kErrorSuccess) {
        return path + L" missing";
    }
    return path + L" " + decimalText(static_cast<long long>(match.size)) + L" " +
           decimalText(static_cast<long long>(match.lastWriteTime));
}

bool exists(const std::wstring& path, uint64_t* size = nullptr) {
    os::FindResult match;
    if (os::findFirstFile(path, match) != os::kErrorSuccess || match.isDirectory) return false;
    if (size) *size = match.size;
    return true;
}

std::wstring readText(const std::wstring& path) {
    std::vector<uint8_t> bytes;
    if (os::readFile(path, bytes) != os::kErrorSuccess) return {};
    return os::fromUtf8(std::string(bytes.begin(), bytes.end()));
}

std::wstring fileNameOf(const std::wstring& path) {
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

std::wstring withoutExtension(std::wstring name) {
    const size_t dot = name.rfind(L'.');
    if (dot != std::wstring::npos && dot > 0) name.resize(dot);
    return name;
}

std::wstring javaProgram(const std::wstring& runtimeFolder) {
    const std::wstring bin = runtimeFolder + kSeparator + L"bin" + kSeparator;
#ifdef _WIN32
    // The create step runs under a console without a window; java.exe suits it, javaw.exe
    // serves runtimes that ship no console program.
    return exists(bin + L"java.exe") ? bin + L"java.exe" : bin + L"javaw.exe";
#else
    return bin + L"java";
#endif
}

std::wstring shellProgram() {
#ifdef _WIN32
    std::wstring shell;
    if (os::getEnvironment(L"ComSpec", shell) && !shell.empty()) return shell;
    return L"cmd.exe";
#else
    return L"/bin/sh";
#endif
}

// The product's parameters as the create step's command line takes them.
std::vector<std::wstring> productParameters(const LaunchSettings& settings) {
    std::vector<std::wstring> parameters;
    for (const std::wstring& written : splitVmParameters(settings.vmParameters)) {
        std::wstring parameter = stripQuotePairs(written);
        if (isPercentageMemoryOption(parameter)) parameter = expandMemoryOption(parameter, os::memoryStatus());
        parameters.push_back(os::expandEnvironment(parameter));
    }
    return parameters;
}

// While tracing, the runtime reports on the cache into a file beside it; read back
// before main, it tells whether the runtime mapped the cache.
std::wstring runtimeReportOption(const std::wstring& log) {
    return L"-Xlog:cds=info:file=\"" + log + L"\"::filecount=0";
}

void removeStaleCaches(const std::wstring& folder, const std::wstring& name, const std::wstring& stem) {
    for (const wchar_t* extension : {L".aot", L".jsa", L".aot-failed"}) {
        std::vector<os::FindResult> matches;
        if (os::findAllFiles(folder + name + L"-*" + extension, matches) != os::kErrorSuccess) continue;
        for (const os::FindResult& match : matches) {
            const std::wstring path = folder + match.name;
            if (match.isDirectory || path.compare(0, stem.size(), stem) == 0) continue;
            // Another process may still map it: then it stays until a later launch.
            if (os::removeFile(path) && traceEnabled()) trace(kTopic, {"removed the stale cache ", path});
        }
    }
}

}  // namespace

std::wstring classDataCacheFolder(const std::wstring& productName, const std::wstring& productCode,
                                  const std::wstring& executableName) {
    std::wstring base;
#ifdef _WIN32
    if (!os::getEnvironment(L"LOCALAPPDATA", base) || base.empty()) return {};
#else
    if (!os::getEnvironment(L"XDG_CACHE_HOME", base) || base.empty() || base[0] != L'/') {
        std::wstring home;
        if (!os::getEnvironment(L"HOME", home) || home.empty()) return {};
        base = home + L"/.cache";
    }
#endif
    if (base.back() != kSeparator) base += kSeparator;
    std::wstring product = productFolderName(productName);
    if (product.empty()) product = executableName;
    std::wstring folder = base + product + kSeparator;
    const std::wstring code = productFolderName(productCode);
    if (!code.empty()) folder += code + kSeparator;
    return folder;
}

void ClassDataCache::prepare(const LaunchSettings& settings, const RuntimeSearchResult& runtime,
                             const std::wstring& executable, JvmOptions& jvm) {
    if (!settings.classDataCache) return;
    const bool tracing = traceEnabled();
    const auto classPathOption = std::find_if(jvm.options.begin(), jvm.options.end(), [](const std::string& o) {
        return o.compare(0, 18, "-Djava.class.path=") == 0;
    });
    if (classPathOption == jvm.options.end()) {
        if (tracing) trace(kTopic, {"no cache: there is no class path"});
        return;
    }

    if (parametersManageSharing(settings.vmParameters)) {
        if (tracing) trace(kTopic, {"no cache: the Virtual Machine Parameters set class sharing themselves"});
        return;
    }
    ReleaseInfo release;
    const bool hasRelease = readReleaseFile(runtimeFolderOfLibrary(runtime.jvmLibraryPath), release);
    const CacheRuntime cacheRuntime =
        identifyCacheRuntime(hasRelease ? &release : nullptr, runtime.registeredVersion, runtime.ibmFamily);
    std::string why;
    const CacheMethod method = cacheMethodFor(cacheRuntime, why);
    if (method == CacheMethod::None) {
        if (tracing) trace(kTopic, {"no cache: ", why});
        return;
    }

    const std::wstring name = withoutExtension(fileNameOf(executable));
    const std::wstring folder = classDataCacheFolder(settings.productName, settings.productCode, name);
    if (folder.empty()) {
        if (tracing) trace(kTopic, {"no cache: the user's cache folder is not known"});
        return;
    }
    const bool folderReady = createParentFolders(folder + name) == os::kErrorSuccess;
    if (tracing) trace(kTopic, {"folder ", folder, folderReady ? "" : " (cannot be created)"});

    CacheFingerprint fingerprint;
    fingerprint.runtimeLibrary = runtime.jvmLibraryPath;
    fingerprint.runtimeVersion = hasRelease ? release.javaVersion + L" " + release.implementorVersion
                                            : runtime.registeredVersion;
    os::FindResult library;
    if (os::findFirstFile(runtime.jvmLibraryPath, library) == os::kErrorSuccess) {
        fingerprint.librarySize = library.size;
        fingerprint.libraryTime = library.lastWriteTime;
    }
    const std::wstring classPath = buildClassPath(settings.classPath, settings.embeddedJar, executable);
    for (const std::wstring& entry : splitAtDelimiter(classPath, std::wstring(1, os::kListSeparator))) {
        if (!entry.empty()) fingerprint.classPathEntries.push_back(fileStamp(entry));
    }
    fingerprint.mainClass = settings.mainClass;
    fingerprint.vmParameters = settings.vmParameters;
    const std::wstring text = fingerprintText(fingerprint);
    const std::wstring hash = fingerprintHash(text);
    stem_ = folder + name + L"-" + hash;

    const std::wstring fingerprintFile = folder + name + L".fingerprint";
    const std::wstring previous = readText(fingerprintFile);
    if (tracing) {
        if (previous.empty()) {
            trace(kTopic, {"fingerprint ", hash, ": none kept before"});
        } else if (previous == text) {
            trace(kTopic, {"fingerprint ", hash, ": matches the one kept"});
        } else {
            trace(kTopic, {"fingerprint ", hash, ": differs from the one kept at: ", firstChangedLine(previous, text)});
        }
    }

    CacheState state;
    state.processId = os::currentProcessId();
    state.cacheExists = method != CacheMethod::SharedClasses && exists(cacheFileName(method, stem_));
    state.aheadOfTimeUnusable = exists(failureMarkerName(stem_));
    if (!state.cacheExists && folderReady) {
        // Writing the fingerprint also proves that the folder takes the cache.
        const std::wstring own = fingerprintFile + L"." + decimalText(state.processId);
        state.folderWritable = os::writeNewFile(own, os::toUtf8(text)) == os::kErrorSuccess &&
                               os::replaceFile(own, fingerprintFile);
        if (!state.folderWritable) (void)os::removeFile(own);
    }
    const std::wstring own = stem_ + L"." + decimalText(state.processId);
    plan_ = planClassDataCache(method, folder, name, stem_, state);
    if (plan_.method == CacheMethod::AheadOfTime && plan_.training) {
        // The list this launch writes becomes the archive once it has ended.
        createCommand_ = aheadOfTimeCreateCommand(javaProgram(runtimeFolderOfLibrary(runtime.jvmLibraryPath)),
                                                  shellProgram(), plan_.writtenFile, own + L".aot.tmp",
                                                  plan_.cacheFile, failureMarkerName(stem_),
                                                  productParameters(settings), classPath);
        if (createCommand_.empty()) {
            state.aheadOfTimeUnusable = true;
            plan_ = planClassDataCache(method, folder, name, stem_, state);
        }
    }
    if (tracing) {
        trace(kTopic, {"runtime family ", cacheRuntime.family == CacheFamily::OpenJ9 ? "IBM" : "HotSpot", " ",
                       decimalText(cacheRuntime.feature), ": ", cacheMethodName(plan_.method), "; ", plan_.why});
    }
    if (plan_.method == CacheMethod::None) return;

    std::vector<std::wstring> options = plan_.options;
    if (tracing && plan_.method != CacheMethod::SharedClasses && !plan_.training) {
        useLog_ = own + L".log";
        if (os::writeNewFile(useLog_, std::string()) == os::kErrorSuccess) {
            options.push_back(runtimeReportOption(useLog_));
        } else {
            useLog_.clear();
        }
    }
    std::vector<std::string> converted;
    for (const std::wstring& option : options) {
        if (tracing) trace(kTopic, {"option ", option});
        converted.push_back(os::toThreadAnsi(option));
    }
    jvm.options.insert(classPathOption + 1, converted.begin(), converted.end());

    finished_ = false;
    activeCache.store(this);
    setVmExitListener(&kExitListener);
}

void ClassDataCache::reportRuntimeUse() const {
    if (finished_ || !traceEnabled()) return;
    if (plan_.training) {
        trace(kTopic, {"the runtime records this launch; the cache is made when it ends"});
        return;
    }
    if (useLog_.empty()) return;
    const std::wstring log = readText(useLog_);
    const size_t opened = log.find(L"Opened shared archive file " + plan_.cacheFile);
    const bool used = plan_.method == CacheMethod::AheadOfTime
                          ? opened != std::wstring::npos && log.find(L"Mapped static", opened) != std::wstring::npos
                          : log.find(L"Mapped dynamic region") != std::wstring::npos ||
                                log.find(L"Opened archive " + plan_.cacheFile) != std::wstring::npos;
    trace(kTopic, {used ? "the runtime mapped the cache " : "the runtime did not use the cache ", plan_.cacheFile});
}

void ClassDataCache::finish() {
    if (finished_.exchange(true)) return;
    ClassDataCache* self = this;
    activeCache.compare_exchange_strong(self, nullptr);
    if (!useLog_.empty()) (void)os::removeFile(useLog_);
    if (!plan_.training) return;
    const bool tracing = traceEnabled();
    const std::wstring folder = stem_.substr(0, stem_.rfind(kSeparator) + 1);
    const std::wstring name = fileNameOf(stem_).substr(0, fileNameOf(stem_).rfind(L'-'));
    uint64_t size = 0;

    if (plan_.method == CacheMethod::AheadOfTime) {
        if (!exists(plan_.writtenFile, &size) || size == 0) {
            if (tracing) trace(kTopic, {"the runtime wrote no class list; no cache this time"});
            (void)os::removeFile(plan_.writtenFile);
            return;
        }
        if (os::startDetachedProcess(createCommand_)) {
            if (tracing) trace(kTopic, {"the cache is being created apart: ", plan_.cacheFile});
        } else {
            if (tracing) trace(kTopic, {"the create step could not be started; later launches use a dynamic archive"});
            (void)os::removeFile(plan_.writtenFile);
            (void)os::writeNewFile(failureMarkerName(stem_), std::string());
        }
        removeStaleCaches(folder, name, stem_);
        return;
    }

    if (!exists(plan_.writtenFile, &size) || size == 0) {
        if (tracing) trace(kTopic, {"the runtime wrote no cache (folder full or not writable?); no cache this time"});
        (void)os::removeFile(plan_.writtenFile);
        return;
    }
    if (exists(plan_.cacheFile)) {
        // A launch that trained at the same time was first; its cache is as good.
        if (tracing) trace(kTopic, {"another launch completed the cache first"});
        (void)os::removeFile(plan_.writtenFile);
    } else if (!os::replaceFile(plan_.writtenFile, plan_.cacheFile)) {
        if (tracing) trace(kTopic, {"the cache could not be renamed, error ", decimalText(os::lastError())});
        (void)os::removeFile(plan_.writtenFile);
        return;
    } else if (tracing) {
        trace(kTopic, {"cache complete: ", plan_.cacheFile, ", ", decimalText(static_cast<long long>(size)), " bytes"});
    }
    removeStaleCaches(folder, name, stem_);
}

}  // namespace jl
