// What an executable carries, one line per part, for a build log or a curious reader.
#include "appended_jar.h"
#include "embedded_layer.h"
#include "icon_resource.h"
#include "pe_image.h"
#include "product.h"
#include "resource_tree.h"
#include "tool_io.h"
#include "version_resource.h"

#include "config/embedded_cipher.h"
#include "config/embedded_settings.h"
#include "os/os.h"

namespace jlpack {
namespace {

std::wstring wide(const std::u16string& text) {
    Bytes bytes;
    for (char16_t c : text) append16(bytes, c);
    return jl::fromUtf16LeBytes(bytes.data(), bytes.size());
}

std::wstring dotted(const uint16_t parts[4]) {
    return std::to_wstring(parts[0]) + L"." + std::to_wstring(parts[1]) + L"." + std::to_wstring(parts[2]) + L"." +
           std::to_wstring(parts[3]);
}

const ResourceData* firstOf(const ResourceTree& tree, uint16_t type) {
    const auto found = tree.types.find(type);
    if (found == tree.types.end() || found->second.empty() || found->second.begin()->second.empty()) return nullptr;
    return &found->second.begin()->second.begin()->second;
}

void describeVersion(const ResourceTree& tree) {
    const ResourceData* data = firstOf(tree, kTypeVersion);
    VersionInfo info;
    if (data == nullptr || !readVersionResource(data->bytes, info)) {
        printOut(data == nullptr ? L"version: none" : L"version: unreadable");
        return;
    }
    printOut(L"version: file " + dotted(info.fileVersion) + L", product " + dotted(info.productVersion));
    for (const auto& entry : info.strings) printOut(L"  " + wide(entry.first) + L": " + wide(entry.second));
}

void describeManifest(const ResourceTree& tree) {
    const ResourceData* data = firstOf(tree, kTypeManifest);
    if (data == nullptr) {
        printOut(L"manifest: none");
        return;
    }
    const std::string text(data->bytes.begin(), data->bytes.end());
    std::wstring line = L"manifest: " + std::to_wstring(text.size()) + L" bytes";
    const size_t level = text.find("level=\"");
    if (level != std::string::npos) {
        const size_t end = text.find('"', level + 7);
        line += L", execution level " + jl::os::fromUtf8(text.substr(level + 7, end - level - 7));
    }
    printOut(line);
}

void describeLayer(const std::wstring& path, const EmbeddedLayer& layer) {
    if (layer.keyResource.empty() && layer.settingsResource.empty()) {
        printOut(L"embedded settings: none");
        return;
    }
    const std::wstring settingsPath = settingsFileBeside(path);
    Bytes settings;
    std::wstring error, text;
    if (!readWholeFile(settingsPath, settings, error)) {
        printOut(L"embedded settings: present; no settings file " + settingsPath + L" beside it to open them");
        return;
    }
    std::wstring full = settingsPath;
    if (!jl::os::fullPathName(settingsPath, full)) full = settingsPath;
    const std::wstring code = jl::os::readProfileString(L"Product Information", L"Upgrade Code", full, 4096);
    if (!decipherLayer(code, layer, text)) {
        printOut(L"embedded settings: present, not readable with the Upgrade Code of " + settingsPath);
        return;
    }
    const jl::EmbeddedSettings parsed = jl::EmbeddedSettings::parse(text);
    size_t count = 0;
    for (const auto& section : parsed.sections()) count += section.entries.size();
    printOut(L"embedded settings: readable with " + settingsPath + L": " + std::to_wstring(parsed.sections().size()) +
             L" sections, " + std::to_wstring(count) + L" settings");
}

void describeJar(const Bytes& file, size_t from, size_t limit) {
    ZipEnd zip;
    if (!findAppendedJar(file, from, limit, zip)) {
        printOut(L"appended JAR: none");
        return;
    }
    printOut(L"appended JAR: " + std::to_wstring(std::min(zip.end, limit) - zip.start) + L" bytes at offset " +
             std::to_wstring(zip.start) + L", " + std::to_wstring(zip.entries) + L" entries, offsets " +
             (zip.fileOffsets ? L"from the file's start" : L"from the JAR's start") +
             (zip.end > limit ? L", comment covering the signature" : L""));
}

}  // namespace

int describe(const std::wstring& path) {
    Bytes file;
    std::wstring error;
    if (!readWholeFile(path, file, error)) return printError(error), kExitRefused;
    EmbeddedLayer layer;
    if (file.size() >= 4 && file[0] == 0x7F && file[1] == 'E' && file[2] == 'L' && file[3] == 'F') {
        printOut(path + L": Linux launcher, " + std::to_wstring(file.size()) + L" bytes");
        if (!readReservedArea(file, layer, error)) printOut(L"embedded settings: " + error);
        else describeLayer(path, layer);
        describeJar(file, 0, file.size());
        return kExitSuccess;
    }
    PeImage pe;
    ResourceTree tree;
    if (!PeImage::parse(file, pe, error)) {
        const bool windows = file.size() >= 2 && file[0] == 'M' && file[1] == 'Z';
        printError(path + L" " + (windows ? error : L"is neither a Windows nor a Linux executable"));
        return kExitRefused;
    }
    const wchar_t* machine = pe.machine() == 0x14C ? L"x86" : pe.machine() == 0x8664 ? L"x86-64" : L"other machine";
    printOut(path + L": Windows executable, " + (pe.is64() ? L"PE32+ " : L"PE32 ") + machine + L", " +
             std::to_wstring(file.size()) + L" bytes");
    if (!ResourceTree::read(pe, tree, error)) {
        printOut(L"resources: unreadable, the file " + error);
    } else {
        const std::wstring icon = describeIcon(tree);
        printOut(L"icon: " + (icon.empty() ? std::wstring(L"none") : icon));
        describeVersion(tree);
        describeManifest(tree);
        for (auto id : {jl::kEmbeddedKeyResourceId, jl::kEmbeddedSettingsResourceId}) {
            const auto* found = tree.find(kTypeRcdata, static_cast<uint16_t>(id));
            if (found == nullptr || found->empty()) continue;
            (id == jl::kEmbeddedKeyResourceId ? layer.keyResource : layer.settingsResource) = found->begin()->second.bytes;
        }
        describeLayer(path, layer);
    }
    uint32_t tableOffset = 0, tableSize = 0;
    pe.directory(kCertificateDirectory, tableOffset, tableSize);
    const bool signedImage = pe.isSigned() && fits(file.size(), tableOffset, tableSize);
    describeJar(file, pe.imageEnd(), signedImage ? tableOffset : file.size());
    printOut(signedImage ? L"signature: present (" + std::to_wstring(tableSize) + L" bytes)"
                         : pe.isSigned() ? std::wstring(L"signature: damaged (its table lies outside the file)")
                                         : std::wstring(L"signature: none"));
    return kExitSuccess;
}

}  // namespace jlpack
