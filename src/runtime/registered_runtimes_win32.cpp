// The registry keys that runtime installers write under HKEY_LOCAL_MACHINE.
#include "runtime/registered_runtimes.h"

#include <cwchar>
#include <utility>

namespace jl {

namespace {

constexpr wchar_t kSoftwareKey[] = L"Software\\";
// RegEnumKeyExW's name buffer, terminating zero included. Longer names are passed
// over: they cannot be read, and stopping there would hide every later runtime.
constexpr size_t kNameBufferChars = 260;

class WindowsRuntimeRegistry final : public RuntimeRegistry {
public:
    WindowsRuntimeRegistry(std::wstring softwareKey, os::RegistryView view)
        : softwareKey_(std::move(softwareKey)), view_(view) {}

    bool openRoot(const RegistryRoot& root) override {
        std::wstring path = root.path;
        if (path.compare(0, wcslen(kSoftwareKey), kSoftwareKey) == 0) {
            path = softwareKey_ + path.substr(wcslen(kSoftwareKey));
        }
        return root_.openLocalMachine(path, view_);
    }

    SubkeyStatus entryName(uint32_t index, std::wstring& name) override {
        const uint32_t status = root_.subkeyName(index, kNameBufferChars, name);
        if (status == os::kErrorSuccess) return SubkeyStatus::Found;
        if (status == os::kErrorMoreData) return SubkeyStatus::Unreadable;
        return SubkeyStatus::End;
    }

    bool javaHome(uint32_t, const std::wstring& name, std::wstring& home) override {
        os::RegistryKey subkey;
        if (!subkey.openSubkey(root_, name)) return false;
        return subkey.readValueText(L"JavaHome", home);
    }

    void closeRoot() override { root_.close(); }

private:
    std::wstring softwareKey_;
    os::RegistryView view_;
    os::RegistryKey root_;
};

}  // namespace

std::unique_ptr<RuntimeRegistry> systemRuntimeRegistry(os::RegistryView view) {
    return std::make_unique<WindowsRuntimeRegistry>(kSoftwareKey, view);
}

std::unique_ptr<RuntimeRegistry> runtimeRegistryBelow(const std::wstring& softwareKey, os::RegistryView view) {
    return std::make_unique<WindowsRuntimeRegistry>(softwareKey, view);
}

}  // namespace jl
