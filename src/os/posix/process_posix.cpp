#include <cerrno>
#include <fcntl.h>
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

bool startDetachedProcess(const std::vector<std::wstring>& arguments) {
    if (arguments.empty()) return false;
    std::vector<std::string> storage;
    for (const auto& argument : arguments) storage.push_back(toUtf8(argument));
    std::vector<char*> argv;
    for (auto& s : storage) argv.push_back(&s[0]);
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
    if (posix_spawn_file_actions_init(&actions) != 0) return false;
    if (posix_spawnattr_init(&attributes) != 0) {
        posix_spawn_file_actions_destroy(&actions);
        return false;
    }
    for (int fd = 0; fd < 3; ++fd) {
        (void)posix_spawn_file_actions_addopen(&actions, fd, "/dev/null", fd == 0 ? O_RDONLY : O_WRONLY, 0);
    }
    // Nothing this process holds open (a single-instance socket, the application's
    // files) may outlive it in the child.
    (void)posix_spawn_file_actions_addclosefrom_np(&actions, 3);
    // A session of its own: the terminal's signals meant for the application do not
    // reach it.
    (void)posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);
    pid_t pid = 0;
    const int rc = ::posix_spawn(&pid, storage[0].c_str(), &actions, &attributes, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    if (rc != 0) {
        errno = rc;
        setLastError(rc == ENOENT ? kErrorFileNotFound : kErrorAccessDenied);
        return false;
    }
    return true;
}

}  // namespace jl::os
