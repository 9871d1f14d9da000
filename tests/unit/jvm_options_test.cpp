// The virtual machine's options: parameters, memory and stack sizes, the class path from
// real folders, the library path and Path.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "jvm/class_data_cache.h"
#include "jvm/class_data_cache_store.h"
#include "jvm/class_path.h"
#include "jvm/jvm_options.h"
#include "jvm/option_paths.h"
#include "jvm/redirection.h"
#include "jvm/vm_parameters.h"
#include "os/os.h"
#include "runtime/release_file.h"
#include "runtime/runtime_search.h"
#include "support/messages.h"
#include "temp_folder.h"
#include "trace_capture.h"

namespace jl {
namespace {

using Strings = std::vector<std::wstring>;
constexpr wchar_t kSep = os::kPathSeparator;
constexpr wchar_t kList = os::kListSeparator;

std::string u8(const std::wstring& s) { return os::toUtf8(s); }

// A machine with 4194304 KB of physical memory and 2 GB of free address space.
const os::MemoryStatus kFourGigabytes{4194304ull * 1024, 2048ull * 1024 * 1024};

TEST(VmParametersTest, SplitsAtSpacesOutsideQuotes) {
    std::wstring many;
    for (int i = 0; i < 10000; ++i) many += L"-Dp=\"a b\" ";
    struct Case {
        std::wstring text;
        Strings expected;
    };
    const Case cases[] = {
        {L"", {}}, {L"   ", {}}, {L"-Xmx512m", {L"-Xmx512m"}},
        {L"-Xmx50p -Dapp.title=\"My App\"", {L"-Xmx50p", L"-Dapp.title=\"My App\""}},
        // A "+" extension of an empty value starts with a space: no empty option.
        {L" -Xmx512m  -ea ", {L"-Xmx512m", L"-ea"}}, {L"\"a b\" c", {L"\"a b\"", L"c"}},
        // An unpartnered quote does not quote.
        {L"-Da=\"x y -Xmx1g", {L"-Da=\"x", L"y", L"-Xmx1g"}},
        // A doubled quote right after the closing one belongs to the stretch.
        {L"-Da=\"x\"\" y\" z", {L"-Da=\"x\"\"", L"y\"", L"z"}},
        {L"-Da=\"1 2\"-\"3 4\" b", {L"-Da=\"1 2\"-\"3 4\"", L"b"}}, {L"-Dq=\"\" x", {L"-Dq=\"\"", L"x"}},
        {many, Strings(10000, L"-Dp=\"a b\"")},
    };
    for (const Case& c : cases) EXPECT_EQ(splitVmParameters(c.text), c.expected) << u8(c.text.substr(0, 40));
}

TEST(VmParametersTest, StripsQuotePairs) {
    struct Case {
        const wchar_t* text;
        const wchar_t* expected;
    };
    const Case cases[] = {
        {L"-Dapp.title=\"My App\"", L"-Dapp.title=My App"}, {L"\"x\"\"", L"x\""}, {L"\"a\" \"b\"", L"a b"},
        {L"\"\"", L""}, {L"a\"b", L"a\"b"}, {L"\"a\"\"b\"", L"a\"b\""}, {L"no quotes", L"no quotes"},
    };
    for (const Case& c : cases) EXPECT_EQ(stripQuotePairs(c.text), c.expected) << u8(c.text);
}

TEST(VmParametersTest, ExpandsPercentageOfMemory) {
    struct Case {
        const wchar_t* text;
        os::MemoryStatus memory;
        const wchar_t* expected;
    };
    const os::MemoryStatus sixtyFourGigabytes{64ull << 30, 128ull << 40};
    const Case cases[] = {
        {L"-Xmx50p", kFourGigabytes, L"-Xmx2097152K"}, {L"-Xmx50P", kFourGigabytes, L"-Xmx2097152K"},
        {L"-Xmx25:256:512p", kFourGigabytes, L"-Xmx524288K"},  // capped at the maximum
        {L"-Xms1:300p", kFourGigabytes, L"-Xms307200K"},       // raised to the minimum
        {L"-Xmx1:300:200p", kFourGigabytes, L"-Xmx307200K"},   // a minimum above the maximum wins
        {L"-Xmx50t", kFourGigabytes, L"-Xmx1048576K"},         // free address space
        {L"-Xss10P", kFourGigabytes, L"-Xss419430K"},
        // Memory beyond 4 GB counts.
        {L"-Xmx50p", sixtyFourGigabytes, L"-Xmx33554432K"},
        // What 32 bits of kilobytes cannot name stays at the largest value, never wraps.
        {L"-Xmx50T", sixtyFourGigabytes, L"-Xmx4294967295K"}, {L"-Xmx1000000p", kFourGigabytes, L"-Xmx4294967295K"},
        {L"-Xmx99999999999999999999p", kFourGigabytes, L"-Xmx4294967295K"},
        {L"-Xmx1:99999999p", kFourGigabytes, L"-Xmx4294967295K"},
        {L"-Xmx100:0:99999999p", kFourGigabytes, L"-Xmx4194304K"}, {L"-Xmxp", kFourGigabytes, L"-Xmx0K"},
    };
    for (const Case& c : cases) EXPECT_EQ(expandMemoryOption(c.text, c.memory), c.expected) << u8(c.text);
}

TEST(VmParametersTest, ParsesStackSize) {
    struct Case {
        const wchar_t* text;
        uint32_t expected;
    };
    const Case cases[] = {
        {L"512k", 524288}, {L"512K", 524288}, {L"1048576", 1048576}, {L"1m", 1048576}, {L"3g", 3221225472u},
        {L"4294967295", 4294967295u},
        {L"1.5m", 15728640},  // other characters are skipped
        {L"12:", 12},         // a ":" as the unit character is no unit
        // Sizes that do not fit in 32 bits leave the virtual machine's default.
        {L"5G", 0}, {L"4g", 0}, {L"4194304k", 0}, {L"4294967296", 0}, {L"99999999999999999999999k", 0},
        {L"18446744073709551621", 0},  // 2^64 + 5: no wrap to 5
        // Not parseable.
        {L"", 0}, {L"k", 0}, {L"x1m", 0}, {L"1:2m", 0},
    };
    for (const Case& c : cases) EXPECT_EQ(parseStackSize(c.text), c.expected) << u8(c.text);
}

// A folder with an executable path in it; class path entries are resolved against it.
class ClassPathTest : public ::testing::Test {
protected:
    std::wstring at(const std::wstring& relative) const {
        std::wstring path = relative;
        std::replace(path.begin(), path.end(), L'/', kSep);
        return folder_.path() + kSep + path;
    }
    std::wstring exe() const { return at(L"run.exe"); }

    testing::TempFolder folder_;
};

TEST_F(ClassPathTest, RelativeEntriesAreBesideTheExecutable) {
    folder_.write(L"a.jar", "a");
    folder_.write(L"lib/c.jar", "c");
    std::wstring thousand;
    for (int i = 0; i < 1000; ++i) thousand += L"\\a.jar;";
    struct Case {
        std::wstring value;
        Strings expected;
    };
    const Case cases[] = {
        // However it is written, a relative entry names the file beside the executable.
        {L"a.jar", {at(L"a.jar")}}, {L"\\a.jar", {at(L"a.jar")}}, {L".\\a.jar", {at(L"./a.jar")}},
        {L"lib\\c.jar", {at(L"lib/c.jar")}}, {L"lib\\*.jar", {at(L"lib/c.jar")}},
        {L".\\lib\\*.jar", {at(L"./lib/c.jar")}},
        // Spaces the layered store puts around a "+" extension are not part of the name.
        {L"a.jar; lib\\c.jar", {at(L"a.jar"), at(L"lib/c.jar")}},
        // Missing files, empty pieces and wildcards without a match add nothing.
        {L"missing.jar;;lib\\*.zip;a.jar;", {at(L"a.jar")}}, {L"", {}}, {thousand, Strings(1000, at(L"a.jar"))},
    };
    for (const Case& c : cases) {
        std::wstring joined;
        for (const std::wstring& entry : c.expected) joined += (joined.empty() ? L"" : std::wstring(1, kList)) + entry;
        EXPECT_EQ(u8(buildClassPath(c.value, false, exe())), u8(joined)) << u8(c.value.substr(0, 40));
    }
}

// What buildJvmOptions leaves behind once the settings have been read.
class JvmOptionsTest : public ClassPathTest {
protected:
    void SetUp() override {
        reports().clear();
        setErrorBoxSink([](void*, const std::wstring& text) {
            reports().push_back(text);
            return 1;
        });
    }
    void TearDown() override { setErrorBoxSink(nullptr); }
    static Strings& reports() {
        static Strings shown;
        return shown;
    }
    static std::vector<std::string> narrow(const Strings& texts) {
        std::vector<std::string> out;
        for (const std::wstring& t : texts) out.push_back(os::toThreadAnsi(t));
        return out;
    }
};

TEST_F(JvmOptionsTest, OptionsInOrderWithStackSizeAndCmd) {
    folder_.write(L"lib/a.jar", "a");
    LaunchSettings settings;
    settings.classPath = L"\\lib\\a.jar";
    settings.vmParameters = L"-Xmx50p -Dapp.title=\"My App\" -Xss512k -Dhome=%JL_TEST_HOME%";
    settings.cmd = L"-a  \"b c\" \"\"";
    ASSERT_TRUE(os::setEnvironment(L"JL_TEST_HOME", L"/home/x"));
    JvmOptions jvm;
    jvm.options.push_back("-Djava.library.path=kept");
    Strings arguments{L"first"};

    ASSERT_TRUE(buildJvmOptionsFrom(settings, exe(), kFourGigabytes, jvm, arguments));
    EXPECT_EQ(jvm.options, narrow({L"-Djava.library.path=kept", L"-Djava.class.path=" + at(L"lib/a.jar"),
                                   L"-Xmx2097152K", L"-Dapp.title=My App", L"-Xss512k", L"-Dhome=/home/x"}));
    EXPECT_EQ(jvm.javaThreadStackSize, 524288u);
    EXPECT_EQ(arguments, (Strings{L"first", L"-a", L"b c"}));
    EXPECT_TRUE(reports().empty());
}

TEST_F(JvmOptionsTest, EmptyClassPathReportsAndProducesNothing) {
    LaunchSettings settings;
    settings.classPath = L"missing\\*.jar";
    settings.vmParameters = L"-Xmx1g";
    settings.outputFile = L"out.log";
    settings.outputAppend = true;
    settings.errorFile = L"err.log";
    settings.errorAppend = true;
    settings.cmd = L"extra";
    JvmOptions jvm;
    jvm.options.push_back("-Djava.library.path=kept");
    Strings arguments{L"first"};

    EXPECT_FALSE(buildJvmOptionsFrom(settings, exe(), kFourGigabytes, jvm, arguments));
    ASSERT_EQ(reports().size(), 1u);
    EXPECT_EQ(reports()[0], loadMessage(kMsgClassPathMissing));
    EXPECT_EQ(jvm.options, std::vector<std::string>{"-Djava.library.path=kept"});
    EXPECT_EQ(arguments, Strings{L"first"});
    EXPECT_TRUE(settings.outputFile.empty());
    EXPECT_TRUE(settings.errorFile.empty());
    EXPECT_FALSE(settings.outputAppend || settings.errorAppend);
}

#ifdef _WIN32
const wchar_t kJvm[] = L"C:\\Java\\jre\\bin\\client\\jvm.dll";
#else
const wchar_t kJvm[] = L"/usr/lib/jvm/j17/lib/server/libjvm.so";
#endif

TEST(LibraryPathTest, ComposesFoldersAndSearchPath) {
    struct Case {
        const wchar_t* libraryPath;
        const wchar_t* folder;
        const wchar_t* expected;
    };
#ifdef _WIN32
    const Case cases[] = {
        {L"C:\\native;", L"C:\\App\\", L"C:\\native;C:\\App\\;.;%Path%;C:\\Java\\jre\\lib"},
        // Without a final ";" the value and the executable's folder stay apart.
        {L"C:\\native", L"C:\\App\\", L"C:\\native;C:\\App\\;.;%Path%;C:\\Java\\jre\\lib"},
        {L"C:\\a;%APPDIR%\\b", L"C:\\App\\", L"C:\\a;%APPDIR%\\b;C:\\App\\;.;%Path%;C:\\Java\\jre\\lib"},
        // No executable's folder when it cannot be read.
        {L"C:\\native", L"", L"C:\\native;.;%Path%;C:\\Java\\jre\\lib"},
    };
#else
    const Case cases[] = {
        {L"/opt/native:", L"/app/", L"/opt/native:/app/:.:%PATH%:/usr/lib/jvm/j17/lib"},
        {L"/opt/native", L"/app/", L"/opt/native:/app/:.:%PATH%:/usr/lib/jvm/j17/lib"},
        // The settings file is shared with Windows: ";" and "\" are read the Linux way.
        {L"\\opt\\a;\\opt\\b;", L"/app/", L"/opt/a:/opt/b:/app/:.:%PATH%:/usr/lib/jvm/j17/lib"},
        {L"/opt/native", L"", L"/opt/native:.:%PATH%:/usr/lib/jvm/j17/lib"},
    };
#endif
    for (const Case& c : cases) EXPECT_EQ(composeLibraryPath(c.libraryPath, c.folder, kJvm), c.expected) << u8(c.libraryPath);
#ifdef _WIN32
    EXPECT_EQ(composeSearchPath(L"", kJvm), L"%Path%;C:\\Java\\jre\\bin");
    EXPECT_EQ(composeSearchPath(L"C:\\tools", kJvm), L"C:\\tools;%Path%;C:\\Java\\jre\\bin");
    EXPECT_EQ(composeSearchPath(L"C:\\tools;", kJvm), L"C:\\tools;%Path%;C:\\Java\\jre\\bin");
#else
    EXPECT_EQ(composeSearchPath(L"", kJvm), L"%PATH%:/usr/lib/jvm/j17/bin");
    EXPECT_EQ(composeSearchPath(L"/opt/tools", kJvm), L"/opt/tools:%PATH%:/usr/lib/jvm/j17/bin");
    EXPECT_EQ(composeSearchPath(L"\\opt\\tools;", kJvm), L"/opt/tools:%PATH%:/usr/lib/jvm/j17/bin");
#endif
}

// The class-data cache's options: only what the runtime's version and kind say it
// understands, and none for a runtime the launcher cannot be sure of.
TEST(ClassDataCacheTest, OptionsPerRuntimeVersionAndKind) {
    const std::wstring dir = std::wstring(L"cache") + kSep, stem = dir + L"app-h";
    const Strings record{L"-XX:DumpLoadedClassList=" + stem + L".7.classlist", L"-Xlog:aot*=off", L"-Xlog:cds*=off"};
    const Strings useAot{L"-XX:SharedArchiveFile=" + stem + L".aot", L"-Xlog:aot*=off", L"-Xlog:cds*=off"};
    const Strings autoArchive{L"-XX:+AutoCreateSharedArchive", L"-XX:SharedArchiveFile=" + stem + L".7.jsa.tmp",
                              L"-Xlog:cds*=off"};
    const Strings atExit{L"-XX:ArchiveClassesAtExit=" + stem + L".7.jsa.tmp", L"-Xlog:cds*=off"};
    const Strings useArchive{L"-XX:SharedArchiveFile=" + stem + L".jsa", L"-Xlog:cds*=off"};
    const Strings ibm{L"-Xshareclasses:name=app,cacheDir=cache,nonfatal,silent"};
    enum { Exists = 1, Writable = 2, AotUnusable = 4 };
    struct Case {
        const char* release;  // null: no release file
        const wchar_t* registered;
        bool ibmRoot;
        int state;
        bool training;
        Strings options;
    };
    const Case cases[] = {
        {"JAVA_VERSION=\"25.0.3\"\nJVM_VARIANT=\"Hotspot\"", L"", false, Writable, true, record},
        {"JAVA_VERSION=\"25.0.3\"", L"", false, Exists, false, useAot},
        // Where the create step failed or cannot run, the dynamic archive stands in.
        {"JAVA_VERSION=\"26-ea\"", L"", false, Writable | AotUnusable, true, autoArchive},
        {"JAVA_VERSION=\"21.0.2\"", L"", false, Writable, true, autoArchive},
        {"JAVA_VERSION=\"19\"", L"", false, Exists, false, useArchive},
        {"JAVA_VERSION=\"17.0.15\"", L"", false, Writable, true, atExit},
        {nullptr, L"13.0", false, Writable, true, atExit},  // the registry's version
        {"JAVA_VERSION=\"17.0.15\"", L"", false, Exists, false, useArchive},
        // A folder that cannot be written trains nothing (a fitting cache is still used, above).
        {"JAVA_VERSION=\"18\"", L"", false, 0, false, {}},
        {"JAVA_VERSION=\"12.0.2\"", L"", false, Writable, false, {}},
        {"JAVA_VERSION=\"1.8.0_151\"", L"", false, Writable, false, {}},
        {"IMPLEMENTOR=\"IBM Corporation\"\nJAVA_VERSION=\"1.8.0\"", L"", false, Writable, false, ibm},
        {"JAVA_VERSION=\"17.0.9\"\nJVM_VARIANT=\"Openj9\"", L"", false, 0, false, ibm},
        {nullptr, L"1.8", true, Writable, false, ibm},
        {"JAVA_VERSION=\"1.6.0\"\nIMPLEMENTOR=\"IBM\"", L"", false, Writable, false, {}},
        // An unknown virtual machine or version: nothing.
        {"JAVA_VERSION=\"21\"\nJVM_VARIANT=\"Zero\"", L"", false, Writable, false, {}},
        {"IMPLEMENTOR=\"Someone\"", L"", false, Writable, false, {}},
        {nullptr, L"", false, Writable, false, {}},
    };
    for (const Case& c : cases) {
        const std::string text = c.release ? c.release : "";
        const ReleaseInfo release = parseReleaseFile(std::vector<uint8_t>(text.begin(), text.end()));
        std::string why;
        const CacheMethod method =
            cacheMethodFor(identifyCacheRuntime(c.release ? &release : nullptr, c.registered, c.ibmRoot), why);
        CacheState state;
        state.cacheExists = c.state & Exists;
        state.folderWritable = c.state & Writable;
        state.aheadOfTimeUnusable = c.state & AotUnusable;
        state.processId = 7;
        const CachePlan plan = planClassDataCache(method, dir, L"app", stem, state);
        EXPECT_EQ(plan.options, c.options) << text << u8(c.registered);
        EXPECT_EQ(plan.training, c.training) << text;
        EXPECT_EQ(plan.method == CacheMethod::None, c.options.empty()) << text;
        EXPECT_FALSE(plan.method == CacheMethod::None && why.empty() && plan.why.empty()) << text;
    }
    // Parameters that set class sharing themselves keep the cache out.
    for (const wchar_t* parameters : {L"-Xshare:off", L"-XX:SharedArchiveFile=a.jsa", L"-XX:AOTCache=x.aot",
                                      L"-Xmx1g -XX:ArchiveClassesAtExit=b", L"-Xshareclasses:name=x"}) {
        EXPECT_TRUE(parametersManageSharing(parameters)) << u8(parameters);
    }
    EXPECT_FALSE(parametersManageSharing(L"-Xmx512m -Dshare=1 -XX:+UseG1GC"));
}

// A launch with the cache on: the options go between the class path and the product's
// parameters; a training launch's cache is complete once renamed, and the next launch
// uses it; a changed class path entry trains again.
TEST_F(ClassPathTest, ClassDataCacheTrainsThenUses) {
    folder_.write(L"jdk/release", "JAVA_VERSION=\"17.0.15\"\n");
    RuntimeSearchResult found;
#ifdef _WIN32
    found.jvmLibraryPath = at(L"jdk/bin/server/jvm.dll");
    const wchar_t kCacheBase[] = L"LOCALAPPDATA";
#else
    found.jvmLibraryPath = at(L"jdk/lib/server/libjvm.so");
    const wchar_t kCacheBase[] = L"XDG_CACHE_HOME";
#endif
    folder_.write(found.jvmLibraryPath.substr(folder_.path().size() + 1), "x");
    std::wstring savedBase;
    const bool hadBase = os::getEnvironment(kCacheBase, savedBase);
    ASSERT_TRUE(os::setEnvironment(kCacheBase, folder_.path(L"cache")));
    folder_.write(L"app.jar", "one");
    LaunchSettings settings;
    settings.classDataCache = true;
    settings.productName = L"My: App";
    settings.productCode = L"{42}";
    settings.classPath = L"app.jar";
    const std::wstring cacheFolder = at(L"cache/My App/{42}/");
    EXPECT_EQ(classDataCacheFolder(settings.productName, settings.productCode, L"run"), cacheFolder);

    auto launch = [&](const char* step) {
        JvmOptions jvm;
        jvm.options = {"-Djava.class.path=" + os::toThreadAnsi(at(L"app.jar")), "-Xmx64m"};
        ClassDataCache cache;
        cache.prepare(settings, found, exe(), jvm);
        EXPECT_EQ(jvm.options.size(), 4u) << step;
        EXPECT_EQ(jvm.options.back(), "-Xmx64m") << step;
        std::string written = jvm.options[1];
        const std::string prefix = "-XX:ArchiveClassesAtExit=";
        if (written.compare(0, prefix.size(), prefix) == 0) {
            // What the runtime would write at its exit.
            folder_.write(os::fromUtf8(written.substr(prefix.size())).substr(folder_.path().size() + 1), "archive");
        }
        cache.finish();
        return jvm.options[1];
    };
    const std::string first = launch("first");
    EXPECT_EQ(first.find("-XX:ArchiveClassesAtExit="), 0u) << first;
    const std::string second = launch("second");
    EXPECT_EQ(second.find("-XX:SharedArchiveFile="), 0u) << second;
    std::vector<os::FindResult> caches;
    EXPECT_EQ(os::findAllFiles(cacheFolder + L"run-*.jsa", caches), 0u);
    EXPECT_EQ(caches.size(), 1u);

    folder_.write(L"app.jar", "changed");
    EXPECT_EQ(launch("changed jar").find("-XX:ArchiveClassesAtExit="), 0u);
    // The retrained cache replaces the old one.
    caches.clear();
    EXPECT_EQ(os::findAllFiles(cacheFolder + L"run-*.jsa", caches), 0u);
    EXPECT_EQ(caches.size(), 1u);
    if (hadBase) (void)os::setEnvironment(kCacheBase, savedBase); else (void)os::removeEnvironment(kCacheBase);
}

// A Western code page on a disk where C:\Users\Юрий is C:\Users\4A2B~1 and D:\Данные has
// no short name.
const std::wstring kUser = L"C:\\Users\\\u042e\u0440\u0438\u0439", kShortUser = L"C:\\Users\\4A2B~1";
const std::wstring kData = L"D:\\\u0414\u0430\u043d\u043d\u044b\u0435", kHello = L"\u041f\u0440\u0438";

size_t shortPathOnDisk(const wchar_t* path, wchar_t* shortForm, size_t capacity) {
    const std::pair<std::wstring, std::wstring> disk[] = {
        {kUser, kShortUser}, {kUser + L"\\lib", kShortUser + L"\\LIB"}, {L"C:\\ext\\x.jar", L"C:\\EXT\\X.JAR"},
        {kData, kData}};
    for (const auto& [longForm, shortName] : disk) {
        if (path == longForm && shortName.size() < capacity) return shortName.copy(shortForm, capacity);
    }
    return 0;
}

TEST(OptionPathsTest, PathsOutsideTheCodePagePassByTheirShortNames) {
    struct Case {
        std::wstring option, passed;
        size_t replaced;
        std::wstring unpassable;
    };
    const Case cases[] = {
        {L"-Xmx64m", L"-Xmx64m", 0, L""},
        // Each list element on its own, shortened up to its deepest existing folder.
        {L"-Djava.class.path=" + kUser + L"\\lib\\a.jar;C:\\ext\\x.jar;" + kUser + L"\\b.jar",
         L"-Djava.class.path=" + kShortUser + L"\\LIB\\a.jar;C:\\ext\\x.jar;" + kShortUser + L"\\b.jar", 2, L""},
        {L"-javaagent:" + kUser + L"\\lib\\a.jar=x", L"-javaagent:" + kShortUser + L"\\LIB\\a.jar=x", 1, L""},
        // Nothing that exists could be missed: passed as written.
        {L"-Dtitle=" + kHello, L"-Dtitle=" + kHello, 0, L""},
        {L"-Dx=" + kUser + L"\\" + kHello, L"-Dx=" + kUser + L"\\" + kHello, 0, L""},
        {L"-Dcp=" + kUser + L"\\b.jar;" + kData + L"\\a.jar", L"-Dcp=" + kShortUser + L"\\b.jar;" + kData + L"\\a.jar", 1,
         kData + L"\\a.jar"},
    };
    const OptionCodePage codePage{
        [](const wchar_t* text, size_t n) { return std::all_of(text, text + n, [](wchar_t c) { return c < 0x100; }); },
        &shortPathOnDisk};
    for (const Case& c : cases) {
        testing::TraceCapture capture;
        std::wstring unpassable;
        const std::wstring passed = passableOption(c.option, codePage, unpassable);
        EXPECT_EQ(u8(unpassable), u8(c.unpassable)) << u8(c.option);
        EXPECT_EQ(u8(passed), u8(c.passed)) << u8(c.option);
        const std::string text = capture.text();  // each replacement traced
        EXPECT_EQ(static_cast<size_t>(std::count(text.begin(), text.end(), '\n')), c.replaced) << text;
    }
}

}  // namespace
}  // namespace jl
