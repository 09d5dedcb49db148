// Scene triggers: the project's trigger sources and what they watch.
#pragma once

struct ActorRecord;

// The level load copies the active trigger sources of the current project.
void TRG_Load();
// The character loader tells the triggers of each new character: one that a trigger shows later
// starts hidden and disabled.
void TRG_HideLaterShown(ActorRecord *actor);
