#include "support/hyperlink_control_win32.h"

#include "os/win32/device_context.h"

#include <commctrl.h>
#include <objbase.h>
#include <shellapi.h>
#include <windowsx.h>

#include <atomic>
#include <iterator>

namespace jl {

static_assert(RGB(1, 2, 3) == rgbColour(1, 2, 3), "link colours are COLORREF values");

namespace {

constexpr UINT_PTR kSubclassId = 1;
constexpr UINT_PTR kToolId = 1;

std::atomic<LinkOpener> linkOpener{nullptr};

bool openWithShell(const std::wstring& target) {
    // Shell extensions that handle the target may be COM objects.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    const HINSTANCE result = ShellExecuteW(nullptr, L"open", target.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    if (SUCCEEDED(com)) CoUninitialize();
    return reinterpret_cast<INT_PTR>(result) > 32;
}

RECT toRect(const LinkRect& rect) { return RECT{rect.left, rect.top, rect.right, rect.bottom}; }
LinkRect toLinkRect(const RECT& rect) { return LinkRect{rect.left, rect.top, rect.right, rect.bottom}; }

using os::SelectedObject;
using os::WindowDc;

}  // namespace

void setLinkOpener(LinkOpener opener) { linkOpener.store(opener); }

HyperlinkControl::~HyperlinkControl() {
    if (window_) RemoveWindowSubclass(window_, subclassProc, kSubclassId);
}

bool HyperlinkControl::attach(HWND control) {
    if (window_ || !control) return false;
    // The tooltip class comes with the common controls.
    INITCOMMONCONTROLSEX classes{sizeof classes, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&classes);
    if (!SetWindowSubclass(control, subclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this))) return false;
    window_ = control;
    initialise();
    return true;
}

void HyperlinkControl::initialise() {
    wchar_t className[16] = {};
    GetClassNameW(window_, className, static_cast<int>(std::size(className)));
    const LONG_PTR style = GetWindowLongPtrW(window_, GWL_STYLE);
    if (lstrcmpiW(className, L"static") == 0) {
        // Without it a static control lets every mouse message through to its parent.
        SetWindowLongPtrW(window_, GWL_STYLE, style | SS_NOTIFY);
        paintsText_ = staticStylePaintsText(static_cast<uint32_t>(style));
    }

    cursor_ = LoadCursorW(nullptr, IDC_HAND);

    if (paintsText_) {
        if (!normalFont_) {
            LOGFONTW iconTitle{};
            if (SystemParametersInfoW(SPI_GETICONTITLELOGFONT, sizeof iconTitle, &iconTitle, 0)) {
                ownedNormalFont_.reset(CreateFontIndirectW(&iconTitle));
                normalFont_ = static_cast<HFONT>(ownedNormalFont_.get());
            }
        }
        if (!linkFont_) createLinkFont();
    }

    // TTS_NOPREFIX: an "&" in an address is part of it.
    tooltip_.reset(CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX, CW_USEDEFAULT,
                                   CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window_, nullptr,
                                   GetModuleHandleW(nullptr), nullptr));

    if (label_.empty()) {
        const int length = GetWindowTextLengthW(window_);
        if (length > 0) {
            std::wstring text(static_cast<size_t>(length) + 1, L'\0');
            text.resize(static_cast<size_t>(GetWindowTextW(window_, text.data(), length + 1)));
            label_ = text;
        }
    }

    updateLinkRect();

    if (!target_.empty()) {
        registerTool();
    } else if (!label_.empty()) {
        setTarget(label_);
    }

    if (paintsText_) readBrowserColours();
}

void HyperlinkControl::setTarget(const std::wstring& target) {
    target_ = target;
    if (label_.empty()) updateLinkRect();
    registerTool();
}

void HyperlinkControl::registerTool() {
    if (!tooltip_ || target_.empty()) return;
    SendMessageW(tooltip_.get(), TTM_ACTIVATE, TRUE, 0);
    TOOLINFOW tool{};
    // Common controls before version 6 of the platform reject the longer structure.
    tool.cbSize = LOBYTE(LOWORD(GetVersion())) > 5 ? sizeof tool : TTTOOLINFOW_V2_SIZE;
    tool.uFlags = 0;
    tool.hwnd = window_;
    tool.uId = kToolId;
    tool.rect = toRect(linkRect_);
    tool.hinst = GetModuleHandleW(nullptr);
    tool.lpszText = const_cast<wchar_t*>(target_.c_str());
    toolRegistered_ = SendMessageW(tooltip_.get(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool)) != FALSE;
}

void HyperlinkControl::updateLinkRect() {
    if (!window_ || (label_.empty() && target_.empty())) return;
    RECT client{};
    GetClientRect(window_, &client);
    linkRect_ = toLinkRect(client);
    if (paintsText_) {
        WindowDc dc(window_);
        if (dc.get()) {
            SelectedObject font(dc.get(), linkFont_ ? linkFont_.get() : normalFont_);
            RECT measured = client;
            const std::wstring& text = shownText();
            DrawTextW(dc.get(), text.c_str(), static_cast<int>(text.size()), &measured,
                      DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | alignmentFlags());
            linkRect_ = placeLinkRect(toLinkRect(client), toLinkRect(measured),
                                      staticStyleAlignment(static_cast<uint32_t>(GetWindowLongPtrW(window_, GWL_STYLE))));
        }
    }
    // The tooltip follows the text when the control changes size or font.
    if (toolRegistered_) {
        TOOLINFOW tool{};
        tool.cbSize = LOBYTE(LOWORD(GetVersion())) > 5 ? sizeof tool : TTTOOLINFOW_V2_SIZE;
        tool.hwnd = window_;
        tool.uId = kToolId;
        tool.rect = toRect(linkRect_);
        SendMessageW(tooltip_.get(), TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&tool));
    }
}

void HyperlinkControl::readBrowserColours() {
    os::UniqueRegistryKey key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Internet Explorer\\Settings", 0,
                      KEY_QUERY_VALUE, key.put()) != ERROR_SUCCESS) {
        return;
    }
    auto read = [&key](const wchar_t* name, LinkColour& colour) {
        BYTE data[kColourValueCapacity * sizeof(wchar_t)];
        DWORD size = sizeof data;
        DWORD type = REG_NONE;
        // A value longer than the buffer fails with ERROR_MORE_DATA and is ignored.
        if (RegQueryValueExW(key.get(), name, nullptr, &type, data, &size) != ERROR_SUCCESS) return;
        LinkColour parsed = 0;
        if (parseColourValue(type == REG_SZ || type == REG_EXPAND_SZ, data, size, parsed)) colour = parsed;
    };
    read(L"Anchor Color", colours_.link);
    read(L"Anchor Color Visited", colours_.visited);
}

void HyperlinkControl::createLinkFont() {
    LOGFONTW font{};
    HGDIOBJ base = normalFont_ ? static_cast<HGDIOBJ>(normalFont_) : GetStockObject(SYSTEM_FONT);
    if (!GetObjectW(base, sizeof font, &font)) return;
    font.lfUnderline = TRUE;
    linkFont_.reset(CreateFontIndirectW(&font));
}

UINT HyperlinkControl::alignmentFlags() const {
    switch (staticStyleAlignment(static_cast<uint32_t>(GetWindowLongPtrW(window_, GWL_STYLE)))) {
        case LinkAlignment::Centre: return DT_CENTER;
        case LinkAlignment::Right: return DT_RIGHT;
        case LinkAlignment::Left: break;
    }
    return 0;
}

bool HyperlinkControl::isInsideLink(LPARAM point) const {
    return linkRectContains(linkRect_, GET_X_LPARAM(point), GET_Y_LPARAM(point));
}

void HyperlinkControl::paint(HDC dc) {
    RECT client{};
    GetClientRect(window_, &client);
    if (HWND parent = GetParent(window_)) {
        const auto brush = reinterpret_cast<HBRUSH>(
            SendMessageW(parent, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(window_)));
        if (brush) FillRect(dc, &client, brush);
    }
    const int previousMode = SetBkMode(dc, TRANSPARENT);
    const COLORREF colour =
        linkTextColour(colours_, IsWindowEnabled(window_) != FALSE, visited_, GetSysColor(COLOR_GRAYTEXT));
    const COLORREF previousColour = SetTextColor(dc, colour);
    {
        SelectedObject font(dc, linkFont_ ? linkFont_.get() : normalFont_);
        RECT area = toRect(linkRect_);
        const std::wstring& text = shownText();
        DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &area, DT_WORDBREAK | DT_NOPREFIX | alignmentFlags());
        if (GetFocus() == window_) DrawFocusRect(dc, &area);
    }
    SetTextColor(dc, previousColour);
    SetBkMode(dc, previousMode);
}

void HyperlinkControl::navigate() {
    if (target_.empty()) return;
    const LinkOpener opener = linkOpener.load();
    if (!(opener ? opener(target_) : openWithShell(target_))) return;
    visited_ = true;
    InvalidateRect(window_, nullptr, TRUE);
}

LRESULT CALLBACK HyperlinkControl::subclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                                UINT_PTR, DWORD_PTR data) noexcept {
    auto* self = reinterpret_cast<HyperlinkControl*>(data);
    if (message == WM_NCDESTROY) {
        RemoveWindowSubclass(window, subclassProc, kSubclassId);
        self->window_ = nullptr;
        return DefSubclassProc(window, message, wParam, lParam);
    }
    return self->handleMessage(message, wParam, lParam);
}

LRESULT HyperlinkControl::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message >= WM_MOUSEFIRST && message <= WM_XBUTTONDBLCLK && tooltip_) {
        MSG relayed{window_, message, wParam, lParam, static_cast<DWORD>(GetMessageTime()), {}};
        GetCursorPos(&relayed.pt);
        SendMessageW(tooltip_.get(), TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relayed));
    }

    switch (message) {
        case WM_SETCURSOR:
            if (!target_.empty()) {
                POINT point{};
                GetCursorPos(&point);
                ScreenToClient(window_, &point);
                if (linkRectContains(linkRect_, point.x, point.y)) {
                    SetCursor(cursor_);
                    return TRUE;
                }
            }
            break;
        case WM_MOUSEMOVE:
            if (!target_.empty() && isInsideLink(lParam)) {
                SetCursor(cursor_);
                return 0;
            }
            break;
        case WM_LBUTTONDOWN:
            if (isInsideLink(lParam)) {
                SetFocus(window_);
                SetCapture(window_);
            }
            return 0;
        case WM_LBUTTONUP:
            // A press that began on the link and ends outside it opens nothing.
            if (GetCapture() == window_) {
                ReleaseCapture();
                if (isInsideLink(lParam)) navigate();
            }
            return 0;
        case WM_CHAR:
            if (wParam == VK_RETURN || wParam == VK_SPACE) navigate();
            return 0;
        case WM_GETDLGCODE:
            return DLGC_WANTCHARS;
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
            if (!paintsText_) break;
            InvalidateRect(window_, nullptr, TRUE);
            return 0;
        case WM_ENABLE:
            InvalidateRect(window_, nullptr, TRUE);
            UpdateWindow(window_);
            return 0;
        case WM_SIZE:
            updateLinkRect();
            InvalidateRect(window_, nullptr, TRUE);
            return 0;
        case WM_SETFONT: {
            const auto font = reinterpret_cast<HFONT>(wParam);
            if (ownedNormalFont_.get() != font) ownedNormalFont_.reset();
            normalFont_ = font;
            if (linkFont_) createLinkFont();
            updateLinkRect();
            if (LOWORD(lParam)) {
                InvalidateRect(window_, nullptr, TRUE);
                UpdateWindow(window_);
            }
            return 0;
        }
        case WM_GETFONT:
            return reinterpret_cast<LRESULT>(normalFont_);
        case WM_UPDATEUISTATE:
            return 0;
        case WM_ERASEBKGND:
            if (!paintsText_) break;
            return 1;
        case WM_PAINT:
        case WM_PRINTCLIENT:
            if (!paintsText_) break;
            if (wParam) {
                paint(reinterpret_cast<HDC>(wParam));
            } else {
                PAINTSTRUCT ps;
                if (HDC dc = BeginPaint(window_, &ps)) {
                    paint(dc);
                    EndPaint(window_, &ps);
                }
            }
            return 0;
        case WM_DESTROY:
            tooltip_.reset();
            toolRegistered_ = false;
            linkFont_.reset();
            ownedNormalFont_.reset();
            normalFont_ = nullptr;
            break;
        default:
            break;
    }
    return DefSubclassProc(window_, message, wParam, lParam);
}

}  // namespace jl
