// The runtimes installed on Linux: folders below /usr/lib/jvm and /usr/java that carry a
// `release` file, shown to the search as the registry roots they would be listed under.
#include "runtime/registered_runtimes.h"

#include <algorithm>
#include <set>
#include <utility>

#include "runtime/release_file.h"
#include "runtime/search_trace.h"
#include "support/files.h"

namespace jl {

namespace {

const std::vector<std::wstring>& systemRuntimeFolders() {
    static const std::vector<std::wstring> folders = {L"/usr/lib/jvm", L"/usr/java"};
    return folders;
}

bool isFolder(const std::wstring& path) {
    os::FindResult match;
    return os::findFirstFile(path, match) == os::kErrorSuccess && match.isDirectory;
}

bool isListedUnder(const InstalledRuntime& runtime, const RegistryRoot& root) {
    switch (root.provider) {
        case RuntimeProvider::Ibm: return runtime.ibmFamily;
        case RuntimeProvider::JavaSoft: return !runtime.ibmFamily && runtime.kind == root.kind;
        case RuntimeProvider::JRockit: return false;
    }
    return false;
}

class InstalledRuntimeRegistry final : public RuntimeRegistry {
public:
    explicit InstalledRuntimeRegistry(std::vector<std::wstring> folders) : folders_(std::move(folders)) {}

    bool openRoot(const RegistryRoot& root) override {
        entries_.clear();
        // Each root is looked at afresh, like a registry key that is opened again.
        for (InstalledRuntime& runtime : scanInstalledRuntimes(folders_)) {
            if (isListedUnder(runtime, root)) entries_.push_back(std::move(runtime));
        }
        return true;
    }

    SubkeyStatus entryName(uint32_t index, std::wstring& name) override {
        if (index >= entries_.size()) return SubkeyStatus::End;
        name = entries_[index].name;
        return SubkeyStatus::Found;
    }

    bool javaHome(uint32_t index, const std::wstring&, std::wstring& home) override {
        if (index >= entries_.size()) return false;
        home = entries_[index].runtimeFolder;
        return true;
    }

    void closeRoot() override { entries_.clear(); }

    std::wstring describeRoot(const RegistryRoot& root) const override {
        std::wstring text = L"installed " + os::fromUtf8(kindName(root.kind)) + L"s of " +
                            os::fromUtf8(providerName(root.provider)) + L" below";
        for (const std::wstring& folder : folders_) text += L" " + folder;
        return text;
    }

    // The folders found are runtime folders already: a JDK 8's "jre" folder is chosen
    // while scanning, and a newer JDK has none.
    bool jdkHomeHoldsJre() const override { return false; }

private:
    std::vector<std::wstring> folders_;
    std::vector<InstalledRuntime> entries_;
};

}  // namespace

std::vector<InstalledRuntime> scanInstalledRuntimes(const std::vector<std::wstring>& folders) {
    std::vector<InstalledRuntime> runtimes;
    std::set<std::wstring> seen;
    for (const std::wstring& folder : folders) {
        std::vector<os::FindResult> matches;
        if (os::findAllFiles(folder + L"/*", matches) != os::kErrorSuccess) continue;
        std::sort(matches.begin(), matches.end(),
                  [](const os::FindResult& a, const os::FindResult& b) { return a.name < b.name; });
        for (const os::FindResult& match : matches) {
            // Hidden entries are the package manager's notes, "." and "..".
            if (!match.isDirectory || match.name.empty() || match.name[0] == L'.') continue;
            std::wstring home;
            if (!os::canonicalPath(folder + L"/" + match.name, home)) continue;
            // The same runtime under several names (a version alias, "default", "latest")
            // is listed once, under the first of them.
            if (!seen.insert(home).second) continue;
            ReleaseInfo info;
            if (!readReleaseFile(home, info)) continue;

            InstalledRuntime runtime;
            runtime.name = info.javaVersion;
            runtime.kind = fileExists(home + L"/bin/javac") ? RuntimeKind::Jdk : RuntimeKind::Jre;
            runtime.ibmFamily = namesIbmFamily(info);
            runtime.runtimeFolder = home + L"/";
            if (isFolder(home + L"/jre/lib")) runtime.runtimeFolder += L"jre/";
            runtimes.push_back(std::move(runtime));
        }
    }
    return runtimes;
}

std::unique_ptr<RuntimeRegistry> runtimeRegistryOver(const std::vector<std::wstring>& folders) {
    return std::make_unique<InstalledRuntimeRegistry>(folders);
}

std::unique_ptr<RuntimeRegistry> systemRuntimeRegistry(os::RegistryView) {
    return std::make_unique<InstalledRuntimeRegistry>(systemRuntimeFolders());
}

}  // namespace jl
