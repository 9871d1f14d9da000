// Windows implementation of the OS layer.
#include "os/os.h"

#include <windows.h>

#include "os/win32/unique_handle.h"

namespace jl::os {

namespace {

uint64_t toFileTime(const FILETIME& ft) {
    return (static_cast<uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
}

void fillFindResult(const WIN32_FIND_DATAW& data, FindResult& match) {
    match.name = data.cFileName;
    match.isDirectory = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    match.lastWriteTime = toFileTime(data.ftLastWriteTime);
    match.size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

}  // namespace

uint32_t lastError() { return GetLastError(); }
void setLastError(uint32_t code) { SetLastError(code); }

// --- text ------------------------------------------------------------------------

std::string toUtf8(const std::wstring& text) {
    if (text.empty()) return {};
    int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], n, nullptr,
                        nullptr);
    return out;
}

std::wstring fromUtf8(const std::string& text) {
    if (text.empty()) return {};
    int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], n);
    return out;
}

// --- process ---------------------------------------------------------------------

bool modulePath(std::wstring& path, uint32_t& error) {
    // GetModuleFileNameW cuts a path that does not fit and returns the buffer size;
    // grow until the whole path fits.
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        DWORD n = GetModuleFileNameW(nullptr, &buffer[0], static_cast<DWORD>(buffer.size()));
        if (n == 0) {
            error = GetLastError();
            return false;
        }
        if (n < buffer.size()) {
            buffer.resize(n);
            path = buffer;
            return true;
        }
        if (buffer.size() >= 32768) {
            error = ERROR_INSUFFICIENT_BUFFER;
            return false;
        }
        buffer.resize(buffer.size() * 2);
    }
}

std::wstring commandLine() { return GetCommandLineW(); }

bool argumentVector(std::vector<std::wstring>&) { return false; }

void initMainThread() {
    SetThreadLocale(GetSystemDefaultLCID());
    // Gives the main thread its message queue before anything is posted to it.
    DefWindowProcW(nullptr, 0, 0, 0);
}

// --- environment -----------------------------------------------------------------

bool getEnvironment(const std::wstring& name, std::wstring& value) {
    DWORD size = 256;
    for (;;) {
        std::wstring buffer(size, L'\0');
        SetLastError(0);
        DWORD n = GetEnvironmentVariableW(name.c_str(), &buffer[0], size);
        if (n == 0) {
            if (GetLastError() == ERROR_ENVVAR_NOT_FOUND) return false;
            value.clear();
            return true;
        }
        if (n < size) {
            buffer.resize(n);
            value = buffer;
            return true;
        }
        size = n;
    }
}

bool setEnvironment(const std::wstring& name, const std::wstring& value) {
    return SetEnvironmentVariableW(name.c_str(), value.c_str()) != 0;
}

std::wstring expandEnvironment(const std::wstring& text) {
    DWORD size = static_cast<DWORD>(text.size()) + 256;
    for (;;) {
        std::wstring buffer(size, L'\0');
        DWORD n = ExpandEnvironmentStringsW(text.c_str(), &buffer[0], size);
        if (n == 0) return text;
        if (n <= size) {
            buffer.resize(n - 1);
            return buffer;
        }
        size = n;
    }
}

// --- files -----------------------------------------------------------------------

uint32_t findFirstFile(const std::wstring& pattern, FindResult& match) {
    WIN32_FIND_DATAW data;
    UniqueFindHandle find(FindFirstFileW(pattern.c_str(), &data));
    if (!find) return GetLastError();
    fillFindResult(data, match);
    return ERROR_SUCCESS;
}

uint32_t findAllFiles(const std::wstring& pattern, std::vector<FindResult>& matches) {
    matches.clear();
    WIN32_FIND_DATAW data;
    UniqueFindHandle find(FindFirstFileW(pattern.c_str(), &data));
    if (!find) return GetLastError();
    do {
        FindResult match;
        fillFindResult(data, match);
        matches.push_back(match);
    } while (FindNextFileW(find.get(), &data));
    return ERROR_SUCCESS;
}

uint32_t createDirectory(const std::wstring& path) {
    return CreateDirectoryW(path.c_str(), nullptr) ? ERROR_SUCCESS : GetLastError();
}

bool removeDirectory(const std::wstring& path) { return RemoveDirectoryW(path.c_str()) != 0; }

bool fullPathName(const std::wstring& path, std::wstring& full) {
    DWORD needed = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (needed == 0) return false;
    std::wstring buffer(needed, L'\0');
    DWORD n = GetFullPathNameW(path.c_str(), needed, &buffer[0], nullptr);
    if (n == 0 || n >= needed) return false;
    buffer.resize(n);
    full = buffer;
    return true;
}

uint32_t readFile(const std::wstring& path, std::vector<uint8_t>& bytes) {
    bytes.clear();
    UniqueKernelHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return GetLastError();
    uint8_t chunk[65536];
    for (;;) {
        DWORD n = 0;
        if (!ReadFile(file.get(), chunk, sizeof chunk, &n, nullptr)) return GetLastError();
        if (n == 0) break;
        bytes.insert(bytes.end(), chunk, chunk + n);
    }
    return ERROR_SUCCESS;
}

MappedFile::MappedFile(const std::wstring& path) {
    UniqueKernelHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return;
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file.get(), &size) || size.QuadPart == 0 ||
        static_cast<uint64_t>(size.QuadPart) > SIZE_MAX) {
        return;
    }
    UniqueKernelHandle mapping(CreateFileMappingW(file.get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
    if (!mapping) return;
    UniqueMappedView view(MapViewOfFile(mapping.get(), FILE_MAP_READ, 0, 0, 0));
    if (!view) return;
    data_ = static_cast<const uint8_t*>(view.release());
    size_ = static_cast<size_t>(size.QuadPart);
    mapping_ = mapping.release();
    file_ = file.release();
}

MappedFile::~MappedFile() {
    // View, mapping, file: in that order.
    UniqueMappedView view(data_);
    view.reset();
    UniqueKernelHandle mapping(mapping_);
    mapping.reset();
    UniqueKernelHandle file(file_);
}

// --- user interface --------------------------------------------------------------

int showErrorMessage(void* owner, const std::wstring& text) {
    return MessageBoxW(static_cast<HWND>(owner), text.c_str(), nullptr, MB_ICONERROR);
}

uint32_t writeNewFile(const std::wstring& path, const std::string& bytes) {
    UniqueKernelHandle file(
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return GetLastError();
    DWORD written = 0;
    if (!WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
        written != bytes.size()) {
        const DWORD error = GetLastError() != ERROR_SUCCESS ? GetLastError() : ERROR_DISK_FULL;
        file.reset();
        DeleteFileW(path.c_str());
        SetLastError(error);
        return error;
    }
    return ERROR_SUCCESS;
}

bool replaceFile(const std::wstring& from, const std::wstring& to) {
    return MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}

bool removeFile(const std::wstring& path) {
    // Archives may be written read-only; this process made them and may remove them.
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
        SetFileAttributesW(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
    }
    return DeleteFileW(path.c_str()) != 0;
}

}  // namespace jl::os
