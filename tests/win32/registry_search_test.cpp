// The runtime search against the real registry: keys written in both views below a test
// key of HKEY_LOCAL_MACHINE\Software (which the registry redirects per view like the
// runtime keys themselves), pointing at fabricated runtime folders. The 32-bit launcher
// is played by a search whose default view is pinned to the 32-bit one.
#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "../unit/pe_test_image.h"
#include "os/os.h"
#include "runtime/registered_runtimes.h"
#include "runtime/runtime_search.h"
#include "runtime/vendor_registrations.h"
#include "support/text.h"

namespace jl {
namespace {

namespace fs = std::filesystem;
using os::RegistryView;
constexpr RegistryView k32 = RegistryView::Bits32, k64 = RegistryView::Bits64;
constexpr wchar_t kTestsKey[] = L"Software\\JLaunchTests";
constexpr wchar_t kClient[] = L"bin\\client\\jvm.dll";
constexpr wchar_t kServer[] = L"bin\\server\\jvm.dll";
constexpr int kJdkRoot = 0, kJreRoot = 1;

std::string u8(const std::wstring& s) { return os::toUtf8(s); }

LaunchSettings settingsWith(const std::wstring& type, const std::wstring& minimum, const std::wstring& maximum,
                            const std::wstring& pair = L"", const std::wstring& source = L"") {
    LaunchSettings s;
    s.jvmType = interpretJvmType(type);
    s.jvmSource = interpretJvmSource(source);
    s.vmProvider = interpretVmProvider(L"any");
    s.minimumVersion = minimumVersionFromSetting(minimum);
    s.maximumVersion = maximumVersionFromSetting(maximum);
    s.pairProduct = pair;
    return s;
}

class RegistrySearchTest : public ::testing::Test {
protected:
    void SetUp() override {
        id_ = std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(GetTickCount());
        software_ = std::wstring(kTestsKey) + L"\\" + id_ + L"\\";
        folder_ = fs::temp_directory_path() / (L"jl-registry-" + id_);
        environment_.executableFolderKnown = true;
        environment_.executableFolder = runtime(L"app", {});
        environment_.prompt.show = [](const std::wstring&, JvmType, std::wstring&, std::wstring&) { return false; };
    }
    void TearDown() override {
        for (const auto& [hive, view] : {std::pair{HKEY_LOCAL_MACHINE, KEY_WOW64_32KEY},
                                         {HKEY_LOCAL_MACHINE, KEY_WOW64_64KEY}, {HKEY_CURRENT_USER, 0}}) {
            HKEY tests = nullptr;
            if (RegOpenKeyExW(hive, kTestsKey, 0, KEY_ALL_ACCESS | view, &tests) != ERROR_SUCCESS) continue;
            RegDeleteTreeW(tests, id_.c_str());
            RegCloseKey(tests);
            RegDeleteKeyExW(hive, kTestsKey, view, 0);  // only when empty
        }
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }

    // A runtime folder holding the given files; its path ends with a backslash.
    std::wstring runtime(const std::wstring& name, const std::vector<std::wstring>& files,
                         const std::vector<uint8_t>& content = {'t', 'e', 'x', 't'}) {
        fs::create_directories(folder_ / name);
        for (const std::wstring& file : files) {
            fs::create_directories((folder_ / name / file).parent_path());
            std::ofstream(folder_ / name / file, std::ios::binary)
                .write(reinterpret_cast<const char*>(content.data()), static_cast<std::streamsize>(content.size()));
        }
        return (folder_ / name).wstring() + L"\\";
    }

    // A value below the test key ("Software\..." as the product names it) in `view` of the
    // hive (none with a null name); false when the registry refused the key.
    bool addValue(HKEY hive, RegistryView view, const std::wstring& keyPath, const wchar_t* name, DWORD type,
                  const void* data, DWORD size) {
        HKEY key = nullptr;
        const REGSAM flag = view == k32 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;
        if (RegCreateKeyExW(hive, (software_ + keyPath.substr(9)).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | flag,
                            nullptr, &key, nullptr) != ERROR_SUCCESS) {
            return false;
        }
        const LONG status = name ? RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size) : 0;
        RegCloseKey(key);
        return status == ERROR_SUCCESS;
    }
    bool addKey(RegistryView view, int root, const std::wstring& name, DWORD type, const void* data, DWORD size,
                bool withValue = true) {
        return addValue(HKEY_LOCAL_MACHINE, view, kRegistryRoots[root].path + name, withValue ? L"JavaHome" : nullptr,
                        type, data, size);
    }
    bool addRuntime(RegistryView view, int root, const std::wstring& name, const std::wstring& home) {
        return addKey(view, root, name, REG_SZ, home.c_str(), static_cast<DWORD>((home.size() + 1) * 2));
    }
    bool addVendorValue(HKEY hive, RegistryView view, const std::wstring& path, const std::wstring& value,
                        const std::wstring& folder) {
        return addValue(hive, view, path, value.c_str(), REG_SZ, folder.c_str(), static_cast<DWORD>((folder.size() + 1) * 2));
    }
    std::unique_ptr<RuntimeRegistry> registry(RegistryView view) { return runtimeRegistryBelow(software_, view); }

    // The launcher's search: the library found ("" when the user was asked) and whether it
    // goes to the paired launcher.
    std::string search(const LaunchSettings& s, bool launcher32, bool* paired = nullptr) {
        // Each launcher reads its own view by default: the one this test process is built
        // as through the default view (Wow6432Node in a 32-bit process), the other named.
        const bool process32 = sizeof(void*) == 4;
        const auto own32 = registry(process32 ? RegistryView::Default : k32),
                   own64 = registry(process32 ? k64 : RegistryView::Default), view64 = registry(k64);
        environment_.defaultView = launcher32 ? own32.get() : own64.get();
        environment_.wideView = launcher32 ? view64.get() : nullptr;
        environment_.ownMachine = launcher32 ? kMachineI386 : kMachineAmd64;
        RuntimeSearchResult result;
        const bool found = findRuntimeIn(s, environment_, result);
        if (paired) *paired = result.startPairedLauncher;
        return found ? u8(result.jvmLibraryPath) : "";
    }

    std::wstring id_, software_;
    fs::path folder_;
    RuntimeSearchEnvironment environment_;
};

TEST_F(RegistrySearchTest, EachLauncherSeesItsViewAndHandsTheOtherMachineOver) {
    const std::vector<uint8_t> amd64 = test_pe::peImage(test_pe::kMachineAmd64);
    const std::wstring jre16 = runtime(L"jre16", {kClient}), jre17 = runtime(L"jre17", {kClient}),
                       jdk16 = runtime(L"jdk16", {L"jre\\bin\\server\\jvm.dll"}), rt64 = runtime(L"rt64", {kServer}, amd64),
                       wrong64 = runtime(L"wrong64", {kClient}, amd64);
    ASSERT_TRUE(addRuntime(k32, kJreRoot, L"1.6.0_45", jre16));
    ASSERT_TRUE(addRuntime(k32, kJreRoot, L"1.7.0_80", jre17.substr(0, jre17.size() - 1)));  // no final separator
    ASSERT_TRUE(addRuntime(k32, kJdkRoot, L"1.6.0_10", jdk16));
    ASSERT_TRUE(addRuntime(k32, kJreRoot, L"1.5", wrong64));  // a 64-bit runtime in the 32-bit view
    ASSERT_TRUE(addRuntime(k64, kJreRoot, L"17.0.2", rt64));
    struct Row {
        LaunchSettings settings;
        bool launcher32;
        std::wstring expected;  // empty: the user is asked
        bool paired;
    };
    const std::wstring jdkServer = jdk16 + L"jre\\" + kServer;
    const Row rows[] = {
        {settingsWith(L"", L"", L""), true, jre17 + kClient, false},
        {settingsWith(L"", L"", L"1.6"), true, jre16 + kClient, false},
        {settingsWith(L"server", L"", L""), true, jdkServer, false},
        {settingsWith(L"", L"", L"", L"", L"only_JDK"), true, jdkServer, false},
        {settingsWith(L"", L"1.9", L""), true, L"", false},
        {settingsWith(L"", L"1.9", L"", L"jlaunch64.exe"), true, rt64 + kServer, true},
        {settingsWith(L"", L"1.5", L"1.5", L"jlaunch64.exe"), true, wrong64 + kClient, true},
        {settingsWith(L"", L"", L"", L"jlaunch64.exe"), false, rt64 + kServer, false},
        {settingsWith(L"", L"", L"1.9", L"jlaunch64.exe"), false, L"", false},  // the 32-bit keys stay unseen
    };
    for (const Row& row : rows) {
        bool paired = false;
        const std::string label = u8(row.expected) + (row.launcher32 ? " (32)" : " (64)");
        EXPECT_EQ(search(row.settings, row.launcher32, &paired), u8(row.expected)) << label;
        EXPECT_EQ(paired, row.paired) << label;
    }
}

TEST_F(RegistrySearchTest, JavaHomeOfAnyTypeIsReadAsTextOrSkipped) {
    const std::wstring home = runtime(L"rt", {kClient});
    const std::wstring bare = home.substr(0, home.size() - 1);
    const DWORD bareBytes = static_cast<DWORD>(bare.size() * sizeof(wchar_t));
    std::vector<BYTE> odd(reinterpret_cast<const BYTE*>(bare.data()), reinterpret_cast<const BYTE*>(bare.data()) + bareBytes);
    odd.push_back(0x41);
    const std::wstring multi = bare + L'\0' + L"C:\\other" + L'\0' + L'\0';
    const std::wstring expandable = L"%SystemRoot%\\..\\" + bare.substr(3);
    const DWORD number = 0x005C0043;  // "C\" and nothing after it
    struct Row {
        DWORD type;
        const void* data;
        DWORD size;
    };
    const Row rows[] = {
        {REG_SZ, bare.c_str(), bareBytes + 2}, {REG_BINARY, bare.data(), bareBytes},  // no terminator
        {REG_BINARY, odd.data(), static_cast<DWORD>(odd.size())},
        {REG_MULTI_SZ, multi.data(), static_cast<DWORD>(multi.size() * 2)}, {REG_EXPAND_SZ, bare.c_str(), bareBytes + 2},
        // Not taken: an expandable value used as written, a number, empty values, none.
        {REG_EXPAND_SZ, expandable.c_str(), static_cast<DWORD>((expandable.size() + 1) * 2)},
        {REG_DWORD, &number, sizeof number}, {REG_SZ, L"", 2}, {REG_SZ, L"", 0}, {REG_SZ, nullptr, 0},
        {REG_BINARY, "\0\0", 2},
    };
    for (size_t i = 0; i < std::size(rows); ++i) {
        const Row& row = rows[i];
        ASSERT_TRUE(addKey(k64, kJreRoot, L"1." + std::to_wstring(i + 1), row.type, row.data, row.size, row.data != nullptr));
    }
    std::vector<RuntimeCandidate> list;
    searchRegistryRoot(*registry(k64), kRegistryRoots[kJreRoot], settingsWith(L"", L"", L""), list);
    std::vector<std::string> versions;
    for (const RuntimeCandidate& c : list) {
        versions.push_back(u8(formatVersion(c.version)));
        EXPECT_EQ(u8(c.runtimeFolder), u8(home));
    }
    EXPECT_EQ(versions, (std::vector<std::string>{"1.1", "1.2", "1.3", "1.4", "1.5"}));
}

TEST_F(RegistrySearchTest, OddNamesManyKeysAndFoldersHideNoRuntime) {
    const std::wstring rt = runtime(L"rt", {kServer});
    fs::create_directories(fs::path(rt + kClient));  // a folder named like the library
    // The registry may refuse a name longer than it allows; one it takes cannot be read
    // into the search's buffer and is passed over.
    addRuntime(k64, kJreRoot, L"1.0." + std::wstring(300, L'9'), rt);
    for (int i = 0; i < 3000; ++i) ASSERT_TRUE(addKey(k64, kJreRoot, L"2." + std::to_wstring(i), REG_SZ, nullptr, 0, false));
    ASSERT_TRUE(addRuntime(k64, kJreRoot, L"zz-1.6", rt));
    ASSERT_TRUE(addRuntime(k64, kJreRoot, L"zz-9.9", rt));
    std::vector<RuntimeCandidate> list;
    searchRegistryRoot(*registry(k64), kRegistryRoots[kJreRoot], settingsWith(L"", L"", L"9.5"), list);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(u8(list[0].runtimeFolder), u8(rt));
    EXPECT_EQ(search(settingsWith(L"", L"", L"9.5"), false), u8(rt + kServer));
    // Configured folders take no wildcards.
    for (const wchar_t* pattern : {L"r*", L"r?", L"*"}) {
        LaunchSettings s = settingsWith(L"", L"", L"0.1");
        s.jrePath = (folder_ / pattern).wstring();
        EXPECT_EQ(search(s, false), "") << u8(pattern);
    }
    os::RegistryKey key, missing;
    EXPECT_FALSE(key.openLocalMachine(L"Software\\JLaunchTests\\does not exist", k64));
    ASSERT_TRUE(key.openLocalMachine(L"Software\\Microsoft\\Windows NT\\CurrentVersion\\", RegistryView::Default));
    std::wstring text;
    EXPECT_FALSE(key.readValueText(L"no such value", text));
    EXPECT_FALSE(missing.openSubkey(key, L"no such key"));
    EXPECT_EQ(missing.subkeyName(0, 260, text), static_cast<uint32_t>(ERROR_INVALID_HANDLE));
}

// Each value of each vendor's key, machine-wide in one view (seen there only) and per user
// (seen from both), with an entry name of the vendor's own scheme naming a JDK.
TEST_F(RegistrySearchTest, EveryVendorKeyIsFoundInItsViewAndPerUserInBoth) {
    const LaunchSettings any = settingsWith(L"", L"", L"");
    const auto view32 = registry(k32), view64 = registry(k64);
    int row = 0;
    for (const VendorRegistration& r : kVendorRegistrations) {
        for (size_t v = 0; v < r.valueCount; ++v, ++row) {
            const VendorValue& value = r.values[v];
            const std::wstring name = r.kindRule == VendorKindRule::JreSuffix   ? L"zulu-17"
                                      : r.kindRule == VendorKindRule::JrePrefix ? L"jdk-17"
                                                                                : L"17.0.2." + std::to_wstring(v);
            const std::string label = u8(std::wstring(r.path) + L" " + value.below + L" " + value.valueName);
            for (const auto& [perUser, view] : {std::pair{false, k32}, {false, k64}, {true, k64}}) {
                const std::wstring folder = runtime(L"r" + std::to_wstring(row) + (perUser ? L"u" : L"m") +
                                                    std::to_wstring(static_cast<int>(view)), {kServer});
                ASSERT_TRUE(addVendorValue(perUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE, view,
                                           std::wstring(r.path) + name + (value.below[0] ? L"\\" : L"") + value.below,
                                           value.valueName, folder.substr(0, folder.size() - 1)))
                    << label;
                for (RuntimeRegistry* seen : {view32.get(), view64.get()}) {
                    std::vector<RuntimeCandidate> list, found;
                    searchVendorRegistration(*seen, perUser ? RegistryHive::CurrentUser : RegistryHive::LocalMachine, r,
                                             any, kMachineI386, list);
                    for (const RuntimeCandidate& c : list) {
                        if (c.runtimeFolder == folder) found.push_back(c);
                    }
                    const bool visible = perUser || (seen == view32.get()) == (view == k32);
                    ASSERT_EQ(found.size(), visible ? 1u : 0u) << label;
                    if (!visible) continue;
                    EXPECT_EQ(u8(formatVersion(found[0].version)), u8(formatVersion(parseVersion(name, 0)))) << label;
                    EXPECT_EQ(found[0].provider, value.provider) << label;
                    EXPECT_TRUE(found[0].isServer) << label;
                }
            }
        }
    }
    EXPECT_EQ(row, 23);  // every row of the table, with each of its values
}

}  // namespace
}  // namespace jl
