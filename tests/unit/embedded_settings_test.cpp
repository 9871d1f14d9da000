// The embedded settings layer: its text, the cipher of its resources and where the Linux
// image keeps them.
#include "config/embedded_cipher.h"
#include "config/embedded_settings.h"
#include "os/os.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>
#include <vector>

#ifndef _WIN32

// The Linux image's reserved area for data resources (os/posix/resource_posix.cpp).
extern "C" uint8_t jl_embedded_resource_area[];
#endif

namespace jl {
namespace {

using Entries = std::vector<std::pair<std::wstring, std::wstring>>;

TEST(EmbeddedSettingsParse, FollowsTheLineAndSectionRules) {
    struct Section {
        std::wstring name;
        Entries entries;
    };
    struct Case {
        const char* what;
        std::wstring text;
        std::vector<Section> sections;
    };
    const std::wstring bom(1, L'\xFEFF');
    const Case cases[] = {
        {"empty text", L"", {}}, {"CR LF lines", L"[S]\r\nk=v\r\n\r\nj=w\r\n", {{L"S", {{L"k", L"v"}, {L"j", L"w"}}}}},
        {"LF-only text is one line and no header", L"[S]\nk=v\nj=w\n", {}},
        {"LF-only after a header is one pair", L"[S]\r\nk=v\nj=w", {{L"S", {{L"k", L"v\nj=w"}}}}},
        {"lone CR is an ordinary character", L"[S]\r\nk=v\rj", {{L"S", {{L"k", L"v\rj"}}}}},
        {"byte order mark removed from the first line", bom + L"[S]\r\nk=v", {{L"S", {{L"k", L"v"}}}}},
        {"byte order mark on a later line stays", L"[S]\r\n" + bom + L"[T]\r\nk=v", {{L"S", {{L"k", L"v"}}}}},
        {"duplicate sections and keys kept",
         L"[S]\r\nk=1\r\nk=2\r\n[S]\r\nk=3",
         {{L"S", {{L"k", L"1"}, {L"k", L"2"}}}, {L"S", {{L"k", L"3"}}}}},
        {"section name untrimmed, header found past blanks and controls",
         L"  \t[ Java ]\x01 \r\nk=v",
         {{L" Java ", {{L"k", L"v"}}}}},
        {"name between first [ and last ]", L"[[a]b]]\r\nk=v", {{L"[a]b]", {{L"k", L"v"}}}}},
        {"header wins over =", L"[a=b]\r\nk=v", {{L"a=b", {{L"k", L"v"}}}}},
        {"empty section name", L"[]\r\nk=v", {{L"", {{L"k", L"v"}}}}},
        {"text after ] is no header", L"[S]\r\n[T] x\r\nk=v", {{L"S", {{L"k", L"v"}}}}},
        {"lone bracket is no header", L"[S]\r\n[\r\n]\r\nk=v", {{L"S", {{L"k", L"v"}}}}},
        {"key and value trimmed, first = splits",
         L"[S]\r\n \t key name \t= a = b \r\nempty=\r\n=novalue",
         {{L"S", {{L"key name", L"a = b"}, {L"empty", L""}, {L"", L"novalue"}}}}},
        {"semicolon not special",
         L"[S]\r\n;comment=1\r\nk=v ; not a comment",
         {{L"S", {{L";comment", L"1"}, {L"k", L"v ; not a comment"}}}}},
        {"lines before any section and lines without = ignored",
         L"k=v\r\nplain\r\n[S]\r\nno equals here\r\n   \r\nj=w",
         {{L"S", {{L"j", L"w"}}}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const EmbeddedSettings settings = EmbeddedSettings::parse(c.text);
        ASSERT_EQ(settings.sections().size(), c.sections.size());
        for (size_t i = 0; i < c.sections.size(); ++i) {
            EXPECT_EQ(settings.sections()[i].name, c.sections[i].name);
            EXPECT_EQ(settings.sections()[i].entries, c.sections[i].entries);
        }
    }
}

TEST(EmbeddedSettingsFind, FirstSectionFirstKeyExactNames) {
    const EmbeddedSettings settings = EmbeddedSettings::parse(
        L"[Java Runtime Environment]\r\nMain Class=a.First\r\nMain Class=a.Second\r\n"
        L"[Java Runtime Environment]\r\nMain Class=a.Third\r\nMinimum Version=1.8\r\n"
        L"[ Padded ]\r\nk=v\r\n");
    // The value, or null when the key is not found. Only the first section of a name is searched.
    const std::tuple<const wchar_t*, const wchar_t*, const wchar_t*> cases[] = {
        {L"Java Runtime Environment", L"Main Class", L"a.First"},
        {L"Java Runtime Environment", L"Minimum Version", nullptr},
        {L"java runtime environment", L"Main Class", nullptr}, {L"Java Runtime Environment", L"main class", nullptr},
        {L"Padded", L"k", nullptr}, {L" Padded ", L"k", L"v"},
    };
    for (const auto& [section, key, expected] : cases) {
        std::wstring value = L"untouched";
        EXPECT_EQ(settings.find(section, key, value), expected != nullptr) << section << " / " << key;
        EXPECT_EQ(value, expected ? expected : L"untouched");
    }
}

std::string hex(const uint8_t* bytes, size_t size) {
    static const char kDigits[] = "0123456789abcdef";
    std::string text;
    for (size_t i = 0; i < size; ++i) {
        text += kDigits[bytes[i] >> 4];
        text += kDigits[bytes[i] & 0x0F];
    }
    return text;
}

std::string hex(const std::vector<uint8_t>& bytes) { return hex(bytes.data(), bytes.size()); }

std::vector<uint8_t> fromHex(const std::string& text) {
    std::vector<uint8_t> bytes;
    for (size_t i = 0; i + 1 < text.size(); i += 2) {
        bytes.push_back(static_cast<uint8_t>(std::stoul(text.substr(i, 2), nullptr, 16)));
    }
    return bytes;
}

TEST(Sha256, KnownDigestsWholeAndPiecewise) {
    struct DigestCase {
        std::string message;
        const char* digest;
    };
    const DigestCase cases[] = {
        {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        // 55 and 56 bytes: the last lengths that fit one padding block, and the first that do not.
        {std::string(55, 'a'), "9f4390f8d30c2dd92ec9f095b65e2b9ae9b0a925a5258e241c9f1e910f734318"},
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        {std::string(64, 'a'), "ffe054fe7ae0cb6dc65c3af9b61d5209f439851db43d0ba5997337df154668eb"},
    };
    for (const DigestCase& c : cases) {
        SCOPED_TRACE(c.message.size());
        uint8_t digest[kSha256DigestSize];
        sha256(reinterpret_cast<const uint8_t*>(c.message.data()), c.message.size(), digest);
        EXPECT_EQ(hex(digest, sizeof(digest)), c.digest);
    }
    // Piecewise updates, across block boundaries, give the digest of the whole.
    std::vector<uint8_t> message(300);
    for (size_t i = 0; i < message.size(); ++i) message[i] = static_cast<uint8_t>(i * 7 + 3);
    uint8_t whole[kSha256DigestSize];
    sha256(message.data(), message.size(), whole);
    for (size_t piece : {1, 3, 55, 63, 64, 65, 130}) {
        SCOPED_TRACE(piece);
        Sha256 hash;
        for (size_t offset = 0; offset < message.size(); offset += piece) {
            hash.update(message.data() + offset, std::min(piece, message.size() - offset));
        }
        uint8_t digest[kSha256DigestSize];
        hash.finish(digest);
        EXPECT_EQ(hex(digest, sizeof(digest)), hex(whole, sizeof(whole)));
    }
}

// Two blocks, the second one past a counter increment.
TEST(ChaCha20, EncryptionVector) {
    const std::vector<uint8_t> key = fromHex("000102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f");
    const std::vector<uint8_t> nonce = fromHex("000000000000004a00000000");
    const std::string text =
        "Ladies and Gentlemen of the class of '99: If I could offer you only one tip for the future, sunscreen "
        "would be it.";
    const std::vector<uint8_t> plain(text.begin(), text.end());
    std::vector<uint8_t> data = plain;
    chacha20Xor(key.data(), 1, nonce.data(), data.data(), data.size());
    EXPECT_EQ(hex(data),
              "6e2e359a2568f98041ba0728dd0d6981e97e7aec1d4360c20a27afccfd9fae0bf91b65c5524733ab8f593dabcd62b357"
              "1639d624e65152ab8f530c359f0861d807ca0dbf500d6a6156a38e088a22b65e52bc514d16ccf806818ce91ab7793736"
              "5af90bbf74a35be6b40b8eedf2785e42874d");
    chacha20Xor(key.data(), 1, nonce.data(), data.data(), data.size());
    EXPECT_EQ(data, plain);
}

// The last single unit, the last pair and an unpaired surrogate survive both ways.
TEST(Utf16Le, EncodesAndDecodesEveryUnit) {
    const std::wstring text = std::wstring(L"A\uFFFF\U0010FFFF") + static_cast<wchar_t>(0xD800);
    const std::vector<uint8_t> bytes = toUtf16LeBytes(text);
    EXPECT_EQ(hex(bytes), "4100ffffffdbffdf00d8");
    EXPECT_EQ(fromUtf16LeBytes(bytes.data(), bytes.size()), text);
}

const uint8_t kNonce[kResourceNonceSize] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};

std::vector<uint8_t> encipherOrFail(const std::wstring& key, const std::wstring& text) {
    std::vector<uint8_t> resource;
    EXPECT_TRUE(encipherResource(key, text, kNonce, resource));
    return resource;
}

TEST(EmbeddedCipher, ResourceFormatIsStable) {
    // Computed with an independent ChaCha20 and SHA-256: launchers and the tool that
    // writes their resources must agree on every byte.
    const std::wstring key = std::wstring(L"k") + L"\x00E9" + L"y";
    const std::wstring text = std::wstring(L"[S]\r\nk=v") + L"\U0001F600";
    const std::string expected =
        "4a4c4531000102030405060708090a0b16d367dc9c0d770484f2d2ef3f46d30061570c3643d5d19bedb8bc40c6054b7ba70845c8";
    EXPECT_EQ(hex(encipherOrFail(key, text)), expected);
    std::wstring plain;
    ASSERT_TRUE(decipherResource(key, fromHex(expected), plain));
    EXPECT_EQ(plain, text);
}

TEST(EmbeddedCipher, WrongKeyOrDamagedResourceYieldsNothing) {
    const std::wstring key = L"{1234-ABCD}";
    const std::vector<uint8_t> good = encipherOrFail(key, L"[S]\r\nk=v");
    struct Case {
        std::wstring key;
        std::vector<uint8_t> resource;
    };
    std::vector<Case> cases = {
        {L"", good}, {L"{1234-abcd}", good}, {L"{1234-ABCD} ", good}, {L"{1234-ABC}", good}, {key, {}},
        {key, std::vector<uint8_t>(good.begin(), good.begin() + kResourceOverhead - 1)},
        {key, std::vector<uint8_t>(good.begin(), good.end() - 1)},  // an odd text length
        {key, std::vector<uint8_t>(good.begin(), good.end() - 2)}, {key, good},
    };
    cases.back().resource.resize(good.size() + 2);
    const size_t cipherStart = sizeof(kResourceMagic) + kResourceNonceSize;
    for (size_t position : {size_t{0}, size_t{5}, cipherStart, good.size() - kResourceCheckSize - 1, good.size() - 1}) {
        cases.push_back({key, good});
        cases.back().resource[position] ^= 0x01;
    }
    for (const Case& c : cases) {
        std::wstring plain = L"untouched";
        EXPECT_FALSE(decipherResource(c.key, c.resource, plain)) << os::toUtf8(c.key) << ", " << c.resource.size();
        EXPECT_EQ(plain, L"untouched");
    }
}

#ifndef _WIN32

// The reserved area, filled in memory here the way jlpack fills it in the file: after a
// 20-byte header, records of id, length and bytes, ended by a zero id.
TEST(ReservedArea, MalformedRecordsYieldNothing) {
    constexpr size_t kHeaderSize = 20, kAreaSize = 64 * 1024;
    const std::vector<uint8_t> saved(jl_embedded_resource_area, jl_embedded_resource_area + kAreaSize);
    const std::vector<uint8_t> payload = {1, 2, 3, 4};
    const uint32_t size = static_cast<uint32_t>(payload.size());
    // A length beyond the area, a record after the terminator, and a good record.
    for (const auto& [terminatorFirst, length] : {std::pair{false, static_cast<uint32_t>(kAreaSize)},
                                                  std::pair{true, size}, std::pair{false, size}}) {
        std::vector<uint8_t> records, bytes;
        const auto put = [&](uint32_t value) {
            for (int shift = 0; shift < 32; shift += 8) records.push_back(static_cast<uint8_t>(value >> shift));
        };
        if (terminatorFirst) put(0);
        put(kEmbeddedKeyResourceId);
        put(length);
        records.insert(records.end(), payload.begin(), payload.end());
        put(0);
        std::memset(jl_embedded_resource_area + kHeaderSize, 0, kAreaSize - kHeaderSize);
        std::memcpy(jl_embedded_resource_area + kHeaderSize, records.data(), records.size());
        const bool good = !terminatorFirst && length == size;
        EXPECT_EQ(os::loadDataResource(kEmbeddedKeyResourceId, bytes), good) << terminatorFirst << " " << length;
        if (good) EXPECT_EQ(bytes, payload);
    }
    std::memcpy(jl_embedded_resource_area, saved.data(), kAreaSize);
}

#endif

}  // namespace
}  // namespace jl
