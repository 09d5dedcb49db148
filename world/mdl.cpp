// Models: the file source of the 3D library (scene stream, container, disk), and the loaders that put
// the hero, the characters and the scene into object slots.
#include "world/mdl.h"

#include <fcntl.h>

#include <cmath>
#include <cstdio>
#include <cstring>

#include "core/dsk.h"
#include "core/fconv.h"
#include "core/file.h"
#include "core/game_frame.h"
#include "core/sys.h"
#include "engine3d/coll.h"
#include "engine3d/image.h"
#include "engine3d/maths.h"
#include "engine3d/object.h"
#include "plat/files.h"
#include "plat/system.h"
#include "world/actor.h"
#include "world/anim.h"
#include "world/col.h"
#include "world/dan.h"
#include "world/dsn.h"
#include "world/prj.h"
#include "world/ptc.h"
#include "world/stored_name.h"
#include "world/sym.h"
#include "world/trg.h"

int32_t MDL_LoadingScene;
int32_t MDL_SceneCollReady;
int32_t MDL_SkyNode;
float MDL_SkyAngle;

namespace {

constexpr size_t Path_Bytes = 260;
constexpr size_t Node_Name_Chars = sizeof(ActorRecord::node_name) - 1;
constexpr size_t Obj_Name_Bytes = MDL_NODE_NAME_BYTES;

// A name split at its last component: the base (no directory, no extension) and the extension
// without its dot ("" when there is none).
struct Split_Name {
    char base[Path_Bytes];
    char extension[Path_Bytes];
};

Split_Name Split(const char *name)
{
    const char *component = name;
    for (const char *p = name; *p != '\0'; p++) {
        if (*p == '\\' || *p == '/' || *p == ':') {
            component = p + 1;
        }
    }
    const char *dot = std::strrchr(component, '.');
    Split_Name s;
    size_t base_length = dot != nullptr ? size_t(dot - component) : std::strlen(component);
    std::snprintf(s.base, sizeof s.base, "%.*s", int(base_length < Path_Bytes ? base_length : Path_Bytes - 1),
                  component);
    std::snprintf(s.extension, sizeof s.extension, "%s", dot != nullptr ? dot + 1 : "");
    return s;
}

bool Same_Text(const char *a, const char *b)
{
    for (; *a != '\0' && *b != '\0'; a++, b++) {
        if (Name_Upper(*a) != Name_Upper(*b)) {
            return false;
        }
    }
    return *a == *b;
}

// Results of the stream and the container are written in full: the library checks all of them.
int32_t Served(int32_t count)
{
    if (count > 0) {
        Set_Source_Written(count);
    }
    return count;
}

// The disk: a model (a name ending in 3DC) below the model root, anything else as given.
int32_t From_Disk(const char *name, uint8_t *destination, int32_t room)
{
    char upper[Path_Bytes];
    size_t length = std::strlen(name);
    if (length >= sizeof upper) {
        return -1;
    }
    for (size_t i = 0; i <= length; i++) {
        upper[i] = Name_Upper(name[i]);
    }
    char path[Path_Bytes];
    const bool model = length >= 3 && std::strcmp(upper + length - 3, "3DC") == 0;
    const int written = model ? std::snprintf(path, sizeof path, "%s%s", DSK_ModelPath(), upper)
                              : std::snprintf(path, sizeof path, "%s", upper);
    if (written < 0 || size_t(written) >= sizeof path) {
        return -1;
    }
    const int fd = PLAT_Open(path, O_RDONLY);
    if (fd < 0) {
        return -1;
    }
    // A file shorter than its 8-byte header, one not below the room, and one that does not read
    // in full are refused.
    int32_t result = 0;
    const int32_t size = PLAT_Seek(fd, 0, SEEK_END);
    if (size >= 8 && size < room && PLAT_Seek(fd, 8, SEEK_SET) == 8) {
        const uint32_t body = uint32_t(size) - 8;
        if (PLAT_Read(fd, destination, body) == int32_t(body)) {
            result = size;
        }
    }
    PLAT_Close(fd);
    return result;
}

// "%sdata/3dc/%s" below the model root with the file's extension replaced; false when it does not fit.
bool Model_Root_Path(const char *file, const char *extension, char (&path)[Path_Bytes])
{
    const char *dot = std::strrchr(file, '.');
    const int keep = int(dot != nullptr ? dot - file : int(std::strlen(file)));
    const int n = std::snprintf(path, sizeof path, "%sdata/3dc/%.*s.%s", DSK_ModelPath(), keep, file, extension);
    return n >= 0 && size_t(n) < sizeof path;
}

// "data\3dc\" + the file with its extension replaced, as the library loads it; false when it does not fit.
bool Load_Path(const char *file, const char *extension, char (&path)[Path_Bytes])
{
    const char *dot = std::strrchr(file, '.');
    const int keep = int(dot != nullptr ? dot - file : int(std::strlen(file)));
    const int n = std::snprintf(path, sizeof path, "data\\3dc\\%.*s.%s", keep, file, extension);
    return n >= 0 && size_t(n) < sizeof path;
}

// The node name: the file name up to its first '.', at most 15 characters.
void Set_Node_Name(ActorRecord *actor, const char *file, size_t field)
{
    size_t n = 0;
    while (n < field && n < Node_Name_Chars && file[n] != '\0' && file[n] != '.') {
        n++;
    }
    std::memcpy(actor->node_name, file, n);
    actor->node_name[n] = '\0';
}

void Set_Flag_Word(ActorRecord *actor, uint32_t word)
{
    for (int i = 0; i < 4; i++) {
        actor->flags[i] = uint8_t(word >> (8 * i));
    }
}

[[noreturn]] void Read_Error(const char *name)
{
    char text[Path_Bytes + 64];
    std::snprintf(text, sizeof text, "%s %s", "Kalder Internal Error : Read file Error", name);
    MDL_LoadError(text);
}

// Opens the element's container when one lies beside the model; one that exists and does not open
// stops the game.
void Open_Container(const char *file)
{
    char path[Path_Bytes];
    if (Model_Root_Path(file, "DAN", path) && FILE_Exists(path) && DAN_Load3DC(path) == 0) {
        MDL_LoadError("Kalder Internal Error : can't find DAN file");
    }
}

// Loads the model through the library and hangs it under the root, shown.
int32_t Load_Model(const char *file, const char *error_name)
{
    char path[Path_Bytes];
    if (!Load_Path(file, "3DC", path)) {
        Read_Error(error_name);
    }
    const int32_t node = Load_Obj(path);
    if (node == -1) {
        Read_Error(error_name);
    }
    DAN_Close();
    // The library draws what hangs below the root camera.
    Link_Obj(node, 0);
    Show_Obj_Tree(node);
    return node;
}

// Calls the routine with the handle of every node of the model, in table order.
template <typename Visit> void For_Each_Node(int32_t model, Visit visit)
{
    const int32_t count = Get_Obj_Count(model);
    const int32_t table = model & int32_t(0xFFFF0000);
    for (int32_t i = 0; i < count; i++) {
        visit(table | i);
    }
}

// The node's name upper-cased (at most its 12-byte field).
void Upper_Node_Name(int32_t node, char (&out)[Obj_Name_Bytes + 1])
{
    const char *name = Get_Obj_Name(node);
    size_t n = strnlen(name, Obj_Name_Bytes);
    for (size_t i = 0; i < n; i++) {
        out[i] = Name_Upper(name[i]);
    }
    out[n] = '\0';
}

// Physics modes 5 and 6 are modes 1 and 3 with the strong turn; false for any other mode.
bool Strong_Turn_Mode(ActorRecord *a, int32_t mode)
{
    if (mode != 5 && mode != 6) {
        return false;
    }
    a->physics_mode = mode == 5 ? 1 : 3;
    a->flags[5] |= ACTOR_F5_STRONG_TURN;
    return true;
}

void Apply_Project_Settings(ActorRecord *a)
{
    const LevelRecord *p = PRJ_Current;
    switch (p->physics_mode) {
    case 0:
        break;
    case 4:
        a->physics_mode = 3;
        a->flags[4] |= ACTOR_F4_GROUND_PHYSICS2;
        break;
    default:
        if (!Strong_Turn_Mode(a, p->physics_mode)) {
            a->physics_mode = p->physics_mode;
        }
        break;
    }
    if (p->physics_mode != 0 && a->physics_mode == 3) {
        a->flags[3] |= ACTOR_F3_TAKE_OFF;
    }
    if (p->model_value_a != 0) {
        a->flags[2] |= ACTOR_F2_MOTION_SCALE;
        a->motion_scale = float(p->model_value_a);
    }
    if (p->model_value_b != 0) {
        a->flags[2] |= ACTOR_F2_MOTION_SPEED;
        a->motion_speed = p->model_value_b;
    }
    if (p->model_radius != 0) {
        a->radius = p->model_radius;
        a->second_radius = p->model_radius / 2;
    }
    if (p->model_sight != 0) {
        a->sight_radius = p->model_sight;
    }
    if (p->tinted != 0) {
        a->flags[3] |= ACTOR_F3_TINTED;
    }
    if (p->model_value_e != 0) {
        a->second_gauge = float(p->model_value_e) / 64.0f;
    }
    if (p->model_value_f != 0) {
        a->speed_factor = float(p->model_value_f) / 16.0f;
    }
    if (p->model_flags & 0x01) {
        a->flags[8] |= ACTOR_F8_GUN_ALLOWED;
    }
    if (p->model_flags & 0x02) {
        a->flags[8] |= ACTOR_F8_MODEL_FLAG2;
    }
    if (p->model_flags & 0x04) {
        a->flags[8] |= ACTOR_F8_MODEL_FLAG3;
    }
}

void Apply_Element(ActorRecord *a, const ElementRecord *e)
{
    for (int i = 0; i < 3; i++) {
        a->position[i] = e->start_position[i];
    }
    a->heading = e->start_heading;

    const uint8_t fa = e->flags_a, fb = e->flags_b;
    if (fa & 0x02) {
        a->flags[1] |= ACTOR_F1_AI;
    }
    if (fa & 0x04) {
        a->flags[1] |= ACTOR_F1_TEAM;
    }
    if (fa & 0x08) {
        a->flags[3] |= ACTOR_F3_TINTED;
    }
    if (fa & 0x10) {
        a->flags[3] |= ACTOR_F3_MAY_RUN;
    }
    if (fa & 0x20) {
        a->flags[4] |= 0x02;
    }
    if (fa & 0x40) {
        a->flags[4] |= ACTOR_F4_PURSUIT_ON_SIGHT;
    }
    if (fa & 0x80) {
        a->flags[4] |= ACTOR_F4_TAKEN;
    }
    if (fb & 0x02) {
        a->flags[5] |= ACTOR_F5_RANDOM_RESPAWN;
    }
    if (fb & 0x04) {
        a->flags[5] |= ACTOR_F5_FOLLOWS_HERO;
    }
    if (fb & 0x08) {
        a->flags[5] |= 0x08;
        a->flags[1] &= uint8_t(~ACTOR_F1_AI);
    }
    if (fb & 0x10) {
        a->flags[6] |= ACTOR_F6_RANGED;
    }
    if (fb & 0x20) {
        a->flags[6] |= ACTOR_F6_NO_SPEED_UP;
    }
    if (fb & 0x40) {
        PART_SetFollowActor(a);
    }
    if (fb & 0x80) {
        a->flags[7] |= ACTOR_F7_UNSTRUCK;
    }

    switch (e->physics_mode) {
    case 0:
        break;
    case 3:
        a->physics_mode = 3;
        a->flags[3] |= ACTOR_F3_TAKE_OFF;
        a->coll_flags[0] |= 0x04;
        break;
    default:
        if (!Strong_Turn_Mode(a, e->physics_mode)) {
            a->physics_mode = e->physics_mode;
        }
        break;
    }
    if (e->life != 0) {
        a->life = float(e->life);
    }
    if (e->second_gauge != 0) {
        a->second_gauge = float(e->second_gauge);
    }
    if (e->anim_time_scale != 0) {
        a->anim_time_scale = float(e->anim_time_scale) / 64.0f;
    }
    if (e->weight != 0) {
        a->mass = e->weight > 512 ? 100000.0 : e->weight > 256 ? 2.0 * e->weight : double(e->weight);
    }
    a->flags[2] |= ACTOR_F2_MOTION_SCALE;
    a->motion_scale = e->motion_scale != 0 ? float(e->motion_scale) : 16.0f;
    if (e->fight_value != 0) {
        a->flags[2] |= ACTOR_F2_MOTION_SPEED;
        a->motion_speed = e->fight_value;
    }
    if (e->radius != 0) {
        a->radius = e->radius;
    }
    if (e->second_radius != 0) {
        a->second_radius = e->second_radius;
    }
    if (e->sight_radius != 0) {
        a->sight_radius = e->sight_radius;
    }
    if (e->ai_reach != 0) {
        a->ai_reach = double(e->ai_reach);
    }
    if (e->range != 0) {
        a->range = trunc_i32(e->range * 0.2);
    }
    if (e->ai_param[0] != 0) {
        a->ai_param[0] = e->ai_param[0];
    }
    if (e->ai_param[1] != 0) {
        a->ai_param[1] = e->ai_param[1];
    }
    a->ai_param[2] = e->ai_param[2];
    if (e->speed_factor != 0) {
        a->speed_factor = float(e->speed_factor) / 16.0f;
    }
    if (e->tilt_factor != 0) {
        a->tilt_factor = float(e->tilt_factor) / 128.0f;
    }
    if (e->scale != 0) {
        const float s = float(e->scale) / 32.0f;
        For_Each_Node(a->node, [s](int32_t node) { Scale_Obj(node, s, s, s); });
    }
}

void Place_Node(const ActorRecord *a)
{
    int32_t position[3];
    for (int i = 0; i < 3; i++) {
        position[i] = trunc_i32(a->position[i]);
    }
    int32_t m[9];
    Mat_Rotate(0, a->heading, 0, m);
    Set_Obj_Matrix(a->node, m);
    Set_Obj_Pos(a->node, position);
}

} // namespace

void MDL_UpperNodeName(int32_t node, char (&out)[MDL_NODE_NAME_BYTES + 1]) { Upper_Node_Name(node, out); }

int32_t MDL_FileHook(const char *name, void *destination, int32_t room)
{
    if (name == nullptr || name[0] == '\0') {
        return 0;
    }
    uint8_t *out = static_cast<uint8_t *>(destination);
    const Split_Name s = Split(name);
    // The scene's own files come from its stream alone: what the stream lacks is not looked for elsewhere.
    if (MDL_LoadingScene != 0) {
        if (Same_Text(s.extension, "3DC")) {
            return Served(DSN_Load3DC(s.base, out, room));
        }
        if (Same_Text(s.extension, "3DI")) {
            const int32_t n = DSN_Load3DI(s.base, out, room);
            if (n != 0) {
                MDL_SceneCollReady = 1;
            }
            return Served(n);
        }
        if (Same_Text(s.extension, "3DM")) {
            return Served(DSN_BindMap(s.base, out, room));
        }
    }
    if (DAN_IsOpen() != 0) {
        if (Same_Text(s.extension, "3DC")) {
            const int32_t n = DAN_ReadBlock(s.base, out, room);
            if (n == 0) {
                return 0;
            }
            DAN_ReadMapData();
            return Served(n);
        }
        if (Same_Text(s.extension, "3DM")) {
            return Served(DAN_Load3DM(s.base, out, room));
        }
        if (Same_Text(s.extension, "3DA")) {
            return Served(DAN_Load3DA(s.base, out, room));
        }
    }
    return From_Disk(name, out, room);
}

void MDL_LoadError(const char *text) { SYS_FatalError(text, 999, 1); }

void MDL_ResetSlots()
{
    for (ActorRecord &slot : ACTOR_Slots) {
        std::memset(slot.flags, 0, sizeof slot.flags);
        for (double &p : slot.position) {
            p = 0.0;
        }
    }
}

ActorRecord *MDL_LoadModel(const char *name, int32_t flags)
{
    ActorRecord *a = nullptr;
    for (ActorRecord &slot : ACTOR_Slots) {
        if (!(slot.flags[0] & ACTOR_F0_IN_USE)) {
            a = &slot;
            break;
        }
    }
    if (a == nullptr) {
        return nullptr;
    }
    ACTOR_InitRecord(a);
    Set_Node_Name(a, name, Path_Bytes);
    Set_Flag_Word(a, uint32_t(flags) + 0x11);
    if (flags & 0x02) {
        return a;
    }
    Open_Container(name);
    a->node = Load_Model(name, name);
    MDL_FindBones(a);
    if (flags & 0x04) {
        ACTOR_PlaceAtStart(a);
    }
    Apply_Project_Settings(a);
    return a;
}

ActorRecord *MDL_LoadCharacter(ElementRecord *element)
{
    const int32_t first = MDL_LoadingScene != 0 ? ACTOR_SCENE : ACTOR_SCENE + 1;
    int32_t slot = first;
    while (slot < ACTOR_SLOT_COUNT && (ACTOR_Slots[slot].flags[0] & ACTOR_F0_IN_USE)) {
        slot++;
    }
    if (slot >= ACTOR_SLOT_COUNT) {
        return nullptr;
    }
    ActorRecord *a = &ACTOR_Slots[slot];
    ACTOR_InitRecord(a);
    Set_Flag_Word(a, 0x11);
    char file[sizeof element->file + 1];
    std::snprintf(file, sizeof file, "%.*s", int(sizeof element->file), element->file);
    Set_Node_Name(a, file, sizeof file);

    ActorRecord *source = nullptr;
    for (int32_t i = ACTOR_SCENE; i < slot && source == nullptr; i++) {
        const ActorRecord &earlier = ACTOR_Slots[i];
        if ((earlier.flags[1] & ACTOR_F1_AI) && std::strcmp(earlier.node_name, a->node_name) == 0) {
            source = &ACTOR_Slots[i];
        }
    }
    if (source != nullptr) {
        MDL_InstanceModel(element, a, source);
    } else {
        MDL_LoadScene(element, a, file, slot);
    }
    Apply_Element(a, element);
    MDL_FindBones(a);
    if (element->symbol_file[0] != '\0') {
        char symbol[sizeof element->symbol_file + 1];
        std::snprintf(symbol, sizeof symbol, "%.*s", int(sizeof element->symbol_file), element->symbol_file);
        SYM_Load(a, symbol);
    }
    TRG_HideLaterShown(a);
    return a;
}

void MDL_LoadScene(ElementRecord *element, ActorRecord *actor, const char *file, int32_t slot)
{
    char path[Path_Bytes];
    if (Model_Root_Path(file, "DSN", path) && FILE_Exists(path)) {
        if (DSN_Open(path) == 0) {
            MDL_LoadError("Kalder Internal Error : can't find DSN file");
        }
    } else {
        MDL_LoadingScene = 0;
    }
    Open_Container(file);
    actor->node = Load_Model(file, file);
    actor->definition = element;

    if (slot == ACTOR_SCENE) {
        int32_t collision = -1;
        if (Load_Path(file, "3DI", path)) {
            collision = Load_Obj(path);
        }
        if (collision != -1) {
            Coll_Add_Mesh(collision);
            COL_AddSceneMesh(collision);
            actor->ground_contact = collision;
            MDL_SceneCollReady = 1;
        } else {
            PLAT_WriteStdout("No 3di file\n");
        }
    }

    DAN_ReadAnimData();
    if (element->flags_a & 0x02) {
        ANIM_LoadActorAnims(actor, file);
        ANIM_DoAction(actor, 0);
        ANIM_ChangeAnim(actor);
        ANIM_ResetAnim(actor);
        actor->flags[1] |= ACTOR_F1_AI;
    }
    DAN_Release();
}

void MDL_InstanceModel(ElementRecord *element, ActorRecord *actor, ActorRecord *source)
{
    actor->node = Clone_Obj(source->node);
    Link_Obj(actor->node, 0);
    Show_Obj(actor->node);
    Show_Obj_Tree(actor->node);
    ANIM_SetAnimSet(actor, source);
    actor->definition = element;
}

void MDL_FindBones(ActorRecord *actor)
{
    bool head = false, torso = false;
    For_Each_Node(actor->node, [&](int32_t node) {
        char name[Obj_Name_Bytes + 1];
        Upper_Node_Name(node, name);
        if (!head && std::strncmp(name, "TETE", 4) == 0) {
            actor->head_node = node;
            head = true;
        }
        if (!torso && std::strncmp(name, "TORSE", 5) == 0) {
            actor->torso_node = node;
            torso = true;
        }
    });
}

void MDL_FindSky(ActorRecord *scene)
{
    MDL_SkyNode = 0;
    MDL_SkyAngle = 0.0f;
    if (!(scene->flags[0] & ACTOR_F0_IN_USE)) {
        return;
    }
    For_Each_Node(scene->node, [](int32_t node) {
        char name[Obj_Name_Bytes + 1];
        Upper_Node_Name(node, name);
        if (MDL_SkyNode == 0 && std::strncmp(name, "CIEL", 4) == 0) {
            MDL_SkyNode = node;
        }
    });
    For_Each_Node(scene->node, [](int32_t node) {
        char name[Obj_Name_Bytes + 1];
        Upper_Node_Name(node, name);
        const size_t n = std::strlen(name);
        if (MDL_SkyNode == 0 && n >= 4 && n <= 10 && std::strstr(name, "CIEL") != nullptr) {
            MDL_SkyNode = node;
        }
    });
    if (MDL_SkyNode != 0 && PRJ_Current->view_distance != 0) {
        Set_Obj_Flag80(MDL_SkyNode);
    }
}

void MDL_RotateSky()
{
    if (MDL_SkyNode == 0) {
        return;
    }
    double angle = MDL_SkyAngle + PRJ_Current->sky_speed * GAME_TimeFactor * 0.1;
    if (angle >= 4096.0 || angle < 0.0) {
        angle = std::fmod(angle, 4096.0);
        if (angle < 0.0) {
            angle += 4096.0;
        }
    }
    MDL_SkyAngle = float(angle);
    if (MDL_SkyAngle >= 4096.0f) {
        MDL_SkyAngle = 0.0f;
    }
    int32_t m[9];
    Mat_Rotate(0, trunc_i32(MDL_SkyAngle), 0, m);
    Set_Obj_Matrix(MDL_SkyNode, m);
}

void ACTOR_PlaceAtStart(ActorRecord *actor)
{
    for (int i = 0; i < 3; i++) {
        actor->position[i] = PRJ_Current->start_position[i];
    }
    actor->heading = PRJ_Current->start_heading;
    Place_Node(actor);
}

void MDL_ReleaseSlots()
{
    for (ActorRecord &slot : ACTOR_Slots) {
        if (slot.flags[0] & ACTOR_F0_IN_USE) {
            Delete_Obj(slot.node);
            std::memset(slot.flags, 0, sizeof slot.flags);
        }
    }
}

void MDL_Idle() {}

int32_t MDL_FindNode(int32_t root, const char *name)
{
    int32_t found = -1;
    For_Each_Node(root, [&](int32_t node) {
        char upper[Obj_Name_Bytes + 1];
        Upper_Node_Name(node, upper);
        if (found == -1 && Same_Text(upper, name)) {
            found = node;
        }
    });
    return found;
}

void MDL_SetTreeType(int32_t node, int32_t type) { Set_Tree_Prim_Type(node, type); }

void MDL_SetSceneTypes(int32_t scene, const MDL_NodeType *rules, int32_t count)
{
    for (int32_t r = 0; r < count; r++) {
        const int32_t parent = MDL_FindNode(scene, rules[r].parent);
        if (parent == -1) {
            continue;
        }
        int32_t child = Get_Obj_Child(parent);
        for (int32_t steps = 0; child != -1 && steps < 0x10000; steps++, child = Get_Obj_Sibling(child)) {
            char upper[Obj_Name_Bytes + 1];
            Upper_Node_Name(child, upper);
            if (Same_Text(upper, rules[r].child)) {
                Set_Tree_Prim_Type(child, rules[r].type);
            }
        }
    }
}

void MDL_StoreHeroPosition(int32_t out[4])
{
    const ActorRecord &hero = ACTOR_Slots[ACTOR_HERO];
    const ActorRecord &scene = ACTOR_Slots[ACTOR_SCENE];
    for (int i = 0; i < 3; i++) {
        out[i] = round_i32(hero.position[i] - scene.position[i]);
    }
    out[3] = hero.heading;
}
