// Name fields of the scene stream and the container: fixed-width, NUL-padded or full without a
// terminator, matched against an upper-cased request.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>

inline char Name_Upper(char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; }

// Compares the first `limit` characters of the upper-cased request with those of a stored field of
// `field` bytes (upper-cased too with `upperStored`), both ending early at a NUL (the field also at its
// end). With `whole`, a request longer than `limit` matches nothing.
inline bool Name_Matches(const char *stored, size_t field, const char *request, size_t limit, bool whole,
                         bool upperStored)
{
    if (whole && strnlen(request, limit + 1) > limit) {
        return false;
    }
    for (size_t i = 0; i < limit; i++) {
        const char s = i >= field ? '\0' : upperStored ? Name_Upper(stored[i]) : stored[i];
        const char r = Name_Upper(request[i]);
        if (s != r) {
            return false;
        }
        if (r == '\0') {
            return true;
        }
    }
    return true;
}

// The upper-cased name equals the kept path: the readers refuse a request for their own file name.
inline bool Name_IsOwnFile(const char *request, const char *kept)
{
    size_t i = 0;
    for (; request[i] != '\0' && kept[i] != '\0'; i++) {
        if (Name_Upper(request[i]) != kept[i]) {
            return false;
        }
    }
    return request[i] == kept[i];
}
