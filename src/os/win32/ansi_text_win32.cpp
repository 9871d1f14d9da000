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

}  // namespace jl::os
