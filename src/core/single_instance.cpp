#include "core/single_instance.h"

#include "config/launch_settings.h"
#include "config/settings_paths.h"
#include "config/settings_store.h"
#include "core/instance_arguments.h"
#include "os/os.h"
#include "support/files.h"
#include "support/text.h"
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
    size_t leftOut = 0;
    const std::vector<std::wstring> forwarded = forwardableArguments(arguments, leftOut);
    if (leftOut != 0 && traceEnabled()) {
        trace(L"instance", {decimalText(static_cast<long long>(leftOut)),
                            L" empty argument(s) after the first cannot travel to a first instance: left out of a hand-over"});
    }
    return claimOrHandOver(instanceNameFor(executablePath), forwarded);
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
