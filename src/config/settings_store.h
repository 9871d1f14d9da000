// The layered settings reader: the settings file beside the executable over the
// settings layer embedded in the executable.
#pragma once

#include <string>

#include "config/embedded_settings.h"
#include "config/ini_file.h"

namespace jl {

class SettingsStore {
public:
    SettingsStore(IniFile file, EmbeddedSettings embedded)
        : file_(std::move(file)), embedded_(std::move(embedded)) {}

    // The store of a settings file, its embedded layer keyed by the file's own
    // "Upgrade Code".
    static SettingsStore open(const std::wstring& settingsPath);
    // The same when the caller has read the upgrade code already.
    static SettingsStore open(const std::wstring& settingsPath, const std::wstring& upgradeCode);

    // A non-empty value of the file replaces the embedded one; otherwise the value of
    // the section named `section` + "+" extends it, after one space.
    std::wstring readString(const std::wstring& section, const std::wstring& key) const;

    // Whether the executable carries an embedded layer that could be read.
    bool hasEmbeddedLayer() const { return !embedded_.sections().empty(); }

private:
    IniFile file_;
    EmbeddedSettings embedded_;
};

}  // namespace jl
