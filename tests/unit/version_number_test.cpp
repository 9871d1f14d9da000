// Version numbers as the settings and the registry write them.
#include <gtest/gtest.h>

#include <string>

#include "os/os.h"
#include "runtime/version_number.h"
#include "support/messages.h"

namespace jl {
namespace {

constexpr int32_t F = kVersionFiller;

VersionNumber V(int32_t a, int32_t b, int32_t c, int32_t d) { return VersionNumber{{a, b, c, d}}; }

std::string show(const VersionNumber& v) {
    return std::to_string(v.parts[0]) + "." + std::to_string(v.parts[1]) + "." + std::to_string(v.parts[2]) + "." +
           std::to_string(v.parts[3]);
}

TEST(VersionNumberTest, ParsesLeniently) {
    // text, fill, parsed (0.0.0.0 and false when it is no version)
    const std::tuple<const wchar_t*, int32_t, VersionNumber> cases[] = {
        {L"1.8.0_151", 0, V(1, 8, 0, 151)}, {L"1.6.0_22-b04", 0, V(1, 6, 0, 22)}, {L"1.6", 0, V(1, 6, 0, 0)},
        {L"1.6", F, V(1, 6, F, F)}, {L"jdk1.7.0_80-b15", 0, V(1, 7, 0, 80)}, {L"10", F, V(10, F, F, F)},
        {L"1..8", 0, V(1, 8, 0, 0)}, {L" 1.7", 0, V(1, 7, 0, 0)}, {L"1.2.3.4.", 7, V(1, 2, 3, 4)},
        {L"007.08", 0, V(7, 8, 0, 0)},
        {L"1\u06612", 0, V(1, 2, 0, 0)},  // only ASCII digits count: ARABIC-INDIC ONE separates
        {L"2147483647", 0, V(2147483647, 0, 0, 0)}, {L"00000000002147483647.1", 0, V(2147483647, 1, 0, 0)},
        {L"1.2.3.4.99999999999", 0, V(1, 2, 3, 4)},  // a fifth group is never read
        {L"2147483648", 0, V(0, 0, 0, 0)}, {L"1.2.21474836470", F, V(0, 0, 0, 0)}, {L"", F, V(0, 0, 0, 0)},
        {L"any", F, V(0, 0, 0, 0)},
    };
    for (const auto& [text, fill, expected] : cases) {
        VersionNumber parsed = V(9, 9, 9, 9);
        EXPECT_EQ(parseVersion(text, fill, parsed), show(expected) != "0.0.0.0") << os::toUtf8(text);
        EXPECT_EQ(show(parsed), show(expected)) << os::toUtf8(text);
        EXPECT_EQ(show(parseVersion(text, fill)), show(expected)) << os::toUtf8(text);
    }
}

TEST(VersionNumberTest, ReadsConstraintSettings) {
    const std::tuple<const wchar_t*, VersionNumber, VersionNumber> cases[] = {
        {L"any", V(0, 0, 0, 0), V(F, F, F, F)}, {L"Any", V(0, 0, 0, 0), V(0, 0, 0, 0)},  // the exact keyword only
        {L"", V(0, 0, 0, 0), V(0, 0, 0, 0)}, {L"1.6", V(1, 6, 0, 0), V(1, 6, F, F)},
        {L"1.6.0.20", V(1, 6, 0, 20), V(1, 6, 0, 20)},
    };
    for (const auto& [text, minimum, maximum] : cases) {
        EXPECT_EQ(show(minimumVersionFromSetting(text)), show(minimum)) << os::toUtf8(text);
        EXPECT_EQ(show(maximumVersionFromSetting(text)), show(maximum)) << os::toUtf8(text);
    }
}

// Comparison is part by part as numbers; as a preference, only trailing zeros are
// wildcards (the 0 in the middle of 1.0.3 must match).
TEST(VersionNumberTest, ComparesAndMatchesPreferences) {
    // a, b, order, whether a matches the preferred version b
    const std::tuple<VersionNumber, VersionNumber, int, bool> cases[] = {
        {V(1, 10, 0, 0), V(1, 9, 0, 0), 1, false}, {V(1, 8, 0, 151), V(1, 8, 0, 151), 0, true},
        {V(1, 8, 0, 151), V(1, 8, 1, 0), -1, false}, {V(1, 8, 0, 151), V(1, 8, F, F), -1, false},
        {V(2, 0, 0, 0), V(1, F, F, F), 1, false}, {V(-1, 0, 0, 0), V(0, 0, 0, 0), -1, true},
        {V(1, 8, 0, 151), V(1, 8, 0, 0), 1, true}, {V(1, 8, 0, 152), V(1, 8, 0, 151), 1, false},
        {V(1, 9, 2, 3), V(1, 0, 0, 0), 1, true}, {V(2, 0, 0, 0), V(1, 0, 0, 0), 1, false},
        {V(1, 5, 3, 0), V(1, 0, 3, 0), 1, false}, {V(1, 0, 3, 9), V(1, 0, 3, 0), 1, true},
    };
    for (const auto& [a, b, order, matches] : cases) {
        EXPECT_EQ(compareVersions(a, b), order) << show(a) << " vs " << show(b);
        EXPECT_EQ(compareVersions(b, a), -order) << show(b) << " vs " << show(a);
        EXPECT_EQ(versionsEqual(a, b), order == 0) << show(a) << " vs " << show(b);
        EXPECT_EQ(matchesPreferredVersion(a, b), matches) << show(a) << " for " << show(b);
    }
}

TEST(VersionNumberTest, FormatsSignificantParts) {
    const std::pair<VersionNumber, const char*> cases[] = {
        {V(1, 8, 0, 0), "1.8"}, {V(1, 8, F, F), "1.8"}, {V(9, 0, 0, 0), "9.0"}, {V(17, F, F, F), "17.65535"},
        {V(17, 0, F, F), "17.0"}, {V(1, 8, 0, 151), "1.8.0.151"}, {V(1, 0, 0, 5), "1.0.0.5"},
        {V(1, F, 0, 3), "1.65535.0.3"}, {V(0, 0, 0, 0), "0.0.0.0"}, {V(F, F, F, F), "0.0.0.0"},
        {V(0, 0, 7, 0), "0.0.7"}, {V(2147483647, 1, 0, 0), "2147483647.1"},
    };
    for (const auto& [value, expected] : cases) EXPECT_EQ(os::toUtf8(formatVersion(value)), expected) << show(value);
}

// Only all zero or all filler is unbounded; an absent maximum is as open as "any".
TEST(VersionNumberTest, DescribesTheConstraint) {
    if (loadMessage(kMsgLatestVersion) != L"latest version") GTEST_SKIP() << "no English message table";
    EXPECT_FALSE(isUnboundedVersion(V(0, F, F, F)) || isUnboundedVersion(V(F, 0, 0, 0)));
    const std::tuple<VersionNumber, VersionNumber, const char*> cases[] = {
        {V(0, 0, 0, 0), V(F, F, F, F), "latest version"}, {V(0, 0, 0, 0), V(0, 0, 0, 0), "latest version"},
        {V(0, 0, 0, 0), V(1, 8, F, F), "maximum version 1.8"}, {V(1, 6, 0, 0), V(F, F, F, F), "minimum version 1.6"},
        {V(0, 0, 0, 1), V(F, F, F, F), "minimum version 0.0.0.1"},
        {V(1, 6, 0, 0), V(1, 6, F, F), "version between 1.6 and 1.6"},
        {V(1, 6, 0, 0), V(1, 8, 0, 5), "version between 1.6 and 1.8.0.5"},
        {V(1, 6, 0, 20), V(1, 6, 0, 20), "version 1.6.0.20 is required"},
        {V(11, 0, 0, 0), V(17, F, F, F), "version between 11.0 and 17.65535"},
    };
    for (const auto& [minimum, maximum, expected] : cases) {
        EXPECT_EQ(os::toUtf8(describeVersionConstraint(minimum, maximum)), expected) << show(minimum) << " .. " << show(maximum);
    }
}

}  // namespace
}  // namespace jl
