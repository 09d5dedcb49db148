// Symbol selection lists: the menus of symbols opened over the running game.
#pragma once
#include <cstdint>

struct ActorRecord;

// Called once a frame by the game tick after the scene is composed: draws the open symbol menu.
int32_t SYM_MenuDraw();
// The creature AI asks these of a character walking up to a conversation partner: whether it has
// symbol data, whether its menu is open, and to open it toward the partner or close it.
int32_t SYM_HasMenu(const ActorRecord *actor);
int32_t SYM_MenuIsOpen(const ActorRecord *actor);
void SYM_MenuOpen(ActorRecord *actor, ActorRecord *partner);
void SYM_MenuClose(ActorRecord *actor);
