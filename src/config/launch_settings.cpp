#include "config/launch_settings.h"

#include "config/ini_file.h"
#include "config/settings_paths.h"
#include "config/settings_store.h"
#include "os/os.h"
#include "support/files.h"
#include "support/messages.h"
#include "support/paths.h"
#include "support/text.h"
#include "support/trace.h"

namespace jl {

namespace {

const wchar_t kProductInformation[] = L"Product Information";
const wchar_t kRuntimeSection[] = L"Java Runtime Environment";
const wchar_t kApplication[] = L"Application";
const wchar_t kClassPathSection[] = L"Class Path";
const wchar_t kDisplay[] = L"Display";
const wchar_t kTopic[] = L"settings";

bool fileFound(const std::wstring& path) {
    FileFinder finder;
    const bool exists = finder.search(path);
    finder.close();
    return exists;
}

// "JRE Path" lives where a runtime folder chosen by the user is remembered: for an
// application in the per-user file when that file exists, for a service (and an
// application without a per-user file) in the store.
std::wstring readJrePath(const SettingsStore& store, const std::wstring& executablePath,
                         const LaunchSettings& settings) {
    if (!settings.isService) {
        std::wstring userFile = userSettingsFilePath(executablePath, settings.productName,
                                                     settings.productCode, false);
        if (fileFound(userFile)) {
            std::wstring value = IniFile(userFile).readString(kRuntimeSection, L"JRE Path");
            if (traceEnabled()) {
                trace(kTopic, {"per-user settings file ", userFile, ": found; [", kRuntimeSection,
                               "] JRE Path = ", traceQuoted(value)});
            }
            return value;
        }
        if (traceEnabled()) trace(kTopic, {"per-user settings file ", userFile, ": missing"});
    }
    return store.readString(kRuntimeSection, L"JRE Path");
}

}  // namespace

std::wstring resolveBesideExecutable(const std::wstring& path, const std::wstring& executablePath) {
    if (path.empty() || isAbsolutePath(path) || path[0] == L'\\' || path[0] == L'/') return path;
    size_t separator = executablePath.rfind(os::kPathSeparator);
    if (separator == std::wstring::npos) return path;
    return executablePath.substr(0, separator + 1) + path;
}

JvmType interpretJvmType(const std::wstring& value) {
    if (value == L"server") return JvmType::Server;
    if (value == L"favor_server") return JvmType::FavorServer;
    return JvmType::Default;
}

JvmSourceFlags interpretJvmSource(const std::wstring& value) {
    if (value.empty()) return {true, true, true};
    if (value == L"favor_JRE") return {false, true, true};
    if (value == L"favor_JDK") return {true, false, true};
    if (value == L"only_JRE") return {false, true, false};
    if (value == L"only_JDK") return {true, false, false};
    return {false, false, false};
}

VmProviderFlags interpretVmProvider(const std::wstring& value) {
    struct Row {
        const wchar_t* name;
        VmProviderFlags flags;
    };
    static const Row kRows[] = {
        {L"jrockit", {true, true, false, false, false, false}},
        {L"ibm", {false, false, false, false, true, true}},
        {L"favor_sun", {true, false, true, true, true, false}},
        {L"favor_jrockit", {true, true, true, false, true, false}},
        {L"favor_ibm", {true, false, true, false, true, true}},
        {L"any", {true, false, true, false, true, false}},
    };
    for (const Row& row : kRows) {
        if (equalsIgnoreCase(value, row.name)) return row.flags;
    }
    return VmProviderFlags{};
}

std::wstring interpretMainClass(const std::wstring& value) {
    std::wstring name = value;
    for (wchar_t& c : name) {
        if (c == L'.') c = L'/';
    }
    return name;
}

bool isYesIgnoringCase(const std::wstring& value) { return equalsIgnoreCase(value, L"Yes"); }

bool readLaunchSettings(LaunchSettings& settings) {
    std::wstring settingsPath;
    if (!settingsFilePath(settingsPath)) {
        if (traceEnabled()) trace(kTopic, {"no settings file path can be formed for this executable"});
        return false;
    }
    std::wstring executablePath;
    if (!getModulePath(executablePath)) return false;
    return readLaunchSettingsFrom(settingsPath, executablePath, settings);
}

bool readLaunchSettingsFrom(const std::wstring& settingsPath, const std::wstring& executablePath,
                            LaunchSettings& settings) {
    if (traceEnabled()) {
        trace(kTopic, {"executable ", executablePath, "; settings file ", settingsPath,
                       fileFound(settingsPath) ? ": found" : ": missing"});
    }
    IniFile file(settingsPath);
    settings.productCode = file.readString(kProductInformation, L"Product Code");
    settings.upgradeCode = file.readString(kProductInformation, L"Upgrade Code");
    settings.productName = file.readString(kProductInformation, L"Product Name");

    // The embedded layer is keyed by the upgrade code, so the store comes after it.
    SettingsStore store = SettingsStore::open(settingsPath, settings.upgradeCode);
    if (traceEnabled()) {
        trace(kTopic, {"embedded settings layer: ", store.hasEmbeddedLayer()
                                                        ? "present (its text is not traced)"
                                                        : "none, or not readable with this Upgrade Code"});
    }
    settings.minimumVersion = minimumVersionFromSetting(store.readString(kRuntimeSection, L"Minimum Version"));
    settings.maximumVersion = maximumVersionFromSetting(store.readString(kRuntimeSection, L"Maximum Version"));
    settings.isService = store.readString(kApplication, L"Application Type") == L"service";
    settings.preferredVersions = splitAtDelimiter(store.readString(kRuntimeSection, L"Preferred versions"), L";");
    settings.jrePath = readJrePath(store, executablePath, settings);
    settings.jvmType = interpretJvmType(store.readString(kRuntimeSection, L"JVM Type"));
    settings.jvmSource = interpretJvmSource(store.readString(kRuntimeSection, L"JVM Source"));
    settings.vmProvider = interpretVmProvider(store.readString(kRuntimeSection, L"VM Provider"));
    settings.mainClass = interpretMainClass(store.readString(kRuntimeSection, L"Main Class"));
    if (settings.mainClass.empty()) {
        if (traceEnabled()) trace(kTopic, {"no Main Class: the launch ends here (message 210)"});
        reportError(kMsgMainClassMissing);
        return false;
    }
    settings.failureCheck = isYesIgnoringCase(store.readString(kApplication, L"Failure Check"));
    settings.overrideWorkingDir = isYesIgnoringCase(store.readString(kApplication, L"Override WorkingDir"));
    settings.systemPath = store.readString(kRuntimeSection, L"System Path");
    settings.libraryPath = store.readString(kRuntimeSection, L"Library Path");
    // Started by CreateProcessW, a relative name would be completed from the current
    // folder, where a document's folder could plant a program.
    settings.pairProduct = resolveBesideExecutable(store.readString(kApplication, L"Pair Product"), executablePath);
    settings.pairReturnCode = isYesIgnoringCase(store.readString(kApplication, L"Pair Return Code"));
    return true;
}

void readJvmOptionSettings(const SettingsStore& store, LaunchSettings& settings) {
    settings.classPath = store.readString(kClassPathSection, L"Class Path");
    settings.embeddedJar = isYesIgnoringCase(store.readString(kApplication, L"Embedded Jar"));
    settings.vmParameters = store.readString(kRuntimeSection, L"Virtual Machine Parameters");
    settings.outputFile = os::expandEnvironment(store.readString(kApplication, L"Output File"));
    settings.outputAppend = store.readString(kApplication, L"Output Append") == L"yes";
    settings.errorFile = os::expandEnvironment(store.readString(kApplication, L"Error File"));
    settings.errorAppend = store.readString(kApplication, L"Error Append") == L"yes";
    settings.cmd = os::expandEnvironment(store.readString(kApplication, L"Cmd"));
    settings.classDataCache = isYesIgnoringCase(store.readString(kRuntimeSection, L"Class Data Cache"));
}

void readSplashSettings(const std::wstring& settingsPath, LaunchSettings& settings) {
    IniFile file(settingsPath);
    settings.splashImage = file.readString(kDisplay, L"Splash Screen");
    settings.splashShadow = file.readString(kDisplay, L"Splash Screen Shadow") == L"true";
    settings.preferNativeSplash = isYesIgnoringCase(file.readString(kDisplay, L"Preffer Native Splash Screen"));
}

}  // namespace jl
