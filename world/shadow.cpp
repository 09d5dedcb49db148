// Shadows: 16 slots, each with a blob instance and a silhouette-plane instance, laid under the actors
// that carry them every frame.
#include "world/shadow.h"

#include <cctype>
#include <cstring>

#include "core/sys.h"
#include "engine3d/colltest.h"
#include "engine3d/image.h"
#include "engine3d/maths.h"
#include "engine3d/matcache.h"
#include "engine3d/object.h"
#include "engine3d/raster.h"
#include "engine3d/render.h"
#include "engine3d/view.h"
#include "engine3d/workarea.h"
#include "world/actor.h"
#include "world/game.h"

SHADOW_Slot SHADOW_Slots[SHADOW_SLOT_COUNT];
OBJ_Handle SHADOW_Camera;
uint8_t *SHADOW_RealTexels;
uint8_t *SHADOW_FlatMaterial;
int32_t SHADOW_AttachedCount;

namespace {

constexpr const char *Start_Error = "Kalder Internal Error : shadow can't be started";
constexpr int32_t Ground_Lift = 10;    // the shadow lies this far above the ground
constexpr int32_t Camera_Back = 300;   // the silhouette's camera, behind the character
constexpr int32_t Camera_Up_Walking = 450, Camera_Up_Other = 600;
constexpr int32_t Silhouette_Focal = 800;
constexpr int32_t Textured_Type = 2, Marker_Type = 27; // the marker type fills with texel 1
constexpr int32_t Near_Clip = 140;

// Where the gathering of the slot being reset stands.
int32_t Gather_Slot, Gather_Pair;

// The silhouette is rendered here and copied into the texels, which may lie at any byte of the area.
uint16_t Target[SHADOW_TARGET_WIDTH * SHADOW_TARGET_HEIGHT];

int32_t narrow(int64_t v) { return static_cast<int32_t>(v); }

// A load or a copy that failed: handle 0 is the root camera, never a new object.
OBJ_Handle Checked(OBJ_Handle h)
{
    if (h <= 0) {
        SYS_FatalError(Start_Error, 999, 1);
    }
    return h;
}

void Upper_Names(OBJ_Handle model)
{
    const int32_t count = Get_Obj_Count(model);
    const OBJ_Handle table = Get_Table_Handle(model);
    for (int32_t i = 0; i < count; i++) {
        uint8_t *record = Get_Obj_Ptr(table | i);
        if (record == nullptr) {
            continue;
        }
        char *name = reinterpret_cast<char *>(record + offsetof(OBJ_Record, name));
        for (size_t k = 0; k < sizeof OBJ_Record::name && name[k] != '\0'; k++) {
            name[k] = char(std::toupper(static_cast<unsigned char>(name[k])));
        }
    }
}

// The ground's normal under the actor: the ground triangle its body last stood on, else straight up.
// The ground test takes a triangle wound either way; the normal is taken on its upper side (negative
// y is up), so that a shadow never lies face down under the floor's view.
void Ground_Normal(const ActorRecord *actor, int32_t *n)
{
    n[0] = 0;
    n[1] = -32767;
    n[2] = 0;
    if (actor->coll_body != nullptr && actor->ground_contact != 0) {
        const auto *tri = reinterpret_cast<const OBJ_CollTri *>(W_Ptr(Addr(actor->ground_contact)));
        int32_t v[3][3];
        Coll_Get_Hit(tri, v[0], v[1], v[2], n);
        if (n[1] > 0) {
            for (int i = 0; i < 3; i++) {
                n[i] = -n[i];
            }
        }
    }
}

// Draws the character alone, in the marker type, from above and behind it into the silhouette's
// texels. The game's view is put back whole afterwards, letterbox and focal lengths included.
void Render_Silhouette(const ActorRecord *actor, OBJ_Handle character)
{
    int32_t at[3], eye[3], d[3], unit[3], m[9];
    Get_Obj_Pos(character, at);
    const int32_t up = actor->physics_mode == 1 ? Camera_Up_Walking : Camera_Up_Other;
    eye[0] = at[0];
    eye[1] = narrow(int64_t(at[1]) - up);
    eye[2] = narrow(int64_t(at[2]) - Camera_Back);
    Set_Obj_Pos(SHADOW_Camera, eye);
    Vec_Sub(at, eye, d);
    Vec_Normalise(d, unit);
    Mat_From_Dir(unit, 0, m);
    Set_Obj_Matrix(SHADOW_Camera, m);

    const OBJ_ViewParams view = OBJ_View;
    Set_Screen_Size(SHADOW_TARGET_WIDTH, SHADOW_TARGET_HEIGHT);
    Set_Viewport(SHADOW_TARGET_WIDTH, SHADOW_TARGET_HEIGHT, 0, 0, Silhouette_Focal);

    Unlink_Obj(character);
    Link_Obj(character, SHADOW_Camera);
    Replace_Prim_Type(character, Textured_Type, Marker_Type);
    Render_Frame_From(SHADOW_Camera, Target);
    std::memcpy(SHADOW_RealTexels, Target, SHADOW_TEXEL_BYTES);
    Replace_Prim_Type(character, Marker_Type, Textured_Type);
    Unlink_Obj(character);
    Link_Obj(character, 0);

    // The rasteriser's sentinels follow the viewport, so they are set again with it.
    OBJ_View = view;
    Init_Edge_Lists();
    Set_Far_Clip(GAME_FarClip);
    Set_Near_Clip(Near_Clip);
}

} // namespace

void SHADOW_Start()
{
    std::memset(SHADOW_Slots, 0, sizeof SHADOW_Slots);
    SHADOW_Camera = Checked(Clone_Obj(0));
    const OBJ_Handle flat = Checked(Load_Obj("data\\3dc\\ombre.3dc"));
    const OBJ_Handle real = Checked(Load_Obj("data\\3dc\\ombre2.3dc"));
    SHADOW_FlatMaterial = Find_Cached_File("OMBRE");
    SHADOW_RealTexels = Find_Cached_File("OMBRE2");
    // The silhouette needs the 65,536 texels of a material image: a material without one has none.
    if (SHADOW_FlatMaterial == nullptr || SHADOW_RealTexels == nullptr || Find_Cached_File_Slot("OMBRE2") == 0) {
        SYS_FatalError(Start_Error, 999, 1);
    }
    Upper_Names(flat);
    Upper_Names(real);
    Link_Obj(flat, 0);
    Link_Obj(real, 0);
    SHADOW_Slots[0].flat = flat;
    SHADOW_Slots[0].real = real;
    for (int32_t i = 1; i < SHADOW_SLOT_COUNT; i++) {
        SHADOW_Slots[i].flat = Checked(Clone_Obj(flat));
        Link_Obj(SHADOW_Slots[i].flat, 0);
        SHADOW_Slots[i].real = Checked(Clone_Obj(real));
        Link_Obj(SHADOW_Slots[i].real, 0);
    }
    SHADOW_Reset();
}

void SHADOW_Reset()
{
    SHADOW_AttachedCount = 0;
    for (int32_t i = 0; i < SHADOW_SLOT_COUNT; i++) {
        SHADOW_Slot &s = SHADOW_Slots[i];
        std::memset(s.pairs, 0, sizeof s.pairs);
        Gather_Slot = i;
        Gather_Pair = 0;
        For_Each_Obj_Item(s.flat, SHADOW_GatherVertex);
        for (auto &pair : s.pairs) {
            pair[0] /= 4;
            pair[1] /= 4;
        }
        s.mode = 0;
        s.character = 0;
        s.owner = nullptr;
        Hide_Obj_Tree(s.flat);
        Hide_Obj_Tree(s.real);
    }
}

void SHADOW_GatherVertex(void *item)
{
    OBJ_Item corner;
    std::memcpy(&corner, item, sizeof corner);
    int32_t *pair = SHADOW_Slots[Gather_Slot].pairs[Gather_Pair];
    pair[0] = corner.u;
    pair[1] = corner.v;
    Gather_Pair = (Gather_Pair + 1) % 6;
}

int32_t SHADOW_FindFree()
{
    for (int32_t i = 0; i < SHADOW_SLOT_COUNT; i++) {
        if (SHADOW_Slots[i].mode == 0) {
            return i;
        }
    }
    return SHADOW_SLOT_COUNT;
}

void SHADOW_Attach(ActorRecord *actor, int32_t kind)
{
    // Nothing to lay a shadow with before the models are loaded.
    if (SHADOW_Camera == 0) {
        return;
    }
    const int32_t held = actor->shadow_slot;
    if (held >= 0 && held < SHADOW_SLOT_COUNT && SHADOW_Slots[held].mode != 0 && SHADOW_Slots[held].owner == actor) {
        // A body reset again: the actor keeps its slot rather than freezing it on the ground.
        SHADOW_Slots[held].mode = kind;
        SHADOW_Slots[held].character = kind == SHADOW_REAL ? actor->node : 0;
        return;
    }
    actor->shadow_slot = SHADOW_FindFree();
    if (actor->shadow_slot == SHADOW_SLOT_COUNT || SHADOW_AttachedCount >= SHADOW_SLOT_COUNT) {
        return;
    }
    SHADOW_Slot &s = SHADOW_Slots[actor->shadow_slot];
    s.mode = kind;
    s.character = kind == SHADOW_REAL ? actor->node : 0;
    s.owner = actor;
    SHADOW_AttachedCount++;
}

void SHADOW_Detach(ActorRecord *actor)
{
    const int32_t held = actor->shadow_slot;
    if (held < 0 || held >= SHADOW_SLOT_COUNT || SHADOW_Slots[held].owner != actor || SHADOW_Slots[held].mode == 0) {
        return;
    }
    SHADOW_Slot &s = SHADOW_Slots[held];
    // The character's node is the actor's own model: it is only forgotten here.
    Hide_Obj_Tree(s.mode == SHADOW_REAL ? s.real : s.flat);
    s.mode = 0;
    s.character = 0;
    s.owner = nullptr;
    SHADOW_AttachedCount--;
    actor->shadow_slot = ACTOR_NO_SHADOW;
}

void SHADOW_Place(ActorRecord *actor)
{
    const int32_t held = actor->shadow_slot;
    if (held < 0 || held >= SHADOW_SLOT_COUNT) {
        return;
    }
    SHADOW_Slot &s = SHADOW_Slots[held];
    if (s.mode == 0 || s.owner != actor) {
        return;
    }
    int32_t p[3], n[3], m[9];
    Get_Obj_Pos(actor->node, p);
    p[1] = narrow(int64_t(actor->ground_height) - Ground_Lift);
    Ground_Normal(actor, n);
    if (s.mode == SHADOW_REAL && s.character != 0) {
        Hide_Obj_Tree(s.flat);
        Show_Obj_Tree(s.real);
        // The instance's root has no faces; the plane under it is what shows.
        Hide_Obj(s.real);
        Set_Obj_Pos(s.real, p);
        Mat_From_Dir_X(n, 0, m);
        Set_Obj_Matrix(s.real, m);
        Render_Silhouette(actor, s.character);
        return;
    }
    Hide_Obj_Tree(s.real);
    Show_Obj_Tree(s.flat);
    Set_Obj_Pos(s.flat, p);
    Mat_From_Dir_X(n, narrow(3071 - int64_t(actor->heading)) & 0xFFF, m);
    Set_Obj_Matrix(s.flat, m);
    SHADOW_Walk(held);
}

void SHADOW_Walk(int32_t slot)
{
    if (slot >= 0 && slot < SHADOW_SLOT_COUNT) {
        For_Each_Obj_Item(SHADOW_Slots[slot].flat, SHADOW_Nothing);
    }
}

void SHADOW_Nothing(void *) {}

void SHADOW_Nop() {}
