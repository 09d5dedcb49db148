// An exact encoder of hi-colour pictures, for the films of the tests, the demo installation and the
// benchmarks.
#pragma once
#include <cstdint>
#include <set>
#include <string>
#include <vector>

namespace kalder_test {

struct IvEncoded {
    std::vector<uint8_t> payload;
    // The output frame the decoder makes of the payload (640 x 304).
    std::vector<uint8_t> picture;
    // The kinds the payload uses: "mode 33", "family 5", "source output", "op fill", "op copy same"...
    std::set<std::string> used;
};

// Encodes target (640 x 300 indices) against reference (the picture shown last) over stale (what the
// output frame holds before the decode: the picture of two frames before); both 640 x 304. Rows 0..299 of
// the picture are the target exactly, rows 300..303 keep stale. Bands of 2, 3 or 4 rows, whichever is
// smallest, left to right: copies in place, fills, run copies of the reference up to 8 rows and 16
// columns away in all eight orientations, literal pixels otherwise. With coverage the bands go through
// every mode 2..47 in turn, and run copies also read windows and the part of the output already decoded.
IvEncoded EncodeIV(const uint8_t *target, const uint8_t *reference, const uint8_t *stale, bool coverage = false);

} // namespace kalder_test
