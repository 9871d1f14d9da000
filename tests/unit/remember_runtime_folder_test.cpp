// Remembering the runtime folder the user chose: where it is written and that any name
// survives.
#include "runtime/remember_runtime_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "config/ini_file.h"
#include "os/os.h"
#include "temp_folder.h"

namespace jl {
namespace {

using testing::TempFolder;

const wchar_t kSection[] = L"Java Runtime Environment";
const wchar_t kKey[] = L"JRE Path";
const wchar_t kSep = os::kPathSeparator;

// Cyrillic, Chinese, Korean and a character beyond the 16-bit range: none of them is in
// any one ANSI code page together with the others.
#ifdef _WIN32
const std::wstring kChosenFolder = L"C:\\Программы\\Java 東京 한국 \U0001D11E\\jre\\";
const std::wstring kExecutableName = L"tool.exe";
const std::wstring kPairName = L"tool64.exe";
#else
const std::wstring kChosenFolder = L"/opt/Программы/Java 東京 한국 \U0001D11E/jre/";
const std::wstring kExecutableName = L"tool";
const std::wstring kPairName = L"tool64";
#endif

std::vector<uint8_t> fileBytes(const std::wstring& path) {
    std::vector<uint8_t> bytes;
    EXPECT_EQ(os::readFile(path, bytes), 0u) << ::testing::PrintToString(path);
    return bytes;
}

bool exists(const std::wstring& path) {
    std::vector<uint8_t> bytes;
    return os::readFile(path, bytes) == 0;
}

std::wstring jrePathIn(const std::wstring& file) { return IniFile(file).readString(kSection, kKey); }

// APPDATA pointed at a folder of the test for its duration.
class RememberRuntimeFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        hadAppData_ = os::getEnvironment(L"APPDATA", savedAppData_);
        appData_ = temp_.path(L"appdata");
        ASSERT_EQ(os::createDirectory(appData_), 0u);
        ASSERT_TRUE(os::setEnvironment(L"APPDATA", appData_));
        settings_.productName = L"Example: Tool?";
        settings_.productCode = L"{2F1C0000-1111-2222-3333-444455556666}";
        executable_ = temp_.path(kExecutableName);
        pair_ = temp_.path(L"pair") + kSep + kPairName;
    }
    void TearDown() override {
        if (hadAppData_) (void)os::setEnvironment(L"APPDATA", savedAppData_);
    }

    std::wstring userFile(const std::wstring& name) const {
        std::wstring stem = name.substr(0, name.rfind(L'.') == std::wstring::npos ? name.size() : name.rfind(L'.'));
        return appData_ + kSep + L"Example Tool" + kSep + settings_.productCode + kSep + stem + L".ini";
    }

    TempFolder temp_;
    std::wstring appData_;
    LaunchSettings settings_;
    std::wstring executable_;
    std::wstring pair_;
    bool hadAppData_ = false;
    std::wstring savedAppData_;
};

TEST_F(RememberRuntimeFolderTest, AnApplicationWritesThePerUserFilesOfBothLaunchers) {
    rememberRuntimeFolderFor(settings_, executable_, kChosenFolder);
    EXPECT_EQ(jrePathIn(userFile(kExecutableName)), kChosenFolder);
    EXPECT_FALSE(exists(userFile(kPairName))) << "no pair, no second file";
#ifdef _WIN32
    // A new file is UTF-16: the profile functions would have made it ANSI.
    const std::vector<uint8_t> bytes = fileBytes(userFile(kExecutableName));
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.begin() + std::min<size_t>(2, bytes.size())),
              (std::vector<uint8_t>{0xFF, 0xFE}));
#endif
    // Written again, for both launchers: still one value, still whole, nothing beside them.
    settings_.pairProduct = pair_;
    const std::wstring other = kChosenFolder + L"Ω" + kSep;
    rememberRuntimeFolderFor(settings_, executable_, other);
    EXPECT_EQ(jrePathIn(userFile(kExecutableName)), other);
    EXPECT_EQ(jrePathIn(userFile(kPairName)), other);
    EXPECT_FALSE(exists(temp_.path(L"tool.ini")));
    EXPECT_FALSE(exists(temp_.path(L"pair") + kSep + L"tool64.ini"));
}

TEST_F(RememberRuntimeFolderTest, AServiceWritesBesideBothExecutables) {
    settings_.isService = true;
    settings_.pairProduct = pair_;
    ASSERT_EQ(os::createDirectory(temp_.path(L"pair")), 0u);
    const std::wstring settingsFile = temp_.write(L"tool.ini",
                                                  "[Product Information]\r\nProduct Name=Example Tool\r\n"
                                                  "[Java Runtime Environment]\r\nMain Class=a.B\r\n"
                                                  "JRE Path=C:\\old\\\r\n");
    rememberRuntimeFolderFor(settings_, executable_, L"D:\\Java\\jre\\");
    // The existing file keeps its other values.
    EXPECT_EQ(jrePathIn(settingsFile), L"D:\\Java\\jre\\");
    EXPECT_EQ(IniFile(settingsFile).readString(kSection, L"Main Class"), L"a.B");
    EXPECT_EQ(IniFile(settingsFile).readString(L"Product Information", L"Product Name"), L"Example Tool");

    // The paired launcher's settings file did not exist: it is created holding any name.
    const std::wstring pairedFile = temp_.path(L"pair") + kSep + L"tool64.ini";
    EXPECT_EQ(jrePathIn(pairedFile), L"D:\\Java\\jre\\");
    ASSERT_TRUE(std::filesystem::remove(std::filesystem::path(pairedFile)));
    rememberRuntimeFolderFor(settings_, executable_, kChosenFolder);
    EXPECT_EQ(jrePathIn(pairedFile), kChosenFolder);
    // The per-user files are an application's.
    EXPECT_FALSE(exists(userFile(kExecutableName)));
    EXPECT_FALSE(exists(userFile(kPairName)));
}

#ifdef _WIN32
TEST_F(RememberRuntimeFolderTest, NoSettingsPathMeansNothingIsWritten) {
    // Without a "." in the executable's path no settings file can be named.
    rememberRuntimeFolderFor(settings_, temp_.path(L"tool"), kChosenFolder);
    EXPECT_FALSE(exists(userFile(L"tool")));
}
#endif

}  // namespace
}  // namespace jl
