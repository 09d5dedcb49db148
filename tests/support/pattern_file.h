// Pattern files for streaming tests: byte i of the file is PatternByte(i), so any span read back can
// be checked against its file offset.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

namespace kalder_test {

// (i * 2654435761) >> 24 in 32-bit arithmetic: no short period, every byte value occurs.
inline uint8_t PatternByte(uint32_t i) { return uint8_t((i * 2654435761u) >> 24); }

// Index of the first byte of [data, data + n) that differs from the pattern at `offset`, or n.
size_t PatternMismatch(const uint8_t *data, size_t n, uint32_t offset);

// Writes a pattern file of `size` bytes at a host path; false when it cannot.
bool WritePatternFile(const std::string &hostPath, uint32_t size);

} // namespace kalder_test
