// The material name cache: .3DM images shared by name among the objects that use them, with counts.
//
// An entry holds a copy of the material record, the handle of its .3DM image and the address of the
// image's texels. Textured primitive nodes point at that data-pointer word, so a texture is reached
// through the cache and follows any later change of the entry.
#include "engine3d/matcache.h"

#include <cstdio>
#include <cstring>

#include "engine3d/image.h"
#include "engine3d/workarea.h"

Addr Name_Cache;
int32_t Name_Cache_Entries;
int32_t Cache_Count;
char Material_Dir[256];

namespace {

constexpr Addr E_Count = 0, E_Handle = 4, E_Data = 8, E_Material = 12, E_Flags = 56;
constexpr uint32_t Name_Width = 16;

// The entries that are searched: the high-water mark, never past the cache itself.
int32_t Searched() { return Cache_Count < Name_Cache_Entries ? Cache_Count : Name_Cache_Entries; }

bool Same_Name(Addr entry, const char *name)
{
    return std::strncmp(reinterpret_cast<const char *>(W_Ptr(entry + E_Material)), name, Name_Width) == 0;
}

bool In_Use(Addr entry) { return W_Get32(entry + E_Count) != 0; }

// The first entry in use with that name, or 0.
Addr Find_In_Use(const char *name)
{
    for (int32_t i = 0; i < Searched(); i++) {
        Addr e = Cache_Entry(i);
        if (In_Use(e) && Same_Name(e, name)) {
            return e;
        }
    }
    return 0;
}

Addr Find_Loaded(const char *name)
{
    for (int32_t i = 0; i < Searched(); i++) {
        Addr e = Cache_Entry(i);
        if (In_Use(e) && W_GetAddr(e + E_Data) != 0 && Same_Name(e, name)) {
            return e;
        }
    }
    return 0;
}

// Loads material directory + file name + ".3DM" into the entry; -1 when it fails.
int32_t Load_Entry_Image(Addr entry, const char *file_name)
{
    char path[sizeof Material_Dir + Name_Width + 8];
    std::snprintf(path, sizeof path, "%.*s%.*s.3DM", int(sizeof Material_Dir), Material_Dir, int(Name_Width),
                  file_name);
    OBJ_Handle h = Load_Material_Image(path);
    W_Set32(entry + E_Handle, h);
    if (h == -1) {
        return -1;
    }
    W_SetAddr(entry + E_Data, Get_Obj_Block(h) + OBJ_MATERIAL_TEXELS);
    return 0;
}

// A taken entry starts empty: a material without an image must never show the previous one's.
void Take_Entry(Addr entry)
{
    W_Set32(entry + E_Count, 1);
    W_Set32(entry + E_Flags, 0);
    W_Set32(entry + E_Handle, 0);
    W_SetAddr(entry + E_Data, 0);
}

} // namespace

int32_t Load_Materials(Addr body)
{
    int32_t records = W_Get32(body);
    Addr table = body + 4 + Addr(records) * 4;
    int32_t count = W_Get32(table);
    for (int32_t m = 0; m < count; m++) {
        Addr material = table + 4 + Addr(m) * sizeof(OBJ_Material);
        const char *name = reinterpret_cast<const char *>(W_Ptr(material));
        Addr found = Find_In_Use(name);
        if (found != 0) {
            W_Set32(found + E_Count, W_Get32(found + E_Count) + 1);
            continue;
        }
        int32_t index = Searched();
        for (int32_t i = 0; i < Searched(); i++) {
            if (!In_Use(Cache_Entry(i))) {
                index = i;
                break;
            }
        }
        if (index >= Name_Cache_Entries) {
            return -1;
        }
        Addr entry = Cache_Entry(index);
        Take_Entry(entry);
        std::memcpy(W_Ptr(entry + E_Material), W_Ptr(material), sizeof(OBJ_Material));
        const char *file_name = reinterpret_cast<const char *>(W_Ptr(material + 16));
        if (file_name[0] != 0 && Load_Entry_Image(entry, file_name) == -1) {
            return -1;
        }
        if (index == Cache_Count) {
            Cache_Count++;
        }
    }
    Bind_Tree_Materials(W_GetAddr(body + 4));
    return 0;
}

void Bind_Prim_Materials(Addr list)
{
    for (Addr node = list; node != 0; node = W_GetAddr(node)) {
        int32_t type = W_Get32(node + 4);
        uint32_t size = Prim_Face_Size(type);
        if (size == 0) {
            continue;
        }
        Addr entry = Find_In_Use(reinterpret_cast<const char *>(W_Ptr(node + 12)));
        if (size == sizeof(OBJ_Face)) {
            // An unmatched textured node gets no texture rather than a stored word taken for an address.
            W_SetAddr(node + 8, entry != 0 ? entry + E_Data : 0);
        } else if (entry != 0) {
            W_Set32(node + 8, W_Get32(entry + E_Material + 32));
        }
    }
}

void Bind_Tree_Materials(Addr root)
{
    Walk_Hierarchy(root, [](Addr record) { Bind_Prim_Materials(W_GetAddr(record + 164)); });
}

void Release_Materials(Addr block)
{
    int32_t records = W_Get32(block + OBJ_RECORD_COUNT);
    Addr table = block + OBJ_RECORD_TABLE + Addr(records) * 4;
    int32_t count = W_Get32(table);
    for (int32_t m = 0; m < count; m++) {
        const char *name = reinterpret_cast<const char *>(W_Ptr(table + 4 + Addr(m) * sizeof(OBJ_Material)));
        for (int32_t i = 0; i < Searched(); i++) {
            Addr e = Cache_Entry(i);
            if (!Same_Name(e, name)) {
                continue;
            }
            int32_t n = W_Get32(e + E_Count);
            if (n == 0) {
                std::memset(W_Ptr(e + E_Material), 0, 2 * Name_Width);
                continue;
            }
            W_Set32(e + E_Count, n - 1);
            if (n - 1 == 0) {
                // Only a live material image still in the chain is taken out of it.
                OBJ_Handle h = W_Get32(e + E_Handle);
                Addr image = h == 0 || h == -1 ? 0 : Get_Obj_Block(h);
                if (image != 0 && W_Get32(image + 8) == OBJ_KIND_MATERIAL && Block_Is_Chained(image)) {
                    Unchain_Block(image);
                }
            }
            break;
        }
    }
}

uint8_t *Find_Cached_File(const char *name)
{
    for (int32_t i = 0; i < Searched(); i++) {
        Addr e = Cache_Entry(i);
        if (Same_Name(e, name)) {
            return W_Ptr(W_GetAddr(e + E_Data));
        }
    }
    return nullptr;
}

Addr Find_Cached_File_Slot(const char *name)
{
    Addr e = Find_Loaded(name);
    return e == 0 ? 0 : e + E_Data;
}

uint8_t *Find_Cached_Image(const char *name)
{
    Addr e = Find_Loaded(name);
    return e == 0 ? nullptr : W_Ptr(W_GetAddr(e + E_Data) - OBJ_MATERIAL_TEXELS + 20);
}

int32_t Add_Cached_File(const char *name, const char *file_name)
{
    for (int32_t i = 0; i < Searched(); i++) {
        Addr e = Cache_Entry(i);
        if (Same_Name(e, name)) {
            W_Set32(e + E_Count, W_Get32(e + E_Count) + 1);
            return 0;
        }
    }
    if (Cache_Count >= Name_Cache_Entries) {
        return -1;
    }
    Addr e = Cache_Entry(Cache_Count);
    Take_Entry(e);
    char *material = reinterpret_cast<char *>(W_Ptr(e + E_Material));
    std::memset(material, 0, 2 * Name_Width);
    std::strncpy(material, name, Name_Width - 1);
    std::strncpy(material + Name_Width, file_name, Name_Width - 1);
    if (Load_Entry_Image(e, material + Name_Width) == -1) {
        return -1;
    }
    Cache_Count++;
    return 0;
}

int32_t Get_Cache_Count() { return Cache_Count; }

const char *Get_Cache_Name(int32_t index)
{
    if (index < 0 || index >= Name_Cache_Entries) {
        return "";
    }
    return reinterpret_cast<const char *>(W_Ptr(Cache_Entry(index) + E_Material));
}

char *Get_Cache_Name_Field(int32_t index)
{
    if (index < 0 || index >= Name_Cache_Entries) {
        return nullptr;
    }
    return reinterpret_cast<char *>(W_Ptr(Cache_Entry(index) + E_Material));
}

int32_t Is_Cached_File_555(const char *name)
{
    for (int32_t i = 0; i < Searched(); i++) {
        Addr e = Cache_Entry(i);
        if (Same_Name(e, name)) {
            return (uint32_t(W_Get32(e + E_Flags)) & 1) != 0 ? 1 : 0;
        }
    }
    return 0;
}

void Convert_Cache_To_555()
{
    for (int32_t i = 0; i < Name_Cache_Entries; i++) {
        Addr e = Cache_Entry(i);
        Addr data = W_GetAddr(e + E_Data);
        uint32_t flags = uint32_t(W_Get32(e + E_Flags));
        if (!In_Use(e) || data == 0 || (flags & 1) != 0) {
            continue;
        }
        W_Set32(e + E_Flags, int32_t(flags | 1));
        uint8_t *table = W_Ptr(data - 0x8000);
        for (uint32_t k = 0; k < 8192; k++) {
            uint32_t c = uint32_t(P_Get32(table + k * 4)) >> 16;
            uint32_t c555 = ((c >> 11) << 10) | (((c >> 6) & 0x1F) << 5) | (c & 0x1F);
            P_Set32(table + k * 4, int32_t(c555 << 16));
        }
    }
}
