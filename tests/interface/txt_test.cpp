// Fonts and the printers: advances and measuring, the small-screen rule, the darkened bands, word
// wrap, the literal strings, and the pictures of the goldens.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "core/dsk.h"
#include "core/dsp.h"
#include "core/scr.h"
#include "engine3d/gfx_screen.h"
#include "engine3d/gfx_sprite.h"
#include "interface/spr.h"
#include "interface/txt.h"
#include "plat/test.h"
#include "tests/support/core_state.h"
#include "tests/support/font_writer.h"
#include "tests/support/golden.h"
#include "tests/support/install_writer.h"
#include "tests/support/screen_target.h"
#include "tests/support/text_pictures.h"

using kalder_test::ScreenTarget;

namespace {

struct TxtTest : ::testing::Test {
    void SetUp() override
    {
        kalder_test::ResetCore();
        test::SetExitHook(test::ThrowOnExit);
        fonts = std::make_unique<kalder_test::DemoFonts>();
    }
    void TearDown() override
    {
        fonts.reset();
        kalder_test::ResetCore();
    }

    // The frame a drawing makes on a fresh patterned target of the size.
    static std::vector<uint16_t> frame_of(int width, int height, const std::function<void()> &draw)
    {
        ScreenTarget target(width, height);
        draw();
        EXPECT_TRUE(target.GuardIntact());
        return target.Frame();
    }

    // Glyph c of font f with its hot spot at (x, y), plainly, as the printers must draw it.
    static void glyph(int32_t font, uint8_t c, int32_t x, int32_t y, uint8_t dim = 0)
    {
        const GFX_BlitRecord record{x, y, 0, SPR_GetSprite(font, c)};
        GFX_DrawSprite(&record, 0, 0, 0, dim);
    }

    std::unique_ptr<kalder_test::DemoFonts> fonts;
};

TEST_F(TxtTest, AdvancesAndMeasuring)
{
    for (int32_t font = 0; font < 4; font++) {
        for (int c = 0; c < 256; c++) {
            const SPR_Entry *e = SPR_GetSprite(font, c == ' ' ? '0' : c);
            EXPECT_EQ(TXT_Font[font].advance[c], e->width - e->hot_x) << font << " " << c;
        }
        EXPECT_GT(TXT_Font[font].advance[' '], 0);
        EXPECT_EQ(TXT_Font[font].set, font);
    }
    TXT_SetSpacing(1, 1);
    const int32_t *advance = TXT_Font[1].advance;
    EXPECT_EQ(TXT_MeasureWidth(1, "AB"), advance['A'] + advance['B'] + 2);
    EXPECT_EQ(TXT_MeasureWidth(1, "%s%d", "A", 7), advance['A'] + advance['7'] + 2);
    EXPECT_EQ(TXT_MeasureWidth(10, "AB"), 0);
    EXPECT_EQ(TXT_MeasureWidth(-1, "AB"), 0);
    // Measuring reads the advances whether the font is loaded or not.
    TXT_Font[1].loaded = 0;
    EXPECT_EQ(TXT_MeasureWidth(1, "AB"), advance['A'] + advance['B'] + 2);
    TXT_Font[1].loaded = 1;
}

TEST_F(TxtTest, LoadingAFontIntoALoadedSlotFreesItFirst)
{
    const size_t blocks = test::HeapBlocksInUse();
    TXT_LoadFont("data\\font\\hi480.spr", 2, 3);
    EXPECT_EQ(test::HeapBlocksInUse(), blocks);
    EXPECT_EQ(TXT_Font[2].spacing, 3);
    EXPECT_EQ(TXT_Font[2].advance['W'], SPR_GetSprite(2, 'W')->width - SPR_GetSprite(2, 'W')->hot_x);
    TXT_LoadFont("no such file", 10, 0);
    TXT_LoadFont("no such file", -1, 0);
    TXT_FreeFont(2);
    EXPECT_EQ(TXT_Font[2].loaded, 0);
    EXPECT_EQ(SPR_Sets[2].entries, nullptr);
    TXT_FreeAll();
    EXPECT_EQ(TXT_Font[0].loaded, 1); // the flags stay
    EXPECT_EQ(SPR_Sets[0].entries, nullptr);
}

TEST_F(TxtTest, GlyphCodesAboveTheAsciiRangeAreUnsigned)
{
    ASSERT_NE(SPR_GetSprite(1, 0xC9)->pixels, nullptr);
    EXPECT_EQ(frame_of(640, 60, [] { TXT_Print(20, 30, 1, "\xC9"); }),
              frame_of(640, 60, [] { glyph(1, 0xC9, 20, 30); }));
}

TEST_F(TxtTest, PrintersOnThreeScreenSizes)
{
    for (const auto &[width, height] : {std::pair{640, 480}, {400, 300}, {320, 200}}) {
        SCOPED_TRACE(std::to_string(width) + "x" + std::to_string(height));
        const bool narrow = width < 640;
        const int32_t big = narrow ? 2 : 0, band = narrow ? 7 : 13;
        const int32_t pen = 30 + TXT_Font[big].advance['H'];
        // TXT_Print: the small-screen rule and the band from y - 13 (font 0) or y - 7 (font 2).
        EXPECT_EQ(frame_of(width, height, [] { TXT_Print(30, 40, 0, "HI"); }), frame_of(width, height, [&] {
                      GFX_DarkenRows(40 - band);
                      glyph(big, 'H', 30, 40);
                      glyph(big, 'I', pen, 40);
                  }));
        // A line at y = 2: its band is cut at the top of the screen.
        EXPECT_EQ(frame_of(width, height, [] { TXT_Print(30, 2, 0, "H"); }), frame_of(width, height, [&] {
                      GFX_DarkenRows(2 - band);
                      glyph(big, 'H', 30, 2);
                  }));
        // Font 1 has no band; on a narrow screen it is font 3.
        EXPECT_EQ(frame_of(width, height, [] { TXT_Print(30, 40, 1, "H"); }),
                  frame_of(width, height, [&] { glyph(narrow ? 3 : 1, 'H', 30, 40); }));
        // TXT_PrintCentred keeps font 0 and draws no band; the width is halved toward zero.
        const int32_t w = TXT_MeasureWidth(0, "HI");
        EXPECT_EQ(frame_of(width, height, [] { TXT_PrintCentred(100, 40, 0, "HI"); }), frame_of(width, height, [&] {
                      glyph(0, 'H', 100 - w / 2, 40);
                      glyph(0, 'I', 100 - w / 2 + TXT_Font[0].advance['H'], 40);
                  }));
        // An empty slot still gets its band.
        TXT_FreeFont(big);
        EXPECT_EQ(frame_of(width, height, [] { TXT_Print(30, 40, 0, "HI"); }),
                  frame_of(width, height, [&] { GFX_DarkenRows(40 - band); }));
        TXT_LoadFont(big == 0 ? "data\\font\\hi640.spr" : "data\\font\\hi320.spr", big, 0);
        // Fonts 8 and 9 become 10 and 11 on a narrow screen: nothing but no crash.
        const std::vector<uint16_t> blank = frame_of(width, height, [] {});
        EXPECT_EQ(frame_of(width, height, [] { TXT_Print(30, 40, 9, "HI"); }), blank);
    }
}

TEST_F(TxtTest, ColourAndShadedPrinters)
{
    const std::vector<uint16_t> blank = frame_of(300, 40, [] {});
    const std::vector<uint16_t> plain = frame_of(300, 40, [] { TXT_Print(10, 20, 1, "Kalder 97"); });
    const std::vector<uint16_t> opaque = frame_of(300, 40, [] { TXT_PrintColour(10, 20, 1, 1, "Kalder 97"); });
    const std::vector<uint16_t> faded = frame_of(300, 40, [] { TXT_PrintColour(10, 20, 1, 2, "Kalder 97"); });
    const std::vector<uint16_t> shaded = frame_of(300, 40, [] { TXT_PrintShaded(10, 20, 1, 1, "Kalder 97"); });
    int outline = 0, face = 0;
    for (size_t i = 0; i < blank.size(); i++) {
        if (opaque[i] != blank[i]) {
            EXPECT_EQ(opaque[i], plain[i]) << i; // the same glyph pixels ...
        } else if (plain[i] != blank[i]) {
            outline++; // ... without the plain mode's outline
        }
        if (plain[i] == 0xFFDF) {
            face++;
            EXPECT_NE(faded[i], blank[i]);
            EXPECT_NE(faded[i], 0xFFDF);
            EXPECT_EQ(shaded[i], (0xFFDF >> 1) & 0x7BEF);
        }
    }
    EXPECT_GT(outline, 0);
    EXPECT_GT(face, 20);
    EXPECT_EQ(frame_of(300, 40, [] { TXT_PrintShaded(10, 20, 1, 0, "Kalder 97"); }),
              frame_of(300, 40, [] { TXT_Print(10, 20, 1, "Kalder 97"); }));
}

TEST_F(TxtTest, ScaledPrintingPlacesAndWraps)
{
    // Virtual (320, 200) on 640 x 480 is pixel (320, 240).
    EXPECT_EQ(frame_of(640, 480, [] { TXT_PrintScaled(320, 200, 0, "AB"); }),
              frame_of(640, 480, [] { TXT_Print(320, 240, 0, "AB"); }));
    // A space past width - 40 sends the next word 19 rows down, with its own band.
    const int32_t x = 600 - TXT_MeasureWidth(0, "AAA");
    EXPECT_EQ(frame_of(640, 480, [&] { TXT_PrintScaled(x, 100, 0, "AAA BBB CC"); }), frame_of(640, 480, [&] {
                  TXT_Print(x, 120, 0, "AAA ");
                  TXT_Print(x, 139, 0, "BBB ");
                  TXT_Print(x, 158, 0, "CC");
              }));
    // The break comes only when the pen stands strictly past width - 40 after the space.
    const int32_t on_limit = 600 - TXT_MeasureWidth(0, "AAA ");
    EXPECT_EQ(frame_of(640, 480, [&] { TXT_PrintScaled(on_limit, 100, 0, "AAA BBB"); }),
              frame_of(640, 480, [&] { TXT_Print(on_limit, 120, 0, "AAA BBB"); }));
    EXPECT_EQ(frame_of(640, 480, [&] { TXT_PrintScaled(on_limit + 1, 100, 0, "AAA BBB"); }), frame_of(640, 480, [&] {
                  TXT_Print(on_limit + 1, 120, 0, "AAA ");
                  TXT_Print(on_limit + 1, 139, 0, "BBB");
              }));
    // One long word runs past the edge.
    const std::string word(80, 'W');
    EXPECT_EQ(frame_of(640, 480, [&] { TXT_PrintScaled(100, 100, 0, "%s", word.c_str()); }),
              frame_of(640, 480, [&] { TXT_Print(100, 120, 0, "%s", word.c_str()); }));
    // On 320 x 200: (x x 320 / 640, y x 200 / 400), font 2, lines 8 rows apart.
    EXPECT_EQ(frame_of(320, 200, [] { TXT_PrintScaled(-7, 33, 0, "AB"); }),
              frame_of(320, 200, [] { TXT_Print(-3, 16, 0, "AB"); }));
}

TEST_F(TxtTest, DrawStringPrintsItsTextLiterally)
{
    const auto print = [](const char *text) { return frame_of(640, 480, [&] { TXT_Print(32, 40, 1, "%s", text); }); };
    EXPECT_EQ(frame_of(640, 480, [] { TXT_DrawString("AB", 320, 200, 256, 0x80); }),
              frame_of(640, 480, [] { TXT_PrintScaled(320, 200, 0, "AB"); }));
    EXPECT_EQ(frame_of(640, 480, [] { TXT_DrawString("AB", 32, 40, 256, 1); }), print("AB"));
    EXPECT_EQ(frame_of(640, 480, [] { TXT_DrawString("100%% sure", 32, 40, 256, 1); }), print("100% sure"));
    EXPECT_EQ(frame_of(640, 480, [] { TXT_DrawString("%s%n%d", 32, 40, 256, 1); }), print("%s%n%d"));
    EXPECT_EQ(frame_of(640, 480, [] { TXT_DrawString("50%", 32, 40, 256, 1); }), print("50%"));
    // 510 line feeds (no glyph, no advance) then "AB": the B is the 512th character and is cut.
    std::string long_text(510, '\n');
    long_text += "AB";
    long_text += std::string(88, 'C');
    EXPECT_EQ(frame_of(640, 480, [&] { TXT_DrawString(long_text.c_str(), 32, 40, 256, 1); }), print("A"));
    EXPECT_EQ(frame_of(640, 480, [&] { TXT_Print(32, 40, 1, "%s", long_text.c_str()); }), print("A"));
}

TEST_F(TxtTest, GoldenPictures)
{
    const struct {
        const char *name;
        std::function<kalder_test::Picture16()> make;
    } pictures[] = {
        {"text-fonts-640x480", [] { return kalder_test::TextFontsPicture(640, 480, false); }},
        {"text-fonts-320x200", [] { return kalder_test::TextFontsPicture(320, 200, false); }},
        {"text-555", [] { return kalder_test::TextFontsPicture(640, 480, true); }},
        {"text-scaled-640x480", [] { return kalder_test::TextScaledPicture(); }},
        {"sprites-sour", [] { return kalder_test::SpriteSheetPicture(10, true, nullptr); }},
    };
    for (const auto &p : pictures) {
        const kalder_test::Picture16 picture = p.make();
        EXPECT_TRUE(kalder_test::MatchesGolden(p.name, picture.pixels.data(), picture.width, picture.height,
                                               picture.rgb555));
    }
}

// Start-up finds the disc, then loads the fonts from it; the key help page of the option keys then
// shows in the demo installation's fonts.
TEST(TxtStartUp, TheCoresHelpPageInTheDemoFonts)
{
    kalder_test::ResetCore();
    {
        kalder_test::TempDrives drives("CD");
        ASSERT_TRUE(kalder_test::WriteMinimalInstallation(drives));
        ASSERT_TRUE(kalder_test::WriteDemoSpriteFiles(drives.Host('D')));
        DSK_Locate();
        kalder_test::LoadStartUpSprites();
        const kalder_test::Picture16 page = kalder_test::HelpPagePicture();
        EXPECT_TRUE(kalder_test::MatchesGolden("opt-help-640x480", page.pixels.data(), 640, 480, false));
        TXT_FreeAll();
        TXT_ClearAll();
    }
    kalder_test::ResetCore();
}

} // namespace
