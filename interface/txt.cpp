// Sprite fonts: the font slots, measuring, and the printers that draw text into the frame buffer.
#include "interface/txt.h"

#include <cstdarg>
#include <cstdio>
#include <limits>

#include "core/dsp.h"
#include "core/scr.h"
#include "engine3d/gfx_screen.h"
#include "engine3d/gfx_sprite.h"
#include "interface/spr.h"

TXT_FontSlot TXT_Font[TXT_FONTS];

namespace {

int32_t narrow(int64_t v)
{
    constexpr int64_t lo = std::numeric_limits<int32_t>::min(), hi = std::numeric_limits<int32_t>::max();
    return int32_t(v < lo ? lo : v > hi ? hi : v);
}

bool font_ready(int32_t font) { return font >= 0 && font < TXT_FONTS && TXT_Font[font].loaded != 0; }

// The font a printer with the small-screen rule draws: two numbers up below 640 pixels, where fonts 2
// and 3 hold the small face.
int32_t small_screen(int32_t font) { return SCR_Width < 640 && font < TXT_FONTS ? font + 2 : font; }

// The darkened band behind a line of the two fonts that have one, from the glyphs' top.
void backdrop(int32_t font, int32_t y)
{
    if (font == 0) {
        GFX_DarkenRows(narrow(int64_t(y) - 13));
    } else if (font == 2) {
        GFX_DarkenRows(narrow(int64_t(y) - 7));
    }
}

void advance_pen(int32_t *x, int64_t by) { *x = narrow(*x + by); }

// The glyph's record, or null when nothing is to be drawn for it (space, line feed, carriage return,
// an empty slot or an entry without pixels); the pen moves either way.
SPR_Entry *glyph(uint8_t c, int32_t font)
{
    if (c == ' ' || c == '\n' || c == '\r') {
        return nullptr;
    }
    SPR_Entry *entry = SPR_GetSprite(TXT_Font[font].set, c);
    return entry == nullptr || entry->pixels == nullptr ? nullptr : entry;
}

enum class Glyphs { Plain, Colour, Dim };

// The three glyph routines: the glyph at the pen, plainly, translucent (byte = fade) or dimmed
// (byte = dim), then the pen moves by the code's advance.
void draw_glyph(uint8_t c, int32_t *x, int32_t *y, int32_t font, Glyphs kind, uint8_t byte)
{
    if (font < 0 || font >= TXT_FONTS) {
        return;
    }
    if (SPR_Entry *entry = glyph(c, font)) {
        const GFX_BlitRecord record{*x, *y, 0, entry};
        if (kind == Glyphs::Colour) {
            GFX_DrawSpriteFaded(&record, byte, 0, 0);
        } else {
            GFX_DrawSprite(&record, 0, 0, 0, kind == Glyphs::Dim ? byte : 0);
        }
    }
    advance_pen(x, TXT_Font[font].advance[c]);
}

// Draws the text at the pen with the glyph routine, the spacing after every character.
void draw_text(const char *text, int32_t x, int32_t y, int32_t font, Glyphs kind, uint8_t byte)
{
    if (!font_ready(font)) {
        return;
    }
    for (const char *p = text; *p != '\0'; p++) {
        draw_glyph(uint8_t(*p), &x, &y, font, kind, byte);
        advance_pen(&x, TXT_Font[font].spacing);
    }
}

struct Formatted {
    char text[TXT_BUFFER_BYTES];
};

Formatted format_text(const char *format, va_list args)
{
    Formatted f;
    std::vsnprintf(f.text, sizeof f.text, format, args);
    return f;
}

void print_screen(int32_t x, int32_t y, int32_t font, Glyphs kind, uint8_t byte, bool darken, const char *text)
{
    DSP_BeginDraw();
    font = small_screen(font);
    if (darken) {
        backdrop(font, y);
    }
    draw_text(text, x, y, font, kind, byte);
    DSP_EndDraw();
}

void print_scaled(int32_t x, int32_t y, int32_t font, const char *text)
{
    DSP_BeginDraw();
    y = narrow(int64_t(y) * int64_t(SCR_Height) / 400);
    x = narrow(int64_t(x) * int64_t(SCR_Width) / 640);
    font = small_screen(font);
    backdrop(font, y);
    if (font_ready(font)) {
        const int32_t first_x = x;
        const int64_t line_step = int64_t(SCR_Height) * 16 / 400;
        for (const char *p = text; *p != '\0'; p++) {
            draw_glyph(uint8_t(*p), &x, &y, font, Glyphs::Plain, 0);
            advance_pen(&x, TXT_Font[font].spacing);
            if (*p == ' ' && int64_t(x) > int64_t(SCR_Width) - 40) {
                x = first_x;
                y = narrow(y + line_step);
                backdrop(font, y);
            }
        }
    }
    DSP_EndDraw();
}

int32_t measure(int32_t font, const char *text)
{
    if (font < 0 || font >= TXT_FONTS) {
        return 0;
    }
    int64_t width = 0;
    for (const char *p = text; *p != '\0'; p++) {
        width += int64_t(TXT_Font[font].advance[uint8_t(*p)]) + TXT_Font[font].spacing;
    }
    return narrow(width);
}

} // namespace

void TXT_DrawChar(uint8_t c, int32_t *x, int32_t *y, int32_t font) { draw_glyph(c, x, y, font, Glyphs::Plain, 0); }

void TXT_DrawCharColour(uint8_t c, int32_t *x, int32_t *y, int32_t font, uint8_t fade)
{
    draw_glyph(c, x, y, font, Glyphs::Colour, fade);
}

void TXT_DrawCharDim(uint8_t c, int32_t *x, int32_t *y, int32_t font, uint8_t dim)
{
    draw_glyph(c, x, y, font, Glyphs::Dim, dim);
}

void TXT_Print(int32_t x, int32_t y, int32_t font, const char *format, ...)
{
    va_list args;
    va_start(args, format);
    const Formatted f = format_text(format, args);
    va_end(args);
    print_screen(x, y, font, Glyphs::Plain, 0, true, f.text);
}

void TXT_PrintScaled(int32_t x, int32_t y, int32_t font, const char *format, ...)
{
    va_list args;
    va_start(args, format);
    const Formatted f = format_text(format, args);
    va_end(args);
    print_scaled(x, y, font, f.text);
}

void TXT_PrintCentred(int32_t x, int32_t y, int32_t font, const char *format, ...)
{
    va_list args;
    va_start(args, format);
    const Formatted f = format_text(format, args);
    va_end(args);
    DSP_BeginDraw();
    draw_text(f.text, narrow(int64_t(x) - measure(font, f.text) / 2), y, font, Glyphs::Plain, 0);
    DSP_EndDraw();
}

void TXT_PrintColour(int32_t x, int32_t y, int32_t font, uint8_t fade, const char *format, ...)
{
    va_list args;
    va_start(args, format);
    const Formatted f = format_text(format, args);
    va_end(args);
    print_screen(x, y, font, Glyphs::Colour, fade, false, f.text);
}

void TXT_PrintShaded(int32_t x, int32_t y, int32_t font, uint8_t dim, const char *format, ...)
{
    va_list args;
    va_start(args, format);
    const Formatted f = format_text(format, args);
    va_end(args);
    print_screen(x, y, font, Glyphs::Dim, dim, false, f.text);
}

int32_t TXT_MeasureWidth(int32_t font, const char *format, ...)
{
    va_list args;
    va_start(args, format);
    const Formatted f = format_text(format, args);
    va_end(args);
    return measure(font, f.text);
}

void TXT_DrawString(const char *text, int32_t x, int32_t y, int32_t, int32_t style)
{
    // The text is data, not a format: only a doubled '%' has a meaning.
    char plain[TXT_BUFFER_BYTES];
    size_t n = 0;
    for (const char *p = text; *p != '\0' && n + 1 < sizeof plain; p++) {
        plain[n++] = *p;
        if (p[0] == '%' && p[1] == '%') {
            p++;
        }
    }
    plain[n] = '\0';
    const int32_t font = style & ~0x80;
    if (style & 0x80) {
        TXT_PrintScaled(x, y, font, "%s", plain);
    } else {
        TXT_Print(x, y, font, "%s", plain);
    }
}

void TXT_LoadFont(const char *path, int32_t n, int32_t spacing)
{
    if (n < 0 || n >= TXT_FONTS) {
        return;
    }
    TXT_FontSlot &font = TXT_Font[n];
    if (font.loaded != 0) {
        TXT_FreeFont(n);
    }
    font.loaded = 1;
    font.spacing = spacing;
    font.set = n;
    SPR_LoadSet(path, n);
    for (int32_t c = 0; c < 256; c++) {
        const SPR_Entry *entry = SPR_GetSprite(n, c == ' ' ? '0' : c);
        font.advance[c] = int32_t(uint32_t(entry->width) - uint32_t(entry->hot_x));
    }
}

void TXT_FreeFont(int32_t n)
{
    if (n < 0 || n >= TXT_FONTS || TXT_Font[n].loaded == 0) {
        return;
    }
    TXT_Font[n].loaded = 0;
    SPR_FreeSet(TXT_Font[n].set);
}

void TXT_ClearFonts()
{
    for (TXT_FontSlot &font : TXT_Font) {
        font.loaded = 0;
    }
}

void TXT_ClearAll()
{
    SPR_ClearAll();
    TXT_ClearFonts();
}

void TXT_FreeAll() { SPR_FreeAll(); }

void TXT_SetSpacing(int32_t n, int32_t spacing)
{
    if (n >= 0 && n < TXT_FONTS) {
        TXT_Font[n].spacing = spacing;
    }
}
