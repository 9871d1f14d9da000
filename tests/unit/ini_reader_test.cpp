// The portable settings-file reader's decoding and its writer, and the platform's profile
// functions on real files (the Linux implementation natively, the Windows one under Wine).
// How the reader looks values up is compared with the Windows profile functions in win32/.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "os/ini_reader.h"
#include "os/os.h"
#include "temp_folder.h"

namespace {

using namespace std::string_literals;
using Bytes = std::vector<uint8_t>;

Bytes bytesOf(const std::string& text) { return Bytes(text.begin(), text.end()); }

// UTF-16 with its byte-order mark; characters beyond the BMP become pairs on both
// platforms.
std::string utf16(const std::wstring& text, bool bigEndian) {
    std::string out = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    auto put = [&](uint32_t unit) {
        const char high = static_cast<char>(unit >> 8), low = static_cast<char>(unit & 0xFF);
        out += bigEndian ? high : low;
        out += bigEndian ? low : high;
    };
    for (wchar_t ch : text) {
        uint32_t c = static_cast<uint32_t>(ch);
        if (c > 0xFFFF) {
            put(0xD800 + ((c - 0x10000) >> 10));
            put(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            put(c);
        }
    }
    return out;
}

// Every form of file the reader decodes, and each kind of broken UTF-8 it replaces.
TEST(IniReaderTest, DecodesEveryFormOfFile) {
    const std::vector<std::tuple<const char*, std::string, std::wstring>> cases = {
        {"UTF-8 with mark", "\xEF\xBB\xBFk=\xC3\xA9\xF0\x9F\x98\x80", L"k=\u00e9\U0001F600"},
        {"UTF-16 LE with mark", utf16(L"k=\u00e9\U0001F600", false), L"k=\u00e9\U0001F600"},
        {"UTF-16 BE with mark", utf16(L"k=\u00e9", true), L"k=\u00e9"},
        {"odd last byte of UTF-16", utf16(L"k=v", false) + "A", L"k=v"}, {"mark alone", "\xFF\xFE", L""},
        {"UTF-8 without mark", "k=\xC3\xA9", L"k=\u00e9"},
        {"not UTF-8: code page 1252", "k=\xE9\x80\x81\x9F", L"k=\u00e9\u20ac\u0081\u0178"},
        {"half a mark", "\xEF\xBB", L"\u00ef\u00bb"}, {"second mark is text", "\xEF\xBB\xBF\xEF\xBB\xBFk", L"\uFEFFk"},
        {"UTF-16 without mark is 8-bit text", "k\0=\0v\0"s, L"k\0=\0v\0"s},
        {"surrogate: last byte starts over", "\xEF\xBB\xBF\xED\xA0\x80", L"\uFFFD\uFFFD"},
        {"above U+10FFFF", "\xEF\xBB\xBF\xF4\x90\x80\x80", L"\uFFFD\uFFFD\uFFFD"},
        {"overlong", "\xEF\xBB\xBF\xC0\xAF\xE0\x80\xAF", L"\uFFFD\uFFFD\uFFFD\uFFFD"},
        {"broken sequence before ASCII", "\xEF\xBB\xBF\xE2\x82|\xE0\x9F" "A", L"\uFFFD|\uFFFDA"},
        {"short sequence at the end takes the rest", "\xEF\xBB\xBF" "a\xF4\x8F" "A", L"a\uFFFD"},
        {"invalid lead bytes", "\xEF\xBB\xBF\x80\xF5\xFF", L"\uFFFD\uFFFD\uFFFD"},
    };
    for (const auto& [what, bytes, expected] : cases) {
        EXPECT_EQ(jl::decodeProfileFile(bytesOf(bytes)), expected) << what;
    }
    EXPECT_EQ(jl::lookupProfileString(jl::decodeProfileFile(bytesOf(utf16(L"[S]\r\nk=v", false).substr(2))), L"S", L"k"), L"");
}

TEST(IniReaderTest, TruncatesToTheBufferLessItsNull) {
    const std::pair<size_t, const wchar_t*> cases[] = {
        {0, L""}, {1, L""}, {2, L"v"}, {5, L"valu"}, {6, L"value"}, {static_cast<size_t>(-1), L"value"}};
    for (const auto& [size, expected] : cases) EXPECT_EQ(jl::truncateProfileValue(L"value", size), expected) << size;
    // A pair is cut like any two units, so that a caller who doubles the buffer while it
    // comes back full still gets the whole value.
    const std::wstring smiley = L"x\U0001F600";
    EXPECT_EQ(jl::truncateProfileValue(smiley, 3), sizeof(wchar_t) == 2 ? L"x\xD83D" : smiley);
}

TEST(IniReaderTest, RefusesEntriesThatWouldChangeTheFileStructure) {
    EXPECT_TRUE(jl::isStorableProfileEntry(L"a]b", L"; k", L" \"v=[x]\" "));
    EXPECT_TRUE(jl::isStorableProfileEntry(L"", L"", L""));
    for (const std::wstring& bad : {L"a\rb"s, L"a\nb"s, L"a\0b"s}) {
        EXPECT_FALSE(jl::isStorableProfileEntry(bad, L"k", L"v"));
        EXPECT_FALSE(jl::isStorableProfileEntry(L"S", bad, L"v"));
        EXPECT_FALSE(jl::isStorableProfileEntry(L"S", L"k", bad));
    }
    EXPECT_FALSE(jl::isStorableProfileEntry(L"S", L"a=b", L"v"));
    EXPECT_FALSE(jl::isStorableProfileEntry(L"S", L" [x", L"v"));
}

struct WriteCase {
    const char* what;
    std::string before;
    std::wstring section, key, value;
    std::string after;
};

TEST(IniReaderTest, SetsOneValueAndKeepsTheRestOfTheFile) {
    const std::string bom = "\xEF\xBB\xBF";
    const std::vector<WriteCase> cases = {
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
        {"UTF-16 LE stays", utf16(L"[S]\r\nk=1\r\n", false), L"S", L"k", L"\u00e9",
         utf16(L"[S]\r\nk=\u00e9\r\n", false)},
        {"UTF-16 BE stays", utf16(L"[S]\r\n", true), L"S", L"k", L"2", utf16(L"[S]\r\nk=2\r\n", true)},
        {"broken UTF-8 elsewhere stays", bom + "[S]\r\nx=\xFF\r\nk=1\r\n", L"S", L"k", L"2",
         bom + "[S]\r\nx=\xFF\r\nk=2\r\n"},
        {"UTF-8 without mark stays", "[S]\r\n", L"S", L"k", L"\u00e9", "[S]\r\nk=\xC3\xA9\r\n"},
        {"code page 1252 stays", "[S]\r\nx=\xE9\r\n", L"S", L"k", L"\u20ac", "[S]\r\nx=\xE9\r\nk=\x80\r\n"},
        {"1252 cannot hold the value", "[S]\r\nx=\xE9\r\n", L"S", L"k", L"\u0416",
         bom + "[S]\r\nx=\xC3\xA9\r\nk=\xD0\x96\r\n"},
        {"rest would read as UTF-8", "[S]\r\na=\xC3\xA9\r\nk=\xE9\r\n", L"S", L"k", L"x",
         bom + "[S]\r\na=\xC3\x83\xC2\xA9\r\nk=x\r\n"},
    };
    for (const WriteCase& c : cases) {
        const Bytes after = jl::setProfileString(bytesOf(c.before), c.section, c.key, c.value);
        EXPECT_EQ(std::string(after.begin(), after.end()), c.after) << c.what;
        EXPECT_EQ(jl::lookupProfileString(jl::decodeProfileFile(after), c.section, c.key), c.value) << c.what;
    }
}

// --- the platform's profile functions on real files ----------------------------------

class ProfileFileTest : public ::testing::Test {
protected:
    std::string contents(const wchar_t* name) const {
        std::ifstream in(std::filesystem::path(folder_.path(name)), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    jl::testing::TempFolder folder_;
};

TEST_F(ProfileFileTest, FailsWithoutChangingAnything) {
    EXPECT_FALSE(jl::os::writeProfileString(L"S", L"k", L"v", folder_.path(L"missing/app.ini")));
    const std::wstring file = folder_.path(L"app.ini");
    ASSERT_TRUE(jl::os::writeProfileString(L"S", L"k", L"v", file));
    const std::string before = contents(L"app.ini");
    EXPECT_FALSE(jl::os::writeProfileString(L"S", L"k", L"v\r\n[T]\r\nx=y", file));
    EXPECT_FALSE(jl::os::writeProfileString(L"S", L"k=x", L"v", file));
    EXPECT_EQ(contents(L"app.ini"), before);
}

// Values are read as the file stands, also when another program changed it in place to
// the same size a moment after it was read, or replaced or removed it.
TEST_F(ProfileFileTest, SeesEveryChangeOfTheFile) {
    namespace fs = std::filesystem;
    const std::wstring file = folder_.write(L"app.ini", "[S]\nk=1\n");
    const fs::path aged = fs::path(folder_.path(L"aged.ini"));
    for (const char* value : {"1", "2", "3"}) {
        std::ofstream(fs::path(file), std::ios::binary | std::ios::trunc) << "[S]\nk=" << value << "\n";
        EXPECT_EQ(jl::os::readProfileString(L"S", L"k", file, 256), jl::os::fromUtf8(value));
    }
    folder_.write(L"aged.ini", "[S]\nk=aged\n");
    fs::last_write_time(aged, fs::file_time_type::clock::now() - std::chrono::hours(24));
    EXPECT_EQ(jl::os::readProfileString(L"S", L"k", aged.wstring(), 256), L"aged");
    fs::rename(aged, fs::path(file));
    EXPECT_EQ(jl::os::readProfileString(L"S", L"k", file, 256), L"aged");
    fs::remove(fs::path(file));
    EXPECT_EQ(jl::os::readProfileString(L"S", L"k", file, 256), L"");
}

#ifndef _WIN32
// A file is replaced through a new one beside it, which must not cost the old file its
// permissions or turn a link into a copy.
TEST_F(ProfileFileTest, KeepsPermissionsAndLinks) {
    namespace fs = std::filesystem;
    const fs::path target = folder_.write(L"target.ini", "[S]\nk=1\n");
    const fs::path link = fs::path(folder_.path(L"link.ini"));
    fs::create_symlink(target, link);
    fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    ASSERT_TRUE(jl::os::writeProfileString(L"S", L"k", L"2", link.wstring()));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(contents(L"target.ini"), "[S]\nk=2\n");
    EXPECT_EQ(fs::status(target).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder_.path()), fs::directory_iterator()), 2);
}
#endif

}  // namespace
