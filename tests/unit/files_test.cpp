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

TEST_F(FilesTest, FindsOwnExecutable) {
    std::wstring path;
    ASSERT_TRUE(getModulePath(path));
    EXPECT_TRUE(isAbsolutePath(path)) << u8(path);
    EXPECT_TRUE(fileExists(path)) << u8(path);

    std::wstring folder;
    ASSERT_TRUE(getModuleFolder(folder));
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(kSep, folder.back());
    EXPECT_EQ(u8(folder), u8(path.substr(0, folder.size())));
    EXPECT_EQ(std::wstring::npos, path.find(kSep, folder.size())) << u8(path);

    // The test program itself: an x86 image only in the 32-bit Windows build.
    const PeImageCheck image = isX86Image(path);
#ifdef _WIN32
    EXPECT_TRUE(image.valid);
    EXPECT_EQ(image.x86, sizeof(void*) == 4);
#else
    EXPECT_FALSE(image.valid);
#endif
}

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

TEST_F(FilesTest, FindsFileInFolder) {
    const std::wstring bin = at(L"bin");
    write(L"bin/x.dll");
    struct Case {
        std::wstring folder, name, expected;
    };
    const Case cases[] = {
        {bin + kSep, L"x.dll", bin + kSep + L"x.dll"}, {bin, L"x.dll", bin + kSep + L"x.dll"}, {bin, L"y.dll", L""},
        {bin, L"*.dll", bin + kSep + L"*.dll"},  // the pattern is returned, not the match
        {L"", L"x.dll", L""},
#ifdef _WIN32
        {bin + L"/", L"x.dll", bin + L"/x.dll"},
#endif
    };
    for (const Case& c : cases) {
        EXPECT_EQ(u8(c.expected), u8(findFileInFolder(c.folder, c.name))) << u8(c.folder) << " + " << u8(c.name);
    }
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

TEST_F(FilesTest, RemovesEmptyFoldersAndFindsInLongPaths) {
    write(L"full/f.txt");
    fs::create_directories(fs::path(at(L"empty")));
    EXPECT_TRUE(removeFolder(at(L"empty")));
    EXPECT_FALSE(exists(at(L"empty")));
    EXPECT_FALSE(removeFolder(at(L"full")));
    EXPECT_TRUE(exists(at(L"full/f.txt")));
    EXPECT_FALSE(removeFolder(at(L"missing")));

    // Folders nested deep enough that their path is longer than the platform's short limit.
    std::vector<std::wstring> chain;
    std::wstring deep = temp_.path();
    while (deep.size() < 300) {
        deep += kSep + std::wstring(40, L'd');
        ASSERT_EQ(0u, os::createDirectory(withLongPathPrefix(deep))) << u8(deep);
        chain.push_back(deep);
    }
    const std::wstring file = deep + kSep + L"f.txt";
    std::ofstream(fs::path(withLongPathPrefix(file))) << "x";
    FileFinder finder;
    ASSERT_TRUE(finder.search(file)) << file.size();
    EXPECT_EQ(u8(withLongPathPrefix(deep)), u8(finder.root()));
    finder.close();
    fs::remove(fs::path(withLongPathPrefix(file)));
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        EXPECT_TRUE(removeFolder(*it)) << it->size();
        EXPECT_FALSE(fileExists(withLongPathPrefix(*it)));
    }
}

TEST_F(FilesTest, FinderKnowsTheFolderOfTheMatch) {
    write(L"sub/f.txt");
    FileFinder finder;
    ASSERT_TRUE(finder.search(at(L"sub/f.txt")));
    EXPECT_TRUE(finder.found());
    EXPECT_EQ(u8(at(L"sub")), u8(finder.root()));
    EXPECT_EQ("f.txt", u8(finder.match().name));
    ASSERT_TRUE(finder.search(at(L"sub/*.txt")));
    EXPECT_EQ(u8(at(L"sub")), u8(finder.root()));
    EXPECT_FALSE(finder.search(at(L"sub/*.none")));
    EXPECT_FALSE(finder.found());
    EXPECT_TRUE(finder.root().empty());

    enterRoot();
    const std::wstring current = fs::current_path().wstring();
    ASSERT_TRUE(finder.search(native(L"sub/f.txt")));
    EXPECT_EQ(u8(current + kSep + L"sub"), u8(finder.root()));
    ASSERT_TRUE(finder.search());  // everything in the current folder
    EXPECT_EQ(u8(current), u8(finder.root()));
    finder.close();
    EXPECT_FALSE(finder.found());
}

// The header checks themselves are in paths_test.cpp; here the file is mapped.
TEST_F(FilesTest, RecognisesX86ImageFiles) {
    const std::pair<std::string, bool> cases[] = {
        {"", false}, {"MZ", false}, {test_pe::peImageText(test_pe::kMachineI386), true},
        {test_pe::peImageText(test_pe::kMachineAmd64), false}};
    for (const auto& [bytes, x86] : cases) {
        const PeImageCheck result = isX86Image(write(L"image.dll", bytes));
        EXPECT_EQ(result.valid, bytes.size() > 2) << bytes.size();
        EXPECT_EQ(result.x86, x86) << bytes.size();
    }
    EXPECT_FALSE(isX86Image(at(L"missing.dll")).valid);
}

}  // namespace
}  // namespace jl
