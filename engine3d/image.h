// 3D file images: loading through the file source, validation, relocation by block kind, clones and
// deletion.
#pragma once
#include <cstdint>

#include "engine3d/records.h"
#include "engine3d/workarea.h"

// The file source: (name, destination, room) -> the file's length with its first 8 bytes skipped
// and length - 8 bytes written, 0 when it refuses, -1 when the file is found nowhere.
using OBJ_FileSource = int32_t (*)(const char *name, void *destination, int32_t room);
// Replaces the file source for tests and tools; null puts the game's own back.
void Set_File_Source(OBJ_FileSource source);
// A source that writes exactly the count it returns (an unpacked image, a bound map) says so during
// its call: the image is then checked over that many bytes instead of the result - 8. The room checks
// and Mem_libre still go by the result. Cleared before each call of the source.
void Set_Source_Written(int32_t written);

OBJ_Handle Load_Obj(const char *name);
// The same for a .3DM named by a material: anything but a whole material image is refused.
OBJ_Handle Load_Material_Image(const char *path);
OBJ_Handle Clone_Obj(OBJ_Handle h);
int32_t Delete_Obj(OBJ_Handle h);

// The kind fix-ups of Register_Block; -1 when the materials of a hierarchy fail to load.
int32_t Fix_Up_Block(Addr block, OBJ_Handle h);
int32_t Register_Clone(Addr copy, OBJ_Handle h, int32_t size, Addr distance);

void Relocate_Offsets(Addr block);
void Relocate_Kind4(Addr block);
void Relocate_Kind6(Addr block);
void Relocate_Kind5(Addr block, OBJ_Handle h);
// Pointer words moved by `base`: at load from the image's offsets (the node's stored type is noted
// then), later for a clone or a compaction (the records step by their stored type).
void Relocate_Tree(Addr root, Addr base, bool at_load);
void Relocate_Obj(Addr record, Addr base, bool at_load);
void Relocate_Prims(Addr list, Addr base, bool at_load);
// The type whose records a node holds, noted at load: a face node's own, an edge node's that of the
// face node of list A that names it (its current type when none does).
int32_t Face_Node_Stored_Type(Addr node);
int32_t Edge_Node_Stored_Type(Addr node, Addr list_a);
void Relocate_Prims_B(Addr list, Addr base, Addr list_a, bool at_load);

// 1 when a stored image of that many written bytes may be relocated: every offset and count checked.
int32_t Validate_Image(Addr image, uint32_t written);

// Calls the routine with the native address of each item of the object.
int32_t For_Each_Obj_Item(OBJ_Handle h, void (*routine)(void *item));

// The dormant compaction: every block moved down against the one before it, so that the holes that
// Delete_Obj leaves are given back; nothing in the game calls it. A collision mesh stays where it is.
void Compact_Blocks();
// Moves the block after `block` down by `distance` bytes, with every pointer that names it.
void Move_Block(Addr block, Addr distance);

// The chain: whether a block is still in it, and taking it out.
bool Block_Is_Chained(Addr block);
void Unchain_Block(Addr block);

// Record fields by offset.
inline Addr R_Field(Addr record, uint32_t offset) { return W_GetAddr(record + offset); }

// The load-time walk of a hierarchy: pre-order from the root, ends at a null parent. Bounded, so a
// hierarchy changed into a loop at run time cannot hang it.
template <typename Visit> void Walk_Hierarchy(Addr root, Visit visit)
{
    Addr cur = root;
    bool down = true;
    for (uint32_t steps = 0; cur != 0 && steps < 0x1000000; steps++) {
        if (down) {
            visit(cur);
            Addr child = R_Field(cur, 20);
            if (child != 0) {
                cur = child;
            } else {
                down = false;
            }
        } else {
            Addr sibling = R_Field(cur, 24);
            if (sibling != 0) {
                cur = sibling;
                down = true;
            } else {
                cur = R_Field(cur, 16);
            }
        }
    }
}
