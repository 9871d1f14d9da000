// Path arithmetic without the file system: classifying, splitting and shortening paths,
// and recognising an x86 executable image in a block of bytes. The separator is the
// platform's (backslash on Windows, slash elsewhere); drive letters, UNC names and the
// "\\?\" long-path prefix exist only on Windows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace jl {

// Paths this long or longer need the long-path prefix on Windows (MAX_PATH).
constexpr size_t kLongPathLength = 260;
// No path the platform accepts is this long, prefix included.
constexpr size_t kLongestPathLength = 32767;

// The path with `count` trailing components removed. Only the platform separator counts;
// a trailing separator ends an empty component, and a path without any separator is
// left as it is.
std::wstring stripPathComponents(const std::wstring& path, int count);

// Windows: "C:\dir", "C:dir", "\\server\share" (not "\dir"). Elsewhere: starts with "/".
bool isAbsolutePath(const std::wstring& path);
// Starts with "\\?\" (always false outside Windows).
bool hasLongPathPrefix(const std::wstring& path);
// "\\server\share..." but not "\\?\..." (always false outside Windows).
bool isUncPath(const std::wstring& path);

// The path with "\\?\" in front when it is kLongPathLength characters or longer and does
// not carry the prefix yet; outside Windows, the path unchanged.
std::wstring withLongPathPrefix(const std::wstring& path);

// Components of a path, the first being its root: "C:\logs\out.txt" gives "C:", "logs",
// "out.txt"; "\\?\C:\a" gives "\\?\C:", "a"; "\\srv\share\a" gives "\\srv", "share", "a".
// A path that starts with the separator has the empty root ("/var/log" gives "", "var",
// "log"), so that root + separator + component names the folder below the root again.
// A relative path's first component is its root. Two separators in a row give an empty
// component; a trailing separator gives none.
std::vector<std::wstring> splitPathComponents(const std::wstring& path);

struct PeImageCheck {
    bool valid = false;  // "MZ", NT headers inside the data, "PE\0\0"
    bool x86 = false;    // machine IMAGE_FILE_MACHINE_I386
};

// Reads the DOS header's e_lfanew and the NT headers it points to. Never reads outside
// [data, data + size): headers that do not lie wholly inside the data are not valid.
PeImageCheck checkPeImage(const uint8_t* data, size_t size);

}  // namespace jl
