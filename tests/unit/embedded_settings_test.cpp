// The embedded settings layer: its text, the cipher of its resources, the Linux image's area.
#include "config/embedded_cipher.h"
#include "config/embedded_settings.h"
#include "os/os.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#ifndef _WIN32
// The Linux image's reserved area for data resources (os/posix/resource_posix.cpp).
extern "C" uint8_t jl_embedded_resource_area[];
#endif

namespace jl {
namespace {

using Bytes = std::vector<uint8_t>;

// Each section as "[name]" and its entries as "key=value|".
std::wstring show(const EmbeddedSettings& settings) {
    std::wstring out;
    for (const auto& section : settings.sections()) {
        out += L"[" + section.name + L"]";
        for (const auto& [key, value] : section.entries) out += key + L"=" + value + L"|";
    }
    return out;
}

TEST(EmbeddedSettingsParse, FollowsTheLineAndSectionRules) {
    const std::wstring bom(1, L'\xFEFF');
    const std::pair<std::wstring, const wchar_t*> cases[] = {
        {L"", L""}, {L"[S]\r\nk=v\r\n\r\nj=w\r\n", L"[S]k=v|j=w|"},
        {L"[S]\nk=v\nj=w\n", L""},  // LF alone ends no line: one line, no header
        {L"[S]\r\nk=v\nj=w", L"[S]k=v\nj=w|"}, {L"[S]\r\nk=v\rj", L"[S]k=v\rj|"},
        {bom + L"[S]\r\nk=v", L"[S]k=v|"}, {L"[S]\r\n" + bom + L"[T]\r\nk=v", L"[S]k=v|"},
        {L"[S]\r\nk=1\r\nk=2\r\n[S]\r\nk=3", L"[S]k=1|k=2|[S]k=3|"},
        // Found past blanks and controls, the name taken untrimmed between the first
        // "[" and the last "]"; a header wins over "=".
        {L"  \t[ Java ]\x01 \r\nk=v", L"[ Java ]k=v|"}, {L"[[a]b]]\r\nk=v", L"[[a]b]]k=v|"},
        {L"[a=b]\r\nk=v", L"[a=b]k=v|"}, {L"[]\r\nk=v", L"[]k=v|"},
        {L"[S]\r\n[T] x\r\nk=v", L"[S]k=v|"}, {L"[S]\r\n[\r\n]\r\nk=v", L"[S]k=v|"},
        {L"[S]\r\n \t key name \t= a = b \r\nempty=\r\n=novalue", L"[S]key name=a = b|empty=|=novalue|"},
        {L"[S]\r\n;comment=1\r\nk=v ; not a comment", L"[S];comment=1|k=v ; not a comment|"},
        {L"k=v\r\nplain\r\n[S]\r\nno equals here\r\n   \r\nj=w", L"[S]j=w|"},
    };
    for (const auto& [text, expected] : cases) EXPECT_EQ(show(EmbeddedSettings::parse(text)), expected);
}

TEST(EmbeddedSettingsFind, FirstSectionFirstKeyExactNames) {
    const EmbeddedSettings settings = EmbeddedSettings::parse(
        L"[Java Runtime Environment]\r\nMain Class=a.First\r\nMain Class=a.Second\r\n"
        L"[Java Runtime Environment]\r\nMain Class=a.Third\r\nMinimum Version=1.8\r\n[ Padded ]\r\nk=v\r\n");
    const std::tuple<const wchar_t*, const wchar_t*, const wchar_t*> cases[] = {
        {L"Java Runtime Environment", L"Main Class", L"a.First"},
        {L"Java Runtime Environment", L"Minimum Version", nullptr},  // only the first section counts
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
    std::string text;
    for (size_t i = 0; i < size; ++i) text += {"0123456789abcdef"[bytes[i] >> 4], "0123456789abcdef"[bytes[i] & 15]};
    return text;
}
std::string hex(const Bytes& bytes) { return hex(bytes.data(), bytes.size()); }
Bytes fromHex(const std::string& text) {
    Bytes bytes;
    for (size_t i = 0; i + 1 < text.size(); i += 2) bytes.push_back(static_cast<uint8_t>(std::stoul(text.substr(i, 2), nullptr, 16)));
    return bytes;
}

TEST(Sha256, KnownDigestsWholeAndPiecewise) {
    // 55 and 56 bytes: the last length that fits one padding block, and the first that does not.
    const std::pair<std::string, const char*> cases[] = {
        {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {std::string(55, 'a'), "9f4390f8d30c2dd92ec9f095b65e2b9ae9b0a925a5258e241c9f1e910f734318"},
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        {std::string(64, 'a'), "ffe054fe7ae0cb6dc65c3af9b61d5209f439851db43d0ba5997337df154668eb"},
    };
    uint8_t digest[kSha256DigestSize], whole[kSha256DigestSize];
    for (const auto& [message, expected] : cases) {
        sha256(reinterpret_cast<const uint8_t*>(message.data()), message.size(), digest);
        EXPECT_EQ(hex(digest, sizeof(digest)), expected) << message.size();
    }
    // Updates in pieces, across block boundaries, give the digest of the whole.
    Bytes message(300);
    for (size_t i = 0; i < message.size(); ++i) message[i] = static_cast<uint8_t>(i * 7 + 3);
    sha256(message.data(), message.size(), whole);
    for (size_t piece : {1, 3, 55, 63, 64, 65, 130}) {
        Sha256 hash;
        for (size_t at = 0; at < message.size(); at += piece) hash.update(&message[at], std::min(piece, message.size() - at));
        hash.finish(digest);
        EXPECT_EQ(hex(digest, sizeof(digest)), hex(whole, sizeof(whole))) << piece;
    }
}

// Two blocks, the second one past a counter increment.
TEST(ChaCha20, EncryptionVector) {
    const Bytes key = fromHex("000102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f");
    const std::string text = "Ladies and Gentlemen of the class of '99: If I could offer you only one tip for the "
                             "future, sunscreen would be it.";
    const Bytes plain(text.begin(), text.end());
    Bytes data = plain;
    chacha20Xor(key.data(), 1, fromHex("000000000000004a00000000").data(), data.data(), data.size());
    EXPECT_EQ(hex(data),
              "6e2e359a2568f98041ba0728dd0d6981e97e7aec1d4360c20a27afccfd9fae0bf91b65c5524733ab8f593dabcd62b357"
              "1639d624e65152ab8f530c359f0861d807ca0dbf500d6a6156a38e088a22b65e52bc514d16ccf806818ce91ab7793736"
              "5af90bbf74a35be6b40b8eedf2785e42874d");
    chacha20Xor(key.data(), 1, fromHex("000000000000004a00000000").data(), data.data(), data.size());
    EXPECT_EQ(data, plain);
}

const uint8_t kNonce[kResourceNonceSize] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};

// Computed with an independent ChaCha20 and SHA-256: launchers and the tool that writes
// their resources must agree on every byte. A wrong key or a damaged resource yields nothing.
TEST(EmbeddedCipher, ResourceFormatIsStableAndChecked) {
    const std::wstring key = L"k\x00E9y", text = L"[S]\r\nk=v\U0001F600";
    const std::string expected =
        "4a4c4531000102030405060708090a0b16d367dc9c0d770484f2d2ef3f46d30061570c3643d5d19bedb8bc40c6054b7ba70845c8";
    Bytes good;
    ASSERT_TRUE(encipherResource(key, text, kNonce, good));
    EXPECT_EQ(hex(good), expected);
    std::wstring plain;
    ASSERT_TRUE(decipherResource(key, fromHex(expected), plain));
    EXPECT_EQ(plain, text);
    // The last single unit, the last pair and an unpaired surrogate survive both ways.
    const std::wstring units = std::wstring(L"A\uFFFF\U0010FFFF") + static_cast<wchar_t>(0xD800);
    const Bytes bytes = toUtf16LeBytes(units);
    EXPECT_EQ(hex(bytes), "4100ffffffdbffdf00d8");
    EXPECT_EQ(fromUtf16LeBytes(bytes.data(), bytes.size()), units);

    std::vector<std::pair<std::wstring, Bytes>> cases = {
        {L"", good}, {L"K\x00E9y", good}, {L"k\x00C9y", good}, {key + L" ", good}, {L"k\x00E9", good}, {key, {}},
        {key, Bytes(good.begin(), good.begin() + kResourceOverhead - 1)},
        {key, Bytes(good.begin(), good.end() - 1)}, {key, Bytes(good.begin(), good.end() - 2)}, {key, good},
    };
    cases.back().second.resize(good.size() + 2);
    const size_t cipherStart = sizeof(kResourceMagic) + kResourceNonceSize;
    for (size_t at : {size_t{0}, size_t{5}, cipherStart, good.size() - kResourceCheckSize - 1, good.size() - 1}) {
        cases.push_back({key, good});
        cases.back().second[at] ^= 0x01;
    }
    for (const auto& [keyText, resource] : cases) {
        std::wstring plain = L"untouched";
        EXPECT_FALSE(decipherResource(keyText, resource, plain)) << os::toUtf8(keyText) << ", " << resource.size();
        EXPECT_EQ(plain, L"untouched");
    }
}

#ifndef _WIN32
// The reserved area, filled in memory the way jlpack fills it in the file: after a
// 20-byte header, records of id, length and bytes, ended by a zero id.
TEST(ReservedArea, MalformedRecordsYieldNothing) {
    constexpr size_t kHeaderSize = 20, kAreaSize = 64 * 1024;
    const Bytes saved(jl_embedded_resource_area, jl_embedded_resource_area + kAreaSize), payload = {1, 2, 3, 4};
    // A length beyond the area, a record after the terminator, and a good record.
    for (const auto& [terminatorFirst, length] : {std::pair{false, uint32_t{kAreaSize}}, std::pair{true, 4u}, std::pair{false, 4u}}) {
        Bytes records, bytes;
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
        const bool good = !terminatorFirst && length == 4;
        EXPECT_EQ(os::loadDataResource(kEmbeddedKeyResourceId, bytes), good) << terminatorFirst << " " << length;
        EXPECT_TRUE(!good || bytes == payload);
    }
    std::memcpy(jl_embedded_resource_area, saved.data(), kAreaSize);
}
#endif

}  // namespace
}  // namespace jl
