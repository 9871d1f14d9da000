// The portable settings-file reader's decoding and writer, and the platform's profile
// functions on real files (lookups are compared with the Windows functions in win32/).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "os/ini_reader.h"
#include "os/os.h"
#include "temp_folder.h"

namespace jl {
namespace {

using namespace std::string_literals;
using Bytes = std::vector<uint8_t>;
namespace fs = std::filesystem;

Bytes bytesOf(const std::string& text) { return Bytes(text.begin(), text.end()); }

// UTF-16 with its byte-order mark; characters beyond the BMP become pairs on both platforms.
std::string utf16(const std::wstring& text, bool bigEndian) {
    std::string out = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    const auto put = [&](uint32_t unit) {
        out += static_cast<char>(bigEndian ? unit >> 8 : unit & 0xFF);
        out += static_cast<char>(bigEndian ? unit & 0xFF : unit >> 8);
    };
    for (wchar_t ch : text) {
        const uint32_t c = static_cast<uint32_t>(ch);
        if (c > 0xFFFF) put(0xD800 + ((c - 0x10000) >> 10)), put(0xDC00 + ((c - 0x10000) & 0x3FF));
        else put(c);
    }
    return out;
}

TEST(IniReaderTest, DecodesEveryFormOfFile) {
    const std::pair<std::string, std::wstring> cases[] = {
        {"\xEF\xBB\xBFk=\xC3\xA9\xF0\x9F\x98\x80", L"k=\u00e9\U0001F600"},
        {utf16(L"k=\u00e9\U0001F600", false), L"k=\u00e9\U0001F600"}, {utf16(L"k=\u00e9", true), L"k=\u00e9"},
        {utf16(L"k=v", false) + "A", L"k=v"}, {"\xFF\xFE", L""},  // an odd last byte; the mark alone
        {"k=\xC3\xA9", L"k=\u00e9"}, {"k=\xE9\x80\x81\x9F", L"k=\u00e9\u20ac\u0081\u0178"},  // UTF-8 or code page 1252
        {"\xEF\xBB", L"\u00ef\u00bb"}, {"\xEF\xBB\xBF\xEF\xBB\xBFk", L"\uFEFFk"},  // half a mark; a second mark
        {"k\0=\0v\0"s, L"k\0=\0v\0"s},  // UTF-16 without a mark is 8-bit text
        // Broken UTF-8: a surrogate (its last byte starts over), above U+10FFFF, overlong,
        // broken before ASCII, short at the end (takes the rest), invalid lead bytes.
        {"\xEF\xBB\xBF\xED\xA0\x80", L"\uFFFD\uFFFD"}, {"\xEF\xBB\xBF\xF4\x90\x80\x80", L"\uFFFD\uFFFD\uFFFD"},
        {"\xEF\xBB\xBF\xC0\xAF\xE0\x80\xAF", L"\uFFFD\uFFFD\uFFFD\uFFFD"},
        {"\xEF\xBB\xBF\xE2\x82|\xE0\x9F" "A", L"\uFFFD|\uFFFDA"}, {"\xEF\xBB\xBF" "a\xF4\x8F" "A", L"a\uFFFD"},
        {"\xEF\xBB\xBF\x80\xF5\xFF", L"\uFFFD\uFFFD\uFFFD"},
    };
    for (const auto& [bytes, expected] : cases) EXPECT_EQ(decodeProfileFile(bytesOf(bytes)), expected) << bytes;
    EXPECT_EQ(lookupProfileString(decodeProfileFile(bytesOf(utf16(L"[S]\r\nk=v", false).substr(2))), L"S", L"k"), L"");
}

TEST(IniReaderTest, TruncatesToTheBufferLessItsNull) {
    const std::pair<size_t, const wchar_t*> cases[] = {
        {0, L""}, {1, L""}, {2, L"v"}, {5, L"valu"}, {6, L"value"}, {static_cast<size_t>(-1), L"value"}};
    for (const auto& [size, expected] : cases) EXPECT_EQ(truncateProfileValue(L"value", size), expected) << size;
    // A pair is cut like any two units: a caller doubling its buffer while full gets it whole.
    const std::wstring smiley = L"x\U0001F600";
    EXPECT_EQ(truncateProfileValue(smiley, 3), sizeof(wchar_t) == 2 ? L"x\xD83D" : smiley);
}

TEST(IniReaderTest, RefusesEntriesThatWouldChangeTheFileStructure) {
    EXPECT_TRUE(isStorableProfileEntry(L"a]b", L"; k", L" \"v=[x]\" ") && isStorableProfileEntry(L"", L"", L""));
    for (const std::wstring& bad : {L"a\rb"s, L"a\nb"s, L"a\0b"s}) {
        EXPECT_FALSE(isStorableProfileEntry(bad, L"k", L"v") || isStorableProfileEntry(L"S", bad, L"v") ||
                     isStorableProfileEntry(L"S", L"k", bad));
    }
    EXPECT_FALSE(isStorableProfileEntry(L"S", L"a=b", L"v") || isStorableProfileEntry(L"S", L" [x", L"v"));
}

TEST(IniReaderTest, SetsOneValueAndKeepsTheRestOfTheFile) {
    const std::string bom = "\xEF\xBB\xBF";
    // what, before, section, key, value, after
    const std::tuple<const char*, std::string, const wchar_t*, const wchar_t*, const wchar_t*, std::string> cases[] = {
        {"new file", "", L"S", L"k", L"v", "[S]\r\nk=v\r\n"},
        {"new file, not ASCII", "", L"S", L"k", L"\u00e9", bom + "[S]\r\nk=\xC3\xA9\r\n"},
        {"replace, spacing kept", "[S]\r\nk = old  \r\nj=1\r\n", L"S", L"k", L"new", "[S]\r\nk = new\r\nj=1\r\n"},
        {"first matching section", "[s]\r\nK=1\r\n[S]\r\nk=2\r\n", L"S", L"k", L"3", "[s]\r\nK=3\r\n[S]\r\nk=2\r\n"},
        {"entry without value", "[S]\r\nflag \t\r\n", L"S", L"flag", L"on", "[S]\r\nflag=on\r\n"},
        {"add after the section's last line", "[S]\r\na=1\r\n\r\n[T]\r\nb=2\r\n", L"S", L"c", L"3",
         "[S]\r\na=1\r\nc=3\r\n\r\n[T]\r\nb=2\r\n"},
        {"add without final break", "[S]\r\na=1", L"S", L"c", L"3", "[S]\r\na=1\r\nc=3"},
        {"new section in LF file", "[S]\na=1\n", L"T", L"b", L"2", "[S]\na=1\n[T]\nb=2\n"},
        {"new section, names trimmed", "[S]\ra=1", L" T ", L" b ", L"2", "[S]\ra=1\r[T]\rb=2"},
        {"section without name", "[S]\r\na=1\r\n", L"", L"k", L"v", "k=v\r\n[S]\r\na=1\r\n"},
        {"UTF-16 LE stays", utf16(L"[S]\r\nk=1\r\n", false), L"S", L"k", L"\u00e9", utf16(L"[S]\r\nk=\u00e9\r\n", false)},
        {"UTF-16 BE stays", utf16(L"[S]\r\n", true), L"S", L"k", L"2", utf16(L"[S]\r\nk=2\r\n", true)},
        {"broken UTF-8 elsewhere stays", bom + "[S]\r\nx=\xFF\r\nk=1\r\n", L"S", L"k", L"2", bom + "[S]\r\nx=\xFF\r\nk=2\r\n"},
        {"UTF-8 without mark stays", "[S]\r\n", L"S", L"k", L"\u00e9", "[S]\r\nk=\xC3\xA9\r\n"},
        {"code page 1252 stays", "[S]\r\nx=\xE9\r\n", L"S", L"k", L"\u20ac", "[S]\r\nx=\xE9\r\nk=\x80\r\n"},
        {"1252 cannot hold the value", "[S]\r\nx=\xE9\r\n", L"S", L"k", L"\u0416", bom + "[S]\r\nx=\xC3\xA9\r\nk=\xD0\x96\r\n"},
        {"rest would read as UTF-8", "[S]\r\na=\xC3\xA9\r\nk=\xE9\r\n", L"S", L"k", L"x", bom + "[S]\r\na=\xC3\x83\xC2\xA9\r\nk=x\r\n"},
    };
    for (const auto& [what, before, section, key, value, after] : cases) {
        const Bytes written = setProfileString(bytesOf(before), section, key, value);
        EXPECT_EQ(std::string(written.begin(), written.end()), after) << what;
        EXPECT_EQ(lookupProfileString(decodeProfileFile(written), section, key), value) << what;
    }
}

class ProfileFileTest : public ::testing::Test {
protected:
    std::string contents(const wchar_t* name) const {
        std::ifstream in(fs::path(folder_.path(name)), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    testing::TempFolder folder_;
};

TEST_F(ProfileFileTest, FailsWithoutChangingAnything) {
    EXPECT_FALSE(os::writeProfileString(L"S", L"k", L"v", folder_.path(L"missing/app.ini")));
    const std::wstring file = folder_.path(L"app.ini");
    ASSERT_TRUE(os::writeProfileString(L"S", L"k", L"v", file));
    const std::string before = contents(L"app.ini");
    EXPECT_FALSE(os::writeProfileString(L"S", L"k", L"v\r\n[T]\r\nx=y", file) || os::writeProfileString(L"S", L"k=x", L"v", file));
    EXPECT_EQ(contents(L"app.ini"), before);
}

// Values are read as the file stands, also when another program changed it in place to
// the same size a moment after it was read, or replaced or removed it.
TEST_F(ProfileFileTest, SeesEveryChangeOfTheFile) {
    const std::wstring file = folder_.path(L"app.ini");
    for (const char* value : {"1", "2", "3"}) {
        std::ofstream(fs::path(file), std::ios::binary | std::ios::trunc) << "[S]\nk=" << value << "\n";
        EXPECT_EQ(os::readProfileString(L"S", L"k", file, 256), os::fromUtf8(value));
    }
    const fs::path aged = fs::path(folder_.write(L"aged.ini", "[S]\nk=aged\n"));
    fs::last_write_time(aged, fs::file_time_type::clock::now() - std::chrono::hours(24));
    EXPECT_EQ(os::readProfileString(L"S", L"k", aged.wstring(), 256), L"aged");
    fs::rename(aged, fs::path(file));
    EXPECT_EQ(os::readProfileString(L"S", L"k", file, 256), L"aged");
    fs::remove(fs::path(file));
    EXPECT_EQ(os::readProfileString(L"S", L"k", file, 256), L"");
}

#ifndef _WIN32
// A file is replaced through a new one beside it, which must not cost the old file its
// permissions or turn a link into a copy.
TEST_F(ProfileFileTest, KeepsPermissionsAndLinks) {
    const fs::path target = folder_.write(L"target.ini", "[S]\nk=1\n"), link = folder_.path(L"link.ini");
    const fs::perms mode = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
    fs::create_symlink(target, link);
    fs::permissions(target, mode);
    ASSERT_TRUE(os::writeProfileString(L"S", L"k", L"2", link.wstring()));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(contents(L"target.ini"), "[S]\nk=2\n");
    EXPECT_EQ(fs::status(target).permissions() & fs::perms::all, mode);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder_.path()), fs::directory_iterator()), 2);
}
#endif

}  // namespace
}  // namespace jl
