#include "pe_image.h"

#include <algorithm>

namespace jlpack {
namespace {

constexpr size_t kSectionHeaderSize = 40;
constexpr uint32_t kMaxSections = 96;
constexpr uint32_t kResourceSectionFlags = 0x40000040;  // initialised data, readable
const char kOldResourceName[] = ".oldrsrc";

bool isPowerOfTwo(uint32_t v) { return v != 0 && (v & (v - 1)) == 0; }

uint32_t virtualEnd(const PeSection& s) {
    return s.virtualAddress + (s.virtualSize != 0 ? s.virtualSize : s.rawSize);
}

}  // namespace

bool PeImage::parse(Bytes file, PeImage& image, std::wstring& error) {
    PeImage parsed;
    const Bytes& b = file;
    uint32_t ntOffset = 0;
    if (b.size() < 0x40 || b[0] != 'M' || b[1] != 'Z') {
        error = L"is not a Windows executable";
        return false;
    }
    if (!read32(b, 0x3C, ntOffset) || !fits(b.size(), ntOffset, 24) || get32(b.data() + ntOffset) != 0x4550) {
        error = L"is cut off or malformed: no PE headers where the DOS header points";
        return false;
    }
    const uint8_t* coff = b.data() + ntOffset + 4;
    parsed.machine_ = get16(coff);
    const uint32_t sectionCount = get16(coff + 2);
    const uint32_t optionalSize = get16(coff + 16);
    parsed.optionalOffset_ = ntOffset + 24;
    uint16_t magic = 0;
    if (!read16(b, parsed.optionalOffset_, magic) || (magic != 0x10B && magic != 0x20B)) {
        error = L"is malformed: its optional header is neither PE32 nor PE32+";
        return false;
    }
    parsed.is64_ = magic == 0x20B;
    const size_t countField = parsed.optionalOffset_ + (parsed.is64_ ? 108 : 92);
    parsed.directoriesOffset_ = countField + 4;
    if (!fits(b.size(), parsed.optionalOffset_, optionalSize) ||
        !read32(b, countField, parsed.directoryCount_) || parsed.directoryCount_ > 16 ||
        parsed.directoriesOffset_ + 8ull * parsed.directoryCount_ > parsed.optionalOffset_ + optionalSize) {
        error = L"is cut off or malformed: its optional header does not hold its data directories";
        return false;
    }
    if (parsed.directoryCount_ <= kCertificateDirectory) {
        error = L"is malformed: it has too few data directories";
        return false;
    }
    const uint8_t* opt = b.data() + parsed.optionalOffset_;
    parsed.sectionAlignment_ = get32(opt + 32);
    parsed.fileAlignment_ = get32(opt + 36);
    parsed.sizeOfHeaders_ = get32(opt + 60);
    if (!isPowerOfTwo(parsed.fileAlignment_) || parsed.fileAlignment_ < 512 || parsed.fileAlignment_ > 65536 ||
        !isPowerOfTwo(parsed.sectionAlignment_) || parsed.sectionAlignment_ < parsed.fileAlignment_) {
        error = L"is malformed: its file or section alignment is not a power of two in range";
        return false;
    }
    parsed.sectionTableOffset_ = parsed.optionalOffset_ + optionalSize;
    if (sectionCount == 0 || sectionCount > kMaxSections ||
        parsed.sectionTableOffset_ + kSectionHeaderSize * sectionCount > parsed.sizeOfHeaders_ ||
        parsed.sizeOfHeaders_ > b.size()) {
        error = L"is cut off or malformed: its section table does not fit in its headers";
        return false;
    }
    parsed.imageEnd_ = parsed.sizeOfHeaders_;
    for (uint32_t i = 0; i < sectionCount; ++i) {
        const size_t at = parsed.sectionTableOffset_ + kSectionHeaderSize * i;
        const uint8_t* h = b.data() + at;
        PeSection s;
        s.name.assign(reinterpret_cast<const char*>(h), 8);
        s.name.resize(s.name.find('\0') == std::string::npos ? 8 : s.name.find('\0'));
        s.virtualSize = get32(h + 8);
        s.virtualAddress = get32(h + 12);
        s.rawSize = get32(h + 16);
        s.rawPointer = get32(h + 20);
        s.headerOffset = at;
        if (s.rawSize != 0 && !fits(b.size(), s.rawPointer, s.rawSize)) {
            error = L"is cut off: section " + std::wstring(s.name.begin(), s.name.end()) +
                    L" runs past the end of the file";
            return false;
        }
        if (uint64_t{s.virtualAddress} + std::max(s.virtualSize, s.rawSize) > 0x80000000u ||
            (!parsed.sections_.empty() && s.virtualAddress < virtualEnd(parsed.sections_.back()))) {
            error = L"is malformed: its sections overlap or are out of order";
            return false;
        }
        if (s.rawSize != 0) parsed.imageEnd_ = std::max<size_t>(parsed.imageEnd_, s.rawPointer + size_t{s.rawSize});
        parsed.sections_.push_back(s);
    }
    parsed.file_ = std::move(file);
    image = std::move(parsed);
    return true;
}

void PeImage::directory(int index, uint32_t& rva, uint32_t& size) const {
    rva = size = 0;
    if (static_cast<uint32_t>(index) >= directoryCount_) return;
    rva = get32(file_.data() + directoriesOffset_ + 8 * index);
    size = get32(file_.data() + directoriesOffset_ + 8 * index + 4);
}

bool PeImage::rvaToOffset(uint32_t rva, uint32_t size, size_t& offset) const {
    for (const PeSection& s : sections_) {
        if (rva < s.virtualAddress) continue;
        const uint64_t within = uint64_t{rva} - s.virtualAddress;
        if (within + size > s.rawSize) continue;
        offset = s.rawPointer + static_cast<size_t>(within);
        return true;
    }
    return false;
}

bool PeImage::isSigned() const {
    uint32_t rva = 0, size = 0;
    directory(kCertificateDirectory, rva, size);
    return rva != 0 || size != 0;
}

std::wstring PeImage::changeRefusal() const {
    if (isSigned()) {
        return L"is signed already; changing it would break its signature: pack the unsigned "
               L"launcher and sign the output";
    }
    if (file_.size() > imageEnd_) {
        return L"carries " + std::to_wstring(file_.size() - imageEnd_) +
               L" bytes after its last section (an appended JAR, symbols?): give the launcher as it was built";
    }
    return std::wstring();
}

bool PeImage::replaceResources(const std::function<Bytes(uint32_t rva)>& build, std::wstring& error) {
    uint32_t oldRva = 0, oldSize = 0;
    directory(kResourceDirectory, oldRva, oldSize);
    const PeSection& last = sections_.back();
    const bool lastInFile = last.rawSize == 0 || last.rawPointer + size_t{last.rawSize} == imageEnd_;
    const bool inPlace = oldSize != 0 && oldRva == last.virtualAddress && lastInFile;
    const size_t sectionCount = sections_.size();

    size_t header = last.headerOffset;
    uint32_t rva = last.virtualAddress;
    size_t rawPointer = last.rawPointer;
    uint32_t oldRaw = last.rawSize;
    if (!inPlace) {
        header = sectionTableOffset_ + kSectionHeaderSize * sectionCount;
        size_t firstRaw = sizeOfHeaders_;
        for (const PeSection& s : sections_) {
            if (s.rawSize != 0) firstRaw = std::min<size_t>(firstRaw, s.rawPointer);
        }
        if (sectionCount >= kMaxSections || header + kSectionHeaderSize > firstRaw ||
            std::any_of(file_.begin() + header, file_.begin() + header + kSectionHeaderSize,
                        [](uint8_t c) { return c != 0; })) {
            error = L"has no free room in its section table for the resource section";
            return false;
        }
        rva = static_cast<uint32_t>(alignUp(virtualEnd(last), sectionAlignment_));
        rawPointer = alignUp(imageEnd_, fileAlignment_);
        oldRaw = 0;
        // The old resources stay where they are, unreferenced; renamed so that tools
        // that find resources by section name see the new ones.
        for (PeSection& s : sections_) {
            if (s.name == ".rsrc") std::copy(kOldResourceName, kOldResourceName + 8, file_.begin() + s.headerOffset);
        }
    }
    const Bytes tree = build(rva);
    const uint32_t rawSize = static_cast<uint32_t>(alignUp(tree.size(), fileAlignment_));
    file_.resize(rawPointer, 0);
    file_.insert(file_.end(), tree.begin(), tree.end());
    file_.resize(rawPointer + rawSize, 0);

    const char name[8] = {'.', 'r', 's', 'r', 'c', 0, 0, 0};
    std::copy(name, name + 8, file_.begin() + header);
    put32(file_, header + 8, static_cast<uint32_t>(tree.size()));
    put32(file_, header + 12, rva);
    put32(file_, header + 16, rawSize);
    put32(file_, header + 20, static_cast<uint32_t>(rawPointer));
    for (size_t i = 24; i < 36; ++i) file_[header + i] = 0;
    put32(file_, header + 36, kResourceSectionFlags);
    if (!inPlace) put16(file_, optionalOffset_ - 18, static_cast<uint32_t>(sectionCount + 1));  // NumberOfSections

    put32(file_, directoriesOffset_ + 8 * kResourceDirectory, rva);
    put32(file_, directoriesOffset_ + 8 * kResourceDirectory + 4, static_cast<uint32_t>(tree.size()));
    put32(file_, optionalOffset_ + 56, static_cast<uint32_t>(alignUp(uint64_t{rva} + tree.size(), sectionAlignment_)));
    const uint32_t initialised = get32(file_.data() + optionalOffset_ + 8);
    put32(file_, optionalOffset_ + 8, initialised - oldRaw + rawSize);

    std::wstring reparseError;
    PeImage reparsed;
    if (!parse(file_, reparsed, reparseError)) {
        error = L"could not be rebuilt: " + reparseError;
        return false;
    }
    *this = std::move(reparsed);
    return true;
}

uint32_t peChecksum(const Bytes& file, size_t checksumOffset) {
    uint64_t sum = 0;
    for (size_t i = 0; i < file.size(); i += 2) {
        if (i == checksumOffset || i == checksumOffset + 2) continue;
        const uint32_t word = i + 1 < file.size() ? get16(file.data() + i) : file[i];
        sum += word;
        sum = (sum & 0xFFFF) + (sum >> 16);
    }
    sum = (sum & 0xFFFF) + (sum >> 16);
    return static_cast<uint32_t>(sum + file.size());
}

void updateChecksum(Bytes& file, size_t checksumOffset) {
    put32(file, checksumOffset, peChecksum(file, checksumOffset));
}

}  // namespace jlpack
