#include "icon_resource.h"

#include <algorithm>

namespace jlpack {
namespace {

constexpr uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr size_t kIcoEntrySize = 16;
constexpr size_t kGroupEntrySize = 14;

uint32_t bigEndian32(const uint8_t* p) { return uint32_t{p[0]} << 24 | p[1] << 16 | p[2] << 8 | p[3]; }

bool isPng(const Bytes& b) { return b.size() >= 8 && std::equal(kPngSignature, kPngSignature + 8, b.begin()); }

// Width and height of a PNG (its IHDR chunk) or of a bitmap (whose height counts the
// colour and the mask rows).
bool imageSize(IconImage& image) {
    const Bytes& b = image.bytes;
    if (isPng(b)) {
        if (b.size() < 24 || !std::equal(b.begin() + 12, b.begin() + 16, "IHDR")) return false;
        image.png = true;
        image.width = bigEndian32(b.data() + 16);
        image.height = bigEndian32(b.data() + 20);
        return image.width > 0 && image.height > 0;
    }
    uint32_t headerSize = 0, width = 0, height = 0;
    if (!read32(b, 0, headerSize) || headerSize < 40 || headerSize > b.size() || !read32(b, 4, width) ||
        !read32(b, 8, height)) {
        return false;
    }
    image.width = width;
    image.height = height / 2;
    return width > 0 && width <= 1024 && height > 0 && height <= 2048;
}

std::wstring size(uint32_t width, uint32_t height) {
    return std::to_wstring(width) + L"x" + std::to_wstring(height);
}

}  // namespace

bool readIcoFile(const Bytes& file, std::vector<IconImage>& images, std::wstring& error) {
    uint16_t reserved = 1, type = 0, count = 0;
    if (!read16(file, 0, reserved) || !read16(file, 2, type) || !read16(file, 4, count) || reserved != 0 ||
        type != 1 || count == 0 || !fits(file.size(), 6, kIcoEntrySize * count)) {
        error = L"is not an icon file (.ico)";
        return false;
    }
    std::vector<IconImage> read(count);
    for (uint16_t i = 0; i < count; ++i) {
        const uint8_t* entry = file.data() + 6 + kIcoEntrySize * i;
        const uint32_t length = get32(entry + 8), offset = get32(entry + 12);
        IconImage& image = read[i];
        std::copy(entry, entry + 12, image.entry);
        if (length == 0 || !fits(file.size(), offset, length)) {
            error = L"is cut off: image " + std::to_wstring(i + 1) + L" lies outside the file";
            return false;
        }
        image.bytes.assign(file.begin() + offset, file.begin() + offset + length);
        if (!imageSize(image)) {
            error = L"has an image (" + std::to_wstring(i + 1) + L") that is neither a PNG nor a bitmap";
            return false;
        }
    }
    images.swap(read);
    return true;
}

void setIcon(ResourceTree& tree, const std::vector<IconImage>& images) {
    auto& groups = tree.types[kTypeGroupIcon];
    auto& icons = tree.types[kTypeIcon];
    ResourceName groupName(1);
    uint16_t language = 0;
    if (!groups.empty()) {
        groupName = groups.begin()->first;
        language = groups.begin()->second.begin()->first;
        for (const auto& old : groups.begin()->second) {
            const Bytes& g = old.second.bytes;
            uint16_t count = 0;
            read16(g, 4, count);
            for (size_t i = 0; i < count && fits(g.size(), 6 + kGroupEntrySize * i, kGroupEntrySize); ++i) {
                icons.erase(ResourceName(get16(g.data() + 6 + kGroupEntrySize * i + 12)));
            }
        }
        groups.erase(groups.begin());
    }
    Bytes group;
    append16(group, 0);
    append16(group, 1);
    append16(group, static_cast<uint32_t>(images.size()));
    uint16_t id = 1;
    for (const IconImage& image : images) {
        while (icons.count(ResourceName(id)) != 0) ++id;
        icons[id][language].bytes = image.bytes;
        group.insert(group.end(), image.entry, image.entry + 12);
        append16(group, id);
    }
    groups[groupName][language].bytes = group;
}

std::wstring describeIcon(const ResourceTree& tree) {
    const auto groups = tree.types.find(ResourceName(kTypeGroupIcon));
    if (groups == tree.types.end() || groups->second.empty()) return std::wstring();
    const auto& first = *groups->second.begin();
    std::wstring text = L"group " + (first.first.isId() ? std::to_wstring(first.first.id)
                                                        : std::wstring(first.first.text.begin(), first.first.text.end()));
    const Bytes& g = first.second.begin()->second.bytes;
    uint16_t count = 0;
    read16(g, 4, count);
    for (size_t i = 0; i < count && fits(g.size(), 6 + kGroupEntrySize * i, kGroupEntrySize); ++i) {
        const uint8_t* entry = g.data() + 6 + kGroupEntrySize * i;
        IconImage image;
        const auto* icon = tree.find(kTypeIcon, get16(entry + 12));
        if (icon != nullptr && !icon->empty()) image.bytes = icon->begin()->second.bytes;
        text += i == 0 ? L": " : L", ";
        if (imageSize(image)) {
            text += size(image.width, image.height) + (image.png ? L" PNG" : L"");
        } else {
            text += size(entry[0] == 0 ? 256 : entry[0], entry[1] == 0 ? 256 : entry[1]) + L" (missing image)";
        }
    }
    return text;
}

}  // namespace jlpack
