// The "JRE Not Found" dialog driven in-process: a thread timer runs one step at a time
// inside the dialog's own modal loop, so each step can look at the controls, send them
// messages, and let posted ones be processed before the next step. The folder browser
// and the shell's open are replaced by scripted stand-ins.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>
#include <windowsx.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "runtime/missing_runtime_dialog.h"
#include "runtime/missing_runtime_ids.h"
#include "runtime/version_number.h"
#include "support/hyperlink.h"
#include "support/hyperlink_control_win32.h"
#include "support/messages.h"
#include "tests/unit/temp_folder.h"
#include "tests/win32/window_testing.h"

namespace jl {
namespace {

using jl::testing::Pixels;
using jl::testing::printClient;
using jl::testing::TempFolder;
using jl::testing::textOf;

const std::wstring kAddress = L"" JL_RUNTIME_DOWNLOAD_ADDRESS;
const std::wstring kMessage =
    L"The Java Runtime Environment (JRE) was not found. Please  download and install a JRE (minimum version 1.6) from:";

// --- the stand-ins for the shell -----------------------------------------------------

struct BrowserAnswer {
    bool chosen;
    std::wstring path;
};
// What the folder browser answers, in turn (then: cancelled), and what it was given;
// the targets the shell was asked to open, and whether that works.
struct Shell {
    std::vector<BrowserAnswer> answers;
    size_t browserCalls = 0;
    std::wstring browserTitle;
    void* browserOwner = nullptr;
    std::vector<std::wstring> opened;
    bool openSucceeds = true;
} shell;

bool scriptedBrowser(void* owner, const std::wstring& title, std::wstring& path) {
    shell.browserOwner = owner;
    shell.browserTitle = title;
    const size_t call = shell.browserCalls++;
    if (call >= shell.answers.size() || !shell.answers[call].chosen) return false;
    path = shell.answers[call].path;
    return true;
}

bool recordingOpener(const std::wstring& target) {
    shell.opened.push_back(target);
    return shell.openSucceeds;
}

// --- driving the dialog ------------------------------------------------------------------

using Step = std::function<void(HWND dialog)>;

struct Driver {
    std::vector<Step> steps;
    size_t next = 0;
    int ticks = 0;
    UINT_PTR timer = 0;
    bool leftOpen = false;
};
Driver* driver = nullptr;

void CALLBACK onTick(HWND, UINT, UINT_PTR, DWORD) {
    Driver& d = *driver;
    HWND dialog = jl::testing::findDialog(GetCurrentThreadId());
    if (++d.ticks > 500) {
        ADD_FAILURE() << "the dialog did not finish its steps";
        KillTimer(nullptr, d.timer);
        d.timer = 0;
        if (dialog) EndDialog(dialog, IDCANCEL);
        return;
    }
    if (!dialog) return;  // not shown yet, or ending
    if (d.next < d.steps.size()) {
        d.steps[d.next++](dialog);
        return;
    }
    // The steps should have ended the dialog.
    d.leftOpen = true;
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    KillTimer(nullptr, d.timer);
    d.timer = 0;
}

struct Outcome {
    bool accepted = false;
    std::wstring folder = L"untouched";
    std::wstring library = L"untouched";
};

Outcome runDialog(const std::wstring& message, JvmType type, std::vector<Step> steps) {
    Driver d;
    d.steps = std::move(steps);
    driver = &d;
    d.timer = SetTimer(nullptr, 0, 10, onTick);
    Outcome outcome;
    outcome.accepted = showMissingRuntimeDialog(message, type, outcome.folder, outcome.library);
    if (d.timer) KillTimer(nullptr, d.timer);
    driver = nullptr;
    EXPECT_EQ(d.next, d.steps.size()) << "not every step ran";
    EXPECT_FALSE(d.leftOpen) << "the steps did not end the dialog";
    return outcome;
}

// --- looking at the controls --------------------------------------------------------------

std::wstring itemText(HWND dialog, int id) { return textOf(GetDlgItem(dialog, id)); }
bool itemEnabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE; }

struct TooltipSearch {
    HWND link;
    HWND tooltip;
};

BOOL CALLBACK findTooltipWindow(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<TooltipSearch*>(param);
    wchar_t className[32] = {};
    GetClassNameW(window, className, 32);
    if (lstrcmpiW(className, TOOLTIPS_CLASSW) != 0) return TRUE;
    TOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    if (SendMessageW(window, TTM_ENUMTOOLSW, 0, reinterpret_cast<LPARAM>(&tool)) && tool.hwnd == search->link) {
        search->tooltip = window;
        return FALSE;
    }
    return TRUE;
}

HWND tooltipOf(HWND link) {
    TooltipSearch search{link, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), findTooltipWindow, reinterpret_cast<LPARAM>(&search));
    return search.tooltip;
}

TOOLINFOW toolOf(HWND link, wchar_t* text = nullptr) {
    TOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.hwnd = link;
    tool.uId = 1;
    tool.lpszText = text;
    return tool;
}
RECT toolRect(HWND tooltip, HWND link) {
    TOOLINFOW tool = toolOf(link);
    SendMessageW(tooltip, TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&tool));
    return tool.rect;
}
std::wstring toolText(HWND tooltip, HWND link) {
    wchar_t buffer[256] = {};
    TOOLINFOW tool = toolOf(link, buffer);
    SendMessageW(tooltip, TTM_GETTEXTW, 256, reinterpret_cast<LPARAM>(&tool));
    return buffer;
}

// --- the fixture -------------------------------------------------------------------------

class MissingRuntimeDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        shell = {};
        setFolderBrowser(scriptedBrowser);
        setLinkOpener(recordingOpener);
    }
    void TearDown() override {
        setFolderBrowser(nullptr);
        setLinkOpener(nullptr);
    }

    // A runtime folder holding the given library, as the browser returns it.
    std::wstring runtime(const std::wstring& name, const std::wstring& library) {
        temp_.write(name + L"\\" + library, "not really a library");
        return temp_.path(name);
    }

    TempFolder temp_;
};

TEST_F(MissingRuntimeDialogTest, ShowsTheMessageAndTheLinkAndStartsWithoutAChoice) {
    const Outcome outcome = runDialog(kMessage, JvmType::Default, {[](HWND dialog) {
        EXPECT_EQ(itemText(dialog, IDC_RUNTIME_MESSAGE), kMessage);
        EXPECT_EQ(itemText(dialog, IDC_DOWNLOAD_LINK), kAddress);
        EXPECT_EQ(itemText(dialog, IDC_RUNTIME_FOLDER), L"");
        EXPECT_FALSE(textOf(dialog).empty());
        EXPECT_NE(SendDlgItemMessageW(dialog, IDC_RUNTIME_ICON, STM_GETICON, 0, 0), 0);
        EXPECT_FALSE(itemEnabled(dialog, IDOK));
        EXPECT_TRUE(itemEnabled(dialog, IDC_BROWSE_RUNTIME));
        EXPECT_TRUE(itemEnabled(dialog, IDCANCEL));
        EXPECT_EQ(GetFocus(), GetDlgItem(dialog, IDC_BROWSE_RUNTIME));
        const LONG_PTR folderStyle = GetWindowLongPtrW(GetDlgItem(dialog, IDC_RUNTIME_FOLDER), GWL_STYLE);
        EXPECT_TRUE(folderStyle & ES_READONLY);
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    }});
    EXPECT_FALSE(outcome.accepted);
    EXPECT_EQ(outcome.folder, L"untouched");
    EXPECT_EQ(outcome.library, L"untouched");
}

// One Browse: what the browser answers, and what the dialog shows afterwards.
struct Choice {
    BrowserAnswer answer;
    std::wstring shownFolder;
    bool okEnabled;
};

Step browseStep(const Choice& choice) {
    return [choice](HWND dialog) {
        jl::testing::press(dialog, IDC_BROWSE_RUNTIME, true);
        EXPECT_EQ(itemText(dialog, IDC_RUNTIME_FOLDER), choice.shownFolder)
            << ::testing::PrintToString(choice.answer.path);
        EXPECT_EQ(itemEnabled(dialog, IDOK), choice.okEnabled) << ::testing::PrintToString(choice.answer.path);
    };
}

TEST_F(MissingRuntimeDialogTest, OkFollowsEachFolderChoice) {
    const std::wstring clientOnly = runtime(L"client-only", L"bin\\client\\jvm.dll");
    const std::wstring serverOnly = runtime(L"server-only", L"bin\\server\\jvm.dll");
    const std::wstring jdk = temp_.path(L"jdk1.6.0_45");
    const std::wstring jdkRuntime = runtime(L"jdk1.6.0_45\\jre", L"bin\\client\\jvm.dll");
    const std::wstring empty = temp_.path(L"empty");
    temp_.write(L"empty\\readme.txt", "");

    struct Case {
        JvmType type;
        std::vector<Choice> choices;
        std::wstring acceptedFolder;  // and the library in it
        std::wstring library;
    };
    const Case cases[] = {
        // A JDK's runtime is in its jre folder; a cancelled browser changes nothing; a drive
        // root is shown as the browser gave it.
        {JvmType::Default,
         {{{true, jdk}, jdk, false}, {{true, jdkRuntime}, jdkRuntime, true}, {{false, L""}, jdkRuntime, true},
          {{true, empty}, empty, false}, {{true, L"Q:\\"}, L"Q:\\", false}, {{true, clientOnly}, clientOnly, true}},
         clientOnly, L"bin\\client\\jvm.dll"},
        // The server JVM is required, or only favoured.
        {JvmType::Server, {{{true, clientOnly}, clientOnly, false}, {{true, serverOnly}, serverOnly, true}},
         serverOnly, L"bin\\server\\jvm.dll"},
        {JvmType::FavorServer, {{{true, clientOnly}, clientOnly, true}}, clientOnly, L"bin\\client\\jvm.dll"},
    };
    for (const Case& c : cases) {
        shell = {};
        std::vector<Step> steps;
        for (const Choice& choice : c.choices) {
            shell.answers.push_back(choice.answer);
            steps.push_back(browseStep(choice));
        }
        steps.push_back([](HWND dialog) {
            EXPECT_EQ(shell.browserOwner, static_cast<void*>(dialog));
            PostMessageW(dialog, WM_COMMAND, IDOK, 0);
        });
        const Outcome outcome = runDialog(kMessage, c.type, steps);
        EXPECT_TRUE(outcome.accepted) << static_cast<int>(c.type);
        EXPECT_EQ(outcome.folder, c.acceptedFolder + L"\\");
        EXPECT_EQ(outcome.library, c.acceptedFolder + L"\\" + c.library);
        EXPECT_EQ(shell.browserCalls, c.choices.size());
        EXPECT_EQ(shell.browserTitle, loadMessage(kMsgBrowseForRuntime));
    }
}

TEST_F(MissingRuntimeDialogTest, OkWithoutAValidChoiceDoesNotEndTheDialog) {
    // However the command arrives, the caller must never receive OK without a library.
    const std::wstring empty = temp_.path(L"empty");
    temp_.write(L"empty\\readme.txt", "");
    shell.answers = {{true, empty}};
    const Outcome outcome = runDialog(kMessage, JvmType::Default,
                                      {
                                          [](HWND dialog) { SendMessageW(dialog, WM_COMMAND, IDOK, 0); },
                                          browseStep({{true, empty}, empty, false}),
                                          [](HWND dialog) { PostMessageW(dialog, WM_COMMAND, IDOK, 0); },
                                          [](HWND dialog) {
                                              EXPECT_TRUE(IsWindowVisible(dialog));
                                              PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
                                          },
                                      });
    EXPECT_FALSE(outcome.accepted);
    EXPECT_EQ(outcome.library, L"untouched");
}

TEST_F(MissingRuntimeDialogTest, EscapeAndTheCloseBoxCancelEvenAfterAValidChoice) {
    const std::wstring clientOnly = runtime(L"client-only", L"bin\\client\\jvm.dll");
    const Step closers[] = {
        [](HWND dialog) { jl::testing::type(dialog, VK_ESCAPE); },
        [](HWND dialog) { PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); },
        [](HWND dialog) { jl::testing::press(dialog, IDCANCEL); },
    };
    for (const Step& close : closers) {
        shell = {};
        shell.answers = {{true, clientOnly}};
        const Outcome outcome = runDialog(kMessage, JvmType::Default,
                                          {browseStep({{true, clientOnly}, clientOnly, true}), close});
        EXPECT_FALSE(outcome.accepted);
        EXPECT_EQ(outcome.folder, L"untouched");
    }
}

TEST_F(MissingRuntimeDialogTest, LinkAnswersItsMessages) {
    const COLORREF blue = RGB(0, 0, 255), purple = RGB(128, 0, 128);
    const HCURSOR hand = LoadCursorW(nullptr, IDC_HAND), arrow = LoadCursorW(nullptr, IDC_ARROW);
    HWND link = nullptr, tooltip = nullptr;
    LPARAM inside = 0, outside = 0;  // points on the text and beside it
    auto colours = [&link](COLORREF wanted, COLORREF absent) {
        const Pixels pixels = printClient(link);
        EXPECT_GT(pixels.count(wanted), 20u);
        EXPECT_EQ(pixels.count(absent), 0u);
    };
    runDialog(
        kMessage, JvmType::Default,
        {
            [&](HWND dialog) {
                link = GetDlgItem(dialog, IDC_DOWNLOAD_LINK);
                EXPECT_TRUE(GetWindowLongPtrW(link, GWL_STYLE) & SS_NOTIFY);
                EXPECT_EQ(SendMessageW(link, WM_GETDLGCODE, 0, 0), DLGC_WANTCHARS);
                EXPECT_EQ(SendMessageW(link, WM_GETFONT, 0, 0), SendMessageW(dialog, WM_GETFONT, 0, 0));
                tooltip = tooltipOf(link);
                ASSERT_NE(tooltip, nullptr);
                EXPECT_EQ(SendMessageW(tooltip, TTM_GETTOOLCOUNT, 0, 0), 1);
                EXPECT_EQ(toolText(tooltip, link), kAddress);
                // The link covers its text only: the control is wider than the address.
                RECT client{};
                GetClientRect(link, &client);
                const RECT area = toolRect(tooltip, link);
                EXPECT_EQ(area.left, 0);
                EXPECT_GT(area.right, 20);
                EXPECT_LT(area.right, client.right);
                inside = MAKELPARAM((area.left + area.right) / 2, (area.top + area.bottom) / 2);
                outside = MAKELPARAM(client.right - 2, client.bottom / 2);
                // A failed open leaves the link as it was.
                shell.openSucceeds = false;
                SendMessageW(link, WM_CHAR, VK_SPACE, 0);
                EXPECT_EQ(shell.opened, std::vector<std::wstring>{kAddress});
                colours(blue, purple);
                shell.openSucceeds = true;
                shell.opened.clear();
            },
            [&](HWND) {
                // The hand is shown over the text only.
                SetCursor(arrow);
                SendMessageW(link, WM_MOUSEMOVE, 0, outside);
                EXPECT_EQ(GetCursor(), arrow);
                SendMessageW(link, WM_MOUSEMOVE, 0, inside);
                EXPECT_EQ(GetCursor(), hand);
                SetCursor(arrow);
                POINT screen{GET_X_LPARAM(inside), GET_Y_LPARAM(inside)};
                ClientToScreen(link, &screen);
                SetCursorPos(screen.x, screen.y);
                EXPECT_EQ(SendMessageW(link, WM_SETCURSOR, reinterpret_cast<WPARAM>(link), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)),
                          TRUE);
                EXPECT_EQ(GetCursor(), hand);
            },
            [&](HWND dialog) {
                // A press beside the text takes nothing.
                HWND browse = GetDlgItem(dialog, IDC_BROWSE_RUNTIME);
                SetFocus(browse);
                SendMessageW(link, WM_LBUTTONDOWN, MK_LBUTTON, outside);
                EXPECT_EQ(GetFocus(), browse);
                EXPECT_EQ(GetCapture(), nullptr);
                // A press on the text that ends beside it opens nothing.
                SendMessageW(link, WM_LBUTTONDOWN, MK_LBUTTON, inside);
                EXPECT_EQ(GetFocus(), link);
                EXPECT_EQ(GetCapture(), link);
                SendMessageW(link, WM_LBUTTONUP, 0, outside);
                EXPECT_EQ(GetCapture(), nullptr);
                // Nor does a release without a press on the link.
                SendMessageW(link, WM_LBUTTONUP, 0, inside);
                EXPECT_TRUE(shell.opened.empty());
                // A click opens the address and the link turns to the visited colour.
                SendMessageW(link, WM_LBUTTONDOWN, MK_LBUTTON, inside);
                SendMessageW(link, WM_LBUTTONUP, 0, inside);
                EXPECT_EQ(GetCapture(), nullptr);
                EXPECT_EQ(shell.opened, std::vector<std::wstring>{kAddress});
                colours(purple, blue);
            },
            [&](HWND) {
                // Enter and Space open the address; every character is taken. Then the
                // Space key, through the dialog's own keyboard handling.
                EXPECT_EQ(SendMessageW(link, WM_CHAR, L'a', 0), 0);
                EXPECT_EQ(shell.opened.size(), 1u);
                SendMessageW(link, WM_CHAR, VK_RETURN, 0);
                SendMessageW(link, WM_CHAR, VK_SPACE, 0);
                EXPECT_EQ(shell.opened.size(), 3u);
                SetFocus(link);
                PostMessageW(link, WM_KEYDOWN, VK_SPACE, 0x00390001);
                PostMessageW(link, WM_KEYUP, VK_SPACE, 0xC0390001);
            },
            [&](HWND) {
                EXPECT_EQ(shell.opened.size(), 4u);
                // Disabled, the link is grey whether visited or not.
                EnableWindow(link, FALSE);
                colours(GetSysColor(COLOR_GRAYTEXT), purple);
                EnableWindow(link, TRUE);
                EXPECT_GT(printClient(link).count(purple), 20u);
            },
            [&](HWND dialog) {
                // A new font is the link's normal font; the link area follows it. The
                // link never deletes a font it was given.
                const auto dialogFont = reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0));
                const RECT before = toolRect(tooltip, link);
                HFONT big = CreateFontW(-30, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0, 0, 0,
                                        L"Tahoma");
                SendMessageW(link, WM_SETFONT, reinterpret_cast<WPARAM>(big), TRUE);
                EXPECT_EQ(SendMessageW(link, WM_GETFONT, 0, 0), reinterpret_cast<LRESULT>(big));
                const RECT enlarged = toolRect(tooltip, link);
                EXPECT_GT(enlarged.bottom - enlarged.top, before.bottom - before.top);
                EXPECT_GT(enlarged.right - enlarged.left, before.right - before.left);
                SendMessageW(link, WM_SETFONT, reinterpret_cast<WPARAM>(dialogFont), TRUE);
                LOGFONTW logFont{};
                EXPECT_NE(GetObjectW(big, sizeof logFont, &logFont), 0);
                DeleteObject(big);
                const RECT after = toolRect(tooltip, link);
                EXPECT_TRUE(EqualRect(&before, &after));

                // Right-aligned text moves with the right edge when the control is resized.
                const LONG_PTR style = GetWindowLongPtrW(link, GWL_STYLE);
                SetWindowLongPtrW(link, GWL_STYLE, (style & ~static_cast<LONG_PTR>(SS_TYPEMASK)) | SS_RIGHT);
                RECT client{};
                GetClientRect(link, &client);
                SetWindowPos(link, nullptr, 0, 0, client.right - 10, client.bottom, SWP_NOMOVE | SWP_NOZORDER);
                const RECT right = toolRect(tooltip, link);
                EXPECT_EQ(right.right, client.right - 10);
                EXPECT_EQ(right.right - right.left, after.right - after.left);
                SetWindowLongPtrW(link, GWL_STYLE, style);
                SetWindowPos(link, nullptr, 0, 0, client.right, client.bottom, SWP_NOMOVE | SWP_NOZORDER);
                const RECT restored = toolRect(tooltip, link);
                EXPECT_TRUE(EqualRect(&after, &restored));
                PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
            },
        });
    // The tooltip goes with the link.
    EXPECT_NE(tooltip, nullptr);
    EXPECT_FALSE(IsWindow(tooltip));
}

const wchar_t kBrowserSettings[] = L"Software\\Microsoft\\Internet Explorer\\Settings";

void setBrowserColour(const wchar_t* name, const std::wstring& value) {
    RegSetKeyValueW(HKEY_CURRENT_USER, kBrowserSettings, name, REG_SZ, value.c_str(),
                    static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

TEST_F(MissingRuntimeDialogTest, LinkTakesTheBrowsersColoursWhenTheyAreValid) {
    struct Case {
        const wchar_t* link;
        const wchar_t* visited;
        COLORREF linkColour;
        COLORREF visitedColour;
    };
    const Case cases[] = {
        {L"0,0,128", L"0,128,0", RGB(0, 0, 128), RGB(0, 128, 0)},
        // One comma, and a value one character too long: the defaults stay.
        {L"0,0", L"255,255,2550", RGB(0, 0, 255), RGB(128, 0, 128)},
        {L"0,0,", L" 10, 20, 30", RGB(0, 0, 255), RGB(10, 20, 30)},
    };
    for (const Case& c : cases) {
        setBrowserColour(L"Anchor Color", c.link);
        setBrowserColour(L"Anchor Color Visited", c.visited);
        runDialog(kMessage, JvmType::Default, {[&c](HWND dialog) {
            HWND link = GetDlgItem(dialog, IDC_DOWNLOAD_LINK);
            EXPECT_GT(printClient(link).count(c.linkColour), 20u) << ::testing::PrintToString(std::wstring(c.link));
            SendMessageW(link, WM_CHAR, VK_RETURN, 0);
            EXPECT_GT(printClient(link).count(c.visitedColour), 20u)
                << ::testing::PrintToString(std::wstring(c.visited));
            PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        }});
    }
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kBrowserSettings, L"Anchor Color");
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kBrowserSettings, L"Anchor Color Visited");
}

LRESULT CALLBACK ownerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(window, message, wParam, lParam);
}

TEST_F(MissingRuntimeDialogTest, CentredOverItsOwnerOrTheWorkArea) {
    // The dialog's owner, and the centre of its window within a pixel of `area`'s.
    auto expectCentredOver = [](HWND owner, const RECT& area) {
        runDialog(kMessage, JvmType::Default, {[owner, area](HWND dialog) {
            EXPECT_EQ(GetWindow(dialog, GW_OWNER), owner);
            const RECT window = jl::testing::windowRect(dialog);
            EXPECT_LE(std::abs((window.left + window.right) / 2 - (area.left + area.right) / 2), 1);
            EXPECT_LE(std::abs((window.top + window.bottom) / 2 - (area.top + area.bottom) / 2), 1);
            PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        }});
    };
    RECT workArea{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &workArea, 0);
    expectCentredOver(nullptr, workArea);

    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = ownerProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"jl-test-owner";
    RegisterClassW(&windowClass);
    const RECT ownerRect{workArea.left + 40, workArea.top + 60, workArea.left + 640, workArea.top + 560};
    HWND owner = CreateWindowExW(0, L"jl-test-owner", L"owner", WS_OVERLAPPEDWINDOW, ownerRect.left, ownerRect.top,
                                 ownerRect.right - ownerRect.left, ownerRect.bottom - ownerRect.top, nullptr,
                                 nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(owner, nullptr);
    ShowWindow(owner, SW_SHOW);
    SetActiveWindow(owner);
    ASSERT_EQ(GetActiveWindow(), owner);
    expectCentredOver(owner, ownerRect);
    DestroyWindow(owner);
}

// --- every language: texts that fit, and a screenshot ---------------------------------

SIZE measure(HWND window, const std::wstring& text, UINT flags, int width, HFONT font) {
    HDC dc = GetDC(window);
    HGDIOBJ previous = SelectObject(dc, font);
    RECT area{0, 0, width, 0};
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &area, flags | DT_CALCRECT);
    SelectObject(dc, previous);
    ReleaseDC(window, dc);
    return SIZE{area.right, area.bottom};
}

BOOL CALLBACK collectChild(HWND window, LPARAM list) {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    return TRUE;
}

// Every text of the dialog fits its control as the control draws it: word-wrapped
// statics within their height, one-line texts within their width; the caption fits
// the title bar beside its buttons.
void expectTextsFit(HWND dialog) {
    std::vector<HWND> children;
    EnumChildWindows(dialog, collectChild, reinterpret_cast<LPARAM>(&children));
    for (HWND child : children) {
        wchar_t className[32] = {};
        GetClassNameW(child, className, 32);
        const std::wstring text = textOf(child);
        if (text.empty()) continue;
        const LONG_PTR style = GetWindowLongPtrW(child, GWL_STYLE);
        const auto font = reinterpret_cast<HFONT>(SendMessageW(child, WM_GETFONT, 0, 0));
        RECT client{};
        GetClientRect(child, &client);
        const std::string what = ::testing::PrintToString(text) + " (control " +
                                 std::to_string(GetDlgCtrlID(child)) + ")";
        if (lstrcmpiW(className, L"Static") == 0) {
            if (!staticStylePaintsText(static_cast<uint32_t>(style))) continue;
            const SIZE size = measure(child, text, DT_WORDBREAK | DT_NOPREFIX, client.right, font);
            EXPECT_LE(size.cx, client.right) << what;
            EXPECT_LE(size.cy, client.bottom) << what;
        } else if (lstrcmpiW(className, L"Button") == 0) {
            const SIZE size = measure(child, text, DT_SINGLELINE, 0, font);
            // A push button needs its frame and a little air; a group box caption
            // starts a few pixels in and must end before the frame's corner.
            EXPECT_LE(size.cx + 12, client.right) << what;
            EXPECT_LE(size.cy + 4, client.bottom) << what;
        }
    }
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    HFONT captionFont = CreateFontIndirectW(&metrics.lfCaptionFont);
    const SIZE caption = measure(dialog, textOf(dialog), DT_SINGLELINE, 0, captionFont);
    DeleteObject(captionFont);
    const RECT window = jl::testing::windowRect(dialog);
    EXPECT_LE(caption.cx + 3 * GetSystemMetrics(SM_CXSIZE), window.right - window.left) << "caption";
}

// Wine draws CJK text with the fonts linked to the dialog font, and reads the links when
// a process starts: the CJK font of the machine is linked to Tahoma, the face behind
// "MS Shell Dlg", before the processes of the languages start.
void linkCjkFont() {
    const std::wstring entry = L"wqy-microhei.ttc,WenQuanYi Micro Hei";
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows NT\\CurrentVersion\\FontLink\\SystemLink",
                        0, nullptr, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS) {
        return;
    }
    std::vector<wchar_t> value(4096, L'\0');
    DWORD size = static_cast<DWORD>(value.size() * sizeof(wchar_t)), type = 0;
    std::wstring links;  // entries each ending with a null
    if (RegQueryValueExW(key, L"Tahoma", nullptr, &type, reinterpret_cast<BYTE*>(value.data()), &size) ==
            ERROR_SUCCESS && type == REG_MULTI_SZ) {
        links.assign(value.data(), size / sizeof(wchar_t));
        while (!links.empty() && links.back() == L'\0') links.pop_back();
        if (!links.empty()) links += L'\0';
    }
    if (links.find(entry) == std::wstring::npos) {
        links = entry + L'\0' + links + L'\0';
        RegSetValueExW(key, L"Tahoma", 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(links.c_str()),
                       static_cast<DWORD>(links.size() * sizeof(wchar_t)));
    }
    RegCloseKey(key);
}

struct Language {
    const wchar_t* code;
    LANGID id;
    const wchar_t* caption;  // tells which language the platform picked
};
const Language kLanguages[] = {
    {L"en", 0x0409, L"JRE Not Found"},      {L"de", 0x0407, L"JRE nicht gefunden"},
    {L"ja", 0x0411, L"JRE が見つかりません"}, {L"ko", 0x0412, L"JRE를 찾을 수 없음"},
    {L"ru", 0x0419, L"JRE не найдена"},     {L"es", 0x0C0A, L"No se encontró el JRE"},
};
const wchar_t kLanguageVariable[] = L"JL_DIALOG_LANGUAGE";

// The dialog of one language, shown with the longest message of that language.
void showLanguage(const Language& language) {
    SetThreadUILanguage(language.id);
    SetThreadLocale(MAKELCID(language.id, SORT_DEFAULT));
    const std::wstring clause =
        describeVersionConstraint(parseVersion(L"1.8.0_151", 0), parseVersion(L"17.0.10.7", 0));
    const std::wstring message = formatMessageText(loadMessage(kMsgRuntimeNotFoundServer), {clause});
    EXPECT_NE(message.find(clause), std::wstring::npos);
    runDialog(message, JvmType::Server,
              {
                  [&](HWND dialog) {
                      EXPECT_EQ(textOf(dialog), language.caption);
                      EXPECT_EQ(itemText(dialog, IDC_RUNTIME_MESSAGE), message);
                      expectTextsFit(dialog);
                      RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
                  },
                  [](HWND) {},  // let the screen catch up
                  [&](HWND dialog) {
                      const Pixels shot = jl::testing::captureScreen(jl::testing::windowRect(dialog));
                      // Something of the link's colour is on the screen.
                      EXPECT_GT(shot.count(RGB(0, 0, 255)), 20u);
                      const std::wstring file = L"missing_runtime_" + std::wstring(language.code) + L".png";
                      EXPECT_TRUE(jl::testing::writePng(jl::testing::screenshotPath(file), shot));
                      PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
                  },
              });
}

// Each language runs in a process of its own, this program again with the language in
// the environment, so that the font link is in place; its output goes to a file.
TEST_F(MissingRuntimeDialogTest, EveryLanguageFitsItsTextsAndIsCaptured) {
    wchar_t childLanguage[8] = L"";
    if (GetEnvironmentVariableW(kLanguageVariable, childLanguage, 8)) {
        for (const Language& language : kLanguages) {
            if (language.code == std::wstring(childLanguage)) showLanguage(language);
        }
        return;
    }
    linkCjkFont();
    wchar_t modulePath[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, modulePath, MAX_PATH);
    for (const Language& language : kLanguages) {
        const std::string code(language.code, language.code + 2);
        const std::wstring screenshot =
            jl::testing::screenshotPath(L"missing_runtime_" + std::wstring(language.code) + L".png");
        DeleteFileW(screenshot.c_str());
        const std::wstring output = temp_.path(L"output-" + std::wstring(language.code) + L".txt");
        SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
        HANDLE outputFile = CreateFileW(output.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inheritable, CREATE_ALWAYS,
                                        0, nullptr);
        ASSERT_NE(outputFile, INVALID_HANDLE_VALUE);
        SetEnvironmentVariableW(kLanguageVariable, language.code);
        std::wstring commandLine = L"\"" + std::wstring(modulePath) +
                                   L"\" --gtest_filter=MissingRuntimeDialogTest.EveryLanguageFitsItsTextsAndIsCaptured";
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = startup.hStdError = outputFile;
        PROCESS_INFORMATION process{};
        const BOOL started = CreateProcessW(modulePath, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                            nullptr, &startup, &process);
        SetEnvironmentVariableW(kLanguageVariable, nullptr);
        CloseHandle(outputFile);
        ASSERT_TRUE(started) << code;
        if (WaitForSingleObject(process.hProcess, 60000) != WAIT_OBJECT_0) TerminateProcess(process.hProcess, 1);
        DWORD exitCode = 1;
        GetExitCodeProcess(process.hProcess, &exitCode);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        std::ifstream in(std::filesystem::path(output), std::ios::binary);
        EXPECT_EQ(exitCode, 0u) << code << ":\n" << std::string(std::istreambuf_iterator<char>(in), {});
        EXPECT_NE(GetFileAttributesW(screenshot.c_str()), INVALID_FILE_ATTRIBUTES) << code;
    }
}

}  // namespace
}  // namespace jl
