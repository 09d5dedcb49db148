// The 3D work area: permanent and per-frame memory, handle tables and the chain of loaded blocks.
#include "engine3d/workarea.h"

#include "engine3d/image.h"
#include "plat/system.h"

int32_t Max_Handle_Tables = 1024;
int32_t Max_Cache_Entries = 256;

uint8_t *Work_Area;
uint32_t Work_Size;
Addr Mem_libre;
Addr First_Block;
Addr Last_Block;
Addr Heap_Ptr;

namespace {

constexpr int32_t Free_Entry = -1;

// Moves an allocation pointer on by count; the sum is formed in 64 bits so that no count can wrap
// past the end. An allocation that ends exactly at the end fits.
Addr Bump(Addr &pointer, uint64_t count)
{
    uint64_t next = uint64_t(pointer) + count;
    if (next > Work_Size) {
        Heap_Overflow();
    }
    Addr taken = pointer;
    pointer = static_cast<Addr>(next);
    return taken;
}

bool Has_Record_Table(int32_t kind)
{
    return kind == OBJ_KIND_HIERARCHY || kind == OBJ_KIND_RECORDS || kind == OBJ_KIND_TRACKS ||
           kind == OBJ_KIND_SPLINES;
}

// The block of a live table entry, or 0. Handles are split by signed division, as the game makes them.
Addr Live_Block(int32_t table)
{
    if (table < 0 || table >= Max_Handle_Tables || !W_Fits(Addr(table) * 4, 4)) {
        return 0;
    }
    int32_t entry = W_Get32(Addr(table) * 4);
    if (entry == Free_Entry || entry == 0 || !W_Fits(Addr(entry), OBJ_RECORD_TABLE)) {
        return 0;
    }
    return Addr(entry);
}

// The record count of a block whose table lies wholly inside the area; -1 otherwise.
int32_t Table_Count(Addr block)
{
    int32_t count = W_Get32(block + OBJ_RECORD_COUNT);
    if (count < 0 || uint64_t(block) + OBJ_RECORD_TABLE + uint64_t(count) * 4 > Work_Size) {
        return -1;
    }
    return count;
}

// The same for the kinds that have a record table; -1 for the others.
int32_t Record_Count(Addr block)
{
    return Has_Record_Table(W_Get32(block + 8)) ? Table_Count(block) : -1;
}

} // namespace

// The library's one way of running out of memory: a line on the console and exit code -1, with no
// box, so that nothing of the game runs on half a frame.
void Heap_Overflow()
{
    PLAT_WriteStdout("Heap overflow\n");
    PLAT_Exit(-1);
}

void Heap_Init(Addr a) { Heap_Ptr = a; }

Addr Heap_Alloc(uint32_t count) { return Bump(Heap_Ptr, count); }

Addr Mem_Alloc(uint32_t count) { return Bump(Mem_libre, count); }

Addr Get_Mem_Libre() { return Mem_libre; }

uint32_t Get_Mem_Used() { return Mem_libre; }

uint32_t Get_Mem_Free() { return Work_Size - Mem_libre; }

OBJ_Handle Alloc_Handle_Table()
{
    // The limit may have been raised since Init_3D laid the table out; never read past the area.
    for (int32_t i = 0; i < Max_Handle_Tables && W_Fits(Addr(i) * 4, 4); i++) {
        if (W_Get32(Addr(i) * 4) == Free_Entry) {
            W_SetAddr(Addr(i) * 4, Mem_libre);
            return i << 16;
        }
    }
    return -1;
}

uint8_t *Get_Slot_Record(int32_t table, int32_t slot)
{
    Addr block = Live_Block(table);
    if (block == 0 || slot < 0) {
        return nullptr;
    }
    int32_t count = Record_Count(block);
    if (slot >= count) {
        return nullptr;
    }
    Addr record = W_GetAddr(block + OBJ_RECORD_TABLE + Addr(slot) * 4);
    if (record == 0 || record >= Work_Size) {
        return nullptr;
    }
    return W_Ptr(record);
}

uint8_t *Get_Obj_Ptr(OBJ_Handle h)
{
    if (h == -1) {
        return nullptr;
    }
    return Get_Slot_Record(h / 65536, h % 65536);
}

uint8_t *Get_Obj_Ptr_Unchecked(OBJ_Handle h) { return Get_Obj_Ptr(h); }

uint8_t *Get_Table_Count_Ptr(OBJ_Handle h)
{
    Addr block = Live_Block(h / 65536);
    return block == 0 ? nullptr : W_Ptr(block + OBJ_RECORD_COUNT);
}

uint8_t *Get_Table_Entry_Ptr(OBJ_Handle h)
{
    int32_t table = h / 65536;
    if (table < 0 || table >= Max_Handle_Tables || !W_Fits(Addr(table) * 4, 4)) {
        return nullptr;
    }
    return Work_Area + Addr(table) * 4;
}

Addr Get_Obj_Block(OBJ_Handle h)
{
    if (h == -1) {
        return 0;
    }
    Addr block = Live_Block(h / 65536);
    int32_t slot = h % 65536;
    if (block == 0 || slot < 0) {
        return 0;
    }
    int32_t count = Record_Count(block);
    if (count < 0 ? slot != 0 : slot >= count) {
        return 0;
    }
    return block;
}

int32_t Get_Obj_Kind(OBJ_Handle h)
{
    Addr block = Get_Obj_Block(h);
    return block == 0 ? -1 : W_Get32(block + 8);
}

int32_t Get_Block_Size(Addr block)
{
    if (block == 0 || !W_Fits(block, sizeof(OBJ_BlockHeader))) {
        return -1;
    }
    return W_Get32(block + 4);
}

namespace {

// Looks the record up among the block's record pointers: the block's handle + the slot, or -1.
OBJ_Handle Find_In_Block(Addr block, Addr record)
{
    int32_t count = Table_Count(block);
    for (int32_t i = 0; i < count; i++) {
        if (W_GetAddr(block + OBJ_RECORD_TABLE + Addr(i) * 4) == record) {
            return W_Get32(block) + i;
        }
    }
    return -1;
}

} // namespace

// The handle of a record: the first hierarchy block that holds the address is searched; a walk that
// reaches the last block without one searches the last block, whatever it is.
OBJ_Handle Get_Obj_Handle(const void *record)
{
    if (record == nullptr || Work_Area == nullptr) {
        return -1;
    }
    const uint8_t *p = static_cast<const uint8_t *>(record);
    if (p < Work_Area || p >= Work_Area + Work_Size) {
        return -1;
    }
    Addr a = W_Addr(p);
    Addr block = First_Block;
    // Every chained block owns a table entry, so a longer walk means a broken chain.
    for (int32_t steps = 0; block != Last_Block && steps <= Max_Handle_Tables; steps++) {
        if (block == 0 || !W_Fits(block, OBJ_RECORD_TABLE)) {
            return -1;
        }
        int32_t size = W_Get32(block + 4);
        if (W_Get32(block + 8) == OBJ_KIND_HIERARCHY && a > block && uint64_t(a) < uint64_t(block) + uint32_t(size)) {
            return Find_In_Block(block, a);
        }
        block = W_GetAddr(block + 16);
    }
    if (block != Last_Block || block == 0 || !W_Fits(block, OBJ_RECORD_TABLE)) {
        return -1;
    }
    return Find_In_Block(block, a);
}

// Chains the block as the last one and applies the fix-ups of its kind; -1 when a hierarchy's
// materials fail to load.
int32_t Register_Block(Addr block, OBJ_Handle h, int32_t size)
{
    W_SetAddr(block + 16, 0);
    W_Set32(block, h);
    W_Set32(block + 4, size);
    W_SetAddr(block + 12, Last_Block);
    W_SetAddr(Last_Block + 16, block);
    Last_Block = block;
    return Fix_Up_Block(block, h);
}
