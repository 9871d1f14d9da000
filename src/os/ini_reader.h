// The settings file read the way the Windows profile functions read it, as plain text
// operations: the Linux build has no GetPrivateProfileStringW and must return, for every
// section and key, exactly what that function returns. Nothing here touches a file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace jl {

// How a settings file's bytes become text. A byte-order mark decides; a file without
// one is 8-bit text.
enum class ProfileEncoding {
    Utf8,             // no mark, valid UTF-8 (plain ASCII included)
    Windows1252,      // no mark, not valid UTF-8
    Utf8WithBom,
    Utf16LeWithBom,
    Utf16BeWithBom,
};

ProfileEncoding detectProfileEncoding(const std::vector<uint8_t>& bytes);

// The file's text as the profile functions see it, without the byte-order mark.
std::wstring decodeProfileFile(const std::vector<uint8_t>& bytes);

// What GetPrivateProfileStringW(section, key, L"", buffer, <large enough>, file)
// returns for a file whose decoded text is `text`.
std::wstring lookupProfileString(const std::wstring& text, const std::wstring& section,
                                 const std::wstring& key);

// The part of a looked-up value that fits a buffer of `bufferChars` characters with
// its terminating null, counted in the string's own units (UTF-16 units on Windows).
std::wstring truncateProfileValue(const std::wstring& value, size_t bufferChars);

// False when writing the entry would change the file's structure instead of one value:
// a line break or null anywhere, or a key that holds "=" or would read as a section
// header.
bool isStorableProfileEntry(const std::wstring& section, const std::wstring& key,
                            const std::wstring& value);

// The bytes of the file after setting a value: the key's value is replaced in the first
// matching section, or the key is added at the end of that section, or a new section
// is added at the end of the file. Every other byte stays as it was, and so does the
// encoding, unless the new text cannot be expressed in it. `bytes` empty stands for a
// missing file. The entry must be storable.
std::vector<uint8_t> setProfileString(const std::vector<uint8_t>& bytes,
                                      const std::wstring& section, const std::wstring& key,
                                      const std::wstring& value);

}  // namespace jl
