// The runtime search over fabricated runtime folders and an in-memory registry: the
// probes, the filters and the order of candidates. How the settings choose among
// registered runtimes is played against the Windows registry under Wine (win32/).
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <iterator>
#include <map>
#include <random>
#include <string>
#include <vector>

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
using jl::testing::TempFolder;

constexpr wchar_t kSep = os::kPathSeparator;
#ifdef _WIN32
constexpr wchar_t kClient[] = L"bin\\client\\jvm.dll";
constexpr wchar_t kServer[] = L"bin\\server\\jvm.dll";
constexpr wchar_t kClassic[] = L"bin\\classic\\jvm.dll";
constexpr wchar_t kJRockit[] = L"bin\\jrockit\\jvm.dll";
constexpr wchar_t kMarker[] = L"bin\\java.dll";
#else
constexpr wchar_t kClient[] = L"lib/client/libjvm.so";
constexpr wchar_t kServer[] = L"lib/server/libjvm.so";
constexpr wchar_t kClassic[] = L"lib/amd64/client/libjvm.so";  // the older layout takes its place
constexpr wchar_t kJRockit[] = L"lib/amd64/server/libjvm.so";
constexpr wchar_t kMarker[] = L"lib/libjava.so";
#endif

std::string u8(const std::wstring& s) { return os::toUtf8(s); }

// A runtime folder (with its trailing separator) holding the given files.
std::wstring makeRuntime(const TempFolder& temp, const std::wstring& name, std::vector<std::wstring> files,
                         const std::string& content = "not a library") {
    for (const std::wstring& file : files) temp.write(name + kSep + file, content);
    fs::create_directories(fs::path(temp.path(name)));
    return temp.path(name) + kSep;
}

LaunchSettings settingsWith(const std::wstring& jvmType = L"", const std::wstring& source = L"",
                            const std::wstring& provider = L"", const std::wstring& minimum = L"",
                            const std::wstring& maximum = L"", const std::wstring& preferred = L"") {
    LaunchSettings s;
    s.jvmType = interpretJvmType(jvmType);
    s.jvmSource = interpretJvmSource(source);
    s.vmProvider = interpretVmProvider(provider);
    s.minimumVersion = minimumVersionFromSetting(minimum);
    s.maximumVersion = maximumVersionFromSetting(maximum);
    s.preferredVersions = splitAtDelimiter(preferred, L";");
    return s;
}

// An in-memory registry: entries per root path, in enumeration order.
struct FakeEntry {
    std::wstring name;
    std::wstring home;
};

class FakeRegistry : public RuntimeRegistry {
public:
    std::map<std::wstring, std::vector<FakeEntry>> roots;

    bool openRoot(const RegistryRoot& root) override {
        const auto it = roots.find(root.path);
        current_ = it == roots.end() ? nullptr : &it->second;
        return current_ != nullptr;
    }
    SubkeyStatus entryName(uint32_t index, std::wstring& name) override {
        if (current_ == nullptr || index >= current_->size()) return SubkeyStatus::End;
        name = (*current_)[index].name;
        return SubkeyStatus::Found;
    }
    bool javaHome(uint32_t index, const std::wstring&, std::wstring& home) override {
        home = (*current_)[index].home;
        return true;
    }
    void closeRoot() override { current_ = nullptr; }

private:
    std::vector<FakeEntry>* current_ = nullptr;
};

const wchar_t* const kJavaSoftJre = kRegistryRoots[1].path;

// What the prompt was asked and how it answers.
struct PromptScript {
    int shown = 0;
    std::wstring message;
    JvmType type = JvmType::Default;
    bool confirm = false;
    std::wstring folder;
    std::wstring library;
    std::vector<std::wstring> remembered;
};
PromptScript script;

MissingRuntimePrompt scriptedPrompt() {
    script = PromptScript();
    MissingRuntimePrompt prompt;
    prompt.show = [](const std::wstring& message, JvmType type, std::wstring& folder, std::wstring& library) {
        ++script.shown;
        script.message = message;
        script.type = type;
        if (!script.confirm) return false;
        folder = script.folder;
        library = script.library;
        return true;
    };
    prompt.remember = [](const LaunchSettings&, const std::wstring& folder) { script.remembered.push_back(folder); };
    return prompt;
}

class RuntimeSearchTest : public ::testing::Test {
protected:
    void SetUp() override {
        exeFolder = makeRuntime(temp, L"app", {});
        environment.executableFolderKnown = true;
        environment.executableFolder = exeFolder;
        environment.defaultView = &registry;
        environment.ownMachine = kMachineI386;
        environment.prompt = scriptedPrompt();
        savedCurrent = fs::current_path();
    }
    void TearDown() override {
        std::error_code ignored;
        fs::current_path(savedCurrent, ignored);
    }

    // The library the search chooses, or "prompt" when it asked the user.
    std::wstring search(const LaunchSettings& s) {
        result = RuntimeSearchResult();
        script.shown = 0;
        script.remembered.clear();
        if (!findRuntimeIn(s, environment, result)) return script.shown ? L"prompt" : L"failed";
        return result.jvmLibraryPath;
    }

    TempFolder temp;
    std::wstring exeFolder;
    FakeRegistry registry;
    RuntimeSearchEnvironment environment;
    RuntimeSearchResult result;
    fs::path savedCurrent;
};

// The library found, and the runtime folder it names again.
TEST(FindJvmLibraryTest, ProbesTheCandidatesOfEachTypeInOrder) {
    struct Case {
        std::vector<std::wstring> files;
        const wchar_t* type;
        const wchar_t* expected;  // relative to the folder; empty: none
        bool isServer;
    };
    const Case cases[] = {
        {{kClient, kServer}, L"", kClient, false},
        {{kClient + std::wstring(1, kSep) + L"x", kServer}, L"", kServer, true},  // a folder named like the library
        {{kClient, kServer}, L"server", kServer, true}, {{kClient, kServer}, L"favor_server", kServer, true},
        {{kClient}, L"server", L"", false}, {{kClient}, L"favor_server", kClient, false},
        {{kClassic, kJRockit}, L"", kClassic, false}, {{}, L"", L"", false},
#ifdef _WIN32
        {{kJRockit}, L"server", L"", false},
        {{kJRockit, L"bin\\hotspot\\jvm.dll"}, L"favor_server", L"bin\\hotspot\\jvm.dll", false},
#else
        {{kJRockit}, L"server", kJRockit, true},
#endif
    };
    for (const Case& c : cases) {
        TempFolder temp;
        const std::wstring folder = makeRuntime(temp, L"rt", c.files);
        bool isServer = !c.isServer;
        const std::wstring found = findJvmLibrary(folder, interpretJvmType(c.type), isServer);
        const std::wstring expected = *c.expected ? folder + c.expected : L"";
        EXPECT_EQ(u8(found), u8(expected)) << u8(c.type);
        EXPECT_EQ(isServer, c.isServer) << u8(c.type) << " " << u8(found);
        if (!found.empty()) EXPECT_EQ(u8(runtimeFolderOfLibrary(found) + kSep), u8(folder)) << u8(found);
    }
}

TEST(RegistryFilterTest, BoundsAreInclusiveAndOpenBoundsDoNotBound) {
    struct Case {
        const wchar_t* minimum;
        const wchar_t* maximum;
        const wchar_t* version;
        bool allowed;
    };
    const Case cases[] = {
        {L"1.6", L"1.7", L"1.5.0_22", false}, {L"1.6", L"1.7", L"1.6.0_45", true},
        {L"1.6", L"1.7", L"1.7.0_80", true}, {L"1.6", L"1.7", L"1.8.0_151", false},
        {L"1.6", L"1.6.0.45", L"1.6.0_45", true}, {L"1.6.0.45", L"any", L"1.6", false},
        // An absent maximum (0.0.0.0) bounds nothing, like "any".
        {L"", L"", L"17.0.15", true}, {L"11", L"", L"25", true},
        {L"11", L"", L"1.8", false}, {L"", L"", L"jre", true}, {L"any", L"any", L"2147483647", true},
    };
    for (const Case& c : cases) {
        const LaunchSettings s = settingsWith(L"", L"", L"", c.minimum, c.maximum);
        EXPECT_EQ(isVersionAllowed(parseVersion(c.version, 0), s), c.allowed)
            << u8(c.minimum) << ".." << u8(c.maximum) << " " << u8(c.version);
    }
}

TEST(RegistryFilterTest, KindAndProviderSettingsChooseTheRoots) {
    struct Case {
        const wchar_t* source;
        const wchar_t* provider;
        const char* roots;  // indexes into kRegistryRoots, in search order
    };
    const Case cases[] = {
        {L"", L"", "01"}, {L"only_JRE", L"", "1"}, {L"only_JDK", L"", "0"}, {L"favor_JDK", L"", "01"},
        {L"Only_JRE", L"", ""},  // not a known value: no kind is searched
        {L"", L"FAVOR_IBM", "01234"}, {L"only_JRE", L"favor_ibm", "124"}, {L"", L"jrockit", "23"}, {L"", L"ibm", "4"},
        {L"", L"any", "01234"}, {L"", L"favor_sun", "01234"}, {L"", L"Favor_JRockit", "01234"}, {L"", L"sun", "01"},
    };
    for (const Case& c : cases) {
        const LaunchSettings s = settingsWith(L"", c.source, c.provider);
        std::string searched;
        for (size_t i = 0; i < std::size(kRegistryRoots); ++i) {
            if (isRootSearched(kRegistryRoots[i], s)) searched += static_cast<char>('0' + i);
        }
        EXPECT_EQ(searched, c.roots) << u8(c.source) << " / " << u8(c.provider);
    }
}

RuntimeCandidate candidate(const wchar_t* version, bool preferred = false, bool server = false,
                           const wchar_t* folder = L"") {
    RuntimeCandidate c;
    c.version = parseVersion(version, 0);
    c.isPreferred = preferred;
    c.isServer = server;
    c.runtimeFolder = *folder ? folder : version;
    return c;
}

TEST(CandidateOrderTest, IsTheStableOrderOfPreferenceServerAndVersion) {
    // The rule written out: a favoured provider's runtime first when both kinds are
    // searched, a server JVM first under favor_server, then the newer version. Ties keep
    // their enumeration order, so the result is what a stable sort by the rule gives.
    std::mt19937 random(7);
    const wchar_t* const versions[] = {L"1.6", L"1.7.0_80", L"1.8", L"1.8.0_151", L"17", L"jre"};
    for (const wchar_t* type : {L"", L"favor_server"}) {
        for (const wchar_t* source : {L"", L"only_JRE"}) {
            const LaunchSettings s = settingsWith(type, source);
            const auto rule = [&](const RuntimeCandidate& a, const RuntimeCandidate& b) {
                if (!*source && a.isPreferred != b.isPreferred) return a.isPreferred;
                if (*type && a.isServer != b.isServer) return a.isServer;
                return compareVersions(a.version, b.version) > 0;
            };
            for (int round = 0; round < 50; ++round) {
                std::vector<RuntimeCandidate> list;
                for (int i = 0; i < static_cast<int>(random() % 12); ++i) {
                    list.push_back(candidate(versions[random() % std::size(versions)], random() % 2, random() % 2,
                                             (L"f" + std::to_wstring(i)).c_str()));
                }
                std::vector<RuntimeCandidate> expected = list;
                std::stable_sort(expected.begin(), expected.end(), rule);
                orderCandidates(list, s);
                ASSERT_EQ(list.size(), expected.size());
                for (size_t i = 0; i < list.size(); ++i) {
                    EXPECT_EQ(u8(list[i].runtimeFolder), u8(expected[i].runtimeFolder)) << "position " << i;
                }
            }
        }
    }
}

TEST(CandidateOrderTest, PreferredVersionsPickFromTheOrderedList) {
    struct Case {
        std::vector<const wchar_t*> versions;  // enumeration order
        const wchar_t* preferred;
        const wchar_t* selected;               // runtimeFolder of the selected one
    };
    const Case cases[] = {
        {{L"1.8", L"1.8.0_151"}, L"1.8", L"1.8.0_151"}, {{L"1.7.0_80", L"1.6.0_45"}, L"", L"1.7.0_80"},
        {{L"1.7.0_80", L"1.6.0_45"}, L"1.6;1.7", L"1.6.0_45"}, {{L"1.7.0_80", L"1.6.0_45"}, L"1.5", L"1.7.0_80"},
        {{L"1.6.0_45", L"1.7.0_80"}, L";1.6", L"1.7.0_80"},  // the empty first item matches at once
        {{L"1.6.0_45", L"1.7.0_80"}, L"1.5;1.6.0.45", L"1.6.0_45"},
    };
    for (const Case& c : cases) {
        std::vector<RuntimeCandidate> list;
        for (const wchar_t* v : c.versions) list.push_back(candidate(v));
        const RuntimeCandidate* chosen = selectCandidate(list, settingsWith(L"", L"", L"", L"", L"", c.preferred));
        ASSERT_NE(chosen, nullptr);
        EXPECT_EQ(u8(chosen->runtimeFolder), u8(c.selected)) << u8(c.preferred);
    }
    std::vector<RuntimeCandidate> empty;
    EXPECT_EQ(selectCandidate(empty, settingsWith()), nullptr);
}

// The release file, of the JDK above a "jre" folder too.
TEST_F(RuntimeSearchTest, TheReleaseFileMarksARuntimeFoundOutsideTheIbmRootAsIbm) {
    const std::wstring semeru = makeRuntime(temp, L"semeru", {std::wstring(L"jre") + kSep + kClient});
    LaunchSettings s = settingsWith();
    s.jrePath = semeru + L"jre";
    for (const char* implementor : {"IBM Corporation", "Oracle Corporation"}) {
        temp.write(std::wstring(L"semeru") + kSep + L"release", std::string("IMPLEMENTOR=\"") + implementor + "\"\n");
        EXPECT_EQ(u8(search(s)), u8(s.jrePath + kSep + kClient));
        EXPECT_EQ(result.ibmFamily, implementor[0] == 'I') << implementor;
    }
}

TEST_F(RuntimeSearchTest, SourcesAreTriedInTheirOrder) {
    const std::wstring configured = makeRuntime(temp, L"configured", {kClient});
    const std::wstring registered = makeRuntime(temp, L"registered", {kClient});
    registry.roots[kJavaSoftJre] = {{L"1.8", registered}};
    LaunchSettings s = settingsWith();

    EXPECT_EQ(u8(search(s)), u8(registered + kClient));
    // Beside the executable, in its jre folder.
    temp.write(std::wstring(L"app") + kSep + L"jre" + kSep + kMarker, "");
    temp.write(std::wstring(L"app") + kSep + L"jre" + kSep + kClient, "");
    EXPECT_EQ(u8(search(s)), u8(exeFolder + L"jre" + kSep + kClient));
    // The configured folder, written without its trailing separator.
    s.jrePath = configured.substr(0, configured.size() - 1);
    EXPECT_EQ(u8(search(s)), u8(configured + kClient));
    // A configured folder is used as it is: no "jre" folder is looked for below it.
    makeRuntime(temp, L"jdk", {std::wstring(L"jre") + kSep + kClient});
    s.jrePath = temp.path(L"jdk");
    EXPECT_EQ(u8(search(s)), u8(exeFolder + L"jre" + kSep + kClient));
    // A relative one is taken from the executable's folder, never from the current one
    // (a document's folder could plant a runtime there): without the executable's folder
    // it is passed over.
    registry.roots.clear();
    s.jrePath = L"rt";
    fs::current_path(fs::path(makeRuntime(temp, L"documents", {std::wstring(L"rt") + kSep + kClient})));
    environment.executableFolderKnown = false;
    environment.executableFolder.clear();
    EXPECT_EQ(u8(search(s)), "prompt");
}

TEST_F(RuntimeSearchTest, ThePromptComesLastWithTheMessageOfTheType) {
    makeRuntime(temp, L"client-only", {kClient});
    registry.roots[kJavaSoftJre] = {{L"1.8", temp.path(L"client-only")}};
    const LaunchSettings server = settingsWith(L"server", L"", L"", L"1.6");
    EXPECT_EQ(u8(search(server)), "prompt");
    EXPECT_EQ(script.type, JvmType::Server);
    EXPECT_EQ(u8(script.message), u8(formatMessageText(loadMessage(206), {describeVersionConstraint(
                                                                     server.minimumVersion, server.maximumVersion)})));
    EXPECT_TRUE(result.jvmLibraryPath.empty());
    EXPECT_TRUE(script.remembered.empty());

    // favor_server accepts the same runtime through its client JVM.
    EXPECT_EQ(u8(search(settingsWith(L"favor_server"))), u8(temp.path(L"client-only") + kSep + kClient));

    registry.roots.clear();
    script.confirm = true;
    script.folder = makeRuntime(temp, L"chosen", {kClient});
    script.library = script.folder + kClient;
    EXPECT_EQ(u8(search(settingsWith())), u8(script.library));
    EXPECT_EQ(u8(script.message), u8(formatMessageText(loadMessage(207), {loadMessage(217)})));
    EXPECT_EQ(script.remembered, std::vector<std::wstring>{script.folder});

    environment.prompt = MissingRuntimePrompt();
    EXPECT_EQ(u8(search(settingsWith())), "failed");
}

// A runtime in the current folder must not make an empty choice in the dialog valid; the
// same folder named as such is a runtime folder.
TEST_F(RuntimeSearchTest, AnEmptyChoiceIsNeverLookedUpInTheCurrentFolder) {
    fs::current_path(fs::path(makeRuntime(temp, L"current", {kClient})));
    RuntimeFolderChoice choice(JvmType::Default);
    choice.choose(L"");
    EXPECT_FALSE(choice.isValid());
    choice.choose(L".");
    EXPECT_TRUE(choice.isValid());
}

TEST(ReleaseFileTest, ReadsTheKeysAndRecognisesTheIbmFamily) {
    struct Case {
        const char* text;
        const char* version;
        bool ibm;
    };
    const Case cases[] = {
        {"IMPLEMENTOR=\"Debian\"\nJAVA_VERSION=\"17.0.15\"\n", "17.0.15", false},
        {"JAVA_VERSION=\"1.8.0_151\"\r\nIMPLEMENTOR=\"International Business Machines Corporation\"\r\n",
         "1.8.0_151", true},
        {"IMPLEMENTOR=\"IBM Corporation\"\nJAVA_VERSION=\"11.0.2\"", "11.0.2", true},
        {"IMPLEMENTOR=\"Eclipse Adoptium\"\nJVM_VARIANT=\"Openj9\"\nJAVA_VERSION=\"21\"", "21", true},
        {"IMPLEMENTOR_VERSION=\"IBM Semeru Runtime Open Edition\"\n", "", true},
        {"IMPLEMENTOR=\"Kibmo Labs\"\nJAVA_VERSION = 9 \n", "9", false},
        {"JAVA_VERSION\nnoise=\"\nIMPLEMENTOR=", "", false}, {"", "", false},
    };
    for (const Case& c : cases) {
        const std::string text = c.text;
        const ReleaseInfo info = parseReleaseFile(std::vector<uint8_t>(text.begin(), text.end()));
        EXPECT_EQ(u8(info.javaVersion), c.version) << c.text;
        EXPECT_EQ(namesIbmFamily(info), c.ibm) << c.text;
    }
}


#ifndef _WIN32
// The runtimes installed on Linux: folders with a release file, each once under its real
// path, a JDK 8 through its "jre" folder, the IBM family by its release file.
TEST(InstalledRuntimesTest, FoldersWithReleaseFilesAreListedOnceUnderTheirRoot) {
    TempFolder temp;
    const std::wstring jvm = temp.path(L"jvm");
    temp.write(L"jvm/jdk-17/release", "JAVA_VERSION=\"17.0.15\"\nIMPLEMENTOR=\"Debian\"\n");
    temp.write(L"jvm/jdk-17/bin/javac", "");
    temp.write(L"jvm/jdk8/release", "JAVA_VERSION=\"1.8.0_151\"\n");
    temp.write(L"jvm/jdk8/bin/javac", "");
    temp.write(L"jvm/jdk8/jre/lib/amd64/server/libjvm.so", "");
    temp.write(L"jvm/semeru-jre/release", "JAVA_VERSION=\"11.0.2\"\nJVM_VARIANT=\"Openj9\"\n");
    temp.write(L"jvm/plain-jre/release", "JAVA_VERSION=\"21\"\n");
    temp.write(L"jvm/no-release/lib/server/libjvm.so", "");
    temp.write(L"jvm/.hidden/release", "JAVA_VERSION=\"99\"\n");
    fs::create_directory_symlink("jdk-17", fs::path(jvm) / "a-java-17-alias");
    fs::create_directories(fs::path(temp.path(L"other")));
    fs::create_directory_symlink(fs::path(jvm) / "plain-jre", fs::path(temp.path(L"other")) / "plain");

    std::vector<std::string> seen;
    for (const InstalledRuntime& r : scanInstalledRuntimes({jvm, temp.path(L"other"), temp.path(L"none")})) {
        seen.push_back(u8(r.name) + (r.kind == RuntimeKind::Jdk ? " jdk " : " jre ") + (r.ibmFamily ? "ibm " : "") +
                       u8(r.runtimeFolder.substr(jvm.size())));
    }
    // "a-java-17-alias" comes first by name and stands for jdk-17, under its real path.
    EXPECT_EQ(seen, (std::vector<std::string>{"17.0.15 jdk /jdk-17/", "1.8.0_151 jdk /jdk8/jre/", "21 jre /plain-jre/",
                                              "11.0.2 jre ibm /semeru-jre/"}));
}
#endif

const VendorRegistration& registrationOf(const std::wstring& path) {
    for (const VendorRegistration& r : kVendorRegistrations) {
        if (path == r.path) return r;
    }
    ADD_FAILURE() << "no registration " << u8(path);
    return kVendorRegistrations[0];
}

TEST(VendorRegistrationTest, TheEntrysNameTellsTheKindWhereTheKeyDoesNot) {
    struct Case {
        const wchar_t* path;
        const wchar_t* name;
        RuntimeKind kind;
    };
    const Case cases[] = {
        {L"Software\\Azul Systems\\Zulu\\", L"zulu-17", RuntimeKind::Jdk},
        {L"Software\\Azul Systems\\Zulu\\", L"zulu-8-jre", RuntimeKind::Jre},
        {L"Software\\Azul Systems\\Zulu 32-bit\\", L"ZULU-11-JRE", RuntimeKind::Jre},
        {L"Software\\Azul Systems\\Zulu\\", L"zulu-jre-8", RuntimeKind::Jdk},
        {L"Software\\BellSoft\\Liberica\\", L"jdk-17", RuntimeKind::Jdk},
        {L"Software\\BellSoft\\Liberica\\", L"jre-8", RuntimeKind::Jre},
        {L"Software\\BellSoft\\Liberica\\", L"JRE-full-21", RuntimeKind::Jre},
        {L"Software\\JavaSoft\\JRE\\", L"jdk-10", RuntimeKind::Jre},
        {L"Software\\Semeru\\JDK\\", L"jre-17", RuntimeKind::Jdk},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(vendorEntryKind(registrationOf(c.path), c.name), c.kind) << u8(c.path) << u8(c.name);
    }
}

TEST_F(RuntimeSearchTest, ThePairedLauncherIsNeitherThisLauncherNorOneThatWasPairedItself) {
    const std::wstring rt64 = makeRuntime(temp, L"rt64", {kClient}, test_pe::peImageText(kMachineAmd64));
    registry.roots[kJavaSoftJre] = {{L"17", rt64}};
    const std::wstring self = temp.write(std::wstring(L"app") + kSep + L"tool.exe", "launcher");
    environment.executablePath = self;
    LaunchSettings s = settingsWith();

    s.pairProduct = temp.path(L"app") + kSep + L"tool64.exe";
    EXPECT_EQ(u8(search(s)), u8(rt64 + kClient));
    EXPECT_TRUE(result.startPairedLauncher);
    // The same settings beside both launchers: the twin names itself.
    s.pairProduct = self;
    EXPECT_EQ(u8(search(s)), u8(rt64 + kClient));
    EXPECT_FALSE(result.startPairedLauncher);
    // Started by its twin, a launcher does not hand the launch on again, not even from
    // the 64-bit view.
    s.pairProduct = temp.path(L"app") + kSep + L"tool64.exe";
    environment.startedAsPairedLauncher = true;
    EXPECT_EQ(u8(search(s)), u8(rt64 + kClient));
    EXPECT_FALSE(result.startPairedLauncher);
    FakeRegistry wide;
    wide.roots[kJavaSoftJre] = {{L"17", rt64}};
    registry.roots.clear();
    environment.wideView = &wide;
    EXPECT_EQ(u8(search(s)), u8(rt64 + kClient));
    EXPECT_FALSE(result.startPairedLauncher);
}

}  // namespace
}  // namespace jl
