// The language file of the game's texts.
#pragma once

// Start-up (MENJ_Init): the texts stay the built-in English ones, so it reads nothing.
void LANG_LoadTexts();
