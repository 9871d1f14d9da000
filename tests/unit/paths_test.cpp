// Path arithmetic with the platform's rules, the PE header check, and file-system
// operations against a fresh temporary folder. These tests run natively (slash, no
// drives) and cross-built under Wine (backslash, drives, UNC, long-path prefix).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

#include "os/os.h"
#include "pe_test_image.h"
#include "support/files.h"
#include "support/paths.h"
#include "temp_folder.h"

namespace jl {
namespace {

namespace fs = std::filesystem;

constexpr wchar_t kSep = os::kPathSeparator;

// A path written with "/", in the platform's form.
std::wstring native(std::wstring path) {
    for (wchar_t& c : path) {
        if (c == L'/') c = kSep;
    }
    return path;
}

std::string u8(const std::wstring& s) { return os::toUtf8(s); }
bool exists(const std::wstring& path) { return fs::exists(fs::path(path)); }

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

class FilesTest : public ::testing::Test {
protected:
    void SetUp() override { savedCurrent_ = fs::current_path(); }
    void TearDown() override {
        std::error_code ignored;
        fs::current_path(savedCurrent_, ignored);
    }
    std::wstring at(const std::wstring& relative) const { return temp_.path(native(relative)); }
    std::wstring write(const std::wstring& relative, const std::string& bytes = "x") const {
        return temp_.write(native(relative), bytes);
    }
    void enterRoot() const { fs::current_path(fs::path(temp_.path())); }

    testing::TempFolder temp_;
    fs::path savedCurrent_;
};

TEST_F(FilesTest, FileInfoCodes) {
    write(L"file.txt", "hello");
    write(L"logs/out.txt");
    enterRoot();
    struct Case {
        std::wstring path;
        uint32_t expected;
    };
    const Case cases[] = {
        {L"", os::kErrorInvalidParameter},
        // Exists in the current folder, but relative paths are never looked up.
        {native(L"logs/out.txt"), os::kErrorPathNotFound}, {at(L"missing.txt"), os::kErrorFileNotFound},
        {at(L"file.txt"), os::kErrorSuccess}, {at(L"logs"), os::kErrorSuccess},
    };
    for (const Case& c : cases) {
        FileInfo info;
        EXPECT_EQ(c.expected, getFileInfo(c.path, info)) << u8(c.path);
        EXPECT_EQ(c.expected == 0, fileExists(c.path)) << u8(c.path);
    }
    FileInfo info;
    ASSERT_EQ(0u, getFileInfo(at(L"file.txt"), info));
    EXPECT_EQ(5u, info.sizeLow);
    EXPECT_GT(info.lastWriteTime, 116444736000000000ull);  // after 1970
}

TEST_F(FilesTest, CreatesEveryFolderOfAFilePath) {
    const std::wstring file = at(L"a/b/c/log.txt");
    EXPECT_EQ(0u, createParentFolders(file));
    EXPECT_TRUE(fs::is_directory(fs::path(at(L"a/b/c"))));
    EXPECT_FALSE(exists(file));
    EXPECT_EQ(0u, createParentFolders(file));  // every folder already exists
    write(L"a/b/c/log.txt");
    EXPECT_EQ(0u, createParentFolders(file));
    EXPECT_TRUE(fs::is_regular_file(fs::path(file)));

    // Relative paths: every folder below the current one, the first included.
    enterRoot();
    const std::pair<std::wstring, const wchar_t*> relative[] = {
        {native(L"logs/out.txt"), L"logs"}, {native(L"zz/b/out.txt"), L"zz/b"}, {native(L"a/new/out.txt"), L"a/new"},
        {native(L"./dot/out.txt"), L"dot"},
#ifdef _WIN32
        {L"slash/x/out.txt", L"slash/x"},  // as the runtime opens it
#endif
    };
    for (const auto& [path, folder] : relative) {
        EXPECT_EQ(0u, createParentFolders(path)) << u8(path);
        EXPECT_TRUE(fs::is_directory(fs::path(at(folder)))) << u8(path);
    }
}

TEST_F(FilesTest, StopsAtAFolderThatCannotBeCreated) {
    // A file where a folder should be.
    write(L"blocker", "keep");
    EXPECT_EQ(os::kErrorPathNotFound, createParentFolders(at(L"blocker/sub/out.txt")));
    EXPECT_TRUE(fs::is_regular_file(fs::path(at(L"blocker"))));

    // A name too long for any file system: the new folder above it is removed again, a
    // folder that already held something stays.
    const std::wstring tooLong(300, L'n');
    const uint32_t error = createParentFolders(at(L"new/" + tooLong + L"/out.txt"));
    EXPECT_NE(0u, error);
    EXPECT_NE(os::kErrorAlreadyExists, error);
    EXPECT_FALSE(exists(at(L"new")));
    write(L"kept/file.txt");
    EXPECT_NE(0u, createParentFolders(at(L"kept/" + tooLong + L"/out.txt")));
    EXPECT_TRUE(exists(at(L"kept/file.txt")));

#ifdef _WIN32
    // A drive that does not exist.
    const DWORD drives = GetLogicalDrives();
    wchar_t letter = L'Y';
    while (letter > L'D' && (drives & (1u << (letter - L'A')))) --letter;
    ASSERT_GT(letter, L'D') << "every drive letter is in use";
    const uint32_t noDrive = createParentFolders(std::wstring(1, letter) + L":\\a\\b\\out.txt");
    EXPECT_NE(0u, noDrive);
    EXPECT_NE(os::kErrorAlreadyExists, noDrive);
#endif
}

}  // namespace
}  // namespace jl
