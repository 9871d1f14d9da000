// The "Java Exception" dialog (resource 231): the stack trace in a read-only text box,
// Ignore and Stop, resizable from its initial size upwards.
#include "jvm/exception_dialog.h"

#include <windows.h>

#include <iterator>

#include "jvm/exception_dialog_layout.h"

namespace jl {

namespace {

constexpr int kDialogId = 231;
constexpr int kIgnoreId = 1;  // IDOK: Enter
constexpr int kStopId = 2;    // IDCANCEL: Escape and the close box too
constexpr int kIconId = 204;
constexpr int kTextId = 208;

class JavaExceptionDialog {
public:
    explicit JavaExceptionDialog(std::wstring text) : text_(withCrLfLineBreaks(text)) {}

    INT_PTR show(HWND owner) {
        return DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kDialogId), owner, procedure,
                               reinterpret_cast<LPARAM>(this));
    }

private:
    struct Control {
        HWND window = nullptr;
        ResizeRule rule = ResizeRule::Stay;
        ControlBox initial;
    };

    static INT_PTR CALLBACK procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
        if (message == WM_INITDIALOG) {
            SetWindowLongPtrW(dialog, DWLP_USER, lParam);
            reinterpret_cast<JavaExceptionDialog*>(lParam)->initialize(dialog);
            return TRUE;
        }
        // Messages such as WM_GETMINMAXINFO arrive before WM_INITDIALOG.
        auto* self = reinterpret_cast<JavaExceptionDialog*>(GetWindowLongPtrW(dialog, DWLP_USER));
        if (!self) return FALSE;
        switch (message) {
            case WM_SIZE:
                if (wParam != SIZE_MINIMIZED) self->layout(dialog, LOWORD(lParam), HIWORD(lParam));
                return TRUE;
            case WM_GETMINMAXINFO:
                reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = self->minimumSize_;
                return TRUE;
            case WM_COMMAND:
                if (HIWORD(wParam) == BN_CLICKED && (LOWORD(wParam) == kIgnoreId || LOWORD(wParam) == kStopId)) {
                    EndDialog(dialog, LOWORD(wParam));
                    return TRUE;
                }
                return FALSE;
            default:
                return FALSE;
        }
    }

    void initialize(HWND dialog) {
        SetDlgItemTextW(dialog, kTextId, text_.c_str());
        SendDlgItemMessageW(dialog, kTextId, EM_SETREADONLY, TRUE, 0);
        SendDlgItemMessageW(dialog, kIconId, STM_SETICON,
                            reinterpret_cast<WPARAM>(LoadIconW(nullptr, MAKEINTRESOURCEW(32513))), 0);
        centre(dialog);

        // Children are not painted over while the dialog redraws during resizing.
        SetWindowLongPtrW(dialog, GWL_STYLE, GetWindowLongPtrW(dialog, GWL_STYLE) | WS_CLIPCHILDREN);
        RECT client;
        GetClientRect(dialog, &client);
        CreateWindowExW(0, L"SCROLLBAR", nullptr,
                        WS_CHILD | WS_VISIBLE | SBS_SIZEGRIP | SBS_SIZEBOXBOTTOMRIGHTALIGN, 0, 0, client.right,
                        client.bottom, dialog, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kExceptionDialogGripId)),
                        GetModuleHandleW(nullptr), nullptr);

        initialClient_ = {client.right, client.bottom};
        for (size_t i = 0; i < std::size(kExceptionDialogRules); ++i) {
            Control& control = controls_[i];
            control.window = GetDlgItem(dialog, kExceptionDialogRules[i].controlId);
            control.rule = kExceptionDialogRules[i].rule;
            if (!control.window) continue;
            RECT box;
            GetWindowRect(control.window, &box);
            MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&box), 2);
            control.initial = {box.left, box.top, box.right, box.bottom};
        }
        RECT window;
        GetWindowRect(dialog, &window);
        minimumSize_ = {window.right - window.left, window.bottom - window.top};
    }

    // On the owner when there is one, otherwise on the work area of the dialog's monitor.
    static void centre(HWND dialog) {
        RECT area;
        HWND owner = GetWindow(dialog, GW_OWNER);
        MONITORINFO monitor{};
        monitor.cbSize = sizeof monitor;
        GetMonitorInfoW(MonitorFromWindow(owner ? owner : dialog, MONITOR_DEFAULTTONEAREST), &monitor);
        if (owner && IsWindowVisible(owner) && !IsIconic(owner)) {
            GetWindowRect(owner, &area);
        } else {
            area = monitor.rcWork;
        }
        RECT window;
        GetWindowRect(dialog, &window);
        const int width = window.right - window.left;
        const int height = window.bottom - window.top;
        int x = area.left + (area.right - area.left - width) / 2;
        int y = area.top + (area.bottom - area.top - height) / 2;
        // Never with the caption off the screen, where the dialog could not be moved.
        const RECT& work = monitor.rcWork;
        if (x + width > work.right) x = work.right - width;
        if (y + height > work.bottom) y = work.bottom - height;
        if (x < work.left) x = work.left;
        if (y < work.top) y = work.top;
        SetWindowPos(dialog, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }

    void layout(HWND dialog, int width, int height) {
        const int dx = width - initialClient_.x;
        const int dy = height - initialClient_.y;
        HDWP positions = BeginDeferWindowPos(static_cast<int>(std::size(controls_)));
        for (const Control& control : controls_) {
            if (!control.window) continue;
            const ControlBox box = resizeControl(control.initial, control.rule, dx, dy);
            const UINT flags = SWP_NOZORDER | SWP_NOACTIVATE;
            if (positions) {
                positions = DeferWindowPos(positions, control.window, nullptr, box.left, box.top,
                                           box.right - box.left, box.bottom - box.top, flags);
            } else {
                SetWindowPos(control.window, nullptr, box.left, box.top, box.right - box.left,
                             box.bottom - box.top, flags);
            }
        }
        if (positions) EndDeferWindowPos(positions);
        RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    }

    std::wstring text_;
    Control controls_[std::size(kExceptionDialogRules)];
    POINT initialClient_{};
    POINT minimumSize_{};
};

}  // namespace

ExceptionChoice presentJavaException(const std::wstring& text) {
    JavaExceptionDialog dialog(text);
    // Anything but Ignore stops the program, a dialog that could not be shown (-1) too.
    return dialog.show(GetActiveWindow()) == kIgnoreId ? ExceptionChoice::Ignore : ExceptionChoice::Stop;
}

}  // namespace jl
