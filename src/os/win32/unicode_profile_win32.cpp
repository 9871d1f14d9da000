// A settings file created as UTF-16 before the profile functions first write to it.
#include "os/os.h"

#include "os/win32/unique_handle.h"

#include <windows.h>

namespace jl::os {

bool prepareUnicodeProfileFile(const std::wstring& path) {
    // CREATE_NEW leaves an existing file, whatever it holds, exactly as it is.
    UniqueKernelHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return GetLastError() == ERROR_FILE_EXISTS;
    // The profile functions keep writing a file in the encoding its mark names.
    static const BYTE kUtf16LeMark[] = {0xFF, 0xFE};
    DWORD written = 0;
    if (!WriteFile(file.get(), kUtf16LeMark, sizeof kUtf16LeMark, &written, nullptr) ||
        written != sizeof kUtf16LeMark) {
        // An empty file would be taken for ANSI text again: better none at all.
        file.reset();
        DeleteFileW(path.c_str());
        return false;
    }
    return true;
}

}  // namespace jl::os
