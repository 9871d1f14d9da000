#include "support/files.h"

#include <vector>

#include "support/messages.h"

namespace jl {
namespace {

constexpr wchar_t kSeparator = os::kPathSeparator;

#ifdef _WIN32
constexpr wchar_t kAllFilesPattern[] = L"*.*";
bool isSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }
#else
constexpr wchar_t kAllFilesPattern[] = L"*";
bool isSeparator(wchar_t c) { return c == L'/'; }
#endif

}  // namespace

bool getModulePath(std::wstring& path) {
    std::wstring found;
    uint32_t error = 0;
    if (!os::modulePath(found, error)) {
        reportError(kMsgWindowsException, loadMessage(kMsgModulePathFailed), error);
        return false;
    }
    path = found;
    return true;
}

bool getModuleFolder(std::wstring& folder) {
    std::wstring path;
    if (!getModulePath(path)) return false;
    const size_t last = path.rfind(kSeparator);
    if (last != std::wstring::npos) folder = path.substr(0, last + 1);
    return true;
}

std::wstring findFileInFolder(const std::wstring& folder, const std::wstring& name) {
    if (folder.empty()) return std::wstring();
    std::wstring path = folder;
    // On Windows either slash ends a folder, so "C:\jre\bin/" gets nothing added.
    if (!isSeparator(path.back())) path += kSeparator;
    path += name;
    os::FindResult match;
    if (os::findFirstFile(path, match) != os::kErrorSuccess) return std::wstring();
    return path;
}

uint32_t getFileInfo(const std::wstring& path, FileInfo& info) {
    if (path.empty()) return os::kErrorInvalidParameter;
    // A relative path would depend on the current folder, which the launcher may change.
    if (!isAbsolutePath(path)) return os::kErrorPathNotFound;
    os::FindResult match;
    const uint32_t error = os::findFirstFile(path, match);
    if (error != os::kErrorSuccess) return error;
    info.lastWriteTime = match.lastWriteTime;
    info.sizeLow = static_cast<uint32_t>(match.size);
    return os::kErrorSuccess;
}

bool fileExists(const std::wstring& path) {
    FileInfo info;
    return getFileInfo(path, info) == os::kErrorSuccess;
}

uint32_t createParentFolders(const std::wstring& filePath) {
    if (fileExists(filePath)) return os::kErrorSuccess;
    std::wstring path = filePath;
#ifdef _WIN32
    // The runtime opens "logs/out.log" as logs\out.log; after the long-path prefix a
    // slash is part of a name.
    if (!hasLongPathPrefix(path)) {
        for (wchar_t& c : path) {
            if (c == L'/') c = kSeparator;
        }
    }
#endif
    const bool unc = isUncPath(path);
    // A relative path names folders below the current one, where the runtime opens the
    // file: its first component is a folder to create like any other, not a root.
    const bool relative = !path.empty() && !isAbsolutePath(path) && path[0] != kSeparator;
    const std::vector<std::wstring> components = splitPathComponents(path);
    const size_t first = relative ? 0 : 1;
    if (components.size() < first + 2) return os::kErrorSuccess;

    std::wstring folder = relative ? std::wstring() : components[0];
    uint32_t lastFailure = os::kErrorSuccess;
    for (size_t i = first; i + 1 < components.size(); ++i) {
        const std::wstring candidate = i == 0 ? components[0] : folder + kSeparator + components[i];
        const uint32_t error = os::createDirectory(candidate);
        if (error != os::kErrorSuccess) {
            lastFailure = error;
            if (error != os::kErrorAlreadyExists && !unc) {
                // The platform removes only empty folders, so a folder above that held
                // anything before this call survives.
                if (i > first) (void)removeFolder(folder);
                break;
            }
        }
        folder = candidate;
    }
    return lastFailure == os::kErrorAlreadyExists ? os::kErrorSuccess : lastFailure;
}

bool removeFolder(const std::wstring& folder) { return os::removeDirectory(withLongPathPrefix(folder)); }

bool FileFinder::search(const std::wstring& pattern) {
    close();
    const std::wstring target = withLongPathPrefix(pattern);
    if (target.size() >= kLongestPathLength) return false;

    os::FindResult match;
    const uint32_t error = os::findFirstFile(target, match);
    if (error != os::kErrorSuccess) {
        os::setLastError(error);
        return false;
    }
    std::wstring full;
    if (!os::fullPathName(target, full)) {
        os::setLastError(os::kErrorInvalidName);
        return false;
    }
    size_t last = full.size();
    while (last > 0 && !isSeparator(full[last - 1])) --last;
    root_ = last > 0 ? full.substr(0, last - 1) : full;
    match_ = match;
    found_ = true;
    return true;
}

bool FileFinder::search() { return search(kAllFilesPattern); }

void FileFinder::close() {
    match_ = os::FindResult();
    root_.clear();
    found_ = false;
}

PeImageCheck isX86Image(const std::wstring& path) {
    const os::MappedFile file(path);
    if (!file.isOpen()) return PeImageCheck();
    return checkPeImage(file.data(), file.size());
}

}  // namespace jl
