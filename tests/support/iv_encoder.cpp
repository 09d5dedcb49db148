// The hi-colour picture encoder: greedy, band by band, exact.
#include "tests/support/iv_encoder.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "tests/support/iv_model.h"
#include "tests/support/iv_writer.h"

namespace kalder_test {

namespace {

constexpr int kShownRows = 300;
constexpr int kLongEnough = 16;

// What the encoder used, as flags; turned into names once at the end.
struct Used {
    std::array<bool, 48> mode{};
    std::array<bool, 8> family{};
    std::array<std::array<bool, 32>, 3> length{};
    std::array<bool, 16> window{};
    bool reference = false, output = false, copy_same = false, fill = false, column = false, run = false;

    void Merge(const Used &o)
    {
        for (size_t i = 0; i < mode.size(); i++) mode[i] = mode[i] || o.mode[i];
        for (size_t i = 0; i < family.size(); i++) family[i] = family[i] || o.family[i];
        for (size_t h = 0; h < 3; h++)
            for (size_t c = 0; c < 32; c++) length[h][c] = length[h][c] || o.length[h][c];
        for (size_t i = 0; i < window.size(); i++) window[i] = window[i] || o.window[i];
        reference |= o.reference, output |= o.output, copy_same |= o.copy_same, fill |= o.fill;
        column |= o.column, run |= o.run;
    }

    std::set<std::string> Names() const
    {
        std::set<std::string> out;
        for (size_t i = 0; i < mode.size(); i++)
            if (mode[i]) out.insert("mode " + std::to_string(i));
        for (size_t i = 0; i < family.size(); i++)
            if (family[i]) out.insert("family " + std::to_string(i));
        for (size_t h = 0; h < 3; h++)
            for (size_t c = 0; c < 32; c++)
                if (length[h][c]) out.insert("length " + std::to_string(h + 2) + "/" + std::to_string(c));
        for (size_t i = 0; i < window.size(); i++)
            if (window[i]) out.insert("window " + std::to_string(i));
        if (reference) out.insert("source reference");
        if (output) out.insert("source output");
        if (copy_same) out.insert("op copy same");
        if (fill) out.insert("op fill");
        if (column) out.insert("op literal column");
        if (run) out.insert("op literal run");
        return out;
    }
};

// A run copy: its family, its argument (u16 or window index) and the columns it covers.
struct Run {
    int family = 0, argument = 0, n = 0;
};

// The source step of a column and of a row in each family, as the decoder reads them.
void Steps(int family, int64_t *kc, int64_t *kr)
{
    const int64_t sc = (family & 1) ? -1 : 1, sr = (family & 2) ? -1 : 1;
    *kc = (family & 4) ? sc * kIvWidth : sc;
    *kr = (family & 4) ? sr : sr * kIvWidth;
}

class BandEncoder {
public:
    BandEncoder(const uint8_t *target, const uint8_t *reference, int y, int mode, int band)
        : target_(target), reference_(reference), y_(y), mode_(mode), band_(band), h_(IvModeHeight(mode)),
          window_(IvModeWindow(mode)), output_(mode >= 32), k_(IvModeWindowIndex(mode))
    {
        writer_.Mode(uint8_t(mode));
        used_.mode[size_t(mode)] = true;
    }

    // The band's ops (without the mode or the band end), written for columns 0..639.
    std::vector<uint8_t> Encode(std::array<std::array<Run, 4>, 48> &recent)
    {
        for (int x = 0; x < kIvWidth;) {
            x += Step(x, recent[size_t(mode_)]);
        }
        Flush();
        return {writer_.Bytes().begin() + 2, writer_.Bytes().end()};
    }
    const Used &UsedKinds() const { return used_; }

private:
    uint8_t T(int x, int r) const { return target_[size_t((y_ + r) * kIvWidth + x)]; }

    int CopySameLength(int x) const
    {
        const int limit = std::min(256, kIvWidth - x);
        int n = 0;
        for (; n < limit; n++) {
            for (int r = 0; r < h_; r++) {
                const size_t at = size_t((y_ + r) * kIvWidth + x + n);
                if (reference_[at] != target_[at]) return n;
            }
        }
        return n;
    }

    int FillLength(int x) const
    {
        const int limit = std::min(256, kIvWidth - x);
        const uint8_t v = T(x, 0);
        int n = 0;
        for (; n < limit; n++) {
            for (int r = 0; r < h_; r++) {
                if (T(x + n, r) != v) return n;
            }
        }
        return n;
    }

    // The output frame is read only where it is already decoded: above the band, or left of x in it.
    bool Decoded(int64_t q, int x) const
    {
        const int64_t row = q / kIvWidth, col = q % kIvWidth;
        return row < y_ || (row < y_ + h_ && col < x);
    }

    // Matching columns of a run whose first source pixel is at anchor, up to limit.
    int Match(int x, int64_t anchor, int family, int limit) const
    {
        const uint8_t *src = output_ ? target_ : reference_;
        int64_t kc, kr;
        Steps(family, &kc, &kr);
        for (int c = 0; c < limit; c++) {
            for (int r = 0; r < h_; r++) {
                const int64_t q = anchor + c * kc + r * kr;
                if (q < 0 || q >= kIvFrame || (output_ && !Decoded(q, x)) || src[q] != T(x + c, r)) return c;
            }
        }
        return limit;
    }

    // The longest run length code of at most m columns; -1 when none (odd families have no code 0).
    int Code(int m, int family) const
    {
        for (int code = 31; code >= (family & 1); code--) {
            if (RunLength(code, h_) <= m) return code;
        }
        return -1;
    }

    int64_t Anchor(int x, int argument) const
    {
        const int64_t position = int64_t(y_) * kIvWidth + x;
        if (window_) return position + Window(k_, argument);
        return position + argument - (output_ ? 65536 : 32768);
    }

    void Try(int x, int argument, int family, int limit, Run *best) const
    {
        const int code = Code(Match(x, Anchor(x, argument), family, limit), family);
        if (code >= 0 && RunLength(code, h_) > best->n) {
            *best = {family, argument, RunLength(code, h_)};
        }
    }

    void Search(int x, int limit, Run *best) const
    {
        const uint8_t first = T(x, 0);
        const uint8_t *src = output_ ? target_ : reference_;
        auto candidate = [&](int argument) {
            const int64_t anchor = Anchor(x, argument);
            if (anchor < 0 || anchor >= kIvFrame || src[anchor] != first || (output_ && !Decoded(anchor, x))) return;
            // The band picks which family a tie goes to, so that flat areas use them all.
            for (int f = 0; f < 8; f++) Try(x, argument, (f + band_) & 7, limit, best);
        };
        if (window_) {
            for (int i = 0; i < 256; i++) candidate(i);
        } else if (!output_) {
            for (int dy = -8; dy <= 8; dy++)
                for (int dx = -16; dx <= 16; dx++) candidate(32768 + dy * kIvWidth + dx);
        } else {
            for (int dy = -34; dy <= 0; dy++)
                for (int dx = -33; dx <= 16; dx++)
                    if (dy * kIvWidth + dx < 0) candidate(65536 + dy * kIvWidth + dx);
        }
    }

    // Writes the op at column x and returns the columns it covers.
    int Step(int x, std::array<Run, 4> &recent)
    {
        const int limit = std::min(RunLength(31, h_), kIvWidth - x);
        const int same = CopySameLength(x);
        const int fill = FillLength(x);
        Run run;
        if (std::max(same, fill) < kLongEnough) {
            for (const Run &r : recent) Try(x, r.argument, r.family, limit, &run);
            if (run.n < std::min(kLongEnough, limit)) Search(x, limit, &run);
        }
        const int run_bytes = window_ ? 2 : 3;
        // The longest cover wins, the cheaper op on a tie; a cover must not cost more than its pixels.
        struct Choice {
            int n, bytes, kind;
        };
        Choice best{0, 0, -1};
        for (Choice c : {Choice{same, 2, 0}, Choice{fill, 4, 1}, Choice{run.n, run_bytes, 2}}) {
            if (c.n * h_ >= c.bytes && (c.n > best.n || (c.n == best.n && c.bytes < best.bytes))) best = c;
        }
        if (best.kind < 0) {
            std::vector<uint8_t> column(static_cast<size_t>(h_));
            for (int r = 0; r < h_; r++) column[size_t(r)] = T(x, r);
            pending_.push_back(column);
            return 1;
        }
        Flush();
        if (best.kind == 0) {
            writer_.CopySame(same - 1);
            used_.copy_same = true;
        } else if (best.kind == 1) {
            writer_.Fill(fill - 1, T(x, 0));
            used_.fill = true;
        } else {
            const int code = Code(run.n, run.family);
            writer_.Run(run.family, code, run.argument);
            used_.family[size_t(run.family)] = true;
            used_.length[size_t(h_ - 2)][size_t(code)] = true;
            (output_ ? used_.output : used_.reference) = true;
            if (window_) used_.window[size_t(k_)] = true;
            // Most recent first.
            auto same_run = [&](const Run &r) { return r.family == run.family && r.argument == run.argument; };
            auto end = std::find_if(recent.begin(), recent.end(), same_run);
            if (end == recent.end()) end = recent.end() - 1;
            std::rotate(recent.begin(), end, end + 1);
            recent[0] = run;
        }
        return best.n;
    }

    void Flush()
    {
        size_t i = 0;
        while (i < pending_.size()) {
            const size_t left = pending_.size() - i;
            if (left == 1) {
                writer_.LiteralColumn(pending_[i]);
                used_.column = true;
                i++;
                continue;
            }
            const size_t k = std::min<size_t>(left, 257);
            writer_.LiteralRun({pending_.begin() + long(i), pending_.begin() + long(i + k)});
            used_.run = true;
            i += k;
        }
        pending_.clear();
    }

    const uint8_t *target_, *reference_;
    int y_, mode_, band_, h_;
    bool window_, output_;
    int k_;
    IvWriter writer_;
    Used used_;
    std::vector<std::vector<uint8_t>> pending_;
};

// The modes in the order coverage takes them.
int NextCoverageMode(int *turn, int rows_left)
{
    for (;;) {
        const int mode = 2 + (*turn)++ % 46;
        const int h = IvModeHeight(mode);
        if (h <= rows_left && rows_left - h != 1) return mode;
    }
}

} // namespace

IvEncoded EncodeIV(const uint8_t *target, const uint8_t *reference, const uint8_t *stale, bool coverage)
{
    std::array<std::array<Run, 4>, 48> recent{};
    Used used;
    std::vector<int> modes;
    std::vector<std::vector<uint8_t>> bands;
    int turn = 0;
    for (int y = 0; y < kShownRows;) {
        const int rows_left = kShownRows - y;
        std::vector<int> tries;
        if (coverage) {
            tries.push_back(NextCoverageMode(&turn, rows_left));
        } else {
            for (int h = 2; h <= 4; h++)
                if (h <= rows_left && rows_left - h != 1) tries.push_back(h);
        }
        // The band height that costs the fewest bytes a row.
        std::vector<uint8_t> best;
        int best_mode = 0;
        Used best_used;
        for (int mode : tries) {
            BandEncoder band(target, reference, y, mode, int(bands.size()));
            std::vector<uint8_t> ops = band.Encode(recent);
            const int h = IvModeHeight(mode);
            if (best_mode == 0 || ops.size() * size_t(IvModeHeight(best_mode)) < best.size() * size_t(h)) {
                best = std::move(ops), best_mode = mode, best_used = band.UsedKinds();
            }
        }
        modes.push_back(best_mode);
        bands.push_back(std::move(best));
        used.Merge(best_used);
        y += IvModeHeight(best_mode);
    }
    IvWriter writer;
    writer.Mode(uint8_t(modes[0]));
    for (size_t b = 0; b < bands.size(); b++) {
        writer.Raw(bands[b]);
        writer.BandEnd(uint8_t(b + 1 < bands.size() ? modes[b + 1] : 1));
    }
    IvEncoded out;
    out.payload = writer.Bytes();
    out.picture.assign(stale, stale + kIvFrame);
    std::memcpy(out.picture.data(), target, size_t(kShownRows * kIvWidth));
    out.used = used.Names();
    return out;
}

} // namespace kalder_test
