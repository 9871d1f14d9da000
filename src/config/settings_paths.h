// Where the launcher's settings files are: beside the executable, per user, and beside
// the paired launcher.
#pragma once

#include <string>

namespace jl {

// The settings file for an executable path: everything after the last "." replaced by
// "ini". On Linux, where executables carry no extension, only the file name is looked
// at and a name without "." gets ".ini" appended. False when no path can be formed.
[[nodiscard]] bool settingsFilePathFor(const std::wstring& executablePath, std::wstring& path);

// The settings file beside this executable; false (after the module path failure has
// been reported) or when no path can be formed.
[[nodiscard]] bool settingsFilePath(std::wstring& path);

// The settings file of the paired launcher named by "Pair Product".
[[nodiscard]] bool pairedSettingsFilePath(const std::wstring& pairProduct, std::wstring& path);

// "Product Name" without the characters that cannot stand in a folder name.
std::wstring productFolderName(const std::wstring& productName);

// The per-user settings file of an executable: <APPDATA>\<product folder>\<product
// code>\<executable name>.ini. With createFolders the two folders are created first.
std::wstring userSettingsFilePath(const std::wstring& basePath, const std::wstring& productName,
                                  const std::wstring& productCode, bool createFolders);

}  // namespace jl
