// The "Java Exception" dialog driven in-process: the test thread shows it as the Java
// thread would, a driver thread finds it, looks at it and answers it the way a user
// does (buttons, Enter, Escape, the close box), resizes it, and writes a screenshot of
// it in each language to the build folder.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <iterator>
#include <string>
#include <thread>

#include "jvm/exception_dialog.h"
#include "jvm/exception_dialog_layout.h"
#include "os/os.h"

namespace jl {
namespace {

const wchar_t kTrace[] =
    L"java.lang.IllegalStateException: Grüße, 例外\n"
    L"\tat com.example.Main.run(Main.java:12)\n"
    L"\tat com.example.Main.main(Main.java:5)\n";

struct FoundDialog {
    DWORD thread;
    HWND window;
};

BOOL CALLBACK findDialog(HWND window, LPARAM context) {
    wchar_t className[16] = L"";
    GetClassNameW(window, className, 16);
    if (std::wstring(className) == L"#32770" && IsWindowVisible(window)) {
        reinterpret_cast<FoundDialog*>(context)->window = window;
        return FALSE;
    }
    return TRUE;
}

HWND waitForDialog(DWORD thread) {
    FoundDialog found{thread, nullptr};
    for (int i = 0; i < 500 && !found.window; ++i) {
        EnumThreadWindows(thread, findDialog, reinterpret_cast<LPARAM>(&found));
        if (!found.window) Sleep(10);
    }
    return found.window;
}

std::wstring windowText(HWND window) {
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(window, &text[0], static_cast<int>(text.size()))));
    return text;
}

// A control's box in the dialog's client coordinates.
ControlBox controlBox(HWND dialog, int id) {
    RECT box{};
    GetWindowRect(GetDlgItem(dialog, id), &box);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&box), 2);
    return {box.left, box.top, box.right, box.bottom};
}

SIZE windowSize(HWND window) {
    RECT box;
    GetWindowRect(window, &box);
    return {box.right - box.left, box.bottom - box.top};
}

// Shows the dialog on this thread, as the Java thread does, while `drive` runs on a
// thread of its own with the dialog's window (null when none appeared). Gives the
// user's choice.
ExceptionChoice showAndDrive(const std::wstring& text, const std::function<void(HWND)>& drive) {
    const DWORD self = GetCurrentThreadId();
    std::thread driver([&] {
        HWND dialog = waitForDialog(self);
        drive(dialog);
    });
    const ExceptionChoice choice = presentJavaException(text);
    driver.join();
    return choice;
}

void press(HWND dialog, int id) {
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

// A key as the user types it: to the control that has the focus on the dialog's thread.
void type(HWND dialog, UINT key) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info);
    HWND target = info.hwndFocus ? info.hwndFocus : dialog;
    PostMessageW(target, WM_KEYDOWN, key, 1);
    PostMessageW(target, WM_KEYUP, key, 0xC0000001);
}

TEST(ExceptionDialogTest, EachWayOfAnswering) {
    struct Case {
        const char* name;
        std::function<void(HWND)> answer;
        ExceptionChoice expected;
    };
    const Case cases[] = {
        {"Ignore", [](HWND d) { press(d, 1); }, ExceptionChoice::Ignore},
        {"Stop", [](HWND d) { press(d, 2); }, ExceptionChoice::Stop},
        {"Enter", [](HWND d) { type(d, VK_RETURN); }, ExceptionChoice::Ignore},
        {"Escape", [](HWND d) { type(d, VK_ESCAPE); }, ExceptionChoice::Stop},
        {"close box", [](HWND d) { PostMessageW(d, WM_SYSCOMMAND, SC_CLOSE, 0); }, ExceptionChoice::Stop},
    };
    for (const Case& c : cases) {
        bool shown = false;
        const ExceptionChoice choice = showAndDrive(kTrace, [&](HWND dialog) {
            shown = dialog != nullptr;
            if (dialog) c.answer(dialog);
        });
        ASSERT_TRUE(shown) << c.name;
        EXPECT_EQ(choice, c.expected) << c.name;
    }
}

TEST(ExceptionDialogTest, ShowsTheStackTraceReadOnly) {
    std::wstring text, caption;
    LONG_PTR editStyle = 0;
    HANDLE icon = nullptr;
    HWND focus = nullptr, ignore = nullptr;
    RECT window{}, work{};
    showAndDrive(kTrace, [&](HWND dialog) {
        if (!dialog) return;
        text = windowText(GetDlgItem(dialog, 208));
        caption = windowText(dialog);
        editStyle = GetWindowLongPtrW(GetDlgItem(dialog, 208), GWL_STYLE);
        icon = reinterpret_cast<HANDLE>(SendDlgItemMessageW(dialog, 204, STM_GETICON, 0, 0));
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info);
        focus = info.hwndFocus;
        ignore = GetDlgItem(dialog, 1);
        GetWindowRect(dialog, &window);
        MONITORINFO monitor{};
        monitor.cbSize = sizeof monitor;
        GetMonitorInfoW(MonitorFromWindow(dialog, MONITOR_DEFAULTTONEAREST), &monitor);
        work = monitor.rcWork;
        press(dialog, 2);
    });
    // Line breaks as the edit control needs them, every character kept.
    EXPECT_EQ(text, withCrLfLineBreaks(kTrace));
    EXPECT_NE(text.find(L"Grüße, 例外\r\n\tat com.example.Main.run"), std::wstring::npos);
    EXPECT_TRUE(editStyle & ES_READONLY);
    EXPECT_TRUE(editStyle & ES_MULTILINE);
    EXPECT_NE(icon, nullptr);
    EXPECT_EQ(focus, ignore);
    // Without an owner the dialog is centred on the screen's work area.
    EXPECT_NEAR((window.left + window.right) / 2, (work.left + work.right) / 2, 1);
    EXPECT_NEAR((window.top + window.bottom) / 2, (work.top + work.bottom) / 2, 1);
}

TEST(ExceptionDialogTest, NeverSmallerThanAtStart) {
    SIZE initial{}, shrunk{}, minimum{};
    showAndDrive(kTrace, [&](HWND dialog) {
        if (!dialog) return;
        initial = windowSize(dialog);
        MINMAXINFO info{};
        SendMessageW(dialog, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
        minimum = {info.ptMinTrackSize.x, info.ptMinTrackSize.y};
        SetWindowPos(dialog, nullptr, 0, 0, initial.cx / 2, initial.cy / 3, SWP_NOMOVE | SWP_NOZORDER);
        shrunk = windowSize(dialog);
        press(dialog, 1);
    });
    ASSERT_GT(initial.cx, 0);
    EXPECT_EQ(minimum.cx, initial.cx);
    EXPECT_EQ(minimum.cy, initial.cy);
    EXPECT_EQ(shrunk.cx, initial.cx);
    EXPECT_EQ(shrunk.cy, initial.cy);
}

TEST(ExceptionDialogTest, LineBreaksForTheEditControl) {
    EXPECT_EQ(withCrLfLineBreaks(L"a\nb\r\nc\rd\n\n"), L"a\r\nb\r\nc\r\nd\r\n\r\n");
}

// --- screenshots -------------------------------------------------------------------

// GDI+ through its flat interface, loaded when needed, to write PNG files.
class PngWriter {
public:
    PngWriter() {
        library_ = LoadLibraryW(L"gdiplus.dll");
        if (!library_) return;
        startup_ = reinterpret_cast<Startup>(GetProcAddress(library_, "GdiplusStartup"));
        shutdown_ = reinterpret_cast<Shutdown>(GetProcAddress(library_, "GdiplusShutdown"));
        fromBitmap_ = reinterpret_cast<FromBitmap>(GetProcAddress(library_, "GdipCreateBitmapFromHBITMAP"));
        save_ = reinterpret_cast<Save>(GetProcAddress(library_, "GdipSaveImageToFile"));
        dispose_ = reinterpret_cast<Dispose>(GetProcAddress(library_, "GdipDisposeImage"));
        struct {
            UINT32 version = 1;
            void* debugCallback = nullptr;
            BOOL suppressBackgroundThread = FALSE;
            BOOL suppressExternalCodecs = FALSE;
        } input;
        ready_ = startup_ && shutdown_ && fromBitmap_ && save_ && dispose_ && startup_(&token_, &input, nullptr) == 0;
    }
    ~PngWriter() {
        if (ready_) shutdown_(token_);
        if (library_) FreeLibrary(library_);
    }

    // The screen's pixels under a window.
    bool capture(HWND window, const std::wstring& path) {
        if (!ready_) return false;
        RECT box;
        GetWindowRect(window, &box);
        const int width = box.right - box.left, height = box.bottom - box.top;
        HDC screen = GetDC(nullptr);
        HDC memory = CreateCompatibleDC(screen);
        HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
        HGDIOBJ old = SelectObject(memory, bitmap);
        BitBlt(memory, 0, 0, width, height, screen, box.left, box.top, SRCCOPY);
        SelectObject(memory, old);
        void* image = nullptr;
        bool saved = false;
        // {557CF406-1A04-11D3-9A73-0000F81EF32E}: the PNG encoder.
        const CLSID png = {0x557CF406, 0x1A04, 0x11D3, {0x9A, 0x73, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};
        if (fromBitmap_(bitmap, nullptr, &image) == 0) {
            saved = save_(image, path.c_str(), &png, nullptr) == 0;
            dispose_(image);
        }
        DeleteObject(bitmap);
        DeleteDC(memory);
        ReleaseDC(nullptr, screen);
        return saved;
    }

private:
    using Startup = int(WINAPI*)(ULONG_PTR*, const void*, void*);
    using Shutdown = void(WINAPI*)(ULONG_PTR);
    using FromBitmap = int(WINAPI*)(HBITMAP, HPALETTE, void**);
    using Save = int(WINAPI*)(void*, const WCHAR*, const CLSID*, const void*);
    using Dispose = int(WINAPI*)(void*);
    HMODULE library_ = nullptr;
    Startup startup_ = nullptr;
    Shutdown shutdown_ = nullptr;
    FromBitmap fromBitmap_ = nullptr;
    Save save_ = nullptr;
    Dispose dispose_ = nullptr;
    ULONG_PTR token_ = 0;
    bool ready_ = false;
};

// build/<preset>/screenshots, beside the tests folder that holds this program.
std::wstring screenshotFolder() {
    std::wstring path;
    uint32_t error = 0;
    if (!os::modulePath(path, error)) return {};
    path.erase(path.rfind(L'\\'));
    if (path.size() >= 6 && _wcsicmp(path.c_str() + path.size() - 6, L"\\tests") == 0) path.erase(path.size() - 6);
    path += L"\\screenshots";
    CreateDirectoryW(path.c_str(), nullptr);
    return path;
}

TEST(ExceptionDialogTest, EveryLanguageWithScreenshot) {
    struct Language {
        const char* code;
        LANGID id;
        const wchar_t* caption;
        const wchar_t* stop;
    };
    const Language languages[] = {
        {"en", MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), L"Java Exception", L"Stop"},
        {"de", MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN), L"Java-Ausnahme", L"Beenden"},
        {"ja", MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT), L"Java 例外", L"停止"},
        {"ko", MAKELANGID(LANG_KOREAN, SUBLANG_DEFAULT), L"Java 예외", L"중지"},
        {"ru", MAKELANGID(LANG_RUSSIAN, SUBLANG_DEFAULT), L"Исключение Java", L"Остановить"},
        {"es", MAKELANGID(LANG_SPANISH, SUBLANG_SPANISH_MODERN), L"Excepción de Java", L"Detener"},
    };
    const std::wstring folder = screenshotFolder();
    ASSERT_FALSE(folder.empty());
    PngWriter png;
    const LCID savedLocale = GetThreadLocale();
    const LANGID savedUiLanguage = GetThreadUILanguage();
    for (const Language& language : languages) {
        // The resource loader picks the dialog's language from the thread's locale.
        SetThreadLocale(MAKELCID(language.id, SORT_DEFAULT));
        SetThreadUILanguage(language.id);
        std::wstring caption, stop;
        bool saved = false;
        const std::wstring file = folder + L"\\java_exception_" + os::fromUtf8(language.code) + L".png";
        DeleteFileW(file.c_str());
        showAndDrive(kTrace, [&](HWND dialog) {
            if (!dialog) return;
            caption = windowText(dialog);
            stop = windowText(GetDlgItem(dialog, 2));
            // Give the dialog's thread time to paint before the screen is read.
            Sleep(500);
            saved = png.capture(dialog, file);
            press(dialog, 1);
        });
        EXPECT_EQ(caption, language.caption) << language.code;
        EXPECT_EQ(stop, language.stop) << language.code;
        EXPECT_TRUE(saved) << language.code << ": " << os::toUtf8(file);
    }
    SetThreadLocale(savedLocale);
    SetThreadUILanguage(savedUiLanguage);
}

TEST(ExceptionDialogTest, ControlsFollowTheSize) {
    constexpr int kDx = 120, kDy = 90;
    bool checked = false;
    showAndDrive(kTrace, [&](HWND dialog) {
        if (!dialog) return;
        ControlBox before[std::size(kExceptionDialogRules)];
        for (size_t i = 0; i < std::size(kExceptionDialogRules); ++i) {
            before[i] = controlBox(dialog, kExceptionDialogRules[i].controlId);
        }
        const SIZE size = windowSize(dialog);
        SetWindowPos(dialog, nullptr, 0, 0, size.cx + kDx, size.cy + kDy, SWP_NOMOVE | SWP_NOZORDER);
        for (size_t i = 0; i < std::size(kExceptionDialogRules); ++i) {
            const ResizeRuleEntry& entry = kExceptionDialogRules[i];
            const ControlBox after = controlBox(dialog, entry.controlId);
            const ControlBox& b = before[i];
            ControlBox expected = b;
            switch (entry.rule) {
                case ResizeRule::Stay: break;
                case ResizeRule::MoveRightDown: expected = {b.left + kDx, b.top + kDy, b.right + kDx, b.bottom + kDy}; break;
                case ResizeRule::Grow: expected = {b.left, b.top, b.right + kDx, b.bottom + kDy}; break;
                case ResizeRule::GrowWidth: expected = {b.left, b.top, b.right + kDx, b.bottom}; break;
                case ResizeRule::GrowWidthMoveDown: expected = {b.left, b.top + kDy, b.right + kDx, b.bottom + kDy}; break;
            }
            EXPECT_TRUE(after == expected) << "control " << entry.controlId << ": (" << after.left << ","
                                           << after.top << ")-(" << after.right << "," << after.bottom << ")";
        }
        // For the eye: the grown dialog.
        Sleep(300);
        PngWriter png;
        const std::wstring folder = screenshotFolder();
        if (!folder.empty()) png.capture(dialog, folder + L"\\java_exception_resized.png");
        // Back to the initial size, everything is where it started.
        SetWindowPos(dialog, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER);
        for (size_t i = 0; i < std::size(kExceptionDialogRules); ++i) {
            EXPECT_TRUE(controlBox(dialog, kExceptionDialogRules[i].controlId) == before[i])
                << "control " << kExceptionDialogRules[i].controlId;
        }
        checked = true;
        press(dialog, 1);
    });
    EXPECT_TRUE(checked);
}

}  // namespace
}  // namespace jl
