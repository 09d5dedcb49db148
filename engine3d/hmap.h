// Height maps: pictures that carry a depth per pixel and the camera that saw them; loaded, expanded,
// used as the depth-tested spans' background, and sampled back into world points.
#pragma once
#include <cstdint>

// The expanded image: this 44-byte header (as in the file), then width x height u16 samples row after
// row. A sample s stands for the depth 2^30 / (s << shift).
enum : uint32_t {
    HMAP_WIDTH = 0,     // i32, samples a row
    HMAP_HEIGHT = 4,    // i32, rows
    HMAP_SHIFT = 8,     // its low byte, taken modulo 32
    HMAP_LENS = 16,     // i32, focal length in pixels
    HMAP_POSITION = 20, // three f32: the camera
    HMAP_TARGET = 32,   // three f32: what it looks at
    HMAP_HEADER_BYTES = 44,
};

// The image the depth-tested spans and the sampling read; null until HMAP_SetCurrent, its only writer.
extern const uint8_t *HMAP_Current;
void HMAP_SetCurrent(const uint8_t *image);

// Reads a whole file (a game path) into a block the caller frees with MEM_FreePtr; its length through
// `length`. A file that does not open prints "Impossible d'ouvrir le fichier <name> \n" and gives null.
uint8_t *Hmap_Load_File(const char *name, uint32_t *length = nullptr);

// The bytes an expanded image of a loaded file takes: 44 + 2 x width x height, or 0 for a refused header
// (a file under 44 bytes, width or height below 1, more than 16,777,216 samples).
uint32_t Hmap_Image_Size(const uint8_t *file, uint32_t file_length);

// Copies the header and expands the runs into `image`, which holds Hmap_Image_Size bytes. Expansion
// ends at the grid's end or at the file's; samples not reached are 0. 1, or 0 for a refused header.
int32_t Hmap_Convert(uint8_t *image, const uint8_t *file, uint32_t file_length);

// Puts the root camera where the picture's camera stood and sets the viewport to the image with the
// picture's lens. 0, changing nothing, for a lens below 1; 1 otherwise.
int32_t Hmap_Set_Camera(const uint8_t *image);

// The world point under pixel (x, y) of the current image, seen from the root camera. 0, writing
// nothing, with no image, outside it, on a sample of 0 or on a depth that does not fit; 1 otherwise.
int32_t Hmap_Sample(int32_t x, int32_t y, int32_t *out);

// The current image's camera position and target, truncated toward zero; nothing without an image.
void Hmap_Get_Position(int32_t *out);
void Hmap_Get_Target(int32_t *out);
