#include "config/ini_file.h"

#include "os/os.h"

namespace jl {

std::wstring IniFile::readString(const std::wstring& section, const std::wstring& key) const {
    // A value that fills the buffer to its last character may have been cut: ask again
    // with twice the room until it does not.
    size_t bufferChars = 256;
    for (;;) {
        std::wstring value = os::readProfileString(section, key, path_, bufferChars);
        if (value.size() != bufferChars - 1) return value;
        bufferChars *= 2;
    }
}

}  // namespace jl
