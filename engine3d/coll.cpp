// Collision space: endpoint lists, bodies, overlap records and contact lists, swept incrementally.
#include "engine3d/coll.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <utility>
#include <vector>

#include "core/prof.h"
#include "engine3d/maths.h"
#include "engine3d/workarea.h"

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KALDER_COLL_ASAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define KALDER_COLL_ASAN 1
#endif
#ifdef KALDER_COLL_ASAN
#include <sanitizer/asan_interface.h>
#define COLL_POISON(p, n) ASAN_POISON_MEMORY_REGION(p, n)
#define COLL_UNPOISON(p, n) ASAN_UNPOISON_MEMORY_REGION(p, n)
#else
#define COLL_POISON(p, n) ((void)(p), (void)(n))
#define COLL_UNPOISON(p, n) ((void)(p), (void)(n))
#endif

namespace {

struct OBJ_CollSpace {
    int32_t count = 0; // N: triangles in the space
    std::vector<OBJ_CollEndpoint> list[3];
    OBJ_CollBody *bodies[COLL_MAX_BODIES] = {};
    int32_t body_count = 0;
};

OBJ_CollSpace Space;

struct Iterator {
    bool started = false;
    OBJ_CollContact *next = nullptr;
};

Iterator Walk_3D, Walk_2D;

void Reset_Iterators()
{
    Walk_3D = Iterator{};
    Walk_2D = Iterator{};
}

// Records of one type handed out from blocks that are never given back until the space is freed, so
// that a sweep allocates nothing once the blocks have grown. A freed record is poisoned while it waits,
// so that a stale pointer to it is caught.
template <typename T>
struct Pool {
    union Slot {
        T record;
        Slot *next_free;
    };
    static constexpr size_t Block = 256;
    std::vector<std::unique_ptr<Slot[]>> blocks;
    Slot *free_list = nullptr;

    T *Alloc()
    {
        if (free_list == nullptr) {
            blocks.push_back(std::make_unique<Slot[]>(Block));
            Slot *b = blocks.back().get();
            for (size_t i = Block; i-- > 0;) {
                b[i].next_free = free_list;
                free_list = &b[i];
                COLL_POISON(&b[i], sizeof(Slot));
            }
        }
        Slot *s = free_list;
        COLL_UNPOISON(s, sizeof(Slot));
        free_list = s->next_free;
        return &s->record;
    }

    void Free(T *record)
    {
        Slot *s = reinterpret_cast<Slot *>(record);
        s->next_free = free_list;
        free_list = s;
        COLL_POISON(s, sizeof(Slot));
    }

    void Release()
    {
        for (auto &b : blocks) {
            COLL_UNPOISON(b.get(), sizeof(Slot) * Block);
        }
        blocks.clear();
        blocks.shrink_to_fit();
        free_list = nullptr;
    }
};

Pool<OBJ_CollContact> Contacts;

OBJ_CollContact *Coll_Alloc_Contact() { return Contacts.Alloc(); }
void Coll_Free_Contact(OBJ_CollContact *c) { Contacts.Free(c); }

// ---- Bodies -------------------------------------------------------------------------------------

// The body's map keeps its table between resets: it grows to what the body meets and stays there.
void Coll_Init_Body(OBJ_CollBody *b, uint8_t mask)
{
    b->mask = mask;
    for (int32_t &c : b->cursor) {
        c = 0;
    }
    b->records = 0;
    b->head_3d = nullptr;
    b->head_2d = nullptr;
}

void Coll_Free_Tree(OBJ_CollBody *b)
{
    if (b->records != 0) {
        std::memset(static_cast<void *>(b->slots), 0, sizeof(OBJ_CollNode) * b->capacity);
        b->records = 0;
    }
}

// ---- The overlap map ------------------------------------------------------------------------------

uint32_t Home(const OBJ_CollBody *b, Addr tri)
{
    uint32_t h = tri * 2654435761u;
    h ^= h >> 15;
    return h & (b->capacity - 1);
}

// The slot that holds the triangle's record, or the empty slot where it would go.
uint32_t Find_Slot(const OBJ_CollBody *b, Addr tri)
{
    uint32_t i = Home(b, tri);
    while (b->slots[i].tri != 0 && b->slots[i].tri != tri) {
        i = (i + 1) & (b->capacity - 1);
    }
    return i;
}

void Grow_Map(OBJ_CollBody *b)
{
    OBJ_CollNode *old = b->slots;
    const uint32_t old_capacity = b->capacity;
    b->capacity = old_capacity == 0 ? 64 : old_capacity * 2;
    b->slots = new OBJ_CollNode[b->capacity]();
    for (uint32_t i = 0; i < old_capacity; i++) {
        if (old[i].tri != 0) {
            b->slots[Find_Slot(b, old[i].tri)] = old[i];
        }
    }
    delete[] old;
}

// A new record for the triangle in the empty slot i.
OBJ_CollNode *Coll_Alloc_Node(OBJ_CollBody *b, uint32_t i, Addr tri)
{
    b->slots[i] = OBJ_CollNode{tri, 0, nullptr, nullptr};
    b->records++;
    return &b->slots[i];
}

// Empties slot i and moves later records of its run back, so that every record stays reachable from
// its home slot without markers for removed ones. The list entries name the triangle, not the slot,
// so records may move.
void Coll_Free_Node(OBJ_CollBody *b, uint32_t i)
{
    const uint32_t mask = b->capacity - 1;
    uint32_t j = i;
    for (;;) {
        j = (j + 1) & mask;
        if (b->slots[j].tri == 0) {
            break;
        }
        const uint32_t k = Home(b, b->slots[j].tri);
        // The record at j may move to i unless its home lies cyclically in (i, j].
        const bool stays = i <= j ? (i < k && k <= j) : (i < k || k <= j);
        if (!stays) {
            b->slots[i] = b->slots[j];
            i = j;
        }
    }
    b->slots[i] = OBJ_CollNode{};
    b->records--;
}

void Free_List(OBJ_CollContact *c)
{
    while (c != nullptr) {
        OBJ_CollContact *next = c->next;
        Coll_Free_Contact(c);
        c = next;
    }
}

// Frees what the body holds and starts it over with its mask; a walk under way would read the freed
// entries, so both walks end here too.
void Coll_Clear_Body(OBJ_CollBody *b)
{
    Coll_Free_Tree(b);
    Free_List(b->head_3d);
    Free_List(b->head_2d);
    Coll_Init_Body(b, b->mask);
    Reset_Iterators();
}

void Coll_Reset_Bodies()
{
    for (int32_t i = 0; i < Space.body_count; i++) {
        Coll_Clear_Body(Space.bodies[i]);
    }
    Reset_Iterators();
}

OBJ_CollBody *Coll_New_Body(uint8_t mask)
{
    if (Space.body_count >= COLL_MAX_BODIES) {
        return nullptr;
    }
    OBJ_CollBody *b = new OBJ_CollBody{};
    Coll_Init_Body(b, mask);
    Space.bodies[Space.body_count++] = b;
    return b;
}

void Coll_Drop_Body(OBJ_CollBody *b)
{
    for (int32_t i = 0; i < Space.body_count; i++) {
        if (Space.bodies[i] == b) {
            Coll_Clear_Body(b);
            delete[] b->slots;
            delete b;
            Space.body_count--;
            Space.bodies[i] = Space.bodies[Space.body_count];
            Space.bodies[Space.body_count] = nullptr;
            return;
        }
    }
}

// ---- Overlap records ----------------------------------------------------------------------------

void Push(OBJ_CollContact **head, OBJ_CollContact *c)
{
    c->prev = nullptr;
    c->next = *head;
    if (*head != nullptr) {
        (*head)->prev = c;
    }
    *head = c;
}

void Unlink(OBJ_CollContact **head, OBJ_CollContact *c)
{
    if (c->prev != nullptr) {
        c->prev->next = c->next;
    } else {
        *head = c->next;
    }
    if (c->next != nullptr) {
        c->next->prev = c->prev;
    }
    Coll_Free_Contact(c);
}

OBJ_CollContact *New_Entry(const OBJ_CollNode *n, OBJ_CollContact **head)
{
    OBJ_CollContact *c = Coll_Alloc_Contact();
    c->tri = n->tri;
    Push(head, c);
    return c;
}

void Coll_Overlap_Add(OBJ_CollBody *b, int32_t axis, Addr tri)
{
    const uint8_t bit = uint8_t(1u << axis);
    if ((b->records + 1) * 2 > b->capacity) {
        Grow_Map(b);
    }
    const uint32_t i = Find_Slot(b, tri);
    OBJ_CollNode *n = &b->slots[i];
    if (n->tri == 0) {
        n = Coll_Alloc_Node(b, i, tri);
        n->bits = bit;
    } else if (n->bits & bit) {
        return;
    } else {
        n->bits |= bit;
    }
    if ((b->mask & COLL_LIST_3D) && n->bits == 7) {
        n->entry_3d = New_Entry(n, &b->head_3d);
    }
    if ((b->mask & COLL_LIST_2D) && axis != 1 && (n->bits & 5) == 5) {
        n->entry_2d = New_Entry(n, &b->head_2d);
    }
}

void Coll_Overlap_Remove(OBJ_CollBody *b, int32_t axis, Addr tri)
{
    if (b->records == 0) {
        return;
    }
    const uint32_t i = Find_Slot(b, tri);
    OBJ_CollNode *n = &b->slots[i];
    if (n->tri == 0) {
        return;
    }
    if ((b->mask & COLL_LIST_3D) && n->bits == 7 && n->entry_3d != nullptr) {
        Unlink(&b->head_3d, n->entry_3d);
        n->entry_3d = nullptr;
    }
    if ((b->mask & COLL_LIST_2D) && axis != 1 && (n->bits & 5) == 5 && n->entry_2d != nullptr) {
        Unlink(&b->head_2d, n->entry_2d);
        n->entry_2d = nullptr;
    }
    n->bits &= uint8_t(~(1u << axis));
    if (n->bits == 0) {
        Coll_Free_Node(b, i);
    }
}

// ---- Endpoint lists -----------------------------------------------------------------------------

void Coll_Init_Space()
{
    Space.count = 0;
    for (auto &l : Space.list) {
        l.clear();
    }
    for (OBJ_CollBody *&b : Space.bodies) {
        b = nullptr;
    }
    Space.body_count = 0;
    Reset_Iterators();
}

void Coll_Free_Space()
{
    while (Space.body_count > 0) {
        Coll_Drop_Body(Space.bodies[Space.body_count - 1]);
    }
    for (auto &l : Space.list) {
        l.clear();
        l.shrink_to_fit();
    }
    Space.count = 0;
    Contacts.Release();
    Reset_Iterators();
}

void Coll_Insert_Mesh(const uint8_t *mesh)
{
    const int32_t m = P_Get32(mesh + offsetof(OBJ_CollMesh, tri_count));
    const Addr tris = Addr(P_Get32(mesh + offsetof(OBJ_CollMesh, tris)));
    for (int32_t a = 0; a < 3; a++) {
        auto &l = Space.list[a];
        l.reserve(size_t(2) * size_t(Space.count + m));
        for (int32_t k = 0; k < m; k++) {
            const Addr t = tris + Addr(k) * sizeof(OBJ_CollTri);
            const int32_t lo = W_Get32(t + offsetof(OBJ_CollTri, box_min) + Addr(a) * 4);
            const int32_t hi = W_Get32(t + offsetof(OBJ_CollTri, box_max) + Addr(a) * 4);
            l.push_back(OBJ_CollEndpoint{t, 0, lo, lo, hi});
            l.push_back(OBJ_CollEndpoint{t, 1, hi, lo, hi});
        }
    }
    Space.count += m;
    for (auto &l : Space.list) {
        Coll_Sort_Axis(l.data(), 0, 2 * Space.count - 1);
    }
}

Addr Owner(Addr tri) { return W_GetAddr(tri + offsetof(OBJ_CollTri, mesh)); }

void Coll_Extract_Mesh(Addr mesh)
{
    size_t kept = 0;
    for (auto &l : Space.list) {
        kept = 0;
        for (const OBJ_CollEndpoint &e : l) {
            if (Owner(e.tri) != mesh) {
                l[kept++] = e;
            }
        }
    }
    Space.count = int32_t(kept / 2);
    for (auto &l : Space.list) {
        l.resize(2 * size_t(Space.count));
    }
}

// The mesh body of a live collision-mesh block, or null.
uint8_t *Mesh_Of(int32_t handle)
{
    if (Get_Obj_Kind(handle) != OBJ_KIND_MESH) {
        return nullptr;
    }
    return Get_Table_Count_Ptr(handle);
}

bool Mesh_In_Space(Addr mesh)
{
    for (const OBJ_CollEndpoint &e : Space.list[0]) {
        if (Owner(e.tri) == mesh) {
            return true;
        }
    }
    return false;
}

// ---- Sweeping -----------------------------------------------------------------------------------

// Moves the body's two cursors on one axis across the endpoints its bounds passed. A cursor stops in
// front of the first endpoint that lies beyond its bound or on it, so that a box touching the cube is
// out and is met again as soon as the cube moves onto it; the index 2N-1 also stands for "past the end".
void Coll_Sweep_Axis(OBJ_CollBody *b, int32_t a)
{
    const int32_t n2 = 2 * Space.count;
    if (n2 == 0) {
        return;
    }
    const OBJ_CollEndpoint *E = Space.list[a].data();
    int32_t L = b->cursor[2 * a];
    int32_t H = b->cursor[2 * a + 1];
    const int64_t lo = int64_t(b->centre[a]) - b->radius;
    const int64_t hi = int64_t(b->centre[a]) + b->radius;

    auto add = [&](const OBJ_CollEndpoint &e) { Coll_Overlap_Add(b, a, e.tri); };
    auto remove = [&](const OBJ_CollEndpoint &e) { Coll_Overlap_Remove(b, a, e.tri); };
    // The upper cursor going down: every minimum it passes leaves.
    auto upper_down = [&] {
        if (H == n2 - 1 && !E[H].is_max && E[H].value >= hi) {
            remove(E[H]);
        }
        while (H > 0 && E[H - 1].value >= hi) {
            if (!E[H - 1].is_max) {
                remove(E[H - 1]);
            }
            H--;
        }
        if (H == 0 && E[0].value >= hi) {
            remove(E[0]);
        }
    };
    // The lower cursor going up: every maximum it passes leaves.
    auto lower_up = [&] {
        while (L < n2 && E[L].value <= lo) {
            if (E[L].is_max) {
                remove(E[L]);
            }
            L++;
        }
        if (L == n2) {
            L = n2 - 1;
        }
    };

    const int bits = (E[L].value <= lo ? 1 : 0) | (E[H].value < hi ? 2 : 0);
    switch (bits) {
    case 0:
        if (L == n2 - 1 && E[L].value > lo && hi > E[L].min) {
            add(E[L]);
        }
        while (L > 0 && E[L - 1].value > lo) {
            if (E[L - 1].is_max && hi > E[L - 1].min) {
                add(E[L - 1]);
            }
            L--;
        }
        upper_down();
        break;
    case 1:
        lower_up();
        upper_down();
        break;
    case 2:
        if (L == n2 - 1 && E[L].value > lo) {
            add(E[L]);
        }
        while (L > 0 && E[L - 1].value > lo) {
            if (E[L - 1].is_max) {
                add(E[L - 1]);
            }
            L--;
        }
        while (H < n2 && E[H].value < hi) {
            if (!E[H].is_max) {
                add(E[H]);
            }
            H++;
        }
        if (H == n2) {
            H = n2 - 1;
        }
        break;
    default:
        while (H < n2 && E[H].value < hi) {
            if (!E[H].is_max && lo < E[H].max) {
                add(E[H]);
            }
            H++;
        }
        if (H == n2) {
            H = n2 - 1;
        }
        lower_up();
        break;
    }
    b->cursor[2 * a] = L;
    b->cursor[2 * a + 1] = H;
}

OBJ_CollTri *Next(Iterator &it, OBJ_CollContact *head)
{
    PROF_StartTimer(3);
    if (!it.started) {
        it.next = head;
        it.started = true;
    }
    OBJ_CollTri *tri = nullptr;
    if (it.next != nullptr) {
        tri = reinterpret_cast<OBJ_CollTri *>(W_Ptr(it.next->tri));
        it.next = it.next->next;
    } else {
        it.started = false;
    }
    PROF_StopTimer(3);
    return tri;
}

} // namespace

// Quicksort by value: pivot in the middle, the two indices crossing. The left part is sorted before
// the right one, as a recursion would, but the parts wait on a stack of our own, so that no input can
// nest it deeper than the memory allows; equal values keep the order this sequence gives them.
void Coll_Sort_Axis(OBJ_CollEndpoint *E, int32_t lo, int32_t hi)
{
    std::vector<std::pair<int32_t, int32_t>> pending;
    if (lo < hi) {
        pending.emplace_back(lo, hi);
    }
    while (!pending.empty()) {
        auto [l, h] = pending.back();
        pending.pop_back();
        const int32_t pivot = E[l + (h - l) / 2].value;
        int32_t i = l, j = h;
        do {
            while (E[i].value < pivot) {
                i++;
            }
            while (E[j].value > pivot) {
                j--;
            }
            if (i <= j) {
                std::swap(E[i], E[j]);
                i++;
                j--;
            }
        } while (i < j);
        if (i < h) {
            pending.emplace_back(i, h);
        }
        if (j > l) {
            pending.emplace_back(l, j);
        }
    }
}

void Coll_Init()
{
    Coll_Free_Space();
    Coll_Init_Space();
}

void Coll_Free() { Coll_Free_Space(); }

void Coll_Forget_Meshes()
{
    Space.count = 0;
    for (auto &l : Space.list) {
        l.clear();
    }
    Coll_Reset_Bodies();
}

void Coll_Add_Mesh(int32_t handle)
{
    uint8_t *mesh = Mesh_Of(handle);
    if (mesh == nullptr || Mesh_In_Space(W_Addr(mesh))) {
        return;
    }
    Coll_Insert_Mesh(mesh);
    Coll_Reset_Bodies();
}

void Coll_Remove_Mesh(int32_t handle)
{
    uint8_t *mesh = Mesh_Of(handle);
    if (mesh == nullptr) {
        return;
    }
    Coll_Extract_Mesh(W_Addr(mesh));
    Coll_Reset_Bodies();
}

OBJ_CollBody *Coll_Create_Body(int32_t mask) { return Coll_New_Body(uint8_t(mask & 0xFF)); }

void Coll_Delete_Body(OBJ_CollBody *body) { Coll_Drop_Body(body); }

void Copy_Vec(int32_t *dst, const int32_t *src) { Vec_Copy(dst, src); }

void Coll_Set_Body_Radius(OBJ_CollBody *body, int32_t radius)
{
    if (radius > 0) {
        body->radius = radius;
    }
}

void Coll_Set_Body_Mask(OBJ_CollBody *body, int32_t mask)
{
    body->mask = uint8_t(mask & 0xFF);
    Coll_Clear_Body(body);
}

void Coll_Get_Body(const OBJ_CollBody *body, int32_t *centre, int32_t *radius, int32_t *mask)
{
    Vec_Copy(centre, body->centre);
    *radius = body->radius;
    *mask = body->mask;
}

void Coll_Sweep_Body(OBJ_CollBody *body)
{
    PROF_StartTimer(3);
    for (int32_t a = 0; a < 3; a++) {
        Coll_Sweep_Axis(body, a);
    }
    Reset_Iterators();
    PROF_StopTimer(3);
}

OBJ_CollTri *Coll_Next_Contact(OBJ_CollBody *body) { return Next(Walk_3D, Walk_3D.started ? nullptr : body->head_3d); }

OBJ_CollTri *Coll_Next_Contact2(OBJ_CollBody *body) { return Next(Walk_2D, Walk_2D.started ? nullptr : body->head_2d); }

void Coll_Free_Triple(void **record)
{
    for (int i : {0, 2, 4}) {
        std::free(record[i]);
    }
}

int32_t Coll_Tri_Count() { return Space.count; }

const OBJ_CollEndpoint *Coll_Axis_List(int32_t axis) { return Space.list[axis].data(); }

int32_t Coll_Body_Count() { return Space.body_count; }

OBJ_CollBody *Coll_Body(int32_t i) { return i >= 0 && i < Space.body_count ? Space.bodies[i] : nullptr; }
