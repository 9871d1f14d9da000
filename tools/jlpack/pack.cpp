// Making the product executable. Every input is read and checked before anything is
// written, so a refusal leaves no output behind; the launcher itself is only read.
#include "appended_jar.h"
#include "embedded_layer.h"
#include "icon_resource.h"
#include "pe_image.h"
#include "product.h"
#include "resource_tree.h"
#include "signing.h"
#include "tool_io.h"
#include "version_resource.h"

#include "config/embedded_cipher.h"
#include "config/embedded_settings.h"
#include "config/settings_paths.h"
#include "os/os.h"

#include <algorithm>

namespace jlpack {
namespace {

constexpr uint16_t kTypeDialog = 5;
constexpr uint16_t kMissingRuntimeDialog = 201;
constexpr uint16_t kExceptionDialog = 231;

bool isElf(const Bytes& b) { return b.size() >= 4 && b[0] == 0x7F && b[1] == 'E' && b[2] == 'L' && b[3] == 'F'; }

std::u16string u16(const std::wstring& text) {
    const Bytes bytes = jl::toUtf16LeBytes(text);
    std::u16string out;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) out.push_back(static_cast<char16_t>(get16(bytes.data() + i)));
    return out;
}

// The value the launcher itself reads: the "Upgrade Code" of [Product Information].
std::wstring upgradeCodeOf(const std::wstring& settingsPath) {
    std::wstring full = settingsPath;
    if (!jl::os::fullPathName(settingsPath, full)) full = settingsPath;
    for (size_t buffer = 256;; buffer *= 2) {
        std::wstring value = jl::os::readProfileString(L"Product Information", L"Upgrade Code", full, buffer);
        if (value.size() != buffer - 1) return value;
    }
}

// Everything the options ask for, read and checked.
struct Inputs {
    Bytes launcher, settings, manifest, jar;
    std::vector<IconImage> icon;
    VersionInfo version;
    bool hasLayer = false;
    EmbeddedLayer layer;
    std::wstring summary, layerSummary;
};

bool refuse(const std::wstring& path, const std::wstring& why) {
    printError(path + L" " + why);
    return false;
}

bool readInputs(const Options& o, Inputs& in) {
    std::wstring error;
    if (!readWholeFile(o.launcher, in.launcher, error)) return printError(error), false;
    if (sameFile(o.launcher, o.output)) return refuse(o.output, L"is the launcher itself; jlpack never changes its input");
    if (!o.settings.empty() && !readWholeFile(o.settings, in.settings, error)) return printError(error), false;
    Bytes icoFile;
    if (!o.icon.empty() && !readWholeFile(o.icon, icoFile, error)) return printError(error), false;
    if (!o.icon.empty() && !readIcoFile(icoFile, in.icon, error)) return refuse(o.icon, error);
    if (!o.manifest.empty()) {
        if (!readWholeFile(o.manifest, in.manifest, error)) return printError(error), false;
        const std::string text(in.manifest.begin(), in.manifest.end());
        if (text.find("<assembly") == std::string::npos) return refuse(o.manifest, L"is no application manifest (no <assembly> element)");
    }
    for (const auto& entry : o.version) {
        const bool numeric = entry.first == L"FileVersion" || entry.first == L"ProductVersion";
        uint16_t* parts = entry.first == L"FileVersion" ? in.version.fileVersion : in.version.productVersion;
        if (numeric && !parseVersionNumber(entry.second, parts)) {
            return refuse(L"--version " + entry.first + L"=" + entry.second,
                          L"is no version number (one to four numbers 0 to 65535, separated by \".\")");
        }
        auto& strings = in.version.strings;
        const auto given = std::find_if(strings.begin(), strings.end(), [&](const auto& s) { return s.first == u16(entry.first); });
        if (given != strings.end()) strings.erase(given);  // the last one given counts
        strings.emplace_back(u16(entry.first), u16(entry.second));
    }
    if (!o.embed.empty()) {
        Bytes file;
        std::wstring text;
        if (!readWholeFile(o.embed, file, error)) return printError(error), false;
        if (!decodeSettingsText(file, text, error)) return refuse(o.embed, error);
        size_t count = 0;
        const jl::EmbeddedSettings parsed = jl::EmbeddedSettings::parse(text);
        for (const auto& section : parsed.sections()) count += section.entries.size();
        if (count == 0) printWarning(o.embed + L" holds no key=value line inside a [section]");
        const std::wstring upgradeCode = upgradeCodeOf(o.settings);
        if (upgradeCode.empty()) {
            printWarning(o.settings + L" has no \"Upgrade Code\" in [Product Information]; the layer is keyed by the empty text");
        }
        if (!encipherLayer(upgradeCode, o.hasKeyText ? &o.keyText : nullptr, text, in.layer, error)) return refuse(o.embed, error);
        in.hasLayer = true;
        in.layerSummary = L", embedded settings (" + std::to_wstring(parsed.sections().size()) + L" sections, " +
                      std::to_wstring(count) + L" settings)";
    }
    if (!o.jar.empty() && !readWholeFile(o.jar, in.jar, error)) return printError(error), false;
    return true;
}

void replaceResource(ResourceTree& tree, uint16_t type, ResourceName name, const Bytes& bytes) {
    auto& names = tree.types[type];
    uint16_t language = 0;
    if (!names.empty()) {
        if (names.count(name) != 0 && !names[name].empty()) language = names[name].begin()->first;
        names.erase(name);
    }
    names[name][language].bytes = bytes;
}

bool packWindows(const Options& o, Inputs& in, Bytes& image) {
    PeImage pe;
    ResourceTree tree;
    std::wstring error;
    if (!PeImage::parse(in.launcher, pe, error)) return refuse(o.launcher, error);
    error = pe.changeRefusal();
    if (!error.empty() || !ResourceTree::read(pe, tree, error)) return refuse(o.launcher, error);
    if (tree.find(kTypeDialog, kMissingRuntimeDialog) == nullptr || tree.find(kTypeDialog, kExceptionDialog) == nullptr) {
        return refuse(o.launcher, L"is a Windows executable, but not a jlaunch launcher (it lacks the launcher's dialogs)");
    }
    if (!in.icon.empty()) {
        setIcon(tree, in.icon);
        in.summary += L", icon (" + std::to_wstring(in.icon.size()) + L" images)";
    }
    if (!o.version.empty()) {
        setVersion(tree, in.version);
        in.summary += L", version information";
    }
    if (!in.manifest.empty()) {
        const auto& manifests = tree.types[kTypeManifest];
        replaceResource(tree, kTypeManifest, manifests.empty() ? ResourceName(1) : manifests.begin()->first, in.manifest);
        in.summary += L", manifest";
    }
    if (in.hasLayer) {
        replaceResource(tree, kTypeRcdata, jl::kEmbeddedKeyResourceId, in.layer.keyResource);
        replaceResource(tree, kTypeRcdata, jl::kEmbeddedSettingsResourceId, in.layer.settingsResource);
    }
    if (!pe.replaceResources([&](uint32_t rva) { return tree.write(rva); }, error)) return refuse(o.launcher, error);
    image = pe.bytes();
    return true;
}

bool packLinux(const Options& o, Inputs& in, Bytes& image) {
    std::wstring error;
    if (!in.icon.empty() || !o.version.empty() || !in.manifest.empty() || !o.signCommand.empty()) {
        return refuse(o.launcher, L"is a Linux launcher: an icon, version information, a manifest and a signature "
                                  L"are for Windows executables only");
    }
    ZipEnd zip;
    if (findAppendedJar(in.launcher, 0, in.launcher.size(), zip)) {
        return refuse(o.launcher, L"carries an appended JAR already: give the launcher as it was built");
    }
    image = in.launcher;
    if (in.hasLayer && !writeReservedArea(image, in.layer, error)) return refuse(o.launcher, error);
    if (!in.hasLayer) {
        EmbeddedLayer unused;
        if (!readReservedArea(image, unused, error)) return refuse(o.launcher, error);
    }
    return true;
}

}  // namespace

std::wstring settingsFileBeside(const std::wstring& executable) {
    std::wstring path;
    return jl::settingsFilePathFor(executable, path) ? path : executable + L".ini";
}

int pack(const Options& o) {
    Inputs in;
    if (!readInputs(o, in)) return kExitRefused;
    const bool windows = in.launcher.size() >= 2 && in.launcher[0] == 'M' && in.launcher[1] == 'Z';
    if (!windows && !isElf(in.launcher)) {
        refuse(o.launcher, L"is neither a Windows nor a Linux launcher");
        return kExitRefused;
    }
    Bytes image;
    if (!(windows ? packWindows(o, in, image) : packLinux(o, in, image))) return kExitRefused;
    in.summary += in.layerSummary;
    std::wstring error;
    if (!in.jar.empty()) {
        Bytes jar;
        if (!prepareAppendedJar(in.jar, image.size(), jar, error)) return refuse(o.jar, error), kExitRefused;
        image.insert(image.end(), jar.begin(), jar.end());
        in.summary += L", JAR (" + std::to_wstring(in.jar.size()) + L" bytes)";
    }
    if (windows) {
        PeImage pe;
        if (!PeImage::parse(image, pe, error)) return refuse(o.output, error), kExitRefused;
        updateChecksum(image, pe.checksumOffset());
    }
    if (o.signCommand.empty()) {
        if (!writeWholeFile(o.output, image, true, error)) return printError(error), kExitRefused;
    } else {
        Bytes signedImage;
        if (!signProduct(image, !in.jar.empty(), o.signCommand, o.output, signedImage, error)) {
            removeFile(o.output);
            printError(error);
            return kExitRefused;
        }
        image.swap(signedImage);
        in.summary += L", signed";
    }
    if (!o.settings.empty()) {
        const std::wstring beside = settingsFileBeside(o.output);
        if (!sameFile(o.settings, beside) && !writeWholeFile(beside, in.settings, false, error)) {
            return printError(error), kExitRefused;
        }
        in.summary += L", settings file " + beside;
    }
    printOut(L"jlpack: wrote " + o.output + L" (" + std::to_wstring(image.size()) + L" bytes)" + in.summary);
    return kExitSuccess;
}

}  // namespace jlpack
