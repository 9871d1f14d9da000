// The registry keys that runtime installers write: the older roots under
// HKEY_LOCAL_MACHINE, the vendors' keys there and under HKEY_CURRENT_USER.
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

    bool openRoot(const RegistryRoot& root) override { return openKey(RegistryHive::LocalMachine, root.path); }

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

    std::wstring describeRoot(const RegistryRoot& root) const override {
        return describeKey(RegistryHive::LocalMachine, root.path);
    }

    bool hasVendorKeys() const override { return true; }

    bool openKey(RegistryHive hive, const std::wstring& path) override {
        const std::wstring below = redirected(path);
        return hive == RegistryHive::CurrentUser ? root_.openCurrentUser(below, view_)
                                                 : root_.openLocalMachine(below, view_);
    }

    bool entryValue(const std::wstring& name, const std::wstring& below, const std::wstring& valueName,
                    std::wstring& value) override {
        os::RegistryKey subkey;
        if (!subkey.openSubkey(root_, below.empty() ? name : name + L"\\" + below)) return false;
        return subkey.readValueText(valueName, value);
    }

    std::wstring describeKey(RegistryHive hive, const std::wstring& path) const override {
        std::wstring text = hive == RegistryHive::CurrentUser ? L"HKEY_CURRENT_USER\\" : L"HKEY_LOCAL_MACHINE\\";
        text += redirected(path);
        switch (view_) {
            case os::RegistryView::Bits32: text += L" (32-bit view)"; break;
            case os::RegistryView::Bits64: text += L" (64-bit view)"; break;
            case os::RegistryView::Default: break;
        }
        return text;
    }

private:
    // Tests move the keys below a test key of their own.
    std::wstring redirected(const std::wstring& path) const {
        if (path.compare(0, wcslen(kSoftwareKey), kSoftwareKey) != 0) return path;
        return softwareKey_ + path.substr(wcslen(kSoftwareKey));
    }

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
