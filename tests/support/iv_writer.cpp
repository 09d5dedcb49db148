// The hi-colour op writer and the random stream generator.
#include "tests/support/iv_writer.h"

#include <algorithm>
#include <random>

#include "tests/support/iv_model.h"

namespace kalder_test {

int IvModeHeight(int mode)
{
    if (mode <= 4) return mode;
    if (mode <= 7) return mode - 3;
    if (mode < 32) return 2 + (mode - 8) / 8;
    return mode < 40 ? 2 : 3;
}

bool IvModeWindow(int mode) { return !(mode <= 4 || mode == 32 || mode == 40); }

int IvModeWindowIndex(int mode)
{
    if (!IvModeWindow(mode)) return -1;
    return mode <= 7 ? 0 : mode < 32 ? 1 + (mode - 8) % 8 : 8 + (mode & 7);
}

int RunLength(int length_code, int h) { return IvModelRunLength(length_code, h); }
int Window(int k, int i) { return IvModelWindow(k, i); }

void IvWriter::Enter(uint8_t mode)
{
    if (mode >= 2 && mode <= 47) {
        height_ = IvModeHeight(mode);
        window_ = IvModeWindow(mode);
    }
}

IvWriter &IvWriter::Mode(uint8_t mode)
{
    bytes_ = {0, mode};
    Enter(mode);
    return *this;
}

IvWriter &IvWriter::CopySame(int n) { return Raw({0x20, uint8_t(n)}); }

IvWriter &IvWriter::LiteralColumn(const std::vector<uint8_t> &pixels)
{
    bytes_.push_back(0x60);
    return Raw(pixels);
}

IvWriter &IvWriter::LiteralRun(const std::vector<std::vector<uint8_t>> &columns)
{
    Raw({0xA0, uint8_t(columns.size() - 2)});
    for (const auto &column : columns) {
        Raw(column);
    }
    return *this;
}

IvWriter &IvWriter::Fill(int n, uint8_t value) { return Raw({0xE0, 0x00, uint8_t(n), value}); }

IvWriter &IvWriter::Run(int family, int length_code, int argument)
{
    bytes_.push_back(uint8_t(family << 5 | length_code));
    if (window_) {
        return Raw({uint8_t(argument)});
    }
    return Raw({uint8_t(argument), uint8_t(argument >> 8)});
}

IvWriter &IvWriter::BandEnd(uint8_t mode)
{
    Raw({0xE0, mode});
    Enter(mode);
    return *this;
}

IvWriter &IvWriter::Raw(const std::vector<uint8_t> &bytes)
{
    bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
    return *this;
}

namespace {

// The smallest and largest source offset of a run relative to its anchor.
void RunSpan(int family, int n, int h, long long *lo, long long *hi)
{
    const bool transposed = family & 4;
    const long long kc = (transposed ? kIvWidth : 1) * ((family & 1) ? -1 : 1);
    const long long kr = (transposed ? 1 : kIvWidth) * ((family & 2) ? -1 : 1);
    *lo = std::min(0LL, kc * (n - 1)) + std::min(0LL, kr * (h - 1));
    *hi = std::max(0LL, kc * (n - 1)) + std::max(0LL, kr * (h - 1));
}

} // namespace

IvStream IvRandomStream(uint32_t seed)
{
    std::mt19937 rng(seed);
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    IvStream out;
    IvWriter w;
    long long pos = 0;
    int mode = pick(2, 47);
    w.Mode(uint8_t(mode));
    for (;;) {
        const int h = IvModeHeight(mode);
        const bool window = IvModeWindow(mode);
        const bool from_output = mode >= 32;
        const int window_index = IvModeWindowIndex(mode);
        out.used.insert("mode " + std::to_string(mode));
        // Most bands cover 640 columns; some fall short or run over.
        const int target = pick(0, 5) == 0 ? pick(560, 700) : 640;
        int columns = 0;
        while (columns < target) {
            const int room = target - columns;
            const int kind = pick(0, 9);
            bool done = false;
            if (kind >= 4) {
                const int family = pick(0, 7);
                const int code = (family & 1) ? pick(1, 31) : pick(0, 31);
                const int n = RunLength(code, h);
                int argument;
                long long anchor;
                if (window) {
                    argument = pick(0, 255);
                    anchor = pos + Window(window_index, argument);
                } else if (!from_output) {
                    argument = 32768 + pick(-8, 8) * kIvWidth + pick(-16, 16);
                    anchor = pos + argument - 32768;
                } else {
                    argument = 65536 - (pick(0, 1) ? pick(1, 64) : pick(1, 65535));
                    anchor = pos + argument - 65536;
                }
                long long lo, hi;
                RunSpan(family, n, h, &lo, &hi);
                if (n <= room && anchor + lo >= 0 && anchor + hi < kIvFrame) {
                    w.Run(family, code, argument);
                    out.used.insert("family " + std::to_string(family));
                    out.used.insert("length " + std::to_string(h) + "/" + std::to_string(code));
                    out.used.insert(std::string("source ") + (from_output ? "output" : "reference"));
                    if (window) {
                        out.used.insert("window " + std::to_string(window_index));
                    }
                    columns += n, pos += n;
                    done = true;
                }
            }
            if (done) {
                continue;
            }
            const int n = std::min(room, pick(1, 40));
            if (kind == 0 || n == 1) {
                std::vector<uint8_t> column(static_cast<size_t>(h));
                for (auto &v : column) v = uint8_t(pick(0, 255));
                w.LiteralColumn(column);
                out.used.insert("op literal column");
                columns += 1, pos += 1;
            } else if (kind == 1) {
                std::vector<std::vector<uint8_t>> run(static_cast<size_t>(n), std::vector<uint8_t>(static_cast<size_t>(h)));
                for (auto &column : run)
                    for (auto &v : column) v = uint8_t(pick(0, 255));
                w.LiteralRun(run);
                out.used.insert("op literal run");
                columns += n, pos += n;
            } else if (kind == 2) {
                w.Fill(n - 1, uint8_t(pick(0, 255)));
                out.used.insert("op fill");
                columns += n, pos += n;
            } else {
                w.CopySame(n - 1);
                out.used.insert("op copy same");
                columns += n, pos += n;
            }
        }
        pos += (h - 1) * kIvWidth;
        // The next band must fit with a run-over of up to 700 columns and up to 4 rows.
        if (pos + 3 * kIvWidth + 700 >= kIvFrame || pick(0, 200) == 0) {
            w.BandEnd(1);
            break;
        }
        mode = pick(2, 47);
        w.BandEnd(uint8_t(mode));
    }
    out.payload = w.Bytes();
    return out;
}

} // namespace kalder_test
