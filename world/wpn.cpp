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

// Loads a weapon's model, keeps its vertices and hangs it, hidden, from the hero's hand. Returns 1 when
// the hero has that hand.
int32_t Load_Weapon(WPN_Model *weapon, const char *path, const char *hand_a, const char *hand_b)
{
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
    return weapon->hand >= 0 ? 1 : 0;
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

} // namespace

void WPN_LoadThrown() {}

void WPN_LoadSword()
{
    ActorRecord *hero = Hero();
    hero->flags[6] &= uint8_t(~(ACTOR_F6_SWORD_CARRIED | ACTOR_F6_SWORD_DRAWN | ACTOR_F6_SWORD_HIDDEN));
    if (Load_Weapon(&WPN_Sword, "data\\3dc\\epee.3dc", "MAIN-D", "PAUMED") == 0) {
        return;
    }
    hero->flags[6] |= ACTOR_F6_SWORD_CARRIED | ACTOR_F6_SWORD_HIDDEN;
    if (WPN_SwordWasDrawn != 0) {
        WPN_DrawSword();
    }
}

void WPN_LoadBow()
{
    ActorRecord *hero = Hero();
    hero->flags[6] &= uint8_t(~(ACTOR_F6_BOW_CARRIED | ACTOR_F6_BOW_DRAWN));
    hero->flags[7] &= uint8_t(~ACTOR_F7_BOW_HIDDEN);
    if (Load_Weapon(&WPN_Bow, "data\\3dc\\Arc.3dc", "MAIN-G", "PAUMEG") == 0) {
        return;
    }
    hero->flags[6] |= ACTOR_F6_BOW_CARRIED;
    hero->flags[7] |= ACTOR_F7_BOW_HIDDEN;
    if (WPN_BowWasDrawn != 0) {
        WPN_DrawBow();
    }
}

void WPN_LoadGun()
{
    ActorRecord *hero = Hero();
    hero->flags[8] &= uint8_t(~(ACTOR_F8_GUN_CARRIED | ACTOR_F8_GUN_DRAWN | ACTOR_F8_GUN_HIDDEN));
    if (Load_Weapon(&WPN_Gun, "data\\3dc\\Gun.3dc", "MAIN-D", "PAUMED") == 0) {
        return;
    }
    hero->flags[8] |= ACTOR_F8_GUN_CARRIED | ACTOR_F8_GUN_HIDDEN;
}

void WPN_DrawSword()
{
    ActorRecord *hero = Hero();
    if (!(hero->flags[6] & ACTOR_F6_SWORD_CARRIED)) {
        return;
    }
    WPN_PutAwayBow();
    WPN_PutAwayGun();
    Show_Obj_Tree(WPN_Sword.handle);
    hero->flags[6] = uint8_t((hero->flags[6] | ACTOR_F6_SWORD_DRAWN) & ~ACTOR_F6_SWORD_HIDDEN);
    WPN_GrowFactor = Start_Scale;
    Scale_Weapon(WPN_Sword, WPN_GrowFactor);
}

void WPN_SheatheSword()
{
    ActorRecord *hero = Hero();
    hero->flags[6] &= uint8_t(~ACTOR_F6_SWORD_DRAWN);
    if ((hero->flags[6] & ACTOR_F6_SWORD_CARRIED) && !(hero->flags[6] & ACTOR_F6_SWORD_HIDDEN)) {
        hero->flags[6] |= ACTOR_F6_SWORD_HIDDEN;
        Hide_Obj_Tree(WPN_Sword.handle);
    }
}

void WPN_DrawBow()
{
    ActorRecord *hero = Hero();
    if (!(hero->flags[6] & ACTOR_F6_BOW_CARRIED)) {
        return;
    }
    WPN_SheatheSword();
    WPN_PutAwayGun();
    Show_Obj_Tree(WPN_Bow.handle);
    hero->flags[6] |= ACTOR_F6_BOW_DRAWN;
    hero->flags[7] &= uint8_t(~ACTOR_F7_BOW_HIDDEN);
    WPN_GrowFactor = Start_Scale;
    Scale_Weapon(WPN_Bow, WPN_GrowFactor);
}

void WPN_PutAwayBow()
{
    ActorRecord *hero = Hero();
    hero->flags[6] &= uint8_t(~ACTOR_F6_BOW_DRAWN);
    if ((hero->flags[6] & ACTOR_F6_BOW_CARRIED) && !(hero->flags[7] & ACTOR_F7_BOW_HIDDEN)) {
        hero->flags[7] |= ACTOR_F7_BOW_HIDDEN;
        Hide_Obj_Tree(WPN_Bow.handle);
    }
}

void WPN_ShowGun()
{
    ActorRecord *hero = Hero();
    if (hero->flags[8] & ACTOR_F8_GUN_CARRIED) {
        hero->flags[8] &= uint8_t(~ACTOR_F8_GUN_HIDDEN);
        Show_Obj_Tree(WPN_Gun.handle);
    }
}

void WPN_HideGun()
{
    ActorRecord *hero = Hero();
    if (hero->flags[8] & ACTOR_F8_GUN_CARRIED) {
        hero->flags[8] |= ACTOR_F8_GUN_HIDDEN;
        Hide_Obj_Tree(WPN_Gun.handle);
    }
}

void WPN_DrawGun()
{
    ActorRecord *hero = Hero();
    if (!(hero->flags[8] & ACTOR_F8_GUN_CARRIED)) {
        return;
    }
    WPN_SheatheSword();
    WPN_PutAwayBow();
    hero->flags[8] |= ACTOR_F8_GUN_DRAWN;
    WPN_ShowGun();
}

// A gun once drawn stays in hand for the rest of the level.
void WPN_PutAwayGun() {}

int32_t WPN_IsSwordDrawn()
{
    const uint8_t bits = ACTOR_F6_SWORD_CARRIED | ACTOR_F6_SWORD_DRAWN;
    return (Hero()->flags[6] & bits) == bits ? 1 : 0;
}

int32_t WPN_IsBowDrawn()
{
    const uint8_t bits = ACTOR_F6_BOW_CARRIED | ACTOR_F6_BOW_DRAWN;
    return (Hero()->flags[6] & bits) == bits ? 1 : 0;
}

int32_t WPN_IsGunDrawn()
{
    const uint8_t bits = ACTOR_F8_GUN_CARRIED | ACTOR_F8_GUN_DRAWN;
    return (Hero()->flags[8] & bits) == bits ? 1 : 0;
}

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
