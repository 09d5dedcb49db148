// The 3D work area: its offsets, its two allocators, the handle tables and the chain of blocks.
#pragma once
#include <cassert>
#include <cstdint>
#include <cstring>

#include "engine3d/records.h"

// Library limits; the caller may set them before Init_3D, and they keep their values across calls.
extern int32_t Max_Handle_Tables; // 1024: entries of the table of handle tables
extern int32_t Max_Cache_Entries; // 256: records of the material name cache

// The work area handed to Init_3D. Its end, as an offset, is its size.
extern uint8_t *Work_Area;
extern uint32_t Work_Size;
extern Addr Mem_libre;   // first free byte: the next image loads here, the frame heap starts here
extern Addr First_Block; // ends of the block chain
extern Addr Last_Block;
extern Addr Heap_Ptr;    // next free byte of the frame heap

// Offsets to native pointers and back. Records start at any byte, so everything stored in the area
// is read and written through these; hot loops take W_Ptr once and work on the native pointer.
inline uint8_t *W_Ptr(Addr a)
{
    assert(a <= Work_Size);
    return a == 0 ? nullptr : Work_Area + a;
}

inline Addr W_Addr(const void *p)
{
    if (p == nullptr) {
        return 0;
    }
    assert(static_cast<const uint8_t *>(p) >= Work_Area && static_cast<const uint8_t *>(p) <= Work_Area + Work_Size);
    return static_cast<Addr>(static_cast<const uint8_t *>(p) - Work_Area);
}

// A word of the area can be read when it lies wholly inside it.
inline bool W_Fits(Addr a, uint32_t bytes) { return uint64_t(a) + bytes <= Work_Size; }

inline int32_t P_Get32(const void *p)
{
    int32_t v;
    std::memcpy(&v, p, 4);
    return v;
}

inline void P_Set32(void *p, int32_t v) { std::memcpy(p, &v, 4); }

inline int32_t W_Get32(Addr a)
{
    assert(W_Fits(a, 4));
    return P_Get32(Work_Area + a);
}

inline void W_Set32(Addr a, int32_t v)
{
    assert(W_Fits(a, 4));
    P_Set32(Work_Area + a, v);
}

inline Addr W_GetAddr(Addr a) { return static_cast<Addr>(W_Get32(a)); }
inline void W_SetAddr(Addr a, Addr v) { W_Set32(a, static_cast<int32_t>(v)); }

// The stop for a work area that cannot hold what is asked of it: "Heap overflow" on the console and
// exit code -1.
[[noreturn]] void Heap_Overflow();

// Frame heap: reset every frame at Mem_libre, taken by moving one pointer.
void Heap_Init(Addr a);
Addr Heap_Alloc(uint32_t count);

// Permanent memory, given back only by the next Init_3D.
Addr Mem_Alloc(uint32_t count);
Addr Get_Mem_Libre();

// The byte counts that the debug counters show: 0 and 0 before the first Init_3D.
uint32_t Get_Mem_Used();
uint32_t Get_Mem_Free();

// Takes the lowest free entry of the table of handle tables for a block about to be placed at
// Mem_libre; -1 when every entry is taken.
OBJ_Handle Alloc_Handle_Table();

// Record look-ups. Every one of them gives null for a handle that names no record: a free or
// out-of-range table entry, a slot outside the record table, a block without one.
uint8_t *Get_Obj_Ptr(OBJ_Handle h);
uint8_t *Get_Slot_Record(int32_t table, int32_t slot);
uint8_t *Get_Obj_Ptr_Unchecked(OBJ_Handle h);
inline uint8_t *Handle_To_Record(OBJ_Handle h) { return Get_Obj_Ptr_Unchecked(h); }

// The record count of the handle's block (block + 20), for any kind with a live entry; for a
// collision mesh it is the mesh body.
uint8_t *Get_Table_Count_Ptr(OBJ_Handle h);
// The handle's entry in the table of handle tables, for any table index in range.
uint8_t *Get_Table_Entry_Ptr(OBJ_Handle h);

// The block a handle names, for operations on whole blocks: a live entry and a slot the block has
// (slot 0 for kinds without a record table). 0 otherwise.
Addr Get_Obj_Block(OBJ_Handle h);

OBJ_Handle Get_Obj_Handle(const void *record);
int32_t Get_Obj_Kind(OBJ_Handle h);
int32_t Get_Block_Size(Addr block);

// Enters a freshly placed image into the chain as the last block.
int32_t Register_Block(Addr block, OBJ_Handle h, int32_t size);
