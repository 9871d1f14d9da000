// Every value of the settings file, interpreted.
#pragma once

#include <string>
#include <vector>

#include "runtime/version_number.h"

namespace jl {

class SettingsStore;

enum class JvmType { Default = 0, Server = 1, FavorServer = 2 };

struct JvmSourceFlags {
    bool wantJdk = true;
    bool wantJre = true;
    bool searchBothKinds = true;
};

struct VmProviderFlags {
    bool acceptJRockit = false;
    bool favorJRockit = false;
    bool acceptSun = true;
    bool favorSun = true;
    bool acceptIbm = false;
    bool favorIbm = false;
};

struct LaunchSettings {
    // [Product Information], read from the settings file alone.
    std::wstring productCode;
    std::wstring upgradeCode;
    std::wstring productName;

    // Read by readLaunchSettings at start-up.
    VersionNumber minimumVersion;
    VersionNumber maximumVersion;
    bool isService = false;
    std::vector<std::wstring> preferredVersions;
    std::wstring jrePath;
    JvmType jvmType = JvmType::Default;
    JvmSourceFlags jvmSource;
    VmProviderFlags vmProvider;
    std::wstring mainClass;  // with "/" between package names
    bool failureCheck = false;
    bool overrideWorkingDir = false;
    std::wstring systemPath;
    std::wstring libraryPath;
    std::wstring pairProduct;
    bool pairReturnCode = false;
    bool singleInstance = false;

    // Read when the virtual machine's options are built.
    std::wstring classPath;
    bool embeddedJar = false;
    std::wstring vmParameters;
    std::wstring outputFile;  // environment references expanded
    bool outputAppend = false;
    std::wstring errorFile;
    bool errorAppend = false;
    std::wstring cmd;  // environment references expanded, not yet split
    bool classDataCache = false;  // keep a class-data cache for the product

    // Read when the splash is started, from the settings file alone.
    std::wstring splashImage;
    bool splashShadow = false;
    bool preferNativeSplash = false;
};

// Interpretation of single values, each by the rule of its key.
JvmType interpretJvmType(const std::wstring& value);
JvmSourceFlags interpretJvmSource(const std::wstring& value);
VmProviderFlags interpretVmProvider(const std::wstring& value);
std::wstring interpretMainClass(const std::wstring& value);
bool isYesIgnoringCase(const std::wstring& value);
// A relative path taken as relative to the executable's folder; absolute and rooted
// paths unchanged.
std::wstring resolveBesideExecutable(const std::wstring& path, const std::wstring& executablePath);

// The keys init needs, in their fixed order. False, silently, when the settings file
// path cannot be formed; false after message 210 when "Main Class" is empty.
[[nodiscard]] bool readLaunchSettings(LaunchSettings& settings);
// The same from a given store and file path (the part after the path is formed).
[[nodiscard]] bool readLaunchSettingsFrom(const std::wstring& settingsPath, const std::wstring& executablePath,
                                          LaunchSettings& settings);

// The keys of the virtual machine's options, read through the store when they are needed.
void readJvmOptionSettings(const SettingsStore& store, LaunchSettings& settings);

// The "Display" keys, plain reads of the settings file.
void readSplashSettings(const std::wstring& settingsPath, LaunchSettings& settings);

}  // namespace jl
