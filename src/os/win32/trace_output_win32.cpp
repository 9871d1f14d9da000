// Where the diagnostic trace goes: a file that several processes append to, or the
// standard error handle.
#include "os/os.h"

#include <windows.h>

#include "os/win32/unique_handle.h"

namespace jl::os {

namespace {

bool writeAll(HANDLE handle, const std::string& bytes) {
    DWORD written = 0;
    return WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) != 0 &&
           written == bytes.size();
}

}  // namespace

bool appendToFile(const std::wstring& path, const std::string& bytes) {
    // Append access only: every write lands at the end of the file as it is at that
    // moment, so the lines of a launcher and of its paired launcher never overwrite
    // each other.
    UniqueKernelHandle file(CreateFileW(path.c_str(), FILE_APPEND_DATA,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    return writeAll(file.get(), bytes);
}

bool writeStandardError(const std::string& bytes) {
    // Not owned: the handle belongs to the process.
    const HANDLE handle = GetStdHandle(STD_ERROR_HANDLE);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return false;
    return writeAll(handle, bytes);
}

uint32_t currentProcessId() { return GetCurrentProcessId(); }

bool removeEnvironment(const std::wstring& name) { return SetEnvironmentVariableW(name.c_str(), nullptr) != 0; }

}  // namespace jl::os
