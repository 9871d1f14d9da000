// The narrow operating-system layer. Every call the launcher makes into the platform
// goes through these functions; win32/ implements them with the Win32 calls the
// launcher is specified against, posix/ with their nearest Linux equivalents.
// Nothing here knows about settings, runtimes or the JVM.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace jl::os {

// Error codes are Windows error codes on both platforms, so that messages and tests
// read the same everywhere.
enum : uint32_t {
    kErrorSuccess = 0,
    kErrorFileNotFound = 2,
    kErrorPathNotFound = 3,
    kErrorAccessDenied = 5,
    kErrorInvalidParameter = 87,
    kErrorInvalidName = 123,
    kErrorAlreadyExists = 183,
    kErrorBadExeFormat = 193,
};

#ifdef _WIN32
constexpr wchar_t kPathSeparator = L'\\';
constexpr wchar_t kListSeparator = L';';
#else
constexpr wchar_t kPathSeparator = L'/';
constexpr wchar_t kListSeparator = L':';
#endif

// The error of the last failed call on this thread (GetLastError, or errno mapped to a
// Windows code).
uint32_t lastError();
void setLastError(uint32_t code);

// --- process ---------------------------------------------------------------------
// The executable's full path, whatever its length. False (error in `error`) on failure.
bool modulePath(std::wstring& path, uint32_t& error);
// On Windows the raw command line (GetCommandLineW); the program name is its first part.
std::wstring commandLine();
// On Linux the arguments arrive split already (argv, without the program name);
// true there, false on Windows where the caller splits commandLine().
bool argumentVector(std::vector<std::wstring>& arguments);
#ifndef _WIN32
// The entry point hands over argv here before anything reads the arguments.
void storeArgumentVector(int argc, char** argv);
#endif
// Called once by the entry point: the thread locale and the main thread's message queue.
void initMainThread();

// --- environment -----------------------------------------------------------------
// False when the variable is not set.
bool getEnvironment(const std::wstring& name, std::wstring& value);
bool setEnvironment(const std::wstring& name, const std::wstring& value);
// %NAME% references replaced by the variable's value; unknown ones are kept as written.
std::wstring expandEnvironment(const std::wstring& text);

// --- files and folders -----------------------------------------------------------
struct FindResult {
    std::wstring name;        // name of the match, without folder
    bool isDirectory = false;
    uint64_t lastWriteTime = 0;  // 100 ns units since 1601 on both platforms
    uint64_t size = 0;
};
// First match of a pattern (wildcards allowed in the last component). Returns 0 and the
// match, or the error code.
uint32_t findFirstFile(const std::wstring& pattern, FindResult& match);
// Every match of a pattern, in the platform's order.
uint32_t findAllFiles(const std::wstring& pattern, std::vector<FindResult>& matches);
uint32_t createDirectory(const std::wstring& path);   // 0 on success
bool removeDirectory(const std::wstring& path);
bool fullPathName(const std::wstring& path, std::wstring& full);
// The whole file, or an error code.
uint32_t readFile(const std::wstring& path, std::vector<uint8_t>& bytes);

// A file mapped read-only; empty when opening or mapping failed.
class MappedFile {
public:
    MappedFile() = default;
    explicit MappedFile(const std::wstring& path);
    ~MappedFile();
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;
    bool isOpen() const { return data_ != nullptr; }
    const uint8_t* data() const { return data_; }
    size_t size() const { return size_; }
private:
    const uint8_t* data_ = nullptr;
    size_t size_ = 0;
    void* file_ = nullptr;
    void* mapping_ = nullptr;
};

// --- settings files --------------------------------------------------------------
// What GetPrivateProfileStringW returns with an empty default and a buffer of
// `bufferChars` characters: at most bufferChars - 1 characters of the value.
std::wstring readProfileString(const std::wstring& section, const std::wstring& key,
                               const std::wstring& path, size_t bufferChars);
bool writeProfileString(const std::wstring& section, const std::wstring& key,
                        const std::wstring& value, const std::wstring& path);

// --- resources -------------------------------------------------------------------
// A string of the launcher's message table in the language the platform picks; false
// when the id is missing.
bool loadString(unsigned id, std::wstring& text);
// Raw bytes of an embedded data resource (RCDATA on Windows); false when missing.
bool loadDataResource(unsigned id, std::vector<uint8_t>& bytes);

// --- user interface --------------------------------------------------------------
// A modal error box (MessageBoxW with MB_ICONERROR) owned by `owner`; on Linux the
// text goes to standard error. Returns the box's result.
int showErrorMessage(void* owner, const std::wstring& text);

// --- text ------------------------------------------------------------------------
std::string toUtf8(const std::wstring& text);
std::wstring fromUtf8(const std::string& text);

}  // namespace jl::os
