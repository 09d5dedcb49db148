// Scriptable stand-ins for the game world, the films and the interface, for tests of the system core
// that must steer or watch them. Every call is logged by name, in order.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace fake {

struct Script {
    std::string opening_film;        // copied into the current project's film name at database load
    int32_t dsn_create = 1;
    int32_t drd_open = 1;
    int32_t hnm_open = 0;            // film kind HNM_Open answers
    int32_t hnm_frame_due = 0;
    std::function<void()> title_run; // what TITLE_Run does (nothing by default)
    std::function<void()> game_tick; // what GAME_Tick does (nothing by default)
    std::function<void()> print_centred; // what TXT_PrintCentred does after logging (nothing by default)
    int32_t tex_has_animated = 0;
    std::function<void()> col_collide;  // what COL_Collide does (nothing by default)
    std::function<void()> menu_open;    // what each MENU_Open* does (nothing by default)
};

// A call of TXT_DrawString.
struct Text {
    std::string text;
    int32_t x;
    int32_t y;
    int32_t style;
    bool operator==(const Text &) const = default;
};

Script &script();
std::vector<std::string> &calls();
// Clears the log and restores the default script.
void reset();
// Position of the first call of that name in the log, or -1.
int position(const std::string &name);
int count(const std::string &name);
// Every TXT_DrawString since the last reset, in order.
std::vector<Text> &texts();

} // namespace fake
