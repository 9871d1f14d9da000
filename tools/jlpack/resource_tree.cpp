#include "resource_tree.h"



namespace jlpack {
namespace {

constexpr uint32_t kSubdirectoryBit = 0x80000000u;
constexpr uint32_t kMaxEntries = 65535;  // so that no rebuilt directory overflows its 16-bit counts
constexpr uint64_t kMaxDataBytes = 256u << 20;

class TreeReader {
public:
    TreeReader(const PeImage& image, size_t root) : image_(image), bytes_(image.bytes()), root_(root) {}

    bool readDirectory(uint32_t offset, int level, ResourceTree& tree, ResourceName* path, std::wstring& error) {
        uint16_t named = 0, numbered = 0;
        const size_t at = root_ + offset;
        if (!read16(bytes_, at + 12, named) || !read16(bytes_, at + 14, numbered) ||
            !fits(bytes_.size(), at + 16, 8ull * (named + numbered))) {
            error = L"has a resource directory that runs past the end of the file";
            return false;
        }
        entries_ += named + numbered;
        if (entries_ > kMaxEntries) {
            error = L"has more resource entries than any executable needs";
            return false;
        }
        for (uint32_t i = 0; i < uint32_t{named} + numbered; ++i) {
            const uint32_t nameField = get32(bytes_.data() + at + 16 + 8 * i);
            const uint32_t target = get32(bytes_.data() + at + 20 + 8 * i);
            if (!readName(nameField, path[level], error)) return false;
            if (level == 2 && !path[2].isId()) {
                error = L"names a resource language by a text";
                return false;
            }
            const bool subdirectory = (target & kSubdirectoryBit) != 0;
            if (subdirectory != (level < 2)) {
                error = L"has a resource tree that is not three levels deep";
                return false;
            }
            if (subdirectory) {
                if (!readDirectory(target & ~kSubdirectoryBit, level + 1, tree, path, error)) return false;
            } else if (!readLeaf(target, tree, path, error)) {
                return false;
            }
        }
        return true;
    }

private:
    bool readName(uint32_t field, ResourceName& name, std::wstring& error) {
        name = ResourceName();
        if ((field & kSubdirectoryBit) == 0) {
            if (field > 0xFFFF) {
                error = L"has a resource id beyond 65535";
                return false;
            }
            name.id = static_cast<uint16_t>(field);
            return true;
        }
        const size_t at = root_ + (field & ~kSubdirectoryBit);
        uint16_t length = 0;
        if (!read16(bytes_, at, length) || length == 0 || !fits(bytes_.size(), at + 2, 2ull * length)) {
            error = L"has a resource name outside the file";
            return false;
        }
        for (uint32_t i = 0; i < length; ++i) name.text.push_back(static_cast<char16_t>(get16(bytes_.data() + at + 2 + 2 * i)));
        return true;
    }

    bool readLeaf(uint32_t offset, ResourceTree& tree, const ResourceName* path, std::wstring& error) {
        const size_t at = root_ + offset;
        size_t dataOffset = 0;
        if (!fits(bytes_.size(), at, 16) ||
            !image_.rvaToOffset(get32(bytes_.data() + at), get32(bytes_.data() + at + 4), dataOffset)) {
            error = L"has resource data outside its sections";
            return false;
        }
        const uint32_t size = get32(bytes_.data() + at + 4);
        dataBytes_ += size;
        if (dataBytes_ > kMaxDataBytes) {
            error = L"has more resource data than any executable needs";
            return false;
        }
        ResourceData& leaf = tree.types[path[0]][path[1]][path[2].id];
        leaf.bytes.assign(bytes_.begin() + dataOffset, bytes_.begin() + dataOffset + size);
        leaf.codePage = get32(bytes_.data() + at + 8);
        return true;
    }

    const PeImage& image_;
    const Bytes& bytes_;
    size_t root_;
    uint32_t entries_ = 0;
    uint64_t dataBytes_ = 0;
};


}  // namespace

bool ResourceName::operator<(const ResourceName& other) const {
    if (isId() != other.isId()) return !isId();
    return isId() ? id < other.id : text < other.text;
}

bool ResourceTree::read(const PeImage& image, ResourceTree& tree, std::wstring& error) {
    tree.types.clear();
    uint32_t rva = 0, size = 0;
    image.directory(kResourceDirectory, rva, size);
    if (rva == 0 && size == 0) return true;
    size_t root = 0;
    if (!image.rvaToOffset(rva, 16, root)) {
        error = L"has a resource directory outside its sections";
        return false;
    }
    ResourceName path[3];
    return TreeReader(image, root).readDirectory(0, 0, tree, path, error);
}

const ResourceTree::Languages* ResourceTree::find(const ResourceName& type, const ResourceName& name) const {
    const auto t = types.find(type);
    if (t == types.end()) return nullptr;
    const auto n = t->second.find(name);
    return n == t->second.end() ? nullptr : &n->second;
}

Bytes ResourceTree::write(uint32_t rva) const {
    // Directories breadth first (root, types, names), then the data entries, the name
    // texts and the data, each blob on an 8-byte boundary.
    std::vector<const Names*> typeDirs;
    std::vector<const Languages*> nameDirs;
    std::vector<const ResourceData*> leaves;
    for (const auto& type : types) typeDirs.push_back(&type.second);
    for (const auto& type : types)
        for (const auto& name : type.second) nameDirs.push_back(&name.second);
    for (const Languages* languages : nameDirs)
        for (const auto& language : *languages) leaves.push_back(&language.second);

    size_t directoriesSize = 16 + 8 * types.size();
    for (const Names* names : typeDirs) directoriesSize += 16 + 8 * names->size();
    for (const Languages* languages : nameDirs) directoriesSize += 16 + 8 * languages->size();
    const size_t entriesOffset = directoriesSize;
    const size_t textsOffset = entriesOffset + 16 * leaves.size();

    Bytes texts;
    std::map<std::u16string, size_t> textOffsets;
    auto nameField = [&](const ResourceName& name) -> uint32_t {
        if (name.isId()) return name.id;
        auto found = textOffsets.find(name.text);
        if (found == textOffsets.end()) {
            found = textOffsets.emplace(name.text, textsOffset + texts.size()).first;
            append16(texts, static_cast<uint32_t>(name.text.size()));
            for (char16_t c : name.text) append16(texts, c);
        }
        return kSubdirectoryBit | static_cast<uint32_t>(found->second);
    };

    Bytes out;
    auto directoryHeader = [&](size_t named, size_t total) {
        for (int i = 0; i < 12; ++i) out.push_back(0);
        append16(out, static_cast<uint32_t>(named));
        append16(out, static_cast<uint32_t>(total - named));
    };
    auto countNamed = [](const auto& map) {
        size_t n = 0;
        for (const auto& entry : map) n += entry.first.isId() ? 0 : 1;
        return n;
    };
    // Root: one entry per type, pointing at the type directories in order.
    size_t next = 16 + 8 * types.size();
    directoryHeader(countNamed(types), types.size());
    for (const auto& type : types) {
        append32(out, nameField(type.first));
        append32(out, kSubdirectoryBit | static_cast<uint32_t>(next));
        next += 16 + 8 * type.second.size();
    }
    for (const Names* names : typeDirs) {
        directoryHeader(countNamed(*names), names->size());
        for (const auto& name : *names) {
            append32(out, nameField(name.first));
            append32(out, kSubdirectoryBit | static_cast<uint32_t>(next));
            next += 16 + 8 * name.second.size();
        }
    }
    size_t leafIndex = 0;
    for (const Languages* languages : nameDirs) {
        directoryHeader(0, languages->size());
        for (const auto& language : *languages) {
            append32(out, language.first);
            append32(out, static_cast<uint32_t>(entriesOffset + 16 * leafIndex++));
        }
    }
    size_t dataOffset = alignUp(textsOffset + texts.size(), 8);
    for (const ResourceData* leaf : leaves) {
        append32(out, static_cast<uint32_t>(rva + dataOffset));
        append32(out, static_cast<uint32_t>(leaf->bytes.size()));
        append32(out, leaf->codePage);
        append32(out, 0);
        dataOffset = alignUp(dataOffset + leaf->bytes.size(), 8);
    }
    out.insert(out.end(), texts.begin(), texts.end());
    for (const ResourceData* leaf : leaves) {
        padTo(out, 8);
        out.insert(out.end(), leaf->bytes.begin(), leaf->bytes.end());
    }
    return out;
}

}  // namespace jlpack
