// splashprobe: looks at the splash window of another process for the end-to-end tests.
//
//   splashprobe window --exe NAME [--timeout MS]   waits for its splash window
//   splashprobe absent --exe NAME [--for MS]       checks that none appears
//   splashprobe owner --exe NAME [--timeout MS]    waits for its dialog or message box
//
// "window" prints "splash: <left> <top> <right> <bottom>" for a visible window of the
// class "SplashScreenWindow" of a process whose executable is NAME (exit 0; 2 on
// timeout). "absent" watches for such a window for the given time (default 1000 ms):
// exit 0 when none showed up, 3 (after printing it) when one did. "owner" prints
// "owner: <class of the owner window>" or "owner: none" for the first visible dialog
// (class "#32770") of the process (exit 0; 2 on timeout).
#include <windows.h>
#include <tlhelp32.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {

std::vector<DWORD> processIdsOf(const std::wstring& exeName) {
    std::vector<DWORD> ids;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return ids;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
        const wchar_t* name = entry.szExeFile;
        for (const wchar_t* p = entry.szExeFile; *p; ++p) {
            if (*p == L'\\' || *p == L'/') name = p + 1;
        }
        if (_wcsicmp(name, exeName.c_str()) == 0) ids.push_back(entry.th32ProcessID);
    }
    CloseHandle(snapshot);
    return ids;
}

std::wstring className(HWND window) {
    wchar_t name[256] = L"";
    const int length = GetClassNameW(window, name, 256);
    return std::wstring(name, length > 0 ? static_cast<size_t>(length) : 0);
}

struct Search {
    std::vector<DWORD> processIds;
    std::wstring wantedClass;
    HWND found = nullptr;
};

BOOL CALLBACK consider(HWND window, LPARAM context) {
    Search* search = reinterpret_cast<Search*>(context);
    if (!IsWindowVisible(window) || className(window) != search->wantedClass) return TRUE;
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    for (DWORD id : search->processIds) {
        if (id == processId) {
            search->found = window;
            return FALSE;
        }
    }
    return TRUE;
}

HWND findWindowOf(const std::wstring& exeName, const wchar_t* wantedClass) {
    Search search{processIdsOf(exeName), wantedClass};
    if (search.processIds.empty()) return nullptr;
    EnumWindows(consider, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND waitForWindow(const std::wstring& exeName, const wchar_t* wantedClass, DWORD milliseconds) {
    const ULONGLONG end = GetTickCount64() + milliseconds;
    for (;;) {
        if (HWND window = findWindowOf(exeName, wantedClass)) return window;
        if (GetTickCount64() >= end) return nullptr;
        Sleep(50);
    }
}

void printRect(HWND window) {
    RECT box{};
    GetWindowRect(window, &box);
    std::printf("splash: %ld %ld %ld %ld\n", box.left, box.top, box.right, box.bottom);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    // Lines end in "\n" alone, as the scripts that read them expect.
    _setmode(_fileno(stdout), _O_BINARY);
    if (argc < 4 || std::wcscmp(argv[2], L"--exe") != 0) {
        std::fputs("usage: splashprobe window|absent|owner --exe NAME [--timeout MS | --for MS]\n", stderr);
        return 1;
    }
    const std::wstring command = argv[1];
    const std::wstring exeName = argv[3];
    const DWORD milliseconds = argc >= 6 ? static_cast<DWORD>(std::wcstoul(argv[5], nullptr, 10))
                                         : (command == L"absent" ? 1000 : 15000);
    if (command == L"window") {
        HWND splash = waitForWindow(exeName, L"SplashScreenWindow", milliseconds);
        if (!splash) return 2;
        printRect(splash);
        return 0;
    }
    if (command == L"absent") {
        HWND splash = waitForWindow(exeName, L"SplashScreenWindow", milliseconds);
        if (!splash) return 0;
        printRect(splash);
        return 3;
    }
    if (command == L"owner") {
        HWND dialog = waitForWindow(exeName, L"#32770", milliseconds);
        if (!dialog) return 2;
        HWND owner = GetWindow(dialog, GW_OWNER);
        std::printf("owner: %ls\n", owner ? className(owner).c_str() : L"none");
        return 0;
    }
    std::fputs("unknown command\n", stderr);
    return 1;
}
