#include "config/embedded_settings.h"

#include "config/embedded_cipher.h"
#include "os/os.h"
#include "support/text.h"

#include <cstdint>

namespace jl {
namespace {

// A header is recognised with control characters and blanks ignored at both ends, but
// its name is taken between the brackets without any trimming.
bool isBlankOrControl(wchar_t c) { return static_cast<uint32_t>(c) <= 0x20; }

bool parseSectionHeader(const std::wstring& line, std::wstring& name) {
    size_t first = 0;
    size_t last = line.size();
    while (first < last && isBlankOrControl(line[first])) ++first;
    while (last > first && isBlankOrControl(line[last - 1])) --last;
    if (last - first < 2 || line[first] != L'[' || line[last - 1] != L']') return false;
    name = line.substr(first + 1, last - first - 2);
    return true;
}

}  // namespace

EmbeddedSettings EmbeddedSettings::parse(const std::wstring& text) {
    EmbeddedSettings settings;
    std::vector<std::wstring> lines = splitAtDelimiter(text, L"\r\n");
    if (!lines.empty() && !lines.front().empty() && lines.front().front() == L'\xFEFF') {
        lines.front().erase(0, 1);
    }
    for (const std::wstring& line : lines) {
        if (line.empty()) continue;
        std::wstring name;
        if (parseSectionHeader(line, name)) {
            settings.sections_.push_back(Section{std::move(name), {}});
            continue;
        }
        if (settings.sections_.empty()) continue;
        const size_t equals = line.find(L'=');
        if (equals == std::wstring::npos) continue;
        settings.sections_.back().entries.emplace_back(trimWhitespace(line.substr(0, equals)),
                                                       trimWhitespace(line.substr(equals + 1)));
    }
    return settings;
}

bool EmbeddedSettings::find(const std::wstring& section, const std::wstring& key,
                            std::wstring& value) const {
    for (const Section& candidate : sections_) {
        if (candidate.name != section) continue;
        for (const auto& entry : candidate.entries) {
            if (entry.first == key) {
                value = entry.second;
                return true;
            }
        }
        return false;
    }
    return false;
}

std::wstring loadEmbeddedSettingsText(const std::wstring& upgradeCode) {
    std::vector<uint8_t> keyResource;
    std::vector<uint8_t> settingsResource;
    if (!os::loadDataResource(kEmbeddedKeyResourceId, keyResource) ||
        !os::loadDataResource(kEmbeddedSettingsResourceId, settingsResource)) {
        return std::wstring();
    }
    std::wstring keyText;
    std::wstring settingsText;
    if (!decipherResource(upgradeCode, keyResource, keyText) ||
        !decipherResource(keyText, settingsResource, settingsText)) {
        return std::wstring();
    }
    return settingsText;
}

}  // namespace jl
