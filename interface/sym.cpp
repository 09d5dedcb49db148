// Symbol selection lists. Not built yet: no character has symbol data, no symbol menu is ever open,
// so nothing is drawn and a conversation never starts.
#include "interface/sym.h"

int32_t SYM_MenuInputAnswer;

int32_t SYM_MenuDraw() { return 1; }
int32_t SYM_MenuInput(ActorRecord *) { return SYM_MenuInputAnswer; }
int32_t SYM_HasMenu(const ActorRecord *) { return 0; }
int32_t SYM_MenuIsOpen(const ActorRecord *) { return 0; }
void SYM_MenuOpen(ActorRecord *, ActorRecord *) {}
void SYM_MenuClose(ActorRecord *) {}
