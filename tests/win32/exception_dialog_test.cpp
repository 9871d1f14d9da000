// The "Java Exception" dialog driven in-process: the test thread shows it as the Java
// thread would, a driver thread finds it, looks at it and answers it the way a user
// does (buttons, Enter, Escape, the close box), resizes it, and writes a screenshot of
// it in each language to the build folder.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <iterator>
#include <string>
#include <thread>

#include "jvm/exception_dialog.h"
#include "jvm/exception_dialog_layout.h"
#include "tests/win32/window_testing.h"

namespace jl {
namespace {

using testing::press;
using testing::textOf;

const wchar_t kTrace[] =
    L"java.lang.IllegalStateException: Grüße, 例外\n"
    L"\tat com.example.Main.run(Main.java:12)\n"
    L"\tat com.example.Main.main(Main.java:5)\n";

// A control's box in the dialog's client coordinates.
ControlBox controlBox(HWND dialog, int id) {
    RECT box = testing::windowRect(GetDlgItem(dialog, id));
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&box), 2);
    return {box.left, box.top, box.right, box.bottom};
}

SIZE windowSize(HWND window) {
    const RECT box = testing::windowRect(window);
    return {box.right - box.left, box.bottom - box.top};
}

// Shows the dialog on this thread, as the Java thread does, while `drive` runs on a
// thread of its own with the dialog's window; fails when none appeared. Gives the
// user's choice.
ExceptionChoice showAndDrive(const std::function<void(HWND)>& drive) {
    const DWORD self = GetCurrentThreadId();
    bool shown = false;
    std::thread driver([&] {
        HWND dialog = testing::waitForDialog(self);
        shown = dialog != nullptr;
        if (dialog) drive(dialog);
    });
    const ExceptionChoice choice = presentJavaException(kTrace);
    driver.join();
    EXPECT_TRUE(shown) << "no dialog appeared";
    return choice;
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
        {"Enter", [](HWND d) { testing::type(d, VK_RETURN); }, ExceptionChoice::Ignore},
        {"Escape", [](HWND d) { testing::type(d, VK_ESCAPE); }, ExceptionChoice::Stop},
        {"close box", [](HWND d) { PostMessageW(d, WM_SYSCOMMAND, SC_CLOSE, 0); }, ExceptionChoice::Stop},
    };
    for (const Case& c : cases) EXPECT_EQ(showAndDrive(c.answer), c.expected) << c.name;
}

TEST(ExceptionDialogTest, ShowsTheStackTraceReadOnly) {
    std::wstring text;
    LONG_PTR editStyle = 0;
    HANDLE icon = nullptr;
    HWND focus = nullptr, ignore = nullptr;
    RECT window{}, work{};
    showAndDrive([&](HWND dialog) {
        text = textOf(GetDlgItem(dialog, 208));
        editStyle = GetWindowLongPtrW(GetDlgItem(dialog, 208), GWL_STYLE);
        icon = reinterpret_cast<HANDLE>(SendDlgItemMessageW(dialog, 204, STM_GETICON, 0, 0));
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info);
        focus = info.hwndFocus;
        ignore = GetDlgItem(dialog, 1);
        window = testing::windowRect(dialog);
        MONITORINFO monitor{};
        monitor.cbSize = sizeof monitor;
        GetMonitorInfoW(MonitorFromWindow(dialog, MONITOR_DEFAULTTONEAREST), &monitor);
        work = monitor.rcWork;
        press(dialog, 2);
    });
    // Line breaks as the edit control needs them, every character kept.
    EXPECT_EQ(text, withCrLfLineBreaks(kTrace));
    EXPECT_NE(text.find(L"Grüße, 例外\r\n\tat com.example.Main.run"), std::wstring::npos);
    EXPECT_EQ(withCrLfLineBreaks(L"a\nb\r\nc\rd\n\n"), L"a\r\nb\r\nc\r\nd\r\n\r\n");
    EXPECT_TRUE(editStyle & ES_READONLY);
    EXPECT_TRUE(editStyle & ES_MULTILINE);
    EXPECT_NE(icon, nullptr);
    EXPECT_EQ(focus, ignore);
    // Without an owner the dialog is centred on the screen's work area.
    EXPECT_NEAR((window.left + window.right) / 2, (work.left + work.right) / 2, 1);
    EXPECT_NEAR((window.top + window.bottom) / 2, (work.top + work.bottom) / 2, 1);
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
    const LCID savedLocale = GetThreadLocale();
    const LANGID savedUiLanguage = GetThreadUILanguage();
    for (const Language& language : languages) {
        // The resource loader picks the dialog's language from the thread's locale.
        SetThreadLocale(MAKELCID(language.id, SORT_DEFAULT));
        SetThreadUILanguage(language.id);
        const std::wstring file = L"java_exception_" + std::wstring(language.code, language.code + 2) + L".png";
        DeleteFileW(testing::screenshotPath(file).c_str());
        std::wstring caption, stop;
        bool saved = false;
        showAndDrive([&](HWND dialog) {
            caption = textOf(dialog);
            stop = textOf(GetDlgItem(dialog, 2));
            // Give the dialog's thread time to paint before the screen is read.
            Sleep(500);
            saved = testing::saveScreenshot(file, testing::windowRect(dialog));
            press(dialog, 1);
        });
        EXPECT_EQ(caption, language.caption) << language.code;
        EXPECT_EQ(stop, language.stop) << language.code;
        EXPECT_TRUE(saved) << language.code;
    }
    SetThreadLocale(savedLocale);
    SetThreadUILanguage(savedUiLanguage);
}

// Grown, each control follows its rule; back at the initial size everything is where it
// started; never smaller than that.
TEST(ExceptionDialogTest, ControlsFollowTheSize) {
    constexpr int kDx = 120, kDy = 90;
    showAndDrive([&](HWND dialog) {
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
        Sleep(300);
        testing::saveScreenshot(L"java_exception_resized.png", testing::windowRect(dialog));
        SetWindowPos(dialog, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER);
        for (size_t i = 0; i < std::size(kExceptionDialogRules); ++i) {
            EXPECT_TRUE(controlBox(dialog, kExceptionDialogRules[i].controlId) == before[i])
                << "control " << kExceptionDialogRules[i].controlId;
        }
        MINMAXINFO info{};
        SendMessageW(dialog, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
        EXPECT_EQ(info.ptMinTrackSize.x, size.cx);
        EXPECT_EQ(info.ptMinTrackSize.y, size.cy);
        SetWindowPos(dialog, nullptr, 0, 0, size.cx / 2, size.cy / 3, SWP_NOMOVE | SWP_NOZORDER);
        const SIZE shrunk = windowSize(dialog);
        EXPECT_EQ(shrunk.cx, size.cx);
        EXPECT_EQ(shrunk.cy, size.cy);
        press(dialog, 1);
    });
}

}  // namespace
}  // namespace jl
