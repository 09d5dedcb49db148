// The container: one model with its maps and animations, each packed, kept packed in one block buffer
// from the memory arena and unpacked straight into the 3D library's destination on request.
#pragma once
#include <cstdint>

constexpr int32_t DAN_MaxMaps = 6;
constexpr int32_t DAN_MaxAnims = 64;
constexpr int32_t DAN_MapNameBytes = 11;
constexpr int32_t DAN_AnimNameBytes = 13;
constexpr int32_t DAN_AnimMatch = 8;          // an animation is found by its first 8 characters
constexpr int32_t DAN_PathBytes = 260;
constexpr uint32_t DAN_BlockBytes = 614400;   // the block buffer: the packed model, or all packed maps or animations

struct DAN_Entry {
    const uint8_t *data; // packed bytes in the block buffer
    uint32_t size;
};

// The one container. Entries point into the block buffer, which lives in the memory arena: an arena
// reset (a scene stream or film opening) turns the container into a closed one.
struct DAN_State {
    int32_t file = -1;     // the file service's descriptor, -1 when none
    int32_t open;
    int32_t header;        // kept, not used
    int32_t maps;          // M
    int32_t anims;         // A
    char model_name[DAN_PathBytes];
    char map_names[DAN_MaxMaps][DAN_MapNameBytes];
    char anim_names[DAN_MaxAnims][DAN_AnimNameBytes];
    char anim_text[DAN_MaxAnims][DAN_AnimNameBytes + 1]; // the names NUL-terminated, for DAN_AnimName
    DAN_Entry map_entries[DAN_MaxMaps];
    DAN_Entry anim_entries[DAN_MaxAnims];
    int32_t maps_read;     // the map entries are in the block buffer
    int32_t anims_read;    // the animation entries are
    uint8_t *block;        // the block buffer
    uint8_t *arena_top;    // the arena's top just after the buffer was taken
    uint32_t arena_resets; // MEM_Arena->resets then
};
extern DAN_State DAN_Container;

// Start-up: clears the state. Closes nothing.
void DAN_Init();
// Closes the file, gives the block buffer back when it is still the arena's top, clears the state.
void DAN_Reset();
// Model loading opens a model's container: 1 or 0. Takes the block buffer above a scene stream's ring
// while one is open, otherwise resets the arena first.
int32_t DAN_Load3DC(const char *path);
// The model block unpacked into destination (room for capacity bytes): the unpacked size or 0.
int32_t DAN_ReadBlock(const char *name, uint8_t *destination, int32_t capacity);
// All map (or animation) blocks into the block buffer: 1, or 0 with none of them kept. Reading one set
// forgets the other, whose bytes it overwrites.
int32_t DAN_ReadMapData();
int32_t DAN_ReadAnimData();
// The map entry named `name` (whole name, any case) or the first animation entry whose first 8
// characters are those of `name`, unpacked into destination: the unpacked size or 0.
int32_t DAN_Load3DM(const char *name, uint8_t *destination, int32_t capacity);
int32_t DAN_Load3DA(const char *name, uint8_t *destination, int32_t capacity);
// The animation loader lists the container's animations: A, and entry i's name (null outside 0..A-1).
int32_t DAN_AnimCount();
const char *DAN_AnimName(int32_t i);
int32_t DAN_IsOpen();
// After a model load: closes a container without animations; one with them stays for the animation
// loader, which releases it.
void DAN_Close();
void DAN_Release();
// Does nothing; no caller.
void DAN_Idle();
