// The "Java Exception" dialog driven in-process, one walk per language: the test thread
// shows it as the Java thread would, a driver thread reads it, takes a screenshot, resizes
// it (first language) and answers it the way the row says.
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

using testing::textOf;

const wchar_t kTrace[] =
    L"java.lang.IllegalStateException: Grüße, 例外\n\tat com.example.Main.run(Main.java:12)\n"
    L"\tat com.example.Main.main(Main.java:5)\n";

ControlBox controlBox(HWND dialog, int id) {
    RECT box = testing::windowRect(GetDlgItem(dialog, id));
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&box), 2);
    return {box.left, box.top, box.right, box.bottom};
}

// Grown, each control follows its rule; back at the initial size everything is where it
// started; never smaller than that.
void expectControlsFollowTheSize(HWND dialog) {
    constexpr int kDx = 120, kDy = 90;
    ControlBox before[std::size(kExceptionDialogRules)];
    for (size_t i = 0; i < std::size(before); ++i) before[i] = controlBox(dialog, kExceptionDialogRules[i].controlId);
    const RECT initial = testing::windowRect(dialog);
    const int width = initial.right - initial.left, height = initial.bottom - initial.top;
    SetWindowPos(dialog, nullptr, 0, 0, width + kDx, height + kDy, SWP_NOMOVE | SWP_NOZORDER);
    for (size_t i = 0; i < std::size(before); ++i) {
        const ResizeRuleEntry& entry = kExceptionDialogRules[i];
        EXPECT_TRUE(controlBox(dialog, entry.controlId) == resizeControl(before[i], entry.rule, kDx, kDy))
            << "control " << entry.controlId;
    }
    Sleep(300);
    testing::saveScreenshot(L"java_exception_resized.png", testing::windowRect(dialog));
    SetWindowPos(dialog, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER);
    for (size_t i = 0; i < std::size(before); ++i) {
        EXPECT_TRUE(controlBox(dialog, kExceptionDialogRules[i].controlId) == before[i]) << "control " << i;
    }
    SetWindowPos(dialog, nullptr, 0, 0, width / 2, height / 3, SWP_NOMOVE | SWP_NOZORDER);
    const RECT shrunk = testing::windowRect(dialog);
    EXPECT_EQ(shrunk.right - shrunk.left, width);
    EXPECT_EQ(shrunk.bottom - shrunk.top, height);
}

TEST(ExceptionDialogTest, EveryLanguageShownAndAnswered) {
    struct Row {
        const char* code;
        LANGID language;
        const wchar_t *caption, *stop;
        std::function<void(HWND)> answer;
        ExceptionChoice expected;
    };
    const Row rows[] = {
        {"en", MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), L"Java Exception", L"Stop",
         [](HWND d) { testing::press(d, 1); }, ExceptionChoice::Ignore},
        {"de", MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN), L"Java-Ausnahme", L"Beenden",
         [](HWND d) { testing::press(d, 2); }, ExceptionChoice::Stop},
        {"ja", MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT), L"Java 例外", L"停止",
         [](HWND d) { testing::type(d, VK_RETURN); }, ExceptionChoice::Ignore},
        {"ko", MAKELANGID(LANG_KOREAN, SUBLANG_DEFAULT), L"Java 예외", L"중지",
         [](HWND d) { testing::type(d, VK_ESCAPE); }, ExceptionChoice::Stop},
        {"ru", MAKELANGID(LANG_RUSSIAN, SUBLANG_DEFAULT), L"Исключение Java", L"Остановить",
         [](HWND d) { PostMessageW(d, WM_SYSCOMMAND, SC_CLOSE, 0); }, ExceptionChoice::Stop},
        {"es", MAKELANGID(LANG_SPANISH, SUBLANG_SPANISH_MODERN), L"Excepción de Java", L"Detener",
         [](HWND d) { testing::press(d, 1); }, ExceptionChoice::Ignore},
    };
    const LCID savedLocale = GetThreadLocale();
    const LANGID savedUiLanguage = GetThreadUILanguage();
    for (const Row& row : rows) {
        // The resource loader picks the dialog's language from the thread's locale.
        SetThreadLocale(MAKELCID(row.language, SORT_DEFAULT));
        SetThreadUILanguage(row.language);
        const std::wstring file = L"java_exception_" + std::wstring(row.code, row.code + 2) + L".png";
        const DWORD self = GetCurrentThreadId();
        bool shown = false;
        std::thread driver([&] {
            HWND dialog = testing::waitForDialog(self);
            if (!(shown = dialog != nullptr)) return;
            EXPECT_EQ(textOf(dialog), row.caption);
            EXPECT_EQ(textOf(GetDlgItem(dialog, 2)), row.stop);
            // Line breaks as the edit control needs them, every character kept; read-only.
            EXPECT_EQ(textOf(GetDlgItem(dialog, 208)), withCrLfLineBreaks(kTrace));
            const LONG_PTR style = GetWindowLongPtrW(GetDlgItem(dialog, 208), GWL_STYLE);
            EXPECT_TRUE((style & ES_READONLY) && (style & ES_MULTILINE));
            EXPECT_NE(SendDlgItemMessageW(dialog, 204, STM_GETICON, 0, 0), 0);
            GUITHREADINFO info{sizeof info};
            GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info);
            EXPECT_EQ(info.hwndFocus, GetDlgItem(dialog, 1));
            // Without an owner it is centred on the work area.
            const RECT window = testing::windowRect(dialog);
            MONITORINFO monitor{sizeof monitor};
            GetMonitorInfoW(MonitorFromWindow(dialog, MONITOR_DEFAULTTONEAREST), &monitor);
            EXPECT_NEAR(window.left + window.right, monitor.rcWork.left + monitor.rcWork.right, 2);
            EXPECT_NEAR(window.top + window.bottom, monitor.rcWork.top + monitor.rcWork.bottom, 2);
            Sleep(500);  // painted before the screen is read
            EXPECT_TRUE(testing::saveScreenshot(file, window)) << row.code;
            if (&row == rows) expectControlsFollowTheSize(dialog);
            row.answer(dialog);
        });
        EXPECT_EQ(presentJavaException(kTrace), row.expected) << row.code;
        driver.join();
        EXPECT_TRUE(shown) << row.code;
    }
    EXPECT_EQ(withCrLfLineBreaks(L"a\nb\r\nc\rd\n\n"), L"a\r\nb\r\nc\r\nd\r\n\r\n");
    SetThreadLocale(savedLocale);
    SetThreadUILanguage(savedUiLanguage);
}

}  // namespace
}  // namespace jl
