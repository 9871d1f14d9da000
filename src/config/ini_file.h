// A settings file read through the platform's profile functions.
#pragma once

#include <string>

namespace jl {

class IniFile {
public:
    explicit IniFile(std::wstring path) : path_(std::move(path)) {}

    // The value of a key, whole whatever its length; empty when missing.
    std::wstring readString(const std::wstring& section, const std::wstring& key) const;
    const std::wstring& path() const { return path_; }

private:
    std::wstring path_;
};

}  // namespace jl
