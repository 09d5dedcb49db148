// The in-game menu. Not built yet: it closes as soon as it opens.
#include "interface/menu.h"

void MENU_OpenSystem() {}
void MENU_OpenSpells() {}
void MENU_OpenObjects() {}
void MENU_Run() {}
