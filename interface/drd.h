// The dialogue file: numbered spoken entries (a voice, timed subtitle lines, a speaker's picture), one
// of them loaded at a time, and the player that times the lines against the voice.
#pragma once
#include <cstdint>

// Lines of one entry at most, and the bytes a line's text may count.
constexpr int32_t DLG_MAX_LINES = 64;
constexpr int32_t DLG_TEXT_BYTES = 255;

// Start-up (SYS_Init): opens the file below the installation folder and reads its offset table; 1, or
// 0 when the file is missing or damaged.
int32_t DRD_Open(const char *path);
// Shutdown (SYS_Shutdown): closes the file and gives its tables back.
void DRD_Close();
int32_t DRD_GetCount();
// The developers' tools: the header's entry-buffer size and entry i's offset (0 outside the table).
uint32_t DRD_GetBufferSize();
uint32_t DRD_GetOffset(int32_t i);

// Loads dialogue entry n for the window; 1 when it loaded. Called for a scene's dialogue event.
int32_t DLG_LoadEntry(int32_t n);
// Reads entry i into the entry buffer; 1 when it is read (or is already the current entry), else 0
// with no entry current.
int32_t DLG_ReadEntry(int32_t i);
// The current entry's number, -1 for none.
int32_t DLG_GetCurrentEntry();
// The voice's WAVE image and its length (length may be null); null when no entry is loaded.
const uint8_t *DLG_GetSound(uint32_t *length);
// The speaker's picture (a sprite-file image) and its length; null and 0 when the entry has none.
void DLG_GetExtraChunk(const uint8_t **address, uint32_t *length);
int32_t DLG_GetLineCount();
// Line j's start in ticks (15 a second) and its zero-terminated text; 0 and "" outside the lines.
int32_t DLG_GetLineStart(int32_t j);
const char *DLG_GetLineText(int32_t j);
// The voice's length in ticks.
int32_t DLG_GetDuration();
// Ticks from line j's start to the next line's (to the end of the voice for the last line).
int32_t DLG_GetLineDuration(int32_t j);
// The developers' tools: the entry's length in the file, and whether line j's counted bytes ended with
// their own zero.
uint32_t DLG_GetEntryLength();
int32_t DLG_GetLineTerminated(int32_t j);
// The dialog window: plays the current entry's voice and notes the clock as its start.
void DLG_Start();
void DLG_Stop();
// The line that should show now by the clock, -1 before the first and from the end of the voice.
int32_t DLG_GetCurrentLine();
