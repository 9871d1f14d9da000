// Path arithmetic with the platform's rules, the PE header check, and file-system operations
// in a temporary folder; natively and under Wine (backslash, drives, UNC, long-path prefix).
#include <gtest/gtest.h>

#include <filesystem>
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

// A path written with "/", in the platform's form.
std::wstring native(std::wstring path) {
    for (wchar_t& c : path) c = c == L'/' ? os::kPathSeparator : c;
    return path;
}

std::string u8(const std::wstring& s) { return os::toUtf8(s); }
bool exists(const std::wstring& path) { return fs::exists(fs::path(path)); }

// The components, shown joined with "|".
TEST(PathsTest, SplitsIntoRootAndComponents) {
    const std::pair<std::wstring, const wchar_t*> cases[] = {
#ifdef _WIN32
        {L"C:\\logs\\app\\out.txt", L"C:|logs|app|out.txt"}, {L"\\\\?\\C:\\a\\b.txt", L"\\\\?\\C:|a|b.txt"},
        {L"\\\\srv\\share\\a\\b.txt", L"\\\\srv|share|a|b.txt"}, {L"\\\\srv", L"\\\\srv"},
        // From the current drive's root: the empty root keeps it "\logs", not "logs".
        {L"\\logs\\out.txt", L"|logs|out.txt"}, {L"C:", L"C:"},
        {L"C:\\a/b\\c", L"C:|a/b|c"},  // only the backslash separates
#else
        {L"/var/log/app/out.txt", L"|var|log|app|out.txt"}, {L"/out.txt", L"|out.txt"}, {L"/", L""},
        {L"a\\b/c", L"a\\b|c"},  // a backslash is part of a name
#endif
        {native(L"logs/out.txt"), L"logs|out.txt"}, {native(L"a//b"), L"a||b"}, {native(L"a/b/"), L"a|b"},
        {L"file.txt", L"file.txt"}, {L"", L""},
    };
    for (const auto& [path, expected] : cases) {
        const std::vector<std::wstring> parts = splitPathComponents(path);
        std::wstring shown;
        for (size_t i = 0; i < parts.size(); ++i) shown += (i ? L"|" : L"") + parts[i];
        EXPECT_EQ(u8(shown), u8(expected)) << u8(path);
    }
}

TEST(PathsTest, ClassifiesRoots) {
    // absolute, long-path prefix, UNC
    const std::tuple<std::wstring, bool, bool, bool> cases[] = {
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
    for (const auto& [path, absolute, longPrefix, unc] : cases) {
        EXPECT_EQ(isAbsolutePath(path), absolute) << u8(path);
        EXPECT_EQ(hasLongPathPrefix(path), longPrefix) << u8(path);
        EXPECT_EQ(isUncPath(path), unc) << u8(path);
    }
}

// An exact-size copy, so a sanitizer sees any read past the end.
PeImageCheck check(std::vector<uint8_t> bytes) { return checkPeImage(bytes.empty() ? nullptr : bytes.data(), bytes.size()); }

TEST(PeImageTest, RecognisesMachineAndRefusesBrokenHeaders) {
    using namespace test_pe;
    const auto patched = [](size_t at, uint32_t value) {
        std::vector<uint8_t> bytes = peImage(kMachineI386);
        putUint32(bytes, at, value);
        return bytes;
    };
    const uint32_t size = static_cast<uint32_t>(peImage(kMachineI386).size());
    // valid, x86
    const std::tuple<const char*, std::vector<uint8_t>, bool, bool> cases[] = {
        {"x86", peImage(kMachineI386), true, true}, {"x64", peImage(kMachineAmd64), true, false},
        {"arm64", peImage(kMachineArm64), true, false}, {"inside the DOS stub area", peImage(kMachineI386, 0x40), true, true},
        {"bad signature", patched(kNtHeadersOffset, 0x01004550), false, false},
        {"headers one byte past the end", patched(kNtHeadersOffsetField, size - 23), false, false},
        {"offset + size wrapping to 8 in 32 bits", patched(kNtHeadersOffsetField, 0xFFFFFFF0u), false, false},
        {"ZM", patched(0, 0x4D5A), false, false}, {"MZ only", {'M', 'Z'}, false, false},
        {"text", std::vector<uint8_t>(200, 'a'), false, false}, {"empty", {}, false, false},
    };
    for (const auto& [what, bytes, valid, x86] : cases) {
        EXPECT_EQ(check(bytes).valid, valid) << what;
        EXPECT_EQ(check(bytes).x86, x86) << what;
    }
    const std::vector<uint8_t> full = peImage(kMachineI386);
    for (size_t size = 0; size < full.size(); ++size) {
        const PeImageCheck cut = check(std::vector<uint8_t>(full.begin(), full.begin() + size));
        EXPECT_FALSE(cut.valid || cut.x86) << size;
    }
}

class FilesTest : public ::testing::Test {
protected:
    void SetUp() override { savedCurrent_ = fs::current_path(); }
    void TearDown() override { fs::current_path(savedCurrent_); }
    std::wstring at(const std::wstring& relative) const { return temp_.path(native(relative)); }
    std::wstring write(const std::wstring& relative) const { return temp_.write(native(relative), "hello"); }
    bool isFolder(const std::wstring& relative) const { return fs::is_directory(fs::path(at(relative))); }
    void enterRoot() const { fs::current_path(fs::path(temp_.path())); }

    testing::TempFolder temp_;
    fs::path savedCurrent_;
};

TEST_F(FilesTest, FileInfoCodes) {
    write(L"file.txt"), write(L"logs/out.txt"), enterRoot();
    const std::pair<std::wstring, uint32_t> cases[] = {
        {L"", os::kErrorInvalidParameter},
        // Exists in the current folder, but relative paths are never looked up.
        {native(L"logs/out.txt"), os::kErrorPathNotFound}, {at(L"missing.txt"), os::kErrorFileNotFound},
        {at(L"file.txt"), os::kErrorSuccess}, {at(L"logs"), os::kErrorSuccess},
    };
    for (const auto& [path, expected] : cases) {
        FileInfo info;
        EXPECT_EQ(getFileInfo(path, info), expected) << u8(path);
        EXPECT_EQ(fileExists(path), expected == 0) << u8(path);
    }
    FileInfo info;
    ASSERT_EQ(getFileInfo(at(L"file.txt"), info), 0u);
    EXPECT_TRUE(info.sizeLow == 5 && info.lastWriteTime > 116444736000000000ull) << "5 bytes, written after 1970";
}

TEST_F(FilesTest, CreatesEveryFolderOfAFilePath) {
    const std::wstring file = at(L"a/b/c/log.txt");
    EXPECT_EQ(createParentFolders(file), 0u);
    EXPECT_TRUE(isFolder(L"a/b/c") && !exists(file));
    EXPECT_EQ(createParentFolders(file), 0u) << "every folder already exists";
    write(L"a/b/c/log.txt");
    EXPECT_EQ(createParentFolders(file), 0u);

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
        EXPECT_EQ(createParentFolders(path), 0u) << u8(path);
        EXPECT_TRUE(isFolder(folder)) << u8(path);
    }
}

TEST_F(FilesTest, StopsAtAFolderThatCannotBeCreated) {
    write(L"blocker");  // a file where a folder should be
    EXPECT_EQ(createParentFolders(at(L"blocker/sub/out.txt")), os::kErrorPathNotFound);
    EXPECT_TRUE(fs::is_regular_file(fs::path(at(L"blocker"))));
    // A name too long for any file system: the new folder above it is removed again, a
    // folder that already held something stays.
    const std::wstring tooLong(300, L'n');
    const uint32_t error = createParentFolders(at(L"new/" + tooLong + L"/out.txt"));
    EXPECT_TRUE(error != 0 && error != os::kErrorAlreadyExists) << error;
    EXPECT_FALSE(exists(at(L"new")));
    write(L"kept/file.txt");
    EXPECT_NE(createParentFolders(at(L"kept/" + tooLong + L"/out.txt")), 0u);
    EXPECT_TRUE(exists(at(L"kept/file.txt")));
#ifdef _WIN32
    // A drive that does not exist.
    const DWORD drives = GetLogicalDrives();
    wchar_t letter = L'Y';
    while (letter > L'D' && (drives & (1u << (letter - L'A')))) --letter;
    ASSERT_GT(letter, L'D') << "every drive letter is in use";
    const uint32_t noDrive = createParentFolders(std::wstring(1, letter) + L":\\a\\b\\out.txt");
    EXPECT_TRUE(noDrive != 0 && noDrive != os::kErrorAlreadyExists) << noDrive;
#endif
}

}  // namespace
}  // namespace jl
