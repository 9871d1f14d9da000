#include "config/embedded_cipher.h"

#include <cstring>

namespace jl {
namespace {

constexpr uint32_t kSha256RoundConstants[64] = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2,
};

constexpr uint32_t kSha256InitialState[8] = {
    0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a, 0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19,
};

inline uint32_t rotateRight(uint32_t x, unsigned n) { return (x >> n) | (x << (32 - n)); }
inline uint32_t rotateLeft(uint32_t x, unsigned n) { return (x << n) | (x >> (32 - n)); }

inline uint32_t loadBigEndian32(const uint8_t* p) {
    return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | uint32_t{p[3]};
}

inline void storeBigEndian32(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v >> 24);
    p[1] = static_cast<uint8_t>(v >> 16);
    p[2] = static_cast<uint8_t>(v >> 8);
    p[3] = static_cast<uint8_t>(v);
}

inline uint32_t loadLittleEndian32(const uint8_t* p) {
    return uint32_t{p[0]} | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16) | (uint32_t{p[3]} << 24);
}

inline void storeLittleEndian32(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
    p[2] = static_cast<uint8_t>(v >> 16);
    p[3] = static_cast<uint8_t>(v >> 24);
}

inline void quarterRound(uint32_t* s, int a, int b, int c, int d) {
    s[a] += s[b]; s[d] ^= s[a]; s[d] = rotateLeft(s[d], 16);
    s[c] += s[d]; s[b] ^= s[c]; s[b] = rotateLeft(s[b], 12);
    s[a] += s[b]; s[d] ^= s[a]; s[d] = rotateLeft(s[d], 8);
    s[c] += s[d]; s[b] ^= s[c]; s[b] = rotateLeft(s[b], 7);
}

void appendUtf16Unit(std::vector<uint8_t>& bytes, uint32_t unit) {
    bytes.push_back(static_cast<uint8_t>(unit));
    bytes.push_back(static_cast<uint8_t>(unit >> 8));
}

void deriveKey(const std::wstring& keyText, uint8_t key[kChaCha20KeySize]) {
    const std::vector<uint8_t> bytes = toUtf16LeBytes(keyText);
    sha256(bytes.data(), bytes.size(), key);
}

void computeCheck(const uint8_t key[kChaCha20KeySize], const uint8_t* nonce, const uint8_t* plain,
                  size_t plainSize, uint8_t check[kResourceCheckSize]) {
    Sha256 hash;
    hash.update(key, kChaCha20KeySize);
    hash.update(nonce, kResourceNonceSize);
    hash.update(plain, plainSize);
    uint8_t digest[kSha256DigestSize];
    hash.finish(digest);
    std::memcpy(check, digest, kResourceCheckSize);
}

// Compares without an early exit, so the time taken does not tell how many leading
// bytes of a forged check were right.
bool equalChecks(const uint8_t* a, const uint8_t* b) {
    uint8_t difference = 0;
    for (size_t i = 0; i < kResourceCheckSize; ++i) difference |= static_cast<uint8_t>(a[i] ^ b[i]);
    return difference == 0;
}

}  // namespace

Sha256::Sha256() { std::memcpy(state_, kSha256InitialState, sizeof(state_)); }

void Sha256::compressBlock(const uint8_t* block) {
    uint32_t w[64];
    for (int i = 0; i < 16; ++i) w[i] = loadBigEndian32(block + 4 * i);
    for (int i = 16; i < 64; ++i) {
        const uint32_t s0 = rotateRight(w[i - 15], 7) ^ rotateRight(w[i - 15], 18) ^ (w[i - 15] >> 3);
        const uint32_t s1 = rotateRight(w[i - 2], 17) ^ rotateRight(w[i - 2], 19) ^ (w[i - 2] >> 10);
        w[i] = w[i - 16] + s0 + w[i - 7] + s1;
    }
    uint32_t a = state_[0], b = state_[1], c = state_[2], d = state_[3];
    uint32_t e = state_[4], f = state_[5], g = state_[6], h = state_[7];
    for (int i = 0; i < 64; ++i) {
        const uint32_t s1 = rotateRight(e, 6) ^ rotateRight(e, 11) ^ rotateRight(e, 25);
        const uint32_t choice = (e & f) ^ (~e & g);
        const uint32_t t1 = h + s1 + choice + kSha256RoundConstants[i] + w[i];
        const uint32_t s0 = rotateRight(a, 2) ^ rotateRight(a, 13) ^ rotateRight(a, 22);
        const uint32_t majority = (a & b) ^ (a & c) ^ (b & c);
        const uint32_t t2 = s0 + majority;
        h = g; g = f; f = e; e = d + t1;
        d = c; c = b; b = a; a = t1 + t2;
    }
    state_[0] += a; state_[1] += b; state_[2] += c; state_[3] += d;
    state_[4] += e; state_[5] += f; state_[6] += g; state_[7] += h;
}

void Sha256::update(const uint8_t* data, size_t size) {
    if (size == 0) return;  // data may be null then
    totalBytes_ += size;
    if (buffered_ > 0) {
        const size_t take = size < 64 - buffered_ ? size : 64 - buffered_;
        std::memcpy(buffer_ + buffered_, data, take);
        buffered_ += take;
        data += take;
        size -= take;
        if (buffered_ < 64) return;
        compressBlock(buffer_);
        buffered_ = 0;
    }
    for (; size >= 64; data += 64, size -= 64) compressBlock(data);
    if (size > 0) {
        std::memcpy(buffer_, data, size);
        buffered_ = size;
    }
}

void Sha256::finish(uint8_t digest[kSha256DigestSize]) {
    const uint64_t totalBits = totalBytes_ * 8;
    buffer_[buffered_++] = 0x80;
    if (buffered_ > 56) {
        std::memset(buffer_ + buffered_, 0, 64 - buffered_);
        compressBlock(buffer_);
        buffered_ = 0;
    }
    std::memset(buffer_ + buffered_, 0, 56 - buffered_);
    storeBigEndian32(buffer_ + 56, static_cast<uint32_t>(totalBits >> 32));
    storeBigEndian32(buffer_ + 60, static_cast<uint32_t>(totalBits));
    compressBlock(buffer_);
    buffered_ = 0;
    for (int i = 0; i < 8; ++i) storeBigEndian32(digest + 4 * i, state_[i]);
}

void sha256(const uint8_t* data, size_t size, uint8_t digest[kSha256DigestSize]) {
    Sha256 hash;
    hash.update(data, size);
    hash.finish(digest);
}

void chacha20Block(const uint8_t key[kChaCha20KeySize], uint32_t counter,
                   const uint8_t nonce[kChaCha20NonceSize], uint8_t out[kChaCha20BlockSize]) {
    uint32_t input[16];
    input[0] = 0x61707865;  // "expand 32-byte k"
    input[1] = 0x3320646e;
    input[2] = 0x79622d32;
    input[3] = 0x6b206574;
    for (int i = 0; i < 8; ++i) input[4 + i] = loadLittleEndian32(key + 4 * i);
    input[12] = counter;
    for (int i = 0; i < 3; ++i) input[13 + i] = loadLittleEndian32(nonce + 4 * i);

    uint32_t s[16];
    std::memcpy(s, input, sizeof(s));
    for (int round = 0; round < 10; ++round) {
        quarterRound(s, 0, 4, 8, 12);
        quarterRound(s, 1, 5, 9, 13);
        quarterRound(s, 2, 6, 10, 14);
        quarterRound(s, 3, 7, 11, 15);
        quarterRound(s, 0, 5, 10, 15);
        quarterRound(s, 1, 6, 11, 12);
        quarterRound(s, 2, 7, 8, 13);
        quarterRound(s, 3, 4, 9, 14);
    }
    for (int i = 0; i < 16; ++i) storeLittleEndian32(out + 4 * i, s[i] + input[i]);
}

void chacha20Xor(const uint8_t key[kChaCha20KeySize], uint32_t initialCounter,
                 const uint8_t nonce[kChaCha20NonceSize], uint8_t* data, size_t size) {
    uint8_t keystream[kChaCha20BlockSize];
    uint32_t counter = initialCounter;
    for (size_t offset = 0; offset < size; offset += kChaCha20BlockSize, ++counter) {
        chacha20Block(key, counter, nonce, keystream);
        const size_t blockBytes = size - offset < kChaCha20BlockSize ? size - offset : kChaCha20BlockSize;
        for (size_t i = 0; i < blockBytes; ++i) data[offset + i] ^= keystream[i];
    }
}

std::vector<uint8_t> toUtf16LeBytes(const std::wstring& text) {
    std::vector<uint8_t> bytes;
    bytes.reserve(text.size() * 2);
    for (wchar_t c : text) {
        const uint32_t code = static_cast<uint32_t>(c);
        if constexpr (sizeof(wchar_t) == 2) {
            appendUtf16Unit(bytes, code);
        } else if (code <= 0xFFFF) {
            appendUtf16Unit(bytes, code);
        } else if (code <= 0x10FFFF) {
            const uint32_t offset = code - 0x10000;
            appendUtf16Unit(bytes, 0xD800 + (offset >> 10));
            appendUtf16Unit(bytes, 0xDC00 + (offset & 0x3FF));
        } else {
            appendUtf16Unit(bytes, 0xFFFD);
        }
    }
    return bytes;
}

std::wstring fromUtf16LeBytes(const uint8_t* bytes, size_t size) {
    std::wstring text;
    const size_t units = size / 2;
    text.reserve(units);
    for (size_t i = 0; i < units; ++i) {
        const uint32_t unit = uint32_t{bytes[2 * i]} | (uint32_t{bytes[2 * i + 1]} << 8);
        if constexpr (sizeof(wchar_t) != 2) {
            if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < units) {
                const uint32_t next = uint32_t{bytes[2 * i + 2]} | (uint32_t{bytes[2 * i + 3]} << 8);
                if (next >= 0xDC00 && next <= 0xDFFF) {
                    text.push_back(static_cast<wchar_t>(0x10000 + ((unit - 0xD800) << 10) + (next - 0xDC00)));
                    ++i;
                    continue;
                }
            }
        }
        text.push_back(static_cast<wchar_t>(unit));
    }
    return text;
}

bool encipherResource(const std::wstring& keyText, const std::wstring& plainText,
                      const uint8_t nonce[kResourceNonceSize], std::vector<uint8_t>& out) {
    std::vector<uint8_t> plain = toUtf16LeBytes(plainText);
    const uint64_t blocks = (uint64_t{plain.size()} + kChaCha20BlockSize - 1) / kChaCha20BlockSize;
    if (blocks > uint64_t{0xFFFFFFFF} - kResourceInitialCounter + 1) return false;

    uint8_t key[kChaCha20KeySize];
    deriveKey(keyText, key);
    uint8_t check[kResourceCheckSize];
    computeCheck(key, nonce, plain.data(), plain.size(), check);
    chacha20Xor(key, kResourceInitialCounter, nonce, plain.data(), plain.size());

    std::vector<uint8_t> resource;
    resource.reserve(kResourceOverhead + plain.size());
    resource.insert(resource.end(), kResourceMagic, kResourceMagic + sizeof(kResourceMagic));
    resource.insert(resource.end(), nonce, nonce + kResourceNonceSize);
    resource.insert(resource.end(), plain.begin(), plain.end());
    resource.insert(resource.end(), check, check + kResourceCheckSize);
    out.swap(resource);
    return true;
}

bool decipherResource(const std::wstring& keyText, const std::vector<uint8_t>& resource,
                      std::wstring& plainText) {
    if (resource.size() < kResourceOverhead) return false;
    if (std::memcmp(resource.data(), kResourceMagic, sizeof(kResourceMagic)) != 0) return false;
    const size_t plainSize = resource.size() - kResourceOverhead;
    if (plainSize % 2 != 0) return false;

    const uint8_t* nonce = resource.data() + sizeof(kResourceMagic);
    const uint8_t* cipher = nonce + kResourceNonceSize;
    const uint8_t* storedCheck = cipher + plainSize;

    uint8_t key[kChaCha20KeySize];
    deriveKey(keyText, key);
    std::vector<uint8_t> plain(cipher, cipher + plainSize);
    chacha20Xor(key, kResourceInitialCounter, nonce, plain.data(), plain.size());
    uint8_t check[kResourceCheckSize];
    computeCheck(key, nonce, plain.data(), plain.size(), check);
    if (!equalChecks(check, storedCheck)) return false;

    plainText = fromUtf16LeBytes(plain.data(), plain.size());
    return true;
}

}  // namespace jl
