// The sign step: the user's signing command run on the packed executable. With an
// appended JAR the executable is signed twice: the first signature tells its size, the
// JAR's end record is then given a comment that reaches over exactly that many bytes,
// and the second signature (of the same size) ends the file where the comment ends.
// ZIP readers that insist on the comment reaching the end of the file accept it then.
#pragma once

#include "byte_io.h"

#include <string>

namespace jlpack {

// `command` names the file to sign as {out} (signed in place) or reads {in} and
// writes {out}. The signed bytes come back in `signedImage`; `out` holds them too.
[[nodiscard]] bool signProduct(const Bytes& image, bool hasJar, const std::wstring& command,
                               const std::wstring& out, Bytes& signedImage, std::wstring& error);

}  // namespace jlpack
