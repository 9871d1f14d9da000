// The runtime search against the real registry: keys written in both views below a test
// key of HKEY_LOCAL_MACHINE\Software (which the registry redirects per view like the
// runtime keys themselves), pointing at fabricated runtime folders. The 32-bit launcher
// is played by a search whose default view is pinned to the 32-bit one.
#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <string>
#include <vector>

#include "../unit/pe_test_image.h"
#include "../unit/temp_folder.h"
#include "os/os.h"
#include "runtime/registered_runtimes.h"
#include "runtime/runtime_search.h"
#include "support/text.h"

namespace jl {
namespace {

namespace fs = std::filesystem;
using os::RegistryView;
constexpr RegistryView k32 = RegistryView::Bits32, k64 = RegistryView::Bits64;
constexpr wchar_t kTestsKey[] = L"Software\\JLaunchTests", kClient[] = L"bin\\client\\jvm.dll",
                  kServer[] = L"bin\\server\\jvm.dll";
constexpr int kJdkRoot = 0, kJreRoot = 1;

std::string u8(const std::wstring& s) { return os::toUtf8(s); }

LaunchSettings settingsWith(const std::wstring& type, const std::wstring& minimum, const std::wstring& maximum,
                            const std::wstring& pair = L"", const std::wstring& source = L"") {
    LaunchSettings s;
    s.jvmType = interpretJvmType(type), s.jvmSource = interpretJvmSource(source), s.vmProvider = interpretVmProvider(L"any");
    s.minimumVersion = minimumVersionFromSetting(minimum), s.maximumVersion = maximumVersionFromSetting(maximum);
    s.pairProduct = pair;
    return s;
}

class RegistrySearchTest : public ::testing::Test {
protected:
    void SetUp() override {
        id_ = std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(GetTickCount());
        environment_.executableFolderKnown = true;
        environment_.executableFolder = runtime(L"app", {});
        environment_.prompt.show = [](const std::wstring&, JvmType, std::wstring&, std::wstring&) { return false; };
    }
    void TearDown() override {
        for (const REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY}) {
            HKEY tests = nullptr;
            if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kTestsKey, 0, KEY_ALL_ACCESS | view, &tests) != ERROR_SUCCESS) continue;
            RegDeleteTreeW(tests, id_.c_str());
            RegCloseKey(tests);
            RegDeleteKeyExW(HKEY_LOCAL_MACHINE, kTestsKey, view, 0);  // only when empty
        }
    }

    // A runtime folder holding the given files; its path ends with a backslash.
    std::wstring runtime(const std::wstring& name, const std::vector<std::wstring>& files, const std::string& content = "text") {
        for (const std::wstring& file : files) temp_.write(name + L"\\" + file, content);
        fs::create_directories(temp_.path(name));
        return temp_.path(name) + L"\\";
    }

    // A value (none with a null name) of a key below the test key ("Software\..." as the
    // product names it) in `view`; false when the registry refused the key.
    bool addValue(RegistryView view, const std::wstring& keyPath, const wchar_t* name, DWORD type, const void* data, DWORD size) {
        HKEY key = nullptr;
        const std::wstring path = std::wstring(kTestsKey) + L"\\" + id_ + L"\\" + keyPath.substr(9);
        const REGSAM access = KEY_ALL_ACCESS | (view == k32 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY);
        if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, access, nullptr, &key, nullptr) != ERROR_SUCCESS) return false;
        const LONG status = name ? RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size) : 0;
        return RegCloseKey(key), status == ERROR_SUCCESS;
    }
    bool addKey(RegistryView view, int root, const std::wstring& name, DWORD type, const void* data, DWORD size) {
        return addValue(view, kRegistryRoots[root].path + name, data ? L"JavaHome" : nullptr, type, data, size);
    }
    bool addRuntime(RegistryView view, int root, const std::wstring& name, const std::wstring& home) {
        return addKey(view, root, name, REG_SZ, home.c_str(), static_cast<DWORD>((home.size() + 1) * 2));
    }
    std::unique_ptr<RuntimeRegistry> registry(RegistryView view) {
        return runtimeRegistryBelow(std::wstring(kTestsKey) + L"\\" + id_ + L"\\", view);
    }
    std::vector<RuntimeCandidate> rootSearch(RegistryView view, const LaunchSettings& s, std::vector<RuntimeCandidate> list = {}) {
        return searchRegistryRoot(*registry(view), kRegistryRoots[kJreRoot], s, list), list;
    }

    // The launcher's search: the library found ("" when the user was asked), and "paired"
    // when the launch goes to the paired launcher.
    std::string search(const LaunchSettings& s, bool launcher32) {
        // Each launcher reads its own view by default: the one this test process is built
        // as through the default view (Wow6432Node in a 32-bit process), the other named.
        const bool process32 = sizeof(void*) == 4;
        const auto own32 = registry(process32 ? RegistryView::Default : k32),
                   own64 = registry(process32 ? k64 : RegistryView::Default), view64 = registry(k64);
        environment_.defaultView = launcher32 ? own32.get() : own64.get();
        environment_.wideView = launcher32 ? view64.get() : nullptr;
        environment_.ownMachine = launcher32 ? kMachineI386 : kMachineAmd64;
        RuntimeSearchResult result;
        return findRuntimeIn(s, environment_, result) ? u8(result.jvmLibraryPath) + (result.startPairedLauncher ? " paired" : "") : "";
    }

    std::wstring id_;
    testing::TempFolder temp_;
    RuntimeSearchEnvironment environment_;
};

TEST_F(RegistrySearchTest, EachLauncherSeesItsViewAndHandsTheOtherMachineOver) {
    const std::vector<uint8_t> image = test_pe::peImage(test_pe::kMachineAmd64);
    const std::string amd64(image.begin(), image.end());
    const std::wstring jre16 = runtime(L"jre16", {kClient}), jre17 = runtime(L"jre17", {kClient}),
                       jdk16 = runtime(L"jdk16", {L"jre\\bin\\server\\jvm.dll"}), rt64 = runtime(L"rt64", {kServer}, amd64),
                       wrong64 = runtime(L"wrong64", {kClient}, amd64), jdkServer = jdk16 + L"jre\\" + kServer;
    ASSERT_TRUE(addRuntime(k32, kJreRoot, L"1.6.0_45", jre16));
    ASSERT_TRUE(addRuntime(k32, kJreRoot, L"1.7.0_80", jre17.substr(0, jre17.size() - 1)));  // no final separator
    ASSERT_TRUE(addRuntime(k32, kJdkRoot, L"1.6.0_10", jdk16));
    ASSERT_TRUE(addRuntime(k32, kJreRoot, L"1.5", wrong64));  // a 64-bit runtime in the 32-bit view
    ASSERT_TRUE(addRuntime(k64, kJreRoot, L"17.0.2", rt64));
    const struct { LaunchSettings settings; bool launcher32; std::wstring expected; /* empty: the user is asked */ } rows[] = {
        {settingsWith(L"", L"", L""), true, jre17 + kClient},
        {settingsWith(L"", L"", L"1.6"), true, jre16 + kClient},
        {settingsWith(L"server", L"", L""), true, jdkServer},
        {settingsWith(L"", L"", L"", L"", L"only_JDK"), true, jdkServer},
        {settingsWith(L"", L"1.9", L""), true, L""},
        {settingsWith(L"", L"1.9", L"", L"jlaunch64.exe"), true, rt64 + kServer + L" paired"},
        {settingsWith(L"", L"1.5", L"1.5", L"jlaunch64.exe"), true, wrong64 + kClient + L" paired"},
        {settingsWith(L"", L"", L"", L"jlaunch64.exe"), false, rt64 + kServer},
        {settingsWith(L"", L"", L"1.9", L"jlaunch64.exe"), false, L""},  // the 32-bit keys stay unseen
    };
    for (const auto& row : rows) EXPECT_EQ(search(row.settings, row.launcher32), u8(row.expected)) << row.launcher32;
}

// JavaHome of any type read as text up to its first null, or skipped; thousands of keys
// without a value and a folder named like the library hide no runtime.
TEST_F(RegistrySearchTest, EveryJavaHomeAndEveryOddKeyIsReadOrPassedOver) {
    const std::wstring home = runtime(L"rt", {kClient, kServer}), bare = home.substr(0, home.size() - 1);
    const DWORD bareBytes = static_cast<DWORD>(bare.size() * sizeof(wchar_t));
    const std::wstring odd = bare + L'\x41', multi = bare + L'\0' + L"C:\\other" + L'\0' + L'\0',
                       expandable = L"%SystemRoot%\\..\\" + bare.substr(3);
    const DWORD number = 0x005C0043;  // "C\" and nothing after it
    const struct { DWORD type; const void* data; DWORD size; } rows[] = {
        {REG_SZ, bare.c_str(), bareBytes + 2}, {REG_BINARY, bare.data(), bareBytes},  // no terminator
        {REG_BINARY, odd.data(), bareBytes + 1},  // an odd byte, half a character
        {REG_MULTI_SZ, multi.data(), static_cast<DWORD>(multi.size() * 2)}, {REG_EXPAND_SZ, bare.c_str(), bareBytes + 2},
        // Not taken: an expandable value used as written, a number, empty values, none.
        {REG_EXPAND_SZ, expandable.c_str(), static_cast<DWORD>((expandable.size() + 1) * 2)},
        {REG_DWORD, &number, sizeof number}, {REG_SZ, L"", 2}, {REG_SZ, L"", 0}, {REG_SZ, nullptr, 0}, {REG_BINARY, "\0\0", 2},
    };
    for (size_t i = 0; i < std::size(rows); ++i) {
        ASSERT_TRUE(addKey(k32, kJreRoot, L"1." + std::to_wstring(i + 1), rows[i].type, rows[i].data, rows[i].size));
    }
    std::wstring found;
    for (const RuntimeCandidate& c : rootSearch(k32, settingsWith(L"", L"", L""))) found += formatVersion(c.version) + L" " + c.runtimeFolder + L";";
    EXPECT_EQ(u8(found), u8(L"1.1 " + home + L";1.2 " + home + L";1.3 " + home + L";1.4 " + home + L";1.5 " + home + L";"));

    const std::wstring rt = runtime(L"rt2", {kServer});
    fs::create_directories(fs::path(rt + kClient));
    for (int i = 0; i < 3000; ++i) ASSERT_TRUE(addKey(k64, kJreRoot, L"2." + std::to_wstring(i), REG_SZ, nullptr, 0));
    ASSERT_TRUE(addRuntime(k64, kJreRoot, L"zz-1.6", rt));
    ASSERT_TRUE(addRuntime(k64, kJreRoot, L"zz-9.9", rt));
    const std::vector<RuntimeCandidate> list = rootSearch(k64, settingsWith(L"", L"", L"9.5"));
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(u8(list[0].runtimeFolder), u8(rt));
    EXPECT_EQ(search(settingsWith(L"", L"", L"9.5"), false), u8(rt + kServer));
    for (const wchar_t* pattern : {L"r*", L"r?", L"*"}) {  // configured folders take no wildcards
        LaunchSettings s = settingsWith(L"", L"", L"0.1");
        s.jrePath = temp_.path(pattern);
        EXPECT_EQ(search(s, false), "") << u8(pattern);
    }
}

}  // namespace
}  // namespace jl
