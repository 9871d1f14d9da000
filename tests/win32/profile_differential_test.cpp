// The portable settings reader against GetPrivateProfileStringW on the same bytes: a
// set of files that each stress one rule, in every encoding, and a few hundred files
// built at random from the same troublesome pieces. Any lookup that differs fails with
// both results.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "os/ini_reader.h"

namespace {

using namespace std::string_literals;

std::string show(const std::wstring& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text.size() > 120 && i == 50) out += "...", i = text.size() - 50;
        char escaped[8];
        std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(text[i]));
        out += text[i] >= 0x20 && text[i] < 0x7F && text[i] != '\\' ? std::string(1, static_cast<char>(text[i])) : escaped;
    }
    return "\"" + out + "\"";
}

std::wstring decodeWithCodePage(UINT codePage, const std::string& bytes) {
    if (bytes.empty()) return {};
    const int size = static_cast<int>(bytes.size());
    std::wstring text(MultiByteToWideChar(codePage, 0, bytes.data(), size, nullptr, 0), L'\0');
    MultiByteToWideChar(codePage, 0, bytes.data(), size, text.data(), static_cast<int>(text.size()));
    return text;
}

enum class Form { Utf8Bom, Utf16Le, Utf16Be, Utf8, Ansi, Utf16LeWithoutBom };
constexpr Form kForms[] = {Form::Utf8Bom, Form::Utf16Le, Form::Utf16Be, Form::Utf8, Form::Ansi,
                           Form::Utf16LeWithoutBom};

std::string encode(const std::wstring& text, Form form) {
    auto narrow = [&](UINT codePage) {
        if (text.empty()) return std::string();
        const int size = static_cast<int>(text.size());
        std::string out(WideCharToMultiByte(codePage, 0, text.data(), size, nullptr, 0, nullptr, nullptr), '\0');
        WideCharToMultiByte(codePage, 0, text.data(), size, out.data(), static_cast<int>(out.size()), nullptr, nullptr);
        return out;
    };
    auto wide = [&](bool bigEndian) {
        std::string out;
        for (wchar_t c : text) {
            out += static_cast<char>(bigEndian ? c >> 8 : c & 0xFF);
            out += static_cast<char>(bigEndian ? c & 0xFF : c >> 8);
        }
        return out;
    };
    switch (form) {
        case Form::Utf8Bom: return "\xEF\xBB\xBF" + narrow(CP_UTF8);
        case Form::Utf16Le: return "\xFF\xFE" + wide(false);
        case Form::Utf16Be: return "\xFE\xFF" + wide(true);
        case Form::Utf8: return narrow(CP_UTF8);
        case Form::Ansi: return narrow(1252);
        case Form::Utf16LeWithoutBom: return wide(false);
    }
    return {};
}

class ProfileDifferentialTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        folder_ = std::wstring(temp) + L"jl-profile-diff-" + std::to_wstring(GetCurrentProcessId()) + L"\\";
        CreateDirectoryW(folder_.c_str(), nullptr);
    }
    static void TearDownTestSuite() {
        for (int i = 0; i < files_; ++i) DeleteFileW(name(i).c_str());
        RemoveDirectoryW(folder_.c_str());
    }
    static std::wstring name(int i) { return folder_ + L"f" + std::to_wstring(i) + L".ini"; }

    // Every file gets a name of its own: the profile functions cache what they read.
    static std::wstring writeFile(const std::string& bytes) {
        const std::wstring path = name(files_++);
        std::ofstream(std::filesystem::path(path), std::ios::binary) << bytes;
        return path;
    }

    static std::wstring profileString(const std::wstring& path, const std::wstring& section, const std::wstring& key,
                                      DWORD bufferChars) {
        std::vector<wchar_t> buffer(bufferChars, L'#');
        const DWORD length =
            GetPrivateProfileStringW(section.c_str(), key.c_str(), L"", buffer.data(), bufferChars, path.c_str());
        return std::wstring(buffer.data(), length);
    }

    // The text the profile functions read. Without a byte-order mark they use the ANSI
    // code page where the portable reader takes valid UTF-8 as UTF-8; such files are
    // compared on the code page's text.
    static std::wstring textOf(const std::string& bytes) {
        const std::vector<uint8_t> raw(bytes.begin(), bytes.end());
        const jl::ProfileEncoding encoding = jl::detectProfileEncoding(raw);
        const bool ascii = std::all_of(bytes.begin(), bytes.end(), [](char c) { return (c & 0x80) == 0; });
        if ((encoding == jl::ProfileEncoding::Utf8 && !ascii) ||
            (encoding == jl::ProfileEncoding::Windows1252 && GetACP() != 1252)) {
            return decodeWithCodePage(CP_ACP, bytes);
        }
        return jl::decodeProfileFile(raw);
    }

    // Compares every section with every key; with `variants` each name is also asked for
    // in upper case and between blanks.
    static void compare(const std::string& what, const std::string& bytes, std::vector<std::wstring> sections,
                        std::vector<std::wstring> keys, bool variants) {
        for (std::vector<std::wstring>* names : {&sections, &keys}) {
            if (!variants) break;
            const size_t count = names->size();
            for (size_t i = 0; i < count; ++i) {
                std::wstring upper = (*names)[i];
                for (wchar_t& c : upper) c = c >= L'a' && c <= L'z' ? c - 32 : c;
                names->push_back(upper);
                names->push_back(L" \t" + (*names)[i] + L"\x1a ");
            }
        }
        const std::wstring path = writeFile(bytes);
        const std::wstring text = textOf(bytes);
        const DWORD large = static_cast<DWORD>(text.size() + 2);
        for (const std::wstring& section : sections) {
            for (const std::wstring& key : keys) {
                const std::wstring expected = jl::lookupProfileString(text, section, key);
                const std::wstring actual = profileString(path, section, key, large);
                EXPECT_EQ(actual, expected) << what << ": [" << show(section) << "] " << show(key)
                                            << "\n  profile functions: " << show(actual)
                                            << "\n  portable reader:   " << show(expected);
            }
        }
    }

    static std::wstring folder_;
    static int files_;
};

std::wstring ProfileDifferentialTest::folder_;
int ProfileDifferentialTest::files_ = 0;

struct Sample {
    const char* what;
    std::wstring text;
    std::vector<std::wstring> sections;
    std::vector<std::wstring> keys;
};

TEST_F(ProfileDifferentialTest, SamplesInEveryEncoding) {
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
    const std::wstring lines = L"[S]\r\na=1\r\n\r\nb=2\r\n[T]\r\nc=3";
    auto replaceAll = [](std::wstring text, const std::wstring& from, const std::wstring& to) {
        for (size_t at = text.find(from); at != std::wstring::npos; at = text.find(from, at + to.size())) {
            text.replace(at, from.size(), to);
        }
        return text;
    };
    const std::vector<std::wstring> ruleKeys = {
        L"top", L"", L"Main Class", L"Class Path", L"q1", L"q2", L"q3", L"q4", L"q5", L"q6", L"q7", L"q8",
        L"q9", L"eq", L"empty", L"flag", L"; note", L";c", L"note", L"k", L"nb\u00a0", L"nb", L"a b",
        L"a  b", L"[Open", L"after open", L"only later", L"missing"};
    const std::vector<Sample> samples = {
        {"rules", rules, {L"", L"Launch", L"Dup", L"S", L"a]b", L"[x]", L"a=b", L"Open", L"a"}, ruleKeys},
        {"letters", letters, {L"S\u00e9", L"S\u00c9", L"\u0416", L"\u0436"},
         {L"K\u00c9Y", L"k\u00e9y", L"\u03a3", L"\u03c3", L"\u0434", L"\u0414"}},
        {"nulls", nulls, {L"S", L"T", L""}, {L"k", L"v", L"q", L"r", L"b", L"", L"n"}},
        {"CR LF", lines, {L"S", L"T"}, {L"a", L"b", L"c"}},
        {"LF", replaceAll(lines, L"\r\n", L"\n"), {L"S", L"T"}, {L"a", L"b", L"c"}},
        {"CR", replaceAll(lines, L"\r\n", L"\r"), {L"S", L"T"}, {L"a", L"b", L"c"}},
        {"LF CR", replaceAll(lines, L"\r\n", L"\n\r") + L"\n\r", {L"S", L"T"}, {L"a", L"b", L"c"}},
        {"long values",
         L"[S]\r\nv300=" + std::wstring(300, L'a') + L"\r\nq300=\"" + std::wstring(300, L'b') + L"\"\r\nv100k=" +
             std::wstring(100000, L'c') + L"\r\n" + std::wstring(5000, L'n') + L"=long name\r\n",
         {L"S"}, {L"v300", L"q300", L"v100k", std::wstring(5000, L'n')}},
        {"empty file", L"", {L"", L"S"}, {L"", L"k"}},
    };
    for (const Sample& sample : samples) {
        for (Form form : kForms) {
            compare(std::string(sample.what) + " (form " + std::to_string(static_cast<int>(form)) + ")",
                    encode(sample.text, form), sample.sections, sample.keys, form == kForms[0]);
        }
    }
}

TEST_F(ProfileDifferentialTest, BrokenBytes) {
    const std::vector<std::pair<const char*, std::string>> files = {
        {"broken UTF-8 with mark", "\xEF\xBB\xBF[S]\r\nk=\xED\xA0\x80|\xF4\x90\x80\x80|\xC0\xAF|\xE2\x82\r\nj=v\xF0\x9F\x98"},
        {"double mark", "\xEF\xBB\xBF\xEF\xBB\xBF[S]\r\nk=v\r\n"},
        {"odd UTF-16", "\xFF\xFE[\0S\0]\0\n\0k\0=\0v\0\n\0\x01"s},
        {"unpaired surrogates", "\xFF\xFE[\0S\0]\0\n\0k\0=\0\x00\xDC\x00\xD8x\0"s},
        {"code page 1252", "[S\xE9]\r\nk\xC9=\x80\x81\x8D\x8F\x90\x9D\x9F\xFF\r\n"},
        {"half mark", "\xEF\xBB[S]\r\nk=v"},
    };
    for (const auto& [what, bytes] : files) compare(what, bytes, {L"S", L"S\u00e9", L""}, {L"k", L"k\u00c9", L"j"}, true);
}

// Files put together at random from pieces that each stress a rule, in random forms.
TEST_F(ProfileDifferentialTest, RandomFiles) {
    const std::vector<std::wstring> names = {L"S", L"s", L"T", L"k", L"K", L"\u00e4", L"\u00c4", L"", L"a b", L";k"};
    const std::vector<std::wstring> values = {L"v",      L"\"q\"", L"'q'",     L"\"q'",     L"\"",
                                              L"",       L"a=b",   L"\u00e9\u20ac", L"x\0y"s, L"\"\""};
    const std::vector<std::wstring> blanks = {L"", L" ", L"\t", L"\x1a", L" \x0b "};
    const std::vector<std::wstring> breaks = {L"\r\n", L"\n", L"\r", L"\n\r", L"\r\n\r\n"};
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
        const Form form = kForms[random() % std::size(kForms)];
        compare("random file " + std::to_string(file), encode(text, form), names, names, false);
    }
}

}  // namespace
