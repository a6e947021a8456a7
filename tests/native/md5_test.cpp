// The MD5 core against RFC 1321's test suite and OpenSSL's MD5.
#include <gtest/gtest.h>

#include <vector>

#include "md5_oracle.h"

namespace {

TEST(Md5, Rfc1321TestSuite) {
    const char *suite[][2] = {
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
    for (const auto &c : suite)
        EXPECT_EQ(PieceDigest((const uint8_t *)c[0], strlen(c[0]), [] { return 1000; }), c[1]);
}

// Over 2^32 bits the count carries into its high word, both from one update
// of over 2^29 bytes and from the low word's wrap between updates.
TEST(Md5, BitCountCarriesIntoItsHighWord) {
    const size_t huge = ((size_t)1 << 29) + 77;
    std::vector<uint8_t> message(huge);
    for (size_t i = 0; i < huge; i++)
        message[i] = (uint8_t)(i * 2654435761u >> 24);
    const std::string expected = OracleMd5(message.data(), huge);
    for (size_t piece : {huge, (size_t)1 << 20})
        EXPECT_EQ(PieceDigest(message.data(), huge, [piece] { return piece; }), expected) << piece;
}

} // namespace
