// The cipher of the embedded settings layer. Each of the two data resources is
//
//   "JLE1" | nonce (12 bytes) | ChaCha20 ciphertext | check (16 bytes)
//
// with key = SHA-256 of the key text's UTF-16 LE bytes, the ChaCha20 block counter
// starting at kResourceInitialCounter, and check = the first 16 bytes of
// SHA-256(key | nonce | plaintext). The plaintext is UTF-16 LE text.
//
// This hides the settings from a casual look into the executable; it does not protect
// them. The key of the first resource is the "Upgrade Code" that ships in the settings
// file beside the executable, so anyone holding both files can decipher the layer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace jl {

constexpr size_t kSha256DigestSize = 32;

// Incremental SHA-256 (FIPS 180-4).
class Sha256 {
public:
    Sha256();
    void update(const uint8_t* data, size_t size);
    // Ends the hash; the object must not be updated afterwards.
    void finish(uint8_t digest[kSha256DigestSize]);

private:
    void compressBlock(const uint8_t* block);

    uint32_t state_[8];
    uint8_t buffer_[64];
    size_t buffered_ = 0;
    uint64_t totalBytes_ = 0;
};

void sha256(const uint8_t* data, size_t size, uint8_t digest[kSha256DigestSize]);

constexpr size_t kChaCha20KeySize = 32;
constexpr size_t kChaCha20NonceSize = 12;
constexpr size_t kChaCha20BlockSize = 64;

// One keystream block of ChaCha20 as RFC 8439 defines it (32-bit counter, 96-bit nonce).
void chacha20Block(const uint8_t key[kChaCha20KeySize], uint32_t counter,
                   const uint8_t nonce[kChaCha20NonceSize], uint8_t out[kChaCha20BlockSize]);

// XORs `data` in place with the keystream that starts at block `initialCounter`;
// enciphers and deciphers alike.
void chacha20Xor(const uint8_t key[kChaCha20KeySize], uint32_t initialCounter,
                 const uint8_t nonce[kChaCha20NonceSize], uint8_t* data, size_t size);

// Text as UTF-16 LE bytes. Where wchar_t is 32 bits wide, characters beyond the BMP
// become surrogate pairs and values that are no Unicode character become U+FFFD.
std::vector<uint8_t> toUtf16LeBytes(const std::wstring& text);
// The reverse: surrogate pairs are joined where wchar_t is 32 bits wide; an unpaired
// surrogate is kept as it is. `size` must be even; a final odd byte is ignored.
std::wstring fromUtf16LeBytes(const uint8_t* bytes, size_t size);

constexpr uint8_t kResourceMagic[4] = {'J', 'L', 'E', '1'};
constexpr size_t kResourceNonceSize = kChaCha20NonceSize;
constexpr size_t kResourceCheckSize = 16;
constexpr size_t kResourceOverhead = sizeof(kResourceMagic) + kResourceNonceSize + kResourceCheckSize;
// Block 0 stays unused, as in RFC 8439's AEAD construction, so that a one-time MAC key
// can be derived from it should the format ever add one.
constexpr uint32_t kResourceInitialCounter = 1;

// A resource holding `plainText` enciphered with `keyText`. The nonce must be fresh
// random bytes for every resource. False only when the text is too long for the
// 32-bit block counter.
[[nodiscard]] bool encipherResource(const std::wstring& keyText, const std::wstring& plainText,
                                    const uint8_t nonce[kResourceNonceSize],
                                    std::vector<uint8_t>& out);

// The text of a resource. False, with `plainText` untouched, when the magic is wrong,
// the data is too short, the plaintext has an odd number of bytes, or the check value
// does not match (a wrong key or a damaged resource).
[[nodiscard]] bool decipherResource(const std::wstring& keyText, const std::vector<uint8_t>& resource,
                                    std::wstring& plainText);

}  // namespace jl
