#include <cerrno>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "os/os.h"

extern char** environ;

namespace jl::os {

bool setCurrentDirectory(const std::wstring& path) { return ::chdir(toUtf8(path).c_str()) == 0; }

bool startProcessWithOwnCommandLine(const std::wstring& application, bool wait, uint32_t& exitCode,
                                    uint32_t& error) {
    std::vector<std::wstring> arguments;
    (void)argumentVector(arguments);
    std::vector<std::string> storage;
    storage.push_back(toUtf8(application));
    for (const auto& argument : arguments) storage.push_back(toUtf8(argument));
    std::vector<char*> argv;
    for (auto& s : storage) argv.push_back(&s[0]);
    argv.push_back(nullptr);

    pid_t pid = 0;
    int rc = ::posix_spawn(&pid, storage[0].c_str(), nullptr, nullptr, argv.data(), environ);
    if (rc != 0) {
        errno = rc;
        error = rc == ENOENT ? kErrorFileNotFound : (rc == EACCES ? kErrorAccessDenied : kErrorBadExeFormat);
        setLastError(error);
        return false;
    }
    exitCode = 0;
    if (wait) {
        int status = 0;
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
        if (WIFEXITED(status)) exitCode = static_cast<uint32_t>(static_cast<int8_t>(WEXITSTATUS(status)));
        else if (WIFSIGNALED(status)) exitCode = 128u + static_cast<uint32_t>(WTERMSIG(status));
    }
    return true;
}

}  // namespace jl::os
