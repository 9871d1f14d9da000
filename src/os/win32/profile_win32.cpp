// Settings files on Windows: the profile functions themselves.
#include "os/os.h"

#include "os/ini_reader.h"

#include <windows.h>

namespace jl::os {

std::wstring readProfileString(const std::wstring& section, const std::wstring& key,
                               const std::wstring& path, size_t bufferChars) {
    if (bufferChars == 0) return {};
    // A larger request could not be allocated anyway; the caller doubles from 256.
    const DWORD size = bufferChars < 0x40000000u ? static_cast<DWORD>(bufferChars) : 0x40000000u;
    // One spare element in front of the buffer: for a value of two quotes and a buffer of
    // one character, Wine writes the terminating null one element before the buffer.
    std::vector<wchar_t> storage(size + 1, L'\0');
    wchar_t* buffer = storage.data() + 1;
    const DWORD length =
        GetPrivateProfileStringW(section.c_str(), key.c_str(), L"", buffer, size, path.c_str());
    return std::wstring(buffer, length < size ? length : size - 1);
}

bool writeProfileString(const std::wstring& section, const std::wstring& key,
                        const std::wstring& value, const std::wstring& path) {
    // The profile functions write a line break in a value as it is, which would add
    // lines (and sections) of the caller's making to the file.
    if (!isStorableProfileEntry(section, key, value)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    return WritePrivateProfileStringW(section.c_str(), key.c_str(), value.c_str(), path.c_str()) != FALSE;
}

}  // namespace jl::os
