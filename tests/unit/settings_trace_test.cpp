// What reading the settings writes into the diagnostic trace: each value with where it
// came from, and never a value of the embedded layer.
#include <gtest/gtest.h>

#include <string>

#include "config/embedded_settings.h"
#include "config/ini_file.h"
#include "config/launch_settings.h"
#include "config/settings_store.h"
#include "support/messages.h"
#include "temp_folder.h"
#include "trace_capture.h"

namespace jl {
namespace {

using testing::TempFolder;
using testing::TraceCapture;

const wchar_t kJre[] = L"Java Runtime Environment";

void expectTraced(const std::string& text, std::initializer_list<const char*> lines) {
    for (const char* line : lines) EXPECT_NE(text.find(line), std::string::npos) << line << "\nin:\n" << text;
}

TEST(SettingsTraceTest, NamesEachValuesSourceAndHidesTheEmbeddedText) {
    TempFolder dir;
    const std::wstring ini = dir.write(L"tool.ini",
                                       "[Java Runtime Environment]\r\nMinimum Version=11\r\n"
                                       "[Java Runtime Environment+]\r\nVirtual Machine Parameters=-Dvisible=1\r\n");
    const SettingsStore store(IniFile(ini), EmbeddedSettings::parse(L"[Java Runtime Environment]\r\n"
                                                                    L"Main Class=com.secret.Main\r\n"
                                                                    L"Virtual Machine Parameters=-Dsecret=1\r\n"
                                                                    L"Minimum Version=1.4.2\r\n"));
    TraceCapture capture;
    EXPECT_EQ(store.readString(kJre, L"Minimum Version"), L"11");
    EXPECT_EQ(store.readString(kJre, L"Main Class"), L"com.secret.Main");
    EXPECT_EQ(store.readString(kJre, L"Virtual Machine Parameters"), L"-Dsecret=1 -Dvisible=1");
    EXPECT_EQ(store.readString(kJre, L"JVM Type"), L"");

    const std::string text = capture.text();
    expectTraced(text, {"settings: [Java Runtime Environment] Minimum Version = \"11\" (settings file)",
                        "settings: [Java Runtime Environment] Main Class: the embedded value (not shown)",
                        "Virtual Machine Parameters: the embedded value (not shown), extended by "
                        "[Java Runtime Environment+] \"-Dvisible=1\"",
                        "settings: [Java Runtime Environment] JVM Type: not set"});
    for (const char* hidden : {"secret", "1.4.2"}) EXPECT_EQ(text.find(hidden), std::string::npos) << text;
}

TEST(SettingsTraceTest, AMissingMainClassIsNamedAsTheReasonTheLaunchEnds) {
    TempFolder dir;
    const std::wstring ini = dir.write(L"tool.ini", "[Java Runtime Environment]\r\nJVM Type=server\r\n");
    TraceCapture capture;
    LaunchSettings settings;
    setErrorBoxSink([](void*, const std::wstring&) { return 1; });
    EXPECT_FALSE(readLaunchSettingsFrom(ini, dir.path(L"tool.exe"), settings));
    setErrorBoxSink(nullptr);
    expectTraced(capture.text(), {"; settings file ", "tool.ini: found", "JVM Type = \"server\" (settings file)",
                                  "settings: no Main Class: the launch ends here (message 210)"});
}

}  // namespace
}  // namespace jl
