// The portable settings reader against GetPrivateProfileStringW on the same bytes: files
// that each stress one rule, in every encoding, broken bytes, and a few hundred files
// built at random from the same troublesome pieces. Any lookup that differs fails with
// both results.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "../unit/temp_folder.h"
#include "os/ini_reader.h"

namespace {

using namespace std::string_literals;

// The forms a file is written in: with a byte-order mark (UTF-8, UTF-16 LE and BE), UTF-8,
// code page 1252 and UTF-16 LE without one.
constexpr int kForms = 6;
std::string encode(const std::wstring& text, int form) {
    std::string out = form == 0 ? "\xEF\xBB\xBF" : form == 1 ? "\xFF\xFE" : form == 2 ? "\xFE\xFF" : "";
    if (form == 0 || form == 3 || form == 4) {
        const UINT codePage = form == 4 ? 1252 : CP_UTF8;
        const int size = static_cast<int>(text.size());
        std::string narrow(text.empty() ? 0 : WideCharToMultiByte(codePage, 0, text.data(), size, nullptr, 0, nullptr, nullptr), '\0');
        if (!text.empty()) WideCharToMultiByte(codePage, 0, text.data(), size, narrow.data(), static_cast<int>(narrow.size()), nullptr, nullptr);
        return out + narrow;
    }
    for (wchar_t c : text) out += {static_cast<char>(form == 2 ? c >> 8 : c), static_cast<char>(form == 2 ? c : c >> 8)};
    return out;
}

class ProfileDifferentialTest : public ::testing::Test {
protected:
    // The text the profile functions read. Without a byte-order mark they use the ANSI
    // code page where the portable reader takes valid UTF-8 as UTF-8; such files are
    // compared on the code page's text.
    static std::wstring textOf(const std::string& bytes) {
        const std::vector<uint8_t> raw(bytes.begin(), bytes.end());
        const jl::ProfileEncoding encoding = jl::detectProfileEncoding(raw);
        const bool ascii = std::all_of(bytes.begin(), bytes.end(), [](char c) { return (c & 0x80) == 0; });
        if ((encoding == jl::ProfileEncoding::Utf8 && !ascii) || (encoding == jl::ProfileEncoding::Windows1252 && GetACP() != 1252)) {
            std::wstring text(MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0), L'\0');
            MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(), static_cast<int>(text.size()));
            return text;
        }
        return jl::decodeProfileFile(raw);
    }

    // Compares every section with every key; with `variants` each name is also asked for
    // in upper case and between blanks. Every file gets a name of its own: the profile
    // functions cache what they read.
    void compare(const std::string& what, const std::string& bytes, std::vector<std::wstring> sections,
                 std::vector<std::wstring> keys, bool variants) {
        for (std::vector<std::wstring>* names : {&sections, &keys}) {
            for (size_t i = 0, count = variants ? names->size() : 0; i < count; ++i) {
                std::wstring upper = (*names)[i];
                for (wchar_t& c : upper) c = c >= L'a' && c <= L'z' ? c - 32 : c;
                names->push_back(upper);
                names->push_back(L" \t" + (*names)[i] + L"\x1a ");
            }
        }
        const std::wstring path = temp_.write(L"f" + std::to_wstring(files_++) + L".ini", bytes), text = textOf(bytes);
        std::vector<wchar_t> buffer(text.size() + 2);
        for (const std::wstring& section : sections) {
            for (const std::wstring& key : keys) {
                const std::wstring expected = jl::lookupProfileString(text, section, key);
                const std::wstring actual(buffer.data(), GetPrivateProfileStringW(section.c_str(), key.c_str(), L"", buffer.data(),
                                                                                  static_cast<DWORD>(buffer.size()), path.c_str()));
                EXPECT_EQ(actual, expected) << what << ": [" << ::testing::PrintToString(section) << "] "
                                            << ::testing::PrintToString(key) << " (expected: the profile functions)";
            }
        }
    }

    jl::testing::TempFolder temp_;
    int files_ = 0;
};

TEST_F(ProfileDifferentialTest, SamplesInEveryEncodingAndBrokenBytes) {
    const std::wstring rules =
        L"top=0\r\n=empty name\r\n[Launch]\r\nMain Class = app.Main \r\n\tClass Path\t=\ta.jar;b.jar\t\r\n"
        L"q1=\"quoted\"\r\nq2='single'\r\nq3=\"mixed'\r\nq4=\"\r\nq5=\"\"\r\nq6=  \" blanks \"  \r\n"
        L"q7=\"a\"b\"\r\nq8=x\"y\"\r\nq9=\"\"twice\"\"\r\neq=a=b=c\r\nempty=\r\nflag\r\nflag=late\r\n"
        L"; note=1\r\n;c=2\r\nk\x0b=\x0cv\x1a\r\nnb\u00a0=\u00a0v\r\na b=c\r\n[Open\r\nafter open=1\r\n"
        L"[ Dup ]\r\nk=first\r\nk=second\r\n[dup]\r\nk=third\r\nonly later=1\r\n"
        L"[S] ; tail\r\nk=s\r\n[a]b]\r\nk=ab\r\n[[x]]\r\nk=x\r\n[a=b]\r\nk=eq\r\n[]\r\nk=unnamed\r\n";
    const std::wstring letters = L"[S\u00e9]\r\nK\u00c9Y=\u00e9t\u00e9\r\n\u03a3=\u03c3\r\n[\u0416]\r\n\u0434=\u20ac\r\n";
    const std::wstring nulls = L"[S\0X]\r\nk=1\r\n[S]\r\nk=2\r\n[T]\r\nk\0z=1\r\nv=ab\0cd\r\nq=\"ab\0c\"\r\n"
                               L"r=\"ab\"\0c\r\nb \0=1\r\n\0\r\nn=\0\r\n"s;
    const std::vector<std::wstring> abc = {L"a", L"b", L"c"}, st = {L"S", L"T"};
    const struct {
        const char* what;
        std::wstring text;
        std::vector<std::wstring> sections, keys;
    } samples[] = {
        {"rules", rules, {L"", L"Launch", L"Dup", L"S", L"a]b", L"[x]", L"a=b", L"Open", L"a"},
         {L"top", L"", L"Main Class", L"Class Path", L"q1", L"q2", L"q3", L"q4", L"q5", L"q6", L"q7", L"q8", L"q9", L"eq",
          L"empty", L"flag", L"; note", L";c", L"note", L"k", L"nb\u00a0", L"nb", L"a b", L"a  b", L"[Open", L"after open",
          L"only later", L"missing"}},
        {"letters", letters, {L"S\u00e9", L"S\u00c9", L"\u0416", L"\u0436"},
         {L"K\u00c9Y", L"k\u00e9y", L"\u03a3", L"\u03c3", L"\u0434", L"\u0414"}},
        {"nulls", nulls, {L"S", L"T", L""}, {L"k", L"v", L"q", L"r", L"b", L"", L"n"}},
        {"CR LF", L"[S]\r\na=1\r\n\r\nb=2\r\n[T]\r\nc=3", st, abc},
        {"LF", L"[S]\na=1\n\nb=2\n[T]\nc=3", st, abc},
        {"CR", L"[S]\ra=1\r\rb=2\r[T]\rc=3", st, abc},
        {"LF CR", L"[S]\n\ra=1\n\r\n\rb=2\n\r[T]\n\rc=3\n\r", st, abc},
        {"long values",
         L"[S]\r\nv300=" + std::wstring(300, L'a') + L"\r\nq300=\"" + std::wstring(300, L'b') + L"\"\r\nv100k=" +
             std::wstring(100000, L'c') + L"\r\n" + std::wstring(5000, L'n') + L"=long name\r\n",
         {L"S"}, {L"v300", L"q300", L"v100k", std::wstring(5000, L'n')}},
        {"empty file", L"", {L"", L"S"}, {L"", L"k"}},
    };
    for (const auto& sample : samples) {
        for (int form = 0; form < kForms; ++form) {
            compare(std::string(sample.what) + " (form " + std::to_string(form) + ")", encode(sample.text, form),
                    sample.sections, sample.keys, form == 0);
        }
    }
    const std::pair<const char*, std::string> broken[] = {
        {"broken UTF-8 with mark", "\xEF\xBB\xBF[S]\r\nk=\xED\xA0\x80|\xF4\x90\x80\x80|\xC0\xAF|\xE2\x82\r\nj=v\xF0\x9F\x98"},
        {"double mark", "\xEF\xBB\xBF\xEF\xBB\xBF[S]\r\nk=v\r\n"},
        {"odd UTF-16", "\xFF\xFE[\0S\0]\0\n\0k\0=\0v\0\n\0\x01"s},
        {"unpaired surrogates", "\xFF\xFE[\0S\0]\0\n\0k\0=\0\x00\xDC\x00\xD8x\0"s},
        {"code page 1252", "[S\xE9]\r\nk\xC9=\x80\x81\x8D\x8F\x90\x9D\x9F\xFF\r\n"},
        {"half mark", "\xEF\xBB[S]\r\nk=v"},
    };
    for (const auto& [what, bytes] : broken) compare(what, bytes, {L"S", L"S\u00e9", L""}, {L"k", L"k\u00c9", L"j"}, true);
}

// Files put together at random from pieces that each stress a rule, in random forms.
TEST_F(ProfileDifferentialTest, RandomFiles) {
    const std::vector<std::wstring> names = {L"S", L"s", L"T", L"k", L"K", L"\u00e4", L"\u00c4", L"", L"a b", L";k"},
                                    values = {L"v", L"\"q\"", L"'q'", L"\"q'", L"\"", L"", L"a=b", L"\u00e9\u20ac", L"x\0y"s, L"\"\""},
                                    blanks = {L"", L" ", L"\t", L"\x1a", L" \x0b "},
                                    breaks = {L"\r\n", L"\n", L"\r", L"\n\r", L"\r\n\r\n"};
    std::mt19937 random(20240611);
    auto pick = [&](const std::vector<std::wstring>& pool) { return pool[random() % pool.size()]; };
    for (int file = 0; file < 200; ++file) {
        std::wstring text;
        const int lineCount = 1 + static_cast<int>(random() % 12);
        for (int line = 0; line < lineCount; ++line) {
            switch (random() % 8) {
                case 0: text += pick(blanks) + L"[" + pick(blanks) + pick(names) + pick(blanks) + L"]"; break;
                case 1: text += L"[" + pick(names) + (random() % 2 ? L"] tail" : L" unclosed"); break;
                case 2: text += pick(names); break;
                default: text += pick(blanks) + pick(names) + pick(blanks) + L"=" + pick(blanks) + pick(values) + pick(blanks);
            }
            if (line + 1 < lineCount || random() % 2) text += pick(breaks);
        }
        compare("random file " + std::to_string(file), encode(text, static_cast<int>(random() % kForms)), names, names, false);
    }
}

}  // namespace
