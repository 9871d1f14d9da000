// A Windows executable image (PE32 or PE32+) read into its headers and section table,
// and the one change jlpack makes to it: a rebuilt resource section, placed last.
#pragma once

#include "byte_io.h"

#include <functional>
#include <string>

namespace jlpack {

constexpr int kResourceDirectory = 2;
constexpr int kCertificateDirectory = 4;

struct PeSection {
    std::string name;
    uint32_t virtualSize = 0;
    uint32_t virtualAddress = 0;
    uint32_t rawSize = 0;
    uint32_t rawPointer = 0;
    size_t headerOffset = 0;
};

class PeImage {
public:
    // False, with the reason in `error`, for anything that is not a well-formed image.
    // A signed image or one with bytes after its last section parses; the callers that
    // change images refuse those (see changeRefusal).
    [[nodiscard]] static bool parse(Bytes file, PeImage& image, std::wstring& error);

    const Bytes& bytes() const { return file_; }
    bool is64() const { return is64_; }
    uint16_t machine() const { return machine_; }
    const std::vector<PeSection>& sections() const { return sections_; }
    // RVA and size of a data directory entry; both zero when the image has none.
    void directory(int index, uint32_t& rva, uint32_t& size) const;
    // The file offset of `size` bytes at `rva`, when they lie in one section's file data.
    [[nodiscard]] bool rvaToOffset(uint32_t rva, uint32_t size, size_t& offset) const;
    // Where the image proper ends: after the headers and the last section's file data.
    size_t imageEnd() const { return imageEnd_; }
    bool isSigned() const;
    // Why this image cannot be changed (signed, or carrying data after its image), or
    // the empty text.
    std::wstring changeRefusal() const;

    // Writes `build(rva)` as the resource section at that RVA: in place when the
    // resource section is the last one, otherwise as a new last section. The section
    // table, the resource directory entry, SizeOfImage and SizeOfInitializedData follow;
    // the checksum is left to updateChecksum.
    [[nodiscard]] bool replaceResources(const std::function<Bytes(uint32_t rva)>& build,
                                        std::wstring& error);

    // Offset of a data directory entry in the file.
    size_t directoryOffset(int index) const { return directoriesOffset_ + 8 * size_t(index); }
    // Offset of the CheckSum field in the file.
    size_t checksumOffset() const { return optionalOffset_ + 64; }

private:
    Bytes file_;
    bool is64_ = false;
    uint16_t machine_ = 0;
    size_t optionalOffset_ = 0;
    size_t directoriesOffset_ = 0;
    uint32_t directoryCount_ = 0;
    size_t sectionTableOffset_ = 0;
    uint32_t sizeOfHeaders_ = 0;
    uint32_t fileAlignment_ = 0;
    uint32_t sectionAlignment_ = 0;
    size_t imageEnd_ = 0;
    std::vector<PeSection> sections_;
};

// The PE checksum of a whole file, the field at `checksumOffset` counted as zero.
uint32_t peChecksum(const Bytes& file, size_t checksumOffset);
// Sets the CheckSum field of the image at the start of `file` (an image and anything
// appended to it).
void updateChecksum(Bytes& file, size_t checksumOffset);

}  // namespace jlpack
