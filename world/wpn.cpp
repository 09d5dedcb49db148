// Weapons: the hero's sword, bow and gun hung from its hands, grown into the hand when drawn, fed by
// the second gauge and put away when it runs out. The thrown weapon is not built yet.
#include "world/wpn.h"

#include <cstring>

#include "core/fconv.h"
#include "core/game_frame.h"
#include "core/opt.h"
#include "core/sys.h"
#include "engine3d/image.h"
#include "engine3d/object.h"
#include "world/actor.h"
#include "world/ctrl.h"
#include "world/fgt.h"
#include "world/inv.h"

int32_t WPN_BowWasDrawn;
int32_t WPN_SwordWasDrawn;

WPN_Model WPN_Sword = {-1, -1, {}, {}};
WPN_Model WPN_Bow = {-1, -1, {}, {}};
WPN_Model WPN_Gun = {-1, -1, {}, {}};
float WPN_GrowFactor;

namespace {

constexpr const char *Read_Weapon_Error = "Kalder Internal Error : Read Weapon Error";

// The gauge at which a drawn weapon goes away, and below which it blinks out of the hand.
constexpr float Sword_Keep = 10.0f, Sword_Blink = 20.0f, Sword_Grow = 1.15f;
constexpr float Bow_Keep = 10.0f, Bow_Blink = 15.0f, Bow_Grow = 1.1f;
constexpr float Drain = 0.05f;
constexpr float Start_Scale = 0.2f;

ActorRecord *Hero() { return &ACTOR_Slots[ACTOR_HERO]; }

// Where a weapon keeps its state among the hero's flag bytes.
struct Bit {
    int byte;
    uint8_t mask;
};
struct Weapon_Bits {
    Bit carried, drawn, hidden;
};
constexpr Weapon_Bits Sword_Bits = {{6, ACTOR_F6_SWORD_CARRIED}, {6, ACTOR_F6_SWORD_DRAWN}, {6, ACTOR_F6_SWORD_HIDDEN}};
constexpr Weapon_Bits Bow_Bits = {{6, ACTOR_F6_BOW_CARRIED}, {6, ACTOR_F6_BOW_DRAWN}, {7, ACTOR_F7_BOW_HIDDEN}};
constexpr Weapon_Bits Gun_Bits = {{8, ACTOR_F8_GUN_CARRIED}, {8, ACTOR_F8_GUN_DRAWN}, {8, ACTOR_F8_GUN_HIDDEN}};

bool Has(Bit bit) { return (Hero()->flags[bit.byte] & bit.mask) != 0; }

void Set(Bit bit, bool on)
{
    uint8_t &byte = Hero()->flags[bit.byte];
    byte = on ? uint8_t(byte | bit.mask) : uint8_t(byte & ~bit.mask);
}

// The first node of the hero's tree (depth first, as the model hangs) whose name begins with one of
// the two names. The alternative hero model carries a second weapon of its own ("NATE02"), hidden on
// the way so that it never shows beside ours. -1 when there is none.
OBJ_Handle Find_Hand(OBJ_Handle root, const char *name_a, const char *name_b)
{
    // Bounded: the weapons hung from one hand lie on the way to the other.
    constexpr int32_t limit = 4096;
    OBJ_Handle node = root;
    for (int32_t steps = 0; node >= 0 && steps < limit; steps++) {
        const char *name = Get_Obj_Name(node);
        if (std::strncmp(name, name_a, std::strlen(name_a)) == 0 ||
            std::strncmp(name, name_b, std::strlen(name_b)) == 0) {
            return node;
        }
        if (GAME_AltHeroModel != 0 && std::strncmp(name, "NATE02", 6) == 0) {
            Hide_Obj_Tree(node);
        }
        // Next in pre-order: the first child, else the next sibling of the node or of an ancestor.
        OBJ_Handle next = Get_Obj_Child(node);
        while (next < 0 && node >= 0 && node != root) {
            next = Get_Obj_Sibling(node);
            node = Get_Obj_Parent(node);
        }
        node = next;
    }
    return -1;
}

// Loads a weapon's model, keeps its vertices and hangs it, hidden, from the hero's hand: the weapon is
// carried, hidden and not drawn. Returns 1 when the hero has that hand; without it the model stays
// unlinked and hidden and the weapon is not carried, so that it never shows.
int32_t Load_Weapon(WPN_Model *weapon, const Weapon_Bits &bits, const char *path, const char *hand_a,
                    const char *hand_b)
{
    Set(bits.carried, false);
    Set(bits.drawn, false);
    Set(bits.hidden, false);
    weapon->handle = Load_Obj(path);
    if (weapon->handle < 0) {
        SYS_FatalError(Read_Weapon_Error, 999, 1);
    }
    weapon->nodes.clear();
    weapon->kept.clear();
    const int32_t count = Get_Obj_Count(weapon->handle);
    const OBJ_Handle table = Get_Table_Handle(weapon->handle);
    for (int32_t i = 0; i < count; i++) {
        const OBJ_Handle node = table | i;
        const int32_t vertices = Get_Vertex_Count(node);
        weapon->nodes.push_back(node);
        weapon->kept.emplace_back(size_t(vertices > 0 ? vertices : 0) * 3);
        if (vertices > 0) {
            Get_All_Vertices(node, weapon->kept.back().data());
        }
    }
    weapon->hand = Find_Hand(Hero()->node, hand_a, hand_b);
    if (weapon->hand >= 0) {
        Link_Obj(weapon->handle, weapon->hand);
    }
    Hide_Obj_Tree(weapon->handle);
    if (weapon->hand < 0) {
        return 0;
    }
    Set(bits.carried, true);
    Set(bits.hidden, true);
    return 1;
}

// Every node's vertices at the kept positions times the scale.
void Scale_Weapon(const WPN_Model &weapon, float scale)
{
    // Grown once to the largest node, then reused: the frame loop allocates nothing after that.
    static std::vector<int32_t> scaled;
    for (size_t n = 0; n < weapon.nodes.size(); n++) {
        const std::vector<int32_t> &kept = weapon.kept[n];
        if (kept.empty()) {
            continue;
        }
        scaled.resize(kept.size());
        for (size_t i = 0; i < kept.size(); i++) {
            scaled[i] = trunc_i32(float(kept[i]) * scale);
        }
        Set_All_Vertices(weapon.nodes[n], scaled.data());
    }
}

// The frame of a drawn sword or bow after the sheathe test: in the hand, grown a step, fed from the
// gauge, and blinking out of the hand as the gauge nears its end.
void Hold_Weapon(const WPN_Model &weapon, const int32_t *at, float grow, float blink)
{
    ActorRecord *hero = Hero();
    Set_Obj_Pos(weapon.handle, at);
    WPN_GrowFactor *= grow;
    if (WPN_GrowFactor > 1.0f) {
        WPN_GrowFactor = 1.0f;
    }
    hero->second_gauge -= Drain * float(GAME_TimeFactor);
    float scale = WPN_GrowFactor;
    if (hero->second_gauge <= blink) {
        scale = (hero->second_gauge - 10.0f) / 10.0f;
        if (scale < Start_Scale) {
            scale = Start_Scale;
        }
        if (FGT_FrameParity == 0) {
            Show_Obj_Tree(weapon.handle);
        } else {
            Hide_Obj_Tree(weapon.handle);
        }
    } else {
        // A gauge fed back above the blink limit leaves the weapon in view, whatever the last blink was.
        Show_Obj_Tree(weapon.handle);
    }
    Scale_Weapon(weapon, scale);
}

// Drawn: shown, in hand and starting small.
void Take_In_Hand(const WPN_Model &weapon, const Weapon_Bits &bits)
{
    Show_Obj_Tree(weapon.handle);
    Set(bits.drawn, true);
    Set(bits.hidden, false);
    WPN_GrowFactor = Start_Scale;
    Scale_Weapon(weapon, WPN_GrowFactor);
}

// Not drawn any more, and hidden once.
void Put_Away(const WPN_Model &weapon, const Weapon_Bits &bits)
{
    Set(bits.drawn, false);
    if (Has(bits.carried) && !Has(bits.hidden)) {
        Set(bits.hidden, true);
        Hide_Obj_Tree(weapon.handle);
    }
}

void Show_Weapon(const WPN_Model &weapon, const Weapon_Bits &bits, bool shown)
{
    if (Has(bits.carried)) {
        Set(bits.hidden, !shown);
        if (shown) {
            Show_Obj_Tree(weapon.handle);
        } else {
            Hide_Obj_Tree(weapon.handle);
        }
    }
}

} // namespace

void WPN_LoadThrown()
{
    const OBJ_Handle model = Load_Obj("data\\3dc\\gr01.3dc");
    if (model < 0) {
        SYS_FatalError(Read_Weapon_Error, 999, 1);
        return;
    }
    Hide_Obj_Tree(model);
    for (ActorRecord &p : ACTOR_Projectiles) {
        const OBJ_Handle copy = Clone_Obj(model);
        std::memset(p.flags, 0, sizeof p.flags);
        p.flags[4] = ACTOR_F4_MODEL_HIDDEN;
        p.node = copy > 0 ? copy : 0;
        if (copy > 0) {
            Link_Obj(copy, 0);
            Hide_Obj_Tree(copy);
        }
    }
}

void WPN_LoadSword()
{
    if (Load_Weapon(&WPN_Sword, Sword_Bits, "data\\3dc\\epee.3dc", "MAIN-D", "PAUMED") != 0 && WPN_SwordWasDrawn != 0) {
        WPN_DrawSword();
    }
}

void WPN_LoadBow()
{
    if (Load_Weapon(&WPN_Bow, Bow_Bits, "data\\3dc\\Arc.3dc", "MAIN-G", "PAUMEG") != 0 && WPN_BowWasDrawn != 0) {
        WPN_DrawBow();
    }
}

void WPN_LoadGun() { Load_Weapon(&WPN_Gun, Gun_Bits, "data\\3dc\\Gun.3dc", "MAIN-D", "PAUMED"); }

void WPN_DrawSword()
{
    if (Has(Sword_Bits.carried)) {
        WPN_PutAwayBow();
        WPN_PutAwayGun();
        Take_In_Hand(WPN_Sword, Sword_Bits);
    }
}

void WPN_SheatheSword() { Put_Away(WPN_Sword, Sword_Bits); }

void WPN_DrawBow()
{
    if (Has(Bow_Bits.carried)) {
        WPN_SheatheSword();
        WPN_PutAwayGun();
        Take_In_Hand(WPN_Bow, Bow_Bits);
    }
}

void WPN_PutAwayBow() { Put_Away(WPN_Bow, Bow_Bits); }

void WPN_ShowGun() { Show_Weapon(WPN_Gun, Gun_Bits, true); }

void WPN_HideGun() { Show_Weapon(WPN_Gun, Gun_Bits, false); }

void WPN_DrawGun()
{
    if (Has(Gun_Bits.carried)) {
        WPN_SheatheSword();
        WPN_PutAwayBow();
        Set(Gun_Bits.drawn, true);
        WPN_ShowGun();
    }
}

// A gun once drawn stays in hand for the rest of the level.
void WPN_PutAwayGun() {}

int32_t WPN_IsSwordDrawn() { return Has(Sword_Bits.carried) && Has(Sword_Bits.drawn) ? 1 : 0; }
int32_t WPN_IsBowDrawn() { return Has(Bow_Bits.carried) && Has(Bow_Bits.drawn) ? 1 : 0; }
int32_t WPN_IsGunDrawn() { return Has(Gun_Bits.carried) && Has(Gun_Bits.drawn) ? 1 : 0; }

void WPN_GunUpdate()
{
    ActorRecord *hero = Hero();
    if ((hero->flags[8] & ACTOR_F8_GUN_ALLOWED) && !(hero->flags[8] & ACTOR_F8_GUN_DRAWN) &&
        INV_Has(hero, "GUN") != 0 && hero->second_gauge > 10.0f) {
        WPN_DrawGun();
    }
    if (WPN_IsGunDrawn() == 0) {
        return;
    }
    Set_Obj_Pos(WPN_Gun.handle, WPN_GUN_AT);
    if (hero->physics_mode == 1) {
        WPN_ShowGun();
    } else {
        WPN_HideGun();
    }
}

void WPN_SwordUpdate()
{
    if (Hero()->second_gauge <= Sword_Keep || CTRL_FreshlyPressed(CTRL_K2)) {
        WPN_SheatheSword();
    }
    if (WPN_IsSwordDrawn() != 0) {
        Hold_Weapon(WPN_Sword, WPN_SWORD_AT, Sword_Grow, Sword_Blink);
    }
}

void WPN_BowUpdate()
{
    if (Hero()->second_gauge <= Bow_Keep || CTRL_FreshlyPressed(CTRL_K2)) {
        WPN_PutAwayBow();
    }
    if (WPN_IsBowDrawn() != 0) {
        Hold_Weapon(WPN_Bow, WPN_SWORD_AT, Bow_Grow, Bow_Blink);
    }
}
