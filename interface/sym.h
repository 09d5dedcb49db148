// Symbol selection lists: a creature with symbol data says a step of it, its words fly to the partner
// as 3D items, and the player picks one of them to choose the next step.
#pragma once
#include <cstdint>

#include "engine3d/records.h"

struct ActorRecord;

inline constexpr int32_t SYM_WORD_COUNT = 50;
inline constexpr int32_t SYM_SYNONYM_BYTES = 24;
inline constexpr int32_t SYM_MENU_COUNT = 8;
inline constexpr int32_t SYM_MAX_WORDS = 15;   // shown words of one step
inline constexpr int32_t SYM_HISTORY = 16;
inline constexpr uint8_t SYM_END_MARK = 0xFF;
inline constexpr uint8_t SYM_HIDDEN = 0x80;    // an id with this bit is neither shown nor counted
inline constexpr uint8_t SYM_ID_END = 1;       // ends the search of the key steps

// A word: up to four synonyms in 24-byte slots; only the first is drawn. The id is not read.
struct SYM_Word {
    uint32_t id;
    char text[96];
};

// One list between the owner, who carries the symbol data, and its partner.
struct SYM_Menu {
    ActorRecord *owner;            // null: the record is free
    ActorRecord *partner;
    int32_t phase;                 // 0: the owner says a step; 1: the player chooses
    int32_t step;                  // index of the current step in the owner's data
    int32_t history[SYM_HISTORY];  // the steps "Back" returns to
    int32_t depth;                 // history entries in use
    double point[3];               // the item being moved
    double paths[16][4][3];        // one cubic path per item: four control points
    float t;                       // 0..1 along the paths
    float speed;                   // increase of t per time unit
    char text[256];                // the step's sentence
    int32_t text_x, text_y;
    OBJ_Handle items[16];
    int32_t cursor;                // the selected row
    uint8_t words[SYM_MAX_WORDS + 2]; // the shown ids, the end mark, one spare
    uint8_t count;                 // words shown
};

// One step of an owner's symbol data: its length byte (the next step starts that far on), its kind
// (0: a key step that the player's choice is matched against; any other: a step that is said), its
// word ids and its sentence.
struct SYM_Step {
    uint32_t length;
    uint8_t kind;
    uint8_t id_count;
    const uint8_t *ids;
    uint8_t text_length;
    const uint8_t *text;
};

// The one reader of steps, for every walk of the lists and for kdev: true when the step at offset lies
// whole inside the data and inside its own length (a length of at least 1, the ids, the text length
// byte and the text); otherwise false, and the walk ends there.
bool SYM_StepAt(const uint8_t *data, uint32_t size, uint32_t offset, SYM_Step *step);

extern const SYM_Word SYM_Words[SYM_WORD_COUNT];
extern SYM_Menu SYM_Menus[SYM_MENU_COUNT];
// The model each word item is cloned from, by its place in the list; 0 (the root) without a model.
extern OBJ_Handle SYM_WordModels[16];

int32_t SYM_MenuIsOpen(const ActorRecord *actor);
int32_t SYM_HasMenu(const ActorRecord *actor);
void SYM_ClearMenuFlag(ActorRecord *actor);
// Called by the creature AI when the owner has walked up to its partner: 1 when the list opens, 0 when
// the owner has no symbol data, an actor is missing or the list is taken.
int32_t SYM_MenuOpen(ActorRecord *owner, ActorRecord *partner);
// Called by the creature AI: clears the actor's symbol flag and, when the actor takes part in the
// list, deletes its items and frees it.
void SYM_MenuClose(ActorRecord *actor);
// Called once a frame by the game tick after the scene is composed: draws the open list. Returns 1.
int32_t SYM_MenuDraw();
// Called once a frame by the hero's ground moves: 1 when the actor takes part in an open list, which
// then has taken the controls (the moves stop), else 0.
int32_t SYM_MenuInput(ActorRecord *actor);

// Called by SYM_Reset at each level load, after the load re-initialised the 3D heap: the list is
// freed and its items forgotten (the heap they lived in is gone), then the word model is loaded.
void SYM_ForgetMenus();
void SYM_LoadWordModels();
