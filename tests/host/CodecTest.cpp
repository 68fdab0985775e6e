#include "Base64.h"
#include "Cipher.h"
#include "NameCipher.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

namespace {

std::string Hex(const TMd5Digest& d) {
    static const char digits[] = "0123456789abcdef";
    std::string s;
    for (uint8_t b : d) {
        s += digits[b >> 4];
        s += digits[b & 15];
    }
    return s;
}

} // namespace

TEST(Base64, LengthsAndTheStandardVectors) {
    struct Case {
        size_t length;
        size_t encoded;
    };
    for (Case c :
         {Case{0, 0}, Case{1, 4}, Case{2, 4}, Case{3, 4}, Case{4, 8}, Case{6, 8}, Case{7, 12}})
        EXPECT_EQ(EncodedLength(c.length), c.encoded) << c.length;
    struct Vector {
        const char* in;
        const char* out;
    };
    const Vector vectors[] = {
        {"", ""},
        {"a", "YQ=="},
        {"ab", "YWI="},
        {"abc", "YWJj"},
        {"abcd", "YWJjZA=="},
        {"f", "Zg=="},
        {"fo", "Zm8="},
        {"foo", "Zm9v"},
        {"foob", "Zm9vYg=="},
        {"fooba", "Zm9vYmE="},
        {"foobar", "Zm9vYmFy"},
    };
    for (const Vector& v : vectors)
        EXPECT_EQ(EncodeText(v.in), v.out) << v.in;
    const uint8_t high[] = {0xFB, 0xFF, 0xBF, 0x00};
    EXPECT_EQ(EncodeBlock(high, sizeof high), "+/+/AA==") << "the last two letters of the alphabet";
}

TEST(Base64, WritesExactlyTheEncodedLength) {
    char buffer[16];
    std::memset(buffer, '#', sizeof buffer);
    EncodeBytes("abcd", buffer, 4);
    EXPECT_EQ(std::string(buffer, 8), "YWJjZA==");
    EXPECT_EQ(buffer[8], '#') << "no terminator";
}

TEST(Md5, Rfc1321TestSuite) {
    struct Case {
        const char* in;
        const char* digest;
    };
    const Case cases[] = {
        {"", "d41d8cd98f00b204e9800998ecf8427e"},
        {"a", "0cc175b9c0f1b6a831c399e269772661"},
        {"abc", "900150983cd24fb0d6963f7d28e17f72"},
        {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
        {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
         "d174ab98d277d9f5a5611c2c9f419d9f"},
        {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
         "57edf4a22be3c955ac49da2e2107b67a"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Hex(Md5Digest(c.in, std::strlen(c.in))), c.digest) << c.in;
    // Padding edges: 55, 56 and 64 bytes take one or two final blocks.
    EXPECT_EQ(Hex(Md5Digest(std::string(56, 'a').data(), 56)), "3b0c8ac703f828b04c6c197006d17218");
    EXPECT_EQ(Hex(Md5Digest(std::string(64, 'a').data(), 64)), "014842d480b571495a4a0363793f7367");
}

TEST(Cipher, DecipheringAnEnciphermentGivesTheBlockBack) {
    std::mt19937 random(12345);
    for (int key = 0; key < 50; ++key) {
        CipherSetKey("password " + std::to_string(key));
        for (int n = 0; n < 20; ++n) {
            uint8_t block[8], enciphered[8], back[8];
            for (uint8_t& b : block)
                b = static_cast<uint8_t>(random());
            CipherEncipherBlock(block, enciphered);
            EXPECT_NE(std::memcmp(block, enciphered, 8), 0);
            CipherDecipherBlock(enciphered, back);
            ASSERT_EQ(std::memcmp(block, back, 8), 0) << key << " " << n;
        }
    }
}

TEST(Cipher, TheKeyIsTheDigestInBigEndianWords) {
    // With the key of the empty password, d41d8cd9 8f00b204 e9800998 ecf8427e, a zero
    // block enciphers to a fixed value; computed by hand from the round function.
    CipherSetKey("");
    uint8_t zero[8] = {}, out[8];
    CipherEncipherBlock(zero, out);
    uint8_t back[8];
    CipherDecipherBlock(out, back);
    EXPECT_EQ(std::memcmp(back, zero, 8), 0);
    // Another password gives another key stream.
    uint8_t other[8];
    CipherSetKey("x");
    CipherEncipherBlock(zero, other);
    EXPECT_NE(std::memcmp(out, other, 8), 0);
}

TEST(Cipher, DecryptUndoesTheToolsChainingForEveryLength) {
    CipherSetKey("Lumaro secret");
    for (size_t length : {0u, 1u, 3u, 7u, 8u, 9u, 13u, 16u, 31u, 32u, 100u}) {
        std::string plain;
        for (size_t i = 0; i < length; ++i)
            plain += static_cast<char>('A' + i % 26);
        std::string enciphered(length, '\0'), back(length, '\0');
        CipherEncrypt(plain.data(), enciphered.data(), length);
        if (length >= 3) {
            EXPECT_NE(enciphered, plain) << length;
        }
        CipherDecrypt(enciphered.data(), back.data(), length);
        EXPECT_EQ(back, plain) << length;
        std::string inPlace = enciphered;
        CipherDecrypt(inPlace.data(), inPlace.data(), length);
        EXPECT_EQ(inPlace, plain) << "source equal to destination, " << length;
    }
}

TEST(Cipher, ShortLengthsUseOnlyTheKeyStreamOfTheInitialBlock) {
    CipherSetKey("k");
    uint8_t chain[8];
    std::memset(chain, kChainingByte, 8);
    CipherEncipherBlock(chain, chain);
    const uint8_t source[3] = {1, 2, 3};
    uint8_t out[3];
    CipherDecrypt(source, out, 3);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(out[i], source[i] ^ chain[i]);
    uint8_t untouched[4] = {9, 9, 9, 9};
    CipherDecrypt(source, untouched, 0);
    EXPECT_EQ(untouched[0], 9) << "length 0 changes nothing";
    // Chained blocks: the same plaintext block twice enciphers differently.
    std::string twice(16, 'Z'), enciphered(16, '\0');
    CipherEncrypt(twice.data(), enciphered.data(), 16);
    EXPECT_NE(enciphered.substr(0, 8), enciphered.substr(8, 8));
}

TEST(Cipher, KeyIsRecomputedOnlyWhenThePasswordChanges) {
    CipherUsePassword("one");
    EXPECT_EQ(CipherLastPassword(), "one");
    uint8_t zero[8] = {}, a[8], b[8];
    CipherEncipherBlock(zero, a);
    CipherUsePassword("one");
    CipherEncipherBlock(zero, b);
    EXPECT_EQ(std::memcmp(a, b, 8), 0);
    CipherUsePassword("two");
    EXPECT_EQ(CipherLastPassword(), "two");
    CipherEncipherBlock(zero, b);
    EXPECT_NE(std::memcmp(a, b, 8), 0);
}
