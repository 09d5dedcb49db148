// Compares a 16-bit frame with a golden PNG under tests/golden. On a mismatch the frame is written as
// <name>.actual.png in the working directory; KALDER_UPDATE_GOLDENS=1 writes the golden instead.
// Texts (traces) are compared with tests/golden/<name>.txt the same way.
#pragma once
#include <cstdint>
#include <string>

#include <gtest/gtest.h>

namespace kalder_test {

::testing::AssertionResult MatchesGolden(const std::string &name, const uint16_t *pixels, int width, int height,
                                         bool rgb555);
// On a mismatch writes <name>.actual.txt and names the first line that differs.
::testing::AssertionResult MatchesGoldenText(const std::string &name, const std::string &text);

} // namespace kalder_test
