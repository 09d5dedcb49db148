// Start-up, main loop and shutdown of the program, and the fatal-error stop every module uses.
#pragma once
#include <cstdint>

struct MEM_Stack;
struct MGM_Queue;

// Words of the main loop.
extern int32_t SYS_ExitWord;        // 1 once a modal loop saw the quit request
extern int32_t GAME_EndRequest;     // 1 asks the running game to end
extern int32_t GAME_ReturnToTitle;  // non-zero: a game that ends goes back to the title
extern int32_t GAME_FilmHold;       // 1 while a film holds the game
extern int32_t GAME_FilmFrozen;     // 1 stops film frames from advancing

extern MEM_Stack *MEM_Arena;        // the memory arena, 0x172000 bytes
extern MGM_Queue *GAME_EventQueue;  // the game receiver's queue
extern float GAME_Tuning[3];        // set to 20, 100 and 0 before the first game frame

int WinMain(void *instance, void *previous, const char *command_line, int show_command);
void SYS_Init();
void SYS_CreateMessageManager();
void SYS_DestroyMessageManager();
void SYS_Shutdown();
void SYS_PrintBanner();
void SYS_EmptyStep();

// Shows the text in the "Error" box owned by the main window, then ends the process with the code
// taken as a signed 16-bit value. flag is not used.
[[noreturn]] void SYS_FatalError(const char *text, int code, int flag);
