// Writes hi-colour picture payloads op by op, and random valid streams that use every kind of op.
#pragma once
#include <cstdint>
#include <set>
#include <string>
#include <vector>

namespace kalder_test {

// One payload, op by op: Mode first, then the ops of each band, BandEnd between bands and BandEnd(1)
// at the end. The writer tracks the band height for the argument forms; it checks nothing.
class IvWriter {
public:
    IvWriter &Mode(uint8_t mode);
    IvWriter &CopySame(int n);                                 // 0x20: n + 1 columns
    IvWriter &LiteralColumn(const std::vector<uint8_t> &pixels);
    IvWriter &LiteralRun(const std::vector<std::vector<uint8_t>> &columns);  // each top row first
    IvWriter &Fill(int n, uint8_t value);                      // n + 1 columns
    IvWriter &Run(int family, int length_code, int argument);  // u16 offset or window index by the mode
    IvWriter &BandEnd(uint8_t mode);
    IvWriter &Raw(const std::vector<uint8_t> &bytes);
    const std::vector<uint8_t> &Bytes() const { return bytes_; }
    int Height() const { return height_; }
    bool WindowMode() const { return window_; }

private:
    void Enter(uint8_t mode);
    std::vector<uint8_t> bytes_;
    int height_ = 2;
    bool window_ = false;
};

// The band height of a mode 2..47, and whether its copies take a window index.
int IvModeHeight(int mode);
bool IvModeWindow(int mode);
// The window a window mode's copies use (0..15); -1 for the modes with offset arguments.
int IvModeWindowIndex(int mode);

// The columns of a run and a window entry, from the format's formulas.
int RunLength(int length_code, int h);
int Window(int k, int i);

// A random valid stream of one frame (fixed by seed): bands of every mode, every family and length code,
// both argument forms, all windows and both sources, with reads and writes inside rows 0..303; some
// bands do not sum to 640 columns. used names the kinds it took ("mode 33", "family 5", "length 3/31",
// "window 12", "source output", "op fill"...).
struct IvStream {
    std::vector<uint8_t> payload;
    std::set<std::string> used;
};
IvStream IvRandomStream(uint32_t seed);

} // namespace kalder_test
