// Driving the windows of the Win32 tests as a user does: finding a dialog, reading its
// texts, pressing its buttons, typing keys; and their pixels: what a control paints for
// itself, what the screen shows, colour counts, and a PNG writer (stored deflate blocks,
// no compression library needed) for the screenshots kept in the build folder.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
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
    GetWindowRect(window, &box);
    return box;
}

inline RECT screenRect() { return RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}; }

// The visible dialog (class "#32770", which message boxes have too) of a thread, or null;
// waitForDialog waits up to five seconds for it.
// A window procedure's convention (stdcall on i686), which a lambda cannot have.
inline BOOL CALLBACK keepVisibleDialog(HWND window, LPARAM result) {
    wchar_t name[16] = L"";
    GetClassNameW(window, name, 16);
    if (lstrcmpW(name, L"#32770") != 0 || !IsWindowVisible(window)) return TRUE;
    *reinterpret_cast<HWND*>(result) = window;
    return FALSE;
}
inline HWND findDialog(DWORD thread) {
    HWND found = nullptr;
    EnumThreadWindows(thread, keepVisibleDialog, reinterpret_cast<LPARAM>(&found));
    return found;
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
    HWND target = info.hwndFocus ? info.hwndFocus : dialog;
    PostMessageW(target, WM_KEYDOWN, key, 1);
    PostMessageW(target, WM_KEYUP, key, 0xC0000001);
}

struct Pixels {
    int width = 0, height = 0;
    std::vector<uint32_t> bgrx;  // top-down rows, 0x00RRGGBB per pixel

    size_t count(COLORREF colour) const {
        const uint32_t wanted = (GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour);
        return static_cast<size_t>(std::count_if(bgrx.begin(), bgrx.end(), [=](uint32_t p) { return (p & 0xFFFFFF) == wanted; }));
    }
};

// What `draw` paints into a 32-bit top-down bitmap of the given size.
template <typename Draw>
Pixels drawIntoBitmap(int width, int height, Draw draw) {
    Pixels pixels;
    BITMAPINFO info{{sizeof info.bmiHeader, width, -height, 1, 32, BI_RGB}};
    void* bits = nullptr;
    HDC screen = GetDC(nullptr), memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = width > 0 && height > 0 ? CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0) : nullptr;
    if (bitmap && bits) {
        HGDIOBJ previous = SelectObject(memory, bitmap);
        draw(memory, screen);
        GdiFlush();
        pixels = {width, height, std::vector<uint32_t>(static_cast<const uint32_t*>(bits),
                                                       static_cast<const uint32_t*>(bits) + width * height)};
        SelectObject(memory, previous);
        DeleteObject(bitmap);
    }
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return pixels;
}

// What the control paints into its client area when asked to print itself.
inline Pixels printClient(HWND window) {
    RECT client{};
    GetClientRect(window, &client);
    return drawIntoBitmap(client.right, client.bottom, [window](HDC memory, HDC) {
        SendMessageW(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory), PRF_CLIENT | PRF_ERASEBKGND);
    });
}

// What the screen shows in a rectangle (screen coordinates).
inline Pixels captureScreen(const RECT& r) {
    return drawIntoBitmap(r.right - r.left, r.bottom - r.top, [&r](HDC memory, HDC screen) {
        BitBlt(memory, 0, 0, r.right - r.left, r.bottom - r.top, screen, r.left, r.top, SRCCOPY);
    });
}

// A PNG file of the pixels: 8-bit RGB rows in stored (uncompressed) deflate blocks.
inline bool writePng(const std::wstring& path, const Pixels& pixels) {
    if (pixels.width <= 0 || pixels.height <= 0) return false;
    auto bigEndian = [](std::vector<uint8_t>& out, uint32_t value) {
        for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(value >> shift));
    };
    std::vector<uint8_t> raw, zlib = {0x78, 0x01}, png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'}, header;
    for (size_t i = 0; i < pixels.bgrx.size(); ++i) {
        if (i % pixels.width == 0) raw.push_back(0);  // no filter
        const uint32_t p = pixels.bgrx[i];
        raw.insert(raw.end(), {static_cast<uint8_t>(p >> 16), static_cast<uint8_t>(p >> 8), static_cast<uint8_t>(p)});
    }
    uint32_t a = 1, b = 0;  // Adler-32
    for (size_t offset = 0; offset < raw.size(); offset += 65535) {
        const auto length = static_cast<uint16_t>(std::min<size_t>(65535, raw.size() - offset));
        zlib.insert(zlib.end(), {static_cast<uint8_t>(offset + length >= raw.size()), static_cast<uint8_t>(length),
                                 static_cast<uint8_t>(length >> 8), static_cast<uint8_t>(~length),
                                 static_cast<uint8_t>(~length >> 8)});
        zlib.insert(zlib.end(), raw.begin() + offset, raw.begin() + offset + length);
    }
    for (uint8_t byte : raw) a = (a + byte) % 65521, b = (b + a) % 65521;
    bigEndian(zlib, (b << 16) | a);
    auto chunk = [&](const char* type, const std::vector<uint8_t>& data) {
        bigEndian(png, static_cast<uint32_t>(data.size()));
        const size_t start = png.size();
        png.insert(png.end(), type, type + 4);
        png.insert(png.end(), data.begin(), data.end());
        uint32_t crc = ~0u;
        for (size_t i = start; i < png.size(); ++i) {
            crc ^= png[i];
            for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
        }
        bigEndian(png, ~crc);
    };
    bigEndian(header, static_cast<uint32_t>(pixels.width));
    bigEndian(header, static_cast<uint32_t>(pixels.height));
    header.insert(header.end(), {8, 2, 0, 0, 0});  // 8-bit RGB, no interlace
    chunk("IHDR", header);
    chunk("IDAT", zlib);
    chunk("IEND", {});
    std::ofstream out(std::filesystem::path(path), std::ios::binary);
    out.write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
    return static_cast<bool>(out);
}

// build/<preset>/screenshots/<name>, beside the tests folder that holds this program.
inline std::wstring screenshotPath(const std::wstring& name) {
    wchar_t module[MAX_PATH] = L"";
    GetModuleFileNameW(nullptr, module, MAX_PATH);
    const std::filesystem::path folder = std::filesystem::path(module).parent_path().parent_path() / L"screenshots";
    std::error_code ignored;
    std::filesystem::create_directories(folder, ignored);
    return (folder / name).wstring();
}

// What the screen shows in the area, written to the screenshot folder.
inline bool saveScreenshot(const std::wstring& name, const RECT& area) {
    return writePng(screenshotPath(name), captureScreen(area));
}

}  // namespace jl::testing
