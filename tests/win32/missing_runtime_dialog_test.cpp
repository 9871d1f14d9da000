// The "JRE Not Found" dialog driven in-process: a thread timer runs one step at a time in
// the dialog's own modal loop, so each step can look at the controls and send them messages,
// posted ones processed before the next step. Folder browser and shell are stand-ins.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

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
#include "tests/win32/window_testing.h"

namespace jl {
namespace {

using jl::testing::printClient;
using jl::testing::textOf;

const std::wstring kAddress = L"" JL_RUNTIME_DOWNLOAD_ADDRESS;
const COLORREF kBlue = RGB(0, 0, 255);

// The stand-ins: the folder browser's answers in turn (empty: cancelled), how often it was
// asked, with which title and owner; what the shell was asked to open, and whether it can.
struct Shell {
    std::vector<std::wstring> answers, opened;
    size_t browserCalls = 0;
    std::wstring browserTitle;
    void* browserOwner = nullptr;
    bool openSucceeds = true;
} shell;
bool scriptedBrowser(void* owner, const std::wstring& title, std::wstring& path) {
    shell.browserOwner = owner, shell.browserTitle = title;
    const size_t call = shell.browserCalls++;
    const bool chosen = call < shell.answers.size() && !shell.answers[call].empty();
    if (chosen) path = shell.answers[call];
    return chosen;
}
bool recordingOpener(const std::wstring& target) { return shell.opened.push_back(target), shell.openSucceeds; }

using Step = std::function<void(HWND dialog)>;
struct Driver { std::vector<Step> steps; size_t next = 0; int ticks = 0; UINT_PTR timer = 0; } driver;

void CALLBACK onTick(HWND, UINT, UINT_PTR, DWORD) {
    HWND dialog = jl::testing::findDialog(GetCurrentThreadId());
    if (++driver.ticks <= 500 && dialog && driver.next < driver.steps.size()) return driver.steps[driver.next++](dialog);
    if (driver.ticks <= 500 && !dialog) return;
    ADD_FAILURE() << "the steps did not end the dialog";
    KillTimer(nullptr, driver.timer);
    if (dialog) EndDialog(dialog, IDCANCEL);
}

// The dialog run through the steps; what the caller gets: the library when accepted.
std::wstring runDialog(std::vector<Step> steps, JvmType type = JvmType::Default, const std::wstring& message = L"") {
    driver = Driver{std::move(steps)};
    driver.timer = SetTimer(nullptr, 0, 10, onTick);
    std::wstring folder = L"untouched", library = L"untouched";
    const bool accepted = showMissingRuntimeDialog(message, type, folder, library);
    KillTimer(nullptr, driver.timer);
    EXPECT_EQ(driver.next, driver.steps.size()) << "not every step ran";
    EXPECT_EQ(library.find(folder), 0u) << "the library is in the folder chosen";
    EXPECT_EQ(accepted, library != L"untouched");
    return accepted ? library : L"";
}

std::wstring itemText(HWND dialog, int id) { return textOf(GetDlgItem(dialog, id)); }
bool okEnabled(HWND dialog) { return IsWindowEnabled(GetDlgItem(dialog, IDOK)) != FALSE; }
void command(HWND dialog, int id) { PostMessageW(dialog, WM_COMMAND, id, 0); }

// The tooltip of the link, and the area of its tool: the link's text.
BOOL CALLBACK takeTooltip(HWND window, LPARAM found) {
    wchar_t name[32] = {};
    if (GetClassNameW(window, name, 32) && lstrcmpiW(name, TOOLTIPS_CLASSW) == 0) *reinterpret_cast<HWND*>(found) = window;
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

SIZE measure(HWND window, const std::wstring& text, UINT flags, int width, HFONT font) {
    HDC dc = GetDC(window);
    const HGDIOBJ previous = SelectObject(dc, font);
    RECT area{0, 0, width, 0};
    DrawTextW(dc, text.c_str(), -1, &area, flags | DT_CALCRECT);
    SelectObject(dc, previous), ReleaseDC(window, dc);
    return SIZE{area.right, area.bottom};
}
// Every text fits its control as the control draws it: word-wrapped statics within their
// height, button texts with their frame; the caption fits the title bar beside its buttons.
BOOL CALLBACK expectTextFits(HWND child, LPARAM) {
    wchar_t name[32] = {};
    GetClassNameW(child, name, 32);
    const std::wstring text = textOf(child);
    const bool button = lstrcmpiW(name, L"Button") == 0,
               paints = staticStylePaintsText(static_cast<uint32_t>(GetWindowLongPtrW(child, GWL_STYLE)));
    if (text.empty() || !(button || (lstrcmpiW(name, L"Static") == 0 && paints))) return TRUE;
    RECT client{};
    GetClientRect(child, &client);
    const SIZE size = measure(child, text, button ? DT_SINGLELINE : DT_WORDBREAK | DT_NOPREFIX, button ? 0 : client.right,
                              reinterpret_cast<HFONT>(SendMessageW(child, WM_GETFONT, 0, 0)));
    EXPECT_TRUE(size.cx + (button ? 12 : 0) <= client.right && size.cy + (button ? 4 : 0) <= client.bottom)
        << ::testing::PrintToString(text);
    return TRUE;
}
void expectTextsFit(HWND dialog) {
    EnumChildWindows(dialog, expectTextFits, 0);
    NONCLIENTMETRICSW metrics{sizeof metrics};
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    HFONT captionFont = CreateFontIndirectW(&metrics.lfCaptionFont);
    const LONG width = measure(dialog, textOf(dialog), DT_SINGLELINE, 0, captionFont).cx, window = jl::testing::windowRect(dialog).right;
    EXPECT_TRUE(DeleteObject(captionFont) && width + 3 * GetSystemMetrics(SM_CXSIZE) <= window - jl::testing::windowRect(dialog).left);
}

class MissingRuntimeDialogTest : public ::testing::Test {
protected:
    void SetUp() override { shell = {}, setFolderBrowser(scriptedBrowser), setLinkOpener(recordingOpener); }
    void TearDown() override { setFolderBrowser(nullptr), setLinkOpener(nullptr); }
    std::wstring runtime(const std::wstring& name, const std::wstring& library) {
        temp_.write(name + L"\\" + library, "not really a library");
        return temp_.path(name);
    }
    jl::testing::TempFolder temp_;
};

// A walk per row, each in its language (the CJK fonts are linked to the dialog font in the
// test prefix, scripts/wine-env.sh), shown with the longest message: the dialog as it opens,
// over its owner or the work area, and its screenshot; each Browse with what the browser
// answers, then the folder shown and whether OK may be pressed; the row's way of leaving.
TEST_F(MissingRuntimeDialogTest, WalkInEveryLanguage) {
    const std::wstring client = runtime(L"client-only", L"bin\\client\\jvm.dll"),
                       server = runtime(L"server-only", L"bin\\server\\jvm.dll"), jdk = temp_.path(L"jdk1.6.0_45"),
                       jdkRuntime = runtime(L"jdk1.6.0_45\\jre", L"bin\\client\\jvm.dll"), empty = temp_.path(L"empty");
    temp_.write(L"empty\\readme.txt", "");
    struct Choice { std::wstring answer, shown; bool ok; };
    const Step ok = [](HWND dialog) { command(dialog, IDOK); };
    const struct {
        const wchar_t *code, *caption;  // the caption tells which language the platform picked
        LANGID language;
        bool owned;
        JvmType type;
        std::vector<Choice> choices;
        std::wstring library;  // accepted; empty: declined
        Step leave;
    } walks[] = {
        // A JDK's runtime is in its jre folder; a cancelled browser changes nothing; a
        // drive root is shown as the browser gave it.
        {L"en", L"JRE Not Found", 0x0409, false, JvmType::Default,
         {{jdk, jdk, false}, {jdkRuntime, jdkRuntime, true}, {L"", jdkRuntime, true}, {empty, empty, false},
          {L"Q:\\", L"Q:\\", false}, {client, client, true}},
         client + L"\\bin\\client\\jvm.dll", ok},
        // The server JVM required, or only favoured.
        {L"de", L"JRE nicht gefunden", 0x0407, true, JvmType::Server, {{client, client, false}, {server, server, true}},
         server + L"\\bin\\server\\jvm.dll", ok},
        {L"ja", L"JRE が見つかりません", 0x0411, false, JvmType::FavorServer, {{client, client, true}},
         client + L"\\bin\\client\\jvm.dll", ok},
        // However OK arrives, the dialog never ends with it without a library.
        {L"ko", L"JRE를 찾을 수 없음", 0x0412, true, JvmType::Default, {{empty, empty, false}}, L"",
         [](HWND d) { command(d, IDOK), command(d, IDCANCEL); }},
        // Escape, the close box and Cancel decline a valid choice.
        {L"ru", L"JRE не найдена", 0x0419, false, JvmType::Default, {{client, client, true}}, L"",
         [](HWND d) { jl::testing::type(d, VK_ESCAPE); }},
        {L"es", L"No se encontró el JRE", 0x0C0A, false, JvmType::Default, {{client, client, true}}, L"",
         [](HWND d) { PostMessageW(d, WM_SYSCOMMAND, SC_CLOSE, 0); }},
        {L"en", L"JRE Not Found", 0x0409, false, JvmType::Default, {{client, client, true}}, L"",
         [](HWND d) { jl::testing::press(d, IDCANCEL); }},
    };
    const LANGID saved = GetThreadUILanguage();
    RECT workArea{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &workArea, 0);
    for (const auto& walk : walks) {
        shell = {};
        SetThreadUILanguage(walk.language);
        SetThreadLocale(MAKELCID(walk.language, SORT_DEFAULT));
        const std::wstring message = formatMessageText(loadMessage(kMsgRuntimeNotFoundServer),
            {describeVersionConstraint(parseVersion(L"1.8.0_151", 0), parseVersion(L"17.0.10.7", 0))});
        const RECT ownerRect{workArea.left + 40, workArea.top + 60, workArea.left + 640, workArea.top + 560};
        HWND owner = walk.owned ? CreateWindowExW(0, L"STATIC", L"owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, ownerRect.left,
                                                  ownerRect.top, 600, 500, nullptr, nullptr, nullptr, nullptr) : nullptr;
        if (owner) SetActiveWindow(owner);
        std::vector<Step> steps{
            [&](HWND dialog) {
                EXPECT_EQ(textOf(dialog), walk.caption);
                EXPECT_EQ(itemText(dialog, IDC_RUNTIME_MESSAGE), message);
                EXPECT_EQ(itemText(dialog, IDC_DOWNLOAD_LINK) + L"|" + itemText(dialog, IDC_RUNTIME_FOLDER), kAddress + L"|");
                EXPECT_TRUE(GetWindowLongPtrW(GetDlgItem(dialog, IDC_RUNTIME_FOLDER), GWL_STYLE) & ES_READONLY);
                EXPECT_NE(SendDlgItemMessageW(dialog, IDC_RUNTIME_ICON, STM_GETICON, 0, 0), 0);
                EXPECT_FALSE(okEnabled(dialog));
                EXPECT_EQ(GetFocus(), GetDlgItem(dialog, IDC_BROWSE_RUNTIME));
                EXPECT_EQ(GetWindow(dialog, GW_OWNER), owner);
                const RECT window = jl::testing::windowRect(dialog), area = owner ? ownerRect : workArea;
                EXPECT_NEAR(window.left + window.right, area.left + area.right, 2);
                EXPECT_NEAR(window.top + window.bottom, area.top + area.bottom, 2);
                expectTextsFit(dialog);
                SendMessageW(dialog, WM_COMMAND, IDOK, 0);
                RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
            },
            [](HWND) {},  // the screen catches up
            [&](HWND dialog) {
                const RECT window = jl::testing::windowRect(dialog);  // the link is on the screen:
                EXPECT_GT(jl::testing::screenshot(L"missing_runtime_" + std::wstring(walk.code) + L".png", window).count(kBlue), 20u);
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
        EXPECT_EQ(runDialog(steps, walk.type, message), walk.library);
        if (owner) DestroyWindow(owner);
        EXPECT_EQ(shell.browserTitle + std::to_wstring(shell.browserCalls), loadMessage(kMsgBrowseForRuntime) + std::to_wstring(walk.choices.size()));
    }
    SetThreadUILanguage(saved);
    SetThreadLocale(MAKELCID(saved, SORT_DEFAULT));
}

// The link, one row per thing the user does: then how often the address was opened, the
// colour of its text and the colour that must be absent. The browser's visited colour is
// taken; its link colour is one character too long for a colour, the default stays.
TEST_F(MissingRuntimeDialogTest, LinkAnswersWhatTheUserDoes) {
    const wchar_t kSettings[] = L"Software\\Microsoft\\Internet Explorer\\Settings";
    RegSetKeyValueW(HKEY_CURRENT_USER, kSettings, L"Anchor Color", REG_SZ, L"255,255,2550", 26);
    RegSetKeyValueW(HKEY_CURRENT_USER, kSettings, L"Anchor Color Visited", REG_SZ, L" 10, 20, 30", 24);
    const COLORREF kVisited = RGB(10, 20, 30);
    HWND link = nullptr, tooltip = nullptr;
    LPARAM inside = 0, outside = 0;  // on the text and beside it
    const LPARAM zero = 0;
    auto send = [&link](UINT message, WPARAM w, const LPARAM* l) { return [=, &link] { SendMessageW(link, message, w, *l); }; };
    auto click = [&link](const LPARAM* down, const LPARAM* up) {
        return [=, &link] { SendMessageW(link, WM_LBUTTONDOWN, MK_LBUTTON, *down), SendMessageW(link, WM_LBUTTONUP, 0, *up); };
    };
    const struct { const char* what; std::function<void()> act; size_t opened; COLORREF colour, absent; } rows[] = {
        {"a failed open leaves it unvisited", [&] { shell.openSucceeds = false, SendMessageW(link, WM_CHAR, VK_SPACE, 0), shell.openSucceeds = true; }, 1, kBlue, kVisited},
        {"press beside the text", send(WM_LBUTTONDOWN, MK_LBUTTON, &outside), 1, kBlue, kVisited},
        {"release without a press", send(WM_LBUTTONUP, 0, &inside), 1, kBlue, kVisited},
        {"press on the text, release beside it", click(&inside, &outside), 1, kBlue, kVisited},
        {"other characters", send(WM_CHAR, L'a', &zero), 1, kBlue, kVisited},
        {"a click", click(&inside, &inside), 2, kVisited, kBlue},
        {"Enter", send(WM_CHAR, VK_RETURN, &zero), 3, kVisited, kBlue},
        {"Space", send(WM_CHAR, VK_SPACE, &zero), 4, kVisited, kBlue},
        {"disabled", [&] { EnableWindow(link, FALSE); }, 4, GetSysColor(COLOR_GRAYTEXT), kVisited},
        {"enabled again", [&] { EnableWindow(link, TRUE); }, 4, kVisited, kBlue},
    };
    std::vector<Step> steps{[&](HWND dialog) {
        link = GetDlgItem(dialog, IDC_DOWNLOAD_LINK);
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
        EXPECT_TRUE(area.left == 0 && area.right > 20 && area.right < client.right) << area.right;
        inside = MAKELPARAM((area.left + area.right) / 2, (area.top + area.bottom) / 2);
        outside = MAKELPARAM(client.right - 2, client.bottom / 2);
        // The hand only over the text; capture only while a press on the text lasts.
        SetCursor(LoadCursorW(nullptr, IDC_ARROW));
        for (LPARAM at : {outside, inside}) {
            SendMessageW(link, WM_MOUSEMOVE, 0, at);
            EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, at == inside ? IDC_HAND : IDC_ARROW));
        }
        SetFocus(GetDlgItem(dialog, IDC_BROWSE_RUNTIME));
        SendMessageW(link, WM_LBUTTONDOWN, MK_LBUTTON, outside);
        EXPECT_EQ(GetFocus(), GetDlgItem(dialog, IDC_BROWSE_RUNTIME));
        SendMessageW(link, WM_LBUTTONDOWN, MK_LBUTTON, inside);
        EXPECT_TRUE(GetFocus() == link && GetCapture() == link);
        SendMessageW(link, WM_LBUTTONUP, 0, outside);
        EXPECT_EQ(GetCapture(), nullptr);
        EXPECT_TRUE(shell.opened.empty());
    }};
    for (const auto& row : rows) {
        steps.push_back([&row](HWND) {
            row.act();
            EXPECT_EQ(shell.opened, std::vector<std::wstring>(row.opened, kAddress)) << row.what;
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
        const RECT after = toolRect(tooltip, link);
        EXPECT_TRUE(DeleteObject(big) && EqualRect(&before, &after));
        command(dialog, IDCANCEL);
    });
    runDialog(steps);
    EXPECT_FALSE(IsWindow(tooltip)) << "the tooltip goes with the link";
    for (auto name : {L"Anchor Color", L"Anchor Color Visited"}) RegDeleteKeyValueW(HKEY_CURRENT_USER, kSettings, name);
}

}  // namespace
}  // namespace jl
