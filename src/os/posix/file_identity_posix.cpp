// Whether two paths name the same file: by device and inode, so that relative parts
// and links do not matter.
#include "os/os.h"

#include <sys/stat.h>

namespace jl::os {

bool isSameFile(const std::wstring& first, const std::wstring& second) {
    struct stat a, b;
    if (::stat(toUtf8(first).c_str(), &a) != 0 || ::stat(toUtf8(second).c_str(), &b) != 0) return false;
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

}  // namespace jl::os
