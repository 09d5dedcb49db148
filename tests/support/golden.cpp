// Golden frame comparison (see golden.h).
#include "tests/support/golden.h"

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <vector>

#include "tests/support/png16.h"

namespace kalder_test {

::testing::AssertionResult MatchesGolden(const std::string &name, const uint16_t *pixels, int width, int height,
                                         bool rgb555)
{
    const std::string golden = std::string(KALDER_GOLDEN_DIR) + "/" + name + ".png";
    const char *update = std::getenv("KALDER_UPDATE_GOLDENS");
    if (update != nullptr && std::strcmp(update, "1") == 0) {
        if (!WritePng16(golden, pixels, width, height, rgb555)) {
            return ::testing::AssertionFailure() << "cannot write " << golden;
        }
        return ::testing::AssertionSuccess() << "wrote " << golden;
    }
    std::vector<uint16_t> expected;
    int golden_width = 0;
    int golden_height = 0;
    const bool read = ReadPng16(golden, expected, golden_width, golden_height, rgb555);
    if (read && golden_width == width && golden_height == height &&
        std::memcmp(expected.data(), pixels, expected.size() * 2) == 0) {
        return ::testing::AssertionSuccess();
    }
    const std::string actual = name + ".actual.png";
    WritePng16(actual, pixels, width, height, rgb555);
    auto failure = ::testing::AssertionFailure();
    if (!read) {
        return failure << "cannot read " << golden << "; the frame is in " << actual;
    }
    if (golden_width != width || golden_height != height) {
        return failure << name << " is " << golden_width << "x" << golden_height << ", the frame " << width << "x"
                       << height << "; the frame is in " << actual;
    }
    size_t first = 0;
    while (expected[first] == pixels[first]) {
        first++;
    }
    return failure << name << " differs first at (" << first % size_t(width) << ", " << first / size_t(width)
                   << "): golden " << std::hex << expected[first] << ", frame " << pixels[first]
                   << "; the frame is in " << actual;
}

::testing::AssertionResult MatchesGoldenText(const std::string &name, const std::string &text)
{
    const std::string golden = std::string(KALDER_GOLDEN_DIR) + "/" + name + ".txt";
    const char *update = std::getenv("KALDER_UPDATE_GOLDENS");
    if (update != nullptr && std::strcmp(update, "1") == 0) {
        std::ofstream out(golden, std::ios::binary);
        out << text;
        if (!out) {
            return ::testing::AssertionFailure() << "cannot write " << golden;
        }
        return ::testing::AssertionSuccess() << "wrote " << golden;
    }
    std::ifstream in(golden, std::ios::binary);
    std::stringstream expected;
    expected << in.rdbuf();
    if (in && expected.str() == text) {
        return ::testing::AssertionSuccess();
    }
    const std::string actual = name + ".actual.txt";
    std::ofstream(actual, std::ios::binary) << text;
    if (!in) {
        return ::testing::AssertionFailure() << "cannot read " << golden << "; the text is in " << actual;
    }
    std::istringstream a(expected.str()), b(text);
    std::string la, lb;
    int line = 1;
    while (true) {
        const bool ga = bool(std::getline(a, la)), gb = bool(std::getline(b, lb));
        if (!ga || !gb || la != lb) {
            return ::testing::AssertionFailure() << name << " differs first at line " << line << ":\n  golden: "
                                                 << (ga ? la : "(end)") << "\n  text:   " << (gb ? lb : "(end)")
                                                 << "\nthe text is in " << actual;
        }
        line++;
    }
}

} // namespace kalder_test
