// The demo fonts, resampled from the debug face's rows and given a shade and accent marks.
#include "tests/support/font_writer.h"

#include <algorithm>
#include <filesystem>

#include "engine3d/draw2d.h"
#include "tests/support/pack_writer.h"

namespace kalder_test {

namespace {

// Where a size puts the face: rows above the letters (for the marks), rows the 9 body rows and 2
// descender rows of the face become, columns its 8 columns become, strokes doubled, gap columns.
struct Layout {
    int top, body, descent, columns;
    bool bold;
    int gap, height;
};

Layout layout_of(FontSize size)
{
    switch (size) {
    case FontSize::Large:
        return {4, 9, 2, 8, true, 1, 16};
    case FontSize::Medium:
        return {1, 9, 2, 8, false, 1, 12};
    case FontSize::Small:
        break;
    }
    return {1, 6, 1, 5, false, 0, 8};
}

// Bit (x, y) of the face's art for code c: the body rows 0..8 and the descender rows 9..10.
bool face(int c, int x, int y) { return (Draw_Font[c * 16 + 2 + y] >> (7 - x)) & 1; }

// Any lit face pixel in [x0, x1) x [y0, y1).
bool any(int c, int x0, int x1, int y0, int y1)
{
    for (int y = y0; y < y1; y++) {
        for (int x = x0; x < x1; x++) {
            if (face(c, x, y)) {
                return true;
            }
        }
    }
    return false;
}

// The base letter and mark (0 grave, 1 acute, 2 circumflex, 3 diaeresis) of an accented code, or 0.
int accented(int code, int *mark)
{
    static const struct {
        int first, last;
        char letter;
    } runs[] = {{0xC0, 0xC5, 'A'}, {0xC7, 0xC7, 'C'}, {0xC8, 0xCB, 'E'}, {0xCC, 0xCF, 'I'}, {0xD1, 0xD1, 'N'},
                {0xD2, 0xD6, 'O'}, {0xD9, 0xDC, 'U'}, {0xDD, 0xDD, 'Y'}};
    const int upper = code >= 0xE0 ? code - 0x20 : code;
    for (const auto &r : runs) {
        if (upper >= r.first && upper <= r.last) {
            *mark = (upper - r.first) % 4;
            return code >= 0xE0 ? r.letter - 'A' + 'a' : r.letter;
        }
    }
    return 0;
}

// The face pixels of a glyph in the size's cell: resampled rows and columns, each target pixel lit
// when any face pixel of its source range is.
std::vector<std::vector<bool>> face_bits(int c, const Layout &l)
{
    const int width = l.columns + (l.bold ? 1 : 0);
    std::vector<std::vector<bool>> bits(size_t(l.height), std::vector<bool>(size_t(width) + 1, false));
    auto rows = [&](int target, int first, int count, int source_first, int source_count) {
        for (int t = 0; t < count; t++) {
            const int y0 = source_first + t * source_count / count;
            const int y1 = std::max(y0 + 1, source_first + (t + 1) * source_count / count);
            for (int x = 0; x < l.columns; x++) {
                const int x0 = x * 8 / l.columns, x1 = std::max(x0 + 1, (x + 1) * 8 / l.columns);
                if (any(c, x0, x1, y0, y1)) {
                    bits[size_t(target + first + t)][size_t(x)] = true;
                    if (l.bold) {
                        bits[size_t(target + first + t)][size_t(x) + 1] = true;
                    }
                }
            }
        }
    };
    rows(l.top, 0, l.body, 0, 9);
    rows(l.top + l.body, 0, l.descent, 9, 2);
    return bits;
}

void add_mark(std::vector<std::vector<bool>> &bits, const Layout &l, int mark, int left, int right)
{
    const int cx = (left + right) / 2;
    auto lit = [&](int x, int y) {
        if (y >= 0 && y < l.top && x >= 0 && size_t(x) < bits[0].size()) {
            bits[size_t(y)][size_t(x)] = true;
        }
    };
    const int low = l.top - 1, high = l.top >= 3 ? l.top - 2 : l.top - 1;
    switch (mark) {
    case 0:
        lit(cx - 1, high), lit(cx, low);
        break;
    case 1:
        lit(cx + 1, high), lit(cx, low);
        break;
    case 2:
        lit(cx, high), lit(cx - 1, low), lit(cx + 1, low);
        break;
    default:
        lit(cx - 1, low), lit(cx + 1, low);
        break;
    }
}

} // namespace

SpriteSetWriter FontSet(FontSize size)
{
    const Layout l = layout_of(size);
    SpriteSetWriter w;
    w.palette[kFontFace] = 0x7FFF;
    w.palette[kFontShade] = 0x2108;
    for (int i = 3; i < 256; i++) {
        w.palette[size_t(i)] = uint16_t((i * 0x1F3) & 0x7FFF);
    }
    w.trailer = size == FontSize::Large ? 640 : size == FontSize::Medium ? 480 : 320;
    for (int code = 0x21; code < 0x100; code++) {
        int mark = -1, base = code;
        if (code > 0x7E) {
            base = accented(code, &mark);
            if (base == 0) {
                continue;
            }
        }
        std::vector<std::vector<bool>> bits = face_bits(base, l);
        int left = int(bits[0].size()), right = -1;
        for (const auto &row : bits) {
            for (int x = 0; x < int(row.size()); x++) {
                if (row[size_t(x)]) {
                    left = std::min(left, x);
                    right = std::max(right, x);
                }
            }
        }
        if (right < 0) {
            continue;
        }
        if (mark >= 0) {
            add_mark(bits, l, mark, left, right);
        }
        // The glyph starts at its first lit column; the shade takes one column more.
        const int width = right - left + 2 + l.gap;
        std::vector<uint8_t> pixels(size_t(width) * size_t(l.height), 0);
        for (int y = 0; y < l.height; y++) {
            for (int x = 0; x < width; x++) {
                const int sx = x + left;
                const auto at = [&](int ax, int ay) {
                    return ay >= 0 && ay < l.height && ax >= 0 && size_t(ax) < bits[0].size() &&
                           bits[size_t(ay)][size_t(ax)];
                };
                uint8_t &p = pixels[size_t(y) * size_t(width) + size_t(x)];
                p = at(sx, y) ? kFontFace : at(sx - 1, y - 1) ? kFontShade : 0;
            }
        }
        w.Put(code, width, l.height, 0, l.top + l.body, std::move(pixels));
    }
    return w;
}

std::vector<uint8_t> FontImage(FontSize size) { return FontSet(size).Image(); }

bool WriteDemoSpriteFiles(const std::string &root)
{
    namespace fs = std::filesystem;
    const fs::path font = fs::path(root) / "DATA" / "FONT", objet = fs::path(root) / "DATA" / "OBJET";
    fs::create_directories(font);
    fs::create_directories(objet);
    return WriteHostFile((font / "HI640.SPR").string(), FontImage(FontSize::Large)) &&
           WriteHostFile((font / "HI480.SPR").string(), FontImage(FontSize::Medium)) &&
           WriteHostFile((font / "HI320.SPR").string(), FontImage(FontSize::Small)) &&
           WriteHostFile((objet / "SOUR.ALP").string(), CursorSet().Image());
}

} // namespace kalder_test
