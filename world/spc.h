// Special level actors: the flying actor and the video actor.
#pragma once

struct ActorRecord;

// Called once per frame by the game tick outside the editor: the flying actor's behaviour.
void SPC_UpdateF27();
// The video actor while it is enabled, else null: the player steers it instead of the hero.
ActorRecord *SPC_ActiveVid();
// Called once per frame by the game tick for the steered actor: the flying actor's motion.
void SPC_MoveF27(ActorRecord *actor);
