// Both compression functions, called directly and through the context,
// against OpenSSL's MD5 and against each other; and the choice between them.
#include <gtest/gtest.h>
#include <openssl/md5.h>

#include <stdio.h>

#include <random>
#include <string>
#include <vector>

#include "../common/random_bytes.h"
#include "../common/transforms.h"
#include "md5.h"
#include "md5_oracle.h"
#include "md5_transform.h"

namespace {

#ifdef KESTRUM_MD5_HAS_AVX512
#define SKIP_WITHOUT_AVX512()                                                                      \
    if (!Md5CpuHasAvx512())                                                                        \
    GTEST_SKIP() << "this processor lacks AVX-512F/VL (or its system does not save the registers)"
#else
#define SKIP_WITHOUT_AVX512() GTEST_SKIP() << "the AVX-512 transform exists only on x86"
#endif

// RFC 1321's padding, made here rather than by the context: a 1 bit, zeros up
// to 56 modulo 64, then the length in bits as 8 little-endian bytes.
std::vector<uint8_t> Padded(const uint8_t *message, size_t length) {
    std::vector<uint8_t> padded(message, message + length);
    padded.push_back(0x80);
    while (padded.size() % 64 != 56)
        padded.push_back(0);
    const uint64_t bits = (uint64_t)length * 8;
    for (int i = 0; i < 8; i++)
        padded.push_back((uint8_t)(bits >> (8 * i)));
    return padded;
}

// The digest of a message compressed by one function alone, starting at
// `offset` bytes into a buffer, so the blocks sit at any alignment.
std::string DirectDigest(Md5BlocksFunction *compress, const uint8_t *message, size_t length,
                         size_t offset) {
    const std::vector<uint8_t> padded = Padded(message, length);
    std::vector<uint8_t> buffer(offset);
    buffer.insert(buffer.end(), padded.begin(), padded.end());
    uint32_t state[4] = {0x67452301, 0xEFCDAB89, 0x98BADCFE, 0x10325476};
    compress(state, buffer.data() + offset, padded.size() / 64);
    uint8_t digest[16];
    for (int i = 0; i < 16; i++)
        digest[i] = (uint8_t)(state[i / 4] >> (8 * (i % 4)));
    return Hex(digest);
}

void ExpectEveryLengthMatchesOpenSsl(Md5BlocksFunction *compress) {
    const std::vector<uint8_t> message = RandomBytes(4 * 64 + 8, 11);
    for (size_t length = 0; length <= message.size(); length++) {
        const std::string expected = OracleMd5(message.data(), length);
        for (size_t offset = 0; offset < 4; offset++)
            EXPECT_EQ(DirectDigest(compress, message.data(), length, offset), expected)
                << "length " << length << ", offset " << offset;
    }
}

TEST(Md5Transform, PortableMatchesOpenSslOnEveryLengthUpToFourBlocks) {
    ExpectEveryLengthMatchesOpenSsl(Md5BlocksPortable);
}

TEST(Md5Transform, Avx512MatchesOpenSslOnEveryLengthUpToFourBlocks) {
    SKIP_WITHOUT_AVX512();
#ifdef KESTRUM_MD5_HAS_AVX512
    ExpectEveryLengthMatchesOpenSsl(Md5BlocksAvx512);
#endif
}

// From random chaining values, one to four blocks at a time: each function
// against OpenSSL's own block function, and so against each other.
TEST(Md5Transform, EveryTransformMatchesOpenSslFromAnyState) {
    std::mt19937 random(12);
    const std::vector<uint8_t> bytes = RandomBytes(4 * 64 + 3, 13);
    for (int trial = 0; trial < 500; trial++) {
        const uint32_t start[4] = {(uint32_t)random(), (uint32_t)random(), (uint32_t)random(),
                                   (uint32_t)random()};
        const size_t count = 1 + random() % 4, offset = random() % 4;
        MD5_CTX theirs;
        MD5_Init(&theirs);
        theirs.A = start[0], theirs.B = start[1], theirs.C = start[2], theirs.D = start[3];
        for (size_t i = 0; i < count; i++)
            MD5_Transform(&theirs, bytes.data() + offset + 64 * i);
        const uint32_t expected[4] = {theirs.A, theirs.B, theirs.C, theirs.D};

        for (const Transform &t : AvailableTransforms()) {
            uint32_t state[4] = {start[0], start[1], start[2], start[3]};
            t.compress(state, bytes.data() + offset, count);
            EXPECT_EQ(memcmp(state, expected, sizeof(state)), 0)
                << t.name << ", trial " << trial << ", " << count << " blocks";
        }
    }
}

TEST(Md5Transform, ZeroBlocksLeaveTheStateAlone) {
    for (const Transform &t : AvailableTransforms()) {
        const uint32_t start[4] = {0x01234567, 0x89ABCDEF, 0xFEDCBA98, 0x76543210};
        uint32_t state[4] = {start[0], start[1], start[2], start[3]};
        t.compress(state, NULL, 0);
        EXPECT_EQ(memcmp(state, start, sizeof(state)), 0) << t.name;
    }
}

// Every length up to a few blocks, fed whole and in pieces that straddle the
// block edges, through Md5Update and Md5Final with each function in force.
TEST(Md5Transform, ContextMatchesOpenSslWithEachTransform) {
    const std::vector<uint8_t> message = RandomBytes(300, 14);
    for (const Transform &t : AvailableTransforms()) {
        TransformInForce inForce(t.compress);
        for (size_t length = 0; length <= message.size(); length++) {
            for (size_t piece : {length + 1, (size_t)1, (size_t)7, (size_t)63, (size_t)65}) {
                Md5Context context;
                Md5Init(&context);
                for (size_t at = 0; at < length; at += piece)
                    Md5Update(&context, message.data() + at,
                              (uint32_t)std::min(piece, length - at));
                Md5Final(&context);
                EXPECT_EQ(Hex(context.digest), OracleMd5(message.data(), length))
                    << t.name << ", length " << length << ", pieces of " << piece;
            }
        }
    }
}

// What Md5Update hands to the compression function.
struct Call {
    const uint8_t *blocks;
    size_t count;
};
std::vector<Call> g_calls;

void RecordingCompress(uint32_t state[4], const uint8_t *blocks, size_t count) {
    g_calls.push_back({blocks, count});
    Md5BlocksPortable(state, blocks, count);
}

TEST(Md5Transform, WholeBlocksAreCompressedStraightFromTheCallersBytes) {
    const std::vector<uint8_t> message = RandomBytes(400, 15);
    const uint8_t *bytes = message.data();
    TransformInForce inForce(RecordingCompress);
    Md5Context context;
    Md5Init(&context);

    g_calls.clear();
    Md5Update(&context, bytes, 200); // three blocks in one call, 8 bytes wait
    ASSERT_EQ(g_calls.size(), 1u);
    EXPECT_EQ(g_calls[0].blocks, bytes);
    EXPECT_EQ(g_calls[0].count, 3u);

    g_calls.clear();
    Md5Update(&context, bytes + 200, 184); // 56 complete the block, then two whole
    ASSERT_EQ(g_calls.size(), 2u);
    EXPECT_EQ(g_calls[0].blocks, context.block);
    EXPECT_EQ(g_calls[0].count, 1u);
    EXPECT_EQ(g_calls[1].blocks, bytes + 256);
    EXPECT_EQ(g_calls[1].count, 2u);

    g_calls.clear();
    Md5Update(&context, bytes + 384, 16); // too few for a block: they wait
    EXPECT_EQ(g_calls.size(), 0u);
    Md5Final(&context);
    EXPECT_EQ(Hex(context.digest), OracleMd5(bytes, 400));
}

// A field of the first processor in /proc/cpuinfo: Linux's own reading of
// CPUID and of what the system enabled, to check ours against.
std::string CpuInfoField(const std::string &name) {
    FILE *info = fopen("/proc/cpuinfo", "r");
    if (info == NULL)
        return "";
    char line[8192];
    std::string value;
    while (value.empty() && fgets(line, sizeof(line), info)) {
        std::string text = line;
        size_t colon = text.find(':');
        if (colon != std::string::npos && text.compare(0, name.size(), name) == 0 &&
            text.find_first_not_of(" \t", name.size()) == colon)
            value = text.substr(colon + 1, text.size() - colon - 2) + " "; // drop the newline
    }
    fclose(info);
    return value;
}

TEST(Md5Transform, CpuCheckAgreesWithLinux) {
#ifdef KESTRUM_MD5_HAS_AVX512
    const std::string flags = CpuInfoField("flags");
    ASSERT_FALSE(flags.empty()) << "no flags in /proc/cpuinfo";
    const bool listed = flags.find(" avx512f ") != std::string::npos &&
                        flags.find(" avx512vl ") != std::string::npos;
    EXPECT_EQ(Md5CpuHasAvx512(), listed);

    // Zen 5 and later AMD families run the vector operations in two cycles.
    const bool slow_vectors = CpuInfoField("vendor_id").find("AuthenticAMD") != std::string::npos &&
                              std::stoi(CpuInfoField("cpu family")) >= 0x1A;
    EXPECT_EQ(Md5CpuFavoursAvx512(), listed && !slow_vectors);
#else
    GTEST_SKIP() << "the AVX-512 transform exists only on x86";
#endif
}

// One block from a random state, as 16 words, against OpenSSL's own
// compression function brought to the same state.
TEST(Md5Transform, OneBlockOfWordsMatchesOpenSsl) {
    std::mt19937 random(77);
    for (int trial = 0; trial < 100; trial++) {
        uint32_t state[4], words[16];
        for (auto &s : state)
            s = random();
        for (auto &w : words)
            w = random();
        uint8_t block[64];
        for (int k = 0; k < 64; k++)
            block[k] = (uint8_t)(words[k / 4] >> (8 * (k % 4)));
        MD5_CTX theirs;
        MD5_Init(&theirs);
        theirs.A = state[0];
        theirs.B = state[1];
        theirs.C = state[2];
        theirs.D = state[3];
        MD5_Transform(&theirs, block);
        Md5Transform(state, words);
        EXPECT_EQ(state[0], theirs.A) << trial;
        EXPECT_EQ(state[1], theirs.B) << trial;
        EXPECT_EQ(state[2], theirs.C) << trial;
        EXPECT_EQ(state[3], theirs.D) << trial;
    }
}

} // namespace
