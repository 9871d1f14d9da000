// The two things jlpack does with an executable: make a product out of a launcher, and
// tell what an executable carries.
#pragma once

#include "command_line.h"

namespace jlpack {

// Exit code: 0 written, 1 refused (the message printed says why).
int pack(const Options& options);
int describe(const std::wstring& path);

// What the settings file beside `executable` is called (its name with the extension
// "ini"), as the launcher looks for it.
std::wstring settingsFileBeside(const std::wstring& executable);

}  // namespace jlpack
