#include "core/single_instance.h"

#include "config/launch_settings.h"
#include "config/settings_paths.h"
#include "config/settings_store.h"
#include "os/os.h"
#include "support/files.h"
#include "support/trace.h"

namespace jl {

std::wstring instanceNameFor(const std::wstring& executablePath) {
    std::wstring name = executablePath;
    for (wchar_t& c : name) {
        if (c == os::kPathSeparator) c = L'_';
    }
    return name;
}

bool singleInstanceApplies(bool isService, const std::wstring& singleInstanceValue) {
    return !isService && singleInstanceValue == L"yes";
}

bool SingleInstance::setup(const LaunchSettings& settings, const std::vector<std::wstring>& arguments) {
    std::wstring settingsPath;
    if (!settingsFilePath(settingsPath)) return false;
    const SettingsStore store = SettingsStore::open(settingsPath, settings.upgradeCode);
    const std::wstring value = store.readString(L"Application", L"Single Instance");
    if (!singleInstanceApplies(settings.isService, value)) {
        if (traceEnabled() && settings.isService && value == L"yes") {
            trace(L"instance", {L"a service runs without single instance"});
        }
        return true;
    }
    std::wstring executablePath;
    if (!getModulePath(executablePath)) return true;
    bool leftOut = false;
    for (size_t i = 1; i < arguments.size(); ++i) leftOut = leftOut || arguments[i].empty();
    if (leftOut && traceEnabled()) trace(L"instance", {L"empty arguments after the first are left out of a hand-over"});
    return claimOrHandOver(instanceNameFor(executablePath), arguments);
}

void SingleInstance::becomeFirstInstance(const std::wstring& instanceName) {
    if (!startListening(instanceName)) {
        releaseChannel();
        if (traceEnabled()) trace(L"instance", {L"the first instance cannot listen: single instance is off"});
        return;
    }
    active_ = true;
    first_ = true;
    if (traceEnabled()) trace(L"instance", {L"first instance of ", instanceName});
}

}  // namespace jl
