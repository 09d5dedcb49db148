// The text and sprite-set pictures of the goldens and of kdev.
#include "tests/support/text_pictures.h"

#include <algorithm>
#include <cstdio>
#include <functional>

#include "core/opt.h"
#include "engine3d/gfx_sprite.h"
#include "interface/spr.h"
#include "interface/txt.h"
#include "tests/support/font_writer.h"
#include "tests/support/screen_target.h"
#include "tests/support/sprite_frames.h"
#include "tests/support/sprite_set_writer.h"
#include "tests/support/testcard.h"

namespace kalder_test {

DemoFonts::DemoFonts() : drives_(std::make_unique<TempDrives>("C"))
{
    WriteDemoSpriteFiles(drives_->Host('C'));
    LoadStartUpSprites();
}

void LoadStartUpSprites()
{
    TXT_ClearAll();
    TXT_LoadFont("data\\font\\hi640.spr", 0, 0);
    TXT_LoadFont("data\\font\\hi480.spr", 1, 0);
    TXT_LoadFont("data\\font\\hi320.spr", 2, 0);
    TXT_LoadFont("data\\font\\hi320.spr", 3, 0);
    SPR_LoadSet("data\\objet\\sour.alp", 10);
}

DemoFonts::~DemoFonts()
{
    TXT_FreeAll();
    TXT_ClearAll();
}

namespace {

Picture16 capture(const ScreenTarget &target, bool rgb555)
{
    return {target.width(), target.height(), rgb555, target.Frame()};
}

std::string codes(int first, int last)
{
    std::string s;
    for (int c = first; c <= last; c++) {
        s.push_back(char(c));
    }
    return s;
}

} // namespace

Picture16 TextFontsPicture(int width, int height, bool rgb555)
{
    ScreenTarget target(width, height, rgb555);
    DrawTestCard(target.pixels(), width, height, rgb555);
    // Positions in 640 x 480 terms, scaled to the screen.
    const auto sx = [&](int x) { return int32_t(x * width / 640); };
    const auto sy = [&](int y) { return int32_t(y * height / 480); };
    const std::string printable = codes(0x21, 0x7E);
    for (int32_t font = 0; font < 4; font++) {
        const int y = 40 + font * 50;
        TXT_Print(sx(8), sy(y), font, "%d %s", font, printable.substr(0, 47).c_str());
        TXT_Print(sx(8), sy(y + 20), font, "%s %s", printable.substr(47).c_str(), codes(0xC0, 0xCF).c_str());
    }
    TXT_PrintCentred(sx(320), sy(270), 0, "Centred on %d: \xC9t\xE9 \xC0 l'\xEEle", sx(320));
    TXT_PrintColour(sx(16), sy(330), 0, 2, "Translucent text (fade 2) %s", "over the card");
    TXT_PrintShaded(sx(16), sy(380), 1, 1, "Shaded text (dim 1): %s", "THE QUICK BROWN FOX 0123456789");
    TXT_PrintShaded(sx(16), sy(420), 0, 0, "Shaded text (dim 0) %d%%", 100);
    return capture(target, rgb555);
}

Picture16 TextScaledPicture()
{
    ScreenTarget target(640, 480);
    DrawTestCard(target.pixels(), 640, 480, false);
    TXT_PrintScaled(40, 60, 0,
                    "A paragraph on the virtual screen: every line breaks after the space that passes the "
                    "right margin, and each new line gets its own darkened band, as the long texts of the game do: "
                    "%d lines in all.",
                    4);
    TXT_PrintScaled(40, 250, 1, "Font 1 has no band: %s", "it is printed as it stands.");
    return capture(target, false);
}

Picture16 HelpPagePicture()
{
    ScreenTarget target(640, 480);
    target.Fill(0);
    OPT_ControlHelp = 1;
    OPT_DrawControlHelp();
    return capture(target, false);
}

Picture16 SpriteSheetPicture(int32_t slot, bool two_byte, std::string *listing)
{
    SPR_Entry *entries = SPR_GetSprite(slot, 0);
    return DirectorySheetPicture(entries, two_byte, listing, nullptr);
}

Picture16 DirectorySheetPicture(SPR_Entry *entries, bool two_byte, std::string *listing,
                                const std::function<std::string(int32_t)> &name)
{
    struct Cell {
        int32_t index, x, y;
        SPR_Entry *entry;
        std::string label;
    };
    // Named cells have a row of our glyphs under the sprite.
    const int32_t label_rows = name ? 12 : 0;
    std::vector<Cell> cells;
    int32_t x = 0, y = 0, row_height = 0, width = 1, in_row = 0;
    for (int32_t i = 0; entries != nullptr && i < 256; i++) {
        SPR_Entry *e = &entries[i];
        if (e->pixels == nullptr) {
            continue;
        }
        if (in_row == 16) {
            x = 0, y += row_height, row_height = 0, in_row = 0;
        }
        const std::string label = name ? name(i) : std::string();
        cells.push_back({i, x, y, e, label});
        x += std::max(std::max(e->width, 0), int32_t(label.size()) * 8) + 4;
        width = std::max(width, x);
        row_height = std::max(row_height, std::max(e->height, 0) + 4 + label_rows);
        in_row++;
        char line[128];
        std::snprintf(line, sizeof line, "%d%s%s %dx%d hot %d,%d\n", i, label.empty() ? "" : " ", label.c_str(), e->width,
                      e->height, e->hot_x, e->hot_y);
        if (listing != nullptr) {
            *listing += line;
        }
    }
    const int32_t height = std::max(y + row_height, 1);
    ScreenTarget target(width, height);
    for (int32_t py = 0; py < height; py++) {
        for (int32_t px = 0; px < width; px++) {
            target.at(px, py) = ((px / 4 + py / 4) & 1) ? 0x8410 : 0x6B4D;
        }
    }
    for (const Cell &c : cells) {
        const int32_t hx = c.x + 2 + c.entry->hot_x, hy = c.y + 2 + c.entry->hot_y;
        const GFX_BlitRecord record{hx, hy, two_byte ? GFX_BLIT_ALPHA : 0u, c.entry};
        GFX_DrawSprite(&record, 0, 0, 0, 0);
        if (hx >= 0 && hx < width && hy >= 0 && hy < height) {
            target.at(hx, hy) = 0xF800;
        }
        if (!c.label.empty()) {
            DrawGlyphText(c.x + 2, c.y + 2 + std::max(c.entry->height, 0), c.label);
        }
    }
    return capture(target, false);
}

} // namespace kalder_test
