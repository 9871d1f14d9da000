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

bool survivesThreadAnsi(const std::wstring& text) {
    // A round trip also catches best-fit replacements (a dotless i becomes "i"), and
    // holds for a UTF-8 code page, where the default-character query is not allowed.
    const std::string bytes = toThreadAnsi(text);
    if (bytes.empty()) return text.empty();
    const int length = static_cast<int>(bytes.size());
    const int n = MultiByteToWideChar(CP_THREAD_ACP, 0, bytes.data(), length, nullptr, 0);
    if (n <= 0) return false;
    std::wstring back(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_THREAD_ACP, 0, bytes.data(), length, &back[0], n);
    return back == text;
}

bool shortPathName(const std::wstring& path, std::wstring& shortPath) {
    const DWORD needed = GetShortPathNameW(path.c_str(), nullptr, 0);
    if (needed == 0) return false;
    std::wstring buffer(needed, L'\0');
    const DWORD written = GetShortPathNameW(path.c_str(), &buffer[0], needed);
    if (written == 0 || written >= needed) return false;
    buffer.resize(written);
    shortPath = buffer;
    return true;
}

}  // namespace jl::os
