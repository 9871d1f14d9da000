// The settings layer carried inside the executable. Its text is INI-like, with lines
// ending in CR LF; values found here are overridden or extended by the settings file
// beside the executable.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace jl {

class EmbeddedSettings {
public:
    struct Section {
        std::wstring name;
        std::vector<std::pair<std::wstring, std::wstring>> entries;
    };

    // Duplicate sections and duplicate keys are kept in their order.
    static EmbeddedSettings parse(const std::wstring& text);

    // First section named `section`, first key `key` in it; names compared exactly.
    // False, with `value` untouched, when that section lacks the key, even when a later
    // section of the same name has it.
    [[nodiscard]] bool find(const std::wstring& section, const std::wstring& key,
                            std::wstring& value) const;

    const std::vector<Section>& sections() const { return sections_; }

private:
    std::vector<Section> sections_;
};

// Resource ids: the settings text, and the key text it is enciphered with.
constexpr unsigned kEmbeddedSettingsResourceId = 8000;
constexpr unsigned kEmbeddedKeyResourceId = 9000;

// The embedded layer's text for this executable: empty when either resource is missing
// or cannot be deciphered with the given upgrade code.
std::wstring loadEmbeddedSettingsText(const std::wstring& upgradeCode);

}  // namespace jl
