// The MD5 core against RFC 1321's own test suite and OpenSSL's MD5.
#include <gtest/gtest.h>
#include <openssl/md5.h>

#include <random>
#include <vector>

#include "../common/random_bytes.h"
#include "md5.h"
#include "md5_oracle.h"

namespace {

std::string Digest(const void *bytes, size_t length) {
    Md5Context context;
    Md5Init(&context);
    Md5Update(&context, bytes, (uint32_t)length);
    Md5Final(&context);
    return Hex(context.digest);
}

// Feeds the message in the given piece sizes, repeating the last one.
std::string DigestInPieces(const std::vector<uint8_t> &message, const std::vector<size_t> &pieces) {
    Md5Context context;
    Md5Init(&context);
    size_t at = 0;
    for (size_t i = 0; at < message.size(); i++) {
        size_t piece = std::min(pieces[std::min(i, pieces.size() - 1)], message.size() - at);
        Md5Update(&context, message.data() + at, (uint32_t)piece);
        at += piece;
    }
    Md5Final(&context);
    return Hex(context.digest);
}

struct Rfc1321Case {
    const char *message;
    const char *digest;
};

// RFC 1321, appendix A.5.
const Rfc1321Case kRfc1321Suite[] = {
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

TEST(Md5, Rfc1321TestSuite) {
    for (const auto &c : kRfc1321Suite)
        EXPECT_EQ(Digest(c.message, strlen(c.message)), c.digest) << '"' << c.message << '"';
}

TEST(Md5, NoUpdateAndEmptyUpdatesGiveTheEmptyDigest) {
    Md5Context context;
    Md5Init(&context);
    Md5Final(&context);
    EXPECT_EQ(Hex(context.digest), "d41d8cd98f00b204e9800998ecf8427e");

    Md5Init(&context);
    for (int i = 0; i < 3; i++)
        Md5Update(&context, "ignored", 0);
    Md5Final(&context);
    EXPECT_EQ(Hex(context.digest), "d41d8cd98f00b204e9800998ecf8427e");
}

TEST(Md5, EveryLengthUpToThreeBlocksMatchesOpenSsl) {
    std::vector<uint8_t> bytes = RandomBytes(200, 1);
    for (size_t length = 0; length <= 200; length++)
        EXPECT_EQ(Digest(bytes.data(), length), OracleMd5(bytes.data(), length)) << length;
}

TEST(Md5, PaddingBoundariesMatchOpenSsl) {
    for (size_t length : {55, 56, 57, 63, 64, 65, 119, 120, 127, 128, 129}) {
        std::vector<uint8_t> bytes(length, (uint8_t)'a');
        EXPECT_EQ(Digest(bytes.data(), length), OracleMd5(bytes.data(), length)) << length;
    }
}

TEST(Md5, DigestDoesNotDependOnHowTheMessageIsSplit) {
    const std::vector<uint8_t> message = RandomBytes(1000, 2);
    const std::string expected = OracleMd5(message.data(), message.size());
    const std::vector<std::vector<size_t>> splits = {
        {1000},           {1},      {64},          {63},        {65},
        {128, 64},        {127, 1}, {0, 64, 0, 1}, {55, 9, 64}, {56, 8, 63, 65},
        {3, 61, 64, 200},
    };
    for (const auto &pieces : splits)
        EXPECT_EQ(DigestInPieces(message, pieces), expected) << "first piece " << pieces[0];

    std::mt19937 random(3);
    for (int trial = 0; trial < 200; trial++) {
        std::vector<size_t> pieces;
        for (int i = 0; i < 40; i++)
            pieces.push_back(random() % 150);
        pieces.push_back(1);
        EXPECT_EQ(DigestInPieces(message, pieces), expected) << "trial " << trial;
    }
}

TEST(Md5, ZeroLengthUpdateChangesNothing) {
    const std::vector<uint8_t> message = RandomBytes(100, 4);
    for (size_t fed : {0, 1, 63, 64, 100}) {
        Md5Context context;
        memset(&context, 0xA5, sizeof(context));
        Md5Init(&context);
        Md5Update(&context, message.data(), (uint32_t)fed);
        Md5Context before = context;
        Md5Update(&context, message.data(), 0);
        EXPECT_EQ(memcmp(&before, &context, sizeof(context)), 0) << fed;
    }
}

TEST(Md5, PendingBytesWaitInTheBlockAndCountAsBits) {
    const std::vector<uint8_t> message = RandomBytes(150, 5);
    Md5Context context;
    Md5Init(&context);
    Md5Update(&context, message.data(), 20);
    Md5Update(&context, message.data() + 20, 130);
    EXPECT_EQ(context.bit_count_low, 150u * 8);
    EXPECT_EQ(context.bit_count_high, 0u);
    EXPECT_EQ(memcmp(context.block, message.data() + 128, 22), 0);
}

// A single update over 2^29 bytes carries its length >> 29 into the high word.
TEST(Md5, UpdateOverTwoToTheTwentyNineBytes) {
    const size_t length = (size_t(1) << 29) + 77;
    std::vector<uint8_t> message(length);
    for (size_t i = 0; i < length; i++)
        message[i] = (uint8_t)(i * 2654435761u >> 24);
    Md5Context context;
    Md5Init(&context);
    Md5Update(&context, message.data(), (uint32_t)length);
    EXPECT_EQ(context.bit_count_high, 1u);
    EXPECT_EQ(context.bit_count_low, 77u * 8);
    Md5Final(&context);
    EXPECT_EQ(Hex(context.digest), OracleMd5(message.data(), length));
}

// Contexts whose bit count stands just below a wrap, checked against OpenSSL's
// context brought to the same count, so the length words are compared too.
TEST(Md5, BitCountCarriesAndWrapsLikeOpenSsl) {
    struct Start {
        uint32_t low, high;
    };
    const Start starts[] = {{0xFFFFFE00u, 0}, {0xFFFFFE00u, 7}, {0xFFFFFE00u, 0xFFFFFFFFu}};
    const std::vector<uint8_t> message = RandomBytes(300, 6);
    for (const auto &start : starts) {
        Md5Context ours;
        Md5Init(&ours);
        ours.bit_count_low = start.low;
        ours.bit_count_high = start.high;
        MD5_CTX theirs;
        MD5_Init(&theirs);
        theirs.Nl = start.low;
        theirs.Nh = start.high;

        Md5Update(&ours, message.data(), (uint32_t)message.size());
        MD5_Update(&theirs, message.data(), message.size());
        uint32_t expectedHigh = start.high + 1; // 300 bytes = 2400 bits pass the wrap
        EXPECT_EQ(ours.bit_count_high, expectedHigh);
        EXPECT_EQ(ours.bit_count_low, start.low + 2400u);

        uint8_t expected[16];
        Md5Final(&ours);
        MD5_Final(expected, &theirs);
        EXPECT_EQ(Hex(ours.digest), Hex(expected)) << std::hex << start.high;
    }
}

} // namespace
