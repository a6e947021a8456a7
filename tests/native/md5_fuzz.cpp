// Random messages fed in random pieces must give OpenSSL's digest.
#include <stdlib.h>

#include "md5_oracle.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < 2)
        return 0;
    // The first two bytes seed the piece sizes; the rest is the message.
    uint32_t seed = data[0] | data[1] << 8;
    auto nextPiece = [&seed] { return (size_t)((seed = seed * 1103515245u + 12345u) >> 16) % 131; };
    if (PieceDigest(data + 2, size - 2, nextPiece) != OracleMd5(data + 2, size - 2))
        abort();
    return 0;
}
