#include "config/settings_store.h"

namespace jl {

SettingsStore SettingsStore::open(const std::wstring& settingsPath) {
    IniFile file(settingsPath);
    std::wstring upgradeCode = file.readString(L"Product Information", L"Upgrade Code");
    return open(settingsPath, upgradeCode);
}

SettingsStore SettingsStore::open(const std::wstring& settingsPath, const std::wstring& upgradeCode) {
    return SettingsStore(IniFile(settingsPath),
                         EmbeddedSettings::parse(loadEmbeddedSettingsText(upgradeCode)));
}

std::wstring SettingsStore::readString(const std::wstring& section, const std::wstring& key) const {
    std::wstring result;
    if (!embedded_.find(section, key, result)) result.clear();
    std::wstring fileValue = file_.readString(section, key);
    if (!fileValue.empty()) return fileValue;
    std::wstring extension = file_.readString(section + L"+", key);
    if (!extension.empty()) {
        if (extension.front() != L' ') result += L' ';
        result += extension;
    }
    return result;
}

}  // namespace jl
