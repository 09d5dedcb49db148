// Physics: the field table, the bodies of moving actors, the project's water surface and the motion of
// actors through the scene.
#pragma once
#include <cstdint>

struct ActorRecord;

// Field kinds.
inline constexpr uint8_t PHY_FIELD_UNIFORM = 0; // force = mass x vector (gravity)
inline constexpr uint8_t PHY_FIELD_BOX = 1;     // force = coupling x vector inside [min, max]
inline constexpr uint8_t PHY_FIELD_POINT = 2;   // along the offset from the centre (min), coupling x strength / r^2
inline constexpr uint8_t PHY_FIELD_DIRECT = 3;  // vector x h added to the step, not to the force

// A force field of the level.
struct PHY_Field {
    uint8_t kind;
    uint8_t active;
    double vector[3];
    double min[3];   // the box's minimum, or the point field's centre
    double max[3];   // the box's maximum
    double strength; // the point field's strength
};

inline constexpr int32_t PHY_MAX_FIELDS = 128;
inline constexpr double PHY_GRAVITY = 9.81;

extern PHY_Field PHY_Fields[PHY_MAX_FIELDS];
extern int32_t PHY_FieldCount;

// The y of the current project's water surface; 0: none.
extern int32_t PHY_WaterHeight;

// The level load empties the field table before the zones add theirs.
void PHY_ClearFields();
void PHY_Reset();
// Copies a field into the table, active; its index, or -1 when the table is full.
int32_t PHY_AddField(const PHY_Field *field);
// The triggers switch a zone's fields; an index outside the table is ignored.
void PHY_EnableField(int32_t i);
void PHY_DisableField(int32_t i);
// The summed force of the active uniform, box and point fields at a position.
void PHY_SumFields(const double *position, double mass, double coupling, double *force);
// The summed vectors of the active direct fields, times the factor.
void PHY_SumDirect(double factor, double *out);

// The level load sets up the body (and collision spheres) of an actor that moves.
void PHY_ResetBody(ActorRecord *actor);
// Per actor per frame, from the animation players once the frame's motion is known: moves the actor
// by it and places its node.
void PHY_MoveObject(ActorRecord *actor);
// The fading start of modes 2 and 3: once `flag` of the contact byte is seen, the vertical velocity
// fades from where it stood to 0 over `span` frames.
void PHY_FadeStart(ActorRecord *actor, uint8_t flag, double span);
// One step of the velocity and the working position.
void PHY_Integrate(ActorRecord *actor);
// The working position takes the position before a step; the position takes it back after.
void PHY_SavePosition(ActorRecord *actor);
void PHY_RestorePosition(ActorRecord *actor);
// How far below its node an actor's foot is: its foot marker's local y, or its second radius.
int32_t PHY_FootOffset(const ActorRecord *actor);
