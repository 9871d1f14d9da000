// Version numbers of Java runtimes: the lenient parser used for settings values and
// registry key names, the ordering, the preferred-version match and the text forms.
#pragma once

#include <cstdint>
#include <string>

namespace jl {

// Four signed parts, most significant first. 0.0.0.0 is the empty value (no minimum);
// kVersionFiller fills the unwritten parts of an upper bound, so a maximum of 1.6 is
// 1.6.65535.65535 and every 1.6 release compares below it.
struct VersionNumber {
    int32_t parts[4] = {0, 0, 0, 0};
};

constexpr int32_t kVersionFiller = 65535;

constexpr VersionNumber kNoMinimumVersion = {{0, 0, 0, 0}};
constexpr VersionNumber kNoMaximumVersion = {{kVersionFiller, kVersionFiller, kVersionFiller, kVersionFiller}};

// Every run of characters other than the ASCII digits separates numbers; at most four
// groups are read and the parts after the last one read get `fill`. `version` is always
// written: on failure (empty text, no digit, a part above 2147483647) it is 0.0.0.0 and
// the fill is not applied. Callers that only want the value may ignore the result.
bool parseVersion(const std::wstring& text, int32_t fill, VersionNumber& version);
VersionNumber parseVersion(const std::wstring& text, int32_t fill);

// The values of the "Minimum Version" and "Maximum Version" settings: the exact text
// "any" (case included) is the open bound, anything else is parsed, with fill 0 for the
// minimum and kVersionFiller for the maximum. An absent value (empty text) is 0.0.0.0 for
// both.
VersionNumber minimumVersionFromSetting(const std::wstring& text);
VersionNumber maximumVersionFromSetting(const std::wstring& text);

// -1, 0 or +1, comparing the parts in order as signed integers.
int compareVersions(const VersionNumber& a, const VersionNumber& b);
bool versionsEqual(const VersionNumber& a, const VersionNumber& b);

// Trailing zero parts of `preferred` are wildcards: 1.8 matches every 1.8.x.y, and
// 0.0.0.0 matches anything.
bool matchesPreferredVersion(const VersionNumber& candidate, const VersionNumber& preferred);

// All parts 0 or all parts 65535: an open bound, whichever end it is used for.
bool isUnboundedVersion(const VersionNumber& version);

// "1.8", "9.0", "1.8.0.151": the parts up to the last one that is neither 0 nor 65535,
// at least two of them; "0.0.0.0" when every part is 0 or 65535.
std::wstring formatVersion(const VersionNumber& version);

// The clause that says which runtime version is needed ("latest version", "minimum
// version 1.6", "version between 1.6 and 1.8", ...) in the message table's language.
std::wstring describeVersionConstraint(const VersionNumber& minimum, const VersionNumber& maximum);

}  // namespace jl
