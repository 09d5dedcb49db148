// Compares a 16-bit frame with a golden PNG under tests/golden. On a mismatch the frame is written as
// <name>.actual.png in the working directory; KALDER_UPDATE_GOLDENS=1 writes the golden instead.
#pragma once
#include <cstdint>
#include <string>

#include <gtest/gtest.h>

namespace kalder_test {

::testing::AssertionResult MatchesGolden(const std::string &name, const uint16_t *pixels, int width, int height,
                                         bool rgb555);

} // namespace kalder_test
