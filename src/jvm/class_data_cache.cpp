#include "jvm/class_data_cache.h"

#include "os/os.h"
#include "runtime/release_file.h"
#include "support/text.h"

namespace jl {

namespace {

// The runtime's messages about the cache go nowhere: the application's streams are its
// own. Wildcards, because the messages come under tag sets such as cds+dynamic too.
const wchar_t kQuietCds[] = L"-Xlog:cds*=off";
const wchar_t kQuietAot[] = L"-Xlog:aot*=off";

std::wstring withoutTrailingSeparator(std::wstring folder) {
    if (!folder.empty() && folder.back() == os::kPathSeparator) folder.pop_back();
    return folder;
}

// A name the IBM family accepts for its cache: letters, digits, "-" and "_".
std::wstring sharedClassesName(const std::wstring& name) {
    std::wstring result;
    for (wchar_t c : name) {
        const bool plain = (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9') ||
                           c == L'-' || c == L'_';
        if (plain && result.size() < 48) result += c;
    }
    return result.empty() ? std::wstring(L"jlaunch") : result;
}

#ifdef _WIN32
// One argument for cmd.exe and, through it, for the program's own parsing: between
// quotes, backslashes before the closing quote doubled. cmd.exe has no way to pass a
// quote or keep a percent sign inside quotes, so such texts cannot be passed at all.
bool quoteForCmd(const std::wstring& text, std::wstring& quoted) {
    if (text.find_first_of(L"\"%") != std::wstring::npos) return false;
    size_t backslashes = 0;
    while (backslashes < text.size() && text[text.size() - 1 - backslashes] == L'\\') ++backslashes;
    quoted = L"\"" + text + std::wstring(backslashes, L'\\') + L"\"";
    return true;
}
#endif

}  // namespace

int javaFeatureVersion(const std::wstring& versionText) {
    std::vector<int> numbers;
    long current = -1;
    for (size_t i = 0; i <= versionText.size() && numbers.size() < 2; ++i) {
        const wchar_t c = i < versionText.size() ? versionText[i] : L'\0';
        if (c >= L'0' && c <= L'9') {
            current = (current < 0 ? 0 : current) * 10 + (c - L'0');
            if (current > 100000) return 0;
        } else {
            if (current >= 0) numbers.push_back(static_cast<int>(current));
            current = -1;
            // Only "1.8" style versions need the second number; anything else ends it.
            if (c != L'.' || numbers.empty() || numbers[0] != 1) break;
        }
    }
    if (numbers.empty()) return 0;
    if (numbers[0] == 1) return numbers.size() > 1 ? numbers[1] : 0;
    return numbers[0];
}

CacheRuntime identifyCacheRuntime(const ReleaseInfo* release, const std::wstring& registeredVersion,
                                  bool ibmFamily) {
    CacheRuntime runtime;
    const std::wstring version =
        release != nullptr && !release->javaVersion.empty() ? release->javaVersion : registeredVersion;
    runtime.feature = javaFeatureVersion(version);
    if (ibmFamily || (release != nullptr && namesIbmFamily(*release))) {
        runtime.family = CacheFamily::OpenJ9;
    } else if (release == nullptr || release->jvmVariant.empty() || equalsIgnoreCase(release->jvmVariant, L"hotspot")) {
        // Release files of HotSpot builds often say nothing about the virtual machine.
        runtime.family = CacheFamily::HotSpot;
    }
    return runtime;
}

bool parametersManageSharing(const std::wstring& vmParameters) {
    static const wchar_t* const kSharingOptions[] = {
        L"-Xshare", L"SharedArchiveFile", L"ArchiveClassesAtExit", L"AutoCreateSharedArchive", L"-XX:AOT",
        L"SharedClassListFile", L"DumpLoadedClassList", L"RecordDynamicDumpInfo", L"-Xshareclasses"};
    for (const wchar_t* option : kSharingOptions) {
        if (vmParameters.find(option) != std::wstring::npos) return true;
    }
    return false;
}

CacheMethod cacheMethodFor(const CacheRuntime& runtime, std::string& why) {
    if (runtime.feature == 0) {
        why = "the runtime's version is not known";
        return CacheMethod::None;
    }
    switch (runtime.family) {
        case CacheFamily::Unknown:
            why = "the runtime's virtual machine is neither HotSpot nor of the IBM family";
            return CacheMethod::None;
        case CacheFamily::OpenJ9:
            if (runtime.feature >= 8) return CacheMethod::SharedClasses;
            why = "IBM family runtimes before 8 are not supported";
            return CacheMethod::None;
        case CacheFamily::HotSpot:
            if (runtime.feature >= 25) return CacheMethod::AheadOfTime;
            if (runtime.feature >= 19) return CacheMethod::AutoArchive;
            if (runtime.feature >= 13) return CacheMethod::ArchiveAtExit;
            why = "HotSpot before 13 cannot archive an application's classes at exit";
            return CacheMethod::None;
    }
    return CacheMethod::None;
}

const char* cacheMethodName(CacheMethod method) {
    switch (method) {
        case CacheMethod::None: return "none";
        case CacheMethod::AheadOfTime: return "archive linked ahead of time";
        case CacheMethod::AutoArchive: return "dynamic archive, created when missing";
        case CacheMethod::ArchiveAtExit: return "dynamic archive, written at exit";
        case CacheMethod::SharedClasses: return "shared classes cache";
    }
    return "?";
}

std::wstring cacheFileName(CacheMethod method, const std::wstring& stem) {
    return stem + (method == CacheMethod::AheadOfTime ? L".aot" : L".jsa");
}

std::wstring failureMarkerName(const std::wstring& stem) { return stem + L".aot-failed"; }

CachePlan planClassDataCache(CacheMethod method, const std::wstring& folder, const std::wstring& name,
                             const std::wstring& stem, const CacheState& state) {
    CachePlan plan;
    if (method == CacheMethod::AheadOfTime && state.aheadOfTimeUnusable) {
        method = CacheMethod::AutoArchive;
        plan.why = "the linked archive cannot be made here; ";
    }
    plan.method = method;
    if (method == CacheMethod::None) return plan;

    if (method == CacheMethod::SharedClasses) {
        // The runtime keeps this cache up to date and guards it against concurrent use
        // itself; "nonfatal" starts the virtual machine even when the cache cannot be used.
        const std::wstring cacheDir = withoutTrailingSeparator(folder);
        if (cacheDir.find(L',') != std::wstring::npos) {
            plan.method = CacheMethod::None;
            plan.why = "the cache folder's path holds a comma, which the runtime's option cannot carry";
            return plan;
        }
        plan.options = {L"-Xshareclasses:name=" + sharedClassesName(name) + L",cacheDir=" + cacheDir +
                        L",nonfatal,silent"};
        plan.cacheFile = cacheDir;
        plan.why += "the runtime keeps its shared classes cache";
        return plan;
    }

    plan.cacheFile = cacheFileName(method, stem);
    const std::wstring ownName = stem + L"." + decimalText(state.processId);
    if (state.cacheExists) {
        plan.why += "the cache fits";
        plan.options = {L"-XX:SharedArchiveFile=" + plan.cacheFile};
        if (method == CacheMethod::AheadOfTime) plan.options.push_back(kQuietAot);
        plan.options.push_back(kQuietCds);
        return plan;
    }
    if (!state.folderWritable) {
        plan.method = CacheMethod::None;
        plan.why += "no cache fits and the cache folder cannot be written; the launch goes on without it";
        return plan;
    }
    plan.training = true;
    plan.why += "no cache fits; this launch trains one";
    switch (method) {
        case CacheMethod::AheadOfTime:
            // Only the list of the classes the launch loads: the runtime still maps its
            // own archive meanwhile, so this launch starts as fast as one without the
            // cache. (Recording a configuration for the runtime's ahead-of-time cache
            // instead turns that archive off and makes the launch several times slower
            // to reach main; the archive made from the list is about as fast to use.)
            plan.writtenFile = ownName + L".classlist";
            plan.options = {L"-XX:DumpLoadedClassList=" + plan.writtenFile, kQuietAot, kQuietCds};
            break;
        case CacheMethod::AutoArchive:
            plan.writtenFile = ownName + L".jsa.tmp";
            plan.options = {L"-XX:+AutoCreateSharedArchive", L"-XX:SharedArchiveFile=" + plan.writtenFile, kQuietCds};
            break;
        default:
            plan.writtenFile = ownName + L".jsa.tmp";
            plan.options = {L"-XX:ArchiveClassesAtExit=" + plan.writtenFile, kQuietCds};
            break;
    }
    return plan;
}

std::wstring fingerprintText(const CacheFingerprint& fingerprint) {
    std::wstring text = L"runtime " + fingerprint.runtimeLibrary + L"\n";
    text += L"version " + fingerprint.runtimeVersion + L"\n";
    text += L"library " + decimalText(static_cast<long long>(fingerprint.librarySize)) + L" " +
            decimalText(static_cast<long long>(fingerprint.libraryTime)) + L"\n";
    for (const std::wstring& entry : fingerprint.classPathEntries) text += L"class path " + entry + L"\n";
    text += L"main class " + fingerprint.mainClass + L"\n";
    text += L"parameters " + fingerprint.vmParameters + L"\n";
    return text;
}

std::wstring fingerprintHash(const std::wstring& text) {
    uint64_t hash = 14695981039346656037ull;
    for (unsigned char byte : os::toUtf8(text)) {
        hash ^= byte;
        hash *= 1099511628211ull;
    }
    static const wchar_t kDigits[] = L"0123456789abcdef";
    std::wstring hex(16, L'0');
    for (int i = 15; i >= 0; --i, hash >>= 4) hex[static_cast<size_t>(i)] = kDigits[hash & 15];
    return hex;
}

std::wstring firstChangedLine(const std::wstring& previous, const std::wstring& current) {
    const std::vector<std::wstring> before = splitAtDelimiter(previous, L"\n");
    const std::vector<std::wstring> after = splitAtDelimiter(current, L"\n");
    for (size_t i = 0; i < after.size(); ++i) {
        if (i >= before.size() || before[i] != after[i]) return after[i];
    }
    return before.size() > after.size() ? before[after.size()] : std::wstring();
}

std::vector<std::wstring> aheadOfTimeCreateCommand(const std::wstring& java, const std::wstring& shell,
                                                   const std::wstring& classList, const std::wstring& writtenFile,
                                                   const std::wstring& cacheFile, const std::wstring& failureMarker,
                                                   const std::vector<std::wstring>& parameters,
                                                   const std::wstring& classPath) {
    std::vector<std::wstring> create{java, L"-Xshare:dump", L"-XX:SharedClassListFile=" + classList,
                                     L"-XX:SharedArchiveFile=" + writtenFile, L"-XX:+AOTClassLinking"};
    create.insert(create.end(), parameters.begin(), parameters.end());
    create.push_back(L"-cp");
    create.push_back(classPath);
#ifdef _WIN32
    std::wstring line;
    std::wstring quoted[4];
    const std::wstring* const files[4] = {&classList, &writtenFile, &cacheFile, &failureMarker};
    for (int i = 0; i < 4; ++i) {
        if (!quoteForCmd(*files[i], quoted[i])) return {};
    }
    for (const std::wstring& argument : create) {
        std::wstring piece;
        if (!quoteForCmd(argument, piece)) return {};
        line += (line.empty() ? L"" : L" ") + piece;
    }
    // cmd.exe /s /c takes everything between the first and the last quote as it is.
    line += L" >nul 2>&1 && (move /y " + quoted[1] + L" " + quoted[2] + L" >nul 2>&1 || del /f /q " + quoted[1] +
            L" >nul 2>&1) || (del /f /q " + quoted[1] + L" >nul 2>&1 & type nul > " + quoted[3] + L")";
    line += L" & del /f /q " + quoted[0] + L" >nul 2>&1";
    std::wstring program;
    if (!quoteForCmd(shell, program)) return {};
    return {program, L"/d", L"/s", L"/c", L"\"" + line + L"\""};
#else
    // The paths travel as arguments, never as script text.
    std::vector<std::wstring> command{
        shell, L"-c",
        L"t=$1 c=$2 f=$3 x=$4; shift 4; if \"$@\"; then mv -f \"$t\" \"$c\" || rm -f \"$t\"; "
        L"else rm -f \"$t\"; : > \"$x\"; fi; rm -f \"$f\"",
        L"sh", writtenFile, cacheFile, classList, failureMarker};
    command.insert(command.end(), create.begin(), create.end());
    return command;
#endif
}

}  // namespace jl
