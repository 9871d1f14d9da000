// The runtime search over fabricated runtime folders and an in-memory registry.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <random>

#include "os/os.h"
#include "pe_test_image.h"
#include "runtime/registered_runtimes.h"
#include "runtime/release_file.h"
#include "runtime/runtime_folder_choice.h"
#include "runtime/runtime_search.h"
#include "runtime/vendor_registrations.h"
#include "support/messages.h"
#include "support/text.h"
#include "temp_folder.h"

namespace jl {
namespace {

namespace fs = std::filesystem;
using Strings = std::vector<std::wstring>;
const std::wstring kSep(1, os::kPathSeparator);
#ifdef _WIN32
const std::wstring kClient = L"bin\\client\\jvm.dll", kServer = L"bin\\server\\jvm.dll",
                   kClassic = L"bin\\classic\\jvm.dll", kJRockit = L"bin\\jrockit\\jvm.dll", kMarker = L"bin\\java.dll";
#else  // the older layout takes the places of classic and jrockit
const std::wstring kClient = L"lib/client/libjvm.so", kServer = L"lib/server/libjvm.so",
                   kClassic = L"lib/amd64/client/libjvm.so", kJRockit = L"lib/amd64/server/libjvm.so",
                   kMarker = L"lib/libjava.so";
#endif

std::string u8(const std::wstring& s) { return os::toUtf8(s); }

// A runtime folder (with its trailing separator) holding the given files.
std::wstring makeRuntime(const testing::TempFolder& temp, const std::wstring& name, const Strings& files,
                         const std::string& content = "not a library") {
    for (const std::wstring& file : files) temp.write(name + kSep + file, content);
    fs::create_directories(fs::path(temp.path(name)));
    return temp.path(name) + kSep;
}

LaunchSettings settingsWith(const wchar_t* type = L"", const wchar_t* source = L"", const wchar_t* provider = L"",
                            const wchar_t* minimum = L"", const wchar_t* maximum = L"", const wchar_t* preferred = L"") {
    LaunchSettings s;
    s.jvmType = interpretJvmType(type), s.jvmSource = interpretJvmSource(source);
    s.vmProvider = interpretVmProvider(provider), s.preferredVersions = splitAtDelimiter(preferred, L";");
    s.minimumVersion = minimumVersionFromSetting(minimum), s.maximumVersion = maximumVersionFromSetting(maximum);
    return s;
}

// The library found for each type, whether it is a server JVM, and its runtime folder.
TEST(FindJvmLibraryTest, ProbesTheCandidatesOfEachTypeInOrder) {
    const struct { Strings files; const wchar_t* type; std::wstring expected; bool isServer; } cases[] = {
        {{kClient, kServer}, L"", kClient, false}, {{kClient + kSep + L"x", kServer}, L"", kServer, true},  // a folder
        {{kClient, kServer}, L"server", kServer, true}, {{kClient, kServer}, L"favor_server", kServer, true},
        {{kClient}, L"server", L"", false}, {{kClient}, L"favor_server", kClient, false},
        {{kClassic, kJRockit}, L"", kClassic, false}, {{}, L"", L"", false},
#ifdef _WIN32
        {{kJRockit}, L"server", L"", false}, {{kJRockit, L"bin\\hotspot\\jvm.dll"}, L"favor_server", L"bin\\hotspot\\jvm.dll", false},
#else
        {{kJRockit}, L"server", kJRockit, true},
#endif
    };
    for (const auto& c : cases) {
        testing::TempFolder temp;
        const std::wstring folder = makeRuntime(temp, L"rt", c.files);
        bool isServer = !c.isServer;
        const std::wstring found = findJvmLibrary(folder, interpretJvmType(c.type), isServer);
        EXPECT_EQ(u8(found), u8(c.expected.empty() ? L"" : folder + c.expected)) << u8(c.type);
        EXPECT_EQ(isServer, c.isServer) << u8(c.type) << " " << u8(found);
        if (!found.empty()) EXPECT_EQ(u8(runtimeFolderOfLibrary(found) + kSep), u8(folder));
    }
}

// Inclusive version bounds (absent ones and "any" bound nothing); the roots JVM Source and
// VM Provider choose (indexes into kRegistryRoots); the kind a vendor entry's name tells.
TEST(RegistryFilterTest, VersionsRootsAndVendorEntriesFollowTheSettings) {
    const struct { const wchar_t *minimum, *maximum, *version; bool allowed; } bounds[] = {
        {L"1.6", L"1.7", L"1.5.0_22", false}, {L"1.6", L"1.7", L"1.6.0_45", true}, {L"1.6", L"1.7", L"1.7.0_80", true},
        {L"1.6", L"1.7", L"1.8.0_151", false}, {L"1.6", L"1.6.0.45", L"1.6.0_45", true}, {L"1.6.0.45", L"any", L"1.6", false},
        {L"", L"", L"17.0.15", true}, {L"11", L"", L"25", true}, {L"11", L"", L"1.8", false}, {L"", L"", L"jre", true},
        {L"any", L"any", L"2147483647", true},
    };
    for (const auto& c : bounds) {
        EXPECT_EQ(isVersionAllowed(parseVersion(c.version, 0), settingsWith(L"", L"", L"", c.minimum, c.maximum)),
                  c.allowed) << u8(c.minimum) << ".." << u8(c.maximum) << " " << u8(c.version);
    }
    const struct { const wchar_t *source, *provider; const char* roots; } choices[] = {
        {L"", L"", "01"}, {L"only_JRE", L"", "1"}, {L"only_JDK", L"", "0"}, {L"favor_JDK", L"", "01"},
        {L"Only_JRE", L"", ""},  // not a known value: no kind is searched
        {L"", L"FAVOR_IBM", "01234"}, {L"only_JRE", L"favor_ibm", "124"}, {L"", L"jrockit", "23"}, {L"", L"ibm", "4"},
        {L"", L"any", "01234"}, {L"", L"favor_sun", "01234"}, {L"", L"Favor_JRockit", "01234"}, {L"", L"sun", "01"},
    };
    for (const auto& c : choices) {
        std::string searched;
        for (size_t i = 0; i < std::size(kRegistryRoots); ++i) {
            if (isRootSearched(kRegistryRoots[i], settingsWith(L"", c.source, c.provider))) searched += char('0' + i);
        }
        EXPECT_EQ(searched, c.roots) << u8(c.source) << " / " << u8(c.provider);
    }
    const wchar_t *zulu = L"Azul Systems\\Zulu\\", *liberica = L"BellSoft\\Liberica\\";
    const RuntimeKind jdk = RuntimeKind::Jdk, jre = RuntimeKind::Jre;
    const struct { const wchar_t *path, *name; RuntimeKind kind; } entries[] = {
        {zulu, L"zulu-17", jdk}, {zulu, L"zulu-8-jre", jre}, {zulu, L"zulu-jre-8", jdk},
        {liberica, L"jdk-17", jdk}, {liberica, L"jre-8", jre}, {liberica, L"JRE-full-21", jre},
        {L"Azul Systems\\Zulu 32-bit\\", L"ZULU-11-JRE", jre}, {L"JavaSoft\\JRE\\", L"jdk-10", jre}, {L"Semeru\\JDK\\", L"jre-17", jdk},
    };
    for (const auto& c : entries) {
        const auto r = std::find_if(std::begin(kVendorRegistrations), std::end(kVendorRegistrations),
                                    [&](const VendorRegistration& v) { return L"Software\\" + std::wstring(c.path) == v.path; });
        ASSERT_NE(r, std::end(kVendorRegistrations)) << u8(c.path);
        EXPECT_EQ(vendorEntryKind(*r, c.name), c.kind) << u8(c.path) << u8(c.name);
    }
}

// The order a stable sort by this rule gives: a favoured provider first when both kinds
// are searched, a server JVM under favor_server, the newer version; then Preferred versions.
TEST(CandidateOrderTest, IsTheStableOrderOfPreferenceServerAndVersion) {
    std::mt19937 random(7);
    const wchar_t* const versions[] = {L"1.6", L"1.7.0_80", L"1.8", L"1.8.0_151", L"17", L"jre"};
    for (const wchar_t* type : {L"", L"favor_server"}) {
        for (const wchar_t* source : {L"", L"only_JRE"}) {
            const auto rule = [&](const RuntimeCandidate& a, const RuntimeCandidate& b) {
                if (!*source && a.isPreferred != b.isPreferred) return a.isPreferred;
                if (*type && a.isServer != b.isServer) return a.isServer;
                return compareVersions(a.version, b.version) > 0;
            };
            for (int round = 0; round < 50; ++round) {
                std::vector<RuntimeCandidate> list;
                for (int i = 0; i < static_cast<int>(random() % 12); ++i) {  // version, folder, server, preferred
                    list.push_back({parseVersion(versions[random() % std::size(versions)], 0), L"f" + std::to_wstring(i),
                                    random() % 2 == 1, random() % 2 == 1});
                }
                std::vector<RuntimeCandidate> expected = list;
                std::stable_sort(expected.begin(), expected.end(), rule);
                orderCandidates(list, settingsWith(type, source));
                std::wstring got, want;
                for (size_t i = 0; i < list.size(); ++i) got += list[i].runtimeFolder + L" ", want += expected[i].runtimeFolder + L" ";
                EXPECT_EQ(u8(got), u8(want));
            }
        }
    }
    const struct { std::vector<const wchar_t*> versions; const wchar_t *preferred, *selected; } picks[] = {
        {{L"1.8", L"1.8.0_151"}, L"1.8", L"1.8.0_151"}, {{L"1.7.0_80", L"1.6.0_45"}, L"", L"1.7.0_80"},
        {{L"1.7.0_80", L"1.6.0_45"}, L"1.6;1.7", L"1.6.0_45"}, {{L"1.7.0_80", L"1.6.0_45"}, L"1.5", L"1.7.0_80"},
        {{L"1.6.0_45", L"1.7.0_80"}, L";1.6", L"1.7.0_80"},  // the empty first item matches at once
        {{L"1.6.0_45", L"1.7.0_80"}, L"1.5;1.6.0.45", L"1.6.0_45"}, {{}, L"1.6", L"none"},
    };
    for (const auto& c : picks) {
        std::vector<RuntimeCandidate> list;
        for (const wchar_t* v : c.versions) list.push_back({parseVersion(v, 0), v});
        const RuntimeCandidate* chosen = selectCandidate(list, settingsWith(L"", L"", L"", L"", L"", c.preferred));
        EXPECT_EQ(u8(chosen ? chosen->runtimeFolder : L"none"), u8(c.selected)) << u8(c.preferred);
    }
}

TEST(ReleaseFileTest, ReadsTheKeysAndRecognisesTheIbmFamily) {
    const struct { const char *text, *version; bool ibm; } cases[] = {
        {"IMPLEMENTOR=\"Debian\"\nJAVA_VERSION=\"17.0.15\"\n", "17.0.15", false},
        {"JAVA_VERSION=\"1.8.0_151\"\r\nIMPLEMENTOR=\"International Business Machines Corporation\"\r\n", "1.8.0_151", true},
        {"IMPLEMENTOR=\"IBM Corporation\"\nJAVA_VERSION=\"11.0.2\"", "11.0.2", true},
        {"IMPLEMENTOR=\"Eclipse Adoptium\"\nJVM_VARIANT=\"Openj9\"\nJAVA_VERSION=\"21\"", "21", true},
        {"IMPLEMENTOR_VERSION=\"IBM Semeru Runtime Open Edition\"\n", "", true},
        {"IMPLEMENTOR=\"Kibm Labs\"\nJAVA_VERSION = 9 \n", "9", false}, {"IMPLEMENTOR=\"Ibmo\"", "", false},
        {"JAVA_VERSION\nnoise=\"\nIMPLEMENTOR=", "", false}, {"", "", false},
    };
    for (const auto& c : cases) {
        const std::string text = c.text;
        const ReleaseInfo info = parseReleaseFile(std::vector<uint8_t>(text.begin(), text.end()));
        EXPECT_EQ(u8(info.javaVersion), c.version) << c.text;
        EXPECT_EQ(namesIbmFamily(info), c.ibm) << c.text;
    }
}

#ifndef _WIN32
// Folders with a release file, each once under its real path, a JDK 8 through its "jre"
// folder, the IBM family by its release file.
TEST(InstalledRuntimesTest, FoldersWithReleaseFilesAreListedOnceUnderTheirRoot) {
    testing::TempFolder temp;
    const std::wstring jvm = temp.path(L"jvm");
    temp.write(L"jvm/jdk-17/release", "JAVA_VERSION=\"17.0.15\"\nIMPLEMENTOR=\"Debian\"\n"), temp.write(L"jvm/jdk-17/bin/javac", "");
    temp.write(L"jvm/jdk8/release", "JAVA_VERSION=\"1.8.0_151\"\n"), temp.write(L"jvm/jdk8/bin/javac", "");
    temp.write(L"jvm/jdk8/jre/lib/amd64/server/libjvm.so", ""), temp.write(L"jvm/no-release/lib/server/libjvm.so", "");
    temp.write(L"jvm/semeru-jre/release", "JAVA_VERSION=\"11.0.2\"\nJVM_VARIANT=\"Openj9\"\n");
    temp.write(L"jvm/plain-jre/release", "JAVA_VERSION=\"21\"\n"), temp.write(L"jvm/.hidden/release", "JAVA_VERSION=\"99\"\n");
    fs::create_directory_symlink("jdk-17", fs::path(jvm) / "a-java-17-alias");  // first by name: stands for jdk-17
    fs::create_directories(fs::path(temp.path(L"other")));
    fs::create_directory_symlink(fs::path(jvm) / "plain-jre", fs::path(temp.path(L"other")) / "plain");
    std::vector<std::string> seen;
    for (const InstalledRuntime& r : scanInstalledRuntimes({jvm, temp.path(L"other"), temp.path(L"none")})) {
        seen.push_back(u8(r.name) + (r.kind == RuntimeKind::Jdk ? " jdk " : " jre ") + (r.ibmFamily ? "ibm " : "") +
                       u8(r.runtimeFolder.substr(jvm.size())));
    }
    EXPECT_EQ(seen, (std::vector<std::string>{"17.0.15 jdk /jdk-17/", "1.8.0_151 jdk /jdk8/jre/", "21 jre /plain-jre/",
                                              "11.0.2 jre ibm /semeru-jre/"}));
}
#endif

// An in-memory registry: per root path its entries (name, JavaHome) in enumeration order.
struct FakeRegistry : RuntimeRegistry {
    std::map<std::wstring, std::vector<std::pair<std::wstring, std::wstring>>> roots;
    const std::vector<std::pair<std::wstring, std::wstring>>* open = nullptr;
    bool openRoot(const RegistryRoot& root) override {
        const auto it = roots.find(root.path);
        return (open = it == roots.end() ? nullptr : &it->second) != nullptr;
    }
    SubkeyStatus entryName(uint32_t i, std::wstring& name) override {
        return open && i < open->size() ? (name = (*open)[i].first, SubkeyStatus::Found) : SubkeyStatus::End;
    }
    bool javaHome(uint32_t i, const std::wstring&, std::wstring& home) override { return !(home = (*open)[i].second).empty(); }
    void closeRoot() override { open = nullptr; }
};
const wchar_t* const kJavaSoftJre = kRegistryRoots[1].path;

// What the prompt was shown, and what it answers (a library, or none).
struct { int shown; std::wstring message, folder, library; JvmType type; Strings remembered; } prompted;

class RuntimeSearchTest : public ::testing::Test {
protected:
    void SetUp() override {
        prompted = {};
        env.executableFolderKnown = true, env.executableFolder = exeFolder;
        env.defaultView = &registry, env.ownMachine = kMachineI386;
        env.prompt.show = [](const std::wstring& message, JvmType type, std::wstring& folder, std::wstring& library) {
            ++prompted.shown, prompted.message = message, prompted.type = type, folder = prompted.folder;
            library = prompted.library;
            return !library.empty();
        };
        env.prompt.remember = [](const LaunchSettings&, const std::wstring& folder) { prompted.remembered.push_back(folder); };
    }
    void TearDown() override { std::error_code ignored; fs::current_path(savedCurrent, ignored); }
    // The library the search chooses, "prompt" when it asked the user, else "failed".
    std::string search(const LaunchSettings& s) {
        prompted.shown = 0, prompted.remembered.clear();
        if (!findRuntimeIn(s, env, result)) return prompted.shown ? "prompt" : "failed";
        return u8(result.jvmLibraryPath);
    }

    testing::TempFolder temp;
    std::wstring exeFolder = makeRuntime(temp, L"app", {});
    FakeRegistry registry;
    RuntimeSearchEnvironment env;
    RuntimeSearchResult result;
    fs::path savedCurrent = fs::current_path();
};

TEST_F(RuntimeSearchTest, SourcesAreTriedInTheirOrder) {
    const std::wstring configured = makeRuntime(temp, L"configured", {kClient});
    const std::wstring registered = makeRuntime(temp, L"registered", {kClient});
    registry.roots[kJavaSoftJre] = {{L"1.8", registered}};
    LaunchSettings s = settingsWith();
    EXPECT_EQ(search(s), u8(registered + kClient));
    makeRuntime(temp, L"app" + kSep + L"jre", {kMarker, kClient});  // beside the executable, in its jre folder
    EXPECT_EQ(search(s), u8(exeFolder + L"jre" + kSep + kClient));
    s.jrePath = configured.substr(0, configured.size() - 1);  // written without its trailing separator
    EXPECT_EQ(search(s), u8(configured + kClient));
    // A configured folder is used as it is: no "jre" folder is looked for below it.
    s.jrePath = makeRuntime(temp, L"jdk", {L"jre" + kSep + kClient});
    EXPECT_EQ(search(s), u8(exeFolder + L"jre" + kSep + kClient));
    // The release file, of the JDK above a "jre" folder too, marks a runtime found outside
    // the IBM root as IBM.
    s.jrePath = makeRuntime(temp, L"semeru", {L"jre" + kSep + kClient}) + L"jre";
    for (const char* implementor : {"IBM Corporation", "Oracle Corporation"}) {
        temp.write(L"semeru" + kSep + L"release", std::string("IMPLEMENTOR=\"") + implementor + "\"\n");
        EXPECT_EQ(search(s), u8(s.jrePath + kSep + kClient));
        EXPECT_EQ(result.ibmFamily, implementor[0] == 'I') << implementor;
    }
    // A relative one is taken from the executable's folder, never from the current one (a
    // document's folder could plant a runtime there): without the executable's folder it
    // is passed over. Nor is an empty choice in the dialog looked up there.
    registry.roots.clear();
    s.jrePath = L"rt";
    fs::current_path(fs::path(makeRuntime(temp, L"documents", {kClient, L"rt" + kSep + kClient})));
    env.executableFolderKnown = false, env.executableFolder.clear();
    EXPECT_EQ(search(s), "prompt");
    RuntimeFolderChoice choice(JvmType::Default);
    for (const wchar_t* chosen : {L"", L"."}) { choice.choose(chosen); EXPECT_EQ(choice.isValid(), *chosen != 0) << u8(chosen); }
}

TEST_F(RuntimeSearchTest, ThePromptComesLastWithTheMessageOfTheType) {
    registry.roots[kJavaSoftJre] = {{L"1.8", makeRuntime(temp, L"client-only", {kClient})}};
    const LaunchSettings server = settingsWith(L"server", L"", L"", L"1.6");
    EXPECT_EQ(search(server), "prompt");
    EXPECT_EQ(prompted.type, JvmType::Server);
    EXPECT_EQ(u8(prompted.message), u8(formatMessageText(loadMessage(206), {describeVersionConstraint(
                                                                          server.minimumVersion, server.maximumVersion)})));
    EXPECT_TRUE(result.jvmLibraryPath.empty() && prompted.remembered.empty());
    // favor_server accepts the same runtime through its client JVM.
    EXPECT_EQ(search(settingsWith(L"favor_server")), u8(temp.path(L"client-only") + kSep + kClient));
    registry.roots.clear();
    prompted.folder = makeRuntime(temp, L"chosen", {kClient});
    prompted.library = prompted.folder + kClient;
    EXPECT_EQ(search(settingsWith()), u8(prompted.library));
    EXPECT_EQ(u8(prompted.message), u8(formatMessageText(loadMessage(207), {loadMessage(217)})));
    EXPECT_EQ(prompted.remembered, Strings{prompted.folder});
    env.prompt = MissingRuntimePrompt();
    EXPECT_EQ(search(settingsWith()), "failed");
}

TEST_F(RuntimeSearchTest, ThePairedLauncherIsNeitherThisLauncherNorOneThatWasPairedItself) {
    const std::wstring rt64 = makeRuntime(temp, L"rt64", {kClient}, test_pe::peImageText(kMachineAmd64));
    registry.roots[kJavaSoftJre] = {{L"17", rt64}};
    env.executablePath = temp.write(L"app" + kSep + L"tool.exe", "launcher");
    LaunchSettings s = settingsWith();
    // Handed on to the twin for a library of the other machine, not when the twin named is
    // this launcher, nor when this launcher was started by its twin (from the 64-bit view too).
    for (const std::wstring& pair : {temp.path(L"app") + kSep + L"tool64.exe", env.executablePath, std::wstring()}) {
        s.pairProduct = pair.empty() ? temp.path(L"app") + kSep + L"tool64.exe" : pair;
        env.startedAsPairedLauncher = pair.empty();
        EXPECT_EQ(search(s), u8(rt64 + kClient));
        EXPECT_EQ(result.startPairedLauncher, pair != env.executablePath && !pair.empty()) << u8(pair);
    }
    FakeRegistry wide;
    wide.roots[kJavaSoftJre] = {{L"17", rt64}};
    registry.roots.clear();
    env.wideView = &wide;
    EXPECT_EQ(search(s), u8(rt64 + kClient));
    EXPECT_FALSE(result.startPairedLauncher);
}

}  // namespace
}  // namespace jl
