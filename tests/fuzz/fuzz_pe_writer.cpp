// jlpack's PE reader and writer on arbitrary bytes: an image is refused or its resource
// tree is rebuilt, and the rebuilt image reads back with the same tree, its resource
// section last and its DOS header unchanged.
#include "fuzz_support.h"

#include <algorithm>

#include "pe_image.h"
#include "resource_tree.h"
#include "version_resource.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const jlpack::Bytes file(data, data + size);
    jlpack::PeImage image;
    jlpack::ResourceTree tree;
    std::wstring error;
    if (!jlpack::PeImage::parse(file, image, error) || !image.changeRefusal().empty() ||
        !jlpack::ResourceTree::read(image, tree, error)) {
        return 0;
    }
    jlpack::VersionInfo version;
    if (const auto* found = tree.find(jlpack::kTypeVersion, 1)) {
        for (const auto& language : *found) (void)jlpack::readVersionResource(language.second.bytes, version);
    }
    tree.types[jlpack::kTypeRcdata][8000][0].bytes.assign(data, data + (size < 64 ? size : 64));
    if (!image.replaceResources([&](uint32_t rva) { return tree.write(rva); }, error)) return 0;

    jlpack::ResourceTree reread;
    FUZZ_CHECK(jlpack::ResourceTree::read(image, reread, error));
    uint32_t rva = 0, length = 0;
    image.directory(jlpack::kResourceDirectory, rva, length);
    FUZZ_CHECK(rva == image.sections().back().virtualAddress);
    FUZZ_CHECK(reread.write(rva) == tree.write(rva));
    const size_t dosAndPe = 0x40;
    FUZZ_CHECK(std::equal(file.begin(), file.begin() + dosAndPe, image.bytes().begin()));
    return 0;
}
