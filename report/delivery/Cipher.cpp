#include "Cipher.h"

#include <cstring>

namespace {

// ---- MD5, RFC 1321

const uint32_t kSine[64] = {
    0xd76aa478, 0xe8c7b756, 0x242070db, 0xc1bdceee, 0xf57c0faf, 0x4787c62a, 0xa8304613, 0xfd469501,
    0x698098d8, 0x8b44f7af, 0xffff5bb1, 0x895cd7be, 0x6b901122, 0xfd987193, 0xa679438e, 0x49b40821,
    0xf61e2562, 0xc040b340, 0x265e5a51, 0xe9b6c7aa, 0xd62f105d, 0x02441453, 0xd8a1e681, 0xe7d3fbc8,
    0x21e1cde6, 0xc33707d6, 0xf4d50d87, 0x455a14ed, 0xa9e3e905, 0xfcefa3f8, 0x676f02d9, 0x8d2a4c8a,
    0xfffa3942, 0x8771f681, 0x6d9d6122, 0xfde5380c, 0xa4beea44, 0x4bdecfa9, 0xf6bb4b60, 0xbebfbc70,
    0x289b7ec6, 0xeaa127fa, 0xd4ef3085, 0x04881d05, 0xd9d4d039, 0xe6db99e5, 0x1fa27cf8, 0xc4ac5665,
    0xf4292244, 0x432aff97, 0xab9423a7, 0xfc93a039, 0x655b59c3, 0x8f0ccc92, 0xffeff47d, 0x85845dd1,
    0x6fa87e4f, 0xfe2ce6e0, 0xa3014314, 0x4e0811a1, 0xf7537e82, 0xbd3af235, 0x2ad7d2bb, 0xeb86d391,
};
const int kShift[64] = {7, 12, 17, 22, 7, 12, 17, 22, 7, 12, 17, 22, 7, 12, 17, 22,
                        5, 9,  14, 20, 5, 9,  14, 20, 5, 9,  14, 20, 5, 9,  14, 20,
                        4, 11, 16, 23, 4, 11, 16, 23, 4, 11, 16, 23, 4, 11, 16, 23,
                        6, 10, 15, 21, 6, 10, 15, 21, 6, 10, 15, 21, 6, 10, 15, 21};

uint32_t RotateLeft(uint32_t x, int n) {
    return (x << n) | (x >> (32 - n));
}

void Md5Block(uint32_t state[4], const uint8_t block[64]) {
    uint32_t m[16];
    for (int i = 0; i < 16; ++i)
        m[i] = static_cast<uint32_t>(block[4 * i]) |
               (static_cast<uint32_t>(block[4 * i + 1]) << 8) |
               (static_cast<uint32_t>(block[4 * i + 2]) << 16) |
               (static_cast<uint32_t>(block[4 * i + 3]) << 24);
    uint32_t a = state[0], b = state[1], c = state[2], d = state[3];
    for (int i = 0; i < 64; ++i) {
        uint32_t f;
        int g;
        if (i < 16) {
            f = (b & c) | (~b & d);
            g = i;
        } else if (i < 32) {
            f = (d & b) | (~d & c);
            g = (5 * i + 1) % 16;
        } else if (i < 48) {
            f = b ^ c ^ d;
            g = (3 * i + 5) % 16;
        } else {
            f = c ^ (b | ~d);
            g = (7 * i) % 16;
        }
        uint32_t next = d;
        d = c;
        c = b;
        b = b + RotateLeft(a + f + kSine[i] + m[g], kShift[i]);
        a = next;
    }
    state[0] += a;
    state[1] += b;
    state[2] += c;
    state[3] += d;
}

// ---- the block cipher

struct TCipherState {
    uint32_t key[4] = {0, 0, 0, 0};
    std::string password;
    bool keySet = false;
};
TCipherState cipher;

constexpr uint32_t kDelta = 0x9E3779B9;

uint32_t LoadBigEndian(const uint8_t* p) {
    return (static_cast<uint32_t>(p[0]) << 24) | (static_cast<uint32_t>(p[1]) << 16) |
           (static_cast<uint32_t>(p[2]) << 8) | p[3];
}

void StoreBigEndian(uint32_t v, uint8_t* p) {
    p[0] = static_cast<uint8_t>(v >> 24);
    p[1] = static_cast<uint8_t>(v >> 16);
    p[2] = static_cast<uint8_t>(v >> 8);
    p[3] = static_cast<uint8_t>(v);
}

} // namespace

TMd5Digest Md5Digest(const void* data, size_t length) {
    uint32_t state[4] = {0x67452301, 0xefcdab89, 0x98badcfe, 0x10325476};
    const auto* bytes = static_cast<const uint8_t*>(data);
    size_t whole = length / 64 * 64;
    for (size_t i = 0; i < whole; i += 64)
        Md5Block(state, bytes + i);
    // Padding: 0x80, zeros, the length in bits, little-endian, in one or two blocks.
    uint8_t tail[128] = {};
    size_t rest = length - whole;
    if (rest)
        std::memcpy(tail, bytes + whole, rest);
    tail[rest] = 0x80;
    size_t tailLength = rest < 56 ? 64 : 128;
    uint64_t bits = static_cast<uint64_t>(length) * 8;
    for (int i = 0; i < 8; ++i)
        tail[tailLength - 8 + i] = static_cast<uint8_t>(bits >> (8 * i));
    for (size_t i = 0; i < tailLength; i += 64)
        Md5Block(state, tail + i);
    TMd5Digest digest;
    for (int i = 0; i < 4; ++i)
        for (int k = 0; k < 4; ++k)
            digest[static_cast<size_t>(4 * i + k)] = static_cast<uint8_t>(state[i] >> (8 * k));
    return digest;
}

void CipherSetKey(const std::string& password) {
    TMd5Digest d = Md5Digest(password.data(), password.size());
    for (int i = 0; i < 4; ++i)
        cipher.key[i] = LoadBigEndian(&d[static_cast<size_t>(4 * i)]);
    cipher.password = password;
    cipher.keySet = true;
}

void CipherUsePassword(const std::string& password) {
    if (!cipher.keySet || password != cipher.password)
        CipherSetKey(password);
}

const std::string& CipherLastPassword() {
    return cipher.password;
}

void CipherEncipherBlock(const uint8_t in[8], uint8_t out[8]) {
    const uint32_t* k = cipher.key;
    uint32_t y = LoadBigEndian(in), z = LoadBigEndian(in + 4), sum = 0;
    for (int i = 0; i < 32; ++i) {
        sum += kDelta;
        y += (z << 4) + (z ^ k[0]) + ((z >> 5) ^ sum) + k[1];
        z += (y << 4) + (y ^ k[2]) + ((y >> 5) ^ sum) + k[3];
    }
    StoreBigEndian(y, out);
    StoreBigEndian(z, out + 4);
}

void CipherDecipherBlock(const uint8_t in[8], uint8_t out[8]) {
    const uint32_t* k = cipher.key;
    uint32_t y = LoadBigEndian(in), z = LoadBigEndian(in + 4), sum = 0xC6EF3720;
    for (int i = 0; i < 32; ++i) {
        z -= (y << 4) + (y ^ k[2]) + ((y >> 5) ^ sum) + k[3];
        y -= (z << 4) + (z ^ k[0]) + ((z >> 5) ^ sum) + k[1];
        sum -= kDelta;
    }
    StoreBigEndian(y, out);
    StoreBigEndian(z, out + 4);
}

void CipherInitialChain(uint8_t chain[8]) {
    std::memset(chain, kChainingByte, 8);
}

void CipherKeyStreamTail(uint8_t chain[8], const uint8_t* source, uint8_t* destination,
                         size_t length) {
    CipherEncipherBlock(chain, chain);
    for (size_t k = 0; k < length && k < 8; ++k)
        destination[k] = source[k] ^ chain[k];
}

void CipherDecrypt(const void* source, void* destination, size_t length) {
    const auto* src = static_cast<const uint8_t*>(source);
    auto* dst = static_cast<uint8_t*>(destination);
    uint8_t chain[8];
    CipherInitialChain(chain);
    size_t i = 0;
    for (; i + 8 <= length; i += 8) {
        uint8_t ciphertext[8];
        std::memcpy(ciphertext, src + i, 8); // before an in-place write overwrites it
        CipherDecipherBlock(ciphertext, dst + i);
        for (int k = 0; k < 8; ++k)
            dst[i + static_cast<size_t>(k)] ^= chain[k];
        std::memcpy(chain, ciphertext, 8);
    }
    if (i < length)
        CipherKeyStreamTail(chain, src + i, dst + i, length - i);
}
