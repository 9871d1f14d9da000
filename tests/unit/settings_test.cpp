// The settings store and its two layers, the launch settings read from it, and the
// runtime folder the user chose written back to it.
#include <gtest/gtest.h>

#include <filesystem>

#include "config/embedded_settings.h"
#include "config/ini_file.h"
#include "config/launch_settings.h"
#include "config/settings_paths.h"
#include "config/settings_store.h"
#include "os/os.h"
#include "runtime/remember_runtime_folder.h"
#include "support/messages.h"
#include "trace_capture.h"

namespace jl {
namespace {

using testing::TempFolder;
namespace fs = std::filesystem;

std::wstring native(std::wstring path) {
    for (wchar_t& c : path) c = c == L'/' ? os::kPathSeparator : c;
    return path;
}

const wchar_t kJre[] = L"Java Runtime Environment";
const std::string kFileVmp = "[Java Runtime Environment]\r\nVirtual Machine Parameters=";
const std::string kPlusVmp = "[Java Runtime Environment+]\r\nVirtual Machine Parameters=";

TEST(SettingsStore, FileReplacesAndPlusSectionExtends) {
    TempFolder dir;
    const std::wstring emb = L"[Java Runtime Environment]\r\nVirtual Machine Parameters=-Xmx1g\r\n";
    const std::tuple<std::string, std::wstring, const wchar_t*> cases[] = {
        {"", emb, L"-Xmx1g"}, {kFileVmp + "-Xmx2g", emb, L"-Xmx2g"}, {kPlusVmp + "-Dx=1", emb, L"-Xmx1g -Dx=1"},
        {kFileVmp + "-Xmx2g\r\n" + kPlusVmp + "-Dx=1", emb, L"-Xmx2g"},  // the "+" section is not read then
        {kPlusVmp + "-Dx=1", L"", L" -Dx=1"}, {kPlusVmp + "\" -Dx=1\"", emb, L"-Xmx1g -Dx=1"},
        // Embedded names are compared exactly, case included; the file's are not.
        {"", L"[java runtime environment]\r\nVirtual Machine Parameters=-Xmx1g", L""},
        {"", L"[Java Runtime Environment]\r\nvirtual machine parameters=-Xmx1g", L""},
        {"[JAVA RUNTIME ENVIRONMENT]\r\nvirtual machine parameters=-Xms8m", L"", L"-Xms8m"},
    };
    for (const auto& [file, embedded, expected] : cases) {
        const SettingsStore store(IniFile(dir.write(L"s.ini", file)), EmbeddedSettings::parse(embedded));
        EXPECT_EQ(store.readString(kJre, L"Virtual Machine Parameters"), expected) << file;
    }
}

// The trace names where each value came from, and never shows one of the embedded layer.
TEST(SettingsStore, TheTraceNamesEachValuesSourceAndHidesTheEmbeddedText) {
    TempFolder dir;
    const SettingsStore store(IniFile(dir.write(L"t.ini", "[Java Runtime Environment]\r\nMinimum Version=11\r\n" +
                                                              kPlusVmp + "-Dvisible=1")),
                              EmbeddedSettings::parse(L"[Java Runtime Environment]\r\nMain Class=com.secret.Main\r\n"
                                                      L"Virtual Machine Parameters=-Dsecret=1\r\nMinimum Version=1.4.2"));
    testing::TraceCapture capture;
    const std::pair<const wchar_t*, const wchar_t*> reads[] = {{L"Minimum Version", L"11"},
        {L"Main Class", L"com.secret.Main"}, {L"Virtual Machine Parameters", L"-Dsecret=1 -Dvisible=1"}, {L"JVM Type", L""}};
    for (const auto& [key, value] : reads) EXPECT_EQ(store.readString(kJre, key), value);
    const std::string text = capture.text();
    for (const char* line : {"settings: [Java Runtime Environment] Minimum Version = \"11\" (settings file)",
                             "settings: [Java Runtime Environment] Main Class: the embedded value (not shown)",
                             "Virtual Machine Parameters: the embedded value (not shown), extended by "
                             "[Java Runtime Environment+] \"-Dvisible=1\"",
                             "settings: [Java Runtime Environment] JVM Type: not set"}) {
        EXPECT_NE(text.find(line), std::string::npos) << line << "\nin:\n" << text;
    }
    for (const char* hidden : {"secret", "1.4.2"}) EXPECT_EQ(text.find(hidden), std::string::npos) << text;
}

TEST(IniFile, ValuesOfAnyLengthComeOutWhole) {
    TempFolder dir;
    EXPECT_EQ(IniFile(dir.path(L"absent.ini")).readString(L"S", L"K"), L"");
    for (size_t length : {254u, 255u, 256u, 511u, 512u, 1023u, 5000u, 100000u}) {
        const std::string value = "A" + std::string(length - 2, 'v') + "Z";
        for (const std::string quote : {"", "\""}) {
            const std::wstring ini = dir.write(L"long.ini", "[S]\r\nK=" + quote + value + quote + "\r\n");
            EXPECT_EQ(IniFile(ini).readString(L"S", L"K"), std::wstring(value.begin(), value.end())) << quote;
        }
    }
}

std::wstring lastShownText;

class ReadLaunchSettings : public ::testing::Test {
protected:
    void SetUp() override {
        lastShownText.clear();
        setErrorBoxSink([](void*, const std::wstring& text) { return lastShownText = text, 1; });
        hadAppData = os::getEnvironment(L"APPDATA", savedAppData);
        ASSERT_TRUE(os::setEnvironment(L"APPDATA", dir.path(L"appdata")));
        ASSERT_EQ(os::createDirectory(dir.path(L"appdata")), 0u);
    }
    void TearDown() override {
        setErrorBoxSink(nullptr);
        os::setEnvironment(L"APPDATA", hadAppData ? savedAppData : L"");
    }
    bool read(const std::string& ini, LaunchSettings& s) {
        return readLaunchSettingsFrom(dir.write(L"tool.ini", ini), dir.path(L"tool.exe"), s);
    }
    std::wstring jrePath(const std::wstring& file) { return IniFile(file).readString(kJre, L"JRE Path"); }
    TempFolder dir;
    std::wstring savedAppData;
    bool hadAppData = false;
};

TEST_F(ReadLaunchSettings, EveryKeyInterpretedAndMainClassRequired) {
    LaunchSettings missing;
    EXPECT_FALSE(read("[Application]\r\nFailure Check=yes\r\n", missing));
    EXPECT_EQ(lastShownText, loadMessage(kMsgMainClassMissing));
    EXPECT_FALSE(missing.failureCheck) << "the keys after Main Class are not read";

    lastShownText.clear();
    LaunchSettings s;
    ASSERT_TRUE(read("[Product Information]\r\nProduct Name=Tool\r\n[Java Runtime Environment]\r\nMinimum Version=1.6\r\n"
                     "Maximum Version=any\r\nPreferred versions=1.8;;11;\r\nJVM Type=favor_server\r\nJVM Source=only_JDK\r\n"
                     "VM Provider=favor_ibm\r\nMain Class=org.example.Main\r\nSystem Path=C:\\x\r\nLibrary Path=lib;\r\n"
                     "JRE Path=jre\r\n[Application]\r\nApplication Type=Service\r\nFailure Check=YES\r\n"
                     "Override WorkingDir=yes\r\nPair Product=tool64.exe\r\nPair Return Code=Yes\r\n", s));
    EXPECT_TRUE(lastShownText.empty());
    EXPECT_TRUE(formatVersion(s.minimumVersion) == L"1.6" && isUnboundedVersion(s.maximumVersion));
    EXPECT_EQ(s.preferredVersions, (std::vector<std::wstring>{L"1.8", L"", L"11"}));
    EXPECT_TRUE(s.jvmType == JvmType::FavorServer && s.jvmSource.wantJdk && !s.jvmSource.wantJre && !s.jvmSource.searchBothKinds);
    EXPECT_TRUE(s.vmProvider.favorIbm && s.vmProvider.acceptSun && !s.vmProvider.favorSun);
    EXPECT_EQ(s.mainClass, L"org/example/Main");
    EXPECT_FALSE(s.isService) << "\"Service\" is not \"service\"";
    EXPECT_TRUE(s.failureCheck && s.overrideWorkingDir && s.pairReturnCode);
    EXPECT_EQ(s.systemPath + L"|" + s.libraryPath + L"|" + s.productName + L"|" + s.jrePath, L"C:\\x|lib;|Tool|jre");
    EXPECT_EQ(s.pairProduct, dir.path(L"tool64.exe")) << "beside the executable, never in the current folder";
}

// Without a per-user file "JRE Path" comes from the store (above); with one, from there
// (in a folder named after the product without the characters no file name may hold).
TEST_F(ReadLaunchSettings, JrePathComesFromThePerUserFileWhenItExists) {
    const std::string ini = "[Product Information]\r\nProduct Name=A/B: C?\r\nProduct Code={PC}\r\n"
                            "[Java Runtime Environment]\r\nMain Class=M\r\nJRE Path=from-store\r\n";
    // A per-user file without the key gives an empty value; a service keeps it beside the executable.
    const std::tuple<const char*, const char*, const wchar_t*> cases[] = {
        {"[Java Runtime Environment]\r\nJRE Path=from-user\r\n", "", L"from-user"},
        {"[Other]\r\nx=1\r\n", "", L""},
        {"[Other]\r\nx=1\r\n", "[Application]\r\nApplication Type=service\r\n", L"from-store"},
    };
    for (const auto& [userFile, extra, expected] : cases) {
        dir.write(L"appdata/AB C/{PC}/tool.ini", userFile);
        LaunchSettings s;
        ASSERT_TRUE(read(ini + extra, s));
        EXPECT_EQ(s.jrePath, expected);
    }
}

// Cyrillic, Chinese, Korean and a character beyond the 16-bit range: no one ANSI code
// page holds them together.
const std::wstring kChosenFolder = native(L"/opt/Программы/Java 東京 한국 \U0001D11E/jre/");

bool exists(const std::wstring& path) { return fs::exists(fs::path(path)); }

// An application keeps the folder in the per-user files of both launchers, a service in
// the settings files beside both executables.
TEST_F(ReadLaunchSettings, TheChosenRuntimeIsRememberedForBothLaunchers) {
    LaunchSettings s;
    s.productName = L"Example: Tool?";
    s.productCode = L"{2F1C0000-1111-2222-3333-444455556666}";
    const std::wstring own = userSettingsFilePath(dir.path(L"tool.exe"), s.productName, s.productCode, false);
    const std::wstring paired = userSettingsFilePath(dir.path(native(L"pair/tool64.exe")), s.productName, s.productCode, false);
    const std::wstring besideOwn = dir.path(L"tool.ini"), besidePaired = dir.path(native(L"pair/tool64.ini"));
#ifdef _WIN32
    rememberRuntimeFolderFor(s, dir.path(L"tool"), kChosenFolder);
    EXPECT_FALSE(exists(own)) << "without a \".\" in the executable's path no settings file can be named";
#endif
    rememberRuntimeFolderFor(s, dir.path(L"tool.exe"), kChosenFolder);
    EXPECT_EQ(jrePath(own), kChosenFolder);
    EXPECT_FALSE(exists(paired)) << "no pair, no second file";
#ifdef _WIN32
    std::vector<uint8_t> bytes;
    ASSERT_EQ(os::readFile(own, bytes), 0u);
    EXPECT_TRUE(bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) << "a new file is UTF-16";
#endif
    // Written again, for both launchers: still one value, still whole, nothing beside them.
    s.pairProduct = dir.path(native(L"pair/tool64.exe"));
    const std::wstring other = kChosenFolder + L"Ω" + os::kPathSeparator;
    rememberRuntimeFolderFor(s, dir.path(L"tool.exe"), other);
    EXPECT_EQ(jrePath(own) + L"|" + jrePath(paired), other + L"|" + other);
    EXPECT_FALSE(exists(besideOwn) || exists(besidePaired));

    // A service: the existing file keeps its other values, the paired one is created,
    // holding any name, and no per-user file is written.
    s.isService = true;
    s.productName = L"Another";
    ASSERT_EQ(os::createDirectory(dir.path(L"pair")), 0u);
    dir.write(L"tool.ini", "[Java Runtime Environment]\r\nMain Class=a.B\r\nJRE Path=C:\\old\\\r\n");
    rememberRuntimeFolderFor(s, dir.path(L"tool.exe"), L"D:\\Java\\jre\\");
    EXPECT_EQ(jrePath(besideOwn) + L"|" + jrePath(besidePaired), L"D:\\Java\\jre\\|D:\\Java\\jre\\");
    EXPECT_EQ(IniFile(besideOwn).readString(kJre, L"Main Class"), L"a.B");
    ASSERT_TRUE(fs::remove(fs::path(besidePaired)));
    rememberRuntimeFolderFor(s, dir.path(L"tool.exe"), kChosenFolder);
    EXPECT_EQ(jrePath(besidePaired), kChosenFolder);
    EXPECT_FALSE(exists(dir.path(native(L"appdata/Another"))));
}

}  // namespace
}  // namespace jl
