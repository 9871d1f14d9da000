// Redirection file names that carry the date and time: the text between the first and
// the last "%" of a name is a picture of the locale's date and time formats.
#pragma once

#include <string>
#include <vector>

#include "os/os.h"

namespace jl {

// A picture taken apart: quoted and plain text copied as it is, and each run of one
// picture letter, which the locale formats.
struct PictureRun {
    enum class Kind { Text, Time, Date };
    Kind kind = Kind::Text;
    std::wstring text;  // for Text the characters to copy, otherwise the run of letters
};
std::vector<PictureRun> splitDateTimePicture(const std::wstring& picture);

// The picture with its time pictures (h, H, m, s, t) and date pictures (d, M, y, g)
// replaced for the user's locale. Quoted text is copied without its quotes, and a
// doubled quote gives one quote.
std::wstring formatDateTimePicture(const std::wstring& picture, const os::LocalTime& time);

// The name with the stretch from its first to its last "%" replaced by the formatted
// picture between them; each "L" in the picture becomes the milliseconds first. A name
// with one "%" loses just that character; a name without one stays as it is.
std::wstring expandDateTimeName(const std::wstring& name, const os::LocalTime& time);

}  // namespace jl
