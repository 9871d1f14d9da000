// The resource tree of an executable as a model: type, name and language, each leaf
// the bytes of one resource. Read from an image and written back as a whole section.
#pragma once

#include "byte_io.h"
#include "pe_image.h"

#include <map>
#include <string>

namespace jlpack {

constexpr uint16_t kTypeIcon = 3;
constexpr uint16_t kTypeRcdata = 10;
constexpr uint16_t kTypeGroupIcon = 14;
constexpr uint16_t kTypeVersion = 16;
constexpr uint16_t kTypeManifest = 24;

// A resource type or name: a number, or (when `text` is not empty) a text.
struct ResourceName {
    uint16_t id = 0;
    std::u16string text;

    ResourceName() = default;
    ResourceName(uint16_t number) : id(number) {}  // NOLINT: ids read naturally as numbers
    explicit ResourceName(std::u16string name) : text(std::move(name)) {}
    bool isId() const { return text.empty(); }
    // The order of the directory: texts first (by code unit), then numbers.
    bool operator<(const ResourceName& other) const;
    bool operator==(const ResourceName& other) const { return id == other.id && text == other.text; }
};

struct ResourceData {
    Bytes bytes;
    uint32_t codePage = 0;
};

struct ResourceTree {
    using Languages = std::map<uint16_t, ResourceData>;
    using Names = std::map<ResourceName, Languages>;
    std::map<ResourceName, Names> types;

    // An image without resources gives an empty tree.
    [[nodiscard]] static bool read(const PeImage& image, ResourceTree& tree, std::wstring& error);
    // The section's bytes for a section that starts at `rva`. Deterministic: the same
    // tree gives the same bytes.
    Bytes write(uint32_t rva) const;

    // The languages of one resource; null when it is missing.
    const Languages* find(const ResourceName& type, const ResourceName& name) const;
};

}  // namespace jlpack
