// The message table on Windows: string resources of the executable, in the language
// the resource loader picks from the thread locale.
#include "os/os.h"

#include <windows.h>

namespace jl::os {

bool loadString(unsigned id, std::wstring& text) {
    // With a buffer size of 0 LoadStringW hands out a pointer into the resource itself
    // and the stored length, so a text of any length is taken whole and no buffer has
    // to be guessed. The stored text is not terminated.
    const wchar_t* stored = nullptr;
    const int length = LoadStringW(GetModuleHandleW(nullptr), id,
                                   reinterpret_cast<LPWSTR>(&stored), 0);
    if (length <= 0 || stored == nullptr) return false;
    text.assign(stored, static_cast<size_t>(length));
    return true;
}

}  // namespace jl::os
