// A dependency of one test JVM variant: records in the test JVM's log which copy of it
// the library search found.
#include <windows.h>

#include <cstdio>
#include <string>

extern "C" __declspec(dllexport) void markerLoaded() {}

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
    if (reason != DLL_PROCESS_ATTACH) return TRUE;
    wchar_t path[32768];
    DWORD n = GetModuleFileNameW(self, path, 32768);
    std::wstring file(path, n);
    wchar_t logPath[32768];
    DWORD m = GetEnvironmentVariableW(L"TESTJVM_LOG", logPath, 32768);
    std::wstring log = m > 0 && m < 32768 ? std::wstring(logPath, m) : file.substr(0, file.find_last_of(L'\\') + 1) + L"testjvm.log";
    std::string line = "marker loaded from ";
    int size = WideCharToMultiByte(CP_UTF8, 0, file.data(), static_cast<int>(file.size()), nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, file.data(), static_cast<int>(file.size()), &utf8[0], size, nullptr, nullptr);
    line += utf8 + "\n";
    if (FILE* f = _wfopen(log.c_str(), L"ab")) {
        fwrite(line.data(), 1, line.size(), f);
        fclose(f);
    }
    return TRUE;
}
