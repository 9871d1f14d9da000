// The "JRE Not Found" dialog driven in-process: a thread timer runs one step at a time
// inside the dialog's own modal loop, so each step can look at the controls, send them
// messages, and let posted ones be processed before the next step. The folder browser
// and the shell's open are scripted stand-ins.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

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

using jl::testing::printClient;
using jl::testing::textOf;

const std::wstring kAddress = L"" JL_RUNTIME_DOWNLOAD_ADDRESS;
const std::wstring kMessage =
    L"The Java Runtime Environment (JRE) was not found. Please  download and install a JRE (minimum version 1.6) from:";
const COLORREF kBlue = RGB(0, 0, 255), kPurple = RGB(128, 0, 128);

// The stand-ins: what the folder browser answers in turn (then: cancelled) and was
// given; what the shell was asked to open, and whether that works.
struct Shell {
    std::vector<std::wstring> answers;  // empty: cancelled
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
    if (call >= shell.answers.size() || shell.answers[call].empty()) return false;
    path = shell.answers[call];
    return true;
}
bool recordingOpener(const std::wstring& target) {
    shell.opened.push_back(target);
    return shell.openSucceeds;
}

using Step = std::function<void(HWND dialog)>;
struct Driver {
    std::vector<Step> steps;
    size_t next = 0;
    int ticks = 0;
    UINT_PTR timer = 0;
} driver;

void CALLBACK onTick(HWND, UINT, UINT_PTR, DWORD) {
    HWND dialog = jl::testing::findDialog(GetCurrentThreadId());
    if (++driver.ticks > 500 || (dialog && driver.next == driver.steps.size())) {
        ADD_FAILURE() << "the steps did not end the dialog";
        KillTimer(nullptr, driver.timer);
        if (dialog) EndDialog(dialog, IDCANCEL);
    } else if (dialog) {
        driver.steps[driver.next++](dialog);
    }
}

struct Outcome {
    bool accepted = false;
    std::wstring folder = L"untouched", library = L"untouched";
};
Outcome runDialog(std::vector<Step> steps, JvmType type = JvmType::Default, const std::wstring& message = kMessage) {
    driver = Driver{std::move(steps)};
    driver.timer = SetTimer(nullptr, 0, 10, onTick);
    Outcome outcome;
    outcome.accepted = showMissingRuntimeDialog(message, type, outcome.folder, outcome.library);
    KillTimer(nullptr, driver.timer);
    EXPECT_EQ(driver.next, driver.steps.size()) << "not every step ran";
    return outcome;
}

std::wstring itemText(HWND dialog, int id) { return textOf(GetDlgItem(dialog, id)); }
bool okEnabled(HWND dialog) { return IsWindowEnabled(GetDlgItem(dialog, IDOK)) != FALSE; }
void command(HWND dialog, int id) { PostMessageW(dialog, WM_COMMAND, id, 0); }

// The tooltip of the link, and the area of its tool: the link's text.
BOOL CALLBACK takeTooltip(HWND window, LPARAM found) {
    wchar_t name[32] = {};
    GetClassNameW(window, name, 32);
    if (lstrcmpiW(name, TOOLTIPS_CLASSW) == 0) *reinterpret_cast<HWND*>(found) = window;
    return TRUE;
}
RECT toolRect(HWND tooltip, HWND link, std::wstring* text = nullptr) {
    wchar_t buffer[256] = {};
    TOOLINFOW tool{sizeof tool, 0, link, 1};
    tool.lpszText = buffer;
    SendMessageW(tooltip, TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&tool));
    if (text) *text = buffer;
    return tool.rect;
}

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
    std::wstring runtime(const std::wstring& name, const std::wstring& library) {
        temp_.write(name + L"\\" + library, "not really a library");
        return temp_.path(name);
    }
    jl::testing::TempFolder temp_;
};

// A walk per row: each Browse with what the browser answers, then the folder shown and
// whether OK may be pressed; at the end the row's way of leaving (OK by default).
TEST_F(MissingRuntimeDialogTest, EachFolderChoiceDecidesOk) {
    const std::wstring client = runtime(L"client-only", L"bin\\client\\jvm.dll"),
                       server = runtime(L"server-only", L"bin\\server\\jvm.dll"), jdk = temp_.path(L"jdk1.6.0_45"),
                       jdkRuntime = runtime(L"jdk1.6.0_45\\jre", L"bin\\client\\jvm.dll"), empty = temp_.path(L"empty");
    temp_.write(L"empty\\readme.txt", "");
    struct Choice {
        std::wstring answer, shown;
        bool ok;
    };
    const Step ok = [](HWND dialog) { command(dialog, IDOK); };
    const struct {
        JvmType type;
        std::vector<Choice> choices;
        std::wstring library;  // accepted; empty: declined
        Step leave;
    } walks[] = {
        // A JDK's runtime is in its jre folder; a cancelled browser changes nothing; a
        // drive root is shown as the browser gave it.
        {JvmType::Default,
         {{jdk, jdk, false}, {jdkRuntime, jdkRuntime, true}, {L"", jdkRuntime, true}, {empty, empty, false},
          {L"Q:\\", L"Q:\\", false}, {client, client, true}},
         client + L"\\bin\\client\\jvm.dll", ok},
        // The server JVM required, or only favoured.
        {JvmType::Server, {{client, client, false}, {server, server, true}}, server + L"\\bin\\server\\jvm.dll", ok},
        {JvmType::FavorServer, {{client, client, true}}, client + L"\\bin\\client\\jvm.dll", ok},
        // However OK arrives, the dialog never ends with it without a library.
        {JvmType::Default, {{empty, empty, false}}, L"", [](HWND d) { command(d, IDOK), command(d, IDCANCEL); }},
        // Escape, the close box and Cancel decline a valid choice.
        {JvmType::Default, {{client, client, true}}, L"", [](HWND d) { jl::testing::type(d, VK_ESCAPE); }},
        {JvmType::Default, {{client, client, true}}, L"", [](HWND d) { PostMessageW(d, WM_SYSCOMMAND, SC_CLOSE, 0); }},
        {JvmType::Default, {{client, client, true}}, L"", [](HWND d) { jl::testing::press(d, IDCANCEL); }},
    };
    for (const auto& walk : walks) {
        shell = {};
        std::vector<Step> steps{[](HWND dialog) {
            EXPECT_EQ(itemText(dialog, IDC_RUNTIME_MESSAGE), kMessage);
            EXPECT_EQ(itemText(dialog, IDC_DOWNLOAD_LINK), kAddress);
            EXPECT_EQ(itemText(dialog, IDC_RUNTIME_FOLDER), L"");
            EXPECT_TRUE(GetWindowLongPtrW(GetDlgItem(dialog, IDC_RUNTIME_FOLDER), GWL_STYLE) & ES_READONLY);
            EXPECT_NE(SendDlgItemMessageW(dialog, IDC_RUNTIME_ICON, STM_GETICON, 0, 0), 0);
            EXPECT_FALSE(okEnabled(dialog));
            EXPECT_EQ(GetFocus(), GetDlgItem(dialog, IDC_BROWSE_RUNTIME));
            SendMessageW(dialog, WM_COMMAND, IDOK, 0);
        }};
        for (const Choice& choice : walk.choices) {
            shell.answers.push_back(choice.answer);
            steps.push_back([choice](HWND dialog) {
                jl::testing::press(dialog, IDC_BROWSE_RUNTIME, true);
                EXPECT_EQ(itemText(dialog, IDC_RUNTIME_FOLDER), choice.shown);
                EXPECT_EQ(okEnabled(dialog), choice.ok) << ::testing::PrintToString(choice.answer);
                EXPECT_EQ(shell.browserOwner, static_cast<void*>(dialog));
            });
        }
        steps.push_back(walk.leave);
        const Outcome outcome = runDialog(steps, walk.type);
        EXPECT_EQ(outcome.accepted, !walk.library.empty());
        EXPECT_EQ(outcome.library, walk.library.empty() ? L"untouched" : walk.library);
        if (!walk.library.empty()) EXPECT_EQ(outcome.library.find(outcome.folder), 0u);
        EXPECT_EQ(shell.browserCalls, walk.choices.size());
        EXPECT_EQ(shell.browserTitle, loadMessage(kMsgBrowseForRuntime));
    }
}

// The link, one row per thing the user does: then how often the address was opened, the
// colour of its text and the colour that must be absent.
TEST_F(MissingRuntimeDialogTest, LinkAnswersWhatTheUserDoes) {
    HWND link = nullptr, tooltip = nullptr;
    LPARAM inside = 0, outside = 0, zero = 0;  // on the text and beside it
    struct Row {
        const char* what;
        std::function<void()> act;
        size_t opened;
        COLORREF colour, absent;
    };
    auto send = [&link](UINT message, WPARAM w, const LPARAM* l) { return [=, &link] { SendMessageW(link, message, w, *l); }; };
    const Row rows[] = {
        {"a failed open leaves it unvisited", [&] { shell.openSucceeds = false; SendMessageW(link, WM_CHAR, VK_SPACE, 0); shell.openSucceeds = true; }, 1, kBlue, kPurple},
        {"press beside the text", send(WM_LBUTTONDOWN, MK_LBUTTON, &outside), 1, kBlue, kPurple},
        {"release without a press", send(WM_LBUTTONUP, 0, &inside), 1, kBlue, kPurple},
        {"press on the text, release beside it", [&] { SendMessageW(link, WM_LBUTTONDOWN, MK_LBUTTON, inside); SendMessageW(link, WM_LBUTTONUP, 0, outside); }, 1, kBlue, kPurple},
        {"other characters", send(WM_CHAR, L'a', &zero), 1, kBlue, kPurple},
        {"a click", [&] { SendMessageW(link, WM_LBUTTONDOWN, MK_LBUTTON, inside); SendMessageW(link, WM_LBUTTONUP, 0, inside); }, 2, kPurple, kBlue},
        {"Enter", send(WM_CHAR, VK_RETURN, &zero), 3, kPurple, kBlue},
        {"Space", send(WM_CHAR, VK_SPACE, &zero), 4, kPurple, kBlue},
        {"disabled", [&] { EnableWindow(link, FALSE); }, 4, GetSysColor(COLOR_GRAYTEXT), kPurple},
        {"enabled again", [&] { EnableWindow(link, TRUE); }, 4, kPurple, kBlue},
    };
    std::vector<Step> steps{[&](HWND dialog) {
        link = GetDlgItem(dialog, IDC_DOWNLOAD_LINK);
        EXPECT_TRUE(GetWindowLongPtrW(link, GWL_STYLE) & SS_NOTIFY);
        EXPECT_EQ(SendMessageW(link, WM_GETDLGCODE, 0, 0), DLGC_WANTCHARS);
        EXPECT_EQ(SendMessageW(link, WM_GETFONT, 0, 0), SendMessageW(dialog, WM_GETFONT, 0, 0));
        EnumThreadWindows(GetCurrentThreadId(), takeTooltip, reinterpret_cast<LPARAM>(&tooltip));
        ASSERT_NE(tooltip, nullptr);
        EXPECT_EQ(SendMessageW(tooltip, TTM_GETTOOLCOUNT, 0, 0), 1);
        // The link is its text only: the control is wider than the address.
        std::wstring tip;
        const RECT area = toolRect(tooltip, link, &tip);
        EXPECT_EQ(tip, kAddress);
        RECT client{};
        GetClientRect(link, &client);
        EXPECT_EQ(area.left, 0);
        EXPECT_GT(area.right, 20);
        EXPECT_LT(area.right, client.right);
        inside = MAKELPARAM((area.left + area.right) / 2, (area.top + area.bottom) / 2);
        outside = MAKELPARAM(client.right - 2, client.bottom / 2);
        // The hand only over the text; capture only while a press on the text lasts.
        const HCURSOR hand = LoadCursorW(nullptr, IDC_HAND), arrow = LoadCursorW(nullptr, IDC_ARROW);
        SetCursor(arrow);
        SendMessageW(link, WM_MOUSEMOVE, 0, outside);
        EXPECT_EQ(GetCursor(), arrow);
        SendMessageW(link, WM_MOUSEMOVE, 0, inside);
        EXPECT_EQ(GetCursor(), hand);
        HWND browse = GetDlgItem(dialog, IDC_BROWSE_RUNTIME);
        SetFocus(browse);
        SendMessageW(link, WM_LBUTTONDOWN, MK_LBUTTON, outside);
        EXPECT_EQ(GetFocus(), browse);
        SendMessageW(link, WM_LBUTTONDOWN, MK_LBUTTON, inside);
        EXPECT_EQ(GetFocus(), link);
        EXPECT_EQ(GetCapture(), link);
        SendMessageW(link, WM_LBUTTONUP, 0, outside);
        EXPECT_EQ(GetCapture(), nullptr);
        EXPECT_TRUE(shell.opened.empty());
    }};
    for (const Row& row : rows) {
        steps.push_back([&row](HWND) {
            row.act();
            EXPECT_EQ(shell.opened.size(), row.opened) << row.what;
            if (!shell.opened.empty()) EXPECT_EQ(shell.opened.back(), kAddress);
        });
        steps.push_back([&row, &link](HWND) {  // painted once posted messages are through
            const jl::testing::Pixels pixels = printClient(link);
            EXPECT_GT(pixels.count(row.colour), 20u) << row.what;
            EXPECT_EQ(pixels.count(row.absent), 0u) << row.what;
        });
    }
    steps.push_back([&](HWND dialog) {
        // A new font is the link's, its area follows; a font it was given is never deleted.
        const RECT before = toolRect(tooltip, link);
        HFONT big = CreateFontW(-30, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Tahoma");
        SendMessageW(link, WM_SETFONT, reinterpret_cast<WPARAM>(big), TRUE);
        EXPECT_GT(toolRect(tooltip, link).bottom, before.bottom);
        SendMessageW(link, WM_SETFONT, SendMessageW(dialog, WM_GETFONT, 0, 0), TRUE);
        LOGFONTW logFont{};
        EXPECT_NE(GetObjectW(big, sizeof logFont, &logFont), 0);
        DeleteObject(big);
        const RECT after = toolRect(tooltip, link);
        EXPECT_TRUE(EqualRect(&before, &after));
        command(dialog, IDCANCEL);
    });
    runDialog(steps);
    EXPECT_FALSE(IsWindow(tooltip)) << "the tooltip goes with the link";
}

TEST_F(MissingRuntimeDialogTest, LinkTakesTheBrowsersColoursWhenTheyAreValid) {
    const wchar_t kSettings[] = L"Software\\Microsoft\\Internet Explorer\\Settings";
    struct Row {
        std::wstring link, visited;
        COLORREF linkColour, visitedColour;
    };
    const Row rows[] = {
        {L"0,0,128", L"0,128,0", RGB(0, 0, 128), RGB(0, 128, 0)},
        // One comma, and a value one character too long: the defaults stay.
        {L"0,0", L"255,255,2550", kBlue, kPurple},
        {L"0,0,", L" 10, 20, 30", kBlue, RGB(10, 20, 30)},
    };
    for (const Row& row : rows) {
        for (const auto& [name, value] : {std::pair{L"Anchor Color", row.link}, {L"Anchor Color Visited", row.visited}}) {
            RegSetKeyValueW(HKEY_CURRENT_USER, kSettings, name, REG_SZ, value.c_str(),
                            static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
        }
        runDialog({[&row](HWND dialog) {
            HWND link = GetDlgItem(dialog, IDC_DOWNLOAD_LINK);
            EXPECT_GT(printClient(link).count(row.linkColour), 20u) << ::testing::PrintToString(row.link);
            SendMessageW(link, WM_CHAR, VK_RETURN, 0);
            EXPECT_GT(printClient(link).count(row.visitedColour), 20u) << ::testing::PrintToString(row.visited);
            command(dialog, IDCANCEL);
        }});
    }
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kSettings, L"Anchor Color");
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kSettings, L"Anchor Color Visited");
}

TEST_F(MissingRuntimeDialogTest, CentredOverItsOwnerOrTheWorkArea) {
    RECT workArea{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &workArea, 0);
    const RECT ownerRect{workArea.left + 40, workArea.top + 60, workArea.left + 640, workArea.top + 560};
    HWND owner = CreateWindowExW(0, L"STATIC", L"owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, ownerRect.left, ownerRect.top,
                                 600, 500, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(owner, nullptr);
    SetActiveWindow(owner);
    for (const auto& [expectedOwner, area] : {std::pair{owner, ownerRect}, {HWND{}, workArea}}) {
        runDialog({[expectedOwner = expectedOwner, area = area](HWND dialog) {
            EXPECT_EQ(GetWindow(dialog, GW_OWNER), expectedOwner);
            const RECT window = jl::testing::windowRect(dialog);
            EXPECT_NEAR(window.left + window.right, area.left + area.right, 2);
            EXPECT_NEAR(window.top + window.bottom, area.top + area.bottom, 2);
            command(dialog, IDCANCEL);
        }});
        DestroyWindow(owner);
    }
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

// Every text fits its control as the control draws it: word-wrapped statics within their
// height, button texts with their frame; the caption fits the title bar beside its buttons.
void expectTextsFit(HWND dialog) {
    std::vector<HWND> children;
    EnumChildWindows(dialog, collectChild, reinterpret_cast<LPARAM>(&children));
    for (HWND child : children) {
        wchar_t name[32] = {};
        GetClassNameW(child, name, 32);
        const std::wstring text = textOf(child);
        const auto font = reinterpret_cast<HFONT>(SendMessageW(child, WM_GETFONT, 0, 0));
        RECT client{};
        GetClientRect(child, &client);
        const std::string what = ::testing::PrintToString(text);
        if (text.empty()) continue;
        if (lstrcmpiW(name, L"Static") == 0 &&
            staticStylePaintsText(static_cast<uint32_t>(GetWindowLongPtrW(child, GWL_STYLE)))) {
            const SIZE size = measure(child, text, DT_WORDBREAK | DT_NOPREFIX, client.right, font);
            EXPECT_LE(size.cx, client.right) << what;
            EXPECT_LE(size.cy, client.bottom) << what;
        } else if (lstrcmpiW(name, L"Button") == 0) {
            const SIZE size = measure(child, text, DT_SINGLELINE, 0, font);
            EXPECT_LE(size.cx + 12, client.right) << what;
            EXPECT_LE(size.cy + 4, client.bottom) << what;
        }
    }
    NONCLIENTMETRICSW metrics{sizeof metrics};
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    HFONT captionFont = CreateFontIndirectW(&metrics.lfCaptionFont);
    const SIZE caption = measure(dialog, textOf(dialog), DT_SINGLELINE, 0, captionFont);
    DeleteObject(captionFont);
    const RECT window = jl::testing::windowRect(dialog);
    EXPECT_LE(caption.cx + 3 * GetSystemMetrics(SM_CXSIZE), window.right - window.left) << "caption";
}

// Every language, shown with its longest message; the CJK fonts are linked to the dialog
// font in the test prefix (scripts/wine-env.sh).
TEST_F(MissingRuntimeDialogTest, EveryLanguageFitsItsTextsAndIsCaptured) {
    const struct {
        const wchar_t* code;
        LANGID id;
        const wchar_t* caption;  // tells which language the platform picked
    } languages[] = {{L"en", 0x0409, L"JRE Not Found"},      {L"de", 0x0407, L"JRE nicht gefunden"},
                     {L"ja", 0x0411, L"JRE が見つかりません"}, {L"ko", 0x0412, L"JRE를 찾을 수 없음"},
                     {L"ru", 0x0419, L"JRE не найдена"},     {L"es", 0x0C0A, L"No se encontró el JRE"}};
    const LANGID saved = GetThreadUILanguage();
    for (const auto& language : languages) {
        SetThreadUILanguage(language.id);
        SetThreadLocale(MAKELCID(language.id, SORT_DEFAULT));
        const std::wstring message = formatMessageText(
            loadMessage(kMsgRuntimeNotFoundServer),
            {describeVersionConstraint(parseVersion(L"1.8.0_151", 0), parseVersion(L"17.0.10.7", 0))});
        runDialog({[&](HWND dialog) {
                       EXPECT_EQ(textOf(dialog), language.caption);
                       EXPECT_EQ(itemText(dialog, IDC_RUNTIME_MESSAGE), message);
                       expectTextsFit(dialog);
                       RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
                   },
                   [](HWND) {},  // the screen catches up
                   [&](HWND dialog) {
                       const jl::testing::Pixels shot = jl::testing::captureScreen(jl::testing::windowRect(dialog));
                       EXPECT_GT(shot.count(kBlue), 20u);  // the link is on the screen
                       EXPECT_TRUE(jl::testing::writePng(
                           jl::testing::screenshotPath(L"missing_runtime_" + std::wstring(language.code) + L".png"), shot));
                       command(dialog, IDCANCEL);
                   }},
                  JvmType::Server, message);
    }
    SetThreadUILanguage(saved);
    SetThreadLocale(MAKELCID(saved, SORT_DEFAULT));
}

}  // namespace
}  // namespace jl
