#include "config/settings_paths.h"

#include "os/os.h"
#include "support/files.h"

namespace jl {

namespace {

size_t fileNameStart(const std::wstring& path) {
    size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? 0 : slash + 1;
}

}  // namespace

bool settingsFilePathFor(const std::wstring& executablePath, std::wstring& path) {
#ifdef _WIN32
    size_t dot = executablePath.rfind(L'.');
    if (dot == std::wstring::npos) return false;
    path = executablePath.substr(0, dot + 1) + L"ini";
#else
    if (executablePath.empty()) return false;
    size_t dot = executablePath.rfind(L'.');
    if (dot == std::wstring::npos || dot < fileNameStart(executablePath)) {
        path = executablePath + L".ini";
    } else {
        path = executablePath.substr(0, dot + 1) + L"ini";
    }
#endif
    return true;
}

bool settingsFilePath(std::wstring& path) {
    std::wstring executable;
    if (!getModulePath(executable)) return false;
    return settingsFilePathFor(executable, path);
}

bool pairedSettingsFilePath(const std::wstring& pairProduct, std::wstring& path) {
    return settingsFilePathFor(pairProduct, path);
}

std::wstring productFolderName(const std::wstring& productName) {
    static const wchar_t kForbidden[] = L"\\?\"|><:/*";
    std::wstring name;
    for (wchar_t c : productName) {
        if (std::wstring(kForbidden).find(c) == std::wstring::npos) name += c;
    }
    return name;
}

std::wstring userSettingsFilePath(const std::wstring& basePath, const std::wstring& productName,
                                  const std::wstring& productCode, bool createFolders) {
    std::wstring fileName = basePath.substr(fileNameStart(basePath));
    size_t dot = fileName.rfind(L'.');
    if (dot != std::wstring::npos) fileName.resize(dot);
    fileName += L".ini";

    std::wstring base;
    if (!os::getEnvironment(L"APPDATA", base)) {
#ifndef _WIN32
        if (!os::getEnvironment(L"XDG_CONFIG_HOME", base) || base.empty()) {
            std::wstring home;
            base = os::getEnvironment(L"HOME", home) ? home + L"/.config" : L"";
        }
#else
        base.clear();
#endif
    }
    const wchar_t sep = os::kPathSeparator;
    std::wstring productFolder = base + sep + productFolderName(productName);
    std::wstring codeFolder = productFolder + sep + productCode;
    if (createFolders) {
        (void)os::createDirectory(productFolder);
        (void)os::createDirectory(codeFolder);
    }
    return codeFolder + sep + fileName;
}

}  // namespace jl
