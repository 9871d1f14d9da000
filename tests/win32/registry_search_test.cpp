// The runtime search against the real registry: keys written in both views below a
// test key of HKEY_LOCAL_MACHINE\Software (which the registry redirects per view like the
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

std::string u8(const std::wstring& s) { return os::toUtf8(s); }

REGSAM viewFlag(RegistryView view) {
    return view == RegistryView::Bits32 ? KEY_WOW64_32KEY : view == RegistryView::Bits64 ? KEY_WOW64_64KEY : 0;
}

constexpr wchar_t kTestsKey[] = L"Software\\JLaunchTests";

class RegistrySearchTest : public ::testing::Test {
protected:
    void SetUp() override {
        id_ = std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(GetTickCount());
        software_ = std::wstring(kTestsKey) + L"\\" + id_ + L"\\";
        folder_ = fs::temp_directory_path() / (L"jl-registry-" + id_);
        fs::create_directories(folder_);
        environment_.executableFolderKnown = true;
        environment_.executableFolder = runtime(L"app", {});
        environment_.ownMachine = kMachineI386;
        prompted_ = 0;
        environment_.prompt.show = [](const std::wstring&, JvmType, std::wstring&, std::wstring&) {
            ++prompted_;
            return false;
        };
    }

    void TearDown() override {
        const std::pair<HKEY, REGSAM> places[] = {
            {HKEY_LOCAL_MACHINE, KEY_WOW64_32KEY}, {HKEY_LOCAL_MACHINE, KEY_WOW64_64KEY}, {HKEY_CURRENT_USER, 0}};
        for (const auto& [hive, view] : places) {
            HKEY tests = nullptr;
            if (RegOpenKeyExW(hive, kTestsKey, 0, KEY_ALL_ACCESS | view, &tests) != ERROR_SUCCESS) continue;
            RegDeleteTreeW(tests, id_.c_str());
            RegCloseKey(tests);
            RegDeleteKeyExW(hive, kTestsKey, view, 0);  // only when empty
        }
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }

    // A runtime folder below the test folder holding the given files; its path ends with
    // a backslash.
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

    // A key below the test key ("Software\..." as the product names it) in `view` of
    // the hive, with the value given unless `name` is null; false when the registry
    // refused the key.
    bool addValue(HKEY hive, RegistryView view, const std::wstring& keyPath, const wchar_t* name, DWORD type,
                  const void* data, DWORD size) {
        HKEY key = nullptr;
        if (RegCreateKeyExW(hive, (software_ + keyPath.substr(9)).c_str(), 0, nullptr, 0,
                            KEY_ALL_ACCESS | viewFlag(view), nullptr, &key, nullptr) != ERROR_SUCCESS) {
            return false;
        }
        const LONG status =
            name ? RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size) : ERROR_SUCCESS;
        RegCloseKey(key);
        return status == ERROR_SUCCESS;
    }
    static DWORD bytesOf(const std::wstring& text) { return static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)); }

    // A subkey of one of the runtime roots, with "JavaHome" of the given type and bytes
    // (none: no value at all).
    bool addKey(RegistryView view, int root, const std::wstring& name, DWORD type, const void* data, DWORD size,
                bool withValue = true) {
        return addValue(HKEY_LOCAL_MACHINE, view, kRegistryRoots[root].path + name, withValue ? L"JavaHome" : nullptr,
                        type, data, size);
    }
    bool addRuntime(RegistryView view, int root, const std::wstring& name, const std::wstring& home) {
        return addKey(view, root, name, REG_SZ, home.c_str(), bytesOf(home));
    }

    std::unique_ptr<RuntimeRegistry> registry(RegistryView view) { return runtimeRegistryBelow(software_, view); }

    // A value below an entry of a vendor's key, in HKEY_LOCAL_MACHINE in `view` or, with
    // `perUser`, in HKEY_CURRENT_USER.
    bool addVendorValue(bool perUser, RegistryView view, const std::wstring& keyPath, const std::wstring& entry,
                        const std::wstring& below, const std::wstring& valueName, const std::wstring& folder) {
        return addValue(perUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE, view,
                        keyPath + entry + (below.empty() ? L"" : L"\\" + below), valueName.c_str(), REG_SZ,
                        folder.c_str(), bytesOf(folder));
    }

    // Folders of the candidates one root yields, in enumeration order.
    std::vector<std::wstring> candidates(RegistryView view, int root, const LaunchSettings& settings) {
        std::vector<RuntimeCandidate> list;
        searchRegistryRoot(*registry(view), kRegistryRoots[root], settings, list);
        std::vector<std::wstring> folders;
        for (const RuntimeCandidate& c : list) folders.push_back(c.runtimeFolder);
        return folders;
    }

    std::wstring id_;
    std::wstring software_;
    fs::path folder_;
    RuntimeSearchEnvironment environment_;
    static int prompted_;
};

int RegistrySearchTest::prompted_ = 0;

constexpr int kJdkRoot = 0, kJreRoot = 1, kJRockitJreRoot = 2, kIbmRoot = 4;
constexpr wchar_t kClient[] = L"bin\\client\\jvm.dll";
constexpr wchar_t kServer[] = L"bin\\server\\jvm.dll";

LaunchSettings settingsWith(const std::wstring& type, const std::wstring& source, const std::wstring& provider,
                            const std::wstring& minimum, const std::wstring& maximum, const std::wstring& preferred,
                            const std::wstring& pair) {
    LaunchSettings s;
    s.jvmType = interpretJvmType(type);
    s.jvmSource = interpretJvmSource(source);
    s.vmProvider = interpretVmProvider(provider);
    s.minimumVersion = minimumVersionFromSetting(minimum);
    s.maximumVersion = maximumVersionFromSetting(maximum);
    s.preferredVersions = splitAtDelimiter(preferred, L";");
    s.pairProduct = pair;
    return s;
}

TEST_F(RegistrySearchTest, TheLaunchersChooseByTheirSettingsAcrossBothViews) {
    const std::vector<uint8_t> amd64 = test_pe::peImage(test_pe::kMachineAmd64);
    const std::wstring jre15 = runtime(L"jre15", {kClient}), jre16 = runtime(L"jre16", {kClient}),
                       jre17 = runtime(L"jre17", {kClient}), jre18 = runtime(L"jre18", {kClient, kServer}),
                       jdk16 = runtime(L"jdk16", {L"jre\\bin\\server\\jvm.dll"}), ibm = runtime(L"ibm", {kClient}),
                       jrockit = runtime(L"jrockit", {L"bin\\jrockit\\jvm.dll"}),
                       undated = runtime(L"undated", {kClient}), rt64 = runtime(L"rt64", {kServer}, amd64);
    const RegistryView v32 = RegistryView::Bits32;
    ASSERT_TRUE(addRuntime(v32, kJreRoot, L"1.5.0_22", jre15));
    ASSERT_TRUE(addRuntime(v32, kJreRoot, L"1.6.0_45", jre16));
    ASSERT_TRUE(addRuntime(v32, kJreRoot, L"1.7.0_80", jre17.substr(0, jre17.size() - 1)));
    ASSERT_TRUE(addRuntime(v32, kJreRoot, L"1.8", jre18));
    ASSERT_TRUE(addRuntime(v32, kJreRoot, L"1.8.0_151", jre18));
    ASSERT_TRUE(addRuntime(v32, kJreRoot, L"jre", undated));
    ASSERT_TRUE(addRuntime(v32, kJdkRoot, L"1.6.0_10", jdk16));
    ASSERT_TRUE(addRuntime(v32, kIbmRoot, L"1.6.0", ibm));
    ASSERT_TRUE(addRuntime(v32, kJRockitJreRoot, L"1.6.0_20", jrockit));
    ASSERT_TRUE(addRuntime(RegistryView::Bits64, kJreRoot, L"17.0.2", rt64));

    // Each launcher reads its own view by default: the one this test process is built as
    // through the default view (Wow6432Node in a 32-bit process), the other through its view named.
    const bool process32 = sizeof(void*) == 4;
    const std::unique_ptr<RuntimeRegistry> own32 = registry(process32 ? RegistryView::Default : v32),
                                           own64 = registry(process32 ? RegistryView::Bits64 : RegistryView::Default),
                                           view64 = registry(RegistryView::Bits64);
    struct Case {
        const wchar_t *type, *source, *provider, *minimum, *maximum, *preferred, *pair;
        bool launcher32;
        std::wstring expected;  // empty: the user is asked
        bool paired;
    };
    const std::wstring jdkServer = jdk16 + L"jre\\" + kServer;
    const Case cases[] = {
        {L"", L"", L"", L"", L"", L"", L"", true, jre18 + kClient, false},
        {L"", L"", L"", L"1.6", L"1.7", L"", L"", true, jre17 + kClient, false},
        {L"", L"", L"", L"", L"", L"1.6;1.7", L"", true, jre16 + kClient, false},
        {L"", L"", L"", L"", L"", L"1.5", L"", true, jre15 + kClient, false},
        {L"", L"", L"", L"", L"", L"1.4", L"", true, jre18 + kClient, false},
        {L"", L"", L"", L"", L"0.9", L"", L"", true, undated + kClient, false},  // only the name without digits
        {L"", L"favor_JDK", L"", L"", L"", L"", L"", true, jdkServer, false},
        {L"", L"only_JDK", L"", L"", L"", L"", L"", true, jdkServer, false},
        {L"", L"Only_JRE", L"", L"", L"", L"", L"", true, L"", false},
        {L"favor_server", L"", L"", L"", L"", L"", L"", true, jdkServer, false},
        {L"favor_server", L"only_JRE", L"", L"", L"", L"", L"", true, jre18 + kServer, false},
        {L"server", L"", L"", L"", L"", L"", L"", true, jre18 + kServer, false},
        {L"server", L"", L"", L"", L"1.7", L"", L"", true, jdkServer, false},
        {L"server", L"", L"", L"", L"1.5", L"", L"", true, L"", false},
        {L"", L"", L"FAVOR_IBM", L"", L"", L"", L"", true, ibm + kClient, false},
        {L"", L"only_JRE", L"favor_ibm", L"", L"", L"", L"", true, jre18 + kClient, false},
        {L"", L"", L"jrockit", L"", L"", L"", L"", true, jrockit + L"bin\\jrockit\\jvm.dll", false},
        {L"", L"", L"", L"1.9", L"", L"", L"", true, L"", false},
        {L"", L"", L"", L"1.9", L"", L"", L"jlaunch64.exe", true, rt64 + kServer, true},
        {L"", L"", L"", L"", L"", L"", L"jlaunch64.exe", false, rt64 + kServer, false},
        {L"", L"", L"", L"18", L"", L"", L"jlaunch64.exe", false, L"", false},
        {L"", L"", L"", L"", L"1.9", L"", L"jlaunch64.exe", false, L"", false},  // the 32-bit keys stay unseen
    };
    for (const Case& c : cases) {
        const LaunchSettings s = settingsWith(c.type, c.source, c.provider, c.minimum, c.maximum, c.preferred, c.pair);
        environment_.defaultView = c.launcher32 ? own32.get() : own64.get();
        environment_.wideView = c.launcher32 ? view64.get() : nullptr;
        environment_.ownMachine = c.launcher32 ? kMachineI386 : kMachineAmd64;
        prompted_ = 0;
        RuntimeSearchResult result;
        const bool found = findRuntimeIn(s, environment_, result);
        const std::string label = u8(std::wstring(c.type) + L"|" + c.source + L"|" + c.provider + L"|" + c.minimum +
                                     L"|" + c.maximum + L"|" + c.preferred + L"|" + c.pair) +
                                  (c.launcher32 ? " 32" : " 64");
        EXPECT_EQ(found, !c.expected.empty()) << label;
        EXPECT_EQ(prompted_, c.expected.empty() ? 1 : 0) << label;
        EXPECT_EQ(u8(result.jvmLibraryPath), u8(c.expected)) << label;
        EXPECT_EQ(result.startPairedLauncher, c.paired) << label;
        EXPECT_EQ(result.ibmFamily, c.expected == ibm + kClient) << label;
    }
}

TEST_F(RegistrySearchTest, A64BitRuntimeInTheDefaultViewGoesToThePairedLauncher) {
    const std::wstring rt = runtime(L"rt", {kClient}, test_pe::peImage(test_pe::kMachineAmd64));
    ASSERT_TRUE(addRuntime(RegistryView::Bits32, kJreRoot, L"1.8", rt));
    const std::unique_ptr<RuntimeRegistry> view32 = registry(RegistryView::Bits32);
    environment_.defaultView = view32.get();
    RuntimeSearchResult result;
    const LaunchSettings s = settingsWith(L"", L"", L"", L"", L"", L"", L"jlaunch64.exe");
    ASSERT_TRUE(findRuntimeIn(s, environment_, result));
    EXPECT_EQ(u8(result.jvmLibraryPath), u8(rt + kClient));
    EXPECT_TRUE(result.startPairedLauncher);
}

TEST_F(RegistrySearchTest, JavaHomeOfAnyTypeIsReadAsTextOrSkipped) {
    const std::wstring home = runtime(L"rt", {kClient});
    const std::wstring bare = home.substr(0, home.size() - 1);
    const DWORD bareBytes = static_cast<DWORD>(bare.size() * sizeof(wchar_t));
    std::vector<BYTE> odd(reinterpret_cast<const BYTE*>(bare.data()), reinterpret_cast<const BYTE*>(bare.data()) + bareBytes);
    odd.push_back(0x41);
    std::wstring multi = bare + L'\0' + L"C:\\other" + L'\0' + L'\0';
    const std::wstring expandable = L"%SystemRoot%\\..\\" + bare.substr(3);
    const DWORD number = 0x005C0043;  // "C\" and nothing after it
    const wchar_t empty[] = L"";
    const RegistryView v = RegistryView::Bits64;
    ASSERT_TRUE(addKey(v, kJreRoot, L"1.1", REG_SZ, bare.c_str(), bareBytes + 2));
    ASSERT_TRUE(addKey(v, kJreRoot, L"1.2", REG_BINARY, bare.data(), bareBytes));  // no terminator
    ASSERT_TRUE(addKey(v, kJreRoot, L"1.3", REG_BINARY, odd.data(), static_cast<DWORD>(odd.size())));
    ASSERT_TRUE(addKey(v, kJreRoot, L"1.4", REG_MULTI_SZ, multi.data(), static_cast<DWORD>(multi.size() * 2)));
    ASSERT_TRUE(addKey(v, kJreRoot, L"1.5", REG_EXPAND_SZ, bare.c_str(), bareBytes + 2));
    ASSERT_TRUE(addKey(v, kJreRoot, L"1.6", REG_EXPAND_SZ, expandable.c_str(),
                       static_cast<DWORD>((expandable.size() + 1) * 2)));  // used as written
    ASSERT_TRUE(addKey(v, kJreRoot, L"1.7", REG_DWORD, &number, sizeof number));
    ASSERT_TRUE(addKey(v, kJreRoot, L"1.8", REG_SZ, empty, sizeof empty));
    ASSERT_TRUE(addKey(v, kJreRoot, L"1.9", REG_SZ, empty, 0));
    ASSERT_TRUE(addKey(v, kJreRoot, L"2.0", REG_SZ, nullptr, 0, false));
    ASSERT_TRUE(addKey(v, kJreRoot, L"2.1", REG_BINARY, "\0\0", 2));

    std::vector<RuntimeCandidate> list;
    searchRegistryRoot(*registry(v), kRegistryRoots[kJreRoot], settingsWith(L"", L"", L"", L"", L"", L"", L""), list);
    std::vector<std::string> versions;
    for (const RuntimeCandidate& c : list) {
        versions.push_back(u8(formatVersion(c.version)));
        EXPECT_EQ(u8(c.runtimeFolder), u8(home));
    }
    EXPECT_EQ(versions, (std::vector<std::string>{"1.1", "1.2", "1.3", "1.4", "1.5"}));
}

TEST_F(RegistrySearchTest, OddNamesAndManyKeysHideNoRuntime) {
    const std::wstring rt = runtime(L"rt", {kClient});
    const RegistryView v = RegistryView::Bits64;
    // The registry may refuse a name longer than it allows; if it takes it, the name
    // cannot be read into the search's buffer and is passed over.
    const bool longNameStored = addRuntime(v, kJreRoot, L"1.0." + std::wstring(300, L'9'), rt);
    for (int i = 0; i < 3000; ++i) {
        ASSERT_TRUE(addKey(v, kJreRoot, L"2." + std::to_wstring(i), REG_SZ, nullptr, 0, false));
    }
    ASSERT_TRUE(addRuntime(v, kJreRoot, L"zz-1.6", rt));
    ASSERT_TRUE(addRuntime(v, kJreRoot, L"zz-9.9", rt));

    const LaunchSettings s = settingsWith(L"", L"", L"", L"", L"9.5", L"", L"");
    const std::vector<std::wstring> found = candidates(v, kJreRoot, s);
    EXPECT_EQ(found, (std::vector<std::wstring>{rt})) << "long name stored: " << longNameStored;
    const std::vector<std::wstring> all = candidates(v, kJreRoot, settingsWith(L"", L"", L"", L"", L"", L"", L""));
    EXPECT_EQ(all.size(), 2u);
}

TEST_F(RegistrySearchTest, FoldersAreNoLibrariesAndConfiguredFoldersTakeNoWildcards) {
    const std::wstring rt = runtime(L"rt", {kServer});
    fs::create_directories(fs::path(rt + kClient));
    ASSERT_TRUE(addRuntime(RegistryView::Bits64, kJreRoot, L"1.8", rt));
    const std::unique_ptr<RuntimeRegistry> view64 = registry(RegistryView::Bits64);
    RuntimeCandidate selected;
    ASSERT_TRUE(searchRegistry(*view64, settingsWith(L"", L"", L"", L"", L"", L"", L""), selected));
    EXPECT_EQ(u8(findJvmLibrary(selected.runtimeFolder, JvmType::Default)), u8(rt + kServer));

    const std::wstring other = runtime(L"other", {kClient});
    for (const wchar_t* pattern : {L"oth*", L"othe?", L"*"}) {
        LaunchSettings s = settingsWith(L"", L"", L"", L"", L"", L"", L"");
        s.jrePath = (folder_ / pattern).wstring();
        RuntimeSearchResult result;
        prompted_ = 0;
        EXPECT_FALSE(findRuntimeIn(s, environment_, result)) << u8(pattern);
        EXPECT_EQ(prompted_, 1) << u8(pattern);
        EXPECT_TRUE(result.jvmLibraryPath.empty()) << u8(result.jvmLibraryPath);
    }
}

TEST(RegistryKeyTest, ReadsOnlyWhatExists) {
    os::RegistryKey key;
    EXPECT_FALSE(key.openLocalMachine(L"Software\\JLaunchTests\\does not exist", RegistryView::Bits64));
    ASSERT_TRUE(key.openLocalMachine(L"Software\\Microsoft\\Windows NT\\CurrentVersion\\", RegistryView::Default));
    std::wstring text;
    EXPECT_FALSE(key.readValueText(L"no such value", text));
    os::RegistryKey missing;
    EXPECT_FALSE(missing.openSubkey(key, L"no such key"));
    EXPECT_EQ(missing.subkeyName(0, 260, text), static_cast<uint32_t>(ERROR_INVALID_HANDLE));
}

// --- the vendors' keys ---------------------------------------------------------------------

// An entry name of the vendor's own scheme, naming a JDK; one per value of the key.
std::wstring entryNameFor(const VendorRegistration& r, size_t value) {
    if (r.kindRule == VendorKindRule::JreSuffix) return L"zulu-17";
    if (r.kindRule == VendorKindRule::JrePrefix) return L"jdk-17";
    return L"17.0.2." + std::to_wstring(value);
}

TEST_F(RegistrySearchTest, EveryVendorKeyIsFoundInItsViewAndPerUserInBoth) {
    const LaunchSettings any = settingsWith(L"", L"", L"any", L"", L"", L"", L"");
    const std::unique_ptr<RuntimeRegistry> view32 = registry(RegistryView::Bits32),
                                           view64 = registry(RegistryView::Bits64);
    int row = 0;
    for (const VendorRegistration& r : kVendorRegistrations) {
        for (size_t v = 0; v < r.valueCount; ++v, ++row) {
            const VendorValue& value = r.values[v];
            const std::wstring label = std::wstring(r.path) + L" " + value.below + L" " + value.valueName;
            struct Place {
                bool perUser;
                RegistryView view;
                const wchar_t* name;
            };
            const Place places[] = {{false, RegistryView::Bits32, L"32"},
                                    {false, RegistryView::Bits64, L"64"},
                                    {true, RegistryView::Bits64, L"user"}};
            for (const Place& place : places) {
                const std::wstring folder = runtime(L"r" + std::to_wstring(row) + place.name, {kServer});
                const std::wstring name = entryNameFor(r, v);
                ASSERT_TRUE(addVendorValue(place.perUser, place.view, r.path, name, value.below, value.valueName,
                                           folder.substr(0, folder.size() - 1)))
                    << u8(label);
                const RegistryHive hive = place.perUser ? RegistryHive::CurrentUser : RegistryHive::LocalMachine;
                for (RuntimeRegistry* view : {view32.get(), view64.get()}) {
                    std::vector<RuntimeCandidate> list;
                    searchVendorRegistration(*view, hive, r, any, kMachineI386, list);
                    std::vector<RuntimeCandidate> found;
                    for (const RuntimeCandidate& c : list) {
                        if (c.runtimeFolder == folder) found.push_back(c);
                    }
                    // Machine-wide keys belong to one view; per-user keys are the same
                    // in both.
                    const bool inView32 = view == view32.get();
                    const bool visible = place.perUser || inView32 == (place.view == RegistryView::Bits32);
                    ASSERT_EQ(found.size(), visible ? 1u : 0u) << u8(label) << " in " << u8(place.name);
                    if (!visible) continue;
                    EXPECT_EQ(u8(formatVersion(found[0].version)), u8(formatVersion(parseVersion(name, 0))))
                        << u8(label);
                    EXPECT_EQ(found[0].provider, value.provider) << u8(label);
                    EXPECT_TRUE(found[0].isServer) << u8(label);
                }
            }
        }
    }
    EXPECT_EQ(row, 23);  // every row of the table, with each of its values
}

TEST_F(RegistrySearchTest, AMachineWithOlderAndNewerRegistrationsChoosesAsBefore) {
    const std::wstring jre8 = runtime(L"jre8", {kClient}), jdk17 = runtime(L"jdk17", {kServer}),
                       user21 = runtime(L"user21", {kServer});
    std::ofstream(folder_ / L"user21" / L"release") << "JAVA_VERSION=\"21.0.4\"\n";
    const RegistryView v32 = RegistryView::Bits32;
    ASSERT_TRUE(addRuntime(v32, kJreRoot, L"1.8.0_151", jre8));
    ASSERT_TRUE(addVendorValue(false, v32, L"Software\\JavaSoft\\JDK\\", L"17.0.9", L"", L"JavaHome", jdk17));
    ASSERT_TRUE(addVendorValue(true, v32, L"Software\\Eclipse Adoptium\\JDK\\", L"21.0.4.7", L"hotspot\\MSI", L"Path",
                               user21));
    const std::unique_ptr<RuntimeRegistry> view32 = registry(v32), view64 = registry(RegistryView::Bits64);
    environment_.defaultView = view32.get();
    environment_.wideView = view64.get();
    struct Case {
        const wchar_t *type, *source, *minimum, *maximum, *preferred;
        std::wstring expected;
    };
    const Case cases[] = {
        // Whatever the newer keys hold, a runtime under the older roots is chosen as ever.
        {L"", L"", L"", L"", L"", jre8 + kClient},
        {L"", L"", L"", L"", L"17", jre8 + kClient},
        {L"server", L"only_JRE", L"", L"", L"", L""},
        // When the older roots give nothing, the newer keys of the same view are searched,
        // machine-wide and per user together, in the same order.
        {L"server", L"", L"", L"", L"", user21 + kServer},
        {L"", L"", L"9", L"", L"", user21 + kServer},
        {L"", L"", L"9", L"", L"17", jdk17 + kServer},
        {L"", L"", L"9", L"20", L"", jdk17 + kServer},
        {L"", L"", L"22", L"", L"", L""},
    };
    for (const Case& c : cases) {
        const LaunchSettings s = settingsWith(c.type, c.source, L"", c.minimum, c.maximum, c.preferred, L"");
        prompted_ = 0;
        RuntimeSearchResult result;
        const bool found = findRuntimeIn(s, environment_, result);
        const std::string label = u8(std::wstring(c.type) + L"|" + c.source + L"|" + c.minimum + L"|" + c.maximum +
                                     L"|" + c.preferred);
        EXPECT_EQ(found, !c.expected.empty()) << label;
        EXPECT_EQ(u8(result.jvmLibraryPath), u8(c.expected)) << label;
        EXPECT_FALSE(result.startPairedLauncher) << label;
    }
}

TEST_F(RegistrySearchTest, SixtyFourBitRuntimesOfTheNewerKeysGoToThePairedLauncher) {
    const std::vector<uint8_t> amd64 = test_pe::peImage(test_pe::kMachineAmd64);
    const std::wstring machine64 = runtime(L"m64", {kServer}, amd64), user64 = runtime(L"u64", {kServer}, amd64);
    ASSERT_TRUE(addVendorValue(false, RegistryView::Bits64, L"Software\\Microsoft\\JDK\\", L"21.0.4.7",
                               L"hotspot\\MSI", L"Path", machine64));
    const std::unique_ptr<RuntimeRegistry> view32 = registry(RegistryView::Bits32),
                                           view64 = registry(RegistryView::Bits64);
    environment_.defaultView = view32.get();
    environment_.wideView = view64.get();
    RuntimeSearchResult result;

    // Machine-wide in the 64-bit view: only with a paired launcher.
    EXPECT_FALSE(findRuntimeIn(settingsWith(L"", L"", L"", L"", L"", L"", L""), environment_, result));
    ASSERT_TRUE(findRuntimeIn(settingsWith(L"", L"", L"", L"", L"", L"", L"jlaunch64.exe"), environment_, result));
    EXPECT_EQ(u8(result.jvmLibraryPath), u8(machine64 + kServer));
    EXPECT_TRUE(result.startPairedLauncher);

    // Per user, seen from both views: this launcher cannot load it and drops it unless
    // the paired launcher can take it.
    ASSERT_TRUE(addVendorValue(true, RegistryView::Bits64, L"Software\\Azul Systems\\Zulu\\", L"zulu-22",
                               L"", L"InstallationPath", user64));
    EXPECT_FALSE(findRuntimeIn(settingsWith(L"", L"", L"", L"", L"", L"", L""), environment_, result));
    ASSERT_TRUE(findRuntimeIn(settingsWith(L"", L"", L"", L"", L"", L"", L"jlaunch64.exe"), environment_, result));
    EXPECT_EQ(u8(result.jvmLibraryPath), u8(user64 + kServer));
    EXPECT_TRUE(result.startPairedLauncher);

    // The 64-bit launcher hosts both itself.
    environment_.defaultView = view64.get();
    environment_.wideView = nullptr;
    environment_.ownMachine = kMachineAmd64;
    ASSERT_TRUE(findRuntimeIn(settingsWith(L"", L"", L"", L"", L"21", L"", L""), environment_, result));
    EXPECT_EQ(u8(result.jvmLibraryPath), u8(machine64 + kServer));
    EXPECT_FALSE(result.startPairedLauncher);
}

}  // namespace
}  // namespace jl
