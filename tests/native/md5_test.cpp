// The MD5 core against RFC 1321's test suite and OpenSSL's MD5.
#include <gtest/gtest.h>
#include <openssl/md5.h>

#include <random>
#include <vector>

#include "md5_oracle.h"

namespace {

std::vector<uint8_t> RandomBytes(size_t length, uint32_t seed) {
    std::mt19937 random(seed);
    std::vector<uint8_t> bytes(length);
    for (auto &b : bytes)
        b = (uint8_t)random();
    return bytes;
}

TEST(Md5, Rfc1321TestSuite) {
    const char *suite[][2] = {
        {"", "d41d8cd98f00b204e9800998ecf8427e"},
        {"a", "0cc175b9c0f1b6a831c399e269772661"},
        {"abc", "900150983cd24fb0d6963f7d28e17f72"},
        {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
        {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
         "d174ab98d277d9f5a5611c2c9f419d9f"},
        {"1234567890123456789012345678901234567890123456789012345678901234567890123456789"
         "0",
         "57edf4a22be3c955ac49da2e2107b67a"},
    };
    for (const auto &c : suite)
        EXPECT_EQ(PieceDigest((const uint8_t *)c[0], strlen(c[0]), [] { return 1000; }), c[1]);
}

// Every length across the padding boundaries of five blocks, fed whole, byte
// by byte, in pieces on and off the block edges, with empty pieces between,
// and in random pieces.
TEST(Md5, EveryLengthInAnySplitMatchesOpenSsl) {
    const std::vector<uint8_t> message = RandomBytes(320, 1);
    std::mt19937 random(2);
    for (size_t length = 0; length <= message.size(); length++) {
        const std::string expected = OracleMd5(message.data(), length);
        for (size_t piece : {(size_t)1000, (size_t)1, (size_t)63, (size_t)64, (size_t)65})
            EXPECT_EQ(PieceDigest(message.data(), length, [piece] { return piece; }), expected)
                << length << " bytes in pieces of " << piece;
        size_t calls = 0;
        EXPECT_EQ(PieceDigest(message.data(), length, [&calls] { return calls++ % 2 ? 0 : 7; }),
                  expected)
            << length;
        EXPECT_EQ(PieceDigest(message.data(), length, [&random] { return random() % 150; }),
                  expected)
            << length;
    }
}

// The bit count is 64 bits: one update over 2^29 bytes carries into the high
// word, and counts just below 2^32 and 2^64 bits carry and wrap as OpenSSL's.
TEST(Md5, BitCountCarriesAndWrapsLikeOpenSsl) {
    const size_t huge = ((size_t)1 << 29) + 77;
    std::vector<uint8_t> message(huge);
    for (size_t i = 0; i < huge; i++)
        message[i] = (uint8_t)(i * 2654435761u >> 24);
    EXPECT_EQ(PieceDigest(message.data(), huge, [huge] { return huge; }),
              OracleMd5(message.data(), huge));

    const uint32_t starts[][2] = {{0xFFFFFE00u, 0}, {0xFFFFFE00u, 0xFFFFFFFFu}};
    for (const auto &start : starts) {
        Md5Context ours;
        Md5Init(&ours);
        MD5_CTX theirs;
        MD5_Init(&theirs);
        ours.bit_count_low = theirs.Nl = start[0];
        ours.bit_count_high = theirs.Nh = start[1];
        Md5Update(&ours, message.data(), 300);
        MD5_Update(&theirs, message.data(), 300);
        uint8_t expected[16];
        Md5Final(&ours);
        MD5_Final(expected, &theirs);
        EXPECT_EQ(Hex(ours.digest), Hex(expected)) << start[1];
    }
}

} // namespace
