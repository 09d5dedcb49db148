// What MENJ and the title hand to their neighbours, recorded in the interface tests: the icons and
// texts they draw (the symbol lists' too), the sounds they ask for, the gauges MENJ passes, the
// dialogue and visited-level answers it gets (scripted), and the control devices the dialog window
// sets. The test program's link wraps those routines; each wrapper records, then calls the real
// routine unless the answer is scripted.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "engine3d/gfx_sprite.h"

namespace hud_recorder {

enum class Kind { Draw, Dark, Plain, PlainDark, Faded, Text, Shaded, String, Colour };

struct Drawn {
    Kind kind;
    int32_t set, sprite, frame, x, y, fade; // fade: the faded routine's; text: the font; shaded and colour: frame the dim
                                            // or fade; string: the style
    std::string text;                       // the printed text
    bool operator==(const Drawn &) const = default;
};

struct Gauges {
    float life, mana, oxygen, balance;
    int32_t x, y;
};

// A call of the gauge blitter: the record as it was at the call, the levels, the kind and the options.
struct GaugeSprite {
    int32_t x, y;
    const SPR_Entry *base, *fill1, *fill2, *fill3;
    int32_t level1, level2, level3, mode;
    uint32_t options;
    bool operator==(const GaugeSprite &) const = default;
};

std::vector<Drawn> &Drawings();
std::vector<GaugeSprite> &GaugeSprites();
std::vector<Gauges> &GaugeCalls();
// The sound effects asked for: their sound numbers and flags, in order.
std::vector<int32_t> &Sounds();
std::vector<int32_t> &SoundFlags();
// The dialogue entries asked for, the windows run and the visited names asked for.
std::vector<int32_t> &DialogueEntries();
int32_t &WindowsRun();
std::vector<std::string> &VisitedAsked();
// The control devices set, each with the dialog state at the moment it was set: how a test sees
// what the dialog window's set-up, which runs between two presents, has done so far.
struct DeviceSet {
    int32_t device, dialog_state;
    bool operator==(const DeviceSet &) const = default;
};
std::vector<DeviceSet> &DeviceSets();
// The scripted answers: DLG_LoadEntry's and PRJ_FindVisited's (-1: the real routine answers).
int32_t &DialogueAnswer();
int32_t &VisitedAnswer();

// Forgets every record and the scripted answers.
void Clear();

} // namespace hud_recorder
