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
#include "temp_folder.h"
#include "trace_capture.h"

namespace jl {
namespace {

using testing::TempFolder;

const wchar_t kJre[] = L"Java Runtime Environment";
const wchar_t kVmp[] = L"Virtual Machine Parameters";

SettingsStore storeOf(const std::wstring& iniPath, const std::wstring& embedded) {
    return SettingsStore(IniFile(iniPath), EmbeddedSettings::parse(embedded));
}

TEST(SettingsStore, FileReplacesAndPlusSectionExtends) {
    TempFolder dir;
    const std::wstring embedded = L"[Java Runtime Environment]\r\nVirtual Machine Parameters=-Xmx1g\r\n";
    struct Case {
        const char* file;
        const wchar_t* embedded;
        const wchar_t* expected;
    };
    const Case cases[] = {
        {"", embedded.c_str(), L"-Xmx1g"},
        {"[Java Runtime Environment]\r\nVirtual Machine Parameters=-Xmx2g\r\n", embedded.c_str(), L"-Xmx2g"},
        {"[Java Runtime Environment+]\r\nVirtual Machine Parameters=-Dx=1\r\n", embedded.c_str(), L"-Xmx1g -Dx=1"},
        // Both: the file's own value wins and the "+" section is not read.
        {"[Java Runtime Environment]\r\nVirtual Machine Parameters=-Xmx2g\r\n"
         "[Java Runtime Environment+]\r\nVirtual Machine Parameters=-Dx=1\r\n",
         embedded.c_str(), L"-Xmx2g"},
        // No embedded value: the extension still comes after one space.
        {"[Java Runtime Environment+]\r\nVirtual Machine Parameters=-Dx=1\r\n", L"", L" -Dx=1"},
        // An extension that begins with a space gets no second one (quotes keep it).
        {"[Java Runtime Environment+]\r\nVirtual Machine Parameters=\" -Dx=1\"\r\n", embedded.c_str(), L"-Xmx1g -Dx=1"},
        // Embedded names are compared exactly, case included.
        {"", L"[java runtime environment]\r\nVirtual Machine Parameters=-Xmx1g\r\n", L""},
        {"", L"[Java Runtime Environment]\r\nvirtual machine parameters=-Xmx1g\r\n", L""},
        // The file's names are not.
        {"[JAVA RUNTIME ENVIRONMENT]\r\nvirtual machine parameters=-Xms8m\r\n", L"", L"-Xms8m"},
    };
    int n = 0;
    for (const Case& c : cases) {
        std::wstring ini = dir.write(L"s" + std::to_wstring(n++) + L".ini", c.file);
        EXPECT_EQ(storeOf(ini, c.embedded).readString(kJre, kVmp), c.expected) << "case " << n - 1;
    }
}

// The trace names where each value came from, and never shows one of the embedded layer.
TEST(SettingsStore, TheTraceNamesEachValuesSourceAndHidesTheEmbeddedText) {
    TempFolder dir;
    const std::wstring ini = dir.write(L"tool.ini",
                                       "[Java Runtime Environment]\r\nMinimum Version=11\r\n"
                                       "[Java Runtime Environment+]\r\nVirtual Machine Parameters=-Dvisible=1\r\n");
    const SettingsStore store(IniFile(ini), EmbeddedSettings::parse(L"[Java Runtime Environment]\r\n"
                                                                    L"Main Class=com.secret.Main\r\n"
                                                                    L"Virtual Machine Parameters=-Dsecret=1\r\n"
                                                                    L"Minimum Version=1.4.2\r\n"));
    testing::TraceCapture capture;
    EXPECT_EQ(store.readString(kJre, L"Minimum Version"), L"11");
    EXPECT_EQ(store.readString(kJre, L"Main Class"), L"com.secret.Main");
    EXPECT_EQ(store.readString(kJre, L"Virtual Machine Parameters"), L"-Dsecret=1 -Dvisible=1");
    EXPECT_EQ(store.readString(kJre, L"JVM Type"), L"");

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
        std::string value(length, 'v');
        value[0] = 'A';
        value[length - 1] = 'Z';
        for (const char* quote : {"", "\""}) {
            std::wstring ini = dir.write(L"long.ini", "[S]\r\nK=" + (quote + value + quote) + "\r\n");
            std::wstring read = IniFile(ini).readString(L"S", L"K");
            EXPECT_EQ(read.size(), length) << "quoted: " << *quote;
            EXPECT_EQ(read, std::wstring(value.begin(), value.end()));
        }
    }
}

std::wstring lastShownText;
int recordBox(void*, const std::wstring& text) {
    lastShownText = text;
    return 1;
}

class ReadLaunchSettings : public ::testing::Test {
protected:
    void SetUp() override {
        lastShownText.clear();
        setErrorBoxSink(recordBox);
        hadAppData = os::getEnvironment(L"APPDATA", savedAppData);
        ASSERT_TRUE(os::setEnvironment(L"APPDATA", dir.path(L"appdata")));
        ASSERT_EQ(os::createDirectory(dir.path(L"appdata")), 0u);
    }
    void TearDown() override {
        setErrorBoxSink(nullptr);
        os::setEnvironment(L"APPDATA", hadAppData ? savedAppData : L"");
    }
    bool read(const std::string& ini, LaunchSettings& s) {
        std::wstring path = dir.write(L"tool.ini", ini);
        return readLaunchSettingsFrom(path, dir.path(L"tool.exe"), s);
    }
    TempFolder dir;
    std::wstring savedAppData;
    bool hadAppData = false;
};

TEST_F(ReadLaunchSettings, MissingMainClassIsReportedOnce) {
    LaunchSettings s;
    EXPECT_FALSE(read("[Application]\r\nFailure Check=yes\r\n", s));
    EXPECT_EQ(lastShownText, loadMessage(kMsgMainClassMissing));
    // The keys after "Main Class" are not read.
    EXPECT_FALSE(s.failureCheck);
}

TEST_F(ReadLaunchSettings, EveryKeyInterpreted) {
    LaunchSettings s;
    ASSERT_TRUE(read("[Product Information]\r\nProduct Name=Tool\r\nProduct Code={PC}\r\n"
                     "[Java Runtime Environment]\r\nMinimum Version=1.6\r\nMaximum Version=any\r\n"
                     "Preferred versions=1.8;;11;\r\nJVM Type=favor_server\r\nJVM Source=only_JDK\r\n"
                     "VM Provider=favor_ibm\r\nMain Class=org.example.Main\r\nSystem Path=C:\\x\r\n"
                     "Library Path=lib;\r\nJRE Path=jre\r\n"
                     "[Application]\r\nApplication Type=Service\r\nFailure Check=YES\r\n"
                     "Override WorkingDir=yes\r\nPair Product=tool64.exe\r\nPair Return Code=Yes\r\n",
                     s));
    EXPECT_TRUE(lastShownText.empty());
    EXPECT_EQ(formatVersion(s.minimumVersion), L"1.6");
    EXPECT_TRUE(isUnboundedVersion(s.maximumVersion));
    EXPECT_EQ(s.preferredVersions, (std::vector<std::wstring>{L"1.8", L"", L"11"}));
    EXPECT_EQ(s.jvmType, JvmType::FavorServer);
    EXPECT_TRUE(s.jvmSource.wantJdk && !s.jvmSource.wantJre && !s.jvmSource.searchBothKinds);
    EXPECT_TRUE(s.vmProvider.favorIbm && s.vmProvider.acceptSun && !s.vmProvider.favorSun);
    EXPECT_EQ(s.mainClass, L"org/example/Main");
    EXPECT_FALSE(s.isService);  // "Service" is not "service"
    EXPECT_TRUE(s.failureCheck);
    EXPECT_TRUE(s.overrideWorkingDir);
    EXPECT_EQ(s.systemPath, L"C:\\x");
    EXPECT_EQ(s.libraryPath, L"lib;");
    // Relative to the executable's folder, never to the current one.
    EXPECT_EQ(s.pairProduct, dir.path(L"tool64.exe"));
    EXPECT_TRUE(s.pairReturnCode);
    EXPECT_EQ(s.productName, L"Tool");
    // No per-user file yet: "JRE Path" comes from the store.
    EXPECT_EQ(s.jrePath, L"jre");
}

TEST_F(ReadLaunchSettings, JrePathComesFromThePerUserFileWhenItExists) {
    const std::string ini =
        "[Product Information]\r\nProduct Name=A/B: C?\r\nProduct Code={PC}\r\n"
        "[Java Runtime Environment]\r\nMain Class=M\r\nJRE Path=from-store\r\n";
    std::wstring userFile = userSettingsFilePath(dir.path(L"tool.exe"), L"A/B: C?", L"{PC}", false);
    EXPECT_EQ(userFile, dir.path(L"appdata") + os::kPathSeparator + L"AB C" + os::kPathSeparator +
                            L"{PC}" + os::kPathSeparator + L"tool.ini");

    dir.write(L"appdata/AB C/{PC}/tool.ini", "[Java Runtime Environment]\r\nJRE Path=from-user\r\n");
    LaunchSettings s;
    ASSERT_TRUE(read(ini, s));
    EXPECT_EQ(s.jrePath, L"from-user");

    // A per-user file without the key gives an empty value; the store is not asked.
    dir.write(L"appdata/AB C/{PC}/tool.ini", "[Other]\r\nx=1\r\n");
    LaunchSettings t;
    ASSERT_TRUE(read(ini, t));
    EXPECT_EQ(t.jrePath, L"");

    // A service keeps it beside the executable.
    LaunchSettings u;
    ASSERT_TRUE(read(ini + "[Application]\r\nApplication Type=service\r\n", u));
    EXPECT_TRUE(u.isService);
    EXPECT_EQ(u.jrePath, L"from-store");
}

// Cyrillic, Chinese, Korean and a character beyond the 16-bit range: none of them is in
// any one ANSI code page together with the others.
#ifdef _WIN32
const std::wstring kChosenFolder = L"C:\\Программы\\Java 東京 한국 \U0001D11E\\jre\\";
const std::wstring kExecutable = L"tool.exe", kPair = L"pair\\tool64.exe";
#else
const std::wstring kChosenFolder = L"/opt/Программы/Java 東京 한국 \U0001D11E/jre/";
const std::wstring kExecutable = L"tool", kPair = L"pair/tool64";
#endif

bool exists(const std::wstring& path) { return std::filesystem::exists(std::filesystem::path(path)); }

TEST_F(ReadLaunchSettings, AnApplicationRemembersTheRuntimeInThePerUserFilesOfBothLaunchers) {
    LaunchSettings s;
    s.productName = L"Example: Tool?";
    s.productCode = L"{2F1C0000-1111-2222-3333-444455556666}";
    const std::wstring own = userSettingsFilePath(dir.path(kExecutable), s.productName, s.productCode, false);
    const std::wstring paired = userSettingsFilePath(dir.path(kPair), s.productName, s.productCode, false);
#ifdef _WIN32
    // Without a "." in the executable's path no settings file can be named.
    rememberRuntimeFolderFor(s, dir.path(L"tool"), kChosenFolder);
    EXPECT_FALSE(exists(own));
#endif
    rememberRuntimeFolderFor(s, dir.path(kExecutable), kChosenFolder);
    EXPECT_EQ(IniFile(own).readString(kJre, L"JRE Path"), kChosenFolder);
    EXPECT_FALSE(exists(paired)) << "no pair, no second file";
#ifdef _WIN32
    // A new file is UTF-16: the profile functions would have made it ANSI.
    std::vector<uint8_t> bytes;
    ASSERT_EQ(os::readFile(own, bytes), 0u);
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.begin() + std::min<size_t>(2, bytes.size())),
              (std::vector<uint8_t>{0xFF, 0xFE}));
#endif
    // Written again, for both launchers: still one value, still whole, nothing beside them.
    s.pairProduct = dir.path(kPair);
    const std::wstring other = kChosenFolder + L"Ω" + os::kPathSeparator;
    rememberRuntimeFolderFor(s, dir.path(kExecutable), other);
    EXPECT_EQ(IniFile(own).readString(kJre, L"JRE Path"), other);
    EXPECT_EQ(IniFile(paired).readString(kJre, L"JRE Path"), other);
    EXPECT_FALSE(exists(dir.path(L"tool.ini")));
    EXPECT_FALSE(exists(dir.path(L"pair") + os::kPathSeparator + L"tool64.ini"));
}

TEST_F(ReadLaunchSettings, AServiceRemembersTheRuntimeBesideBothExecutables) {
    LaunchSettings s;
    s.productName = L"Example Tool";
    s.productCode = L"{PC}";
    s.isService = true;
    s.pairProduct = dir.path(kPair);
    ASSERT_EQ(os::createDirectory(dir.path(L"pair")), 0u);
    const std::wstring settingsFile = dir.write(L"tool.ini",
                                                "[Product Information]\r\nProduct Name=Example Tool\r\n"
                                                "[Java Runtime Environment]\r\nMain Class=a.B\r\nJRE Path=C:\\old\\\r\n");
    rememberRuntimeFolderFor(s, dir.path(kExecutable), L"D:\\Java\\jre\\");
    // The existing file keeps its other values.
    EXPECT_EQ(IniFile(settingsFile).readString(kJre, L"JRE Path"), L"D:\\Java\\jre\\");
    EXPECT_EQ(IniFile(settingsFile).readString(kJre, L"Main Class"), L"a.B");
    EXPECT_EQ(IniFile(settingsFile).readString(L"Product Information", L"Product Name"), L"Example Tool");
    // The paired launcher's settings file did not exist: it is created holding any name.
    const std::wstring pairedFile = dir.path(L"pair") + os::kPathSeparator + L"tool64.ini";
    EXPECT_EQ(IniFile(pairedFile).readString(kJre, L"JRE Path"), L"D:\\Java\\jre\\");
    ASSERT_TRUE(std::filesystem::remove(std::filesystem::path(pairedFile)));
    rememberRuntimeFolderFor(s, dir.path(kExecutable), kChosenFolder);
    EXPECT_EQ(IniFile(pairedFile).readString(kJre, L"JRE Path"), kChosenFolder);
    // The per-user files are an application's.
    EXPECT_TRUE(std::filesystem::is_empty(std::filesystem::path(dir.path(L"appdata"))));
}

}  // namespace
}  // namespace jl
