// The version information of an executable (VS_VERSIONINFO): the fixed numeric part,
// one string table and the translation it is listed under.
#pragma once

#include "byte_io.h"
#include "resource_tree.h"

#include <string>
#include <utility>
#include <vector>

namespace jlpack {

struct VersionInfo {
    uint16_t fileVersion[4] = {0, 0, 0, 0};
    uint16_t productVersion[4] = {0, 0, 0, 0};
    std::vector<std::pair<std::u16string, std::u16string>> strings;  // in the order given
};

// Whether NAME is a text jlpack writes into the string table.
bool isVersionName(const std::wstring& name);
// "1", "1.2", "1.2.3" or "1.2.3.4", each part 0..65535, optionally followed by a text
// that starts with a blank, "-" or "+" ("2.1.0-beta"); missing parts are zero.
[[nodiscard]] bool parseVersionNumber(const std::wstring& text, uint16_t parts[4]);

// The resource bytes, the string table listed for `language` (US English when neutral)
// in the Unicode code page.
Bytes buildVersionResource(const VersionInfo& info, uint16_t language);
// The fixed part and the first string table; false for bytes that are no version
// information.
[[nodiscard]] bool readVersionResource(const Bytes& resource, VersionInfo& info);

// Replaces the launcher's version information, in each language it has it (language
// neutral when it has none).
void setVersion(ResourceTree& tree, const VersionInfo& info);

}  // namespace jlpack
