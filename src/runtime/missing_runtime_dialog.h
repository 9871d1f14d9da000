// The last resort of the runtime search: the "JRE Not Found" dialog, which names the
// runtime that is needed, links to a download page and lets the user pick the folder
// of a runtime that is installed already.
#pragma once

#include <string>

#include "config/launch_settings.h"

namespace jl {

// Shows the dialog modally, owned by the thread's active window, with the composed
// message (206 or 207 with its version clause). OK: true, with the chosen folder (ending
// in the separator) and the JVM library the dialog found in it for `jvmType`. Cancel, or
// a dialog that could not be shown: false, outputs untouched. On Linux the message and
// the download address go to standard error and the result is false.
[[nodiscard]] bool showMissingRuntimeDialog(const std::wstring& message, JvmType jvmType,
                                            std::wstring& chosenFolder, std::wstring& jvmLibraryPath);

#ifdef _WIN32
// The shell's folder browser, as the dialog uses it: false when the user cancelled or
// the folder has no file-system path, otherwise that path. Tests put their own in
// place; null restores the shell's.
using FolderBrowser = bool (*)(void* owner, const std::wstring& title, std::wstring& path);
void setFolderBrowser(FolderBrowser browser);
#endif

}  // namespace jl
