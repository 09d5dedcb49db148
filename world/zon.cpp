// Zones. Not built yet beyond the global field: the level gets gravity (or the project's own field)
// and nothing else; there is no respawn point, so an actor stays put; no zone acts and no spawner
// spawns.
#include "world/zon.h"

#include "world/phy.h"
#include "world/prj.h"

void ZON_Load()
{
    PHY_ClearFields();
    // Gravity pulls toward +y (down); a project may set its own, y given upward.
    PHY_Field gravity{};
    gravity.kind = PHY_FIELD_UNIFORM;
    gravity.vector[1] = PHY_GRAVITY;
    const int32_t *force = PRJ_Current != nullptr ? PRJ_Current->field_force : nullptr;
    if (force != nullptr) {
        if (force[0] != 0) {
            gravity.vector[0] = force[0];
        }
        if (force[1] != 0) {
            gravity.vector[1] = -force[1];
        }
        if (force[2] != 0) {
            gravity.vector[2] = force[2];
        }
    }
    PHY_AddField(&gravity);
}

void ZON_RandomPoint(ActorRecord *) {}
void ZON_Update(ActorRecord *) {}
void ZON_UpdateSpawners(ActorRecord *) {}
