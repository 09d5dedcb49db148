// 3D file images: loading through the file source, validation, relocation by block kind, clones and
// deletion.
//
// An image is read whole into the work area at Mem_libre and made usable by turning its stored
// offsets into work-area offsets in place. Nothing in an image is trusted: before a single offset is
// moved, Validate_Image checks that every count fits and every offset names an element of an array of
// the type its field expects, so that relocation, the renderer and the collision code only ever follow
// offsets that stay inside the image. A refused image leaves nothing behind.
#include "engine3d/image.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "engine3d/coll.h"
#include "engine3d/matcache.h"
#include "engine3d/object.h"
#include "world/mdl.h"

namespace {

OBJ_FileSource File_Source = MDL_FileHook;
int32_t Source_Written = -1; // what the source reported writing during its last call; -1: nothing

// ---- Validation --------------------------------------------------------------------------------

enum Tag : uint8_t {
    T_RECORD,
    T_VERTS,
    T_ITEMS,
    T_VNORMS,
    T_FNORMS,
    T_BOXES,
    T_NODE_A,
    T_NODE_B,
    T_FACES,
    T_EDGES,
    T_TRACK,
    T_ROT_KEYS,
    T_POS_KEYS,
    T_REC2,
};

// Arrays without pointers inside may be named by several owners; the others have exactly one.
bool Plain(Tag t)
{
    return t == T_VERTS || t == T_ITEMS || t == T_VNORMS || t == T_FNORMS || t == T_BOXES || t == T_ROT_KEYS ||
           t == T_POS_KEYS || t == T_REC2;
}

// A typed array of the image: [start, end) relative to the image, elements of size bytes.
struct Span {
    uint64_t start, end;
    uint32_t size;
    Tag tag;
    uint8_t visited;
};

// Reused from load to load, so that a level's loads allocate only while the largest image grows it.
std::vector<Span> Spans;

struct Checker {
    const uint8_t *image;
    uint64_t written;
    uint64_t data_start = 0;
    bool ok = true;

    int32_t get(uint64_t off)
    {
        if (off + 4 > written) {
            ok = false;
            return 0;
        }
        return P_Get32(image + off);
    }
    uint32_t getu(uint64_t off) { return static_cast<uint32_t>(get(off)); }

    bool fail()
    {
        ok = false;
        return false;
    }

    // A name field that holds its terminator.
    bool named(uint64_t off, uint32_t width)
    {
        if (off + width > written || std::memchr(image + off, 0, width) == nullptr) {
            return fail();
        }
        return true;
    }

    // An array of count elements at start: inside the data area; recorded when not empty.
    bool add(uint64_t start, int64_t count, uint32_t size, Tag tag)
    {
        if (count < 0 || start < data_start || start + uint64_t(count) * size > written) {
            return fail();
        }
        if (count > 0) {
            Spans.push_back({start, start + uint64_t(count) * size, size, tag, 0});
        }
        return true;
    }

    // Sorts the arrays and refuses any overlap, but for plain arrays of one type that share elements.
    bool settle()
    {
        std::sort(Spans.begin(), Spans.end(),
                  [](const Span &a, const Span &b) { return a.start != b.start ? a.start < b.start : a.end > b.end; });
        size_t out = 0;
        for (size_t i = 0; i < Spans.size(); i++) {
            const Span &s = Spans[i];
            if (out > 0 && s.start < Spans[out - 1].end) {
                Span &last = Spans[out - 1];
                if (!Plain(s.tag) || s.tag != last.tag || s.size != last.size || (s.start - last.start) % s.size != 0) {
                    return fail();
                }
                last.end = std::max(last.end, s.end);
                continue;
            }
            Spans[out++] = s;
        }
        Spans.resize(out);
        return ok;
    }

    // The array element that off names, of the given type (and element size, when not 0).
    Span *find(uint64_t off, Tag tag, uint32_t size = 0)
    {
        auto it = std::upper_bound(Spans.begin(), Spans.end(), off,
                                   [](uint64_t v, const Span &s) { return v < s.start; });
        if (it == Spans.begin()) {
            return nullptr;
        }
        --it;
        if (off >= it->end || it->tag != tag || (size != 0 && it->size != size) || (off - it->start) % it->size != 0) {
            return nullptr;
        }
        return &*it;
    }

    bool expect(uint64_t off, Tag tag, uint32_t size = 0)
    {
        if (find(off, tag, size) == nullptr) {
            return fail();
        }
        return true;
    }
};

// Kind-1 inner offsets count from 1 at record 0; 0 is null.
uint64_t Inner(uint64_t rec0, uint32_t p) { return rec0 + p - 1; }

constexpr uint32_t Record_Size = sizeof(OBJ_Record);

struct ArrayField {
    uint32_t count, pointer, size;
    Tag tag;
};
constexpr ArrayField Record_Arrays[] = {
    {124, 128, sizeof(OBJ_Vertex), T_VERTS},   {132, 136, sizeof(OBJ_Item), T_ITEMS},
    {140, 144, sizeof(OBJ_Normal), T_VNORMS},  {148, 152, sizeof(OBJ_Normal), T_FNORMS},
    {156, 160, sizeof(OBJ_CollBox), T_BOXES},
};

// Walks a primitive list as stored, calling visit(node offset) on each node; a list longer than the
// image could hold is a loop.
template <typename Visit> bool Walk_List(Checker &c, uint64_t rec0, uint32_t head, uint32_t node_size, Visit visit)
{
    uint64_t limit = c.written / node_size + 1;
    for (uint32_t p = head; p != 0 && c.ok; p = c.getu(Inner(rec0, p))) {
        if (limit-- == 0) {
            return c.fail();
        }
        visit(Inner(rec0, p));
    }
    return c.ok;
}

// The faces or edges of a node are drawn by following their next links from the first of the array;
// the links stay inside the array, so a chain longer than the array is a loop and the drawing would
// never end: the file is refused.
void Chain_Ends(Checker &c, uint64_t rec0, uint64_t first, uint32_t link, int32_t count)
{
    if (count <= 0) {
        return;
    }
    uint64_t at = first;
    for (int64_t steps = 0; c.ok; steps++) {
        if (steps >= int64_t(count)) {
            c.fail();
            return;
        }
        const uint32_t next = c.getu(at + link);
        if (next == 0) {
            return;
        }
        at = Inner(rec0, next);
    }
}

bool Validate_Hierarchy(Checker &c)
{
    int32_t count = c.get(20);
    if (!c.ok || count < 1) {
        return c.fail();
    }
    uint64_t table_end = 24 + uint64_t(count) * 4;
    int32_t materials = c.get(table_end);
    if (!c.ok || materials < 0 || table_end + 4 + uint64_t(materials) * sizeof(OBJ_Material) > c.written) {
        return c.fail();
    }
    for (int32_t m = 0; m < materials; m++) {
        uint64_t rec = table_end + 4 + uint64_t(m) * sizeof(OBJ_Material);
        c.named(rec, 16);
        c.named(rec + 16, 16);
    }
    c.data_start = table_end + 4 + uint64_t(materials) * sizeof(OBJ_Material);
    uint64_t rec0 = 20 + uint64_t(c.getu(24));

    // Every array the records name.
    for (int32_t i = 0; i < count && c.ok; i++) {
        uint64_t r = 20 + uint64_t(c.getu(24 + uint64_t(i) * 4));
        if (!c.add(r, 1, Record_Size, T_RECORD) || !c.named(r, 12)) {
            return false;
        }
        // An array of no elements is never read, but its pointer is still relocated and walked past:
        // it must still point into the data.
        auto empty_inside = [&](uint32_t p) {
            uint64_t at = Inner(rec0, p);
            return p == 0 || (at >= c.data_start && at <= c.written);
        };
        for (const ArrayField &f : Record_Arrays) {
            int32_t n = c.get(r + f.count);
            uint32_t p = c.getu(r + f.pointer);
            if (n != 0 && p == 0) {
                return c.fail();
            }
            if (n == 0) {
                if (!empty_inside(p)) {
                    return c.fail();
                }
            } else if (p != 0) {
                c.add(Inner(rec0, p), n, f.size, f.tag);
            }
        }
        Walk_List(c, rec0, c.getu(r + 164), sizeof(OBJ_PrimNode), [&](uint64_t a) {
            if (!c.add(a, 1, sizeof(OBJ_PrimNode), T_NODE_A) || !c.named(a + 12, 16)) {
                return;
            }
            uint32_t size = Prim_Face_Size(c.get(a + 4));
            int32_t n = c.get(a + 28);
            uint32_t p = c.getu(a + 32);
            if (size == 0 || n < 0 || (n > 0 && p == 0) || (n == 0 && !empty_inside(p))) {
                c.fail();
            } else if (n > 0) {
                c.add(Inner(rec0, p), n, size, T_FACES);
            }
        });
        Walk_List(c, rec0, c.getu(r + 168), sizeof(OBJ_EdgeNode), [&](uint64_t a) {
            if (!c.add(a, 1, sizeof(OBJ_EdgeNode), T_NODE_B)) {
                return;
            }
            uint32_t size = Prim_Edge_Size(c.get(a + 4));
            int32_t n = c.get(a + 8);
            uint32_t p = c.getu(a + 12);
            if (size == 0 || n < 0 || (n > 0 && p == 0) || (n == 0 && !empty_inside(p))) {
                c.fail();
            } else if (n > 0) {
                c.add(Inner(rec0, p), n, size, T_EDGES);
            }
        });
    }
    if (!c.ok || !c.settle()) {
        return false;
    }

    // Every pointer names an element of the right type.
    for (int32_t i = 0; i < count && c.ok; i++) {
        uint64_t r = 20 + uint64_t(c.getu(24 + uint64_t(i) * 4));
        for (uint32_t link : {16u, 20u, 24u}) {
            uint32_t p = c.getu(r + link);
            if (p != 0) {
                c.expect(Inner(rec0, p), T_RECORD);
            }
        }
        Walk_List(c, rec0, c.getu(r + 164), sizeof(OBJ_PrimNode), [&](uint64_t a) {
            int32_t type = c.get(a + 4);
            uint32_t size = Prim_Face_Size(type);
            uint32_t edge = Prim_Edge_Size(type);
            int32_t n = c.get(a + 28);
            uint64_t faces = Inner(rec0, c.getu(a + 32));
            c.expect(Inner(rec0, c.getu(a + 48)), T_NODE_B);
            for (int32_t k = 0; k < n && c.ok; k++) {
                uint64_t f = faces + uint64_t(k) * size;
                uint32_t next = c.getu(f + 4);
                if (next != 0) {
                    uint64_t at = Inner(rec0, next);
                    if (at < faces || at >= faces + uint64_t(n) * size || (at - faces) % size != 0) {
                        c.fail();
                    }
                }
                for (uint32_t corner = 0; corner < 3; corner++) {
                    c.expect(Inner(rec0, c.getu(f + 8 + corner * 12)), T_VERTS);
                    uint32_t normal = c.getu(f + 12 + corner * 12);
                    if (normal != 0) {
                        c.expect(Inner(rec0, normal), T_VNORMS);
                    }
                    c.expect(Inner(rec0, c.getu(f + 16 + corner * 12)), T_EDGES, edge);
                }
                c.expect(Inner(rec0, c.getu(f + 44)), T_FNORMS);
                if (size == sizeof(OBJ_Face)) {
                    for (uint32_t w = 52; w <= 60; w += 4) {
                        c.expect(Inner(rec0, c.getu(f + w)), T_ITEMS);
                    }
                }
            }
            Chain_Ends(c, rec0, faces, 4, n);
        });
        Walk_List(c, rec0, c.getu(r + 168), sizeof(OBJ_EdgeNode), [&](uint64_t a) {
            uint32_t size = Prim_Edge_Size(c.get(a + 4));
            int32_t n = c.get(a + 8);
            uint64_t edges = Inner(rec0, c.getu(a + 12));
            for (int32_t k = 0; k < n && c.ok; k++) {
                uint64_t e = edges + uint64_t(k) * size;
                uint32_t next = c.getu(e);
                if (next != 0) {
                    uint64_t at = Inner(rec0, next);
                    if (at < edges || at >= edges + uint64_t(n) * size || (at - edges) % size != 0) {
                        c.fail();
                    }
                }
                c.expect(Inner(rec0, c.getu(e + 28)), T_VERTS);
                c.expect(Inner(rec0, c.getu(e + 32)), T_VERTS);
            }
            Chain_Ends(c, rec0, edges, 0, n);
        });
    }
    if (!c.ok || c.get(rec0 + 16) != 0) {
        return c.fail();
    }

    // The hierarchy is a tree from record 0 that reaches every record once.
    uint64_t cur = rec0;
    bool down = true;
    uint64_t steps = 3 * uint64_t(count) + 3;
    while (c.ok) {
        if (steps-- == 0) {
            return c.fail();
        }
        if (down) {
            Span *s = c.find(cur, T_RECORD);
            if (s == nullptr || s->visited) {
                return c.fail();
            }
            s->visited = 1;
            uint32_t child = c.getu(cur + 20);
            if (child != 0) {
                cur = Inner(rec0, child);
            } else {
                down = false;
            }
        } else {
            uint32_t sibling = c.getu(cur + 24);
            if (sibling != 0) {
                cur = Inner(rec0, sibling);
                down = true;
            } else {
                uint32_t parent = c.getu(cur + 16);
                if (parent == 0) {
                    break;
                }
                cur = Inner(rec0, parent);
            }
        }
    }
    for (const Span &s : Spans) {
        if (s.tag == T_RECORD && !s.visited) {
            return c.fail();
        }
    }
    return c.ok;
}

bool Validate_Tracks(Checker &c, uint32_t rot_size, uint32_t pos_size)
{
    int32_t count = c.get(20);
    if (!c.ok || count < 0 || 24 + uint64_t(count) * 4 > c.written) {
        return c.fail();
    }
    c.data_start = 24 + uint64_t(count) * 4;
    for (int32_t i = 0; i < count && c.ok; i++) {
        uint64_t t = 20 + uint64_t(c.getu(24 + uint64_t(i) * 4));
        if (!c.add(t, 1, sizeof(OBJ_Track), T_TRACK)) {
            return false;
        }
        c.add(20 + uint64_t(c.getu(t + 12)), c.get(t + 4), rot_size, T_ROT_KEYS);
        c.add(20 + uint64_t(c.getu(t + 16)), c.get(t + 8), pos_size, T_POS_KEYS);
    }
    return c.ok && c.settle();
}

bool Validate_Records(Checker &c)
{
    int32_t count = c.get(20);
    if (!c.ok || count < 0 || 24 + uint64_t(count) * 4 > c.written) {
        return c.fail();
    }
    c.data_start = 24 + uint64_t(count) * 4;
    for (int32_t i = 0; i < count && c.ok; i++) {
        c.add(20 + uint64_t(c.getu(24 + uint64_t(i) * 4)), 1, 12, T_REC2);
    }
    return c.ok && c.settle();
}

// Kind-5 offsets count from 1 at image offset 20; 0 is invalid.
bool Mesh_Pointer(Checker &c, uint32_t p, uint64_t bytes)
{
    if (p == 0 || 19 + uint64_t(p) + bytes > c.written) {
        return c.fail();
    }
    return true;
}

bool Validate_Mesh(Checker &c)
{
    constexpr uint64_t body_end = 20 + sizeof(OBJ_CollMesh);
    if (c.written < body_end) {
        return c.fail();
    }
    Mesh_Pointer(c, c.getu(24), 1);
    Mesh_Pointer(c, c.getu(40), 1);
    int32_t n = c.get(28);
    uint32_t tris = c.getu(32);
    if (!c.ok || n < 0 || (n > 0 && tris == 0)) {
        return c.fail();
    }
    if (n == 0) {
        return true;
    }
    uint64_t first = 19 + uint64_t(tris);
    if (first < body_end || first + uint64_t(n) * sizeof(OBJ_CollTri) > c.written) {
        return c.fail();
    }
    for (int32_t k = 0; k < n && c.ok; k++) {
        uint64_t t = first + uint64_t(k) * sizeof(OBJ_CollTri);
        for (uint32_t w = 0; w < 4; w++) {
            Mesh_Pointer(c, c.getu(t + w * 4), 12);
        }
        if (c.get(t + 68) != 1) {
            return c.fail();
        }
    }
    return c.ok;
}

// ---- Loading ------------------------------------------------------------------------------------

// What a load may have to give back: the cache before its materials, the chain and Mem_libre.
struct Snapshot {
    Addr mem_libre, last_block;
    int32_t cache_count;
};
std::vector<uint8_t> Cache_Copy;

Snapshot Take_Snapshot(bool with_cache)
{
    Snapshot s{Mem_libre, Last_Block, Cache_Count};
    if (with_cache && Name_Cache_Entries > 0) {
        uint8_t *cache = W_Ptr(Name_Cache);
        Cache_Copy.assign(cache, cache + size_t(Name_Cache_Entries) * sizeof(OBJ_NameCacheEntry));
    }
    return s;
}

void Free_Table_Entry(OBJ_Handle h)
{
    uint8_t *entry = Get_Table_Entry_Ptr(h);
    if (entry != nullptr) {
        P_Set32(entry, -1);
    }
}

// Gives back every block chained since the snapshot, their table entries and the cache.
void Restore_Snapshot(const Snapshot &s, bool with_cache)
{
    Addr b = W_GetAddr(s.last_block + 16);
    for (int32_t steps = 0; b != 0 && steps <= Max_Handle_Tables; steps++) {
        Free_Table_Entry(W_Get32(b));
        b = W_GetAddr(b + 16);
    }
    W_SetAddr(s.last_block + 16, 0);
    Last_Block = s.last_block;
    Mem_libre = s.mem_libre;
    Cache_Count = s.cache_count;
    if (with_cache && !Cache_Copy.empty()) {
        std::memcpy(W_Ptr(Name_Cache), Cache_Copy.data(), Cache_Copy.size());
    }
}

OBJ_Handle Load_Image(const char *name, bool material)
{
    OBJ_Handle h = Alloc_Handle_Table();
    if (h == -1) {
        return -1;
    }
    int64_t room = int64_t(Work_Size) - int64_t(Mem_libre) - 20;
    if (room < 0) {
        room = 0;
    }
    Addr image = Mem_libre;
    Source_Written = -1;
    int32_t length = File_Source(name, Work_Area + image, int32_t(room));
    // A file source writes length - 8 bytes: the prefix is skipped. Anything shorter than the prefix
    // and a header, or not below the room, never gave a whole image.
    if (length < 28 || int64_t(length) >= room) {
        Free_Table_Entry(h);
        return -1;
    }
    // A source that unpacks or binds writes all it returns; it cannot have written more.
    uint32_t written = uint32_t(length) - 8;
    if (Source_Written >= 0) {
        written = uint32_t(Source_Written) < uint32_t(length) ? uint32_t(Source_Written) : uint32_t(length);
    }
    int32_t kind = W_Get32(image + 8);
    bool ok = material ? kind == OBJ_KIND_MATERIAL && written >= OBJ_MATERIAL_SIZE : Validate_Image(image, written);
    if (!ok) {
        Free_Table_Entry(h);
        return -1;
    }
    bool with_cache = kind == OBJ_KIND_HIERARCHY;
    Snapshot s = Take_Snapshot(with_cache);
    Mem_libre += uint32_t(length);
    if (Register_Block(image, h, length) == -1) {
        Restore_Snapshot(s, with_cache);
        return -1;
    }
    return h;
}

bool In_Block(Addr a, Addr block, int32_t size) { return a >= block && uint64_t(a) < uint64_t(block) + uint32_t(size); }

// A link of a copied record that names a record of another block is moved along that record's
// siblings to the first one inside the source block, or to none: the copy keeps its own hierarchy.
void Drop_Foreign_Link(Addr field, Addr source, int32_t size)
{
    Addr v = W_GetAddr(field);
    for (uint32_t steps = 0; v != 0 && !In_Block(v, source, size); steps++) {
        if (steps > 0x100000 || !W_Fits(v, Record_Size)) {
            v = 0;
            break;
        }
        v = W_GetAddr(v + 24);
    }
    W_SetAddr(field, v);
}

} // namespace

void Set_File_Source(OBJ_FileSource source) { File_Source = source != nullptr ? source : MDL_FileHook; }

void Set_Source_Written(int32_t written) { Source_Written = written; }

int32_t Validate_Image(Addr image, uint32_t written)
{
    if (written < sizeof(OBJ_BlockHeader) || !W_Fits(image, written)) {
        return 0;
    }
    Checker c{W_Ptr(image), written};
    Spans.clear();
    switch (c.get(8)) {
    case OBJ_KIND_HIERARCHY:
        return Validate_Hierarchy(c);
    case OBJ_KIND_RECORDS:
        return Validate_Records(c);
    case OBJ_KIND_MATERIAL:
        return written >= OBJ_MATERIAL_SIZE;
    case OBJ_KIND_TRACKS:
        return Validate_Tracks(c, sizeof(OBJ_RotKey), sizeof(OBJ_PosKey));
    case OBJ_KIND_MESH:
        return Validate_Mesh(c);
    case OBJ_KIND_SPLINES:
        return Validate_Tracks(c, sizeof(OBJ_RotKeySpline), sizeof(OBJ_PosKeySpline));
    default:
        // Kinds the library does not know are kept as they are.
        return 1;
    }
}

OBJ_Handle Load_Obj(const char *name) { return Load_Image(name, false); }

OBJ_Handle Load_Material_Image(const char *path) { return Load_Image(path, true); }

// ---- Relocation ---------------------------------------------------------------------------------

void Relocate_Offsets(Addr block)
{
    int32_t count = W_Get32(block + OBJ_RECORD_COUNT);
    Addr base = block + 20;
    for (int32_t i = 0; i < count; i++) {
        Addr at = block + OBJ_RECORD_TABLE + Addr(i) * 4;
        W_SetAddr(at, W_GetAddr(at) + base);
    }
}

void Relocate_Kind4(Addr block)
{
    int32_t count = W_Get32(block + OBJ_RECORD_COUNT);
    Addr base = block + 20;
    for (int32_t i = 0; i < count; i++) {
        Addr track = W_GetAddr(block + OBJ_RECORD_TABLE + Addr(i) * 4);
        W_SetAddr(track + 12, W_GetAddr(track + 12) + base);
        W_SetAddr(track + 16, W_GetAddr(track + 16) + base);
    }
}

void Relocate_Kind6(Addr block) { Relocate_Kind4(block); }

void Relocate_Kind5(Addr block, OBJ_Handle h)
{
    Addr body = block + 20;
    Addr base = block + 19;
    W_Set32(body + 24, h);
    for (Addr w : {4u, 12u, 20u}) {
        W_SetAddr(body + w, W_GetAddr(body + w) + base);
    }
    int32_t n = W_Get32(body + 8);
    Addr tris = W_GetAddr(body + 12);
    for (int32_t k = 0; k < n; k++) {
        Addr t = tris + Addr(k) * sizeof(OBJ_CollTri);
        for (Addr w : {0u, 4u, 8u, 12u, 68u}) {
            W_SetAddr(t + w, W_GetAddr(t + w) + base);
        }
    }
}

namespace {

void Add_Unless_Null(Addr at, Addr base)
{
    Addr v = W_GetAddr(at);
    if (v != 0) {
        W_SetAddr(at, v + base);
    }
}

void Add_Base(Addr at, Addr base) { W_SetAddr(at, W_GetAddr(at) + base); }

} // namespace

// The type a node's records were stored with. A node's type may change after load (the render makes
// 22 and 25 into 24, the object API retypes), but its records keep their stored sizes: the load notes
// the stored type in the node's unused word, and every later move of the records steps by it.
constexpr Addr Node_Stored_Type = 40;

int32_t Face_Node_Stored_Type(Addr node) { return W_Get32(node + Node_Stored_Type); }

void Relocate_Prims(Addr list, Addr base, bool at_load)
{
    for (Addr node = list; node != 0; node = W_GetAddr(node)) {
        if (at_load) {
            W_Set32(node + Node_Stored_Type, W_Get32(node + 4));
        }
        uint32_t size = Prim_Face_Size(W_Get32(node + Node_Stored_Type));
        if (size == 0) {
            continue;
        }
        Add_Unless_Null(node, base);
        int32_t n = W_Get32(node + 28);
        if (n != 0) {
            Add_Base(node + 32, base);
        } else {
            W_SetAddr(node + 32, 0);
        }
        Add_Base(node + 48, base);
        Addr faces = W_GetAddr(node + 32);
        for (int32_t k = 0; k < n; k++) {
            uint8_t *f = W_Ptr(faces + Addr(k) * size);
            Addr v = Addr(P_Get32(f + 4));
            if (v != 0) {
                P_Set32(f + 4, int32_t(v + base));
            }
            for (uint32_t w = 8; w <= 44; w += 4) {
                P_Set32(f + w, int32_t(Addr(P_Get32(f + w)) + base));
            }
            if (size == sizeof(OBJ_Face)) {
                for (uint32_t w = 52; w <= 60; w += 4) {
                    P_Set32(f + w, int32_t(Addr(P_Get32(f + w)) + base));
                }
            }
        }
    }
}

// The stored type of a list-B node is its face node's (list A, already moved, names it).
int32_t Edge_Node_Stored_Type(Addr node, Addr list_a)
{
    for (Addr a = list_a; a != 0; a = W_GetAddr(a)) {
        if (W_GetAddr(a + 48) == node) {
            return W_Get32(a + Node_Stored_Type);
        }
    }
    return W_Get32(node + 4);
}

void Relocate_Prims_B(Addr list, Addr base, Addr list_a, bool at_load)
{
    for (Addr node = list; node != 0; node = W_GetAddr(node)) {
        uint32_t size = Prim_Edge_Size(at_load ? W_Get32(node + 4) : Edge_Node_Stored_Type(node, list_a));
        if (size == 0) {
            continue;
        }
        if (at_load) {
            W_Set32(node + 16, 0);
        }
        Add_Unless_Null(node, base);
        Add_Base(node + 12, base);
        int32_t n = W_Get32(node + 8);
        Addr edges = W_GetAddr(node + 12);
        for (int32_t k = 0; k < n; k++) {
            uint8_t *e = W_Ptr(edges + Addr(k) * size);
            Addr v = Addr(P_Get32(e));
            if (v != 0) {
                P_Set32(e, int32_t(v + base));
            }
            P_Set32(e + 28, int32_t(Addr(P_Get32(e + 28)) + base));
            P_Set32(e + 32, int32_t(Addr(P_Get32(e + 32)) + base));
        }
    }
}

void Relocate_Obj(Addr record, Addr base, bool at_load)
{
    for (Addr field : {128u, 136u, 144u, 152u, 160u, 164u, 168u, 16u, 20u, 24u}) {
        Add_Unless_Null(record + field, base);
    }
    Relocate_Prims(W_GetAddr(record + 164), base, at_load);
    Relocate_Prims_B(W_GetAddr(record + 168), base, W_GetAddr(record + 164), at_load);
}

void Relocate_Tree(Addr root, Addr base, bool at_load)
{
    Walk_Hierarchy(root, [base, at_load](Addr record) { Relocate_Obj(record, base, at_load); });
}

int32_t Fix_Up_Block(Addr block, OBJ_Handle h)
{
    int32_t kind = W_Get32(block + 8);
    if (kind == OBJ_KIND_HIERARCHY || kind == OBJ_KIND_RECORDS || kind == OBJ_KIND_TRACKS || kind == OBJ_KIND_SPLINES) {
        Relocate_Offsets(block);
    }
    if (kind == OBJ_KIND_TRACKS) {
        Relocate_Kind4(block);
    } else if (kind == OBJ_KIND_SPLINES) {
        Relocate_Kind6(block);
    } else if (kind == OBJ_KIND_MESH) {
        Relocate_Kind5(block, h);
    } else if (kind == OBJ_KIND_HIERARCHY) {
        Addr rec0 = W_GetAddr(block + OBJ_RECORD_TABLE);
        Relocate_Tree(rec0, rec0 - 1, true);
        return Load_Materials(block + 20);
    }
    return 0;
}

// ---- Clones and deletion ------------------------------------------------------------------------

int32_t Register_Clone(Addr copy, OBJ_Handle h, int32_t size, Addr distance)
{
    Addr source = copy - distance;
    W_SetAddr(copy + 16, 0);
    W_Set32(copy, h);
    W_Set32(copy + 4, size);
    W_SetAddr(copy + 12, Last_Block);
    W_SetAddr(Last_Block + 16, copy);
    Last_Block = copy;
    int32_t kind = W_Get32(copy + 8);
    if (kind != OBJ_KIND_HIERARCHY && kind != OBJ_KIND_RECORDS && kind != OBJ_KIND_TRACKS && kind != OBJ_KIND_SPLINES) {
        return 0;
    }
    int32_t count = W_Get32(copy + OBJ_RECORD_COUNT);
    for (int32_t i = 0; i < count; i++) {
        Add_Base(copy + OBJ_RECORD_TABLE + Addr(i) * 4, distance);
    }
    if (kind != OBJ_KIND_HIERARCHY) {
        return 0;
    }
    for (int32_t i = 0; i < count; i++) {
        Addr record = W_GetAddr(copy + OBJ_RECORD_TABLE + Addr(i) * 4);
        Drop_Foreign_Link(record + 20, source, size);
        Drop_Foreign_Link(record + 24, source, size);
    }
    Addr rec0 = W_GetAddr(copy + OBJ_RECORD_TABLE);
    if (W_Get32(rec0 + 12) & OBJ_FLAG_CAMERA) {
        return 0;
    }
    W_SetAddr(rec0 + 16, 0);
    W_SetAddr(rec0 + 24, 0);
    Relocate_Tree(rec0, distance, false);
    return Load_Materials(copy + 20);
}

OBJ_Handle Clone_Obj(OBJ_Handle h)
{
    Addr block = Get_Obj_Block(h);
    if (block == 0 || W_Get32(block + 8) != OBJ_KIND_HIERARCHY) {
        return -1;
    }
    uint32_t size = uint32_t(W_Get32(block + 4));
    if (uint64_t(size) > uint64_t(Work_Size) - Mem_libre) {
        return -1;
    }
    OBJ_Handle copy_h = Alloc_Handle_Table();
    if (copy_h == -1) {
        return -1;
    }
    Snapshot s = Take_Snapshot(true);
    Addr copy = Mem_libre;
    std::memmove(W_Ptr(copy), W_Ptr(block), size);
    Mem_libre += size;
    if (Register_Clone(copy, copy_h, int32_t(size), copy - block) == -1) {
        Restore_Snapshot(s, true);
        return -1;
    }
    W_SetAddr(W_GetAddr(copy + OBJ_RECORD_TABLE) + 24, 0);
    return copy_h;
}

bool Block_Is_Chained(Addr block)
{
    Addr b = First_Block;
    for (int32_t steps = 0; b != 0 && steps <= Max_Handle_Tables; steps++) {
        if (b == block) {
            return true;
        }
        b = W_GetAddr(b + 16);
    }
    return false;
}

void Unchain_Block(Addr block)
{
    Addr previous = W_GetAddr(block + 12);
    Addr next = W_GetAddr(block + 16);
    if (previous != 0) {
        W_SetAddr(previous + 16, next);
    }
    if (next != 0) {
        W_SetAddr(next + 12, previous);
    } else {
        Last_Block = previous;
    }
}



int32_t Delete_Obj(OBJ_Handle h)
{
    Addr block = Get_Obj_Block(h);
    if (block == 0 || h / 65536 == 0) {
        return -1;
    }
    int32_t kind = W_Get32(block + 8);
    if (kind == OBJ_KIND_HIERARCHY) {
        Release_Materials(block);
        Unlink_Obj(W_Get32(block));
    } else if (kind == OBJ_KIND_MESH) {
        Coll_Remove_Mesh(W_Get32(block));
    }
    Free_Table_Entry(h);
    Unchain_Block(block);
    return 0;
}

// ---- Compaction ---------------------------------------------------------------------------------

namespace {

// A pointer word that names a byte of the moved block [from, from + size) moves with it.
void Move_If_Inside(Addr at, Addr from, uint32_t size, Addr distance)
{
    Addr v = W_GetAddr(at);
    if (v >= from && uint64_t(v) < uint64_t(from) + size) {
        W_SetAddr(at, v - distance);
    }
}

// The link that names `old_record` in the child list of `parent` (its first child, or a sibling's next)
// now names `new_record`.
void Relink_Child(Addr parent, Addr old_record, Addr new_record)
{
    Addr at = parent + 20;
    for (uint32_t steps = 0; steps < 0x100000; steps++) {
        Addr v = W_GetAddr(at);
        if (v == 0 || !W_Fits(v, Record_Size)) {
            return;
        }
        if (v == old_record) {
            W_SetAddr(at, new_record);
            return;
        }
        at = v + 24;
    }
}

// A record moved down by `distance`: its arrays and primitive lists as at load, its links only where
// they name a record of the block.
void Move_Record(Addr record, Addr from, uint32_t size, Addr distance)
{
    const Addr back = Addr(0) - distance;
    for (Addr field : {128u, 136u, 144u, 152u, 160u, 164u, 168u}) {
        Add_Unless_Null(record + field, back);
    }
    Relocate_Prims(W_GetAddr(record + 164), back, false);
    Relocate_Prims_B(W_GetAddr(record + 168), back, W_GetAddr(record + 164), false);
    for (Addr link : {16u, 20u, 24u}) {
        Move_If_Inside(record + link, from, size, distance);
    }
}

// Once every record of the block has moved: the records of other blocks that name one of them follow.
// A record hung under another block's record is renamed in that record's child list; the children it
// holds from other blocks point back at its new place, and their next-sibling links that name a record
// of the block move with it.
void Relink_Record(Addr record, Addr to, uint32_t size, Addr distance)
{
    const Addr from = to + distance;
    const Addr old_record = record + distance;
    const Addr parent = W_GetAddr(record + 16);
    if (parent != 0 && !In_Block(parent, to, int32_t(size))) {
        Relink_Child(parent, old_record, record);
    }
    Addr child = W_GetAddr(record + 20);
    for (uint32_t steps = 0; child != 0 && steps < 0x100000 && W_Fits(child, Record_Size); steps++) {
        if (!In_Block(child, to, int32_t(size))) {
            if (W_GetAddr(child + 16) == old_record) {
                W_SetAddr(child + 16, record);
            }
            Move_If_Inside(child + 24, from, size, distance);
        }
        child = W_GetAddr(child + 24);
    }
}

} // namespace

void Move_Block(Addr block, Addr distance)
{
    const Addr from = W_GetAddr(block + 16);
    if (from == 0 || distance == 0 || from - distance < block + uint32_t(W_Get32(block + 4))) {
        return;
    }
    const int32_t kind = W_Get32(from + 8);
    // The collision space holds the triangles of a mesh where they lie: a mesh never moves.
    if (kind == OBJ_KIND_MESH) {
        return;
    }
    const uint32_t size = uint32_t(W_Get32(from + 4));
    const Addr to = from - distance;
    std::memmove(W_Ptr(to), W_Ptr(from), size);
    W_SetAddr(block + 16, to);
    const Addr after = W_GetAddr(to + 16);
    if (after != 0) {
        W_SetAddr(after + 12, to);
    } else {
        Last_Block = to;
    }
    P_Set32(Get_Table_Entry_Ptr(W_Get32(to)), int32_t(to));

    if (kind == OBJ_KIND_MATERIAL) {
        for (int32_t i = 0; i < Name_Cache_Entries; i++) {
            const Addr e = Cache_Entry(i);
            if (W_Get32(e) != 0 && W_GetAddr(e + 8) == from + OBJ_MATERIAL_TEXELS) {
                W_SetAddr(e + 8, to + OBJ_MATERIAL_TEXELS);
            }
        }
        return;
    }
    if (kind != OBJ_KIND_HIERARCHY && kind != OBJ_KIND_RECORDS && kind != OBJ_KIND_TRACKS && kind != OBJ_KIND_SPLINES) {
        return;
    }
    const int32_t count = W_Get32(to + OBJ_RECORD_COUNT);
    for (int32_t i = 0; i < count; i++) {
        Move_If_Inside(to + OBJ_RECORD_TABLE + Addr(i) * 4, from, size, distance);
    }
    for (int32_t i = 0; i < count; i++) {
        const Addr record = W_GetAddr(to + OBJ_RECORD_TABLE + Addr(i) * 4);
        if (kind == OBJ_KIND_TRACKS || kind == OBJ_KIND_SPLINES) {
            Move_If_Inside(record + 12, from, size, distance);
            Move_If_Inside(record + 16, from, size, distance);
        } else if (kind == OBJ_KIND_HIERARCHY) {
            Move_Record(record, from, size, distance);
        }
    }
    if (kind == OBJ_KIND_HIERARCHY) {
        for (int32_t i = 0; i < count; i++) {
            Relink_Record(W_GetAddr(to + OBJ_RECORD_TABLE + Addr(i) * 4), to, size, distance);
        }
    }
}

void Compact_Blocks()
{
    Addr block = First_Block;
    for (int32_t steps = 0; block != 0 && steps <= Max_Handle_Tables; steps++) {
        const Addr next = W_GetAddr(block + 16);
        if (next == 0) {
            break;
        }
        const Addr end = block + uint32_t(W_Get32(block + 4));
        if (next > end && W_Get32(block + 8) != OBJ_KIND_MESH) {
            Move_Block(block, next - end);
        }
        block = W_GetAddr(block + 16);
    }
    if (Last_Block != 0) {
        Mem_libre = Last_Block + uint32_t(W_Get32(Last_Block + 4));
    }
}

int32_t For_Each_Obj_Item(OBJ_Handle h, void (*routine)(void *item))
{
    Addr block = Get_Obj_Block(h);
    uint8_t *record = Get_Obj_Ptr(h);
    if (block == 0 || record == nullptr || W_Get32(block + 8) != OBJ_KIND_HIERARCHY) {
        return -1;
    }
    int32_t n = P_Get32(record + 132);
    Addr items = Addr(P_Get32(record + 136));
    for (int32_t i = 0; i < n; i++) {
        routine(W_Ptr(items + Addr(i) * sizeof(OBJ_Item)));
    }
    return 0;
}
