// What jlpack writes into a launcher, read back through the functions Windows itself
// uses: the icon group as the shell loads it, the version information as the file
// properties show it, and the launcher's own dialogs and messages, still there.
#include "command_line.h"
#include "product.h"

#include "os/os.h"
#include "tests/unit/temp_folder.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(JlpackResources, ReadBackThroughTheWindowsFunctions) {
    const jl::testing::TempFolder temp;
    jlpack::Options options;
    options.launcher = jl::os::fromUtf8(JL_LAUNCHER_FILE);
    options.output = temp.path(L"packed.exe");
    options.icon = jl::os::fromUtf8(std::string(JL_SOURCE_DIR) + "/sample/hello.ico");
    options.version = {{L"FileVersion", L"2.3.4.5"}, {L"ProductVersion", L"2.3 beta"}, {L"ProductName", L"My Tool"},
                       {L"CompanyName", L"ACME Ltd"}, {L"LegalCopyright", L"\u00a9 2026 ACME"}};
    ASSERT_EQ(jlpack::pack(options), 0);

    HMODULE module = LoadLibraryExW(options.output.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(module, nullptr);
    for (int size : {16, 48, 256}) {
        HICON icon = static_cast<HICON>(LoadImageW(module, MAKEINTRESOURCEW(1), IMAGE_ICON, size, size, 0));
        ASSERT_NE(icon, nullptr) << size;
        ICONINFO info{};
        BITMAP bitmap{};
        ASSERT_TRUE(GetIconInfo(icon, &info));
        EXPECT_TRUE(GetObjectW(info.hbmColor, sizeof(bitmap), &bitmap) && bitmap.bmWidth == size) << size;
        DeleteObject(info.hbmColor), DeleteObject(info.hbmMask), DestroyIcon(icon);
    }
    EXPECT_NE(LoadIconW(module, MAKEINTRESOURCEW(1)), nullptr);
    for (const auto& [id, type] : {std::pair{201, RT_DIALOG}, {231, RT_DIALOG}, {1, RT_MANIFEST}}) {
        EXPECT_NE(FindResourceW(module, MAKEINTRESOURCEW(id), type), nullptr) << id;
    }
    FreeLibrary(module);

    DWORD ignored = 0;
    std::vector<BYTE> data(GetFileVersionInfoSizeW(options.output.c_str(), &ignored));
    ASSERT_FALSE(data.empty());
    ASSERT_TRUE(GetFileVersionInfoW(options.output.c_str(), 0, static_cast<DWORD>(data.size()), data.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(std::vector<DWORD>({fixed->dwFileVersionMS, fixed->dwFileVersionLS, fixed->dwProductVersionMS, fixed->dwProductVersionLS}),
              std::vector<DWORD>({0x00020003u, 0x00040005u, 0x00020003u, 0u}));
    DWORD* translation = nullptr;
    ASSERT_TRUE(VerQueryValueW(data.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation), &length));
    EXPECT_EQ(*translation, 0x04B00409u);
    for (const auto& entry : options.version) {
        wchar_t* value = nullptr;
        const std::wstring query = L"\\StringFileInfo\\040904B0\\" + entry.first;
        ASSERT_TRUE(VerQueryValueW(data.data(), query.c_str(), reinterpret_cast<void**>(&value), &length)) << query;
        EXPECT_EQ(std::wstring(value), entry.second);
    }
}

}  // namespace
