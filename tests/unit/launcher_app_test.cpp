#include "core/launcher_app.h"

#include <gtest/gtest.h>

#include "config/launch_settings.h"

namespace jl {
namespace {

using List = std::vector<std::wstring>;

TEST(LauncherApp, ArgumentsOfTheCommandLine) {
    EXPECT_EQ(argumentsFromCommandLine(L""), List{});
    EXPECT_EQ(argumentsFromCommandLine(L"  \"C:\\Apps\\tool.exe\"  "), List{});
    EXPECT_EQ(argumentsFromCommandLine(L"\"C:\\Apps\\tool.exe\"  a  \"b c\"\t"), (List{L"a", L"b c"}));
}

TEST(LauncherApp, NoSplashSwitchIsWholeAndCaseSensitive) {
    EXPECT_TRUE(hasNoSplashSwitch({L"a", L"-nosplash"}));
    EXPECT_TRUE(hasNoSplashSwitch({L"/nosplash", L"b"}));
    EXPECT_FALSE(hasNoSplashSwitch({L"-NOSPLASH"}));
    EXPECT_FALSE(hasNoSplashSwitch({L"-nosplash2", L"x-nosplash"}));
    EXPECT_FALSE(hasNoSplashSwitch({}));
}

TEST(LauncherApp, WorkingFolderAndPathsBesideTheExecutable) {
#ifdef _WIN32
    EXPECT_EQ(workingFolderOf(L"C:\\Apps\\tool.exe"), L"C:\\Apps");
    EXPECT_EQ(workingFolderOf(L"E:\\tool.exe"), L"E:\\");
    EXPECT_EQ(workingFolderOf(L"\\tool.exe"), L"");
    EXPECT_EQ(workingFolderOf(L"tool.exe"), L"");
    EXPECT_EQ(resolveBesideExecutable(L"tool64.exe", L"C:\\Apps\\tool.exe"), L"C:\\Apps\\tool64.exe");
    EXPECT_EQ(resolveBesideExecutable(L"bin\\tool64.exe", L"C:\\Apps\\tool.exe"), L"C:\\Apps\\bin\\tool64.exe");
    EXPECT_EQ(resolveBesideExecutable(L"D:\\x\\t.exe", L"C:\\Apps\\tool.exe"), L"D:\\x\\t.exe");
    EXPECT_EQ(resolveBesideExecutable(L"\\\\srv\\share\\t.exe", L"C:\\Apps\\tool.exe"), L"\\\\srv\\share\\t.exe");
#else
    EXPECT_EQ(workingFolderOf(L"/opt/apps/tool"), L"/opt/apps");
    EXPECT_EQ(workingFolderOf(L"/tool"), L"/");
    EXPECT_EQ(resolveBesideExecutable(L"tool64", L"/opt/apps/tool"), L"/opt/apps/tool64");
    EXPECT_EQ(resolveBesideExecutable(L"/usr/bin/t", L"/opt/apps/tool"), L"/usr/bin/t");
#endif
    EXPECT_EQ(resolveBesideExecutable(L"", L"/x/tool"), L"");
}

}  // namespace
}  // namespace jl
