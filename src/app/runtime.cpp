// The few memory routines the compiler may call on its own (to zero or copy
// a structure). The program links no C runtime, so it brings its own.
#include <stddef.h>

extern "C" {

void *memset(void *to, int value, size_t count) {
    unsigned char *p = (unsigned char *)to;
    while (count--)
        *p++ = (unsigned char)value;
    return to;
}

void *memcpy(void *to, const void *from, size_t count) {
    unsigned char *p = (unsigned char *)to;
    const unsigned char *q = (const unsigned char *)from;
    while (count--)
        *p++ = *q++;
    return to;
}

void *memmove(void *to, const void *from, size_t count) {
    unsigned char *p = (unsigned char *)to;
    const unsigned char *q = (const unsigned char *)from;
    if (p < q) {
        while (count--)
            *p++ = *q++;
    } else {
        while (count--)
            p[count] = q[count];
    }
    return to;
}

int memcmp(const void *a, const void *b, size_t count) {
    const unsigned char *p = (const unsigned char *)a;
    const unsigned char *q = (const unsigned char *)b;
    for (; count; count--, p++, q++) {
        if (*p != *q)
            return *p < *q ? -1 : 1;
    }
    return 0;
}
}
