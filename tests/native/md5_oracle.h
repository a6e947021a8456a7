// OpenSSL's MD5, the native tests' reference, and the context fed in pieces.
#pragma once

#include <openssl/evp.h>

#include <stdio.h>
#include <string>

#include "md5.h"

inline std::string Hex(const uint8_t digest[16]) {
    char text[33];
    for (int i = 0; i < 16; i++)
        snprintf(text + 2 * i, 3, "%02x", digest[i]);
    return text;
}

inline std::string OracleMd5(const void *bytes, size_t length) {
    uint8_t digest[EVP_MAX_MD_SIZE];
    EVP_Digest(bytes, length, digest, NULL, EVP_md5(), NULL);
    return Hex(digest);
}

// Feeds length bytes in pieces whose sizes nextPiece() gives (0 included).
template <typename NextPiece>
std::string PieceDigest(const uint8_t *message, size_t length, NextPiece nextPiece) {
    Md5Context context;
    Md5Init(&context);
    for (size_t at = 0, piece; at < length; at += piece) {
        piece = nextPiece();
        piece = piece < length - at ? piece : length - at;
        Md5Update(&context, message + at, (uint32_t)piece);
    }
    Md5Final(&context);
    return Hex(context.digest);
}
