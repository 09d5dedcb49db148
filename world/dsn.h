// The scene stream: a scene's packed model, packed collision model and texture maps, read through the
// streaming buffer; the maps are filled over the scene's first 32 ticks, coarse first.
#pragma once
#include <cstdint>

#include "core/dpr.h"

constexpr int32_t DSN_MaxMaps = 32;
constexpr int32_t DSN_NameBytes = 11;      // a map name as stored: NUL-padded, or full without terminator
constexpr int32_t DSN_RecordBytes = 20;    // a map record: the header of the map's image
constexpr int32_t DSN_PathBytes = 260;     // the model and collision names kept from the opened path
constexpr int32_t DSN_ColourBytes = 32768; // the colour area of a bound map
constexpr int32_t DSN_PaletteAt = 15360;   // where the palette lands in it
constexpr int32_t DSN_PictureBytes = 65536;
constexpr int32_t DSN_MapBytes = DSN_RecordBytes + DSN_ColourBytes + DSN_PictureBytes; // 98,324
constexpr int32_t DSN_PartBytes = 1024;    // one map's share of a palette or part block
constexpr int32_t DSN_Parts = 64;
constexpr int32_t DSN_Frames = 32;

// Where part p lands in a 256 x 256 picture: the offset inside each 8 x 8 cell and the rows x columns
// each texel fills. Parts in order interlace the cells: part 0 alone gives the coarse picture, all 64
// the whole one.
struct DSN_Part {
    uint8_t x0, y0, rows, columns;
};
extern const DSN_Part DSN_PartTable[DSN_Parts];

// The one scene stream. Bound buffers point into the 3D work area and are valid until the next
// Init_3D: the level load resets the stream before it starts the library again.
struct DSN_State {
    DPR_Buffer *dpr;           // the streaming buffer this stream reads through
    int32_t open;
    int32_t header;            // kept, not used
    int32_t maps;              // M
    int32_t frame;             // 0..32
    uint32_t arena_resets;     // MEM_Arena->resets when the stream took the arena
    char names[DSN_MaxMaps][DSN_NameBytes];
    uint8_t records[DSN_MaxMaps][DSN_RecordBytes];
    uint8_t *palette[DSN_MaxMaps]; // the bound colour area; null while not bound
    uint8_t *picture[DSN_MaxMaps];
    char model_name[DSN_PathBytes];
    char collision_name[DSN_PathBytes];
};
extern DSN_State DSN_Stream;

// Start-up and shutdown: binds the stream to DPR_Main (1) / releases nothing.
int32_t DSN_Create();
void DSN_Destroy();
// Closes the stream in any state; the level load calls it before each scene.
void DSN_Reset();
int32_t DSN_IsLoaded();

// The scene loader opens the scene's stream: resets the memory arena for the streaming ring. 1 or 0.
int32_t DSN_Open(const char *path);
// The model file hook's requests while the scene model loads: unpack the scene model (or collision
// model) into destination, which has room for capacity bytes. The unpacked size, or 0.
int32_t DSN_Load3DC(const char *name, uint8_t *destination, int32_t capacity);
int32_t DSN_Load3DI(const char *name, uint8_t *destination, int32_t capacity);
// The 3D library asks for a map of the stream: the record is copied to destination, the colour area
// and picture after it are cleared and filled later by DSN_UpdateFrame. 98,324, or 0 when the map is
// unknown or capacity is not above 98,324.
int32_t DSN_BindMap(const char *name, uint8_t *destination, int32_t capacity);
// Once at level load and once per game tick: palettes at frame 0, then two parts of every map a
// frame; after 32 frames the stream closes itself. A damaged stream closes at once.
void DSN_UpdateFrame();
// Places one 1024-byte part (a 32 x 32 tile) into a 65,536-byte picture; parts outside 0..63 do nothing.
void DSN_DecodeMap(const uint8_t *source, uint8_t *map, int32_t part);
