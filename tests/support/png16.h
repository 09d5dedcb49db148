// 16-bit frames as PNG files a person can open: 8-bit RGB made by repeating the top bits of each 5-
// or 6-bit channel, read back by taking the top bits, which gives the frame back exactly.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace kalder_test {

bool WritePng16(const std::string &path, const uint16_t *pixels, int width, int height, bool rgb555);

// Reads such a PNG (8-bit RGB) into a 16-bit frame. Returns false when the file cannot be read.
bool ReadPng16(const std::string &path, std::vector<uint16_t> &pixels, int &width, int &height, bool rgb555);

} // namespace kalder_test
