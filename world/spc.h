// Special level actors: the video actor and the flying actor the hero can couple to.
#pragma once

struct ActorRecord;

// The level load makes the video actor from the hero.
void SPC_MakeVid(ActorRecord *hero_template);
// The level load looks for the flying actor among the characters.
void SPC_FindF27();
