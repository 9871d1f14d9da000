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

ControlBox controlBox(HWND dialog, int id) {
    RECT box = testing::windowRect(GetDlgItem(dialog, id));
    return MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&box), 2), ControlBox{box.left, box.top, box.right, box.bottom};
}

// Grown, each control follows its rule; back at the initial size everything is where it
// started; never smaller than that.
void expectControlsFollowTheSize(HWND dialog) {
    ControlBox before[std::size(kExceptionDialogRules)];
    for (size_t i = 0; i < std::size(before); ++i) before[i] = controlBox(dialog, kExceptionDialogRules[i].controlId);
    const RECT initial = testing::windowRect(dialog);
    const int width = initial.right - initial.left, height = initial.bottom - initial.top;
    for (const auto& [dx, dy] : {std::pair{120, 90}, {0, 0}}) {
        SetWindowPos(dialog, nullptr, 0, 0, width + dx, height + dy, SWP_NOMOVE | SWP_NOZORDER);
        for (size_t i = 0; i < std::size(before); ++i) {
            const ResizeRuleEntry& entry = kExceptionDialogRules[i];
            EXPECT_TRUE(controlBox(dialog, entry.controlId) == resizeControl(before[i], entry.rule, dx, dy))
                << "control " << entry.controlId << " grown by " << dx;
        }
        if (dx) Sleep(300), testing::screenshot(L"java_exception_resized.png", testing::windowRect(dialog));
    }
    SetWindowPos(dialog, nullptr, 0, 0, width / 2, height / 3, SWP_NOMOVE | SWP_NOZORDER);
    const RECT shrunk = testing::windowRect(dialog);
    EXPECT_EQ(shrunk.right - shrunk.left, width);
    EXPECT_EQ(shrunk.bottom - shrunk.top, height);
}

TEST(ExceptionDialogTest, EveryLanguageShownAndAnswered) {
    const wchar_t kTrace[] = L"java.lang.IllegalStateException: Grüße, 例外\n\tat com.example.Main.run(Main.java:12)\r"
                             L"\tat com.example.Main.main(Main.java:5)\r\n";
    const struct { const char* code; LANGID language; const wchar_t *caption, *stop; std::function<void(HWND)> answer; ExceptionChoice expected; } rows[] = {
        {"en", 0x0409, L"Java Exception", L"Stop", [](HWND d) { testing::press(d, 1); }, ExceptionChoice::Ignore},
        {"de", 0x0407, L"Java-Ausnahme", L"Beenden", [](HWND d) { testing::press(d, 2); }, ExceptionChoice::Stop},
        {"ja", 0x0411, L"Java 例外", L"停止", [](HWND d) { testing::type(d, VK_RETURN); }, ExceptionChoice::Ignore},
        {"ko", 0x0412, L"Java 예외", L"중지", [](HWND d) { testing::type(d, VK_ESCAPE); }, ExceptionChoice::Stop},
        {"ru", 0x0419, L"Исключение Java", L"Остановить", [](HWND d) { PostMessageW(d, WM_SYSCOMMAND, SC_CLOSE, 0); }, ExceptionChoice::Stop},
        {"es", 0x0C0A, L"Excepción de Java", L"Detener", [](HWND d) { testing::press(d, 1); }, ExceptionChoice::Ignore},
    };
    const LCID savedLocale = GetThreadLocale();
    const LANGID savedUiLanguage = GetThreadUILanguage();
    for (const auto& row : rows) {
        // The resource loader picks the dialog's language from the thread's locale.
        SetThreadLocale(MAKELCID(row.language, SORT_DEFAULT));
        SetThreadUILanguage(row.language);
        const DWORD self = GetCurrentThreadId();
        bool shown = false;
        std::thread driver([&] {
            HWND dialog = testing::waitForDialog(self);
            if (!(shown = dialog != nullptr)) return;
            EXPECT_EQ(textOf(dialog) + L"|" + textOf(GetDlgItem(dialog, 2)), row.caption + std::wstring(L"|") + row.stop);
            // Line breaks as the edit control needs them, every character kept; read-only.
            EXPECT_EQ(textOf(GetDlgItem(dialog, 208)), L"java.lang.IllegalStateException: Grüße, 例外\r\n\tat "
                                                       L"com.example.Main.run(Main.java:12)\r\n\tat com.example.Main.main(Main.java:5)\r\n");
            const LONG_PTR style = GetWindowLongPtrW(GetDlgItem(dialog, 208), GWL_STYLE);
            EXPECT_TRUE((style & ES_READONLY) && (style & ES_MULTILINE));
            EXPECT_NE(SendDlgItemMessageW(dialog, 204, STM_GETICON, 0, 0), 0);
            GUITHREADINFO info{sizeof info};
            EXPECT_TRUE(GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info) && info.hwndFocus == GetDlgItem(dialog, 1));
            // Without an owner it is centred on the work area.
            const RECT window = testing::windowRect(dialog);
            MONITORINFO monitor{sizeof monitor};
            GetMonitorInfoW(MonitorFromWindow(dialog, MONITOR_DEFAULTTONEAREST), &monitor);
            EXPECT_NEAR(window.left + window.right, monitor.rcWork.left + monitor.rcWork.right, 2);
            EXPECT_NEAR(window.top + window.bottom, monitor.rcWork.top + monitor.rcWork.bottom, 2);
            Sleep(500);  // painted before the screen is read
            testing::screenshot(L"java_exception_" + std::wstring(row.code, row.code + 2) + L".png", window);
            if (&row == rows) expectControlsFollowTheSize(dialog);
            row.answer(dialog);
        });
        EXPECT_EQ(presentJavaException(kTrace), row.expected) << row.code;
        driver.join();
        EXPECT_TRUE(shown) << row.code;
    }
    SetThreadLocale(savedLocale);
    SetThreadUILanguage(savedUiLanguage);
}

}  // namespace
}  // namespace jl
