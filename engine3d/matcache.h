// The material name cache: .3DM images shared by name among the objects that use them, with counts.
#pragma once
#include <cstdint>

#include "engine3d/records.h"

// Where Init_3D placed the cache, and how many entries it holds.
extern Addr Name_Cache;
extern int32_t Name_Cache_Entries;
// Entries 0..Cache_Count-1 are searched. It grows only when an entry just past the end is taken and
// is never reset, not even by Init_3D.
extern int32_t Cache_Count;
// The folder the .3DM images are read from, ending in a separator.
extern char Material_Dir[256];

int32_t Load_Materials(Addr body);
void Release_Materials(Addr block);
void Bind_Prim_Materials(Addr list);
void Bind_Tree_Materials(Addr root);

uint8_t *Find_Cached_File(const char *name);
Addr Find_Cached_File_Slot(const char *name);
uint8_t *Find_Cached_Image(const char *name);
int32_t Add_Cached_File(const char *name, const char *file_name);
// The same operation under its second name.
inline constexpr auto &Add_Cached_File_B = Add_Cached_File;

int32_t Get_Cache_Count();
const char *Get_Cache_Name(int32_t index);
// The entry's own 16-byte name field, which the scene textures upper-case in place; null out of range.
char *Get_Cache_Name_Field(int32_t index);
// 1 when the entry Find_Cached_File finds under that name has had its colour tables turned to
// 15-bit colours, else 0.
int32_t Is_Cached_File_555(const char *name);
void Convert_Cache_To_555();

// The entry's address, for the library's own code.
inline Addr Cache_Entry(int32_t i) { return Name_Cache + Addr(i) * Addr(sizeof(OBJ_NameCacheEntry)); }
