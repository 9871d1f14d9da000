// jlpack's formats: the PE writer, icons, version information, the appended JAR, the
// embedded layer and the command line. Windows reads the results back in the Win32 tests.
#include "appended_jar.h"
#include "command_line.h"
#include "embedded_layer.h"
#include "icon_resource.h"
#include "pe_image.h"
#include "resource_tree.h"
#include "version_resource.h"

#include <gtest/gtest.h>

#include <cctype>
#include <functional>

namespace jlpack {
namespace {

constexpr uint32_t kOptional = 0x98;  // e_lfanew 0x80 + signature + file header

Bytes section(uint32_t size, uint8_t fill) { return Bytes(size, fill); }

// A small image: headers, then ".text", then (per `order`) ".rsrc" and ".reloc".
Bytes makeImage(bool is64, const ResourceTree& tree, bool resourcesLast) {
    Bytes b(0x400, 0);
    b[0] = 'M', b[1] = 'Z';
    put32(b, 0x3C, 0x80);
    put32(b, 0x80, 0x4550);
    put16(b, 0x84, is64 ? 0x8664 : 0x14C);
    put16(b, 0x94, is64 ? 240 : 224);
    put16(b, kOptional, is64 ? 0x20B : 0x10B);
    put32(b, kOptional + 32, 0x1000);
    put32(b, kOptional + 36, 0x200);
    put32(b, kOptional + 60, 0x400);
    put32(b, kOptional + (is64 ? 108 : 92), 16);
    const size_t table = kOptional + (is64 ? 240 : 224);
    std::vector<std::pair<std::string, Bytes>> sections = {{".text", section(0x200, 0xC3)}};
    const Bytes reloc = section(0x200, 0x0E);
    if (!resourcesLast) sections.push_back({".rsrc", {}}), sections.push_back({".reloc", reloc});
    else sections.push_back({".reloc", reloc}), sections.push_back({".rsrc", {}});
    for (size_t i = 0; i < sections.size(); ++i) {
        const uint32_t rva = 0x1000 * (i + 1);
        Bytes& data = sections[i].second;
        if (sections[i].first == ".rsrc") {
            data = tree.write(rva);
            put32(b, kOptional + (is64 ? 112 : 96) + 16, rva), put32(b, kOptional + (is64 ? 112 : 96) + 20, data.size());
        }
        const size_t h = table + 40 * i;
        std::copy(sections[i].first.begin(), sections[i].first.end(), b.begin() + h);
        put32(b, h + 8, data.size()), put32(b, h + 12, rva), put32(b, h + 16, alignUp(data.size(), 0x200));
        put32(b, h + 20, b.size());
        b.insert(b.end(), data.begin(), data.end());
        b.resize(alignUp(b.size(), 0x200), 0);
        put32(b, kOptional + 56, rva + 0x1000);
    }
    put16(b, 0x86, sections.size());
    return b;
}

ResourceTree sampleTree() {
    ResourceTree tree;
    tree.types[kTypeRcdata][8000][0].bytes = {1, 2, 3};
    tree.types[kTypeManifest][1][0].bytes = Bytes(100, 'm');
    tree.types[ResourceName(u"PNGS")][ResourceName(u"LOGO")][0x409] = {{7, 7}, 1252};
    return tree;
}

TEST(JlpackPeImage, RebuildsTheResourcesAsTheLastSectionAndKeepsTheRest) {
    struct Case {
        const char* what;
        bool is64, resourcesLast;
        size_t sections;  // after the rebuild
    };
    for (const Case& c : {Case{"PE32, resources before relocations", false, false, 4},
                          Case{"PE32+, resources before relocations", true, false, 4},
                          Case{"PE32+, resources last: replaced in place", true, true, 3}}) {
        SCOPED_TRACE(c.what);
        const Bytes original = makeImage(c.is64, sampleTree(), c.resourcesLast);
        PeImage pe;
        ResourceTree tree;
        std::wstring error;
        ASSERT_TRUE(PeImage::parse(original, pe, error)) << error.size();
        ASSERT_TRUE(ResourceTree::read(pe, tree, error));
        EXPECT_EQ(tree.write(0x5000), sampleTree().write(0x5000));
        tree.types[kTypeRcdata][9000][0].bytes = Bytes(5000, 'k');  // grows beyond one file page
        ASSERT_TRUE(pe.replaceResources([&](uint32_t rva) { return tree.write(rva); }, error));

        ASSERT_EQ(pe.sections().size(), c.sections);
        const PeSection& last = pe.sections().back();
        uint32_t rva = 0, size = 0;
        pe.directory(kResourceDirectory, rva, size);
        EXPECT_EQ(last.name, ".rsrc");
        EXPECT_EQ(rva, last.virtualAddress);
        EXPECT_EQ(get32(pe.bytes().data() + kOptional + 56), alignUp(last.virtualAddress + last.virtualSize, 0x1000));
        EXPECT_EQ(pe.bytes().size(), last.rawPointer + last.rawSize);
        ResourceTree reread;
        ASSERT_TRUE(ResourceTree::read(pe, reread, error));
        EXPECT_EQ(reread.write(rva), tree.write(rva));
        // The code and the relocations stay where they were, byte for byte.
        EXPECT_TRUE(std::equal(original.begin() + 0x400, original.begin() + 0x600, pe.bytes().begin() + 0x400));
        const PeSection& reloc = pe.sections()[c.resourcesLast ? 1 : 2];
        EXPECT_EQ(Bytes(pe.bytes().begin() + reloc.rawPointer, pe.bytes().begin() + reloc.rawPointer + 0x200), Bytes(0x200, 0x0E));
    }
}

TEST(JlpackPeImage, RefusesMalformedSignedAndExtendedImages) {
    struct Case {
        const char* what;
        std::function<void(Bytes&)> change;
        bool parses;  // and is then refused for a change
    };
    const Case cases[] = {
        {"not MZ", [](Bytes& b) { b[0] = 'X'; }, false},
        {"cut in the headers", [](Bytes& b) { b.resize(0x90); }, false},
        {"header offset outside", [](Bytes& b) { put32(b, 0x3C, 0x7FFFFFF0); }, false},
        {"no PE signature", [](Bytes& b) { b[0x81] = 'X'; }, false},
        {"unknown optional header", [](Bytes& b) { put16(b, kOptional, 0x107); }, false},
        {"file alignment not a power of two", [](Bytes& b) { put32(b, kOptional + 36, 0x300); }, false},
        {"section past the end", [](Bytes& b) { b.resize(b.size() - 0x200); }, false},
        {"sections overlap", [](Bytes& b) { put32(b, kOptional + 224 + 40 + 12, 0x800); }, false},
        {"too many sections for the headers", [](Bytes& b) { put16(b, 0x86, 40); }, false},
        {"signed", [](Bytes& b) { put32(b, kOptional + 96 + 32, 0x2000), put32(b, kOptional + 96 + 36, 8); }, true},
        {"data after the last section", [](Bytes& b) { b.push_back(0); }, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Bytes image = makeImage(false, sampleTree(), false);
        c.change(image);
        PeImage pe;
        std::wstring error;
        ASSERT_EQ(PeImage::parse(image, pe, error), c.parses);
        EXPECT_FALSE(error.empty() && pe.changeRefusal().empty());
    }
}

Bytes icoFile(const std::vector<Bytes>& images) {
    Bytes b;
    append16(b, 0), append16(b, 1), append16(b, images.size());
    uint32_t offset = 6 + 16 * images.size();
    for (const Bytes& image : images) {
        append32(b, 0x00010010), append32(b, 0x00200001), append32(b, image.size()), append32(b, offset);
        offset += image.size();
    }
    for (const Bytes& image : images) b.insert(b.end(), image.begin(), image.end());
    return b;
}

TEST(JlpackIcon, ReplacesTheLaunchersGroupAndItsIcons) {
    Bytes bitmap(40 + 16 * 16 * 4, 0);
    put32(bitmap, 0, 40), put32(bitmap, 4, 16), put32(bitmap, 8, 32);
    Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13, 'I', 'H', 'D', 'R', 0, 0, 1, 0, 0, 0, 1, 0};
    std::vector<IconImage> images;
    std::wstring error;
    ASSERT_TRUE(readIcoFile(icoFile({bitmap, png}), images, error));

    ResourceTree tree;
    tree.types[kTypeIcon][1][0].bytes = bitmap;
    tree.types[kTypeIcon][7][0].bytes = png;  // listed by no group: kept
    Bytes oldGroup = {0, 0, 1, 0, 1, 0};
    Bytes entry(14, 0);
    put16(entry, 12, 1);
    oldGroup.insert(oldGroup.end(), entry.begin(), entry.end());
    tree.types[kTypeGroupIcon][5][0].bytes = oldGroup;
    setIcon(tree, images);
    EXPECT_EQ(describeIcon(tree), L"group 5: 16x16, 256x256 PNG");
    EXPECT_EQ(tree.types[kTypeIcon].size(), 3u);
    EXPECT_EQ(tree.types[kTypeIcon][7][0].bytes, png);

    Bytes cut = icoFile({png});
    cut.pop_back();
    for (const Bytes& bad : {Bytes{0, 0, 2, 0, 1, 0}, icoFile({Bytes(40, 'x')}), cut}) {
        EXPECT_FALSE(readIcoFile(bad, images, error));
    }
}

TEST(JlpackVersion, ParsesNumbersAndRoundTripsTheResource) {
    struct Case {
        const wchar_t* text;
        bool ok;
        uint16_t parts[4];
    };
    for (const Case& c : {Case{L"1.2.3.4", true, {1, 2, 3, 4}}, Case{L"7", true, {7, 0, 0, 0}},
                          Case{L"2.1.0-beta", true, {2, 1, 0, 0}}, Case{L"65535.0 (build 9)", true, {65535, 0, 0, 0}},
                          Case{L"1.2.3.4.5", false, {}}, Case{L"65536", false, {}}, Case{L"v1", false, {}},
                          Case{L"1..2", false, {}}, Case{L"", false, {}}, Case{L"1.2x", false, {}}}) {
        uint16_t parts[4] = {9, 9, 9, 9};
        EXPECT_EQ(parseVersionNumber(c.text, parts), c.ok) << c.text;
        if (c.ok) EXPECT_TRUE(std::equal(parts, parts + 4, c.parts)) << c.text;
    }
    VersionInfo info{{1, 2, 3, 4}, {5, 6, 0, 0}, {{u"ProductName", u"My Tool \u00e9"}, {u"CompanyName", u"ACME"}}};
    VersionInfo read;
    ASSERT_TRUE(readVersionResource(buildVersionResource(info, 0), read));
    EXPECT_TRUE(std::equal(read.fileVersion, read.fileVersion + 4, info.fileVersion));
    EXPECT_TRUE(std::equal(read.productVersion, read.productVersion + 4, info.productVersion));
    EXPECT_EQ(read.strings, info.strings);
}

// One stored entry "a.txt" holding "hi".
Bytes smallZip() {
    Bytes z = {'P', 'K', 3, 4, 10, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 0, 0, 2, 0, 0, 0, 5, 0, 0, 0};
    const Bytes name = {'a', '.', 't', 'x', 't'};
    z.insert(z.end(), name.begin(), name.end()), z.push_back('h'), z.push_back('i');
    const size_t central = z.size();
    Bytes c(46, 0);
    put32(c, 0, 0x02014B50), put32(c, 20, 2), put32(c, 24, 2), put16(c, 28, 5);
    z.insert(z.end(), c.begin(), c.end()), z.insert(z.end(), name.begin(), name.end());
    Bytes e(22, 0);
    put32(e, 0, 0x06054B50), put16(e, 8, 1), put16(e, 10, 1), put32(e, 12, 51), put32(e, 16, central);
    z.insert(z.end(), e.begin(), e.end());
    return z;
}

TEST(JlpackAppendedJar, MovesOffsetsToTheWholeFileAndCoversASignature) {
    const Bytes jar = smallZip();
    Bytes moved, file(1001, 'x');
    std::wstring error;
    ASSERT_TRUE(prepareAppendedJar(jar, file.size(), moved, error));
    file.insert(file.end(), moved.begin(), moved.end());
    EXPECT_EQ(file.size() % 8, 0u);
    const size_t padding = moved.size() - jar.size();
    EXPECT_EQ(get32(file.data() + 1001 + 37 + 42), 1001u);                        // the entry's local header
    EXPECT_EQ(get32(file.data() + file.size() - 22 - padding + 16), 1001u + 37);  // the central directory
    EXPECT_EQ(get16(file.data() + file.size() - 22 - padding + 20), padding);     // the comment
    ZipEnd zip;
    ASSERT_TRUE(findAppendedJar(file, 1000, file.size(), zip));
    EXPECT_EQ(zip.start, 1001u);
    EXPECT_TRUE(zip.fileOffsets);
    file.resize(file.size() + 1000, 's');  // a signature
    EXPECT_FALSE(findAppendedJar(file, 0, file.size(), zip));
    ASSERT_TRUE(findAppendedJar(file, 0, file.size() - 1000, zip));
    ASSERT_TRUE(extendCommentTo(file, zip, file.size()));
    ASSERT_TRUE(findAppendedJar(file, 0, file.size(), zip));
    EXPECT_EQ(zip.end, file.size());

    struct Refused {
        const char* what;
        std::function<void(Bytes&)> change;
    };
    for (const Refused& r : {Refused{"text", [](Bytes& b) { b.assign(60, 'a'); }},
                             Refused{"ZIP64", [](Bytes& b) { put32(b, b.size() - 6, 0xFFFFFFFF); }},
                             Refused{"damaged local header", [](Bytes& b) { b[0] = 'X'; }},
                             Refused{"no entries", [](Bytes& b) { b.erase(b.begin(), b.end() - 22); put32(b, 8, 0), put32(b, 12, 0), put32(b, 16, 0); }}}) {
        Bytes bad = jar;
        r.change(bad);
        EXPECT_FALSE(prepareAppendedJar(bad, 512, moved, error)) << r.what;
    }
}

TEST(JlpackEmbeddedLayer, IsReproducibleWithAKeyTextAndFillsTheLinuxArea) {
    const std::wstring key = L"fixed", text = L"[S]\r\nk=v\r\n";
    EmbeddedLayer a, b, random;
    std::wstring error, read;
    ASSERT_TRUE(encipherLayer(L"{UC}", &key, text, a, error) && encipherLayer(L"{UC}", &key, text, b, error));
    ASSERT_TRUE(encipherLayer(L"{UC}", nullptr, text, random, error));
    EXPECT_EQ(a.settingsResource, b.settingsResource);
    EXPECT_EQ(a.keyResource, b.keyResource);
    EXPECT_NE(a.settingsResource, random.settingsResource);
    ASSERT_TRUE(decipherLayer(L"{UC}", random, read));
    EXPECT_EQ(read, text);
    EXPECT_FALSE(decipherLayer(L"{other}", a, read));

    Bytes elf(1024, 0);
    std::string magic = "JLAUNCH-RCDATA-1";  // lowered here: the test image keeps one copy, the launcher's
    for (char& c : magic) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    std::copy(magic.begin(), magic.end(), elf.begin() + 100);
    put32(elf, 116, 400);
    EmbeddedLayer back;
    ASSERT_TRUE(writeReservedArea(elf, a, error) && readReservedArea(elf, back, error));
    EXPECT_EQ(back.settingsResource, a.settingsResource);
    EXPECT_EQ(back.keyResource, a.keyResource);
    put32(elf, 116, 110);  // too small for the layer
    EXPECT_FALSE(writeReservedArea(elf, a, error));

    for (const char* bad : {"\xC3\x28", "\xED\xA0\x80", "\xF8\x88\x80\x80\x80"}) {
        EXPECT_FALSE(decodeSettingsText(Bytes(bad, bad + std::char_traits<char>::length(bad)), read, error)) << bad;
    }
    ASSERT_TRUE(decodeSettingsText({0xFF, 0xFE, 'a', 0, '\n', 0}, read, error));
    EXPECT_EQ(read, L"a\r\n");
}

TEST(JlpackCommandLine, AcceptsTheContractAndRefusesWrongUsage) {
    struct Case {
        std::vector<std::wstring> arguments;
        bool ok;
    };
    const Case cases[] = {
        {{L"--describe", L"x.exe"}, true},
        {{L"--launcher", L"a", L"--output", L"b", L"--settings", L"s.ini", L"--embed", L"e.ini", L"--key-text", L"k",
          L"--icon", L"i.ico", L"--version", L"FileVersion=1.2", L"--version", L"ProductName=X", L"--manifest", L"m",
          L"--jar", L"j.jar", L"--sign-command", L"sign {out}"}, true},
        {{L"--launcher", L"a"}, false},
        {{L"--describe", L"x.exe", L"--jar", L"j"}, false},
        {{L"--launcher", L"a", L"--output", L"b", L"--embed", L"e.ini"}, false},
        {{L"--launcher", L"a", L"--output", L"b", L"--key-text", L"k"}, false},
        {{L"--launcher", L"a", L"--output", L"b", L"--version", L"Colour=red"}, false},
        {{L"--launcher", L"a", L"--output", L"b", L"--version", L"ProductName"}, false},
        {{L"--launcher", L"a", L"--output", L"b", L"--sign-command", L"sign file"}, false},
        {{L"--launcher", L"a", L"--output", L"b", L"--output", L"c"}, false},
        {{L"--launcher", L"a", L"--output"}, false},
        {{L"a", L"b"}, false},
    };
    for (const Case& c : cases) {
        Options options;
        std::wstring error;
        EXPECT_EQ(parseCommandLine(c.arguments, options, error), c.ok) << c.arguments.size() << " " << c.arguments.back();
    }
}

}  // namespace
}  // namespace jlpack
