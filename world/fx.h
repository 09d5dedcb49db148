// Effect models: glow balls, shots and the ribbon.
#pragma once
#include <cstdint>

struct ActorRecord;

// The actor step hangs a glow ball on an actor whose spell animation passes its hit frame.
void FX_AttachBall(int32_t kind, ActorRecord *actor, int32_t node, int32_t size);

// What the stand-in saw: its calls.
extern int32_t FX_BallCount;
