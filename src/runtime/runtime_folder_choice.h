// What the missing-runtime dialog knows about the folder the user picked: the folder
// itself and the JVM library of the configured type found in it. OK is possible only
// while a library was found in the last folder picked.
#pragma once

#include <string>

#include "config/launch_settings.h"

namespace jl {

// The folder with the platform separator appended, unless it is empty or ends with one.
std::wstring folderWithSeparator(const std::wstring& folder);

class RuntimeFolderChoice {
public:
    explicit RuntimeFolderChoice(JvmType jvmType) : jvmType_(jvmType) {}

    // A folder picked in the browser, as the browser gave it. The folder must itself
    // hold the JVM library (no "jre" folder below it is tried, no version applies). An
    // empty path holds nothing: it is never probed against the current directory.
    void choose(const std::wstring& path);

    bool isValid() const { return !jvmLibraryPath_.empty(); }
    // The last folder picked, ending with the separator.
    const std::wstring& chosenFolder() const { return chosenFolder_; }
    // The library found in it; empty when it held none.
    const std::wstring& jvmLibraryPath() const { return jvmLibraryPath_; }

private:
    JvmType jvmType_;
    std::wstring chosenFolder_;
    std::wstring jvmLibraryPath_;
};

}  // namespace jl
