// Icons: an .ico file read into its images, which become the executable's icon group
// (RT_GROUP_ICON) and its icons (RT_ICON).
#pragma once

#include "byte_io.h"
#include "resource_tree.h"

#include <string>
#include <vector>

namespace jlpack {

struct IconImage {
    uint32_t width = 0;   // in pixels, read from the image itself
    uint32_t height = 0;
    bool png = false;
    uint8_t entry[12] = {};  // the directory entry up to its size field, as the file has it
    Bytes bytes;
};

// The images of an .ico file, each a PNG or a device-independent bitmap.
[[nodiscard]] bool readIcoFile(const Bytes& file, std::vector<IconImage>& images, std::wstring& error);

// Replaces the launcher's icon group and the icons it lists by `images`, under the
// group's id and language (id 1, language neutral when it has none).
void setIcon(ResourceTree& tree, const std::vector<IconImage>& images);

// The images of the first icon group: "group 1: 16x16, 32x32, 256x256 PNG"; empty
// when there is none.
std::wstring describeIcon(const ResourceTree& tree);

}  // namespace jlpack
