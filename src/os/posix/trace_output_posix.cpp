// Where the diagnostic trace goes: a file that several processes append to, or
// standard error.
#include "os/os.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace jl::os {

namespace {

bool writeAll(int fd, const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

}  // namespace

bool appendToFile(const std::wstring& path, const std::string& bytes) {
    // O_APPEND: each write lands at the end of the file as it is at that moment.
    const int fd = ::open(toUtf8(path).c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) return false;
    const bool written = writeAll(fd, bytes);
    return ::close(fd) == 0 && written;
}

bool writeStandardError(const std::string& bytes) { return writeAll(STDERR_FILENO, bytes); }

uint32_t currentProcessId() { return static_cast<uint32_t>(::getpid()); }

bool removeEnvironment(const std::wstring& name) { return ::unsetenv(toUtf8(name).c_str()) == 0; }

}  // namespace jl::os
