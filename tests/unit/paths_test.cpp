// Path arithmetic with the platform's rules: these tests run natively (slash, no drives)
// and cross-built under Wine (backslash, drives, UNC, long-path prefix).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "os/os.h"
#include "support/paths.h"
#include "pe_test_image.h"

namespace jl {
namespace {

// Test paths are written with "/" and get the platform separator.
std::wstring native(std::wstring path) {
    for (wchar_t& c : path) {
        if (c == L'/') c = os::kPathSeparator;
    }
    return path;
}

std::string u8(const std::wstring& s) { return os::toUtf8(s); }

TEST(PathsTest, SplitsIntoRootAndComponents) {
    struct Case {
        std::wstring path;
        std::vector<std::wstring> expected;
    };
    const std::vector<Case> cases = {
#ifdef _WIN32
        {L"C:\\logs\\app\\out.txt", {L"C:", L"logs", L"app", L"out.txt"}},
        {L"\\\\?\\C:\\a\\b.txt", {L"\\\\?\\C:", L"a", L"b.txt"}},
        {L"\\\\srv\\share\\a\\b.txt", {L"\\\\srv", L"share", L"a", L"b.txt"}}, {L"\\\\srv", {L"\\\\srv"}},
        // A path from the current drive's root keeps its empty root, so that joining
        // the components again names "\logs" and not "logs" in the current folder.
        {L"\\logs\\out.txt", {L"", L"logs", L"out.txt"}}, {L"C:", {L"C:"}},
        {L"C:\\a/b\\c", {L"C:", L"a/b", L"c"}},  // only the backslash separates
#else
        {L"/var/log/app/out.txt", {L"", L"var", L"log", L"app", L"out.txt"}}, {L"/out.txt", {L"", L"out.txt"}},
        {L"/", {L""}},
        {L"a\\b/c", {L"a\\b", L"c"}},  // a backslash is part of a name
#endif
        {native(L"logs/out.txt"), {L"logs", L"out.txt"}},
        {native(L"a//b"), {L"a", L"", L"b"}},
        {native(L"a/b/"), {L"a", L"b"}}, {L"file.txt", {L"file.txt"}}, {L"", {L""}},
    };
    for (const Case& c : cases) {
        const std::vector<std::wstring> parts = splitPathComponents(c.path);
        std::vector<std::string> actual, expected;
        for (const auto& p : parts) actual.push_back(u8(p));
        for (const auto& p : c.expected) expected.push_back(u8(p));
        EXPECT_EQ(expected, actual) << u8(c.path);

        // Joining the components again gives the path, except for a trailing separator.
        std::wstring joined = parts.empty() ? std::wstring() : parts[0];
        for (size_t i = 1; i < parts.size(); ++i) joined += os::kPathSeparator + parts[i];
        std::wstring withoutTrailing = c.path;
        if (!withoutTrailing.empty() && withoutTrailing.back() == os::kPathSeparator) withoutTrailing.pop_back();
        EXPECT_EQ(u8(withoutTrailing), u8(joined)) << u8(c.path);
    }
}

TEST(PathsTest, ClassifiesRoots) {
    struct Case {
        std::wstring path;
        bool absolute, longPrefix, unc;
    };
    const std::vector<Case> cases = {
#ifdef _WIN32
        {L"C:\\dir", true, false, false}, {L"C:dir", true, false, false}, {L"\\\\server\\share", true, false, true},
        {L"\\\\?\\C:\\dir", true, true, false}, {L"\\\\?", true, false, false}, {L"\\\\", true, false, false},
        {L"\\dir\\file", false, false, false}, {L"/dir/file", false, false, false}, {L"C", false, false, false},
#else
        {L"/dir/file", true, false, false}, {L"/", true, false, false}, {L"\\\\server\\share", false, false, false},
        {L"\\\\?\\C:\\dir", false, false, false}, {L"C:/dir", false, false, false},
#endif
        {L"dir/file", false, false, false}, {L"", false, false, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.absolute, isAbsolutePath(c.path)) << u8(c.path);
        EXPECT_EQ(c.longPrefix, hasLongPathPrefix(c.path)) << u8(c.path);
        EXPECT_EQ(c.unc, isUncPath(c.path)) << u8(c.path);
    }
}

// --- PE images ---------------------------------------------------------------------

using test_pe::kMachineAmd64;
using test_pe::kMachineArm64;
using test_pe::kMachineI386;
using test_pe::kNtHeadersOffset;
using test_pe::peImage;

PeImageCheck check(const std::vector<uint8_t>& bytes) {
    // An exact-size copy, so a sanitizer sees any read past the end.
    std::vector<uint8_t> copy(bytes);
    return checkPeImage(copy.empty() ? nullptr : copy.data(), copy.size());
}

TEST(PeImageTest, RecognisesMachine) {
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
        bool valid, x86;
    };
    std::vector<uint8_t> badSignature = peImage(kMachineI386);
    badSignature[kNtHeadersOffset + 3] = 1;
    std::vector<uint8_t> pastEnd = peImage(kMachineI386);
    // Headers that would end one byte past the data.
    test_pe::putUint32(pastEnd, test_pe::kNtHeadersOffsetField, static_cast<uint32_t>(pastEnd.size()) - 23);
    std::vector<uint8_t> wraps = peImage(kMachineI386);
    // Offset + header size wraps round to 8 in 32-bit arithmetic.
    test_pe::putUint32(wraps, test_pe::kNtHeadersOffsetField, 0xFFFFFFF0u);
    std::vector<uint8_t> noMz = peImage(kMachineI386);
    noMz[0] = 'Z';
    noMz[1] = 'M';

    const std::vector<Case> cases = {
        {"x86", peImage(kMachineI386), true, true}, {"x64", peImage(kMachineAmd64), true, false},
        {"arm64", peImage(kMachineArm64), true, false},
        {"headers inside the DOS stub area", peImage(kMachineI386, 0x40), true, true},
        {"bad signature", badSignature, false, false}, {"e_lfanew past the end", pastEnd, false, false},
        {"e_lfanew wrapping", wraps, false, false}, {"ZM", noMz, false, false}, {"MZ only", {'M', 'Z'}, false, false},
        {"text", std::vector<uint8_t>(200, 'a'), false, false}, {"empty", {}, false, false},
    };
    for (const Case& c : cases) {
        const PeImageCheck result = check(c.bytes);
        EXPECT_EQ(c.valid, result.valid) << c.name;
        EXPECT_EQ(c.x86, result.x86) << c.name;
    }
}

TEST(PeImageTest, CutHeadersAreNeverValid) {
    const std::vector<uint8_t> full = peImage(kMachineI386);
    ASSERT_TRUE(check(full).valid);
    for (size_t size = 0; size < full.size(); ++size) {
        const std::vector<uint8_t> cut(full.begin(), full.begin() + size);
        const PeImageCheck result = check(cut);
        EXPECT_FALSE(result.valid) << size;
        EXPECT_FALSE(result.x86) << size;
    }
}

}  // namespace
}  // namespace jl
