// The option hot keys of the running game, the screen size they choose, and the key help and debug
// overlays drawn over the game frame.
#include "core/opt.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "core/fconv.h"
#include "core/game_frame.h"
#include "core/inp.h"
#include "core/mgm.h"
#include "core/scr.h"
#include "core/sys.h"
#include "editor/edt.h"
#include "engine3d/view.h"
#include "interface/menu.h"
#include "interface/txt.h"
#include "world/actor.h"
#include "world/cam.h"
#include "world/ctrl.h"
#include "world/game.h"
#include "world/inv.h"
#include "world/prj.h"

int32_t OPT_RealShadow;
int32_t OPT_Cinemascope = 1;
int32_t GAME_AltHeroModel;
int32_t OPT_CameraPreset;
int32_t OPT_ControlHelp;
float GAME_FadeTimer;
OPT_Resolution OPT_ResolutionTable[6] = {{800, 600}, {640, 480}, {640, 400}, {400, 300}, {320, 400}, {320, 200}};
int32_t OPT_ResolutionIndex = 2;
int32_t OPT_DebugCounters;
int32_t OPT_DebugPanel;
int32_t OPT_AllPowers;
int32_t OPT_AllPowersCount;

// Virtual-key codes of the hot keys.
enum : uint8_t {
    VK_TAB = 0x09,
    VK_CONTROL = 0x11,
    VK_ALT = 0x12,
    VK_ESCAPE = 0x1B,
    VK_SPACE = 0x20,
    VK_F1 = 0x70,
    VK_F10 = 0x79,
    VK_F11 = 0x7A,
    VK_F12 = 0x7B,
    VK_OBJECTS = 0x97, // no key sends it; only an injected event can
};

static bool held(uint8_t key) { return (INP_KeyTable[key] & INP_KEY_HELD) != 0; }

void OPT_SetView(int32_t width, int32_t height)
{
    Set_Screen_Size(width, height);
    if (OPT_Cinemascope == 0) {
        Set_Viewport_Fov(width, height, 0, 0, 76.36f);
    } else {
        Set_Viewport_Fov(width, height * 3 / 4, 0, height / 8, 76.36f);
    }
    Set_Far_Clip(GAME_FarClip);
    Set_Near_Clip(140);
}

void OPT_SetResolution(int32_t index)
{
    if (GAME_FilmHold == 1) {
        return;
    }
    if (index < -1 || index > 5) {
        return;
    }
    const int32_t previous = OPT_ResolutionIndex;
    if (index != -1) {
        OPT_ResolutionIndex = index;
    }
    // The first size the display takes, from the chosen one on. A display that takes none leaves
    // everything as it was after one turn of the table.
    int32_t tries = 0;
    while (MGM_SendMessage(22, OPT_ResolutionTable[OPT_ResolutionIndex].width,
                           OPT_ResolutionTable[OPT_ResolutionIndex].height) == 0) {
        if (++tries == 6) {
            OPT_ResolutionIndex = previous;
            return;
        }
        OPT_ResolutionIndex = (OPT_ResolutionIndex + 1) % 6;
    }
    const int32_t width = OPT_ResolutionTable[OPT_ResolutionIndex].width;
    const int32_t height = OPT_ResolutionTable[OPT_ResolutionIndex].height;
    SCR_Width = uint32_t(width);
    SCR_Height = uint32_t(height);

    OPT_SetView(width, height);

    GAME_SampleTime = 0;
    EDT_Active = 0;
    char message[80];
    std::snprintf(message, sizeof message, "Screen Resolution%i*%i", width, height);
    SCR_SetMessage(message, 90.0f);
}

void OPT_HandleHotkeys()
{
    for (int32_t i = 0; i < 6; i++) {
        if (held(uint8_t(VK_F1 + i))) {
            OPT_SetResolution(i);
        }
    }
    if (held(VK_CONTROL) && held('S') && GAME_FadeTimer == 0.0f) {
        OPT_RealShadow = OPT_RealShadow == 0;
        GAME_FadeTimer = 10.0f;
        SCR_SetMessage(OPT_RealShadow ? "True Shadow" : "2D Shadow", 90.0f);
    }
    // Ctrl + H + M: the hero's second model, in the full-screen format only.
    if (held(VK_CONTROL) && held('H') && held('M') && OPT_Cinemascope == 0 && GAME_FadeTimer == 0.0f) {
        GAME_AltHeroModel = GAME_AltHeroModel == 0;
        GAME_FadeTimer = 10.0f;
        SCR_SetMessage(GAME_AltHeroModel ? "Hero Model 2" : "Hero Model 1", 90.0f);
    }
    if (held(VK_TAB)) {
        MENU_OpenSpells();
    }
    static const struct {
        uint8_t key;
        const char *message;
    } presets[6] = {{'5', "Camera"},   {'6', "Camera 1"}, {'7', "Camera 2"},
                    {'8', "Camera 3"}, {'9', "Camera 4"}, {'0', "Camera 5"}};
    for (int32_t i = 0; i < 6; i++) {
        if (held(VK_ALT) && held(presets[i].key)) {
            OPT_CameraPreset = i;
            CAM_LoadPreset();
            SCR_SetMessage(presets[i].message, 60.0f);
        }
    }
    if (held(VK_F10)) {
        OPT_ControlHelp = 1;
    }
    if (held(VK_F11) && OPT_Cinemascope == 1) {
        OPT_Cinemascope = 0;
        OPT_SetResolution(-1);
    }
    if (held(VK_F12) && OPT_Cinemascope == 0) {
        OPT_Cinemascope = 1;
        OPT_SetResolution(-1);
    }
    if (held('L')) {
        MENU_OpenSystem();
    }
    if (held(VK_ALT) && held('X')) {
        GAME_EndRequest = 1;
    }

    switch (GAME_LastKey) {
    case 'J':
        MGM_SendMessage(10);
        CTRL_SetDevice(3);
        SCR_SetMessage("Joypad", 60.0f);
        break;
    case 'K':
        MGM_SendMessage(4);
        CTRL_SetDevice(0);
        SCR_SetMessage("Keyboard", 60.0f);
        break;
    case 'P':
        GAME_Paused = GAME_Paused == 0;
        if (GAME_Paused == 1) {
            GAME_PauseHeading = ACTOR_Slots[ACTOR_HERO].heading;
        }
        break;
    case VK_OBJECTS:
        MENU_OpenObjects();
        break;
    case VK_ESCAPE:
    case VK_SPACE:
        if (GAME_FilmHold == 1) {
            MGM_SendMessage(25);
            GAME_FilmHold = 0;
            if (GAME_LastKey == VK_SPACE && GAME_ReturnToTitle != 0) {
                GAME_EndRequest = 1;
            }
        }
        break;
    default:
        break;
    }
}

// The key help: rows of three columns, keys, movement and combat. Empty cells draw nothing.
static const char *const kHelp[19][3] = {
    {"Game Control", "Movement", "Combat"},
    {"", "", ""},
    {"Up Arrow", "Run", "Run"},
    {"ALT", "Walk", "Punch, Swing Sword"},
    {"Down Arrow", "Backward", "Defense"},
    {"Down Arrow and CTRL", "Fast Backward", "Fast Backward"},
    {"CTRL", "Jump", "Kick"},
    {"CTRL and Up Arrow", "Remote Jump", "Lift Kick"},
    {"Up Arrow and ALT", "Take-off", ""},
    {"Maintain ALT", "Flight or Swim", ""},
    {"", "Collect the Manna - the Blue Bubble -", ""},
    {"", "", ""},
    {"Quick repeat of CTRL or ALT", "", "Series of punches"},
    {"SPACE", "Switch to Combat", "Switch to Movement"},
    {"ESC", "Interface call", ""},
    {"1, 2 or 3", "Magic pre-selection keys", ""},
    {"", "", ""},
    {"F1 ...  F6", "Change Screen Resolution ( Def: F3 )", ""},
    {"ALT 5 ... ALT 0", "Change Camera ( Def: ALT 5 )", ""},
};

void OPT_DrawControlHelp()
{
    if (OPT_ControlHelp != 1) {
        return;
    }
    OPT_ControlHelp = 0;
    // Left edge, top, the two column offsets, row step and the gap before the grouped rows; all
    // halved on a narrow screen.
    int32_t left = 16, top = 20, movement = 240, combat = 408, step = 18, gap = 9;
    if (SCR_Width < 640) {
        left /= 2, top /= 2, movement /= 2, combat /= 2, step /= 2, gap /= 2;
    }
    const int32_t columns[3] = {left, left + movement, left + combat};
    for (int32_t row = 0; row < 19; row++) {
        int32_t y = top + step * row;
        if ((row >= 8 && row <= 10) || (row >= 13 && row <= 15)) {
            y += gap;
        }
        for (int32_t column = 0; column < 3; column++) {
            if (kHelp[row][column][0] != '\0') {
                TXT_DrawString(kHelp[row][column], columns[column], y, 256, 1);
            }
        }
    }
}

void OPT_DrawValue(int32_t x, int32_t y, const char *format, ...)
{
    char text[64];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    TXT_DrawString(text, x, y, 256, 1);
}

// A text field of a record, not always terminated.
static void draw_field(int32_t x, int32_t y, const char *field, size_t size)
{
    char text[32];
    const size_t length = strnlen(field, size < sizeof text ? size : sizeof text - 1);
    std::memcpy(text, field, length);
    text[length] = '\0';
    TXT_DrawString(text, x, y, 256, 1);
}

static uint32_t flag_word(const ActorRecord *actor, int first)
{
    uint32_t word = 0;
    for (int i = 0; i < 4 && first + i < 10; i++) {
        word |= uint32_t(actor->flags[first + i]) << (8 * i);
    }
    return word;
}

void OPT_DrawDebugPanel()
{
    if (OPT_DebugPanel == 0) {
        return;
    }
    const ActorRecord *hero = &ACTOR_Slots[ACTOR_HERO];
    const ActorRecord *object = hero->target != nullptr ? hero->target : hero;
    const int32_t x[4] = {228, 328, 428, 578};

    TXT_DrawString("Debug Info ", 32, 20, 256, 0);
    TXT_DrawString("Project Name : ", 32, 38, 256, 1);
    if (PRJ_Current != nullptr) {
        draw_field(x[0], 38, PRJ_Current->name, sizeof(PRJ_Current->name));
    }
    TXT_DrawString("Object Name : ", 32, 58, 256, 1);
    draw_field(x[0], 58, object->node_name, sizeof(object->node_name));
    TXT_DrawString("Object Pos : ", 32, 68, 256, 1);
    TXT_DrawString("Object Speed : ", 32, 78, 256, 1);
    TXT_DrawString("Object PHY Speed : ", 32, 88, 256, 1);
    TXT_DrawString("Object Flags : ", 32, 98, 256, 1);
    for (int i = 0; i < 3; i++) {
        OPT_DrawValue(x[i], 68, "%i", trunc_i32(object->position[i]));
        OPT_DrawValue(x[i], 78, "%f", double(object->velocity[i]));
        OPT_DrawValue(x[i], 88, "%f", object->phy_velocity[i]);
        OPT_DrawValue(x[i], 98, "%x", flag_word(object, 4 * i));
    }
    TXT_DrawString("Object Angle : ", 32, 108, 256, 1);
    OPT_DrawValue(x[0], 108, "%i", object->heading);
    OPT_DrawValue(x[1], 108, "%i", object->tilt);
    OPT_DrawValue(x[2], 108, "%i", object->pitch);
    OPT_DrawValue(x[3], 108, "%i", object->heading_speed);
    TXT_DrawString("Object 3D Col : ", 32, 118, 256, 1);
    OPT_DrawValue(x[0], 118, "%i", object->ground_height);
    OPT_DrawValue(x[1], 118, "%i", object->radius);
    TXT_DrawString("Object Anim 0 : ", 32, 128, 256, 1);
    OPT_DrawValue(x[0], 128, "%i", object->anim_handles[0]);
    OPT_DrawValue(x[1], 128, "%i", object->current_anim);
    OPT_DrawValue(x[2], 128, "%f", double(object->frame_position));
    TXT_DrawString("Object Anim 1 : ", 32, 138, 256, 1);
    OPT_DrawValue(x[0], 138, "%i", object->anim_handles[1]);
    OPT_DrawValue(x[1], 138, "%i", object->requested_anim);
    OPT_DrawValue(x[2], 138, "%f", double(object->anim_blend));

    // The carried objects: 32 entries of 16 bytes, each named from its fifth byte.
    int32_t used = 0;
    const char *last = nullptr;
    if (object->inventory != nullptr) {
        const char *entries = reinterpret_cast<const char *>(object->inventory);
        for (int32_t i = 0; i < 32; i++) {
            const char *name = entries + 16 * i + 4;
            if (name[0] != '\0') {
                used++;
                last = name;
            }
        }
    }
    TXT_DrawString("Nombre d'objet : ", 32, 158, 256, 1);
    OPT_DrawValue(x[0], 158, "%i", used);
    if (last != nullptr) {
        TXT_DrawString("dernier objet : ", 32, 168, 256, 1);
        draw_field(x[0], 168, last, 16);
    }
}

// The fourteen powers, in the order the sequence gives them.
static const char kPowers[14][9] = {"feu",     "arc",   "epee",   "guerison", "bouclier", "connaiss", "temps",
                                    "spirit",  "holo",  "resurec", "invivib", "mine",     "shaman",   "vitesse"};

void OPT_GiveAllPowers()
{
    if (OPT_AllPowers == 0) {
        return;
    }
    if (OPT_AllPowersCount >= 0 && OPT_AllPowersCount < 14) {
        INV_Add(&ACTOR_Slots[ACTOR_HERO], kPowers[OPT_AllPowersCount]);
    }
    OPT_AllPowersCount++;
    if (OPT_AllPowersCount >= 14) {
        OPT_AllPowersCount = 0;
        OPT_AllPowers = 0;
    }
}
