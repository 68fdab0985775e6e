#include "Compression.h"

#include <gtest/gtest.h>

#include <zlib.h>

TEST(Compression, RoundTripsAndIsAZlibStream) {
    for (size_t length : {0u, 1u, 300u, 100000u}) {
        std::string data;
        for (size_t i = 0; i < length; ++i)
            data += static_cast<char>("options block "[i % 14]);
        std::vector<uint8_t> packed = ZCompress(data.data(), data.size());
        if (length >= 300) {
            EXPECT_LT(packed.size(), length / 4) << "repetitive data packs well at level 9";
        }
        // zlib itself reads it back.
        std::vector<uint8_t> check(length + 1);
        uLongf checkLength = static_cast<uLongf>(check.size());
        ASSERT_EQ(uncompress(check.data(), &checkLength, packed.data(),
                             static_cast<uLong>(packed.size())),
                  Z_OK);
        EXPECT_EQ(checkLength, length);
        std::vector<uint8_t> back = ZDecompress(packed.data(), packed.size());
        EXPECT_EQ(std::string(back.begin(), back.end()), data);
    }
}

TEST(Compression, CorruptOrTruncatedDataGivesWhatWasProducedWithoutAnException) {
    std::string data(5000, 'x');
    std::vector<uint8_t> packed = ZCompress(data.data(), data.size());
    std::vector<uint8_t> half(packed.begin(),
                              packed.begin() + static_cast<long>(packed.size() / 2));
    std::vector<uint8_t> out = ZDecompress(half.data(), half.size());
    EXPECT_LE(out.size(), data.size());
    std::vector<uint8_t> garbage(64, 0xAB);
    EXPECT_TRUE(ZDecompress(garbage.data(), garbage.size()).empty());
}

TEST(Compression, OutputBeyondTheLimitIsRefused) {
    // 65 MiB of zeros pack into about 65 KB: a small input must not take unbounded memory.
    std::vector<uint8_t> zeros(kDecompressLimit + (1u << 20), 0);
    std::vector<uint8_t> bomb = ZCompress(zeros.data(), zeros.size());
    zeros = {};
    EXPECT_LT(bomb.size(), 200000u);
    try {
        ZDecompress(bomb.data(), bomb.size());
        FAIL();
    } catch (const EZLibError& e) {
        EXPECT_EQ(e.Message(), "decompressed data larger than the limit");
    }
}
