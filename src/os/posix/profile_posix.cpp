// Settings files on Linux: the portable reader over the file's bytes, and a writer that
// changes one value and leaves every other byte of the file as it was.
#include "os/os.h"

#include "os/ini_reader.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <ctime>
#include <unistd.h>

namespace jl::os {
namespace {

// Records the errno value as a Windows error code and reports failure.
bool failWith(int error) {
    uint32_t code;
    switch (error) {
        case ENOENT:
        case ENOTDIR: code = kErrorPathNotFound; break;
        case EACCES:
        case EPERM:
        case EROFS: code = kErrorAccessDenied; break;
        default: code = 0x20000000u | static_cast<uint32_t>(error); break;
    }
    setLastError(code);
    return false;
}

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() { close(); }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }
    // The result of close, which reports a failed delayed write.
    bool close() {
        if (fd_ < 0) return true;
        const int result = ::close(fd_);
        fd_ = -1;
        return result == 0;
    }

private:
    int fd_;
};

bool writeAll(int fd, const std::vector<uint8_t>& bytes) {
    size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        written += static_cast<size_t>(n);
    }
    return true;
}

// A new file is created in place. An existing one is replaced through a file beside it
// that takes its permissions, so that a failed write leaves the old file whole; the
// target of a symbolic link is replaced, not the link.
bool storeFile(const std::string& path, bool exists, const std::vector<uint8_t>& bytes) {
    if (!exists) {
        FileDescriptor file(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
        if (file.get() < 0) return failWith(errno);
        if (!writeAll(file.get(), bytes) || !file.close()) {
            const int error = errno;
            ::unlink(path.c_str());
            return failWith(error);
        }
        return true;
    }

    std::string target = path;
    if (char* resolved = ::realpath(path.c_str(), nullptr)) {
        target = resolved;
        std::free(resolved);
    }
    struct stat status;
    if (::stat(target.c_str(), &status) != 0) return failWith(errno);
    std::string temporary = target + ".XXXXXX";
    FileDescriptor file(::mkostemp(&temporary[0], O_CLOEXEC));
    if (file.get() < 0) return failWith(errno);
    const bool written = ::fchmod(file.get(), status.st_mode & 07777) == 0 &&
                         writeAll(file.get(), bytes) && ::fsync(file.get()) == 0;
    if (!written || !file.close() || ::rename(temporary.c_str(), target.c_str()) != 0) {
        const int error = errno;
        ::unlink(temporary.c_str());
        return failWith(error);
    }
    return true;
}

// The decoded text of the file read last. Start-up asks for some fifty values, most of
// them from one file; the file is read again only when it is another one or has changed
// since (the writer below replaces a file, which gives it a new inode).
class ProfileCache {
public:
    // False when the file cannot be read.
    bool text(const std::wstring& path, std::wstring& text) {
        std::lock_guard<std::mutex> guard(lock_);
        const std::string name = toUtf8(path);
        struct stat status;
        if (::stat(name.c_str(), &status) != 0) return false;
        if (!valid_ || name != name_ || !sameFile(status)) {
            std::vector<uint8_t> bytes;
            valid_ = false;
            if (readFile(path, bytes) != kErrorSuccess) return false;
            text_ = decodeProfileFile(bytes);
            name_ = name;
            // What stat said before the read: a change during the read shows next time.
            status_ = status;
            valid_ = bytes.size() == static_cast<size_t>(status.st_size) && !changedLately(status);
        }
        text = text_;
        return true;
    }
    void forget() {
        std::lock_guard<std::mutex> guard(lock_);
        valid_ = false;
    }

private:
    // File times are coarse: a file written again within the same tick, to the same
    // size, would look unchanged. One changed in the last few seconds is never kept.
    static bool changedLately(const struct stat& status) {
        const time_t now = ::time(nullptr);
        return now - status.st_mtim.tv_sec < 3 || now - status.st_ctim.tv_sec < 3;
    }
    bool sameFile(const struct stat& status) const {
        return status.st_dev == status_.st_dev && status.st_ino == status_.st_ino &&
               status.st_size == status_.st_size && status.st_mtim.tv_sec == status_.st_mtim.tv_sec &&
               status.st_mtim.tv_nsec == status_.st_mtim.tv_nsec && status.st_ctim.tv_sec == status_.st_ctim.tv_sec &&
               status.st_ctim.tv_nsec == status_.st_ctim.tv_nsec;
    }

    std::mutex lock_;
    bool valid_ = false;
    std::string name_;
    struct stat status_ {};
    std::wstring text_;
};

ProfileCache profileCache;

}  // namespace

std::wstring readProfileString(const std::wstring& section, const std::wstring& key,
                               const std::wstring& path, size_t bufferChars) {
    std::wstring text;
    if (!profileCache.text(path, text)) return {};
    return truncateProfileValue(lookupProfileString(text, section, key), bufferChars);
}

bool writeProfileString(const std::wstring& section, const std::wstring& key,
                        const std::wstring& value, const std::wstring& path) {
    if (!isStorableProfileEntry(section, key, value)) {
        setLastError(kErrorInvalidParameter);
        return false;
    }
    profileCache.forget();
    std::vector<uint8_t> bytes;
    const uint32_t error = readFile(path, bytes);
    if (error != kErrorSuccess && error != kErrorFileNotFound) return false;
    return storeFile(toUtf8(path), error == kErrorSuccess,
                     setProfileString(bytes, section, key, value));
}

}  // namespace jl::os
