// Symbol selection lists: the menus of symbols opened over the running game.
#pragma once
#include <cstdint>

struct ActorRecord;

// Called once a frame by the game tick after the scene is composed: draws the open symbol menu.
int32_t SYM_MenuDraw();
// Called once a frame by the hero's ground moves: 1 when a symbol menu open for the actor has taken
// the controls (the moves then stop), else 0.
int32_t SYM_MenuInput(ActorRecord *actor);
// What the stand-in answers SYM_MenuInput (0: no menu is open).
extern int32_t SYM_MenuInputAnswer;
// The creature AI asks these of a character walking up to a conversation partner: whether it has
// symbol data, whether its menu is open, and to open it toward the partner or close it.
int32_t SYM_HasMenu(const ActorRecord *actor);
int32_t SYM_MenuIsOpen(const ActorRecord *actor);
void SYM_MenuOpen(ActorRecord *actor, ActorRecord *partner);
void SYM_MenuClose(ActorRecord *actor);
