// The virtual machine's options: parameters, memory and stack sizes, the class path from
// real folders, the library path and Path, the class-data cache's options.
#include <gtest/gtest.h>

#include <algorithm>

#include "jvm/class_data_cache.h"
#include "jvm/class_path.h"
#include "jvm/jvm_options.h"
#include "jvm/option_paths.h"
#include "jvm/vm_parameters.h"
#include "os/os.h"
#include "runtime/release_file.h"
#include "support/messages.h"
#include "temp_folder.h"
#include "trace_capture.h"

namespace jl {
namespace {

using Strings = std::vector<std::wstring>;
constexpr wchar_t kSep = os::kPathSeparator, kList = os::kListSeparator;

std::string u8(const std::wstring& s) { return os::toUtf8(s); }

TEST(VmParametersTest, SplitsAtSpacesOutsideQuotesAndStripsQuotePairs) {
    std::wstring many;
    for (int i = 0; i < 10000; ++i) many += L"-Dp=\"a b\" ";
    const struct { std::wstring text; Strings expected; } splits[] = {
        {L"", {}}, {L"   ", {}}, {L"-Xmx50p -Dapp.title=\"My App\"", {L"-Xmx50p", L"-Dapp.title=\"My App\""}},
        // A "+" extension of an empty value starts with a space: no empty option.
        {L" -Xmx512m  -ea ", {L"-Xmx512m", L"-ea"}}, {L"\"a b\" c", {L"\"a b\"", L"c"}},
        // An unpartnered quote does not quote; a doubled one right after the closing one
        // belongs to the stretch.
        {L"-Da=\"x y -Xmx1g", {L"-Da=\"x", L"y", L"-Xmx1g"}}, {L"-Da=\"x\"\" y\" z", {L"-Da=\"x\"\"", L"y\"", L"z"}},
        {L"-Da=\"1 2\"-\"3 4\" b", {L"-Da=\"1 2\"-\"3 4\"", L"b"}}, {L"-Dq=\"\" x", {L"-Dq=\"\"", L"x"}},
        {many, Strings(10000, L"-Dp=\"a b\"")},
    };
    for (const auto& c : splits) EXPECT_EQ(splitVmParameters(c.text), c.expected) << u8(c.text.substr(0, 40));
    const std::pair<const wchar_t*, const wchar_t*> strips[] = {
        {L"-Dapp.title=\"My App\"", L"-Dapp.title=My App"}, {L"\"x\"\"", L"x\""}, {L"\"a\" \"b\"", L"a b"},
        {L"\"\"", L""}, {L"a\"b", L"a\"b"}, {L"\"a\"\"b\"", L"a\"b\""}, {L"no quotes", L"no quotes"}};
    for (const auto& [text, expected] : strips) EXPECT_EQ(stripQuotePairs(text), expected) << u8(text);
}

// A machine with 4194304 KB of physical memory and 2 GB of free address space.
const os::MemoryStatus kFour{4194304ull * 1024, 2048ull * 1024 * 1024};

// Percentages of physical memory (p) or free address space (t), between a minimum and a
// maximum in MB; what 32 bits of kilobytes cannot name stays at the largest value, never
// wraps. Stack sizes that do not fit in 32 bits, or do not parse, leave the default (0).
TEST(VmParametersTest, ExpandsPercentagesOfMemoryAndParsesStackSizes) {
    const os::MemoryStatus big{64ull << 30, 128ull << 40};
    const struct { const wchar_t* text; const os::MemoryStatus& memory; const wchar_t* expected; } percentages[] = {
        {L"-Xmx50p", kFour, L"-Xmx2097152K"}, {L"-Xmx50P", kFour, L"-Xmx2097152K"}, {L"-Xmx50t", kFour, L"-Xmx1048576K"},
        {L"-Xmx25:256:512p", kFour, L"-Xmx524288K"}, {L"-Xms1:300p", kFour, L"-Xms307200K"},  // capped, raised
        {L"-Xmx1:300:200p", kFour, L"-Xmx307200K"},  // a minimum above the maximum wins
        {L"-Xss10P", kFour, L"-Xss419430K"}, {L"-Xmx50p", big, L"-Xmx33554432K"}, {L"-Xmx50T", big, L"-Xmx4294967295K"},
        {L"-Xmx1000000p", kFour, L"-Xmx4294967295K"}, {L"-Xmx4294967396p", kFour, L"-Xmx4294967295K"},
        {L"-Xmx1:99999999p", kFour, L"-Xmx4294967295K"}, {L"-Xmx100:0:99999999p", kFour, L"-Xmx4194304K"},
        {L"-Xmxp", kFour, L"-Xmx0K"},
    };
    for (const auto& c : percentages) EXPECT_EQ(expandMemoryOption(c.text, c.memory), c.expected) << u8(c.text);
    const std::pair<const wchar_t*, uint32_t> stacks[] = {
        {L"512k", 524288}, {L"512K", 524288}, {L"1048576", 1048576}, {L"1m", 1048576}, {L"3g", 3221225472u},
        {L"4294967295", 4294967295u}, {L"1.5m", 15728640} /* other characters are skipped */, {L"12:", 12},
        {L"5G", 0}, {L"4g", 0}, {L"4194304k", 0}, {L"4294967296", 0}, {L"99999999999999999999999k", 0},
        {L"18446744073709551621", 0} /* 2^64 + 5, not 5 */, {L"", 0}, {L"k", 0}, {L"x1m", 0}, {L"1:2m", 0},
    };
    for (const auto& [text, expected] : stacks) EXPECT_EQ(parseStackSize(text), expected) << u8(text);
}

Strings reports;  // the error boxes shown

// A folder with an executable in it; class path entries are resolved against it.
class JvmOptionsTest : public ::testing::Test {
protected:
    void SetUp() override {
        reports.clear();
        setErrorBoxSink([](void*, const std::wstring& text) { return reports.push_back(text), 1; });
    }
    void TearDown() override { setErrorBoxSink(nullptr); }
    std::wstring at(std::wstring relative) const {
        std::replace(relative.begin(), relative.end(), L'/', kSep);
        return folder_.path() + kSep + relative;
    }
    std::wstring exe() const { return at(L"run.exe"); }
    testing::TempFolder folder_;
};

TEST_F(JvmOptionsTest, ClassPathEntriesAreBesideTheExecutable) {
    folder_.write(L"a.jar", "a"), folder_.write(L"lib/c.jar", "c");
    std::wstring thousand;
    for (int i = 0; i < 1000; ++i) thousand += L"\\a.jar;";
    const struct { std::wstring value; Strings expected; } cases[] = {
        // However it is written, a relative entry names the file beside the executable.
        {L"a.jar", {at(L"a.jar")}}, {L"\\a.jar", {at(L"a.jar")}}, {L".\\a.jar", {at(L"./a.jar")}},
        {L"lib\\c.jar", {at(L"lib/c.jar")}}, {L"lib\\*.jar", {at(L"lib/c.jar")}}, {L".\\lib\\*.jar", {at(L"./lib/c.jar")}},
        // Spaces the layered store puts around a "+" extension are not part of the name.
        {L"a.jar; lib\\c.jar", {at(L"a.jar"), at(L"lib/c.jar")}},
        // Missing files, empty pieces and wildcards without a match add nothing.
        {L"missing.jar;;lib\\*.zip;a.jar;", {at(L"a.jar")}}, {L"", {}}, {thousand, Strings(1000, at(L"a.jar"))},
    };
    for (const auto& c : cases) {
        std::wstring joined;
        for (const std::wstring& entry : c.expected) joined += (joined.empty() ? L"" : std::wstring(1, kList)) + entry;
        EXPECT_EQ(u8(buildClassPath(c.value, false, exe())), u8(joined)) << u8(c.value.substr(0, 40));
    }
}

// The class path first, then the parameters in their order, quotes stripped, memory
// expanded, variables expanded; the stack size taken; the command line's words appended.
// Without a class path it is reported and nothing of the step takes effect, the
// redirection of the standard streams included.
TEST_F(JvmOptionsTest, OptionsInOrderWithStackSizeAndCmd) {
    folder_.write(L"lib/a.jar", "a");
    LaunchSettings settings;
    settings.classPath = L"\\lib\\a.jar", settings.cmd = L"-a  \"b c\" \"\"";
    settings.vmParameters = L"-Xmx50p -Dapp.title=\"My App\" -Xss512k -Dhome=%JL_TEST_HOME%";
    settings.outputFile = L"out.log", settings.errorFile = L"err.log", settings.outputAppend = settings.errorAppend = true;
    ASSERT_TRUE(os::setEnvironment(L"JL_TEST_HOME", L"/home/x"));
    JvmOptions jvm, none;
    jvm.options = {"-Djava.library.path=kept"};
    Strings arguments{L"first"};
    ASSERT_TRUE(buildJvmOptionsFrom(settings, exe(), kFour, jvm, arguments));
    std::vector<std::string> expected;
    for (const std::wstring& o : Strings{L"-Djava.library.path=kept", L"-Djava.class.path=" + at(L"lib/a.jar"), L"-Xmx2097152K",
                                        L"-Dapp.title=My App", L"-Xss512k", L"-Dhome=/home/x"}) expected.push_back(os::toThreadAnsi(o));
    EXPECT_EQ(jvm.options, expected);
    EXPECT_EQ(jvm.javaThreadStackSize, 524288u);
    EXPECT_EQ(arguments, (Strings{L"first", L"-a", L"b c"}));
    EXPECT_TRUE(reports.empty());

    settings.classPath = L"missing\\*.jar";
    EXPECT_FALSE(buildJvmOptionsFrom(settings, exe(), kFour, none, arguments));
    EXPECT_EQ(reports, Strings{loadMessage(kMsgClassPathMissing)});
    EXPECT_TRUE(none.options.empty());
    EXPECT_EQ(arguments.size(), 3u);
    EXPECT_TRUE(settings.outputFile.empty() && settings.errorFile.empty() && !settings.outputAppend && !settings.errorAppend);
}

// The library path: the setting, the executable's folder (where known), ".", Path and the
// runtime's libraries; the search path: the setting, Path and the runtime's executables.
TEST(LibraryPathTest, ComposesFoldersAndSearchPath) {
#ifdef _WIN32
    const wchar_t* const jvm = L"\\jdk\\bin\\client\\jvm.dll";
    const auto native = [](std::wstring s) { return s; };
#else
    const wchar_t* const jvm = L"/jdk/lib/server/libjvm.so";
    const auto native = [](std::wstring s) {
        for (wchar_t& c : s) c = c == L';' ? L':' : c == L'\\' ? L'/' : c;
        const size_t path = s.find(L"%Path%");
        return path == std::wstring::npos ? s : s.replace(path, 6, L"%PATH%");
    };
#endif
    const struct { const wchar_t *setting, *folder, *library, *search; } cases[] = {
        {L"\\native;", L"\\app\\", L"\\native;\\app\\;.;%Path%;\\jdk\\lib", L"\\native;%Path%;\\jdk\\bin"},
        {L"\\native", L"\\app\\", L"\\native;\\app\\;.;%Path%;\\jdk\\lib", L"\\native;%Path%;\\jdk\\bin"},
        {L"\\a;%APPDIR%\\b", L"\\app\\", L"\\a;%APPDIR%\\b;\\app\\;.;%Path%;\\jdk\\lib", L"\\a;%APPDIR%\\b;%Path%;\\jdk\\bin"},
        {L"\\native", L"", L"\\native;.;%Path%;\\jdk\\lib", L"\\native;%Path%;\\jdk\\bin"},
        {L"", L"", L".;%Path%;\\jdk\\lib", L"%Path%;\\jdk\\bin"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(u8(composeLibraryPath(c.setting, native(c.folder), jvm)), u8(native(c.library))) << u8(c.setting);
        EXPECT_EQ(u8(composeSearchPath(c.setting, jvm)), u8(native(c.search))) << u8(c.setting);
    }
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

// A Western code page on a disk where C:\Users\Юрий is C:\Users\4A2B~1 and D:\Данные has
// no short name.
const std::wstring kUser = L"C:\\Users\\\u042e\u0440\u0438\u0439", kShortUser = L"C:\\Users\\4A2B~1";
const std::wstring kData = L"D:\\\u0414\u0430\u043d\u043d\u044b\u0435", kHello = L"\u041f\u0440\u0438";

size_t shortPathOnDisk(const wchar_t* path, wchar_t* shortForm, size_t capacity) {
    const std::pair<std::wstring, std::wstring> disk[] = {
        {kUser, kShortUser}, {kUser + L"\\lib", kShortUser + L"\\LIB"}, {L"C:\\ext\\x.jar", L"C:\\EXT\\X.JAR"}, {kData, kData}};
    for (const auto& [longForm, shortName] : disk) {
        if (path == longForm && shortName.size() < capacity) return shortName.copy(shortForm, capacity);
    }
    return 0;
}

// Each list element on its own, shortened up to its deepest existing folder; what no
// short name can carry is named; each replacement traced.
TEST(OptionPathsTest, PathsOutsideTheCodePagePassByTheirShortNames) {
    const struct { std::wstring option, passed; size_t replaced; std::wstring unpassable; } cases[] = {
        {L"-Xmx64m", L"-Xmx64m", 0, L""},
        {L"-Djava.class.path=" + kUser + L"\\lib\\a.jar;C:\\ext\\x.jar;" + kUser + L"\\b.jar",
         L"-Djava.class.path=" + kShortUser + L"\\LIB\\a.jar;C:\\ext\\x.jar;" + kShortUser + L"\\b.jar", 2, L""},
        {L"-javaagent:" + kUser + L"\\lib\\a.jar=x", L"-javaagent:" + kShortUser + L"\\LIB\\a.jar=x", 1, L""},
        // Nothing that exists could be missed: passed as written.
        {L"-Dtitle=" + kHello, L"-Dtitle=" + kHello, 0, L""}, {L"-Dx=" + kUser + L"\\" + kHello, L"-Dx=" + kUser + L"\\" + kHello, 0, L""},
        {L"-Dcp=" + kUser + L"\\b.jar;" + kData + L"\\a.jar", L"-Dcp=" + kShortUser + L"\\b.jar;" + kData + L"\\a.jar", 1,
         kData + L"\\a.jar"},
    };
    const OptionCodePage codePage{
        [](const wchar_t* text, size_t n) { return std::all_of(text, text + n, [](wchar_t c) { return c < 0x100; }); },
        &shortPathOnDisk};
    for (const auto& c : cases) {
        testing::TraceCapture capture;
        std::wstring unpassable;
        EXPECT_EQ(u8(passableOption(c.option, codePage, unpassable)), u8(c.passed));
        EXPECT_EQ(u8(unpassable), u8(c.unpassable)) << u8(c.option);
        const std::string text = capture.text();
        EXPECT_EQ(static_cast<size_t>(std::count(text.begin(), text.end(), '\n')), c.replaced) << text;
    }
}

}  // namespace
}  // namespace jl
