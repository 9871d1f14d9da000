// Data resources of the executable's own module (RCDATA).
#include "os/os.h"

#include <windows.h>

namespace jl::os {

bool loadDataResource(unsigned id, std::vector<uint8_t>& bytes) {
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC info = FindResourceW(module, MAKEINTRESOURCEW(id), RT_RCDATA);
    if (info == nullptr) return false;
    // A loaded resource lives as long as the module; there is nothing to free.
    HGLOBAL loaded = LoadResource(module, info);
    if (loaded == nullptr) return false;
    const void* data = LockResource(loaded);
    const DWORD size = SizeofResource(module, info);
    if (data == nullptr && size != 0) return false;
    const uint8_t* begin = static_cast<const uint8_t*>(data);
    bytes.assign(begin, begin + size);
    return true;
}

}  // namespace jl::os
