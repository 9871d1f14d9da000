// A GUI program that starts and ends, linked against the same system libraries as the
// launcher: what any such Windows program costs under Wine before doing anything.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <shellapi.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    // One harmless call into each library keeps its import.
    int count = 0;
    LocalFree(CommandLineToArgvW(L"x", &count));
    CoTaskMemFree(nullptr);
    (void)GetSystemMetrics(SM_CXSCREEN);
    (void)GetStockObject(WHITE_BRUSH);
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Software", 0, KEY_READ, &key) == ERROR_SUCCESS) RegCloseKey(key);
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
    (void)InitCommonControlsEx(&controls);
    return 0;
}
