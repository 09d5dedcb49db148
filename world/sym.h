// Symbol files: the per-actor symbol data under data\sym\.
#pragma once

struct ActorRecord;

// The level load empties the symbol area.
void SYM_Reset();
// Loads the named symbol file for the actor; a file that does not open is skipped.
void SYM_Load(ActorRecord *actor, const char *name);
