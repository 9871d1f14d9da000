// Option strings for the virtual machine, which reads them in the ANSI code page.
#include "os/os.h"

#include <windows.h>

namespace jl::os {

std::string toThreadAnsi(const std::wstring& text) {
    if (text.empty()) return {};
    const int length = static_cast<int>(text.size());
    const int n = WideCharToMultiByte(CP_THREAD_ACP, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    if (n <= 0) return {};
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_THREAD_ACP, 0, text.data(), length, &out[0], n, nullptr, nullptr);
    return out;
}

bool survivesThreadAnsi(const wchar_t* text, size_t length) {
    if (length == 0) return true;
    BOOL usedDefault = FALSE;
    const int n = WideCharToMultiByte(CP_THREAD_ACP, WC_NO_BEST_FIT_CHARS, text, static_cast<int>(length), nullptr, 0,
                                      nullptr, &usedDefault);
    // Only the UTF code pages refuse the question, and they hold every character.
    return n == 0 || !usedDefault;
}

size_t shortPathName(const wchar_t* path, wchar_t* buffer, size_t capacity) {
    const DWORD written = GetShortPathNameW(path, buffer, static_cast<DWORD>(capacity));
    return written < capacity ? written : 0;
}

}  // namespace jl::os
