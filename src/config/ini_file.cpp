#include "config/ini_file.h"

#include "os/os.h"

namespace jl {

std::wstring IniFile::readString(const std::wstring& section, const std::wstring& key) const {
    // A value that fills the buffer to its last character may have been cut: ask again
    // with twice the room until it does not. Some profile implementations return one
    // character fewer for a quoted value that only just fits, so a value one short of
    // filling the buffer is asked for again as well.
    size_t bufferChars = 256;
    for (;;) {
        std::wstring value = os::readProfileString(section, key, path_, bufferChars);
        if (value.size() + 2 < bufferChars) return value;
        bufferChars *= 2;
    }
}

}  // namespace jl
