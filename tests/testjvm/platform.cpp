#include "platform.h"

#include <cstdio>
#include <cstdlib>
#include <thread>

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#include <pthread.h>
#include <sys/syscall.h>
#include <unistd.h>
#endif

namespace testjvm {

#ifdef _WIN32

namespace {
std::wstring wide(const std::string& text) {
    if (text.empty()) return {};
    int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], n);
    return out;
}
std::string narrow(const std::wstring& text) {
    if (text.empty()) return {};
    int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], n, nullptr, nullptr);
    return out;
}
}  // namespace

std::string ownFolder() {
    HMODULE self = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&ownFolder), &self);
    wchar_t path[32768];
    DWORD n = GetModuleFileNameW(self, path, 32768);
    std::wstring text(path, n);
    return narrow(text.substr(0, text.find_last_of(L'\\') + 1));
}

bool environmentValue(const char* name, std::string& value) {
    // The environment block, not the C runtime's copy, so that a test that sets a
    // variable in its own process is seen.
    wchar_t buffer[32768];
    DWORD n = GetEnvironmentVariableW(wide(name).c_str(), buffer, 32768);
    if (n == 0 || n >= 32768) return false;
    value = narrow(std::wstring(buffer, n));
    return true;
}

void appendToFile(const std::string& path, const std::string& bytes) {
    if (FILE* f = _wfopen(wide(path).c_str(), L"ab")) {
        fwrite(bytes.data(), 1, bytes.size(), f);
        fclose(f);
    }
}

bool openForWriting(const std::string& path, bool append) {
    FILE* f = _wfopen(wide(path).c_str(), append ? L"ab" : L"wb");
    if (!f) return false;
    fclose(f);
    return true;
}

bool fileExists(const std::string& path) { return GetFileAttributesW(wide(path).c_str()) != INVALID_FILE_ATTRIBUTES; }

void writeStandardError(const std::string& bytes) {
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_ERROR_HANDLE), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

size_t currentStackSize() {
    // The stack is one reservation: add up the regions that belong to it.
    MEMORY_BASIC_INFORMATION info{};
    if (!VirtualQuery(&info, &info, sizeof info)) return 0;
    const char* base = static_cast<const char*>(info.AllocationBase);
    const char* at = base;
    size_t size = 0;
    while (VirtualQuery(at, &info, sizeof info) && info.AllocationBase == base) {
        size += info.RegionSize;
        at += info.RegionSize;
    }
    return size;
}

uint64_t currentThreadId() { return GetCurrentThreadId(); }

void sleepMilliseconds(int milliseconds) { Sleep(static_cast<DWORD>(milliseconds)); }

void endProcess(int code) { ExitProcess(static_cast<UINT>(code)); }

#else

std::string ownFolder() {
    Dl_info info{};
    if (!dladdr(reinterpret_cast<void*>(&ownFolder), &info) || !info.dli_fname) return {};
    std::string path = info.dli_fname;
    return path.substr(0, path.find_last_of('/') + 1);
}

bool environmentValue(const char* name, std::string& value) {
    const char* v = std::getenv(name);
    if (!v) return false;
    value = v;
    return true;
}

void appendToFile(const std::string& path, const std::string& bytes) {
    if (FILE* f = std::fopen(path.c_str(), "ab")) {
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }
}

bool openForWriting(const std::string& path, bool append) {
    FILE* f = std::fopen(path.c_str(), append ? "ab" : "wb");
    if (!f) return false;
    std::fclose(f);
    return true;
}

bool fileExists(const std::string& path) { return ::access(path.c_str(), F_OK) == 0; }

void writeStandardError(const std::string& bytes) {
    ssize_t ignored = ::write(2, bytes.data(), bytes.size());
    (void)ignored;
}

size_t currentStackSize() {
    pthread_attr_t attributes;
    size_t size = 0;
    if (pthread_getattr_np(pthread_self(), &attributes) == 0) {
        pthread_attr_getstacksize(&attributes, &size);
        pthread_attr_destroy(&attributes);
    }
    return size;
}

uint64_t currentThreadId() { return static_cast<uint64_t>(::syscall(SYS_gettid)); }

void sleepMilliseconds(int milliseconds) { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }

void endProcess(int code) {
    std::fflush(nullptr);
    ::_exit(code);
}

#endif

}  // namespace testjvm
