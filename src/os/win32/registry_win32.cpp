// Registry keys for reading, with the view pinned per key.
#include "os/os.h"

#include <windows.h>

#include "os/win32/unique_handle.h"

namespace jl::os {

namespace {

REGSAM accessFor(RegistryView view) {
    switch (view) {
        case RegistryView::Bits32: return KEY_READ | KEY_WOW64_32KEY;
        case RegistryView::Bits64: return KEY_READ | KEY_WOW64_64KEY;
        case RegistryView::Default: break;
    }
    return KEY_READ;
}

// A value that changes between the size query and the read is read again, a few times.
constexpr int kReadAttempts = 4;

}  // namespace

RegistryKey::~RegistryKey() { close(); }

void RegistryKey::close() {
    UniqueRegistryKey owned(static_cast<HKEY>(key_));
    key_ = nullptr;
}

bool RegistryKey::openLocalMachine(const std::wstring& path, RegistryView view) {
    close();
    UniqueRegistryKey key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, accessFor(view), key.put()) != ERROR_SUCCESS) {
        return false;
    }
    key_ = key.release();
    view_ = view;
    return true;
}

bool RegistryKey::openCurrentUser(const std::wstring& path, RegistryView view) {
    close();
    UniqueRegistryKey key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, accessFor(view), key.put()) != ERROR_SUCCESS) {
        return false;
    }
    key_ = key.release();
    view_ = view;
    return true;
}

bool RegistryKey::openSubkey(const RegistryKey& parent, const std::wstring& name) {
    close();
    if (!parent.isOpen()) return false;
    UniqueRegistryKey key;
    if (RegOpenKeyExW(static_cast<HKEY>(parent.key_), name.c_str(), 0, accessFor(parent.view_), key.put()) !=
        ERROR_SUCCESS) {
        return false;
    }
    key_ = key.release();
    view_ = parent.view_;
    return true;
}

uint32_t RegistryKey::subkeyName(uint32_t index, size_t bufferChars, std::wstring& name) const {
    if (!isOpen()) return ERROR_INVALID_HANDLE;
    std::wstring buffer(bufferChars + 1, L'\0');
    DWORD length = static_cast<DWORD>(bufferChars);
    const LONG status = RegEnumKeyExW(static_cast<HKEY>(key_), index, &buffer[0], &length, nullptr, nullptr,
                                      nullptr, nullptr);
    if (status != ERROR_SUCCESS) return static_cast<uint32_t>(status);
    buffer.resize(length < bufferChars ? length : bufferChars);
    name = buffer;
    return ERROR_SUCCESS;
}

bool RegistryKey::readValueText(const std::wstring& valueName, std::wstring& text) const {
    if (!isOpen()) return false;
    const HKEY key = static_cast<HKEY>(key_);
    for (int attempt = 0; attempt < kReadAttempts; ++attempt) {
        DWORD size = 0;
        if (RegQueryValueExW(key, valueName.c_str(), nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS) return false;
        if (size == 0) return false;
        // Whole characters only: an odd last byte of a binary value belongs to none.
        std::wstring buffer(size / sizeof(wchar_t) + 1, L'\0');
        DWORD got = size;
        const LONG status =
            RegQueryValueExW(key, valueName.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(&buffer[0]), &got);
        if (status == ERROR_MORE_DATA) continue;
        if (status != ERROR_SUCCESS || got == 0) return false;
        buffer.resize(got / sizeof(wchar_t));
        const size_t end = buffer.find(L'\0');
        if (end != std::wstring::npos) buffer.resize(end);
        text = buffer;
        return true;
    }
    return false;
}

}  // namespace jl::os
