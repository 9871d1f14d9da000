// What the search for installed runtimes needs of Linux beyond plain file access.
#include "os/os.h"

#include <cerrno>
#include <cstdlib>

namespace jl::os {

bool canonicalPath(const std::wstring& path, std::wstring& canonical) {
    char* resolved = ::realpath(toUtf8(path).c_str(), nullptr);
    if (resolved == nullptr) {
        setLastError(errno == ENOENT ? kErrorFileNotFound : kErrorPathNotFound);
        return false;
    }
    canonical = fromUtf8(resolved);
    std::free(resolved);
    return true;
}

}  // namespace jl::os
