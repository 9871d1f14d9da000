#include "config/settings_store.h"

#include "support/trace.h"

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

namespace {

// Where a value came from, for the trace. The embedded layer's own text is never shown:
// the product keeps it out of plain sight.
void traceRead(const std::wstring& section, const std::wstring& key, const std::wstring& fileValue,
               bool fromEmbedded, const std::wstring& extension) {
    const std::wstring name = L"[" + section + L"] " + key;
    if (!fileValue.empty()) {
        trace(L"settings", {name, " = ", traceQuoted(fileValue), " (settings file)"});
    } else if (fromEmbedded && !extension.empty()) {
        trace(L"settings", {name, ": the embedded value (not shown), extended by [", section, "+] ",
                            traceQuoted(extension)});
    } else if (fromEmbedded) {
        trace(L"settings", {name, ": the embedded value (not shown)"});
    } else if (!extension.empty()) {
        trace(L"settings", {name, " = ", traceQuoted(extension), " (settings file, [", section, "+])"});
    } else {
        trace(L"settings", {name, ": not set"});
    }
}

}  // namespace

std::wstring SettingsStore::readString(const std::wstring& section, const std::wstring& key) const {
    std::wstring result;
    const bool fromEmbedded = embedded_.find(section, key, result) && !result.empty();
    if (!fromEmbedded) result.clear();
    std::wstring fileValue = file_.readString(section, key);
    std::wstring extension;
    if (fileValue.empty()) extension = file_.readString(section + L"+", key);
    if (traceEnabled()) traceRead(section, key, fileValue, fromEmbedded, extension);
    if (!fileValue.empty()) return fileValue;
    if (!extension.empty()) {
        if (extension.front() != L' ') result += L' ';
        result += extension;
    }
    return result;
}

}  // namespace jl
