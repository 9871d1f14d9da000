// Option strings for the virtual machine, which reads them as UTF-8 on Linux.
#include "os/os.h"

namespace jl::os {

std::string toThreadAnsi(const std::wstring& text) { return toUtf8(text); }

bool survivesThreadAnsi(const wchar_t*, size_t) { return true; }

size_t shortPathName(const wchar_t*, wchar_t*, size_t) { return 0; }

}  // namespace jl::os
