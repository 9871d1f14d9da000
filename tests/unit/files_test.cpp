// File-system operations against a fresh temporary folder, natively and under Wine.
#include <gtest/gtest.h>

#include <chrono>
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

namespace jl {
namespace {

namespace fs = std::filesystem;

constexpr wchar_t kSep = os::kPathSeparator;

std::wstring native(std::wstring path) {
    for (wchar_t& c : path) {
        if (c == L'/') c = kSep;
    }
    return path;
}

std::string u8(const std::wstring& s) { return os::toUtf8(s); }

class FilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        static int counter = 0;
        const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
        const fs::path folder =
            fs::temp_directory_path() / ("jl-files-" + std::to_string(stamp) + "-" + std::to_string(++counter));
        fs::create_directories(folder);
        root_ = folder.wstring();
        savedCurrent_ = fs::current_path();
    }

    void TearDown() override {
        std::error_code ignored;
        fs::current_path(savedCurrent_, ignored);
        fs::remove_all(fs::path(root_), ignored);
    }

    // A path below the temporary folder, written with "/".
    std::wstring at(const std::wstring& relative) const { return root_ + kSep + native(relative); }

    static void write(const std::wstring& path, const std::vector<uint8_t>& bytes) {
        std::ofstream out(fs::path(path), std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        ASSERT_TRUE(out.good()) << u8(path);
    }
    static void write(const std::wstring& path, const std::string& text) {
        write(path, std::vector<uint8_t>(text.begin(), text.end()));
    }
    static bool isFolder(const std::wstring& path) { return fs::is_directory(fs::path(path)); }
    static bool exists(const std::wstring& path) { return fs::exists(fs::path(path)); }

    void enterRoot() { fs::current_path(fs::path(root_)); }

    std::wstring root_;
    fs::path savedCurrent_;
};

TEST_F(FilesTest, FindsOwnExecutable) {
    std::wstring path;
    ASSERT_TRUE(getModulePath(path));
    EXPECT_TRUE(isAbsolutePath(path)) << u8(path);
    EXPECT_TRUE(fileExists(path)) << u8(path);

    std::wstring folder = L"unchanged";
    ASSERT_TRUE(getModuleFolder(folder));
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(kSep, folder.back());
    EXPECT_EQ(u8(folder), u8(path.substr(0, folder.size())));
    EXPECT_EQ(std::wstring::npos, path.find(kSep, folder.size())) << u8(path);

    // The test program itself: an x86 image only in the 32-bit Windows build.
    const PeImageCheck image = isX86Image(path);
#if defined(_WIN64)
    EXPECT_TRUE(image.valid);
    EXPECT_FALSE(image.x86);
#elif defined(_WIN32)
    EXPECT_TRUE(image.valid);
    EXPECT_TRUE(image.x86);
#else
    EXPECT_FALSE(image.valid);
#endif
}

TEST_F(FilesTest, FileInfoCodes) {
    write(at(L"file.txt"), std::string("hello"));
    fs::create_directories(fs::path(at(L"logs")));
    write(at(L"logs/out.txt"), std::string("x"));
    enterRoot();

    struct Case {
        std::wstring path;
        uint32_t expected;
    };
    const std::vector<Case> cases = {
        {L"", os::kErrorInvalidParameter},
        // Exists in the current folder, but relative paths are never looked up.
        {native(L"logs/out.txt"), os::kErrorPathNotFound},
        {at(L"missing.txt"), os::kErrorFileNotFound},
        {at(L"file.txt"), os::kErrorSuccess},
        {at(L"logs"), os::kErrorSuccess},
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
    fs::create_directories(fs::path(at(L"bin")));
    write(at(L"bin/x.dll"), std::string("dll"));
    const std::wstring bin = at(L"bin");

    struct Case {
        std::wstring folder, name, expected;
    };
    const std::vector<Case> cases = {
        {bin + kSep, L"x.dll", bin + kSep + L"x.dll"},
        {bin, L"x.dll", bin + kSep + L"x.dll"},
        {bin, L"y.dll", L""},
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
    EXPECT_TRUE(isFolder(at(L"a/b/c")));
    EXPECT_FALSE(exists(file));

    EXPECT_EQ(0u, createParentFolders(file));  // every folder already exists
    write(file, std::string("log"));
    EXPECT_EQ(0u, createParentFolders(file));
    EXPECT_TRUE(fs::is_regular_file(fs::path(file)));
}

TEST_F(FilesTest, RelativePathRootIsNeverCreated) {
    enterRoot();
    EXPECT_EQ(0u, createParentFolders(native(L"logs/out.txt")));
    EXPECT_FALSE(exists(at(L"logs")));

    EXPECT_EQ(os::kErrorPathNotFound, createParentFolders(native(L"zz/b/out.txt")));
    EXPECT_FALSE(exists(at(L"zz")));

    fs::create_directories(fs::path(at(L"a")));
    EXPECT_EQ(0u, createParentFolders(native(L"a/b/out.txt")));
    EXPECT_TRUE(isFolder(at(L"a/b")));
}

TEST_F(FilesTest, StopsAtAFolderThatCannotBeCreated) {
    // A file where a folder should be.
    write(at(L"blocker"), std::string("keep"));
    EXPECT_EQ(os::kErrorPathNotFound, createParentFolders(at(L"blocker/sub/out.txt")));
    EXPECT_TRUE(fs::is_regular_file(fs::path(at(L"blocker"))));

    // A name too long for any file system: the new folder above it is removed again, a
    // folder that already held something stays.
    const std::wstring tooLong(300, L'n');
    const uint32_t error = createParentFolders(at(L"new/" + tooLong + L"/out.txt"));
    EXPECT_NE(0u, error);
    EXPECT_NE(os::kErrorAlreadyExists, error);
    EXPECT_FALSE(exists(at(L"new")));

    fs::create_directories(fs::path(at(L"kept")));
    write(at(L"kept/file.txt"), std::string("x"));
    EXPECT_NE(0u, createParentFolders(at(L"kept/" + tooLong + L"/out.txt")));
    EXPECT_TRUE(exists(at(L"kept/file.txt")));
}

#ifdef _WIN32
TEST_F(FilesTest, MissingDriveCreatesNothing) {
    const DWORD drives = GetLogicalDrives();
    wchar_t letter = 0;
    for (wchar_t c = L'Y'; c > L'D'; --c) {
        if (!(drives & (1u << (c - L'A')))) {
            letter = c;
            break;
        }
    }
    ASSERT_NE(0, letter) << "every drive letter is in use";
    const std::wstring path = std::wstring(1, letter) + L":\\a\\b\\out.txt";
    const uint32_t error = createParentFolders(path);
    EXPECT_NE(0u, error);
    EXPECT_NE(os::kErrorAlreadyExists, error);
}
#endif

// Folders nested deep enough that their path is longer than the platform's short limit.
std::wstring makeLongFolder(const std::wstring& base, std::vector<std::wstring>& chain) {
    std::wstring folder = base;
    while (folder.size() < 300) {
        folder += kSep + std::wstring(40, L'd');
        EXPECT_EQ(0u, os::createDirectory(withLongPathPrefix(folder))) << u8(folder);
        chain.push_back(folder);
    }
    return folder;
}

TEST_F(FilesTest, RemovesEmptyFoldersOnly) {
    fs::create_directories(fs::path(at(L"empty")));
    fs::create_directories(fs::path(at(L"full")));
    write(at(L"full/f.txt"), std::string("x"));

    EXPECT_TRUE(removeFolder(at(L"empty")));
    EXPECT_FALSE(exists(at(L"empty")));
    EXPECT_FALSE(removeFolder(at(L"full")));
    EXPECT_TRUE(exists(at(L"full/f.txt")));
    EXPECT_FALSE(removeFolder(at(L"missing")));

    std::vector<std::wstring> chain;
    makeLongFolder(root_, chain);
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        EXPECT_TRUE(removeFolder(*it)) << it->size();
        EXPECT_FALSE(fileExists(withLongPathPrefix(*it)));
    }
}

TEST_F(FilesTest, FinderKnowsTheFolderOfTheMatch) {
    fs::create_directories(fs::path(at(L"sub")));
    write(at(L"sub/f.txt"), std::string("x"));

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

TEST_F(FilesTest, FinderHandlesLongPatterns) {
    std::vector<std::wstring> chain;
    const std::wstring deep = makeLongFolder(root_, chain);
    const std::wstring file = deep + kSep + L"f.txt";
    write(withLongPathPrefix(file), std::string("x"));

    FileFinder finder;
    ASSERT_TRUE(finder.search(file)) << file.size();
    EXPECT_EQ(u8(withLongPathPrefix(deep)), u8(finder.root()));

    std::error_code ignored;
    fs::remove(fs::path(withLongPathPrefix(file)), ignored);
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) EXPECT_TRUE(removeFolder(*it));
}

TEST_F(FilesTest, RecognisesX86Images) {
    using test_pe::peImage;
    std::vector<uint8_t> pastEnd = peImage(test_pe::kMachineI386);
    test_pe::putUint32(pastEnd, test_pe::kNtHeadersOffsetField, 0x1000);

    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
        bool valid, x86;
    };
    const std::vector<Case> cases = {
        {"text.txt", {'h', 'e', 'l', 'l', 'o', '\n'}, false, false},
        {"empty.dll", {}, false, false},
        {"mz.dll", {'M', 'Z'}, false, false},
        {"past-end.dll", pastEnd, false, false},
        {"x86.dll", peImage(test_pe::kMachineI386), true, true},
        {"x64.dll", peImage(test_pe::kMachineAmd64), true, false},
    };
    for (const Case& c : cases) {
        const std::wstring path = at(os::fromUtf8(c.name));
        write(path, c.bytes);
        const PeImageCheck result = isX86Image(path);
        EXPECT_EQ(c.valid, result.valid) << c.name;
        EXPECT_EQ(c.x86, result.x86) << c.name;
    }
    EXPECT_FALSE(isX86Image(at(L"missing.dll")).valid);

    const std::vector<uint8_t> full = peImage(test_pe::kMachineI386);
    const std::wstring cut = at(L"cut.dll");
    for (size_t size = 0; size < full.size(); ++size) {
        write(cut, std::vector<uint8_t>(full.begin(), full.begin() + size));
        EXPECT_FALSE(isX86Image(cut).valid) << size;
    }
}

}  // namespace
}  // namespace jl
