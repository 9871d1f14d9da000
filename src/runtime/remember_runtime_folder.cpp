#include "runtime/remember_runtime_folder.h"

#include "config/settings_paths.h"
#include "os/os.h"
#include "support/files.h"

namespace jl {

namespace {

void writeJrePath(const std::wstring& settingsPath, const std::wstring& folder) {
    // A file that does not exist yet would be created in an encoding that may not hold
    // the folder's name; failures here and below leave the launch unaffected.
    (void)os::prepareUnicodeProfileFile(settingsPath);
    (void)os::writeProfileString(L"Java Runtime Environment", L"JRE Path", folder, settingsPath);
}

}  // namespace

void rememberRuntimeFolderFor(const LaunchSettings& settings, const std::wstring& executablePath,
                              const std::wstring& folder) {
    std::wstring settingsPath;
    if (!settingsFilePathFor(executablePath, settingsPath)) return;
    const bool paired = !settings.pairProduct.empty();
    if (settings.isService) {
        writeJrePath(settingsPath, folder);
        std::wstring pairedPath;
        if (paired && pairedSettingsFilePath(settings.pairProduct, pairedPath)) writeJrePath(pairedPath, folder);
        return;
    }
    writeJrePath(userSettingsFilePath(executablePath, settings.productName, settings.productCode, true), folder);
    if (paired) {
        writeJrePath(userSettingsFilePath(settings.pairProduct, settings.productName, settings.productCode, true),
                     folder);
    }
}

void rememberRuntimeFolder(const LaunchSettings& settings, const std::wstring& folder) {
    std::wstring executablePath;
    if (!getModulePath(executablePath)) return;
    rememberRuntimeFolderFor(settings, executablePath, folder);
}

}  // namespace jl
