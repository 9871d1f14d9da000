// jlpack's formats: the PE writer, icons, version information, the appended JAR, the
// embedded layer and the command line. Windows reads the results back in the Win32 tests.
#include "appended_jar.h"
#include "command_line.h"
#include "embedded_layer.h"
#include "icon_resource.h"
#include "pe_image.h"
#include "resource_tree.h"
#include "tool_io.h"
#include "version_resource.h"
#include "support/text.h"

#include <gtest/gtest.h>

#include <cctype>
#include <functional>

namespace jlpack {
namespace {

constexpr uint32_t kOptional = 0x98;  // e_lfanew 0x80 + signature + file header
using Change = std::function<void(Bytes&)>;

// A small image: headers, ".text" (0xC3 bytes), then ".rsrc" holding `tree` and ".reloc"
// (0x0E bytes), or these two the other way round.
Bytes makeImage(bool is64, const ResourceTree& tree, bool resourcesLast) {
    Bytes b(0x400, 0);
    const uint32_t optionalSize = is64 ? 240 : 224, directories = kOptional + (is64 ? 112 : 96);
    put16(b, 0, 0x5A4D), put32(b, 0x3C, 0x80), put32(b, 0x80, 0x4550), put16(b, 0x84, is64 ? 0x8664 : 0x14C);
    put16(b, 0x94, optionalSize), put16(b, kOptional, is64 ? 0x20B : 0x10B), put32(b, kOptional + 32, 0x1000);
    put32(b, kOptional + 36, 0x200), put32(b, kOptional + 60, 0x400), put32(b, directories - 4, 16);
    std::vector<std::string> names = {".text", ".rsrc", ".reloc"};
    if (resourcesLast) std::swap(names[1], names[2]);
    for (uint32_t i = 0; i < names.size(); ++i) {
        const uint32_t rva = 0x1000 * (i + 1), h = kOptional + optionalSize + 40 * i;
        const Bytes data = names[i] == ".rsrc" ? tree.write(rva) : Bytes(0x200, names[i] == ".text" ? 0xC3 : 0x0E);
        if (names[i] == ".rsrc") put32(b, directories + 16, rva), put32(b, directories + 20, data.size());
        std::copy(names[i].begin(), names[i].end(), b.begin() + h);
        put32(b, h + 8, data.size()), put32(b, h + 12, rva), put32(b, h + 16, alignUp(data.size(), 0x200));
        put32(b, h + 20, b.size());
        b.insert(b.end(), data.begin(), data.end());
        b.resize(alignUp(b.size(), 0x200), 0);
        put32(b, kOptional + 56, rva + 0x1000);
    }
    put16(b, 0x86, names.size());
    return b;
}

ResourceTree sampleTree() {
    ResourceTree tree;
    tree.types[kTypeRcdata][8000][0].bytes = {1, 2, 3};
    tree.types[kTypeManifest][1][0].bytes = Bytes(100, 'm');
    tree.types[ResourceName(u"PNGS")][ResourceName(u"LOGO")][0x409] = {{7, 7}, 1252};
    return tree;
}

Bytes range(const Bytes& bytes, size_t at, size_t size) { return Bytes(bytes.begin() + at, bytes.begin() + at + size); }

TEST(JlpackPeImage, RebuildsTheResourcesAsTheLastSectionAndKeepsTheRest) {
    struct Case { bool is64, resourcesLast; size_t sections; };  // resources last: replaced in place
    for (const Case& c : {Case{false, false, 4}, Case{true, false, 4}, Case{true, true, 3}}) {
        SCOPED_TRACE(testing::Message() << "64-bit " << c.is64 << ", resources last " << c.resourcesLast);
        const Bytes original = makeImage(c.is64, sampleTree(), c.resourcesLast);
        PeImage pe;
        ResourceTree tree, reread;
        std::wstring error;
        ASSERT_TRUE(PeImage::parse(original, pe, error) && ResourceTree::read(pe, tree, error));
        EXPECT_EQ(tree.write(0x5000), sampleTree().write(0x5000));
        tree.types[kTypeRcdata][9000][0].bytes = Bytes(5000, 'k');  // grows beyond one file page
        ASSERT_TRUE(pe.replaceResources([&](uint32_t rva) { return tree.write(rva); }, error));
        ASSERT_EQ(pe.sections().size(), c.sections);
        const PeSection& last = pe.sections().back();
        uint32_t rva = 0, size = 0;
        pe.directory(kResourceDirectory, rva, size);
        EXPECT_TRUE(last.name == ".rsrc" && rva == last.virtualAddress && pe.bytes().size() == last.rawPointer + last.rawSize);
        EXPECT_EQ(get32(pe.bytes().data() + kOptional + 56), alignUp(last.virtualAddress + last.virtualSize, 0x1000));
        ASSERT_TRUE(ResourceTree::read(pe, reread, error));
        EXPECT_EQ(reread.write(rva), tree.write(rva));
        // The code and the relocations stay where they were, byte for byte.
        EXPECT_EQ(range(pe.bytes(), 0x400, 0x200), Bytes(0x200, 0xC3));
        EXPECT_EQ(range(pe.bytes(), pe.sections()[c.resourcesLast ? 1 : 2].rawPointer, 0x200), Bytes(0x200, 0x0E));
    }
}

TEST(JlpackPeImage, RefusesMalformedSignedAndExtendedImages) {
    struct Case { const char* what; Change change; bool parses; };  // one that parses is refused for a change
    for (const Case& c : std::initializer_list<Case>{
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
             {"data after the last section", [](Bytes& b) { b.push_back(0); }, true}}) {
        Bytes image = makeImage(false, sampleTree(), false);
        c.change(image);
        PeImage pe;
        std::wstring error;
        EXPECT_EQ(PeImage::parse(image, pe, error), c.parses) << c.what;
        EXPECT_FALSE(error.empty() && pe.changeRefusal().empty()) << c.what;
    }
}

TEST(JlpackIcon, ReplacesTheLaunchersGroupAndItsIconsAndRefusesBrokenFiles) {
    Bytes ico;  // a PNG, then two bitmaps
    std::vector<IconImage> images;
    std::wstring error;
    ASSERT_TRUE(readWholeFile(L"" JL_SOURCE_DIR L"/sample/hello.ico", ico, error) && readIcoFile(ico, images, error));
    ResourceTree tree;
    tree.types[kTypeIcon][1][0].bytes = tree.types[kTypeIcon][7][0].bytes = {1};  // 1 in the old group, 7 in none: kept
    tree.types[kTypeGroupIcon][5][0].bytes = {0, 0, 1, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0};
    setIcon(tree, images);
    EXPECT_EQ(describeIcon(tree), L"group 5: 256x256 PNG, 48x48, 16x16");
    EXPECT_TRUE(tree.types[kTypeIcon].size() == 4 && tree.types[kTypeIcon][7][0].bytes == Bytes{1});
    // Not an icon file, cut off, an image neither PNG nor bitmap.
    for (const Change& change : std::initializer_list<Change>{[](Bytes& b) { b[2] = 2; }, [](Bytes& b) { b.pop_back(); },
                                                              [](Bytes& b) { b[54] = 'x'; }}) {
        Bytes bad = ico;
        change(bad);
        EXPECT_FALSE(readIcoFile(bad, images, error));
    }
}

TEST(JlpackVersion, ParsesNumbersAndRoundTripsTheResource) {
    struct Case { const wchar_t* text; bool ok; uint16_t parts[4]; };
    for (const Case& c : {Case{L"1.2.3.4", true, {1, 2, 3, 4}}, Case{L"7", true, {7, 0, 0, 0}},
                          Case{L"2.1.0-beta", true, {2, 1, 0, 0}}, Case{L"65535.0 (build 9)", true, {65535, 0, 0, 0}},
                          Case{L"1.2.3.4.5", false, {}}, Case{L"65536", false, {}}, Case{L"v1", false, {}},
                          Case{L"1..2", false, {}}, Case{L"", false, {}}, Case{L"1.2x", false, {}}}) {
        uint16_t parts[4] = {9, 9, 9, 9};
        EXPECT_EQ(parseVersionNumber(c.text, parts), c.ok) << c.text;
        EXPECT_TRUE(!c.ok || std::equal(parts, parts + 4, c.parts)) << c.text;
    }
    VersionInfo info{{1, 2, 3, 4}, {5, 6, 0, 0}, {{u"ProductName", u"My Tool \u00e9"}, {u"CompanyName", u"ACME"}}}, read;
    ASSERT_TRUE(readVersionResource(buildVersionResource(info, 0), read));
    EXPECT_TRUE(std::equal(read.fileVersion, read.fileVersion + 4, info.fileVersion) &&
                std::equal(read.productVersion, read.productVersion + 4, info.productVersion));
    EXPECT_EQ(read.strings, info.strings);
}

// One stored entry "a.txt" holding "hi": its local header, the central directory at 37
// and the end record.
Bytes smallZip() {
    Bytes z(30, 0), central(46, 0), end(22, 0);
    put32(z, 0, 0x04034B50), put16(z, 4, 10), put32(z, 18, 2), put32(z, 22, 2), put16(z, 26, 5);
    for (const char c : std::string("a.txthi")) z.push_back(static_cast<uint8_t>(c));
    put32(central, 0, 0x02014B50), put32(central, 20, 2), put32(central, 24, 2), put16(central, 28, 5);
    central.insert(central.end(), z.begin() + 30, z.begin() + 35);
    put32(end, 0, 0x06054B50), put16(end, 8, 1), put16(end, 10, 1), put32(end, 12, 51), put32(end, 16, 37);
    z.insert(z.end(), central.begin(), central.end()), z.insert(z.end(), end.begin(), end.end());
    return z;
}

TEST(JlpackAppendedJar, MovesOffsetsToTheWholeFileCoversASignatureAndRefusesOthers) {
    const Bytes jar = smallZip();
    Bytes moved, file(1001, 'x');
    std::wstring error;
    ASSERT_TRUE(prepareAppendedJar(jar, file.size(), moved, error));
    file.insert(file.end(), moved.begin(), moved.end());
    const size_t padding = moved.size() - jar.size(), record = file.size() - 22 - padding;
    EXPECT_EQ(file.size() % 8, 0u);
    EXPECT_EQ(get32(file.data() + 1001 + 37 + 42), 1001u);  // the entry's local header
    EXPECT_EQ(get32(file.data() + record + 16), 1001u + 37);  // the central directory
    EXPECT_EQ(get16(file.data() + record + 20), padding);     // the comment
    ZipEnd zip;
    EXPECT_TRUE(findAppendedJar(file, 1000, file.size(), zip) && zip.start == 1001 && zip.fileOffsets);
    file.resize(file.size() + 1000, 's');  // a signature
    EXPECT_FALSE(findAppendedJar(file, 0, file.size(), zip));
    ASSERT_TRUE(findAppendedJar(file, 0, file.size() - 1000, zip) && extendCommentTo(file, zip, file.size()));
    EXPECT_TRUE(findAppendedJar(file, 0, file.size(), zip) && zip.end == file.size());
    for (const auto& [what, change] : std::initializer_list<std::pair<const char*, Change>>{
             {"damaged local header", [](Bytes& b) { b[0] = 'X'; }},
             {"no entries", [](Bytes& b) { b = Bytes(22, 0), put32(b, 0, 0x06054B50); }}}) {
        Bytes bad = jar;
        change(bad);
        EXPECT_FALSE(prepareAppendedJar(bad, 512, moved, error)) << what;
    }
}

TEST(JlpackEmbeddedLayer, IsReproducibleWithAKeyTextAndFillsTheLinuxArea) {
    const std::wstring key = L"fixed", text = L"[S]\r\nk=v\r\n";
    EmbeddedLayer a, b, back;
    std::wstring error, read;
    ASSERT_TRUE(encipherLayer(L"{UC}", &key, text, a, error) && encipherLayer(L"{UC}", &key, text, b, error));
    EXPECT_TRUE(a.settingsResource == b.settingsResource && a.keyResource == b.keyResource);
    EXPECT_TRUE(decipherLayer(L"{UC}", a, read) && read == text);
    EXPECT_FALSE(decipherLayer(L"{other}", a, read));

    Bytes elf(1024, 0);
    std::string magic = "JLAUNCH-RCDATA-1";  // lowered here: the test image keeps one copy, the launcher's
    std::transform(magic.begin(), magic.end(), elf.begin() + 100, [](char c) { return static_cast<uint8_t>(std::tolower(c)); });
    put32(elf, 116, 400);
    ASSERT_TRUE(writeReservedArea(elf, a, error) && readReservedArea(elf, back, error));
    EXPECT_TRUE(back.settingsResource == a.settingsResource && back.keyResource == a.keyResource);
    put32(elf, 116, 110);  // too small for the layer
    EXPECT_FALSE(writeReservedArea(elf, a, error));

    for (const std::string bad : {"\xC3\x28", "\xED\xA0\x80", "\xF8\x88\x80\x80\x80"})
        EXPECT_FALSE(decodeSettingsText(Bytes(bad.begin(), bad.end()), read, error)) << bad;
    ASSERT_TRUE(decodeSettingsText({0xFF, 0xFE, 'a', 0, '\n', 0}, read, error));
    EXPECT_EQ(read, L"a\r\n");
}

TEST(JlpackCommandLine, AcceptsTheContractAndRefusesWrongUsage) {
    for (const auto& [line, ok] : std::initializer_list<std::pair<const wchar_t*, bool>>{
             {L"--describe x.exe", true},
             {L"--launcher a --output b --settings s.ini --embed e.ini --key-text k --icon i.ico --version FileVersion=1.2 "
              L"--version ProductName=X --manifest m --jar j.jar --sign-command \"sign {out}\"", true},
             {L"--launcher a", false},
             {L"--describe x.exe --jar j", false},
             {L"--launcher a --output b --output c", false},
             {L"--launcher a --output b --embed e.ini", false},
             {L"--launcher a --output b --key-text k", false},
             {L"--launcher a --output b --version Colour=red", false},
             {L"--launcher a --output b --version ProductName", false},
             {L"--launcher a --output b --sign-command \"sign file\"", false},
             {L"--launcher a --output", false},
             {L"a b", false}}) {
        Options options;
        std::wstring error;
        EXPECT_EQ(parseCommandLine(jl::splitArguments(line), options, error), ok) << line;
    }
}

}  // namespace
}  // namespace jlpack
