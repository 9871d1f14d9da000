#include "jvm/class_path.h"

#include <vector>

#include "os/os.h"
#include "support/paths.h"
#include "support/text.h"

namespace jl {

namespace {

constexpr wchar_t kSeparator = os::kPathSeparator;
constexpr wchar_t kListSeparator = os::kListSeparator;

bool isSeparator(wchar_t c) {
#ifdef _WIN32
    // Windows takes "/" in a path as well; a match must still be named with its folder.
    return c == L'\\' || c == L'/';
#else
    return c == L'/';
#endif
}

size_t lastSeparator(const std::wstring& path) {
    for (size_t i = path.size(); i > 0; --i) {
        if (isSeparator(path[i - 1])) return i - 1;
    }
    return std::wstring::npos;
}

// Spaces around an entry come from the layered store, which joins a "+" extension
// after a space; they are never part of a file name written in the settings file.
std::wstring trimSpaces(const std::wstring& text) {
    const size_t first = text.find_first_not_of(L' ');
    if (first == std::wstring::npos) return {};
    return text.substr(first, text.find_last_not_of(L' ') - first + 1);
}

}  // namespace

std::wstring toPlatformPath(const std::wstring& path) {
#ifdef _WIN32
    return path;
#else
    std::wstring result = path;
    for (wchar_t& c : result) {
        if (c == L'\\') c = L'/';
    }
    return result;
#endif
}

std::wstring toPlatformPathList(const std::wstring& list) {
#ifdef _WIN32
    return list;
#else
    std::wstring result = toPlatformPath(list);
    for (wchar_t& c : result) {
        if (c == L';') c = L':';
    }
    return result;
#endif
}

bool isAbsoluteClassPathEntry(const std::wstring& entry) {
#ifdef _WIN32
    return entry.size() >= 2 && (entry[1] == L':' || (entry[0] == L'\\' && entry[1] == L'\\'));
#else
    return !entry.empty() && entry[0] == L'/';
#endif
}

void resolveClassPathEntry(const std::wstring& entry, const std::wstring& executablePath, std::wstring& classPath) {
    const std::wstring platformEntry = toPlatformPath(entry);
    std::wstring searchPath;
    if (isAbsoluteClassPathEntry(entry)) {
        searchPath = platformEntry;
    } else {
        // The executable's folder and the entry are joined by exactly one separator:
        // "a.jar", "\a.jar" and ".\a.jar" all name the file beside the executable.
        const size_t cut = lastSeparator(executablePath);
        searchPath = cut == std::wstring::npos ? std::wstring() : executablePath.substr(0, cut);
        if (platformEntry.empty() || !isSeparator(platformEntry[0])) searchPath += kSeparator;
        searchPath += platformEntry;
    }
    const size_t cut = lastSeparator(searchPath);
    const std::wstring prefix = cut == std::wstring::npos ? std::wstring() : searchPath.substr(0, cut + 1);

    std::vector<os::FindResult> matches;
    if (os::findAllFiles(searchPath, matches) != os::kErrorSuccess) return;
    for (const os::FindResult& match : matches) {
        classPath += prefix;
        classPath += match.name;
        classPath += kListSeparator;
    }
}

std::wstring buildClassPath(const std::wstring& value, bool embeddedJar, const std::wstring& executablePath) {
    std::wstring classPath;
    if (embeddedJar && !executablePath.empty()) {
        classPath += executablePath;
        classPath += kListSeparator;
    }
    for (const std::wstring& piece : splitAtDelimiter(value, L";")) {
        const std::wstring entry = trimSpaces(os::expandEnvironment(piece));
        if (entry.empty()) continue;
        if (entry.find(L'*') != std::wstring::npos || !isAbsoluteClassPathEntry(entry)) {
            resolveClassPathEntry(entry, executablePath, classPath);
        } else {
            classPath += toPlatformPath(entry);
            classPath += kListSeparator;
        }
    }
    // A separator at the end adds an empty entry, which the virtual machine reads as
    // the current directory: classes planted beside a document would be loaded.
    if (!classPath.empty()) classPath.pop_back();
    return classPath;
}

}  // namespace jl
