// Driving the windows of the Win32 tests as a user does (finding a dialog, reading its
// texts, pressing its buttons, typing keys) and reading their pixels: what a control
// paints for itself, what the screen shows, and screenshots of it as PNG files in the
// build folder.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include "splash/gdiplus_win32.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace jl::testing {

inline std::wstring textOf(HWND window) {
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}
inline RECT windowRect(HWND window) {
    RECT box{};
    return GetWindowRect(window, &box), box;
}
inline RECT screenRect() { return RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}; }

// The visible dialog (class "#32770", message boxes too) of a thread, or null; waitForDialog
// waits up to five seconds for it. A CALLBACK: a lambda has not the i686 convention.
inline BOOL CALLBACK keepVisibleDialog(HWND window, LPARAM result) {
    wchar_t name[16] = L"";
    GetClassNameW(window, name, 16);
    if (lstrcmpW(name, L"#32770") != 0 || !IsWindowVisible(window)) return TRUE;
    return *reinterpret_cast<HWND*>(result) = window, FALSE;
}
inline HWND findDialog(DWORD thread) {
    HWND found = nullptr;
    return EnumThreadWindows(thread, keepVisibleDialog, reinterpret_cast<LPARAM>(&found)), found;
}
inline HWND waitForDialog(DWORD thread) {
    HWND found = findDialog(thread);
    for (int i = 0; i < 500 && !found; ++i) Sleep(10), found = findDialog(thread);
    return found;
}

// A click of a button: posted, or with `now` sent, to be handled before this returns.
inline void press(HWND dialog, int id, bool now = false) {
    const LPARAM button = reinterpret_cast<LPARAM>(GetDlgItem(dialog, id));
    if (now) SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), button);
    else PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), button);
}
// A key as the user types it: to the control that has the focus on the dialog's thread.
inline void type(HWND dialog, UINT key) {
    GUITHREADINFO info{sizeof info};
    GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info);
    PostMessageW(info.hwndFocus ? info.hwndFocus : dialog, WM_KEYDOWN, key, 1);
    PostMessageW(info.hwndFocus ? info.hwndFocus : dialog, WM_KEYUP, key, 0xC0000001);
}

struct Pixels {
    int width = 0, height = 0;
    std::vector<uint32_t> rgb;  // top-down rows, 0x00RRGGBB per pixel
    size_t count(COLORREF c) const {
        const uint32_t wanted = (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
        return static_cast<size_t>(std::count_if(rgb.begin(), rgb.end(), [=](uint32_t p) { return (p & 0xFFFFFF) == wanted; }));
    }
};

// What the control paints into its client area when asked to print itself (`window`), or
// what the screen shows in `area`.
inline Pixels drawnPixels(HWND window, RECT area) {
    if (window) GetClientRect(window, &area);
    Pixels pixels{area.right - area.left, area.bottom - area.top, {}};
    BITMAPINFO info{{sizeof info.bmiHeader, pixels.width, -pixels.height, 1, 32, BI_RGB}};
    void* bits = nullptr;
    HDC screen = GetDC(nullptr), memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = pixels.width > 0 && pixels.height > 0
                         ? CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0) : nullptr;
    if (bitmap && bits) {
        HGDIOBJ previous = SelectObject(memory, bitmap);
        if (window) SendMessageW(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory), PRF_CLIENT | PRF_ERASEBKGND);
        else BitBlt(memory, 0, 0, pixels.width, pixels.height, screen, area.left, area.top, SRCCOPY);
        GdiFlush();
        pixels.rgb.assign(static_cast<const uint32_t*>(bits), static_cast<const uint32_t*>(bits) + pixels.width * pixels.height);
        SelectObject(memory, previous);
        DeleteObject(bitmap);
    } else {
        pixels = {};
    }
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return pixels;
}
inline Pixels printClient(HWND window) { return drawnPixels(window, {}); }
inline Pixels captureScreen(const RECT& area) { return drawnPixels(nullptr, area); }

// What the screen shows in the area, also written to build/<preset>/screenshots/<name> as
// a PNG file through GDI+ (started by the splash's session, which the launcher has).
inline Pixels screenshot(const std::wstring& name, const RECT& area) {
    Pixels shot = captureScreen(area);
    wchar_t module[MAX_PATH] = L"";
    GetModuleFileNameW(nullptr, module, MAX_PATH);
    const std::filesystem::path folder = std::filesystem::path(module).parent_path().parent_path() / L"screenshots";
    std::error_code ignored;
    std::filesystem::create_directories(folder, ignored);
    const jl::gdiplus::Session session;
    const HMODULE gdiplus = GetModuleHandleW(L"gdiplus.dll");
    const auto create = reinterpret_cast<int(WINAPI*)(INT, INT, INT, INT, uint32_t*, void**)>(
        reinterpret_cast<void*>(GetProcAddress(gdiplus, "GdipCreateBitmapFromScan0")));
    const auto save = reinterpret_cast<int(WINAPI*)(void*, const wchar_t*, const CLSID*, const void*)>(
        reinterpret_cast<void*>(GetProcAddress(gdiplus, "GdipSaveImageToFile")));
    const auto dispose = reinterpret_cast<int(WINAPI*)(void*)>(reinterpret_cast<void*>(GetProcAddress(gdiplus, "GdipDisposeImage")));
    const CLSID png{0x557CF406, 0x1A04, 0x11D3, {0x9A, 0x73, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};
    void* bitmap = nullptr;  // 32 bits per pixel, the fourth byte unused
    EXPECT_TRUE(create && save && dispose && shot.width > 0 &&
                create(shot.width, shot.height, shot.width * 4, 0x00022009, shot.rgb.data(), &bitmap) == 0 &&
                save(bitmap, (folder / name).c_str(), &png, nullptr) == 0) << "screenshot " << ::testing::PrintToString(name);
    if (bitmap) dispose(bitmap);
    return shot;
}

}  // namespace jl::testing
