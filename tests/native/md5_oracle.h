// OpenSSL's MD5, the independent reference the native tests compare with.
#pragma once

#include <openssl/evp.h>

#include <stddef.h>
#include <stdint.h>
#include <string.h>
#include <string>

inline std::string Hex(const uint8_t digest[16]) {
    static const char kDigits[] = "0123456789abcdef";
    std::string text;
    for (int i = 0; i < 16; i++) {
        text += kDigits[digest[i] >> 4];
        text += kDigits[digest[i] & 15];
    }
    return text;
}

inline std::string OracleMd5(const void *bytes, size_t length) {
    uint8_t digest[EVP_MAX_MD_SIZE];
    unsigned int size = 0;
    EVP_Digest(bytes, length, digest, &size, EVP_md5(), NULL);
    return Hex(digest);
}
