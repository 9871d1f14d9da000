// uiprobe: looks at the windows of another process the way a user sees them, for the
// end-to-end tests.
//
//   uiprobe wait --exe NAME [--timeout MS] [--press ID]   its dialog or message box
//   uiprobe splash --exe NAME [--timeout MS]              its splash window
//   uiprobe absent --exe NAME [--timeout MS]              no splash window for that long
//   uiprobe owner --exe NAME [--timeout MS]               the owner of its dialog
//
// NAME is the executable's file name (case-insensitive). "wait" waits for a visible
// top-level window of class "#32770" (message boxes have it too) and prints, UTF-8, one
// item per line, "title: <text>" and "control: <id> <class> <text>" for each child in Z
// order (backslash, line feed, carriage return and tab written as \\, \n, \r, \t); --press
// then posts the click of the enabled control with that id. "splash" prints "splash:
// <left> <top> <right> <bottom>" of a visible "SplashScreenWindow"; "absent" prints it and
// fails if one shows up within the time (default 1000 ms); "owner" prints "owner: <class
// of the owner>" or "owner: none".
//
// Exit codes: 0 found (and pressed), 1 usage error, 2 timeout, 3 no such enabled button,
// or a splash window that should be absent.
#include <windows.h>
#include <tlhelp32.h>
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {

void printLine(const std::wstring& line) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(size > 0 ? size : 0), '\0');
    WideCharToMultiByte(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), bytes.data(), size, nullptr, nullptr);
    std::fwrite(bytes.data(), 1, bytes.size(), stdout);
    std::fputc('\n', stdout);
}

std::wstring escaped(const std::wstring& text) {
    std::wstring out;
    for (wchar_t c : text) {
        const wchar_t* replacement = c == L'\\' ? L"\\\\" : c == L'\n' ? L"\\n" : c == L'\r' ? L"\\r" : c == L'\t' ? L"\\t" : nullptr;
        if (replacement) out += replacement; else out += c;
    }
    return out;
}

std::wstring className(HWND window) {
    wchar_t name[256] = L"";
    const int length = GetClassNameW(window, name, 256);
    return std::wstring(name, length > 0 ? static_cast<size_t>(length) : 0);
}

// WM_GETTEXT is marshalled across processes, so edit controls give their current text;
// GetWindowTextW would only see the creation text of another process's controls.
std::wstring windowText(HWND window) {
    DWORD_PTR length = 0, copied = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &length)) return L"";
    std::vector<wchar_t> buffer(length + 1, L'\0');
    if (!SendMessageTimeoutW(window, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()),
                             SMTO_ABORTIFHUNG, 2000, &copied)) {
        return L"";
    }
    return std::wstring(buffer.data(), copied < length ? copied : length);
}

struct Search {
    std::vector<DWORD> processIds;
    const wchar_t* wantedClass;
    HWND found = nullptr;
};

BOOL CALLBACK consider(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<Search*>(context);
    if (!IsWindowVisible(window) || className(window) != search->wantedClass) return TRUE;
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    for (DWORD id : search->processIds) {
        if (id == processId) search->found = window;
    }
    return search->found == nullptr;
}

// A visible top-level window of the class, of a process running the executable.
HWND findWindowOf(const std::wstring& exeName, const wchar_t* wantedClass) {
    Search search{{}, wantedClass};
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
        const wchar_t* name = entry.szExeFile;  // some systems give a full path
        for (const wchar_t* p = entry.szExeFile; *p; ++p) name = *p == L'\\' || *p == L'/' ? p + 1 : name;
        if (_wcsicmp(name, exeName.c_str()) == 0) search.processIds.push_back(entry.th32ProcessID);
    }
    CloseHandle(snapshot);
    if (!search.processIds.empty()) EnumWindows(consider, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND waitForWindow(const std::wstring& exeName, const wchar_t* wantedClass, DWORD milliseconds) {
    const ULONGLONG end = GetTickCount64() + milliseconds;
    HWND window = findWindowOf(exeName, wantedClass);
    for (; !window && GetTickCount64() < end; window = findWindowOf(exeName, wantedClass)) Sleep(50);
    return window;
}

void printRect(HWND window) {
    RECT box{};
    GetWindowRect(window, &box);
    std::printf("splash: %ld %ld %ld %ld\n", box.left, box.top, box.right, box.bottom);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    // Binary mode: lines end in a bare line feed, and UTF-8 bytes pass unchanged.
    _setmode(_fileno(stdout), _O_BINARY);
    const std::wstring command = argc > 1 ? argv[1] : L"";
    std::wstring exeName;
    DWORD milliseconds = command == L"absent" ? 1000 : 15000;
    int pressId = 0;
    bool press = false;
    for (int i = 2; i + 1 < argc; i += 2) {
        const std::wstring option = argv[i];
        if (option == L"--exe") exeName = argv[i + 1];
        else if (option == L"--timeout" || option == L"--for") milliseconds = std::wcstoul(argv[i + 1], nullptr, 10);
        else if (option == L"--press") press = true, pressId = static_cast<int>(std::wcstol(argv[i + 1], nullptr, 10));
        else exeName.clear(), i = argc;
    }
    const bool dialogCommand = command == L"wait" || command == L"owner";
    if (exeName.empty() || argc % 2 != 0 || !(dialogCommand || command == L"splash" || command == L"absent")) {
        std::fputs("usage: uiprobe wait|splash|absent|owner --exe NAME [--timeout MS] [--press ID]\n", stderr);
        return 1;
    }
    HWND window = waitForWindow(exeName, dialogCommand ? L"#32770" : L"SplashScreenWindow", milliseconds);
    if (command == L"absent") {
        if (window) printRect(window);
        return window ? 3 : 0;
    }
    if (!window) {
        printLine(L"timeout");
        return 2;
    }
    if (command == L"splash") {
        printRect(window);
    } else if (command == L"owner") {
        HWND owner = GetWindow(window, GW_OWNER);
        printLine(L"owner: " + (owner ? className(owner) : L"none"));
    } else {
        printLine(L"title: " + escaped(windowText(window)));
        HWND button = nullptr;
        for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            printLine(L"control: " + std::to_wstring(GetDlgCtrlID(child)) + L" " + className(child) + L" " +
                      escaped(windowText(child)));
            if (press && GetDlgCtrlID(child) == pressId && IsWindowEnabled(child)) button = child;
        }
        std::fflush(stdout);
        if (press && !button) {
            std::fputs("uiprobe: no such enabled button\n", stderr);
            return 3;
        }
        // Posted, not sent: the handler may open a modal box of its own, which would
        // block a sent message until that box closes.
        if (button) PostMessageW(window, WM_COMMAND, MAKEWPARAM(pressId, BN_CLICKED), reinterpret_cast<LPARAM>(button));
    }
    return 0;
}
