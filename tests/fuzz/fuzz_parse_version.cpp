// The version parser on arbitrary text, against a plain model of its rules, and the
// operations on the values it produces.
#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "runtime/version_number.h"

namespace {

bool isDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

// The first four runs of ASCII digits; false when one of them exceeds 2147483647.
bool modelGroups(const std::wstring& text, int64_t (&groups)[4], int& count) {
    count = 0;
    size_t i = 0;
    while (i < text.size() && count < 4) {
        if (!isDigit(text[i])) {
            ++i;
            continue;
        }
        int64_t value = 0;
        bool tooLarge = false;
        for (; i < text.size() && isDigit(text[i]); ++i) {
            value = value * 10 + (text[i] - L'0');
            if (value > INT32_MAX) {
                tooLarge = true;
                value = INT32_MAX;  // keep going to the end of the run without overflow
            }
        }
        if (tooLarge) return false;
        groups[count++] = value;
    }
    return true;
}

bool same(const jl::VersionNumber& a, const jl::VersionNumber& b) {
    for (int i = 0; i < 4; ++i) {
        if (a.parts[i] != b.parts[i]) return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::wstring text = fuzzText(data, size);
    jl::VersionNumber low, high;
    const bool ok = jl::parseVersion(text, 0, low);
    FUZZ_CHECK(jl::parseVersion(text, jl::kVersionFiller, high) == ok);

    int64_t groups[4] = {0, 0, 0, 0};
    int count = 0;
    const bool modelOk = modelGroups(text, groups, count) && count > 0;
    FUZZ_CHECK(ok == modelOk);
    if (!ok) {
        FUZZ_CHECK(same(low, jl::VersionNumber{}) && same(high, jl::VersionNumber{}));
        return 0;
    }
    for (int i = 0; i < 4; ++i) {
        FUZZ_CHECK(low.parts[i] == (i < count ? groups[i] : 0));
        FUZZ_CHECK(high.parts[i] == (i < count ? groups[i] : jl::kVersionFiller));
    }

    // The filler only raises a value, and the read parts still match it as a preference.
    FUZZ_CHECK(jl::compareVersions(low, high) <= 0);
    FUZZ_CHECK(jl::compareVersions(high, low) == -jl::compareVersions(low, high));
    FUZZ_CHECK(jl::versionsEqual(low, high) == (jl::compareVersions(low, high) == 0));
    FUZZ_CHECK(jl::matchesPreferredVersion(high, low));
    FUZZ_CHECK(jl::matchesPreferredVersion(low, jl::VersionNumber{}));

    // The text form parses back to the value, unless a filler part was dropped from it.
    bool hasFiller = false;
    for (int32_t part : low.parts) hasFiller = hasFiller || part == jl::kVersionFiller;
    if (!hasFiller) {
        jl::VersionNumber again;
        FUZZ_CHECK(jl::parseVersion(jl::formatVersion(low), 0, again));
        FUZZ_CHECK(same(again, low));
    }
    FUZZ_CHECK(!jl::describeVersionConstraint(low, high).empty());
    return 0;
}
