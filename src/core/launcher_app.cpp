#include "core/launcher_app.h"

#include "config/settings_paths.h"
#include "os/os.h"
#include "support/files.h"
#include "support/messages.h"
#include "support/text.h"
#include "support/trace.h"

namespace jl {

namespace {
LauncherApp* currentApp = nullptr;
}

LauncherApp::LauncherApp() { currentApp = this; }

LauncherApp::~LauncherApp() {
    if (currentApp == this) currentApp = nullptr;
}

LauncherApp* LauncherApp::instance() { return currentApp; }

std::vector<std::wstring> argumentsFromCommandLine(const std::wstring& commandLine) {
    std::vector<std::wstring> list = splitArguments(trimWhitespace(commandLine));
    if (!list.empty()) list.erase(list.begin());
    return list;
}

std::wstring workingFolderOf(const std::wstring& executablePath) {
    size_t separator = executablePath.rfind(os::kPathSeparator);
    if (separator == std::wstring::npos) return {};
#ifdef _WIN32
    if (separator == 0) return {};
    std::wstring folder = executablePath.substr(0, separator);
    if (folder.size() == 2 && folder[1] == L':') folder += L'\\';
    return folder;
#else
    return separator == 0 ? L"/" : executablePath.substr(0, separator);
#endif
}

bool hasNoSplashSwitch(const std::vector<std::wstring>& arguments) {
    for (const std::wstring& argument : arguments) {
        if (argument == L"-nosplash" || argument == L"/nosplash") return true;
    }
    return false;
}

bool LauncherApp::init() {
    if (!os::argumentVector(arguments)) arguments = argumentsFromCommandLine(os::commandLine());
    if (!readLaunchSettings(settings)) return false;
    if (!singleInstance.setup(settings, arguments)) return false;
    // A second instance only waits for the first one's reply.
    if (singleInstance.isSecondInstance()) return true;
    if (settings.overrideWorkingDir) {
        std::wstring executable;
        if (getModulePath(executable)) {
            std::wstring folder = workingFolderOf(executable);
            if (!folder.empty()) (void)os::setCurrentDirectory(folder);
        }
    }
    return findRuntime(settings, runtime);
}

int LauncherApp::runPairedLauncher() {
    uint32_t exitCode = 0;
    uint32_t error = 0;
    if (!os::startProcessWithOwnCommandLine(settings.pairProduct, settings.pairReturnCode, exitCode, error)) {
        // A paired launcher that cannot start is a failed launch, not a success.
        reportError(kMsgWindowsException, settings.pairProduct, error);
        return -1;
    }
    return settings.pairReturnCode ? static_cast<int>(exitCode) : 0;
}

int LauncherApp::run() {
    if (runtime.startPairedLauncher) {
        // This process hosts no Java and never serves a forwarded launch: later starts
        // become first instances themselves and reach the paired launcher's own.
        singleInstance.teardown();
        return runPairedLauncher();
    }
    if (singleInstance.isSecondInstance()) return singleInstance.waitForFirstInstanceReply();

    prepareJvmEnvironment(settings, runtime.jvmLibraryPath, jvm);
    // A path the virtual machine cannot be given has been reported: a virtual machine
    // started without it would not find the application.
    if (jvm.unpassablePath) return -1;
    // The runtime's own folder serves its libraries' dependencies from the first one
    // loaded on (the native splash comes before the JVM).
    useRuntimeLibraryFolder(runtime.jvmLibraryPath);
    if (!hasNoSplashSwitch(arguments)) {
        std::wstring settingsPath;
        if (settingsFilePath(settingsPath)) splash.start(settingsPath, runtime.jvmLibraryPath, settings);
    }
    if (!host.loadJvmLibrary(runtime.jvmLibraryPath)) return -1;
    // A false result has been reported; the virtual machine still starts without them.
    (void)buildJvmOptions(settings, runtime.jvmLibraryPath, jvm, arguments);
    if (jvm.unpassablePath) return -1;
    std::wstring executable;
    if (settings.classDataCache && getModulePath(executable)) {
        classDataCache.prepare(settings, runtime, executable, jvm);
    }

    JavaLaunch launch;
    launch.mainClass = settings.mainClass;
    launch.arguments = arguments;
    launch.failureCheck = settings.failureCheck;
    launch.keepThreadInVm = runtime.ibmFamily;
    launch.settings = &settings;
    launch.mainStarting = [] {
        LauncherApp* app = LauncherApp::instance();
        if (!app) return;
        app->classDataCache.reportRuntimeUse();
        app->singleInstance.mainStarting(app->host.javaVm(), app->settings.mainClass, app->runtime.ibmFamily);
    };
    launch.closeSplashWindow = closeLauncherSplashWindow;
    const int javaThreadResult = host.runJavaThread(launch, jvm);
    // The virtual machine has ended: a training launch completes its cache now.
    classDataCache.finish();
    if (javaThreadResult != 0) {
        splash.closeNativeSplash();
        return -1;
    }
    return 0;
}

void LauncherApp::term() {
    splash.closeSplashWindow();
    host.destroyJavaVm();
    singleInstance.teardown();
    singleInstance.closeMainStartedEvent();
    splash.closeNativeSplash();
    arguments.clear();
    jvm = JvmOptions{};
}

int runLauncher() {
    LauncherApp app;
    os::initMainThread();
    int exitCode = -1;
    if (app.init()) exitCode = app.run();
    app.term();
    if (traceEnabled()) trace(L"launch", {"exit code ", decimalText(exitCode)});
    return exitCode;
}

}  // namespace jl
