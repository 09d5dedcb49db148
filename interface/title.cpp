// The title sequence: the intro film under the title's own receiver, the main menu's ring of four
// items over the looping background film under the control receiver, the closing beats, and the
// start of a new game.
#include "interface/title.h"

#include <cstring>
#include <string>

#include "core/game_frame.h"
#include "core/opt.h"
#include "core/que.h"
#include "core/scr.h"
#include "core/snd.h"
#include "core/sys.h"
#include "films/hnm.h"
#include "interface/ico.h"
#include "interface/menj.h"
#include "interface/menu.h"
#include "interface/slot.h"
#include "interface/txt.h"
#include "world/ctrl.h"
#include "world/inv.h"
#include "world/prj.h"
#include "world/visited.h"

MGM_Queue *TITLE_Queue;
MGM_Queue *TITLE_SavedQueue;
MGM_Handler TITLE_SavedHandler;
int32_t TITLE_Done;
int32_t TITLE_FrameDue;
int32_t TITLE_BeatCount;
int32_t TITLE_LastBeat;
int32_t TITLE_LastPaced;
int32_t TITLE_SubScreen;
int32_t TITLE_Item;
int32_t TITLE_GameLoaded;
int32_t TITLE_ReturnButton;
int32_t TITLE_FirstPass;

TITLE_ItemRecord TITLE_Items[TITLE_ITEM_COUNT] = {
    {"NEW GAME", "UpLfNA", "UpLf", 0, 0, -1, -1, -1, -1, 0, 0},
    {"LOAD A GAME", "UpRgNA", "UpRg", 1, 0, -1, -1, -1, -1, 0, 0},
    {"OPTIONS", "DnLfNA", "DnLf", 0, 1, -1, -1, -1, -1, 0, 0},
    {"QUIT", "DnRgNA", "DnRg", 1, 1, -1, -1, -1, -1, 0, 0},
};
int32_t TITLE_LabelX;
int32_t TITLE_LabelY;

namespace {

constexpr int VK_RETURN = 0x0D;
// A clock reading more than this many units after the last beat starts a new beat.
constexpr int32_t BEAT_UNITS = 40;
// The closing rounds end once the beat counter passes this.
constexpr int32_t CLOSING_BEATS = 2;
constexpr int32_t SOUND_MOVE = 9;
constexpr int32_t SOUND_CHOICE = 10;

// The ring circles the 2 x 2 grid 0, 1, 3, 2: where left and right go from each item.
constexpr int32_t RING_LEFT[TITLE_ITEM_COUNT] = {2, 0, 3, 1};
constexpr int32_t RING_RIGHT[TITLE_ITEM_COUNT] = {1, 3, 0, 2};

bool pressed(int32_t word) { return (word & (CTRL_HELD | CTRL_CHANGED)) == (CTRL_HELD | CTRL_CHANGED); }

int32_t read_clock() { return int32_t(MGM_SendMessage(17)); }

// Clock units since a reading; the clock wraps at 32 bits.
int32_t since(int32_t now, int32_t then) { return int32_t(uint32_t(now) - uint32_t(then)); }

void clear_frame() { std::memset(SCR_FrameBuffer, 0, size_t(SCR_Width) * SCR_Height * sizeof(uint16_t)); }

// Both buffers black: the one shown and the one drawn next.
void clear_both_buffers()
{
    clear_frame();
    SCR_Flip();
    clear_frame();
}

bool film_plays() { return MGM_IsVideoRunning() != 0; }

// Opens and starts a film of data\hnm; one that does not open is passed over.
bool start_film(const char *name)
{
    const std::string path = std::string("data\\hnm\\") + name;
    if (MGM_SendMessage(23, reinterpret_cast<intptr_t>(path.c_str()), 5) == 0) {
        return false;
    }
    MGM_SendMessage(24);
    GAME_FilmFrozen = 0;
    GAME_FilmHold = 1;
    return true;
}

// One dispatch round; false once the window was closed, with the process quit word set.
bool dispatch()
{
    if (MGM_DispatchMessages() == 0) {
        SYS_ExitWord = 1;
        return false;
    }
    return true;
}

void play_sound(int32_t sound)
{
    SND_Request request{};
    request.kind = 1;
    request.sound = sound;
    request.flags = SND_LAST_CHANNEL;
    SND_PlayEffect(&request);
}

// The menu on a due frame. Over a film that draws pictures, the film's frame-due events pace it and
// the film's next picture is the next frame's background. Over no film, or one whose frames draw
// nothing, the menu paces itself at the films' rate and the background is black, cleared after each
// present so that a label never prints over the last one; the film still steps at its own pace.
void draw_due_frame(int32_t now)
{
    if (HNM_DrawsPictures() != 0) {
        if (TITLE_FrameDue != 0) {
            TITLE_DrawMenu();
            TITLE_FrameDue = 0;
            if (film_plays()) {
                SCR_Flip();
                HNM_NextFrame();
            }
        }
        return;
    }
    if (since(now, TITLE_LastPaced) >= int32_t(HNM_FRAME_UNITS)) {
        TITLE_LastPaced = now;
        TITLE_DrawMenu();
        SCR_Flip();
        clear_frame();
    }
    if (TITLE_FrameDue != 0) {
        TITLE_FrameDue = 0;
        if (film_plays()) {
            HNM_NextFrame();
        }
    }
}

void choose_item()
{
    play_sound(SOUND_CHOICE);
    switch (TITLE_Item) {
    case 0:
        PRJ_Current->film_name[0] = '\0';
        GAME_ReturnToTitle = 0;
        TITLE_Done = 1;
        break;
    case 1:
        TITLE_SubScreen = 1;
        SLOT_List = SLOT_ListState{};
        SLOT_FindLatest(0);
        TITLE_FirstPass = 0;
        break;
    case 2:
        TITLE_SubScreen = 1;
        MENU_ScreenModeIndex();
        break;
    default:
        GAME_ReturnToTitle = 0;
        GAME_EndRequest = 1;
        TITLE_Done = 1;
        break;
    }
}

void move_on_ring(const int32_t (&ring)[TITLE_ITEM_COUNT])
{
    TITLE_Item = ring[TITLE_Item];
    TITLE_BeatCount = 0;
    play_sound(SOUND_MOVE);
}

void ring_input()
{
    if (pressed(CTRL_Controls[CTRL_K2])) {
        GAME_EndRequest = 1;
        TITLE_Done = 1;
        TITLE_BeatCount = 0;
        play_sound(SOUND_CHOICE);
        TITLE_Item = 3;
    } else if (pressed(CTRL_Controls[CTRL_K1]) || pressed(TITLE_ReturnButton)) {
        choose_item();
    } else if (pressed(CTRL_Controls[CTRL_LEFT])) {
        move_on_ring(RING_LEFT);
    } else if (pressed(CTRL_Controls[CTRL_RIGHT])) {
        move_on_ring(RING_RIGHT);
    }
}

void sub_screen()
{
    if (TITLE_Item == 1) {
        SLOT_DrawList(0);
        // The key that opened the list must not act in it.
        if (TITLE_FirstPass == 0) {
            TITLE_FirstPass = 1;
            GAME_LastKey = 0;
        }
        if (SLOT_List.finished == 0) {
            SLOT_EditName();
        }
        if (SLOT_List.finished != 0 && SLOT_List.success == 0) {
            if (SLOT_List.cancelled == 0) {
                TITLE_Done = 1;
                TITLE_GameLoaded = 1;
            }
            TITLE_SubScreen = 0;
        }
    } else if (TITLE_Item == 2) {
        MENU_DrawOptions();
        MENU_OptionsInput(&TITLE_SubScreen);
    } else {
        TITLE_SubScreen = 0;
    }
}

// A new game: the database read again, the visited levels, the inventory and the hands emptied, and
// the first project loaded through the fade, keeping the film name the menu left it.
void start_new_game()
{
    char film[sizeof(PRJ_Current->film_name)];
    std::memcpy(film, PRJ_Current->film_name, sizeof film);
    PRJ_ClearVisited();
    PRJ_LoadDatabase();
    INV_Reset();
    MENJ_ClearHands();
    MENJ_Info.icon = {-1, -1};
    std::memcpy(PRJ_Current->film_name, film, sizeof film);
    GAME_FadeTimer = 15.0f;
    PRJ_Next = PRJ_Current;
    GAME_FilmFrozen = 0;
}

} // namespace

void TITLE_PushReceiver()
{
    TITLE_Queue = QUE_Create(50);
    if (TITLE_Queue == nullptr) {
        // Without its queue the intro would never see a key nor its film's end.
        SYS_FatalError("Kalder Internal Error : can't create TITLE", 999, 1);
    }
    TITLE_SavedQueue = reinterpret_cast<MGM_Queue *>(MGM_SendMessage(40));
    TITLE_SavedHandler = reinterpret_cast<MGM_Handler>(MGM_SendMessage(41));
    MGM_SendMessage(39, reinterpret_cast<intptr_t>(TITLE_Queue), reinterpret_cast<intptr_t>(&TITLE_Handler));
}

void TITLE_PopReceiver()
{
    QUE_Destroy(TITLE_Queue);
    TITLE_Queue = nullptr;
    MGM_SendMessage(39, reinterpret_cast<intptr_t>(TITLE_SavedQueue), reinterpret_cast<intptr_t>(TITLE_SavedHandler));
}

uint8_t TITLE_Handler()
{
    GAME_LastKey = 0;
    MGM_Event event;
    while (QUE_Read(TITLE_Queue, &event)) {
        if (GAME_ReadPointerEvent(event, 1)) {
            continue;
        }
        if (event.type == '>') {
            TITLE_FrameDue = GAME_FilmFrozen == 1 ? 0 : 1;
        } else if (event.type == '?') {
            TITLE_Done = 1;
        }
    }
    CTRL_MapInput();
    CTRL_MeasureFrame();
    return 1;
}

void TITLE_LoadFrame()
{
    const MENU_LayoutRecord &layout = MENU_Layout;
    for (TITLE_ItemRecord &item : TITLE_Items) {
        ICO_Find(item.unlit, &item.unlit_set, &item.unlit_sprite);
        ICO_Find(item.lit, &item.lit_set, &item.lit_sprite);
        item.x = item.column * (64 / layout.h_divisor) + 50 / layout.h_divisor;
        item.y = item.row * (64 / layout.v_divisor) + 85 / layout.v_divisor;
    }
    TITLE_LabelX = 50 / layout.h_divisor;
    TITLE_LabelY = (layout.virtual_height - 135) / layout.v_divisor + 24 / layout.v_divisor;
}

void TITLE_DrawMenu()
{
    for (int32_t i = 0; i < TITLE_ITEM_COUNT; i++) {
        const TITLE_ItemRecord &item = TITLE_Items[i];
        if (item.unlit_set < 0) {
            continue;
        }
        if (i == TITLE_Item) {
            ICO_Draw(item.lit_set, item.lit_sprite, 0, item.x, item.y);
        } else {
            ICO_Draw(item.unlit_set, item.unlit_sprite, 0, item.x, item.y);
        }
    }
    TXT_PrintShaded(TITLE_LabelX, TITLE_LabelY, 0, 0, "%s", TITLE_Items[TITLE_Item].label);
}

void TITLE_MenuRound()
{
    CTRL_UpdateButtonWord(&TITLE_ReturnButton, GAME_LastKey == VK_RETURN);
    const int32_t now = read_clock();
    if (since(now, TITLE_LastBeat) > BEAT_UNITS) {
        TITLE_LastBeat = now;
        GAME_SampleTaken = 1;
        TITLE_BeatCount = TITLE_SubScreen == 0 ? TITLE_BeatCount + 1 : 0;
    }
    if (TITLE_SubScreen == 0) {
        ring_input();
    } else {
        sub_screen();
    }
    draw_due_frame(now);
}

void TITLE_EndRounds()
{
    const int32_t now = read_clock();
    if (since(now, TITLE_LastBeat) > BEAT_UNITS) {
        TITLE_LastBeat = now;
        TITLE_BeatCount++;
    }
    draw_due_frame(now);
    if (TITLE_BeatCount > CLOSING_BEATS) {
        TITLE_Done = 1;
    }
}

void TITLE_Run()
{
    CTRL_ResetButtons();
    TITLE_ReturnButton = 0;
    MENU_ComputeLayout();
    clear_both_buffers();

    CTRL_Install();
    TITLE_GameLoaded = 0;
    TITLE_Done = 0;
    TITLE_BeatCount = 0;
    GAME_ReturnToTitle = 0;
    GAME_EndRequest = 0;
    TITLE_PushReceiver();

    // The intro: a key or its end goes on to the menu. Without the film there is nothing to wait for.
    TITLE_FrameDue = 0;
    if (!start_film("intro.hnm")) {
        TITLE_Done = 1;
    }
    while (TITLE_Done == 0) {
        if (!dispatch()) {
            return;
        }
        if (pressed(CTRL_Controls[CTRL_K2]) || pressed(CTRL_Controls[CTRL_K1])) {
            TITLE_Done = 1;
        }
        if (TITLE_FrameDue != 0) {
            TITLE_FrameDue = 0;
            if (film_plays()) {
                SCR_Flip();
                HNM_NextFrame();
            }
        }
    }

    // The menu, over the background film that the control receiver starts again at each end.
    TITLE_PopReceiver();
    TITLE_Done = 0;
    TITLE_SubScreen = 0;
    TITLE_FrameDue = 0;
    start_film("generic.hnm");
    TITLE_LoadFrame();
    TITLE_LastBeat = read_clock();
    TITLE_LastPaced = TITLE_LastBeat;
    while (TITLE_Done == 0) {
        if (!dispatch()) {
            return;
        }
        TITLE_MenuRound();
    }

    TITLE_BeatCount = 0;
    TITLE_Done = 0;
    while (TITLE_Done == 0) {
        TITLE_EndRounds();
        if (!dispatch()) {
            return;
        }
    }

    if (film_plays()) {
        MGM_SendMessage(25);
        GAME_FilmHold = 0;
    }
    TITLE_DrawMenu();
    CTRL_Uninstall();
    SCR_Flip();
    CTRL_Controls[CTRL_K1] = 0;
    CTRL_Controls[CTRL_K2] = 0;
    CTRL_Controls[CTRL_SEL] = 0;

    if (GAME_EndRequest == 0 && TITLE_GameLoaded == 0) {
        start_new_game();
    }
    clear_both_buffers();
    GFX_PrimeFireTexture();
    // A program that quits plays no film on its way out.
    if (GAME_EndRequest == 0) {
        const char *field = PRJ_Current->film_name;
        const std::string film(field, strnlen(field, sizeof(PRJ_Current->film_name)));
        if (!film.empty()) {
            start_film(film.c_str());
        }
    }
    TITLE_GameLoaded = 0;
    CTRL_ResetButtons();
}
