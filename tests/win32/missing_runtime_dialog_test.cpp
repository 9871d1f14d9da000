// The "JRE Not Found" dialog driven in-process: a thread timer runs one step at a time
// inside the dialog's own modal loop, so each step can look at the controls, send them
// messages, and let posted ones be processed before the next step. The folder browser
// and the shell's open are replaced by scripted stand-ins.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
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
    // The steps left the dialog open.
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
                                          {browseStep({{true, clientOnly}, clientOnly, true}), close,
                                           [](HWND) { ADD_FAILURE() << "the dialog is still open"; }});
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
                const Pixels pixels = jl::testing::printClient(link);
                EXPECT_GT(pixels.count(blue), 20u);
                EXPECT_EQ(pixels.count(purple), 0u);
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

TEST_F(MissingRuntimeDialogTest, AFailedOpenLeavesTheLinkUnvisited) {
    openSucceeds = false;
    runDialog(kMessage, JvmType::Default, {[](HWND dialog) {
        HWND link = GetDlgItem(dialog, IDC_DOWNLOAD_LINK);
        SendMessageW(link, WM_CHAR, VK_SPACE, 0);
        EXPECT_EQ(openedTargets, std::vector<std::wstring>{kAddress});
        const Pixels pixels = jl::testing::printClient(link);
        EXPECT_GT(pixels.count(RGB(0, 0, 255)), 20u);
        EXPECT_EQ(pixels.count(RGB(128, 0, 128)), 0u);
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    }});
}

// The browser's colour settings, changed for one test and put back afterwards.
class BrowserColours {
public:
    BrowserColours() {
        RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &key_,
                        nullptr);
        save(L"Anchor Color", link_);
        save(L"Anchor Color Visited", visited_);
    }
    ~BrowserColours() {
        restore(L"Anchor Color", link_);
        restore(L"Anchor Color Visited", visited_);
        RegCloseKey(key_);
    }
    void set(const wchar_t* name, const std::wstring& value, DWORD type = REG_SZ) {
        RegSetValueExW(key_, name, 0, type, reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    }

private:
    struct Saved {
        bool present = false;
        DWORD type = 0;
        std::vector<BYTE> data;
    };
    void save(const wchar_t* name, Saved& saved) {
        DWORD size = 0;
        if (RegQueryValueExW(key_, name, nullptr, &saved.type, nullptr, &size) != ERROR_SUCCESS) return;
        saved.data.resize(size);
        saved.present = RegQueryValueExW(key_, name, nullptr, &saved.type, saved.data.data(), &size) == ERROR_SUCCESS;
    }
    void restore(const wchar_t* name, const Saved& saved) {
        if (saved.present) {
            RegSetValueExW(key_, name, 0, saved.type, saved.data.data(), static_cast<DWORD>(saved.data.size()));
        } else {
            RegDeleteValueW(key_, name);
        }
    }
    static constexpr const wchar_t* kKey = L"Software\\Microsoft\\Internet Explorer\\Settings";
    HKEY key_ = nullptr;
    Saved link_;
    Saved visited_;
};

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
        BrowserColours colours;
        colours.set(L"Anchor Color", c.link);
        colours.set(L"Anchor Color Visited", c.visited);
        openedTargets.clear();
        runDialog(kMessage, JvmType::Default, {[&c](HWND dialog) {
            HWND link = GetDlgItem(dialog, IDC_DOWNLOAD_LINK);
            EXPECT_GT(jl::testing::printClient(link).count(c.linkColour), 20u) << ::testing::PrintToString(std::wstring(c.link));
            SendMessageW(link, WM_CHAR, VK_RETURN, 0);
            EXPECT_GT(jl::testing::printClient(link).count(c.visitedColour), 20u)
                << ::testing::PrintToString(std::wstring(c.visited));
            PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        }});
    }
    {
        // A colour stored as a number is no colour text.
        BrowserColours colours;
        DWORD number = 128;
        HKEY key = nullptr;
        RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Internet Explorer\\Settings", 0, KEY_SET_VALUE, &key);
        RegSetValueExW(key, L"Anchor Color", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof number);
        RegCloseKey(key);
        runDialog(kMessage, JvmType::Default, {[](HWND dialog) {
            EXPECT_GT(jl::testing::printClient(GetDlgItem(dialog, IDC_DOWNLOAD_LINK)).count(RGB(0, 0, 255)), 20u);
            PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        }});
    }
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

}  // namespace
}  // namespace jl
