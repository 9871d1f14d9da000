// The application JAR appended to the executable. It is written the way "zip -A"
// leaves a self-extracting archive: every offset of its central directory and end
// record counts from the start of the whole file, so ZIP readers that take the file as
// it is and those that look for the archive's own start both read it.
#pragma once

#include "byte_io.h"

#include <string>

namespace jlpack {

struct ZipEnd {
    size_t endRecord = 0;   // offset of the end-of-central-directory record
    size_t start = 0;       // offset of the archive's first local header
    size_t end = 0;         // end of the end record and its comment
    uint32_t entries = 0;
    bool fileOffsets = false;  // offsets count from the file's start
};

// `jar` made ready to be appended at `position`: its offsets moved by `position` and
// its comment extended so that the whole file ends on an 8-byte boundary (a signature
// is then appended without padding). Refuses what is no ZIP, a ZIP64 archive, and an
// archive without entries.
[[nodiscard]] bool prepareAppendedJar(const Bytes& jar, uint64_t position, Bytes& out, std::wstring& error);

// The archive that ends the bytes before `limit` (or whose comment runs past `limit`),
// starting no earlier than `from`; false when there is none.
[[nodiscard]] bool findAppendedJar(const Bytes& file, size_t from, size_t limit, ZipEnd& zip);

// Sets the comment length of the end record so that the comment reaches `fileEnd`:
// readers that insist on the comment ending the file then accept bytes appended after
// the archive (a signature). False when the comment would grow beyond 65535 bytes.
[[nodiscard]] bool extendCommentTo(Bytes& file, const ZipEnd& zip, size_t fileEnd);

}  // namespace jlpack
