// MENJ: the HUD over the 3D view, the icon pack, and the queue through which the game tells the HUD
// what happened (an item picked up, an exit or object ahead, a hand slot used, a dialogue to show).
#pragma once
#include <cstdint>

#include "core/que.h"

extern int32_t MENJ_SkipPresent; // set by the save screens: the next game frame does not present
extern int32_t MENJ_HudOn;       // 1: the HUD is drawn over the 3D view
// Four words the inventory's reset sets (0x10200, then three times 0x20100); nothing reads them yet.
extern int32_t MENJ_ResetWords[4];

// The events of MENJ_Queue; a is the dialogue entry, a posted name or a hand slot.
enum : uint8_t {
    MENJ_DIALOGUE = 0x40,   // a: dialogue entry number
    MENJ_PICKUP = 0x41,     // 'A', a: posted name of the item
    MENJ_EXIT_INFO = 0x42,  // 'B', a: posted name of the exit's or the object's icon
    MENJ_INFO_OFF = 0x43,   // 'C'
    MENJ_SLOT_USED = 0x44,  // 'D', a: hand slot 0..2
    MENJ_SLOT_DONE = 0x45,  // 'E'
};

extern MGM_Queue *MENJ_Queue; // 50 events, made by MENJ_Init

// A picture of an icon set: set and sprite, -1 and -1 for none.
struct MENJ_Icon {
    int32_t set;
    int32_t sprite;
};
// The icon of the table named so, (-1, -1) when there is none; start-up binds the HUD's icons with it.
MENJ_Icon MENJ_FindIcon(const char *name);

// A hand slot: the icon it shows (-1, -1 when empty) and its glow 0..5.
struct MENJ_HandSlot {
    int32_t set;
    int32_t sprite;
    int32_t glow;
};
extern MENJ_HandSlot MENJ_Hands[3];

// The icons the HUD draws, found by name at start-up. The controller's icons are indexed by
// MENJ_JOY_*; "infosne" is looked up twice and the second pair is never drawn.
enum : int32_t {
    MENJ_JOY_UP,
    MENJ_JOY_DN,
    MENJ_JOY_LF,
    MENJ_JOY_RT,
    MENJ_JOY_K1,
    MENJ_JOY_K2,
    MENJ_JOY_K3,
    MENJ_JOY_SEL,
    MENJ_JOY_SWI,
    MENJ_JOY_BT0,
    MENJ_JOY_BT1,
    MENJ_JOY_COUNT,
};
struct MENJ_NamedIcons {
    MENJ_Icon nothing;
    MENJ_Icon infosne;
    MENJ_Icon infosne2;
    MENJ_Icon infosde;
    MENJ_Icon infosta;
    MENJ_Icon block;
    MENJ_Icon mcombat;
    MENJ_Icon replay;
    MENJ_Icon record;
    MENJ_Icon joy[MENJ_JOY_COUNT];
};
extern MENJ_NamedIcons MENJ_Icons;

// The information display: the icon shown, a spell on its way into a hand slot, which of the exit
// and pickup informations runs, and their blink and fades.
struct MENJ_InfoState {
    MENJ_Icon icon;       // shown at the bottom; -1: none
    MENJ_Icon pending;    // goes into pending_slot at the pickup's first step
    int32_t pending_slot; // -1: none
    uint8_t exit_info;
    uint8_t pickup_info;
    int32_t visited;      // the exit leads to a level visited before
    int32_t blink_counter;
    int32_t blink_period;
    int32_t pickup_step;
    int32_t info_fade;
    int32_t arrival_fade; // 0: no spell arriving
};
extern MENJ_InfoState MENJ_Info;

extern int32_t MENJ_ActiveSlot;    // hand slot being used, -1: none
extern int32_t MENJ_GlowDirection; // +1 or -1

// The replay indicator's blink, and the frame of the "nothing" ring.
struct MENJ_Blink {
    int32_t counter;
    int32_t period;
    uint8_t phase;
};
extern MENJ_Blink MENJ_Indicator;
extern int32_t MENJ_AnimFrame; // 0..15

// Posted names live in a ring of 50 entries of 16 bytes, so that a name stays readable until the
// dispatcher takes its event, whatever happens to the caller's text meanwhile.
constexpr int32_t MENJ_NAME_RING = 50;
constexpr int32_t MENJ_NAME_BYTES = 16;

// Start-up (SYS_Init, after the fonts): the control words, the queue, the icon pack and sets, the
// named icons, the gauges' icons, the save slots and the language file.
void MENJ_Init();
// Shutdown (SYS_Shutdown): the icon sets, the pack table and the queue.
void MENJ_Shutdown();
void MENJ_ClearHands();
// The information, the active slot, the blinks and the ring's frame at their start values; start-up.
void MENJ_ResetDisplay();
// The game's frame handler, once a frame after the tick: handles the queued events, lays the screen
// out and, when hud is non-zero (MENJ_HudOn), draws the HUD.
void MENJ_Update(int32_t hud);
// Handles every queued event; an unknown code ends the program.
void MENJ_Dispatcher();
// Ends the information display at once and makes (set, sprite) the pending icon; the spells panel
// calls it when it puts a spell into hand slot k.
void MENJ_ClearSlotInfo(int32_t k, int32_t set, int32_t sprite);
// 1 while a spell is arriving in hand slot k.
int32_t MENJ_IsSlotInfoShown(int32_t k);
// Hands the item of quick slot k to the inventory's owner: its level and its icon's value go into
// the owner's spell slot for hand slot k.
void MENJ_UpdateSlot(int32_t k);

// Posts an event whose a is a name: the name (cut at 15 characters) is copied into the ring and a
// is the entry's index. A full queue drops it, as any post.
void MENJ_PostName(int32_t code, const char *name);
// The name a posted event's a stands for ("" for a word that names no entry).
const char *MENJ_PostedName(intptr_t a);
