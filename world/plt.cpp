// Platforms: one actor's model whose children are boxes that move with it, and the test that tells
// the collision pass whether an actor stands on one of them.
#include "world/plt.h"

#include <cstring>

#include "core/fconv.h"
#include "core/sys.h"
#include "engine3d/object.h"
#include "world/actor.h"
#include "world/phy.h"

PLT_Record PLT_Records[PLT_MAX_RECORDS];
int32_t PLT_Count;
int32_t PLT_Active;
ActorRecord *PLT_Platform;
int32_t PLT_Root;

void PLT_Clear()
{
    std::memset(PLT_Records, 0, sizeof PLT_Records);
    PLT_Count = 0;
    PLT_Active = 0;
    PLT_Platform = nullptr;
    PLT_Root = 0;
}

void PLT_Build(ActorRecord *platform)
{
    PLT_Clear();
    const int32_t root = platform->node;
    for (int32_t child = Get_Obj_Child(root); child != -1; child = Get_Obj_Sibling(child)) {
        if (PLT_Count >= PLT_MAX_RECORDS) {
            SYS_FatalError("Kalder Internal Error : too many PLT", 999, 1);
        }
        PLT_Record &r = PLT_Records[PLT_Count++];
        r.node = child;
        r.box_node = child + 1;
        int32_t p[3];
        Get_Obj_Pos(r.box_node, p);
        r.top = p[1];
        int32_t lo[3] = {0, 0, 0}, hi[3] = {0, 0, 0};
        const int32_t count = Get_Vertex_Count(r.box_node);
        for (int32_t v = 0; v < count; v++) {
            int32_t q[3];
            Get_Vertex(r.box_node, v, q);
            for (int i = 0; i < 3; i++) {
                if (v == 0 || q[i] < lo[i]) {
                    lo[i] = q[i];
                }
                if (v == 0 || q[i] > hi[i]) {
                    hi[i] = q[i];
                }
            }
        }
        for (int i = 0; i < 3; i++) {
            r.half[i] = int32_t((int64_t(hi[i]) - lo[i]) / 2);
        }
        r.top += r.half[1];
        Hide_Obj(r.node);
        Hide_Obj(r.box_node);
    }
    Hide_Obj(root);
    PLT_Root = root;
    PLT_Platform = platform;
    PLT_Active = 1;
}

void PLT_Update()
{
    if (!PLT_Active) {
        return;
    }
    int32_t root[3];
    for (int i = 0; i < 3; i++) {
        root[i] = round_i32(PLT_Platform->position[i]);
    }
    Set_Obj_Pos(PLT_Root, root);
    for (int32_t k = 0; k < PLT_Count; k++) {
        PLT_Record &r = PLT_Records[k];
        int32_t local[3], box[3];
        Get_Obj_Pos(r.node, local);
        Get_Obj_Pos(r.box_node, box);
        for (int i = 0; i < 3; i++) {
            const int32_t world = local[i] + root[i];
            r.displacement[i] = world - r.previous[i];
            r.previous[i] = world;
            r.centre[i] = box[i] + world;
        }
        r.centre[1] -= r.half[1];
        r.bounds[0] = r.centre[0] - r.half[0];
        r.bounds[1] = r.centre[0] + r.half[0];
        r.bounds[2] = r.centre[1] - PLT_REACH;
        r.bounds[3] = r.centre[1] + PLT_REACH;
        r.bounds[4] = r.centre[2] - r.half[2];
        r.bounds[5] = r.centre[2] + r.half[2];
    }
}

ActorRecord *PLT_Actor() { return PLT_Platform; }

// A rider's index comes from an earlier contact; one outside the table reads as a still, flat box.
void PLT_GetDisplacement(int32_t i, int32_t *out)
{
    if (i < 0 || i >= PLT_Count) {
        out[0] = out[1] = out[2] = 0;
        return;
    }
    std::memcpy(out, PLT_Records[i].displacement, 12);
}

int32_t PLT_GetTop(int32_t i) { return i < 0 || i >= PLT_Count ? 0 : PLT_Records[i].top; }

int32_t PLT_Contact(ActorRecord *actor, int32_t *out)
{
    actor->coll_flags[0] &= uint8_t(~ACTOR_C0_ON_PLATFORM);
    int32_t foot[3];
    Get_Obj_Pos(actor->node, foot);
    // A damaged level's positions and sizes wrap in the sums as the processor's adds do.
    foot[1] = int32_t(uint32_t(foot[1]) + uint32_t(PHY_FootOffset(actor)));
    for (int32_t k = 0; k < PLT_Count; k++) {
        const PLT_Record &r = PLT_Records[k];
        if (foot[0] < r.bounds[0] || foot[0] > r.bounds[1] || foot[1] < r.bounds[2] || foot[1] > r.bounds[3] ||
            foot[2] < r.bounds[4] || foot[2] > r.bounds[5]) {
            continue;
        }
        actor->coll_flags[0] |= ACTOR_C0_ON_PLATFORM;
        actor->platform_index = k;
        actor->reference_height = r.centre[1];
        out[0] = out[2] = 0;
        out[1] = int32_t(uint32_t(foot[1]) - uint32_t(r.centre[1]));
        return out[1] == 0 ? 1 : 2;
    }
    return 0;
}
