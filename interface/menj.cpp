// MENJ: the HUD's start-up and shutdown, its event queue and the handling of its events, and the
// drawing of the hand slots, the informations, the indicators and the controller overlay.
#include "interface/menj.h"

#include <cstring>

#include "core/game_frame.h"
#include "core/pack.h"
#include "core/sys.h"
#include "engine3d/proctex.h"
#include "interface/dlg.h"
#include "interface/hud.h"
#include "interface/ico.h"
#include "interface/lang.h"
#include "interface/menu.h"
#include "interface/txt.h"
#include "world/actor.h"
#include "world/ctrl.h"
#include "world/inv.h"
#include "world/prj.h"
#include "world/replay.h"
#include "world/save.h"
#include "world/visited.h"

int32_t MENJ_SkipPresent;
int32_t MENJ_HudOn = 1;
int32_t MENJ_ResetWords[4];
MGM_Queue *MENJ_Queue;
MENJ_HandSlot MENJ_Hands[3] = {{-1, -1, 0}, {-1, -1, 0}, {-1, -1, 0}};
MENJ_NamedIcons MENJ_Icons;
MENJ_InfoState MENJ_Info = {{-1, -1}, {-1, -1}, -1, 0, 0, 0, 0, 2, 0, 0, 0};
int32_t MENJ_ActiveSlot = -1;
int32_t MENJ_GlowDirection = 1;
MENJ_Blink MENJ_Indicator = {0, 2, 0};
int32_t MENJ_AnimFrame;

namespace {

char name_ring[MENJ_NAME_RING][MENJ_NAME_BYTES];
int32_t name_next;

// The replay's record count from which the indicator flips on every frame.
constexpr int32_t Replay_Full = 5376;
// The pickup information's steps once the pending spell has arrived.
constexpr int32_t Pickup_Steps = 15;

bool same(const MENJ_Icon &a, int32_t set, int32_t sprite) { return a.set == set && a.sprite == sprite; }

bool quick_item(int32_t q) { return q >= 0 && q < INV_ITEMS; }

// Screen places of the virtual layout: (W - dx, H - dy) and (dx, dy).
int32_t from_right(int32_t dx) { return (MENU_Layout.virtual_width - dx) / MENU_Layout.h_divisor; }
int32_t from_bottom(int32_t dy) { return (MENU_Layout.virtual_height - dy) / MENU_Layout.v_divisor; }
int32_t across(int32_t dx) { return dx / MENU_Layout.h_divisor; }
int32_t down(int32_t dy) { return dy / MENU_Layout.v_divisor; }

// The last of the 32 item places whose name is this one, -1 when none.
int32_t item_index(const char *name)
{
    int32_t found = -1;
    for (int32_t i = 0; i < INV_ITEMS; i++) {
        if (std::strncmp(INV_Data.names[i], name, INV_NAME_BYTES) == 0) {
            found = i;
        }
    }
    return found;
}

// 'A': the pickup information, and a spell's way into the first free hand slot.
void pickup(const char *name)
{
    MENJ_Icon icon;
    const int32_t id = ICO_Find(name, &icon.set, &icon.sprite);
    MENJ_Info.icon = icon;
    MENJ_Info.pickup_info = 1;
    MENJ_Info.exit_info = 0;
    MENJ_Info.blink_period = 6;
    MENJ_Info.info_fade = 0;
    if (id < 0 || ICO_Table[id].icon_class != ICO_CLASS_SPELL) {
        return;
    }
    int32_t slot = -1;
    for (int32_t k = 0; k < 3; k++) {
        if (slot == -1 && MENJ_Hands[k].set == -1) {
            slot = k;
        }
    }
    for (const MENJ_HandSlot &hand : MENJ_Hands) {
        if (same(icon, hand.set, hand.sprite)) {
            slot = -2;
        }
    }
    // The item may not be in the inventory (a full one posts all the same): its slot is then not
    // filled, so no count is ever read for it.
    const int32_t item = slot >= 0 ? item_index(name) : -1;
    if (item < 0) {
        MENJ_Info.pending_slot = -1;
        MENJ_Info.pending = {-1, -1};
        MENJ_Info.arrival_fade = 0;
        return;
    }
    MENJ_Info.pending_slot = slot;
    MENJ_Info.pending = icon;
    INV_Data.quick[slot] = item;
    MENJ_UpdateSlot(slot);
    MENJ_Info.arrival_fade = 15;
}

// 'B': the information of an exit or an object ahead.
void exit_info(const char *name)
{
    if (MENJ_Info.pickup_info != 0) {
        return;
    }
    MENJ_Info.icon = MENJ_FindIcon(name);
    MENJ_Info.exit_info = 1;
    MENJ_Info.blink_period = 2;
    int32_t visited = 0;
    if (PRJ_Next != nullptr) {
        char next[sizeof PRJ_Next->name + 1] = {};
        std::memcpy(next, PRJ_Next->name, sizeof PRJ_Next->name);
        visited = PRJ_FindVisited(next) != 0 ? 1 : 0;
    }
    MENJ_Info.visited = visited;
}

// The controller overlay while a replay runs: each control's icon, plain while pressed, dark
// otherwise.
void draw_controller()
{
    static const struct {
        int32_t control, icon, dx, dy;
    } overlay[] = {
        {CTRL_UP, MENJ_JOY_UP, 58, 105},     {CTRL_DOWN, MENJ_JOY_DN, 58, 76},
        {CTRL_LEFT, MENJ_JOY_LF, 88, 76},    {CTRL_RIGHT, MENJ_JOY_RT, 29, 76},
        {CTRL_SWI, MENJ_JOY_K1, 203, 105},   {CTRL_BT0, MENJ_JOY_K2, 174, 105},
        {CTRL_BT1, MENJ_JOY_K3, 145, 105},   {CTRL_K2, MENJ_JOY_SEL, 261, 105},
        {CTRL_K3, MENJ_JOY_BT0, 203, 76},    {CTRL_SEL, MENJ_JOY_BT1, 174, 76},
    };
    for (const auto &o : overlay) {
        const MENJ_Icon &icon = MENJ_Icons.joy[o.icon];
        if ((CTRL_Controls[o.control] & (CTRL_HELD | CTRL_CHANGED)) != 0) {
            ICO_DrawPlain(icon.set, icon.sprite, 0, from_right(o.dx), from_bottom(o.dy));
        } else {
            ICO_DrawPlainDark(icon.set, icon.sprite, 0, from_right(o.dx), from_bottom(o.dy));
        }
    }
}

void draw_hand(int32_t k)
{
    const MENJ_HandSlot &hand = MENJ_Hands[k];
    const int32_t x = (MENU_Layout.virtual_width - 160) / MENU_Layout.h_divisor + k * (50 / MENU_Layout.h_divisor);
    const int32_t y = from_bottom(50);
    if (hand.set == -1) {
        ICO_DrawFaded(MENJ_Icons.nothing.set, MENJ_Icons.nothing.sprite, MENJ_AnimFrame, x, y, 2);
        return;
    }
    const int32_t q = INV_Data.quick[k];
    if (same(MENJ_Info.icon, hand.set, hand.sprite) && MENJ_Info.arrival_fade != 0) {
        ICO_DrawFaded(hand.set, hand.sprite, 0, x, y, uint8_t(MENJ_Info.arrival_fade));
    } else {
        if (hand.glow != 0) {
            ICO_DrawFaded(hand.set, hand.sprite, 0, x, y, uint8_t(hand.glow));
        } else {
            ICO_Draw(hand.set, hand.sprite, 0, x, y);
        }
        if (quick_item(q)) {
            TXT_Print(x + 35 / MENU_Layout.h_divisor, y + 40 / MENU_Layout.v_divisor, 1, "%d", INV_Data.count[q]);
        }
    }
    if (quick_item(q) && INV_Data.fixed[q] != 0) {
        ICO_Draw(MENJ_Icons.block.set, MENJ_Icons.block.sprite, 0, x, y);
    }
}

// The gauges of the hero, or of what it is coupled to.
void draw_gauges()
{
    ActorRecord *hero = &ACTOR_Slots[ACTOR_HERO];
    ActorRecord *shown = hero->coupled != nullptr ? hero->coupled : hero;
    if (shown->second_gauge > 100.0f) {
        shown->second_gauge = 100.0f;
    }
    // Under water the pyramid shows the air, elsewhere the balance cursor, which rests in the middle.
    const bool water = PRJ_Current != nullptr && PRJ_Current->water_height != 0;
    const float oxygen = water && shown->physics_mode == 2 && shown->air > 2.0f ? shown->air : 0.0f;
    HUD_DrawGauges(shown->life, shown->second_gauge, oxygen, 0.0f, across(20), from_bottom(90));
}

// The information blink: a step of the pickup information on every period, then its end.
void step_information()
{
    MENJ_InfoState &info = MENJ_Info;
    if (info.blink_counter < info.blink_period) {
        return;
    }
    info.blink_counter = 0;
    info.blink_period = info.blink_period >= 2 ? 1 : 2;
    if (info.pickup_info == 0) {
        return;
    }
    if (info.pending_slot >= 0 && info.pending_slot < 3) {
        MENJ_Hands[info.pending_slot].set = info.pending.set;
        MENJ_Hands[info.pending_slot].sprite = info.pending.sprite;
    }
    info.blink_period = 0;
    info.pickup_step++;
    info.info_fade++;
    info.arrival_fade = info.arrival_fade < 0 ? 0 : info.arrival_fade - 1;
    if (info.pickup_step >= Pickup_Steps) {
        info.pickup_info = 0;
        info.pickup_step = 0;
        info.blink_period = 2;
        info.icon = {-1, -1};
        info.arrival_fade = 0;
    }
}

void step_indicator()
{
    MENJ_Blink &b = MENJ_Indicator;
    if (b.counter < b.period) {
        return;
    }
    b.counter = 0;
    b.phase ^= 1;
    b.period = REPLAY_Index >= Replay_Full ? 0 : b.period >= 2 ? 1 : 2;
}

void draw_layer()
{
    GFX_UpdateFireTexture(GFX_FireMap, uint32_t(MENJ_AnimFrame));
    if (REPLAY_Active == 1) {
        draw_controller();
    }
    if (MENJ_Indicator.phase == 1) {
        const MENJ_Icon *indicator = REPLAY_State == 1 ? &MENJ_Icons.replay : REPLAY_State == 0 ? &MENJ_Icons.record : nullptr;
        if (indicator != nullptr) {
            ICO_Draw(indicator->set, indicator->sprite, 0, from_right(75), down(10));
        }
    }
    if (MENJ_ActiveSlot >= 0) {
        MENJ_HandSlot &hand = MENJ_Hands[MENJ_ActiveSlot];
        hand.glow += MENJ_GlowDirection;
        if (hand.glow >= 5) {
            MENJ_GlowDirection = -1;
        }
        if (hand.glow < 0) {
            hand.glow = 0;
            MENJ_GlowDirection = 1;
        }
    }
    if (GAME_SampleTaken != 0) {
        MENJ_Info.blink_counter++;
        MENJ_Indicator.counter++;
    }
    const MENJ_Icon &info = MENJ_Info.icon;
    if (info.set != -1) {
        if (MENJ_Info.info_fade != 0) {
            ICO_DrawFaded(info.set, info.sprite, 0, from_right(230), from_bottom(50), uint8_t(MENJ_Info.info_fade));
        } else {
            ICO_Draw(info.set, info.sprite, 0, from_right(230), from_bottom(50));
        }
    }
    for (int32_t k = 0; k < 3; k++) {
        draw_hand(k);
    }
    draw_gauges();
    const MENJ_Icon *corner = nullptr;
    if (MENJ_Info.visited != 0) {
        corner = MENJ_Info.exit_info != 0 ? &MENJ_Icons.infosde : nullptr;
    } else if (MENJ_Info.pickup_info != 0) {
        corner = &MENJ_Icons.infosta;
    } else if (MENJ_Info.exit_info != 0) {
        corner = &MENJ_Icons.infosne;
    }
    if (corner != nullptr) {
        ICO_Draw(corner->set, corner->sprite, 0, across(10), down(10));
    }
    if ((ACTOR_Slots[ACTOR_HERO].flags[4] & ACTOR_F4_PITCH_STEERING) != 0) {
        ICO_Draw(MENJ_Icons.mcombat.set, MENJ_Icons.mcombat.sprite, 0, from_right(50), down(10));
    }
    MENJ_AnimFrame = MENJ_AnimFrame + 1 >= ICO_ANIMATION_FRAMES ? 0 : MENJ_AnimFrame + 1;
    step_information();
    step_indicator();
}

} // namespace

void MENJ_Init()
{
    CTRL_ResetButtons();
    // Made again, not twice: a second start-up in one process gives the first queue back.
    QUE_Destroy(MENJ_Queue);
    MENJ_Queue = QUE_Create(50);
    PACK_Open("data\\icone\\icones.bf");
    ICO_LoadSets();
    MENJ_ClearHands();
    MENJ_ResetDisplay();
    MENJ_Icons.nothing = MENJ_FindIcon("nothing");
    MENJ_Icons.infosne = MENJ_FindIcon("infosne");
    MENJ_Icons.infosne2 = MENJ_FindIcon("infosne");
    MENJ_Icons.infosde = MENJ_FindIcon("infosde");
    MENJ_Icons.infosta = MENJ_FindIcon("infosta");
    MENJ_Icons.block = MENJ_FindIcon("block");
    MENJ_Icons.mcombat = MENJ_FindIcon("mcombat");
    MENJ_Icons.replay = MENJ_FindIcon("replay");
    MENJ_Icons.record = MENJ_FindIcon("record");
    static const char joy_names[MENJ_JOY_COUNT][8] = {"joy_up", "joy_dn", "joy_lf",  "joy_rt",  "joy_k1", "joy_k2",
                                                      "joy_k3", "joy_sel", "joy_swi", "joy_bt0", "joy_bt1"};
    for (int32_t i = 0; i < MENJ_JOY_COUNT; i++) {
        MENJ_Icons.joy[i] = MENJ_FindIcon(joy_names[i]);
    }
    HUD_BindIcons();
    SAVE_ReadSlots();
    LANG_LoadTexts();
}

void MENJ_Shutdown()
{
    ICO_FreeSets();
    // The gauges point into the sets just freed: a later start binds them again.
    HUD_Gauge.base = HUD_Gauge.fill1 = HUD_Gauge.fill2 = HUD_Gauge.fill3 = nullptr;
    PACK_FreeTable();
    QUE_Destroy(MENJ_Queue);
    MENJ_Queue = nullptr;
}

void MENJ_ResetDisplay()
{
    MENJ_Info = {{-1, -1}, {-1, -1}, -1, 0, 0, 0, 0, 2, 0, 0, 0};
    MENJ_ActiveSlot = -1;
    MENJ_GlowDirection = 1;
    MENJ_Indicator = {0, 2, 0};
    MENJ_AnimFrame = 0;
}

void MENJ_ClearHands()
{
    for (MENJ_HandSlot &hand : MENJ_Hands) {
        hand = {-1, -1, 0};
    }
}

void MENJ_Update(int32_t hud)
{
    MENJ_Dispatcher();
    MENU_ComputeLayout();
    if (hud != 0) {
        draw_layer();
    }
}

void MENJ_Dispatcher()
{
    MGM_Event event;
    while (QUE_Read(MENJ_Queue, &event) != 0) {
        switch (event.type) {
        case MENJ_DIALOGUE:
            if (DLG_LoadEntry(int32_t(event.a)) != 0) {
                DLG_RunWindow();
            }
            break;
        case MENJ_PICKUP:
            pickup(MENJ_PostedName(event.a));
            break;
        case MENJ_EXIT_INFO:
            exit_info(MENJ_PostedName(event.a));
            break;
        case MENJ_INFO_OFF:
            if (MENJ_Info.pickup_info == 0) {
                MENJ_Info.exit_info = 0;
                MENJ_Info.visited = 0;
            }
            break;
        case MENJ_SLOT_USED:
            // Only the three hand slots can be used: any other word would glow outside them.
            if (MENJ_ActiveSlot == -1 && event.a >= 0 && event.a < 3) {
                MENJ_ActiveSlot = int32_t(event.a);
                MENJ_GlowDirection = 1;
                MENJ_UpdateSlot(MENJ_ActiveSlot);
            }
            break;
        case MENJ_SLOT_DONE:
            if (MENJ_ActiveSlot != -1) {
                MENJ_Hands[MENJ_ActiveSlot].glow = 0;
                MENJ_ActiveSlot = -1;
            }
            break;
        default:
            SYS_FatalError("Kalder Internal Error : unknown message type in MENJ_Dispatcher", 999, 1);
        }
    }
}

void MENJ_ClearSlotInfo(int32_t k, int32_t set, int32_t sprite)
{
    MENJ_Info.icon = {-1, -1};
    MENJ_Info.pending = {set, sprite};
    if (k >= 0 && k < 3) {
        MENJ_Hands[k].glow = 0;
    }
    MENJ_Info.arrival_fade = 0;
    MENJ_Info.pickup_info = 0;
    MENJ_Info.pickup_step = 0;
    MENJ_Info.blink_period = 2;
}

int32_t MENJ_IsSlotInfoShown(int32_t k) { return MENJ_Info.arrival_fade != 0 && MENJ_Info.pending_slot == k ? 1 : 0; }

void MENJ_UpdateSlot(int32_t k)
{
    // Nothing to hand before the inventory has an owner (the first pick-up gives it one).
    if (k < 0 || k >= 3 || INV_Data.owner == nullptr) {
        return;
    }
    const int32_t q = INV_Data.quick[k];
    if (!quick_item(q)) {
        return;
    }
    // Hand slot 0 is the actor's second spell slot and slot 1 its first, as the fight code reads them.
    static const int32_t field[3] = {1, 0, 2};
    const int32_t id = ICO_IndexOf(INV_Data.names[q]);
    INV_Data.owner->spell_slots[field[k]][0] = INV_Data.level[q];
    INV_Data.owner->spell_slots[field[k]][1] = id < 0 ? 0 : ICO_Table[id].value;
}

MENJ_Icon MENJ_FindIcon(const char *name)
{
    MENJ_Icon icon;
    ICO_Find(name, &icon.set, &icon.sprite);
    return icon;
}

void MENJ_PostName(int32_t code, const char *name)
{
    // A full queue drops the post before it takes a ring entry, so the entries of queued events are
    // never written over.
    if (MENJ_Queue == nullptr || MENJ_Queue->count >= MENJ_Queue->capacity) {
        return;
    }
    char *entry = name_ring[name_next];
    std::memset(entry, 0, MENJ_NAME_BYTES);
    if (name != nullptr) {
        std::strncpy(entry, name, MENJ_NAME_BYTES - 1);
    }
    QUE_Post(MENJ_Queue, uint8_t(code), name_next, 0);
    name_next = (name_next + 1) % MENJ_NAME_RING;
}

const char *MENJ_PostedName(intptr_t a)
{
    return a >= 0 && a < MENJ_NAME_RING ? name_ring[a] : "";
}
