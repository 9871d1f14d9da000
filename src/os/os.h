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
    kErrorNoUnicodeTranslation = 1113,  // a character the code page has no mapping for
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

// Writes the whole file, replacing one that exists. 0 or the error code; a file that
// could not be written completely is removed again.
uint32_t writeNewFile(const std::wstring& path, const std::string& bytes);
// Renames a file over another one in the same folder, in one step: a reader sees the old
// file or the new one, never a part. False when the rename failed.
bool replaceFile(const std::wstring& from, const std::wstring& to);
// Removes a file, also one marked read-only.
bool removeFile(const std::wstring& path);

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

// --- processes and the current directory -----------------------------------------
bool setCurrentDirectory(const std::wstring& path);
// Starts `application` with this process's own command line (on Linux: its arguments),
// the inherited environment and current directory, and no inherited handles. With
// `wait`, waits for it and gives its exit code. False (error in `error`) when it could
// not be started.
[[nodiscard]] bool startProcessWithOwnCommandLine(const std::wstring& application, bool wait,
                                                  uint32_t& exitCode, uint32_t& error);

// Starts a program and leaves it running on its own: no window, standard streams on the
// null device, no handle or descriptor of this process inherited, not waited for.
// `arguments[0]` is the program. On Windows the command line is the arguments joined
// by spaces as they are given (the caller quotes them by the rules of the program
// started). False when it could not be started.
[[nodiscard]] bool startDetachedProcess(const std::vector<std::wstring>& arguments);

// --- installed runtimes: the registry (Windows), runtime folders (Linux) ----------
// Which view of the registry a key is opened in. Default is the one the platform gives
// this process (for a 32-bit process on 64-bit Windows the redirected Wow6432Node);
// the others pin the 32-bit or the 64-bit view whatever the process is.
enum class RegistryView { Default, Bits32, Bits64 };

#ifdef _WIN32
// A registry key opened for reading. Subkeys are opened in the view of their parent,
// so one search never mixes the two views.
class RegistryKey {
public:
    RegistryKey() = default;
    ~RegistryKey();
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;

    // HKEY_LOCAL_MACHINE\path in `view`; false when it does not exist or cannot be opened.
    [[nodiscard]] bool openLocalMachine(const std::wstring& path, RegistryView view);
    // HKEY_CURRENT_USER\path in `view` (per-user installs register there).
    [[nodiscard]] bool openCurrentUser(const std::wstring& path, RegistryView view);
    // A direct subkey of `parent`, in the parent's view.
    [[nodiscard]] bool openSubkey(const RegistryKey& parent, const std::wstring& name);
    void close();
    bool isOpen() const { return key_ != nullptr; }

    // RegEnumKeyExW at `index` with a name buffer of `bufferChars` characters: 0 and
    // the name, or the error (259 at the end, 234 for a name that does not fit).
    uint32_t subkeyName(uint32_t index, size_t bufferChars, std::wstring& name) const;
    // The value's data as UTF-16 text up to its first zero character or its end,
    // whatever the value's type. False when the value is missing or has no data.
    [[nodiscard]] bool readValueText(const std::wstring& valueName, std::wstring& text) const;

private:
    void* key_ = nullptr;
    RegistryView view_ = RegistryView::Default;
};
constexpr uint32_t kErrorMoreData = 234;
constexpr uint32_t kErrorNoMoreItems = 259;
#else
// The path with every symbolic link resolved and "." and ".." removed; false when it
// does not exist.
[[nodiscard]] bool canonicalPath(const std::wstring& path, std::wstring& canonical);
#endif

// --- libraries and the thread of the hosted runtime --------------------------------
enum : uint32_t { kErrorModNotFound = 126, kErrorProcNotFound = 127 };
// Loads a library for the rest of the process (it is never freed). Null on failure, the
// reason in lastError(); on Linux, as on Windows, kErrorModNotFound when there is no such
// file and kErrorBadExeFormat for one that cannot be loaded.
void* loadLibrary(const std::wstring& path);
// An exported entry point of a loaded library; null (kErrorProcNotFound) when missing.
void* libraryEntryPoint(void* library, const char* name);
// Makes `folder` the one extra folder searched for the dependencies of libraries loaded
// from now on, in place of the current directory (SetDllDirectoryW). Linux needs nothing:
// a library's dependencies are found through its own run path.
bool setLibrarySearchFolder(const std::wstring& folder);
// Runs body(context) on a new thread with a stack of `stackSize` bytes (0: the platform's
// default), waits for it to end and gives its result. False, having run nothing, when
// the thread cannot be started.
[[nodiscard]] bool runThreadWithStack(uint32_t stackSize, int (*body)(void*), void* context,
                                      int& result);
// Blocks the calling thread for good; the process ends some other way.
[[noreturn]] void sleepForever();

// --- memory, option text, local time and file identity (JVM options, redirection) ---
struct MemoryStatus {
    uint64_t totalPhysical = 0;     // bytes of physical memory
    uint64_t availableVirtual = 0;  // bytes of this process's address space still free
};
// GlobalMemoryStatus on the 32-bit build (which sees at most 4 GB), GlobalMemoryStatusEx
// on the 64-bit one; sysinfo and the address-space limit on Linux.
MemoryStatus memoryStatus();
// Text for the virtual machine's option strings: the thread's ANSI code page
// (CP_THREAD_ACP) on Windows, UTF-8 on Linux.
std::string toThreadAnsi(const std::wstring& text);
// Whether `length` characters of text come back unchanged from toThreadAnsi (always on
// Linux).
bool survivesThreadAnsi(const wchar_t* text, size_t length);
// The short (8.3) form of an existing path (GetShortPathNameW) in `buffer`, its length
// returned; a component without a short name keeps its long one. 0 when the path does
// not exist or its short form needs `capacity` characters or more, and on Linux.
size_t shortPathName(const wchar_t* path, wchar_t* buffer, size_t capacity);
// The fields of SYSTEMTIME; dayOfWeek 0 is Sunday.
struct LocalTime {
    uint16_t year = 0, month = 0, dayOfWeek = 0, day = 0;
    uint16_t hour = 0, minute = 0, second = 0, milliseconds = 0;
};
LocalTime localTime();
// The picture with its time pictures (h, hh, H, HH, m, mm, s, ss, t, tt) replaced for
// the user's locale and everything else copied (GetTimeFormatW, no flags); quoted text
// loses its quotes. formatDatePicture does the same for d, dd, ddd, dddd, M, MM, MMM,
// MMMM, y, yy, yyyy, g, gg (GetDateFormatW). Empty when the picture cannot be formatted.
std::wstring formatTimePicture(const std::wstring& picture, const LocalTime& time);
std::wstring formatDatePicture(const std::wstring& picture, const LocalTime& time);
// True when both paths name one existing file or folder, however they are written
// (same volume and file index; on Linux the same device and inode).
bool isSameFile(const std::wstring& first, const std::wstring& second);

// --- settings files that hold any text (remembering the runtime folder) ----------
// Creates a missing settings file, empty, in an encoding that holds any text, so that
// the first writeProfileString cannot choose one that loses characters: on Windows
// WritePrivateProfileStringW would create it in the ANSI code page, so it becomes
// UTF-16 LE with a byte-order mark. An existing file is left alone. On Linux the writer
// chooses a fitting encoding itself and nothing is done. False when the file is missing
// and could not be created.
bool prepareUnicodeProfileFile(const std::wstring& path);

// --- diagnostic trace ----------------------------------------------------------------
// Appends `bytes` to the end of the file at `path` in one write, creating the file when
// it is missing; other processes may append to the same file at the same time. False
// when the file cannot be opened or written.
bool appendToFile(const std::wstring& path, const std::string& bytes);
// Writes `bytes` to the process's standard error; false when it has none (a GUI
// program started without one) or the write fails.
bool writeStandardError(const std::string& bytes);
uint32_t currentProcessId();
// Removes a variable from this process's environment (and so from its children's).
bool removeEnvironment(const std::wstring& name);

}  // namespace jl::os
