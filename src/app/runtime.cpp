// The memory routines that the compiler may call on its own, to zero or copy
// a structure. Nothing in the program's 32-bit or 64-bit build calls them:
// neither its code nor the compiler on its behalf. They are here in case the
// compiler emits such a call, since the program links no C runtime. The build
// compiles this file with -fno-tree-loop-distribute-patterns, which keeps GCC
// from turning these loops into calls to the routines themselves.
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
