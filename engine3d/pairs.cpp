// Collision box pairs: the pool, the three endpoint lists kept sorted by insertion, the pair-flag table
// and the active list, whose nodes carry each pair's nearest features from frame to frame.
#include "engine3d/pairs.h"

#include <cstring>

#include "core/fconv.h"
#include "engine3d/boxes.h"
#include "engine3d/boxfeat.h"
#include "engine3d/object.h"
#include "engine3d/workarea.h"
#include "plat/system.h"

namespace {

// A position that no walk of the contacts hands out.
constexpr int32_t No_Position = int32_t(0x80000001u);

// Every allocation of Pairs_Init succeeded: until then no box can be registered.
bool Ready = false;
// Nodes of pairs that stopped, kept for the next that starts: once warm, a sweep allocates nothing.
OBJ_PairNode *Spare_Nodes = nullptr;

void Reset_Walk()
{
    Pairs.last_position = No_Position;
    Pairs.last_node = nullptr;
}

// A node leaves the active list. The walk of the contacts may hold it, so the walk starts again.
void Release_Node(OBJ_PairNode *node)
{
    node->next = Spare_Nodes;
    Spare_Nodes = node;
    Pairs.active_count--;
    Reset_Walk();
}

void Free_Node_Chain(OBJ_PairNode *node)
{
    while (node != nullptr) {
        OBJ_PairNode *next = node->next;
        PLAT_HeapFree(node);
        node = next;
    }
}

void Chain_All_Free()
{
    for (int32_t i = 0; i < Pairs.size; i++) {
        Pairs.pool[i] = {-1, -1, 0, i + 1, -1};
    }
    Pairs.free_head = 0;
    Pairs.used_head = Pairs.used_tail = -1;
    Pairs.count = 0;
}

uint8_t &Byte(int32_t a, int32_t b) { return a > b ? Pairs.flags[Pair_Byte(a, b)] : Pairs.flags[Pair_Byte(b, a)]; }

float Bound(int32_t index, uint32_t field, int axis)
{
    float f;
    std::memcpy(&f, W_Ptr(Pairs.pool[index].record) + field + 4 * axis, 4);
    return f;
}

// The two registered boxes of a call, or false when either is not registered.
bool Find_Both(OBJ_Handle ha, int32_t box_a, OBJ_Handle hb, int32_t box_b, int32_t *a, int32_t *b)
{
    *a = Pairs_Find(ha, box_a);
    *b = Pairs_Find(hb, box_b);
    return *a >= 0 && *b >= 0;
}

// The pair of two registered boxes as (greater, smaller): -1 when either is not registered, 0 for a box
// with itself, which has no byte, 1 for a pair.
int32_t Find_Pair(OBJ_Handle ha, int32_t box_a, OBJ_Handle hb, int32_t box_b, int32_t *i, int32_t *j)
{
    int32_t a, b;
    if (!Find_Both(ha, box_a, hb, box_b, &a, &b)) {
        return -1;
    }
    *i = a > b ? a : b;
    *j = a > b ? b : a;
    return a == b ? 0 : 1;
}

void Write_Point(const float *p, int32_t *out)
{
    for (int k = 0; k < 3; k++) {
        out[k] = trunc_i32(p[k]);
    }
}

} // namespace

PairsState Pairs = {0, nullptr, 0, -1, -1, 0, {nullptr, nullptr, nullptr}, nullptr, nullptr, 0, No_Position, nullptr};

int32_t Pairs_Init(int32_t n)
{
    // Bit 15 of an entry marks the minimum, so indices must stay below it.
    if (n < 1 || n > 32768) {
        return -1;
    }
    Pairs_Free();
    Pairs.size = n;
    Pairs.pool = static_cast<OBJ_PairBox *>(PLAT_HeapAlloc(sizeof(OBJ_PairBox) * size_t(n)));
    if (Pairs.pool == nullptr) {
        Pairs.size = 0;
        return -1;
    }
    Chain_All_Free();
    for (uint16_t *&list : Pairs.lists) {
        list = static_cast<uint16_t *>(PLAT_HeapAlloc(sizeof(uint16_t) * 2 * size_t(n)));
        if (list == nullptr) {
            return -1;
        }
    }
    const size_t bytes = size_t(n) * size_t(n - 1) / 2;
    Pairs.flags = static_cast<uint8_t *>(PLAT_HeapAlloc(bytes == 0 ? 1 : bytes));
    if (Pairs.flags == nullptr) {
        return -1;
    }
    std::memset(Pairs.flags, 0, bytes);
    Pairs.active = nullptr;
    Pairs.active_count = 0;
    Reset_Walk();
    Ready = true;
    return 0;
}

int32_t Pairs_Free()
{
    Free_Node_Chain(Pairs.active);
    Free_Node_Chain(Spare_Nodes);
    Spare_Nodes = nullptr;
    for (uint16_t *&list : Pairs.lists) {
        PLAT_HeapFree(list);
        list = nullptr;
    }
    PLAT_HeapFree(Pairs.pool);
    PLAT_HeapFree(Pairs.flags);
    Pairs = {0, nullptr, 0, -1, -1, 0, {nullptr, nullptr, nullptr}, nullptr, nullptr, 0, No_Position, nullptr};
    Ready = false;
    return 0;
}

void Pairs_Empty()
{
    if (!Ready) {
        return;
    }
    Chain_All_Free();
    OBJ_PairNode *node = Pairs.active;
    while (node != nullptr) {
        OBJ_PairNode *next = node->next;
        Release_Node(node);
        node = next;
    }
    Pairs.active = nullptr;
    Pairs.active_count = 0;
    std::memset(Pairs.flags, 0, size_t(Pairs.size) * size_t(Pairs.size - 1) / 2);
    Reset_Walk();
}

int32_t Pairs_Find(OBJ_Handle h, int32_t box)
{
    if (!Ready) {
        return -1;
    }
    for (int32_t i = Pairs.used_head; i >= 0; i = Pairs.pool[i].next) {
        if (Pairs.pool[i].handle == h && Pairs.pool[i].box == box) {
            return i;
        }
    }
    return -1;
}

int32_t Pairs_Add_Box(OBJ_Handle h, int32_t box)
{
    if (!Ready || Pairs_Find(h, box) >= 0 || Pairs.free_head == Pairs.size) {
        return -1;
    }
    // Only a box that exists can be registered: its index is also kept in 16 bits.
    const int32_t count = Get_Box_Count(h);
    if (box < 0 || box >= count || box > 0x7FFF) {
        return -1;
    }
    const int32_t r = Pairs.free_head;
    OBJ_PairBox &p = Pairs.pool[r];
    Pairs.free_head = p.next;
    p.handle = h;
    p.box = static_cast<int16_t>(box);
    p.record = W_Addr(Get_Box(h, box));
    p.next = -1;
    p.previous = Pairs.used_tail;
    if (Pairs.used_tail < 0) {
        Pairs.used_head = r;
    } else {
        Pairs.pool[Pairs.used_tail].next = r;
    }
    Pairs.used_tail = r;
    for (uint16_t *list : Pairs.lists) {
        list[2 * Pairs.count] = uint16_t(r | PAIR_MINIMUM);
        list[2 * Pairs.count + 1] = uint16_t(r);
    }
    Pairs.count++;
    // A reused index may have left bits with any other index, below it or above.
    for (int32_t j = 0; j < Pairs.size; j++) {
        if (j != r) {
            Byte(r, j) = 0;
        }
    }
    return 0;
}

void Pairs_Remove_Box(OBJ_Handle h, int32_t box)
{
    const int32_t r = Pairs_Find(h, box);
    if (r < 0) {
        return;
    }
    OBJ_PairBox &p = Pairs.pool[r];
    if (p.previous < 0) {
        Pairs.used_head = p.next;
    } else {
        Pairs.pool[p.previous].next = p.next;
    }
    if (p.next < 0) {
        Pairs.used_tail = p.previous;
    } else {
        Pairs.pool[p.next].previous = p.previous;
    }
    p = {-1, -1, 0, Pairs.free_head, -1};
    Pairs.free_head = r;
    for (uint16_t *list : Pairs.lists) {
        int32_t out = 0;
        for (int32_t k = 0; k < 2 * Pairs.count; k++) {
            if ((list[k] & ~PAIR_MINIMUM) != r) {
                list[out++] = list[k];
            }
        }
    }
    Pairs.count--;
    OBJ_PairNode **link = &Pairs.active;
    while (*link != nullptr) {
        OBJ_PairNode *node = *link;
        if (node->first == r || node->second == r) {
            *link = node->next;
            Byte(node->first, node->second) &= uint8_t(~PAIR_ACTIVE);
            Release_Node(node);
        } else {
            link = &node->next;
        }
    }
}

int32_t Pairs_Enable(OBJ_Handle ha, int32_t box_a, OBJ_Handle hb, int32_t box_b)
{
    int32_t i, j;
    const int32_t found = Find_Pair(ha, box_a, hb, box_b, &i, &j);
    if (found <= 0) {
        return found;
    }
    uint8_t &flags = Pairs.flags[Pair_Byte(i, j)];
    flags &= uint8_t(~PAIR_DISABLED);
    if (flags == 7) {
        Pairs_Mark(i, j);
    }
    return 0;
}

int32_t Pairs_Disable(OBJ_Handle ha, int32_t box_a, OBJ_Handle hb, int32_t box_b)
{
    int32_t i, j;
    const int32_t found = Find_Pair(ha, box_a, hb, box_b, &i, &j);
    if (found <= 0) {
        return found;
    }
    if (Pairs.flags[Pair_Byte(i, j)] & PAIR_ACTIVE) {
        Pairs_Unmark(i, j);
    }
    Pairs.flags[Pair_Byte(i, j)] |= PAIR_DISABLED;
    return 0;
}

void Pairs_Mark(int32_t i, int32_t j)
{
    OBJ_PairNode *node = Spare_Nodes;
    if (node != nullptr) {
        Spare_Nodes = node->next;
    } else {
        node = static_cast<OBJ_PairNode *>(PLAT_HeapAlloc(sizeof(OBJ_PairNode)));
        if (node == nullptr) {
            return; // no room: the pair stays inactive, as if it had never met
        }
    }
    *node = {i, j, 0, 0, Pairs.active, 0};
    Pairs.active = node;
    Pairs.flags[Pair_Byte(i, j)] |= PAIR_ACTIVE;
    Pairs.active_count++;
}

void Pairs_Unmark(int32_t i, int32_t j)
{
    for (OBJ_PairNode **link = &Pairs.active; *link != nullptr; link = &(*link)->next) {
        OBJ_PairNode *node = *link;
        if (node->first == i && node->second == j) {
            *link = node->next;
            Release_Node(node);
            break;
        }
    }
    Pairs.flags[Pair_Byte(i, j)] &= uint8_t(~PAIR_ACTIVE);
}

// Insertion sort of each list, left to right. A minimum that passes a maximum starts the overlap of
// its pair on that axis, a maximum that passes a minimum ends it; the active list follows the bytes.
void Pairs_Sweep()
{
    if (!Ready) {
        return;
    }
    const int32_t entries = 2 * Pairs.count;
    for (int axis = 0; axis < 3; axis++) {
        uint16_t *list = Pairs.lists[axis];
        const uint8_t bit = uint8_t(1 << axis);
        for (int32_t p = 1; p < entries; p++) {
            const uint16_t e = list[p];
            const int32_t ei = e & ~PAIR_MINIMUM;
            const bool e_min = (e & PAIR_MINIMUM) != 0;
            const float f = Bound(ei, e_min ? BOX_MINIMUM : BOX_MAXIMUM, axis);
            int32_t q = p;
            while (q > 0) {
                const uint16_t g = list[q - 1];
                const int32_t gi = g & ~PAIR_MINIMUM;
                const bool g_min = (g & PAIR_MINIMUM) != 0;
                const float v = Bound(gi, g_min ? BOX_MINIMUM : BOX_MAXIMUM, axis);
                // A box never pairs with itself: it has no byte of its own.
                const bool pair = gi != ei;
                if (e_min) {
                    if (!(f <= v)) {
                        break;
                    }
                    if (!g_min && pair) {
                        const int32_t i = ei > gi ? ei : gi, j = ei > gi ? gi : ei;
                        uint8_t &flags = Pairs.flags[Pair_Byte(i, j)];
                        flags |= bit;
                        if (flags == 7) {
                            Pairs_Mark(i, j);
                        }
                    }
                } else {
                    if (g_min ? !(f < v) : !(f <= v)) {
                        break;
                    }
                    if (g_min && pair) {
                        const int32_t i = ei > gi ? ei : gi, j = ei > gi ? gi : ei;
                        if (Pairs.flags[Pair_Byte(i, j)] == 15) {
                            Pairs_Unmark(i, j);
                        }
                        Pairs.flags[Pair_Byte(i, j)] &= uint8_t(~bit);
                    }
                }
                list[q] = g;
                q--;
            }
            list[q] = e;
        }
    }
}

int32_t Pairs_Next_Contact(OBJ_Handle *ha, int32_t *box_a, int32_t *point_a, OBJ_Handle *hb, int32_t *box_b,
                           int32_t *point_b, int32_t k)
{
    OBJ_PairNode *node = nullptr;
    if (Pairs.last_node != nullptr && k == Pairs.last_position + 1) {
        node = Pairs.last_node->next;
    } else if (k >= 0) {
        node = Pairs.active;
        for (int32_t i = 0; i < k && node != nullptr; i++) {
            node = node->next;
        }
    }
    if (node == nullptr) {
        Reset_Walk();
        return -1;
    }
    const OBJ_PairBox &a = Pairs.pool[node->first];
    const OBJ_PairBox &b = Pairs.pool[node->second];
    *ha = a.handle;
    *box_a = a.box;
    *hb = b.handle;
    *box_b = b.box;
    float pa[3] = {0, 0, 0}, pb[3] = {0, 0, 0};
    node->steps = Pair_Test_Shapes(W_Ptr(a.record), pa, &node->feature_first, W_Ptr(b.record), pb, &node->feature_second);
    Write_Point(pa, point_a);
    Write_Point(pb, point_b);
    if (node->next == nullptr) {
        Reset_Walk();
    } else {
        Pairs.last_position = k;
        Pairs.last_node = node;
    }
    return 0;
}

int32_t Pairs_Test(OBJ_Handle ha, int32_t box_a, OBJ_Handle hb, int32_t box_b, int32_t *point_a, int32_t *point_b)
{
    int32_t a, b;
    if (!Find_Both(ha, box_a, hb, box_b, &a, &b)) {
        return -1;
    }
    int32_t fa = 0, fb = 0;
    float pa[3] = {0, 0, 0}, pb[3] = {0, 0, 0};
    Pair_Test_Shapes(W_Ptr(Pairs.pool[a].record), pa, &fa, W_Ptr(Pairs.pool[b].record), pb, &fb);
    Write_Point(pa, point_a);
    Write_Point(pb, point_b);
    return 0;
}
