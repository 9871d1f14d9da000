// The "JRE Not Found" dialog driven in-process: a thread timer runs one step at a time
// inside the dialog's own modal loop, so each step can look at the controls, send them
// messages, and let posted ones be processed before the next step. The folder browser
// and the shell's open are replaced by scripted stand-ins.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <functional>
#include <string>
#include <vector>

#include "runtime/missing_runtime_dialog.h"
#include "runtime/missing_runtime_ids.h"
#include "runtime/version_number.h"
#include "support/hyperlink.h"
#include "support/hyperlink_control_win32.h"
#include "support/messages.h"
#include "tests/unit/temp_folder.h"
#include "tests/win32/screen_capture.h"

namespace jl {
namespace {

using jl::testing::Pixels;
using jl::testing::TempFolder;

const std::wstring kAddress = L"" JL_RUNTIME_DOWNLOAD_ADDRESS;
const std::wstring kMessage =
    L"The Java Runtime Environment (JRE) was not found. Please  download and install a JRE (minimum version 1.6) from:";

// --- the stand-ins for the shell -----------------------------------------------------

struct BrowserAnswer {
    bool chosen;
    std::wstring path;
};
std::vector<BrowserAnswer> browserAnswers;
size_t browserCalls = 0;
std::wstring browserTitle;
void* browserOwner = nullptr;

bool scriptedBrowser(void* owner, const std::wstring& title, std::wstring& path) {
    browserOwner = owner;
    browserTitle = title;
    if (browserCalls >= browserAnswers.size()) {
        ++browserCalls;
        return false;
    }
    const BrowserAnswer& answer = browserAnswers[browserCalls++];
    if (answer.chosen) path = answer.path;
    return answer.chosen;
}

std::vector<std::wstring> openedTargets;
bool openSucceeds = true;

bool recordingOpener(const std::wstring& target) {
    openedTargets.push_back(target);
    return openSucceeds;
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

BOOL CALLBACK findDialogWindow(HWND window, LPARAM result) {
    wchar_t className[16] = {};
    GetClassNameW(window, className, 16);
    if (lstrcmpW(className, L"#32770") == 0 && IsWindowVisible(window) && GetDlgItem(window, IDC_DOWNLOAD_LINK)) {
        *reinterpret_cast<HWND*>(result) = window;
        return FALSE;
    }
    return TRUE;
}

HWND findDialog() {
    HWND found = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), findDialogWindow, reinterpret_cast<LPARAM>(&found));
    return found;
}

void CALLBACK onTick(HWND, UINT, UINT_PTR, DWORD) {
    Driver& d = *driver;
    HWND dialog = findDialog();
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

std::wstring textOf(HWND window) {
    const int length = GetWindowTextLengthW(window);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(window, text.data(), length + 1)));
    return text;
}
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

RECT toolRect(HWND tooltip, HWND link) {
    TOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.hwnd = link;
    tool.uId = 1;
    SendMessageW(tooltip, TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&tool));
    return tool.rect;
}

std::wstring toolText(HWND tooltip, HWND link) {
    wchar_t buffer[256] = {};
    TOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.hwnd = link;
    tool.uId = 1;
    tool.lpszText = buffer;
    SendMessageW(tooltip, TTM_GETTEXTW, 256, reinterpret_cast<LPARAM>(&tool));
    return buffer;
}

LPARAM pointParam(int x, int y) { return MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y)); }

// --- the fixture -------------------------------------------------------------------------

class MissingRuntimeDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        browserAnswers.clear();
        browserCalls = 0;
        browserTitle.clear();
        browserOwner = nullptr;
        openedTargets.clear();
        openSucceeds = true;
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
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_BROWSE_RUNTIME, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDC_BROWSE_RUNTIME)));
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
        std::wstring acceptedFolder;
        std::wstring acceptedLibrary;
    };
    const Case cases[] = {
        {JvmType::Default,
         {
             {{true, jdk}, jdk, false},                   // a JDK's runtime is in its jre folder
             {{true, jdkRuntime}, jdkRuntime, true},
             {{false, L""}, jdkRuntime, true},            // a cancelled browser changes nothing
             {{true, empty}, empty, false},
             {{true, L"Q:\\"}, L"Q:\\", false},           // a drive root, shown as the browser gave it
             {{true, clientOnly}, clientOnly, true},
         },
         clientOnly + L"\\",
         clientOnly + L"\\bin\\client\\jvm.dll"},
        {JvmType::Server,
         {
             {{true, clientOnly}, clientOnly, false},     // the server JVM is required
             {{true, serverOnly}, serverOnly, true},
         },
         serverOnly + L"\\",
         serverOnly + L"\\bin\\server\\jvm.dll"},
        {JvmType::FavorServer,
         {
             {{true, clientOnly}, clientOnly, true},
         },
         clientOnly + L"\\",
         clientOnly + L"\\bin\\client\\jvm.dll"},
    };
    for (const Case& c : cases) {
        browserAnswers.clear();
        browserCalls = 0;
        std::vector<Step> steps;
        for (const Choice& choice : c.choices) {
            browserAnswers.push_back(choice.answer);
            steps.push_back(browseStep(choice));
        }
        steps.push_back([](HWND dialog) {
            EXPECT_EQ(browserOwner, static_cast<void*>(dialog));
            PostMessageW(dialog, WM_COMMAND, IDOK, 0);
        });
        const Outcome outcome = runDialog(kMessage, c.type, steps);
        EXPECT_TRUE(outcome.accepted) << static_cast<int>(c.type);
        EXPECT_EQ(outcome.folder, c.acceptedFolder);
        EXPECT_EQ(outcome.library, c.acceptedLibrary);
        EXPECT_EQ(browserCalls, c.choices.size());
        EXPECT_EQ(browserTitle, loadMessage(kMsgBrowseForRuntime));
    }
}

TEST_F(MissingRuntimeDialogTest, OkWithoutAValidChoiceDoesNotEndTheDialog) {
    // However the command arrives, the caller must never receive OK without a library.
    const std::wstring empty = temp_.path(L"empty");
    temp_.write(L"empty\\readme.txt", "");
    browserAnswers = {{true, empty}};
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
        [](HWND dialog) {
            HWND focus = GetFocus();
            ASSERT_TRUE(focus && IsChild(dialog, focus));
            PostMessageW(focus, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
            PostMessageW(focus, WM_KEYUP, VK_ESCAPE, 0xC0010001);
        },
        [](HWND dialog) { PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); },
        [](HWND dialog) {
            PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDCANCEL)));
        },
    };
    for (const Step& close : closers) {
        browserAnswers = {{true, clientOnly}};
        browserCalls = 0;
        const Outcome outcome = runDialog(kMessage, JvmType::Default,
                                          {browseStep({{true, clientOnly}, clientOnly, true}), close});
        EXPECT_FALSE(outcome.accepted);
        EXPECT_EQ(outcome.folder, L"untouched");
    }
}

TEST_F(MissingRuntimeDialogTest, LinkAnswersItsMessages) {
    const COLORREF blue = RGB(0, 0, 255);
    const COLORREF purple = RGB(128, 0, 128);
    HWND tooltip = nullptr;
    const HCURSOR hand = LoadCursorW(nullptr, IDC_HAND);
    const HCURSOR arrow = LoadCursorW(nullptr, IDC_ARROW);

    auto insideOf = [](HWND link) {
        const RECT r = toolRect(tooltipOf(link), link);
        return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    };
    auto outsideOf = [](HWND link) {
        RECT client{};
        GetClientRect(link, &client);
        return POINT{client.right - 2, client.bottom / 2};
    };

    runDialog(
        kMessage, JvmType::Default,
        {
            [&](HWND dialog) {
                HWND link = GetDlgItem(dialog, IDC_DOWNLOAD_LINK);
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
                // A failed open leaves the link as it was.
                openSucceeds = false;
                SendMessageW(link, WM_CHAR, VK_SPACE, 0);
                EXPECT_EQ(openedTargets, std::vector<std::wstring>{kAddress});
                const Pixels pixels = jl::testing::printClient(link);
                EXPECT_GT(pixels.count(blue), 20u);
                EXPECT_EQ(pixels.count(purple), 0u);
                openSucceeds = true;
                openedTargets.clear();
            },
            [&](HWND dialog) {
                // The hand is shown over the text only.
                HWND link = GetDlgItem(dialog, IDC_DOWNLOAD_LINK);
                const POINT inside = insideOf(link);
                const POINT outside = outsideOf(link);
                SetCursor(arrow);
                SendMessageW(link, WM_MOUSEMOVE, 0, pointParam(outside.x, outside.y));
                EXPECT_EQ(GetCursor(), arrow);
                SendMessageW(link, WM_MOUSEMOVE, 0, pointParam(inside.x, inside.y));
                EXPECT_EQ(GetCursor(), hand);
                SetCursor(arrow);
                POINT screen = inside;
                ClientToScreen(link, &screen);
                SetCursorPos(screen.x, screen.y);
                EXPECT_EQ(SendMessageW(link, WM_SETCURSOR, reinterpret_cast<WPARAM>(link),
                                       MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)),
                          TRUE);
                EXPECT_EQ(GetCursor(), hand);
            },
            [&](HWND dialog) {
                HWND link = GetDlgItem(dialog, IDC_DOWNLOAD_LINK);
                HWND browse = GetDlgItem(dialog, IDC_BROWSE_RUNTIME);
                const POINT inside = insideOf(link);
                const POINT outside = outsideOf(link);
                // A press beside the text takes nothing.
                SetFocus(browse);
                SendMessageW(link, WM_LBUTTONDOWN, MK_LBUTTON, pointParam(outside.x, outside.y));
                EXPECT_EQ(GetFocus(), browse);
                EXPECT_EQ(GetCapture(), nullptr);
                // A press on the text that ends beside it opens nothing.
                SendMessageW(link, WM_LBUTTONDOWN, MK_LBUTTON, pointParam(inside.x, inside.y));
                EXPECT_EQ(GetFocus(), link);
                EXPECT_EQ(GetCapture(), link);
                SendMessageW(link, WM_LBUTTONUP, 0, pointParam(outside.x, outside.y));
                EXPECT_EQ(GetCapture(), nullptr);
                EXPECT_TRUE(openedTargets.empty());
                // A release without a press on the link opens nothing either.
                SendMessageW(link, WM_LBUTTONUP, 0, pointParam(inside.x, inside.y));
                EXPECT_TRUE(openedTargets.empty());
                // A click opens the address and the link turns to the visited colour.
                SendMessageW(link, WM_LBUTTONDOWN, MK_LBUTTON, pointParam(inside.x, inside.y));
                SendMessageW(link, WM_LBUTTONUP, 0, pointParam(inside.x, inside.y));
                EXPECT_EQ(GetCapture(), nullptr);
                EXPECT_EQ(openedTargets, std::vector<std::wstring>{kAddress});
                const Pixels pixels = jl::testing::printClient(link);
                EXPECT_GT(pixels.count(purple), 20u);
                EXPECT_EQ(pixels.count(blue), 0u);
            },
            [&](HWND dialog) {
                // Enter and Space open the address; every character is taken.
                HWND link = GetDlgItem(dialog, IDC_DOWNLOAD_LINK);
                EXPECT_EQ(SendMessageW(link, WM_CHAR, L'a', 0), 0);
                EXPECT_EQ(openedTargets.size(), 1u);
                SendMessageW(link, WM_CHAR, VK_RETURN, 0);
                SendMessageW(link, WM_CHAR, VK_SPACE, 0);
                EXPECT_EQ(openedTargets.size(), 3u);
                // The Space key pressed while the link has the focus, through the
                // dialog's own keyboard handling.
                SetFocus(link);
                PostMessageW(link, WM_KEYDOWN, VK_SPACE, 0x00390001);
                PostMessageW(link, WM_KEYUP, VK_SPACE, 0xC0390001);
            },
            [&](HWND dialog) {
                EXPECT_EQ(openedTargets.size(), 4u);
                // Disabled, the link is grey whether visited or not.
                HWND link = GetDlgItem(dialog, IDC_DOWNLOAD_LINK);
                EnableWindow(link, FALSE);
                const Pixels pixels = jl::testing::printClient(link);
                EXPECT_GT(pixels.count(GetSysColor(COLOR_GRAYTEXT)), 20u);
                EXPECT_EQ(pixels.count(purple), 0u);
                EnableWindow(link, TRUE);
                EXPECT_GT(jl::testing::printClient(link).count(purple), 20u);
            },
            [&](HWND dialog) {
                // A new font is the link's normal font; the link area follows it.
                HWND link = GetDlgItem(dialog, IDC_DOWNLOAD_LINK);
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
                // The link never deletes a font it was given.
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
            EXPECT_GT(jl::testing::printClient(link).count(c.linkColour), 20u) << ::testing::PrintToString(std::wstring(c.link));
            SendMessageW(link, WM_CHAR, VK_RETURN, 0);
            EXPECT_GT(jl::testing::printClient(link).count(c.visitedColour), 20u)
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
    auto centreOf = [](const RECT& r) { return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}; };
    RECT workArea{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &workArea, 0);
    runDialog(kMessage, JvmType::Default, {[&](HWND dialog) {
        EXPECT_EQ(GetWindow(dialog, GW_OWNER), nullptr);
        RECT window{};
        GetWindowRect(dialog, &window);
        const POINT centre = centreOf(window);
        const POINT expected = centreOf(workArea);
        EXPECT_LE(std::abs(centre.x - expected.x), 1);
        EXPECT_LE(std::abs(centre.y - expected.y), 1);
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    }});

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
    runDialog(kMessage, JvmType::Default, {[&](HWND dialog) {
        EXPECT_EQ(GetWindow(dialog, GW_OWNER), owner);
        RECT window{};
        GetWindowRect(dialog, &window);
        const POINT centre = centreOf(window);
        const POINT expected = centreOf(ownerRect);
        EXPECT_LE(std::abs(centre.x - expected.x), 1);
        EXPECT_LE(std::abs(centre.y - expected.y), 1);
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    }});
    DestroyWindow(owner);
}


// --- every language: texts that fit, and a screenshot ---------------------------------

struct Language {
    const char* code;
    LANGID id;
    const wchar_t* caption;  // tells which language the platform picked
};
const Language kLanguages[] = {
    {"en", 0x0409, L"JRE Not Found"},      {"de", 0x0407, L"JRE nicht gefunden"},
    {"ja", 0x0411, L"JRE が見つかりません"}, {"ko", 0x0412, L"JRE를 찾을 수 없음"},
    {"ru", 0x0419, L"JRE не найдена"},     {"es", 0x0C0A, L"No se encontró el JRE"},
};

const wchar_t kLanguageVariable[] = L"JL_DIALOG_LANGUAGE";
const wchar_t kScreenshotVariable[] = L"JL_DIALOG_SCREENSHOT";

std::wstring environmentValue(const wchar_t* name) {
    wchar_t buffer[1024] = {};
    const DWORD length = GetEnvironmentVariableW(name, buffer, 1024);
    return length > 0 && length < 1024 ? std::wstring(buffer, length) : std::wstring();
}

SIZE measure(HWND window, const std::wstring& text, UINT flags, int width) {
    HDC dc = GetDC(window);
    HGDIOBJ previous = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0)));
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
// statics within their height, one-line texts within their width.
void expectTextsFit(HWND dialog) {
    std::vector<HWND> children;
    EnumChildWindows(dialog, collectChild, reinterpret_cast<LPARAM>(&children));
    for (HWND child : children) {
        wchar_t className[32] = {};
        GetClassNameW(child, className, 32);
        const std::wstring text = textOf(child);
        if (text.empty()) continue;
        const LONG_PTR style = GetWindowLongPtrW(child, GWL_STYLE);
        RECT client{};
        GetClientRect(child, &client);
        const std::string what = ::testing::PrintToString(text) + " (control " +
                                 std::to_string(GetDlgCtrlID(child)) + ")";
        if (lstrcmpiW(className, L"Static") == 0) {
            if (!staticStylePaintsText(static_cast<uint32_t>(style))) continue;
            const SIZE size = measure(child, text, DT_WORDBREAK | DT_NOPREFIX, client.right);
            EXPECT_LE(size.cx, client.right) << what;
            EXPECT_LE(size.cy, client.bottom) << what;
        } else if (lstrcmpiW(className, L"Button") == 0) {
            const SIZE size = measure(child, text, DT_SINGLELINE, 0);
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
    HDC dc = GetDC(dialog);
    HGDIOBJ previous = SelectObject(dc, captionFont);
    const std::wstring caption = textOf(dialog);
    RECT area{};
    DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &area, DT_SINGLELINE | DT_CALCRECT);
    SelectObject(dc, previous);
    ReleaseDC(dialog, dc);
    DeleteObject(captionFont);
    RECT window{};
    GetWindowRect(dialog, &window);
    EXPECT_LE(area.right + 3 * GetSystemMetrics(SM_CXSIZE), window.right - window.left) << "caption";
}

// The dialog of one language, shown with the longest message of that language.
void showLanguage(LANGID language, const std::wstring& screenshot) {
    SetThreadUILanguage(language);
    SetThreadLocale(MAKELCID(language, SORT_DEFAULT));
    const Language* expected = nullptr;
    for (const Language& l : kLanguages) {
        if (l.id == language) expected = &l;
    }
    ASSERT_NE(expected, nullptr);
    const std::wstring clause =
        describeVersionConstraint(parseVersion(L"1.8.0_151", 0), parseVersion(L"17.0.10.7", 0));
    const std::wstring message = formatMessageText(loadMessage(kMsgRuntimeNotFoundServer), {clause});
    EXPECT_NE(message.find(clause), std::wstring::npos);
    runDialog(message, JvmType::Server,
              {
                  [&](HWND dialog) {
                      EXPECT_EQ(textOf(dialog), expected->caption);
                      EXPECT_EQ(itemText(dialog, IDC_RUNTIME_MESSAGE), message);
                      expectTextsFit(dialog);
                      RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
                  },
                  [](HWND) {},  // let the screen catch up
                  [&](HWND dialog) {
                      RECT window{};
                      GetWindowRect(dialog, &window);
                      const Pixels shot = jl::testing::captureScreen(window);
                      // Something of the link's colour is on the screen.
                      EXPECT_GT(shot.count(RGB(0, 0, 255)), 20u);
                      EXPECT_TRUE(jl::testing::writePng(screenshot, shot)) << ::testing::PrintToString(screenshot);
                      PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
                  },
              });
}

// Wine draws CJK text with the fonts linked to the dialog font; the test prefix gets
// the CJK font of the machine linked to Tahoma, the face behind "MS Shell Dlg".
void linkCjkFont() {
    const wchar_t kKey[] = L"Software\\Microsoft\\Windows NT\\CurrentVersion\\FontLink\\SystemLink";
    const std::wstring entry = L"wqy-microhei.ttc,WenQuanYi Micro Hei";
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, kKey, 0, nullptr, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS) {
        return;
    }
    std::vector<wchar_t> value(4096, L'\0');
    DWORD size = static_cast<DWORD>(value.size() * sizeof(wchar_t));
    DWORD type = 0;
    std::wstring links;  // entries each ending with a null
    if (RegQueryValueExW(key, L"Tahoma", nullptr, &type, reinterpret_cast<BYTE*>(value.data()), &size) ==
            ERROR_SUCCESS &&
        type == REG_MULTI_SZ) {
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

std::string readFileText(const std::wstring& path) {
    std::ifstream in(std::filesystem::path(path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Each language runs in a process of its own, started after the font link is in
// place, with the thread language of that process set to it.
TEST_F(MissingRuntimeDialogTest, EveryLanguageFitsItsTextsAndIsCaptured) {
    const std::wstring childLanguage = environmentValue(kLanguageVariable);
    if (!childLanguage.empty()) {
        showLanguage(static_cast<LANGID>(std::wcstoul(childLanguage.c_str(), nullptr, 10)),
                     environmentValue(kScreenshotVariable));
        return;
    }

    linkCjkFont();
    wchar_t modulePath[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, modulePath, MAX_PATH);
    std::wstring buildFolder = modulePath;
    buildFolder.resize(buildFolder.rfind(L'\\'));  // the tests folder
    buildFolder.resize(buildFolder.rfind(L'\\'));  // the build folder
    const std::wstring screenshots = buildFolder + L"\\screenshots";
    CreateDirectoryW(screenshots.c_str(), nullptr);

    for (const Language& language : kLanguages) {
        const std::wstring code(language.code, language.code + 2);
        const std::wstring screenshot = screenshots + L"\\missing_runtime_" + code + L".png";
        DeleteFileW(screenshot.c_str());
        const std::wstring output = temp_.path(L"output-" + code + L".txt");
        SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
        HANDLE outputFile = CreateFileW(output.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inheritable, CREATE_ALWAYS,
                                        0, nullptr);
        ASSERT_NE(outputFile, INVALID_HANDLE_VALUE);
        SetEnvironmentVariableW(kLanguageVariable, std::to_wstring(language.id).c_str());
        SetEnvironmentVariableW(kScreenshotVariable, screenshot.c_str());
        std::wstring commandLine = L"\"" + std::wstring(modulePath) +
                                   L"\" --gtest_filter=MissingRuntimeDialogTest.EveryLanguageFitsItsTextsAndIsCaptured";
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = outputFile;
        startup.hStdError = outputFile;
        PROCESS_INFORMATION process{};
        const BOOL started = CreateProcessW(modulePath, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                            nullptr, &startup, &process);
        SetEnvironmentVariableW(kLanguageVariable, nullptr);
        SetEnvironmentVariableW(kScreenshotVariable, nullptr);
        CloseHandle(outputFile);
        ASSERT_TRUE(started) << language.code;
        const DWORD waited = WaitForSingleObject(process.hProcess, 60000);
        if (waited != WAIT_OBJECT_0) TerminateProcess(process.hProcess, 1);
        DWORD exitCode = 1;
        GetExitCodeProcess(process.hProcess, &exitCode);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        EXPECT_EQ(exitCode, 0u) << language.code << ":\n" << readFileText(output);
        EXPECT_NE(GetFileAttributesW(screenshot.c_str()), INVALID_FILE_ATTRIBUTES) << language.code;
    }
}

}  // namespace
}  // namespace jl
