#include "runtime/runtime_folder_choice.h"

#include "os/os.h"
#include "runtime/runtime_search.h"

namespace jl {

std::wstring folderWithSeparator(const std::wstring& folder) {
    if (folder.empty() || folder.back() == os::kPathSeparator) return folder;
    return folder + os::kPathSeparator;
}

void RuntimeFolderChoice::choose(const std::wstring& path) {
    chosenFolder_ = folderWithSeparator(path);
    jvmLibraryPath_.clear();
    if (chosenFolder_.empty()) return;
    bool isServer = false;
    jvmLibraryPath_ = findJvmLibrary(chosenFolder_, jvmType_, isServer);
}

}  // namespace jl
