#include "tool_io.h"

#include "os/os.h"

#include <cstdio>
#include <cstdlib>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace jlpack {
namespace {

void write(FILE* stream, const std::wstring& text) {
#ifdef _WIN32
    HANDLE handle = GetStdHandle(stream == stderr ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
    DWORD mode = 0;
    if (handle != INVALID_HANDLE_VALUE && handle != nullptr && GetConsoleMode(handle, &mode)) {
        DWORD written = 0;
        WriteConsoleW(handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        return;
    }
#endif
    const std::string bytes = jl::os::toUtf8(text);
    std::fwrite(bytes.data(), 1, bytes.size(), stream);
    std::fflush(stream);
}

FILE* openFile(const std::wstring& path, const wchar_t* mode) {
#ifdef _WIN32
    return _wfopen(path.c_str(), mode);
#else
    return std::fopen(jl::os::toUtf8(path).c_str(), jl::os::toUtf8(mode).c_str());
#endif
}

std::wstring quoted(const std::wstring& path) {
#ifdef _WIN32
    return L"\"" + path + L"\"";
#else
    std::wstring q = L"'";
    for (wchar_t c : path) q += c == L'\'' ? std::wstring(L"'\\''") : std::wstring(1, c);
    return q + L"'";
#endif
}

void replaceAll(std::wstring& text, const std::wstring& from, const std::wstring& to) {
    for (size_t at = text.find(from); at != std::wstring::npos; at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
}

}  // namespace

void printOut(const std::wstring& text, bool toStandardError) { write(toStandardError ? stderr : stdout, text + L"\n"); }
void printError(const std::wstring& text) { write(stderr, L"jlpack: error: " + text + L"\n"); }
void printWarning(const std::wstring& text) { write(stderr, L"jlpack: warning: " + text + L"\n"); }

bool readWholeFile(const std::wstring& path, Bytes& bytes, std::wstring& error) {
    const uint32_t code = jl::os::readFile(path, bytes);
    if (code == 0) return true;
    error = L"cannot read " + path + (code == jl::os::kErrorFileNotFound || code == jl::os::kErrorPathNotFound
                                          ? std::wstring(L": no such file")
                                          : L" (error " + std::to_wstring(code) + L")");
    return false;
}

bool writeWholeFile(const std::wstring& path, const Bytes& bytes, bool executable, std::wstring& error) {
    const std::wstring temporary = path + L".jlpack-tmp";
    FILE* file = openFile(temporary, L"wb");
    bool written = file != nullptr && std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    if (file != nullptr) written = std::fclose(file) == 0 && written;
#ifdef _WIN32
    written = written && MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING);
#else
    const std::string target = jl::os::toUtf8(path);
    written = written && chmod(jl::os::toUtf8(temporary).c_str(), executable ? 0755 : 0644) == 0 &&
              std::rename(jl::os::toUtf8(temporary).c_str(), target.c_str()) == 0;
#endif
    if (!written) {
        removeFile(temporary);
        error = L"cannot write " + path;
    }
    return written;
}

void removeFile(const std::wstring& path) {
#ifdef _WIN32
    DeleteFileW(path.c_str());
#else
    unlink(jl::os::toUtf8(path).c_str());
#endif
}

bool sameFile(const std::wstring& a, const std::wstring& b) {
#ifdef _WIN32
    std::wstring fullA, fullB;
    return jl::os::fullPathName(a, fullA) && jl::os::fullPathName(b, fullB) &&
           CompareStringOrdinal(fullA.c_str(), -1, fullB.c_str(), -1, TRUE) == CSTR_EQUAL;
#else
    struct stat sa, sb;
    return stat(jl::os::toUtf8(a).c_str(), &sa) == 0 && stat(jl::os::toUtf8(b).c_str(), &sb) == 0 &&
           sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
#endif
}

bool runCommand(const std::wstring& command, const std::wstring& in, const std::wstring& out, std::wstring& error) {
    std::wstring line = command;
    replaceAll(line, L"{in}", quoted(in));
    replaceAll(line, L"{out}", quoted(out));
    std::fflush(nullptr);
#ifdef _WIN32
    const int status = _wsystem(line.c_str());
    const bool ok = status == 0;
    const int code = status;
#else
    const int status = std::system(jl::os::toUtf8(line).c_str());
    const bool ok = status != -1 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    const int code = status != -1 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
    if (!ok) error = L"the signing command failed (exit code " + std::to_wstring(code) + L"): " + line;
    return ok;
}

}  // namespace jlpack
