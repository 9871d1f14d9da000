// File-system operations against a fresh temporary folder, natively and under Wine.
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
