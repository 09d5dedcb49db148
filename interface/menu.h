// The in-game menu in its three modes. Each runs its own rounds and returns when the menu closes.
#pragma once

void MENU_OpenSystem();
void MENU_OpenSpells();
void MENU_OpenObjects();
// The in-game menu as the hero's action opens it, from the actor step.
void MENU_Run();
