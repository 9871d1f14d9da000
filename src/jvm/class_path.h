// The class path of the virtual machine, built from the "Class Path" setting: entries
// separated by ";", relative ones found beside the executable, wildcards expanded
// through the file system.
#pragma once

#include <string>

namespace jl {

// A path or path list from the settings file in the platform's spelling. The settings
// file serves Windows and Linux alike and is written with "\" and ";"; on Linux these
// become "/" and ":". Windows keeps the text as it is.
std::wstring toPlatformPath(const std::wstring& path);
std::wstring toPlatformPathList(const std::wstring& list);

// Whether a class path entry, as written in the settings file, names an absolute path:
// on Windows a drive ("C:...") or a UNC name ("\\..."); on Linux one that starts with
// "/". An entry written with a leading backslash is relative to the executable.
bool isAbsoluteClassPathEntry(const std::wstring& entry);

// Appends every file that a relative or wildcard entry names to `classPath`, each as
// its full path followed by the list separator, in the order the directory search
// returns them. A relative entry is found in the executable's folder; nothing is added
// when nothing matches.
void resolveClassPathEntry(const std::wstring& entry, const std::wstring& executablePath, std::wstring& classPath);

// The whole class path text for a "Class Path" value: absolute entries without a
// wildcard as written, the others resolved; with `embeddedJar` the executable itself
// comes first. Environment references in each entry are expanded. Entries are separated
// by the platform's list separator, with none after the last one. An empty result means
// there is no class path.
std::wstring buildClassPath(const std::wstring& value, bool embeddedJar, const std::wstring& executablePath);

}  // namespace jl
