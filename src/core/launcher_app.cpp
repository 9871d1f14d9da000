#include "core/launcher_app.h"

#include "os/os.h"
#include "support/text.h"

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

bool LauncherApp::init() {
    if (!os::argumentVector(arguments)) arguments = argumentsFromCommandLine(os::commandLine());
    if (!readLaunchSettings(settings)) return false;
    // Finding a runtime comes next; until it exists no launch can go further.
    return false;
}

int LauncherApp::run() { return -1; }

void LauncherApp::term() {
    arguments.clear();
    jvmLibraryPath.clear();
}

int runLauncher() {
    LauncherApp app;
    os::initMainThread();
    int exitCode = -1;
    if (app.init()) exitCode = app.run();
    app.term();
    return exitCode;
}

}  // namespace jl
