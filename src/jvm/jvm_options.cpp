#include "jvm/jvm_options.h"

#include "config/settings_paths.h"
#include "config/settings_store.h"
#include "jvm/class_path.h"
#include "jvm/option_paths.h"
#include "jvm/vm_parameters.h"
#include "support/files.h"
#include "support/messages.h"
#include "support/paths.h"
#include "support/text.h"
#include "support/trace.h"

namespace jl {

namespace {

constexpr wchar_t kListSeparator = os::kListSeparator;

#ifdef _WIN32
const wchar_t kPathVariable[] = L"Path";
#else
const wchar_t kPathVariable[] = L"PATH";
#endif

// Traces the options, unless their text may come from the embedded settings layer. On
// Windows they hold bytes of the thread's code page, read here as UTF-8: a character
// outside ASCII shows as U+FFFD (a '?' is one the code page could not represent).
void traceOptions(const std::vector<std::string>& options, bool hidden) {
    if (hidden) {
        trace(L"jvm", {"options: not shown (embedded settings)"});
        return;
    }
    for (const std::string& option : options) {
#ifdef _WIN32
        trace(L"jvm", {"option ", os::fromUtf8(option)});
#else
        trace(L"jvm", {"option ", option});
#endif
    }
}

// Appends the option in the text the virtual machine reads, its paths outside the code
// page given by their short names. A `required` option with a path that cannot be passed
// is reported, left out, and no option after it is added.
void appendOption(const std::wstring& option, JvmOptions& jvm, bool required = true) {
    if (jvm.unpassablePath) return;
    static const OptionCodePage codePage{&os::survivesThreadAnsi, &os::shortPathName};
    std::wstring unpassable;
    const std::wstring text = passableOption(option, codePage, unpassable);
    if (!unpassable.empty()) {
        if (traceEnabled()) trace(L"jvm", {"option path ", unpassable, " has no short name the code page holds"});
        if (required) {
            reportError(kMsgWindowsException, unpassable, os::kErrorNoUnicodeTranslation);
            jvm.unpassablePath = true;
            return;
        }
    }
    jvm.options.push_back(os::toThreadAnsi(text));
}

std::wstring pathReference() { return std::wstring(L"%") + kPathVariable + L"%"; }

// The runtime's own library folder. For C:\Java\jre\bin\client\jvm.dll it is
// C:\Java\jre\lib. On Linux the virtual machine lies in <home>/lib/server (or
// jre/lib/<arch>/server for old runtimes) and the folder above it holds the runtime's
// native libraries.
std::wstring runtimeLibraryFolder(const std::wstring& jvmLibraryPath) {
    const std::wstring vmParent = stripPathComponents(jvmLibraryPath, 2);
#ifdef _WIN32
    const size_t cut = vmParent.rfind(L'\\');
    return (cut == std::wstring::npos ? std::wstring() : vmParent.substr(0, cut + 1)) + L"lib";
#else
    return vmParent;
#endif
}

// The runtime's folder of executables, where Windows also finds the libraries the
// virtual machine depends on.
std::wstring runtimeBinaryFolder(const std::wstring& jvmLibraryPath) {
#ifdef _WIN32
    return stripPathComponents(jvmLibraryPath, 2);
#else
    return stripPathComponents(jvmLibraryPath, 3) + L"/bin";
#endif
}

}  // namespace

std::wstring composeLibraryPath(const std::wstring& libraryPath, const std::wstring& executableFolder,
                                const std::wstring& jvmLibraryPath) {
    std::wstring text = toPlatformPathList(libraryPath);
    // Without a separator between them the last configured folder and the executable's
    // folder would run together into one path that names neither.
    auto append = [&text](const std::wstring& entry) {
        if (!text.empty() && text.back() != kListSeparator) text += kListSeparator;
        text += entry;
    };
    if (!executableFolder.empty()) append(executableFolder);
    append(L".");
    append(pathReference());
    append(runtimeLibraryFolder(jvmLibraryPath));
    return text;
}

std::wstring composeSearchPath(const std::wstring& systemPath, const std::wstring& jvmLibraryPath) {
    std::wstring text = toPlatformPathList(systemPath);
    if (!text.empty() && text.back() != kListSeparator) text += kListSeparator;
    text += pathReference();
    text += kListSeparator;
    text += runtimeBinaryFolder(jvmLibraryPath);
    return text;
}

void prepareJvmEnvironment(const LaunchSettings& settings, const std::wstring& jvmLibraryPath, JvmOptions& jvm) {
    os::setEnvironment(L"KV_JVM_PATH", jvmLibraryPath);
    os::setEnvironment(L"KV_JVM_HOME", stripPathComponents(jvmLibraryPath, 3));

    if (!settings.libraryPath.empty()) {
        std::wstring executableFolder;
        if (!getModuleFolder(executableFolder)) executableFolder.clear();
        const std::wstring value =
            os::expandEnvironment(composeLibraryPath(settings.libraryPath, executableFolder, jvmLibraryPath));
        // It holds every folder of Path, most of which the program never needs: one that
        // cannot be passed stays as written rather than stopping the launch.
        appendOption(L"-Djava.library.path=" + value, jvm, false);
    }

    // Always set, so that the runtime's folder is the last one searched: the virtual
    // machine's own dependencies are found there when nothing earlier provides them.
    os::setEnvironment(kPathVariable, os::expandEnvironment(composeSearchPath(settings.systemPath, jvmLibraryPath)));
}

bool buildJvmOptionsFrom(LaunchSettings& settings, const std::wstring& executablePath,
                         const os::MemoryStatus& memory, JvmOptions& jvm, std::vector<std::wstring>& arguments) {
    const std::wstring classPath = buildClassPath(settings.classPath, settings.embeddedJar, executablePath);
    if (classPath.empty()) {
        reportError(kMsgClassPathMissing);
        // Without a class path nothing of this step takes effect, the redirection of the
        // standard streams included.
        settings.outputFile.clear();
        settings.outputAppend = false;
        settings.errorFile.clear();
        settings.errorAppend = false;
        return false;
    }

    std::vector<std::wstring> parameters{L"-Djava.class.path=" + classPath};
    for (const std::wstring& written : splitVmParameters(settings.vmParameters)) {
        std::wstring parameter = stripQuotePairs(written);
        if (isPercentageMemoryOption(parameter)) parameter = expandMemoryOption(parameter, memory);
        if (parameter.compare(0, 4, L"-Xss") == 0) jvm.javaThreadStackSize = parseStackSize(parameter.substr(4));
        parameters.push_back(parameter);
    }
    for (const std::wstring& parameter : parameters) {
        appendOption(os::expandEnvironment(parameter), jvm);
    }

    if (!settings.cmd.empty()) {
        for (std::wstring& argument : splitArguments(settings.cmd)) {
            if (!argument.empty()) arguments.push_back(std::move(argument));
        }
    }
    return true;
}

bool buildJvmOptions(LaunchSettings& settings, const std::wstring& /*jvmLibraryPath*/, JvmOptions& jvm,
                     std::vector<std::wstring>& arguments) {
    std::wstring settingsPath;
    if (!settingsFilePath(settingsPath)) return false;
    const SettingsStore store = SettingsStore::open(settingsPath);
    readJvmOptionSettings(store, settings);
    std::wstring executablePath;
    if (!getModulePath(executablePath)) executablePath.clear();
    const bool built = buildJvmOptionsFrom(settings, executablePath, os::memoryStatus(), jvm, arguments);
    if (traceEnabled()) traceOptions(jvm.options, store.hasEmbeddedLayer());
    return built;
}

}  // namespace jl
