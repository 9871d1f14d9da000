// The "JRE Not Found" dialog: the message naming the runtime that is needed, a link to
// the download page, and a folder row in which the user may pick an installed runtime.
// OK is possible only while the folder last picked holds a JVM library of the
// configured type.
#include "runtime/missing_runtime_dialog.h"

#include <windows.h>

#include <objbase.h>
#include <shlobj.h>

#include <atomic>

#include "runtime/missing_runtime_ids.h"
#include "runtime/missing_runtime_layout.h"
#include "runtime/runtime_folder_choice.h"
#include "support/hyperlink_control_win32.h"
#include "support/messages.h"

namespace jl {

namespace {

std::atomic<FolderBrowser> folderBrowser{nullptr};

bool browseWithShell(void* owner, const std::wstring& title, std::wstring& path) {
    // The browser's new style hosts COM objects on this thread.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    wchar_t displayName[MAX_PATH] = {};
    BROWSEINFOW info{};
    info.hwndOwner = static_cast<HWND>(owner);
    info.pidlRoot = nullptr;
    info.pszDisplayName = displayName;
    info.lpszTitle = title.c_str();
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE | BIF_NONEWFOLDERBUTTON;
    bool chosen = false;
    if (PIDLIST_ABSOLUTE item = SHBrowseForFolderW(&info)) {
        wchar_t buffer[MAX_PATH] = {};
        chosen = SHGetPathFromIDListW(item, buffer) && buffer[0] != L'\0';
        if (chosen) path = buffer;
        CoTaskMemFree(item);
    }
    if (SUCCEEDED(com)) CoUninitialize();
    return chosen;
}

ScreenRect toScreenRect(const RECT& rect) { return ScreenRect{rect.left, rect.top, rect.right, rect.bottom}; }
RECT toRect(const ScreenRect& rect) { return RECT{rect.left, rect.top, rect.right, rect.bottom}; }

ScreenRect workAreaOf(HMONITOR monitor) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (!GetMonitorInfoW(monitor, &info)) return {};
    return toScreenRect(info.rcWork);
}

class MissingRuntimeDialog {
public:
    MissingRuntimeDialog(const std::wstring& message, JvmType jvmType) : message_(message), choice_(jvmType) {
        link_.setColours(LinkColours{kDefaultLinkColour, kDefaultVisitedColour});
    }

    INT_PTR show(HWND owner) {
        return DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_MISSING_RUNTIME), owner, dialogProc,
                               reinterpret_cast<LPARAM>(this));
    }

    const RuntimeFolderChoice& choice() const { return choice_; }

private:
    static INT_PTR CALLBACK dialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
        if (message == WM_INITDIALOG) {
            SetWindowLongPtrW(dialog, DWLP_USER, lParam);
            auto* self = reinterpret_cast<MissingRuntimeDialog*>(lParam);
            self->dialog_ = dialog;
            return self->initialise();
        }
        auto* self = reinterpret_cast<MissingRuntimeDialog*>(GetWindowLongPtrW(dialog, DWLP_USER));
        if (!self) return FALSE;
        if (message == WM_COMMAND) {
            self->command(LOWORD(wParam));
            return TRUE;
        }
        return FALSE;
    }

    INT_PTR initialise() {
        HWND linkControl = GetDlgItem(dialog_, IDC_DOWNLOAD_LINK);
        if (!link_.hasNormalFont()) {
            link_.setNormalFont(reinterpret_cast<HFONT>(SendMessageW(linkControl, WM_GETFONT, 0, 0)));
        }
        (void)link_.attach(linkControl);
        SetDlgItemTextW(dialog_, IDC_RUNTIME_MESSAGE, message_.c_str());
        EnableWindow(GetDlgItem(dialog_, IDOK), FALSE);
        placeOnScreen();
        // Enter on the focused Browse button browses, which is the one useful thing to do
        // while OK is still disabled.
        SetFocus(GetDlgItem(dialog_, IDC_BROWSE_RUNTIME));
        return FALSE;
    }

    void command(WORD id) {
        switch (id) {
            case IDOK:
                // Only a folder with a JVM library ends the dialog with OK, however the
                // command arrives: the caller takes that library as found.
                if (choice_.isValid()) EndDialog(dialog_, IDOK);
                break;
            case IDCANCEL:
                EndDialog(dialog_, IDCANCEL);
                break;
            case IDC_BROWSE_RUNTIME:
                browse();
                break;
            default:
                break;
        }
    }

    void browse() {
        const FolderBrowser browser = folderBrowser.load();
        const std::wstring title = loadMessage(kMsgBrowseForRuntime);
        std::wstring path;
        if (!(browser ? browser(dialog_, title, path) : browseWithShell(dialog_, title, path))) return;
        SetDlgItemTextW(dialog_, IDC_RUNTIME_FOLDER, path.c_str());
        choice_.choose(path);
        EnableWindow(GetDlgItem(dialog_, IDOK), choice_.isValid());
    }

    // Centred over a visible owner, otherwise over the work area of the nearest
    // monitor, and then kept inside the work area of the monitor it ends up on.
    void placeOnScreen() {
        RECT window{};
        if (!GetWindowRect(dialog_, &window)) return;
        ScreenRect reference;
        HWND owner = GetWindow(dialog_, GW_OWNER);
        RECT ownerRect{};
        if (owner && IsWindowVisible(owner) && !IsIconic(owner) && GetWindowRect(owner, &ownerRect)) {
            reference = toScreenRect(ownerRect);
        } else {
            reference = workAreaOf(MonitorFromWindow(dialog_, MONITOR_DEFAULTTONEAREST));
        }
        const ScreenRect centred = centreRect(toScreenRect(window), reference);
        const RECT centredRect = toRect(centred);
        const ScreenRect placed =
            keepInsideArea(centred, workAreaOf(MonitorFromRect(&centredRect, MONITOR_DEFAULTTONEAREST)));
        SetWindowPos(dialog_, nullptr, placed.left, placed.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }

    HWND dialog_ = nullptr;
    std::wstring message_;
    RuntimeFolderChoice choice_;
    HyperlinkControl link_;
};

}  // namespace

void setFolderBrowser(FolderBrowser browser) { folderBrowser.store(browser); }

bool showMissingRuntimeDialog(const std::wstring& message, JvmType jvmType, std::wstring& chosenFolder,
                              std::wstring& jvmLibraryPath) {
    MissingRuntimeDialog dialog(message, jvmType);
    if (dialog.show(GetActiveWindow()) != IDOK) return false;
    chosenFolder = dialog.choice().chosenFolder();
    jvmLibraryPath = dialog.choice().jvmLibraryPath();
    return true;
}

}  // namespace jl
