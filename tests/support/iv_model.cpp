// A plain hi-colour picture decoder and blitter, one pixel at a time.
#include "tests/support/iv_model.h"

#include <algorithm>

namespace kalder_test {

int IvModelRunLength(int code, int h)
{
    const int split = h == 2 ? 16 : h == 3 ? 20 : 26;
    if (code < split) {
        return code + 1;
    }
    if (h == 2 && code >= 28) {
        return 4 * code - 68;
    }
    return 2 * code - (h == 2 ? 14 : h == 3 ? 18 : 24);
}

int IvModelWindow(int k, int i)
{
    static const int corner[16][3] = {{-8, -8, 16},   {-2, -8, 16},  {-14, -8, 16},  {-8, -2, 16},
                                      {-8, -14, 16},  {-2, -2, 16},  {-14, -2, 16},  {-2, -14, 16},
                                      {-14, -14, 16}, {-16, -8, 32}, {-8, -16, 16},  {-24, -16, 16},
                                      {8, -16, 16},   {-4, -32, 8},  {-12, -32, 8},  {4, -32, 8}};
    const int x0 = corner[k][0], y0 = corner[k][1], w = corner[k][2];
    return (y0 + i / w) * kIvWidth + x0 + i % w;
}

namespace {

bool In(long long at) { return at >= 0 && at < kIvFrame; }

} // namespace

int IvModelDecode(const std::vector<uint8_t> &p, const uint8_t *reference, uint8_t *output)
{
    if (p.size() < 2) {
        return 0;
    }
    long long pos = 0;
    size_t i = 2;
    int mode = p[1];
    for (;;) {
        if (mode <= 1) {
            return 1;
        }
        if (mode >= 48) {
            return 0;
        }
        int h;
        bool from_output = mode >= 32;
        int window = -1;
        long long bias = 0;
        if (mode >= 2 && mode <= 4) {
            h = mode, bias = -32768;
        } else if (mode >= 5 && mode <= 7) {
            h = mode - 3, window = 0;
        } else if (mode <= 15) {
            h = 2, window = mode - 7;
        } else if (mode <= 23) {
            h = 3, window = mode - 15;
        } else if (mode <= 31) {
            h = 4, window = mode - 23;
        } else if (mode == 32 || mode == 40) {
            h = mode == 32 ? 2 : 3, bias = -65536;
        } else if (mode <= 39) {
            h = 2, window = mode - 24;
        } else {
            h = 3, window = mode - 32;
        }
        const uint8_t *source = from_output ? output : reference;
        auto writable = [&](int n) { return In(pos) && In(pos + (h - 1) * kIvWidth + n - 1); };
        for (;;) {
            if (i >= p.size()) {
                return 0;
            }
            const int op = p[i];
            const size_t left = p.size() - i;
            if (op == 0x20) {
                if (left < 2) {
                    return 0;
                }
                const int n = p[i + 1] + 1;
                if (!writable(n)) {
                    return 0;
                }
                for (int r = 0; r < h; r++) {
                    for (int c = 0; c < n; c++) {
                        output[pos + r * kIvWidth + c] = reference[pos + r * kIvWidth + c];
                    }
                }
                i += 2, pos += n;
            } else if (op == 0x60) {
                if (left < size_t(1 + h) || !writable(1)) {
                    return 0;
                }
                for (int r = 0; r < h; r++) {
                    output[pos + r * kIvWidth] = p[i + 1 + size_t(r)];
                }
                i += size_t(1 + h), pos += 1;
            } else if (op == 0xA0) {
                if (left < 2) {
                    return 0;
                }
                const int n = p[i + 1] + 2;
                if (left < size_t(2 + n * h) || !writable(n)) {
                    return 0;
                }
                for (int c = 0; c < n; c++) {
                    for (int r = 0; r < h; r++) {
                        output[pos + r * kIvWidth + c] = p[i + 2 + size_t(c * h + r)];
                    }
                }
                i += size_t(2 + n * h), pos += n;
            } else if (op == 0xE0) {
                if (left < 2) {
                    return 0;
                }
                if (p[i + 1] != 0) {
                    pos += (h - 1) * kIvWidth;
                    mode = p[i + 1];
                    i += 2;
                    break;
                }
                if (left < 4) {
                    return 0;
                }
                const int n = p[i + 2] + 1;
                if (!writable(n)) {
                    return 0;
                }
                for (int r = 0; r < h; r++) {
                    for (int c = 0; c < n; c++) {
                        output[pos + r * kIvWidth + c] = p[i + 3];
                    }
                }
                i += 4, pos += n;
            } else {
                const size_t bytes = window >= 0 ? 2 : 3;
                if (left < bytes) {
                    return 0;
                }
                const int family = op >> 5;
                const int n = IvModelRunLength(op & 31, h);
                const long long anchor = window >= 0 ? pos + IvModelWindow(window, p[i + 1])
                                                     : pos + (p[i + 1] + 256 * p[i + 2]) + bias;
                auto from = [&](int c, int r) {
                    int dx, dy;
                    if (family & 4) {
                        dx = r, dy = c;
                        if (family & 2) dx = -dx;
                        if (family & 1) dy = -dy;
                    } else {
                        dx = c, dy = r;
                        if (family & 1) dx = -dx;
                        if (family & 2) dy = -dy;
                    }
                    return anchor + dy * kIvWidth + dx;
                };
                if (!writable(n)) {
                    return 0;
                }
                for (int c = 0; c < n; c++) {
                    for (int r = 0; r < h; r++) {
                        if (!In(from(c, r))) {
                            return 0;
                        }
                    }
                }
                for (int g = 0; g < n; g += 4) {
                    const int cols = std::min(4, n - g);
                    uint8_t block[4][4];
                    for (int c = 0; c < cols; c++) {
                        for (int r = 0; r < h; r++) {
                            block[c][r] = source[from(g + c, r)];
                        }
                    }
                    for (int c = 0; c < cols; c++) {
                        for (int r = 0; r < h; r++) {
                            output[pos + r * kIvWidth + g + c] = block[c][r];
                        }
                    }
                }
                i += bytes, pos += n;
            }
        }
    }
}

void IvModelBlit(const uint8_t *picture, std::vector<uint16_t> &screen, int width, int height, const uint32_t *pairs,
                 int layout)
{
    int top, rows, step, left;
    switch (layout) {
    case 0: top = 150, rows = 300, step = 1, left = 80; break;
    case 1: top = 50, rows = 300, step = 1, left = 0; break;
    case 5: top = 90, rows = 300, step = 1, left = 0; break;
    case 2: top = 50, rows = 300, step = 2, left = 0; break;
    case 4: top = 25, rows = 150, step = 2, left = 0; break;
    default: return;
    }
    std::fill(screen.begin(), screen.end(), uint16_t(0));
    const int columns = step == 1 ? 640 : 320;
    for (int y = 0; y < rows; y++) {
        const int picture_row = layout == 4 ? 2 * y : y;
        for (int x = 0; x < columns; x++) {
            const uint8_t index = picture[picture_row * kIvWidth + x * step];
            screen[size_t((top + y) * width + left + x)] = uint16_t(pairs[index] & 0xFFFF);
        }
    }
    (void)height;
}

} // namespace kalder_test
