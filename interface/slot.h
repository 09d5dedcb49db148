// The save-slot list: the ten slots as text rows, where the player picks a game to load or a slot to
// save into.
#pragma once
#include <cstdint>

// The list's state between two passes: left (finished), left after a save or load (success), left
// with Escape (cancelled), the current slot, the list's mode, whether a name was typed, the cursor
// mark's phase and the closing blink.
struct SLOT_ListState {
    int32_t finished;
    int32_t success;
    int32_t cancelled;
    int32_t current;
    int32_t save_mode;
    int32_t typed;
    int32_t cursor_phase;
    int32_t blink;
};
extern SLOT_ListState SLOT_List;

// The list's opener (the title's "LOAD A GAME", the in-game menu): chooses the current slot and
// starts the list; 1 when that slot is locked, else 2.
int32_t SLOT_FindLatest(int32_t saving);
// One drawing pass of the list, on every pass of its caller; returns the current slot.
int32_t SLOT_DrawList(int32_t saving);
// One input pass of the list, on every pass of its caller while the list is not finished; returns the
// message to show, 0 for none.
int32_t SLOT_EditName();
