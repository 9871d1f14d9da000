// Version numbers as the settings and the registry write them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "os/os.h"
#include "runtime/version_number.h"
#include "support/messages.h"

namespace jl {
namespace {

constexpr int32_t F = kVersionFiller;

VersionNumber V(int32_t a, int32_t b, int32_t c, int32_t d) { return VersionNumber{{a, b, c, d}}; }

std::string show(const VersionNumber& v) {
    return std::to_string(v.parts[0]) + "." + std::to_string(v.parts[1]) + "." + std::to_string(v.parts[2]) +
           "." + std::to_string(v.parts[3]);
}

TEST(VersionNumberTest, ParsesLeniently) {
    struct Case {
        std::wstring text;
        int32_t fill;
        bool ok;
        VersionNumber expected;
    };
    const std::vector<Case> cases = {
        {L"1.8.0_151", 0, true, V(1, 8, 0, 151)}, {L"1.6.0_22-b04", 0, true, V(1, 6, 0, 22)},
        {L"1.6", 0, true, V(1, 6, 0, 0)}, {L"1.6", F, true, V(1, 6, F, F)},
        {L"jdk1.7.0_80-b15", 0, true, V(1, 7, 0, 80)}, {L"10", F, true, V(10, F, F, F)},
        {L"1..8", 0, true, V(1, 8, 0, 0)}, {L" 1.7", 0, true, V(1, 7, 0, 0)}, {L"1.2.3.4.", 7, true, V(1, 2, 3, 4)},
        {L"007.08", 0, true, V(7, 8, 0, 0)},
        // Only ASCII digits count: ARABIC-INDIC DIGIT ONE separates like a letter.
        {L"1\u06612", 0, true, V(1, 2, 0, 0)}, {L"2147483647", 0, true, V(2147483647, 0, 0, 0)},
        {L"00000000002147483647.1", 0, true, V(2147483647, 1, 0, 0)},
        // A fifth group is never read, so even an overflowing one is harmless.
        {L"1.2.3.4.99999999999", 0, true, V(1, 2, 3, 4)}, {L"2147483648", 0, false, V(0, 0, 0, 0)},
        {L"1.2.21474836470", F, false, V(0, 0, 0, 0)}, {L"", F, false, V(0, 0, 0, 0)},
        {L"any", F, false, V(0, 0, 0, 0)}, {L"abc", 0, false, V(0, 0, 0, 0)},
    };
    for (const Case& c : cases) {
        VersionNumber parsed = V(9, 9, 9, 9);
        const bool ok = parseVersion(c.text, c.fill, parsed);
        EXPECT_EQ(c.ok, ok) << os::toUtf8(c.text);
        EXPECT_EQ(show(c.expected), show(parsed)) << os::toUtf8(c.text);
        EXPECT_EQ(show(c.expected), show(parseVersion(c.text, c.fill))) << os::toUtf8(c.text);
    }
}

TEST(VersionNumberTest, ReadsConstraintSettings) {
    struct Case {
        std::wstring text;
        VersionNumber minimum;
        VersionNumber maximum;
    };
    const std::vector<Case> cases = {
        {L"any", V(0, 0, 0, 0), V(F, F, F, F)},
        {L"Any", V(0, 0, 0, 0), V(0, 0, 0, 0)},  // not the exact keyword, and no digit
        {L"", V(0, 0, 0, 0), V(0, 0, 0, 0)}, {L"1.6", V(1, 6, 0, 0), V(1, 6, F, F)},
        {L"1.6.0.20", V(1, 6, 0, 20), V(1, 6, 0, 20)},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(show(c.minimum), show(minimumVersionFromSetting(c.text))) << os::toUtf8(c.text);
        EXPECT_EQ(show(c.maximum), show(maximumVersionFromSetting(c.text))) << os::toUtf8(c.text);
    }
}

// Comparison is part by part as numbers; as a preference, only trailing zeros are
// wildcards (the 0 in the middle of 1.0.3 must match).
TEST(VersionNumberTest, ComparesAndMatchesPreferences) {
    struct Case {
        VersionNumber a, b;
        int order;
        bool matches;  // a for the preferred version b
    };
    const std::vector<Case> cases = {
        {V(1, 10, 0, 0), V(1, 9, 0, 0), 1, false}, {V(1, 8, 0, 151), V(1, 8, 0, 151), 0, true},
        {V(1, 8, 0, 151), V(1, 8, 1, 0), -1, false}, {V(1, 8, 0, 151), V(1, 8, F, F), -1, false},
        {V(2, 0, 0, 0), V(1, F, F, F), 1, false}, {V(-1, 0, 0, 0), V(0, 0, 0, 0), -1, true},
        {V(1, 8, 0, 151), V(1, 8, 0, 0), 1, true}, {V(1, 8, 0, 152), V(1, 8, 0, 151), 1, false},
        {V(1, 9, 2, 3), V(1, 0, 0, 0), 1, true}, {V(2, 0, 0, 0), V(1, 0, 0, 0), 1, false},
        {V(1, 5, 3, 0), V(1, 0, 3, 0), 1, false}, {V(1, 0, 3, 9), V(1, 0, 3, 0), 1, true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.order, compareVersions(c.a, c.b)) << show(c.a) << " vs " << show(c.b);
        EXPECT_EQ(-c.order, compareVersions(c.b, c.a)) << show(c.b) << " vs " << show(c.a);
        EXPECT_EQ(c.order == 0, versionsEqual(c.a, c.b)) << show(c.a) << " vs " << show(c.b);
        EXPECT_EQ(c.matches, matchesPreferredVersion(c.a, c.b)) << show(c.a) << " for " << show(c.b);
    }
}

TEST(VersionNumberTest, FormatsSignificantParts) {
    struct Case {
        VersionNumber value;
        std::wstring expected;
    };
    const std::vector<Case> cases = {
        {V(1, 8, 0, 0), L"1.8"}, {V(1, 8, F, F), L"1.8"}, {V(9, 0, 0, 0), L"9.0"},
        {V(17, F, F, F), L"17.65535"}, {V(17, 0, F, F), L"17.0"}, {V(1, 8, 0, 151), L"1.8.0.151"}, {V(1, 0, 0, 5), L"1.0.0.5"},
        {V(1, F, 0, 3), L"1.65535.0.3"}, {V(0, 0, 0, 0), L"0.0.0.0"}, {V(F, F, F, F), L"0.0.0.0"},
        {V(0, 0, 7, 0), L"0.0.7"}, {V(2147483647, 1, 0, 0), L"2147483647.1"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(os::toUtf8(c.expected), os::toUtf8(formatVersion(c.value))) << show(c.value);
    }
}

// Only all zero or all filler is unbounded; an absent maximum is as open as "any".
TEST(VersionNumberTest, DescribesTheConstraint) {
    if (loadMessage(kMsgLatestVersion) != L"latest version") GTEST_SKIP() << "no English message table";
    EXPECT_FALSE(isUnboundedVersion(V(0, F, F, F)));
    EXPECT_FALSE(isUnboundedVersion(V(F, 0, 0, 0)));
    struct Case {
        VersionNumber minimum, maximum;
        const wchar_t* expected;
    };
    const std::vector<Case> cases = {
        {V(0, 0, 0, 0), V(F, F, F, F), L"latest version"}, {V(0, 0, 0, 0), V(0, 0, 0, 0), L"latest version"},
        {V(0, 0, 0, 0), V(1, 8, F, F), L"maximum version 1.8"}, {V(1, 6, 0, 0), V(F, F, F, F), L"minimum version 1.6"},
        {V(0, 0, 0, 1), V(F, F, F, F), L"minimum version 0.0.0.1"},
        {V(1, 6, 0, 0), V(1, 6, F, F), L"version between 1.6 and 1.6"},
        {V(1, 6, 0, 0), V(1, 8, 0, 5), L"version between 1.6 and 1.8.0.5"},
        {V(1, 6, 0, 20), V(1, 6, 0, 20), L"version 1.6.0.20 is required"},
        {V(11, 0, 0, 0), V(17, F, F, F), L"version between 11.0 and 17.65535"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(os::toUtf8(c.expected), os::toUtf8(describeVersionConstraint(c.minimum, c.maximum)))
            << show(c.minimum) << " .. " << show(c.maximum);
    }
}

}  // namespace
}  // namespace jl
