// Random messages in random splits: the digest must match one-shot hashing
// and OpenSSL's MD5.
#include <stdlib.h>

#include "md5.h"
#include "md5_oracle.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < 2)
        return 0;
    // The first two bytes drive the split sizes; the rest is the message.
    uint32_t seed = data[0] | data[1] << 8;
    const uint8_t *message = data + 2;
    size_t length = size - 2;

    Md5Context whole;
    Md5Init(&whole);
    Md5Update(&whole, message, (uint32_t)length);
    Md5Final(&whole);

    Md5Context split;
    Md5Init(&split);
    for (size_t at = 0; at < length;) {
        seed = seed * 1103515245u + 12345u;
        size_t piece = (seed >> 16) % 131;
        if (piece > length - at)
            piece = length - at;
        Md5Update(&split, message + at, (uint32_t)piece);
        at += piece;
    }
    Md5Final(&split);

    if (memcmp(whole.digest, split.digest, 16) != 0)
        abort();
    if (Hex(whole.digest) != OracleMd5(message, length))
        abort();
    return 0;
}
