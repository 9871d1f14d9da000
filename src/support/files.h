// File-system operations shared by the launcher's steps: its own location, probing for
// files, creating the folders of a log file, finding the first match of a pattern, and
// telling an x86 executable image from one for another machine. Nothing is cached; each
// call asks the file system again. Only getModulePath reports to the user.
#pragma once

#include <cstdint>
#include <string>

#include "os/os.h"
#include "support/paths.h"

namespace jl {

// The running executable's full path. On failure the error has been reported (messages
// 202 and 208 with the system error code), `path` is unchanged and the result is false.
[[nodiscard]] bool getModulePath(std::wstring& path);

// The executable's path up to and including its last separator. False only when
// getModulePath failed; a path without a separator leaves `folder` unchanged.
[[nodiscard]] bool getModuleFolder(std::wstring& folder);

// folder + separator + name when that file exists (the separator is left out when the
// folder already ends with one), otherwise the empty string. An empty folder gives the
// empty string without touching the file system.
std::wstring findFileInFolder(const std::wstring& folder, const std::wstring& name);

struct FileInfo {
    uint64_t lastWriteTime = 0;  // 100 ns units since 1601
    uint32_t sizeLow = 0;        // low 32 bits of the size
};

// 0 and the file's information, or a Windows error code: 87 for the empty path, 3 for
// any relative path (never looked up), otherwise what the search reports. A folder is
// found like a file.
[[nodiscard]] uint32_t getFileInfo(const std::wstring& path, FileInfo& info);
bool fileExists(const std::wstring& path);

// Creates every folder named in the path of a file, from the root down. 0 when each
// folder was created or already existed (or the file itself exists). Otherwise the walk
// stops at the folder that could not be created, removes the folder just above it if
// that is empty and not the first one below the root, and returns the error. On a UNC
// path the server and share cannot be created, so every failure is passed over and the
// last one is returned. A relative path's folders are created below the current folder,
// its first one included. On Windows "/" separates like "\" (except after "\\?\").
uint32_t createParentFolders(const std::wstring& filePath);

// Removes an empty folder; long paths get the long-path prefix.
bool removeFolder(const std::wstring& folder);

// The first match of a file pattern and the folder it lies in.
class FileFinder {
public:
    // True when something matches `pattern` ("*.*" when none is given). A previous search
    // is forgotten first.
    [[nodiscard]] bool search(const std::wstring& pattern);
    [[nodiscard]] bool search();
    void close();

    bool found() const { return found_; }
    const os::FindResult& match() const { return match_; }
    // The full path of the pattern up to (not including) its last separator.
    const std::wstring& root() const { return root_; }

private:
    os::FindResult match_;
    std::wstring root_;
    bool found_ = false;
};

// Whether the file is an executable image, and whether it is one for x86. Missing,
// unreadable and empty files are not valid images.
PeImageCheck isX86Image(const std::wstring& path);

}  // namespace jl
