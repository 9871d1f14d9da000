// Linux implementation of the OS layer: the nearest equivalents of the Win32 calls.
#include "os/os.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fnmatch.h>
#include <dirent.h>
#include <limits.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace jl::os {

namespace {

thread_local uint32_t tlsLastError = 0;

uint32_t mapErrno(int e) {
    switch (e) {
        case 0: return kErrorSuccess;
        case ENOENT: return kErrorFileNotFound;
        case ENOTDIR: return kErrorPathNotFound;
        case EACCES:
        case EPERM:
        case EROFS: return kErrorAccessDenied;
        case EEXIST: return kErrorAlreadyExists;
        case ENAMETOOLONG: return 206;   // ERROR_FILENAME_EXCED_RANGE
        case ENOMEM: return 8;           // ERROR_NOT_ENOUGH_MEMORY
        case ENOEXEC: return kErrorBadExeFormat;
        default: return 0x20000000u | static_cast<uint32_t>(e);  // customer bit: errno
    }
}

uint32_t failWithErrno() {
    tlsLastError = mapErrno(errno);
    return tlsLastError;
}

// Unix seconds to 100 ns intervals since 1601, so file times compare like on Windows.
uint64_t toFileTime(const struct timespec& ts) {
    constexpr uint64_t kEpochDelta = 11644473600ull;
    return (static_cast<uint64_t>(ts.tv_sec) + kEpochDelta) * 10000000ull +
           static_cast<uint64_t>(ts.tv_nsec) / 100;
}

std::vector<std::wstring>& storedArguments() {
    static std::vector<std::wstring> arguments;
    return arguments;
}

}  // namespace

uint32_t lastError() { return tlsLastError; }
void setLastError(uint32_t code) { tlsLastError = code; }

// --- text ------------------------------------------------------------------------

std::string toUtf8(const std::wstring& text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        uint32_t c = static_cast<uint32_t>(text[i]);
        // Text that came from UTF-16 may hold surrogate pairs; join them.
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size()) {
            uint32_t low = static_cast<uint32_t>(text[i + 1]);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                ++i;
            }
        }
        if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) c = 0xFFFD;
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::wstring fromUtf8(const std::string& text) {
    std::wstring out;
    out.reserve(text.size());
    size_t i = 0;
    const size_t n = text.size();
    while (i < n) {
        uint8_t b = static_cast<uint8_t>(text[i]);
        uint32_t c;
        size_t extra;
        if (b < 0x80) { c = b; extra = 0; }
        else if ((b & 0xE0) == 0xC0) { c = b & 0x1F; extra = 1; }
        else if ((b & 0xF0) == 0xE0) { c = b & 0x0F; extra = 2; }
        else if ((b & 0xF8) == 0xF0) { c = b & 0x07; extra = 3; }
        else { out += L'\xFFFD'; ++i; continue; }
        bool ok = true;
        for (size_t k = 1; k <= extra; ++k) {
            if (i + k >= n || (static_cast<uint8_t>(text[i + k]) & 0xC0) != 0x80) { ok = false; break; }
            c = (c << 6) | (static_cast<uint8_t>(text[i + k]) & 0x3F);
        }
        if (!ok) { out += L'\xFFFD'; ++i; continue; }
        static const uint32_t kMinimum[] = {0, 0x80, 0x800, 0x10000};
        if (c < kMinimum[extra] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) c = 0xFFFD;
        out += static_cast<wchar_t>(c);
        i += extra + 1;
    }
    return out;
}

// --- process ---------------------------------------------------------------------

bool modulePath(std::wstring& path, uint32_t& error) {
    std::string buffer(256, '\0');
    for (;;) {
        ssize_t n = readlink("/proc/self/exe", &buffer[0], buffer.size());
        if (n < 0) {
            error = failWithErrno();
            return false;
        }
        if (static_cast<size_t>(n) < buffer.size()) {
            buffer.resize(static_cast<size_t>(n));
            path = fromUtf8(buffer);
            return true;
        }
        buffer.resize(buffer.size() * 2);
    }
}

std::wstring commandLine() {
    std::wstring line;
    for (const auto& argument : storedArguments()) {
        if (!line.empty()) line += L' ';
        line += argument;
    }
    return line;
}

bool argumentVector(std::vector<std::wstring>& arguments) {
    arguments = storedArguments();
    return true;
}

void storeArgumentVector(int argc, char** argv) {
    auto& stored = storedArguments();
    stored.clear();
    for (int i = 1; i < argc; ++i) stored.push_back(fromUtf8(argv[i]));
}

void initMainThread() {}

// --- environment -----------------------------------------------------------------

bool getEnvironment(const std::wstring& name, std::wstring& value) {
    const char* v = std::getenv(toUtf8(name).c_str());
    if (!v) return false;
    value = fromUtf8(v);
    return true;
}

bool setEnvironment(const std::wstring& name, const std::wstring& value) {
    return ::setenv(toUtf8(name).c_str(), toUtf8(value).c_str(), 1) == 0;
}

std::wstring expandEnvironment(const std::wstring& text) {
    // The same %NAME% references the Windows build expands, so one settings file
    // serves both platforms.
    std::wstring out;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t open = text.find(L'%', pos);
        if (open == std::wstring::npos) break;
        size_t close = text.find(L'%', open + 1);
        if (close == std::wstring::npos) break;
        std::wstring value;
        std::wstring name = text.substr(open + 1, close - open - 1);
        if (!name.empty() && getEnvironment(name, value)) {
            out.append(text, pos, open - pos);
            out += value;
            pos = close + 1;
        } else {
            // Unknown names stay as written; the closing "%" may open the next one.
            out.append(text, pos, close - pos);
            pos = close;
        }
    }
    out.append(text, pos, std::wstring::npos);
    return out;
}

// --- files -----------------------------------------------------------------------

namespace {

bool fillFindResult(const std::string& path, const std::string& name, FindResult& match) {
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) return false;
    match.name = fromUtf8(name);
    match.isDirectory = S_ISDIR(st.st_mode);
    match.lastWriteTime = toFileTime(st.st_mtim);
    match.size = static_cast<uint64_t>(st.st_size);
    return true;
}

bool hasWildcard(const std::string& s) { return s.find_first_of("*?") != std::string::npos; }

}  // namespace

uint32_t findAllFiles(const std::wstring& pattern, std::vector<FindResult>& matches) {
    matches.clear();
    std::string p = toUtf8(pattern);
    if (p.empty()) return setLastError(kErrorPathNotFound), kErrorPathNotFound;
    size_t slash = p.rfind('/');
    std::string folder = slash == std::string::npos ? "." : (slash == 0 ? "/" : p.substr(0, slash));
    std::string leaf = slash == std::string::npos ? p : p.substr(slash + 1);
    if (!hasWildcard(leaf)) {
        FindResult match;
        if (leaf.empty() || !fillFindResult(p, leaf, match)) {
            uint32_t e = leaf.empty() ? kErrorFileNotFound : mapErrno(errno);
            setLastError(e);
            return e;
        }
        matches.push_back(match);
        return kErrorSuccess;
    }
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) {
        uint32_t e = errno == ENOENT ? kErrorPathNotFound : mapErrno(errno);
        setLastError(e);
        return e;
    }
    // "*.*" matches every name on Windows, with or without a dot.
    if (leaf == "*.*") leaf = "*";
    while (struct dirent* entry = ::readdir(dir)) {
        if (::fnmatch(leaf.c_str(), entry->d_name, 0) != 0) continue;
        FindResult match;
        if (fillFindResult(folder + "/" + entry->d_name, entry->d_name, match)) {
            matches.push_back(match);
        }
    }
    ::closedir(dir);
    if (matches.empty()) {
        setLastError(kErrorFileNotFound);
        return kErrorFileNotFound;
    }
    return kErrorSuccess;
}

uint32_t findFirstFile(const std::wstring& pattern, FindResult& match) {
    std::vector<FindResult> matches;
    uint32_t result = findAllFiles(pattern, matches);
    if (result == kErrorSuccess) match = matches.front();
    return result;
}

uint32_t createDirectory(const std::wstring& path) {
    if (::mkdir(toUtf8(path).c_str(), 0777) == 0) return setLastError(0), kErrorSuccess;
    uint32_t e = errno == ENOENT ? kErrorPathNotFound : mapErrno(errno);
    setLastError(e);
    return e;
}

bool removeDirectory(const std::wstring& path) {
    if (::rmdir(toUtf8(path).c_str()) == 0) return true;
    failWithErrno();
    return false;
}

bool fullPathName(const std::wstring& path, std::wstring& full) {
    if (path.empty()) {
        setLastError(kErrorInvalidParameter);
        return false;
    }
    if (path[0] == L'/') {
        full = path;
        return true;
    }
    char cwd[PATH_MAX];
    if (!::getcwd(cwd, sizeof cwd)) {
        failWithErrno();
        return false;
    }
    full = fromUtf8(cwd);
    if (full.empty() || full.back() != L'/') full += L'/';
    full += path;
    return true;
}

uint32_t readFile(const std::wstring& path, std::vector<uint8_t>& bytes) {
    bytes.clear();
    int fd = ::open(toUtf8(path).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return failWithErrno();
    struct stat st;
    if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
        ::close(fd);
        setLastError(kErrorAccessDenied);
        return kErrorAccessDenied;
    }
    uint8_t chunk[65536];
    for (;;) {
        ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n < 0) {
            if (errno == EINTR) continue;
            uint32_t e = failWithErrno();
            ::close(fd);
            return e;
        }
        if (n == 0) break;
        bytes.insert(bytes.end(), chunk, chunk + n);
    }
    ::close(fd);
    return kErrorSuccess;
}

MappedFile::MappedFile(const std::wstring& path) {
    int fd = ::open(toUtf8(path).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        failWithErrno();
        return;
    }
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size == 0) {
        ::close(fd);
        return;
    }
    void* view = ::mmap(nullptr, static_cast<size_t>(st.st_size), PROT_READ, MAP_PRIVATE, fd, 0);
    ::close(fd);
    if (view == MAP_FAILED) {
        failWithErrno();
        return;
    }
    data_ = static_cast<const uint8_t*>(view);
    size_ = static_cast<size_t>(st.st_size);
}

MappedFile::~MappedFile() {
    if (data_) ::munmap(const_cast<uint8_t*>(data_), size_);
}

// --- user interface --------------------------------------------------------------

int showErrorMessage(void* owner, const std::wstring& text) {
    std::string out = toUtf8(text);
    if (out.empty() || out.back() != '\n') out += '\n';
    std::fwrite(out.data(), 1, out.size(), stderr);
    std::fflush(stderr);
    return 1;  // IDOK: the user has been told
}

uint32_t writeNewFile(const std::wstring& path, const std::string& bytes) {
    int fd = ::open(toUtf8(path).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return failWithErrno();
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            uint32_t e = n < 0 ? failWithErrno() : (setLastError(112), 112u);  // ERROR_DISK_FULL
            ::close(fd);
            ::unlink(toUtf8(path).c_str());
            return e;
        }
        done += static_cast<size_t>(n);
    }
    if (::close(fd) != 0) {
        uint32_t e = failWithErrno();
        ::unlink(toUtf8(path).c_str());
        return e;
    }
    setLastError(0);
    return kErrorSuccess;
}

bool replaceFile(const std::wstring& from, const std::wstring& to) {
    if (::rename(toUtf8(from).c_str(), toUtf8(to).c_str()) == 0) return true;
    failWithErrno();
    return false;
}

bool removeFile(const std::wstring& path) {
    if (::unlink(toUtf8(path).c_str()) == 0) return true;
    failWithErrno();
    return false;
}

}  // namespace jl::os
