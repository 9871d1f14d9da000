// Option strings for the virtual machine, which reads them in the ANSI code page.
#include "os/os.h"

#include <windows.h>

#include <memory>

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

bool shortPathName(const std::wstring& path, std::wstring& shortPath) {
    const DWORD needed = GetShortPathNameW(path.c_str(), nullptr, 0);
    if (needed == 0) return false;
    const std::unique_ptr<wchar_t[]> buffer(new wchar_t[needed]);
    const DWORD written = GetShortPathNameW(path.c_str(), buffer.get(), needed);
    if (written == 0 || written >= needed) return false;
    shortPath.assign(buffer.get(), written);
    return true;
}

}  // namespace jl::os
