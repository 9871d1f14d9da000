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

// The visible dialog (class "#32770", which message boxes have too) of a thread, or null.
inline BOOL CALLBACK takeVisibleDialog(HWND window, LPARAM result) {
    wchar_t name[16] = L"";
    GetClassNameW(window, name, 16);
    if (lstrcmpW(name, L"#32770") != 0 || !IsWindowVisible(window)) return TRUE;
    *reinterpret_cast<HWND*>(result) = window;
    return FALSE;
}
inline HWND findDialog(DWORD thread) {
    HWND found = nullptr;
    EnumThreadWindows(thread, takeVisibleDialog, reinterpret_cast<LPARAM>(&found));
    return found;
}

// The same, waited for up to five seconds.
inline HWND waitForDialog(DWORD thread) {
    HWND found = findDialog(thread);
    for (int i = 0; i < 500 && !found; ++i) {
        Sleep(10);
        found = findDialog(thread);
    }
    return found;
}

// A click of a button: posted, or with `now` sent, to be handled before this returns.
inline void press(HWND dialog, int id, bool now = false) {
    const WPARAM command = MAKEWPARAM(id, BN_CLICKED);
    const LPARAM button = reinterpret_cast<LPARAM>(GetDlgItem(dialog, id));
    if (now) {
        SendMessageW(dialog, WM_COMMAND, command, button);
    } else {
        PostMessageW(dialog, WM_COMMAND, command, button);
    }
}

// A key as the user types it: to the control that has the focus on the dialog's thread.
inline void type(HWND dialog, UINT key) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info);
    HWND target = info.hwndFocus ? info.hwndFocus : dialog;
    PostMessageW(target, WM_KEYDOWN, key, 1);
    PostMessageW(target, WM_KEYUP, key, 0xC0000001);
}

struct Pixels {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> bgrx;  // top-down rows, 0x00RRGGBB per pixel

    size_t count(COLORREF colour) const {
        const uint32_t wanted = (GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour);
        size_t n = 0;
        for (uint32_t p : bgrx) n += (p & 0xFFFFFF) == wanted;
        return n;
    }
};

namespace detail {

// Runs `draw` into a 32-bit top-down DIB of the given size and returns its pixels.
template <typename Draw>
Pixels drawIntoBitmap(int width, int height, Draw draw) {
    Pixels pixels;
    if (width <= 0 || height <= 0) return pixels;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (memory && bitmap && bits) {
        HGDIOBJ previous = SelectObject(memory, bitmap);
        draw(memory, screen);
        GdiFlush();
        pixels.width = width;
        pixels.height = height;
        const auto* begin = static_cast<const uint32_t*>(bits);
        pixels.bgrx.assign(begin, begin + static_cast<size_t>(width) * height);
        SelectObject(memory, previous);
    }
    if (bitmap) DeleteObject(bitmap);
    if (memory) DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return pixels;
}

}  // namespace detail

// What the control paints into its client area when asked to print itself.
inline Pixels printClient(HWND window) {
    RECT client{};
    GetClientRect(window, &client);
    return detail::drawIntoBitmap(client.right, client.bottom, [window](HDC memory, HDC) {
        SendMessageW(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory), PRF_CLIENT | PRF_ERASEBKGND);
    });
}

// What the screen shows in a rectangle (screen coordinates).
inline Pixels captureScreen(const RECT& rect) {
    return detail::drawIntoBitmap(rect.right - rect.left, rect.bottom - rect.top, [&rect](HDC memory, HDC screen) {
        BitBlt(memory, 0, 0, rect.right - rect.left, rect.bottom - rect.top, screen, rect.left, rect.top, SRCCOPY);
    });
}

// A PNG file of the pixels: 8-bit RGB rows in stored (uncompressed) deflate blocks.
inline bool writePng(const std::wstring& path, const Pixels& pixels) {
    if (pixels.width <= 0 || pixels.height <= 0) return false;
    auto bigEndian = [](std::vector<uint8_t>& out, uint32_t value) {
        for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(value >> shift));
    };
    std::vector<uint8_t> raw;
    for (int y = 0; y < pixels.height; ++y) {
        raw.push_back(0);  // no filter
        for (int x = 0; x < pixels.width; ++x) {
            const uint32_t p = pixels.bgrx[static_cast<size_t>(y) * pixels.width + x];
            raw.insert(raw.end(), {static_cast<uint8_t>(p >> 16), static_cast<uint8_t>(p >> 8), static_cast<uint8_t>(p)});
        }
    }
    std::vector<uint8_t> zlib = {0x78, 0x01};
    for (size_t offset = 0; offset < raw.size(); offset += 65535) {
        const auto length = static_cast<uint16_t>(std::min<size_t>(65535, raw.size() - offset));
        zlib.insert(zlib.end(), {static_cast<uint8_t>(offset + length >= raw.size()), static_cast<uint8_t>(length),
                                 static_cast<uint8_t>(length >> 8), static_cast<uint8_t>(~length),
                                 static_cast<uint8_t>(~length >> 8)});
        zlib.insert(zlib.end(), raw.begin() + offset, raw.begin() + offset + length);
    }
    uint32_t a = 1, b = 0;  // Adler-32
    for (uint8_t byte : raw) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    bigEndian(zlib, (b << 16) | a);
    std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
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
    std::vector<uint8_t> header;
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
