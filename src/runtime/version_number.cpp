#include "runtime/version_number.h"

#include "support/messages.h"
#include "support/text.h"

namespace jl {
namespace {

constexpr int64_t kLargestPart = 2147483647;

bool isDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

size_t findDigit(const std::wstring& text, size_t from) {
    for (size_t i = from; i < text.size(); ++i) {
        if (isDigit(text[i])) return i;
    }
    return std::wstring::npos;
}

bool isFillerOrZero(int32_t part) { return part == 0 || part == kVersionFiller; }

}  // namespace

bool parseVersion(const std::wstring& text, int32_t fill, VersionNumber& version) {
    version = VersionNumber{};
    size_t pos = findDigit(text, 0);
    if (pos == std::wstring::npos) return false;

    VersionNumber parsed;
    int k = 0;
    for (;;) {
        int64_t part = 0;
        for (; pos < text.size() && isDigit(text[pos]); ++pos) {
            part = part * 10 + (text[pos] - L'0');
            if (part > kLargestPart) return false;
        }
        parsed.parts[k] = static_cast<int32_t>(part);
        pos = findDigit(text, pos);
        if (pos == std::wstring::npos || k == 3) break;
        ++k;
    }
    for (int i = k + 1; i < 4; ++i) parsed.parts[i] = fill;
    version = parsed;
    return true;
}

VersionNumber parseVersion(const std::wstring& text, int32_t fill) {
    VersionNumber version;
    (void)parseVersion(text, fill, version);
    return version;
}

VersionNumber minimumVersionFromSetting(const std::wstring& text) {
    if (text == L"any") return kNoMinimumVersion;
    return parseVersion(text, 0);
}

VersionNumber maximumVersionFromSetting(const std::wstring& text) {
    if (text == L"any") return kNoMaximumVersion;
    return parseVersion(text, kVersionFiller);
}

int compareVersions(const VersionNumber& a, const VersionNumber& b) {
    for (int i = 0; i < 4; ++i) {
        if (a.parts[i] < b.parts[i]) return -1;
        if (a.parts[i] > b.parts[i]) return 1;
    }
    return 0;
}

bool versionsEqual(const VersionNumber& a, const VersionNumber& b) { return compareVersions(a, b) == 0; }

bool matchesPreferredVersion(const VersionNumber& candidate, const VersionNumber& preferred) {
    if (versionsEqual(candidate, preferred)) return true;
    int significant = 4;
    while (significant > 0 && preferred.parts[significant - 1] == 0) --significant;
    for (int i = 0; i < significant; ++i) {
        if (candidate.parts[i] != preferred.parts[i]) return false;
    }
    return true;
}

bool isUnboundedVersion(const VersionNumber& version) {
    return versionsEqual(version, kNoMinimumVersion) || versionsEqual(version, kNoMaximumVersion);
}

std::wstring formatVersion(const VersionNumber& version) {
    int last = 3;
    while (last >= 0 && isFillerOrZero(version.parts[last])) --last;
    if (last < 0) return L"0.0.0.0";
    // At least two parts, printed as they are: a maximum of "17" reads "17.65535", which
    // says that every 17.x is allowed.
    if (last < 1) last = 1;
    std::wstring text = decimalText(version.parts[0]);
    for (int i = 1; i <= last; ++i) text += L'.' + decimalText(version.parts[i]);
    return text;
}

std::wstring describeVersionConstraint(const VersionNumber& minimum, const VersionNumber& maximum) {
    const bool noMinimum = isUnboundedVersion(minimum);
    const bool noMaximum = isUnboundedVersion(maximum);
    if (noMinimum && noMaximum) return loadMessage(kMsgLatestVersion);
    if (noMinimum) return formatMessageText(loadMessage(kMsgMaximumVersion), {formatVersion(maximum)});
    if (noMaximum) return formatMessageText(loadMessage(kMsgMinimumVersion), {formatVersion(minimum)});
    if (versionsEqual(minimum, maximum)) {
        return formatMessageText(loadMessage(kMsgExactVersion), {formatVersion(minimum)});
    }
    return formatMessageText(loadMessage(kMsgVersionBetween), {formatVersion(minimum), formatVersion(maximum)});
}

}  // namespace jl
