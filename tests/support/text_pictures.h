// The text and sprite-set pictures of the goldens and of kdev: the demo fonts on a scratch drive, the
// font sheets, the wrapped paragraph and a contact sheet of a loaded sprite set.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine3d/gfx_sprite.h"
#include "tests/support/temp_drives.h"

namespace kalder_test {

// A drive C holding the demo fonts and cursor set where start-up finds them
// (data\font\hi640.spr, hi480.spr, hi320.spr, data\objet\sour.alp), with fonts 0..3 loaded from it as
// start-up loads them. The sprite slots are cleared and freed when it goes.
// Fonts 0..3 and the cursor set, loaded from the current drive with start-up's own calls.
void LoadStartUpSprites();

class DemoFonts {
public:
    DemoFonts();
    ~DemoFonts();
    DemoFonts(const DemoFonts &) = delete;
    DemoFonts &operator=(const DemoFonts &) = delete;
    TempDrives &drives() { return *drives_; }

private:
    std::unique_ptr<TempDrives> drives_;
};

struct Picture16 {
    int width = 0, height = 0;
    bool rgb555 = false;
    std::vector<uint16_t> pixels;
};

// Over the test card: one line per font 0..3 with the printable codes and accented ones, a centred
// line, a translucent (fade 2) and a shaded line. Fonts must be loaded.
Picture16 TextFontsPicture(int width, int height, bool rgb555);
// A paragraph printed on the virtual 640 x 400 screen, wrapping three times, over the test card.
Picture16 TextScaledPicture();
// The key help page of the option keys in the loaded fonts, over black.
Picture16 HelpPagePicture();

// The non-empty sprites of a loaded slot, 16 cells a row, each cell the sprite plus 4 pixels over a
// grey checkerboard, drawn in the alpha mode for 2-byte sets, its hot spot marked red. `listing` gets
// one line a sprite: "<index> <width>x<height> hot <x>,<y>".
Picture16 SpriteSheetPicture(int32_t slot, bool two_byte, std::string *listing);
// The same sheet of a 256-entry directory (an icon set's, say). With `name`, each cell is labelled
// under its sprite with name(index) in our glyphs, and each listing line carries it after the index.
Picture16 DirectorySheetPicture(SPR_Entry *entries, bool two_byte, std::string *listing,
                                const std::function<std::string(int32_t)> &name);

} // namespace kalder_test
