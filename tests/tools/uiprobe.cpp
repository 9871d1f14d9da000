// uiprobe: reads the dialogs and message boxes of another process the way a user sees
// them, and presses their buttons, so that end-to-end tests can check what the launcher
// shows on the screen.
//
//   uiprobe wait --exe NAME [--timeout MS] [--title TEXT] [--press ID | --press-text TEXT]
//
// Waits until a process whose executable file is NAME (case-insensitive) owns a visible
// top-level dialog (class "#32770", the class of message boxes too), optionally one
// whose title is TEXT, then prints, UTF-8, one item per line:
//
//   title: <window title>
//   control: <id> <class> <text>        for each child window, in Z order
//
// Backslash, line feed, carriage return and tab in a text are written as \\, \n, \r
// and \t, so that each item stays on one line and can be read back unambiguously.
// --press posts the click of the control with that id, --press-text of the control whose
// text is TEXT, compared with or without the "&" mnemonic markers.
//
// Exit codes: 0 found (and pressed), 1 usage error, 2 timeout, 3 no such enabled button.
#include <windows.h>
#include <tlhelp32.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>
#include <vector>

namespace {

constexpr int kExitFound = 0;
constexpr int kExitUsage = 1;
constexpr int kExitTimeout = 2;
constexpr int kExitNoButton = 3;
constexpr DWORD kPollMilliseconds = 50;
constexpr UINT kTextTimeoutMilliseconds = 2000;

struct Options {
    std::wstring exeName;
    DWORD timeoutMilliseconds = 15000;
    bool hasTitle = false;
    std::wstring title;
    bool pressById = false;
    int pressId = 0;
    bool pressByText = false;
    std::wstring pressText;
};

void writeUtf8(const std::wstring& text) {
    if (text.empty()) return;
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
    if (size <= 0) return;
    std::string bytes(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &bytes[0], size,
                        nullptr, nullptr);
    std::fwrite(bytes.data(), 1, bytes.size(), stdout);
}

void printLine(const std::wstring& line) {
    writeUtf8(line);
    std::fputc('\n', stdout);
}

std::wstring escaped(const std::wstring& text) {
    std::wstring out;
    out.reserve(text.size());
    for (wchar_t c : text) {
        switch (c) {
        case L'\\': out += L"\\\\"; break;
        case L'\n': out += L"\\n"; break;
        case L'\r': out += L"\\r"; break;
        case L'\t': out += L"\\t"; break;
        default: out += c; break;
        }
    }
    return out;
}

// "&Browse..." is shown as "Browse..." with an underline; "&&" is a literal "&".
std::wstring withoutMnemonics(const std::wstring& text) {
    std::wstring out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'&' && i + 1 < text.size()) ++i;
        else if (text[i] == L'&') continue;
        out += text[i];
    }
    return out;
}

std::wstring className(HWND window) {
    wchar_t name[256] = {};
    const int length = GetClassNameW(window, name, 256);
    return std::wstring(name, length > 0 ? static_cast<size_t>(length) : 0);
}

// WM_GETTEXT is marshalled across processes, so edit controls give their current text
// too; GetWindowTextW would only see the creation text of another process's controls.
std::wstring windowText(HWND window) {
    DWORD_PTR length = 0;
    if (SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG,
                            kTextTimeoutMilliseconds, &length) != 0) {
        std::vector<wchar_t> buffer(length + 1, L'\0');
        DWORD_PTR copied = 0;
        if (SendMessageTimeoutW(window, WM_GETTEXT, buffer.size(),
                                reinterpret_cast<LPARAM>(buffer.data()), SMTO_ABORTIFHUNG,
                                kTextTimeoutMilliseconds, &copied) != 0) {
            return std::wstring(buffer.data(), copied < length ? copied : length);
        }
    }
    const int fallbackLength = GetWindowTextLengthW(window);
    std::vector<wchar_t> buffer(static_cast<size_t>(fallbackLength > 0 ? fallbackLength : 0) + 1);
    const int copied = GetWindowTextW(window, buffer.data(), static_cast<int>(buffer.size()));
    return std::wstring(buffer.data(), copied > 0 ? static_cast<size_t>(copied) : 0);
}

std::vector<DWORD> processIdsOf(const std::wstring& exeName) {
    std::vector<DWORD> ids;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return ids;
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot, &entry); more;
         more = Process32NextW(snapshot, &entry)) {
        // Some systems give a full path here; compare the file name only.
        const wchar_t* name = entry.szExeFile;
        for (const wchar_t* p = entry.szExeFile; *p != L'\0'; ++p) {
            if (*p == L'\\' || *p == L'/') name = p + 1;
        }
        if (_wcsicmp(name, exeName.c_str()) == 0) ids.push_back(entry.th32ProcessID);
    }
    CloseHandle(snapshot);
    return ids;
}

struct DialogSearch {
    const Options* options;
    std::vector<DWORD> processIds;
    HWND found = nullptr;
};

BOOL CALLBACK considerWindow(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<DialogSearch*>(context);
    if (!IsWindowVisible(window) || className(window) != L"#32770") return TRUE;
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    bool owned = false;
    for (DWORD id : search->processIds) owned = owned || id == processId;
    if (!owned) return TRUE;
    if (search->options->hasTitle && windowText(window) != search->options->title) return TRUE;
    search->found = window;
    return FALSE;
}

HWND findDialog(const Options& options) {
    DialogSearch search{&options, processIdsOf(options.exeName)};
    if (search.processIds.empty()) return nullptr;
    EnumWindows(considerWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::vector<HWND> childrenInZOrder(HWND dialog) {
    std::vector<HWND> children;
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        children.push_back(child);
    }
    return children;
}

void printDialog(HWND dialog, const std::vector<HWND>& children) {
    printLine(L"title: " + escaped(windowText(dialog)));
    for (HWND child : children) {
        printLine(L"control: " + std::to_wstring(GetDlgCtrlID(child)) + L" " + className(child) +
                  L" " + escaped(windowText(child)));
    }
}

HWND findButton(const Options& options, const std::vector<HWND>& children) {
    for (HWND child : children) {
        if (!IsWindowEnabled(child)) continue;
        if (options.pressById && GetDlgCtrlID(child) == options.pressId) return child;
        if (options.pressByText) {
            const std::wstring text = windowText(child);
            if (text == options.pressText ||
                withoutMnemonics(text) == withoutMnemonics(options.pressText)) {
                return child;
            }
        }
    }
    return nullptr;
}

void printUsage() {
    std::fputs("usage: uiprobe wait --exe NAME [--timeout MS] [--title TEXT]"
               " [--press ID | --press-text TEXT]\n",
               stderr);
}

bool parseNumber(const wchar_t* text, long minimum, long maximum, long& value) {
    wchar_t* end = nullptr;
    value = std::wcstol(text, &end, 10);
    return end != text && *end == L'\0' && value >= minimum && value <= maximum;
}

bool parseOptions(int argc, wchar_t** argv, Options& options) {
    if (argc < 2 || std::wcscmp(argv[1], L"wait") != 0) return false;
    for (int i = 2; i < argc; ++i) {
        const std::wstring option = argv[i];
        if (i + 1 >= argc) return false;
        const wchar_t* value = argv[++i];
        long number = 0;
        if (option == L"--exe") {
            options.exeName = value;
        } else if (option == L"--timeout" && parseNumber(value, 0, 86400000L, number)) {
            options.timeoutMilliseconds = static_cast<DWORD>(number);
        } else if (option == L"--title") {
            options.hasTitle = true;
            options.title = value;
        } else if (option == L"--press" && parseNumber(value, -32768, 65535, number)) {
            options.pressById = true;
            options.pressId = static_cast<int>(number);
        } else if (option == L"--press-text") {
            options.pressByText = true;
            options.pressText = value;
        } else {
            return false;
        }
    }
    return !options.exeName.empty() && !(options.pressById && options.pressByText);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    // Binary mode: lines end in a bare line feed, and UTF-8 bytes pass unchanged.
    _setmode(_fileno(stdout), _O_BINARY);
    Options options;
    if (!parseOptions(argc, argv, options)) {
        printUsage();
        return kExitUsage;
    }

    const ULONGLONG deadline = GetTickCount64() + options.timeoutMilliseconds;
    HWND dialog = findDialog(options);
    while (dialog == nullptr) {
        if (GetTickCount64() >= deadline) {
            printLine(L"timeout");
            std::fflush(stdout);
            return kExitTimeout;
        }
        Sleep(kPollMilliseconds);
        dialog = findDialog(options);
    }

    const std::vector<HWND> children = childrenInZOrder(dialog);
    printDialog(dialog, children);
    std::fflush(stdout);
    if (!options.pressById && !options.pressByText) return kExitFound;

    HWND button = findButton(options, children);
    if (button == nullptr) {
        std::fputs("uiprobe: no such enabled button\n", stderr);
        return kExitNoButton;
    }
    // Posted, not sent: the handler may open a modal box of its own, which would block
    // a sent message until that box closes.
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
                 reinterpret_cast<LPARAM>(button));
    return kExitFound;
}
