// Special level actors: the video actor and the flying actor the hero can couple to.
#pragma once
#include <cstdint>

struct ActorRecord;

// The level load makes the video actor from the hero.
void SPC_MakeVid(ActorRecord *hero_template);
// The level load looks for the flying actor among the characters.
void SPC_FindF27();
// Called once per frame by the game tick outside the editor: the flying actor's behaviour.
void SPC_UpdateF27();
// The video actor while it is enabled, else null: the player steers it instead of the hero.
ActorRecord *SPC_ActiveVid();
// Called once per frame by the game tick for the steered actor: the flying actor's motion.
void SPC_MoveF27(ActorRecord *actor);
// The coupling powers show the special object for the shooter; null when there is none.
ActorRecord *SPC_ShowVid(ActorRecord *shooter, ActorRecord *other);
// When such a power ends: the special object is hidden again.
void SPC_HideVid();

// What the stand-in saw: its calls of SPC_ShowVid, with the last shooter, and of SPC_HideVid.
extern int32_t SPC_ShowVidCalls;
extern ActorRecord *SPC_LastShowVid;
extern int32_t SPC_HideVidCalls;
