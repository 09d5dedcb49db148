// The in-game menu in its three modes. Each runs its own rounds and returns when the menu closes.
#pragma once

void MENU_OpenSystem();
void MENU_OpenSpells();
void MENU_OpenObjects();
