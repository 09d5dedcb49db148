// Symbol selection lists: a creature with symbol data says a step of it, its words fly to the partner
// as 3D items, and the player picks one of them to choose the next step.
#include "interface/sym.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <iterator>

#include "core/fconv.h"
#include "core/game_frame.h"
#include "engine3d/image.h"
#include "engine3d/object.h"
#include "interface/txt.h"
#include "world/actor.h"
#include "world/ctrl.h"

namespace {

// A word with its synonyms, each in its own 24-byte slot.
constexpr SYM_Word Word(uint32_t id, const char *first = "", const char *second = "", const char *third = "",
                        const char *fourth = "")
{
    SYM_Word w{id, {}};
    const char *synonyms[4] = {first, second, third, fourth};
    for (int32_t s = 0; s < 4; s++) {
        for (int32_t i = 0; synonyms[s][i] != '\0' && i < SYM_SYNONYM_BYTES - 1; i++) {
            w.text[s * SYM_SYNONYM_BYTES + i] = synonyms[s][i];
        }
    }
    return w;
}

} // namespace

const SYM_Word SYM_Words[SYM_WORD_COUNT] = {
    Word(0, "Start"),   Word(1, "End"),      Word(2),           Word(3),          Word(4, "Who"),
    Word(6, "Where"),   Word(6, "Why"),      Word(7, "Help"),   Word(8),          Word(9),
    Word(10, "Fire"),   Word(11, "Water"),   Word(12, "Earth"), Word(13, "Air"),  Word(14, "Spirit"),
    Word(15),           Word(16),            Word(17),          Word(18),         Word(19),
    Word(20, "Shaman"), Word(21, "Village"), Word(22, "Temple"), Word(23, "Key"), Word(24, "Door"),
    Word(25, "Sword"),  Word(26, "Bow"),     Word(27, "Mana"),  Word(28, "Life"), Word(29, "Death"),
    Word(30, "Friend"), Word(31, "Enemy"),   Word(32, "Yes", "Ok", "Sure"), Word(33, "No", "Never"),
    Word(34, "Trade"),  Word(35, "Gift"),    Word(36, "Path"),  Word(37, "Forest"), Word(38, "River"),
    Word(39, "Mountain"), Word(40, "Cave"),  Word(41, "Tower"), Word(42, "King"), Word(43, "Magic"),
    Word(44, "Night"),  Word(45),            Word(46),          Word(47),         Word(48),
    Word(49),
};

SYM_Menu SYM_Menus[SYM_MENU_COUNT];
OBJ_Handle SYM_WordModels[16];

namespace {

constexpr int32_t Text_X = 100, Text_Y = 240, Text_Left = 40;
constexpr int32_t Row_Top = 65, Row_Height = 18;
// The sentence is printed on the screen's own rows like the choice rows under it. On the printer that
// scales a 640 x 400 page to the screen it came down to row 0 of the choice on a 480-line screen and
// hid its first word.
constexpr int32_t Sentence_Font = 0;

} // namespace

bool SYM_StepAt(const uint8_t *data, uint32_t size, uint32_t offset, SYM_Step *step)
{
    if (data == nullptr || uint64_t(offset) + 3 > size) {
        return false;
    }
    step->length = data[offset];
    if (step->length == 0) {
        return false;
    }
    const uint64_t end = std::min<uint64_t>(uint64_t(offset) + step->length, size);
    step->kind = data[offset + 1];
    step->id_count = data[offset + 2];
    const uint64_t text_byte = uint64_t(offset) + 3 + step->id_count;
    if (text_byte + 1 > end) {
        return false;
    }
    step->ids = data + offset + 3;
    step->text_length = data[text_byte];
    if (text_byte + 1 + step->text_length > end) {
        return false;
    }
    step->text = data + text_byte + 1;
    return true;
}

namespace {

bool Read_Step_At(const ActorRecord *owner, uint32_t offset, SYM_Step *step)
{
    return SYM_StepAt(owner->symbol_data, owner->symbol_size, offset, step);
}

// The step with the given index, walked from the first; false when the walk cannot reach it readably.
bool Find_Step(const ActorRecord *owner, int32_t index, SYM_Step *step)
{
    uint32_t offset = 0;
    for (int32_t k = 0;; k++) {
        if (!Read_Step_At(owner, offset, step)) {
            return false;
        }
        if (k == index) {
            return true;
        }
        offset += step->length;
    }
}

// The first synonym of a word; ids past the table are shown as empty rows (null).
const char *Word_Text(uint8_t id) { return id < SYM_WORD_COUNT ? SYM_Words[id].text : nullptr; }

double Angle(const ActorRecord *partner)
{
    return double(4096 - ((partner->heading + 2560) & 4095)) * 2.0 * M_PI / 4096.0;
}

void Set_Point(double *p, double x, double y, double z)
{
    p[0] = x;
    p[1] = y;
    p[2] = z;
}

void Delete_Items(SYM_Menu *menu)
{
    for (int32_t i = 0; i < menu->count; i++) {
        Delete_Obj(menu->items[i]);
    }
    menu->count = 0;
}

} // namespace

// The items fly from above the owner, in a line bent away from it, to a ring beside the partner.
static void SYM_PlaceLine(SYM_Menu *menu, const ActorRecord *a, const ActorRecord *b)
{
    const double g = Angle(b);
    for (int32_t i = 0; i < menu->count; i++) {
        double(*p)[3] = menu->paths[i];
        Set_Point(p[0], a->position[0] + 30 * i, a->position[1] - 250 + 50 * i, a->position[2] - 30 * i);
        Set_Point(p[1], a->position[0] + 400 - 100 * i, a->position[1] - 600 + 50 * i, a->position[2] + 400 - 70 * i);
        Set_Point(p[2], b->position[0] - 300 + 100 * i, b->position[1] - 150 + 50 * i, b->position[2] + 250 + 100 * i);
        Set_Point(p[3], b->position[0] + 150 * std::cos(g), b->position[1] - 150 + 50 * i, b->position[2] + 150 * std::sin(g));
    }
}

// While the player chooses, the items circle beside the partner, the one at the cursor a little nearer.
static void SYM_PlaceItems(SYM_Menu *menu, const ActorRecord *b)
{
    const double g = Angle(b);
    const double d = 200.0;
    for (int32_t i = 0; i < menu->count; i++) {
        const double r = i == menu->cursor ? 130.0 : 150.0;
        const double x = b->position[0] + r * std::cos(g), z = b->position[2] + r * std::sin(g);
        double(*p)[3] = menu->paths[i];
        Set_Point(p[0], x, b->position[1] - 150 + 50 * i, z);
        Set_Point(p[1], x + d, b->position[1] - 200 + 60 * i, z);
        Set_Point(p[2], x, b->position[1] - 120 + 40 * i, z + d);
        std::memcpy(p[3], p[0], sizeof p[0]);
    }
}

// Takes the step's shown words and gives each an item; ids is the step's list of n ids.
static void SYM_ReadStep(SYM_Menu *menu, const uint8_t *ids, uint8_t n)
{
    menu->count = 0;
    for (int32_t k = 0; k < n; k++) {
        // Past the 15th shown word there is no room for a row or an item; the end mark always fits.
        if ((ids[k] & SYM_HIDDEN) == 0 && menu->count < SYM_MAX_WORDS) {
            menu->words[menu->count++] = ids[k];
        }
    }
    menu->words[menu->count] = SYM_END_MARK;
    for (int32_t i = 0; i < menu->count; i++) {
        const OBJ_Handle model = SYM_WordModels[i];
        menu->items[i] = Clone_Obj(model);
        Link_Obj(menu->items[i], 0);
        // The loaded model is kept hidden; its copies are the ones seen.
        if (model != 0) {
            Show_Obj_Tree(menu->items[i]);
        }
    }
    menu->cursor = 0;
    if (n != 0) {
        SYM_PlaceLine(menu, menu->owner, menu->partner);
    }
}

static void SYM_SetupSentence(SYM_Menu *menu)
{
    SYM_Step step{};
    menu->text[0] = '\0';
    if (Find_Step(menu->owner, menu->step, &step)) {
        SYM_ReadStep(menu, step.ids, step.id_count);
        const size_t n = std::min(size_t(step.text_length), sizeof menu->text - 1);
        std::memcpy(menu->text, step.text, n);
        menu->text[n] = '\0';
    } else {
        // A step the data does not hold readably is said as nothing, with no words: "End" (and "Back"
        // after a match) is what the player can still choose.
        SYM_ReadStep(menu, nullptr, 0);
    }
    menu->text_x = Text_X;
    menu->text_y = Text_Y;
}

static void SYM_MoveItems(SYM_Menu *menu)
{
    const double t = menu->t, s = 1.0 - t;
    const double w[4] = {s * s * s, 3.0 * t * s * s, 3.0 * t * t * s, t * t * t};
    int32_t matrix[9];
    for (int32_t i = 0; i < menu->count; i++) {
        int32_t position[3];
        for (int32_t c = 0; c < 3; c++) {
            const double(*p)[3] = menu->paths[i];
            menu->point[c] = w[0] * p[0][c] + w[1] * p[1][c] + w[2] * p[2][c] + w[3] * p[3][c];
            position[c] = trunc_i32(menu->point[c]);
        }
        Set_Obj_Pos(menu->items[i], position);
        // The root's matrix turns the item to face the camera.
        if (Get_Obj_Matrix(0, matrix) == 0) {
            Set_Obj_Matrix(menu->items[i], matrix);
        }
    }
    menu->t = float(double(menu->t) + double(menu->speed) * GAME_TimeFactor);
    if (menu->t > 1.0f) {
        menu->t = 1.0f;
    }
}

static void SYM_DrawSentence(SYM_Menu *menu)
{
    menu->text_x = std::max(Text_Left, trunc_i32((1.0 - double(menu->t)) * 60.0 + 40.0));
    TXT_DrawString(menu->text, Text_Left, menu->text_y + 15, 0, Sentence_Font);
    menu->speed = float(std::max((1.0 - double(menu->t)) / 40.0, 0.005));
    SYM_MoveItems(menu);
    if (menu->t >= 1.0f) {
        menu->t = 0.0f;
        menu->phase = 1;
    }
}

static void SYM_DrawKind0(SYM_Menu *menu)
{
    if (menu->t == 0.0f) {
        SYM_SetupSentence(menu);
    }
    SYM_DrawSentence(menu);
}

static void SYM_SetupChoice(SYM_Menu *menu)
{
    if (menu->count > 0) {
        SYM_PlaceItems(menu, menu->partner);
    }
}

static void SYM_DrawRows(SYM_Menu *menu)
{
    menu->speed = 0.005f;
    SYM_MoveItems(menu);
    const auto row = [menu](int32_t k, const char *text, bool selected) {
        if (text != nullptr) {
            TXT_DrawString(text, Text_Left, menu->text_y + Row_Top + Row_Height * k, 0, selected ? 0 : 1);
        }
    };
    for (int32_t k = 0; k < menu->count; k++) {
        row(k, Word_Text(menu->words[k]), menu->cursor == k);
    }
    // One empty row parts the words from "Back" and "End"; the first step has nothing to go back to.
    if (menu->step != 0) {
        row(menu->count + 1, "Back", menu->cursor == menu->count);
        row(menu->count + 2, "End", menu->cursor == menu->count + 1);
    } else {
        row(menu->count + 1, "End", menu->cursor == menu->count);
    }
    menu->text_x = std::max(Text_Left, menu->text_x - 1);
    if (menu->text_x > Text_Left) {
        TXT_DrawString(menu->text, menu->text_x, menu->text_y, 0, 1);
        TXT_DrawString(menu->text, 2 * (menu->text_x - Text_Left) + Text_Left, menu->text_y + 15, 0, 0);
    } else {
        TXT_DrawString(menu->text, Text_Left, menu->text_y + 15, 0, Sentence_Font);
    }
    // The items go round their loop again.
    if (menu->t >= 1.0f) {
        menu->t = 0.0f;
    }
}

static void SYM_DrawKind1(SYM_Menu *menu)
{
    if (menu->t == 0.0f) {
        SYM_SetupChoice(menu);
    }
    SYM_DrawRows(menu);
}

// The chosen word is looked for in the key steps (kind 0) from the first; a key step that lists id 1
// ends the search. The step said next is the one after the key step whose list matched: its index
// plus one.
static int32_t SYM_MatchWord(SYM_Menu *menu)
{
    const uint8_t w = menu->words[menu->cursor];
    uint32_t offset = 0;
    SYM_Step step{};
    for (int32_t k = 0; Read_Step_At(menu->owner, offset, &step); k++) {
        if (step.kind == 0) {
            for (int32_t i = 0; i < step.id_count; i++) {
                if (step.ids[i] == w) {
                    // A full history drops its oldest entry, so that "Back" still leads to the latest.
                    if (menu->depth >= SYM_HISTORY) {
                        std::memmove(menu->history, menu->history + 1, sizeof menu->history[0] * (SYM_HISTORY - 1));
                        menu->depth = SYM_HISTORY - 1;
                    }
                    menu->history[menu->depth] = menu->step;
                    menu->step = k + 1;
                    menu->depth++;
                    return 1;
                }
                if (step.ids[i] == SYM_ID_END) {
                    return 0;
                }
            }
        }
        offset += step.length;
    }
    return 0;
}

// The list the actor takes part in, or null.
static SYM_Menu *Menu_Of(const ActorRecord *actor)
{
    if (actor == nullptr || actor->symbol_menu < 0 || actor->symbol_menu >= SYM_MENU_COUNT) {
        return nullptr;
    }
    SYM_Menu *menu = &SYM_Menus[actor->symbol_menu];
    if (menu->owner == nullptr || (menu->owner != actor && menu->partner != actor)) {
        return nullptr;
    }
    return menu;
}

static bool Released(int32_t control)
{
    return (CTRL_Controls[control] & (CTRL_RELEASED | CTRL_CHANGED)) == (CTRL_RELEASED | CTRL_CHANGED);
}

int32_t SYM_MenuIsOpen(const ActorRecord *actor) { return actor->symbol_menu != -1 ? 1 : 0; }

int32_t SYM_HasMenu(const ActorRecord *actor) { return (actor->flags[1] & ACTOR_F1_SYMBOLS) != 0 ? 1 : 0; }

void SYM_ClearMenuFlag(ActorRecord *actor) { actor->flags[1] &= uint8_t(~ACTOR_F1_SYMBOLS); }

int32_t SYM_MenuOpen(ActorRecord *owner, ActorRecord *partner)
{
    SYM_Menu *menu = &SYM_Menus[0];
    if (owner == nullptr || partner == nullptr || SYM_HasMenu(owner) == 0 || menu->owner != nullptr) {
        return 0;
    }
    menu->owner = owner;
    menu->partner = partner;
    owner->symbol_menu = 0;
    partner->symbol_menu = 0;
    menu->phase = 0;
    menu->step = 0;
    menu->depth = 0;
    menu->t = 0.0f;
    return 1;
}

void SYM_MenuClose(ActorRecord *actor)
{
    if (actor == nullptr) {
        return;
    }
    SYM_ClearMenuFlag(actor);
    SYM_Menu *menu = Menu_Of(actor);
    if (menu == nullptr) {
        return;
    }
    Delete_Items(menu);
    menu->owner->symbol_menu = -1;
    menu->partner->symbol_menu = -1;
    menu->owner = nullptr;
    menu->partner = nullptr;
}

int32_t SYM_MenuDraw()
{
    SYM_Menu *menu = &SYM_Menus[0];
    if (menu->owner != nullptr) {
        if (menu->phase == 0) {
            SYM_DrawKind0(menu);
        } else if (menu->phase == 1) {
            SYM_DrawKind1(menu);
        }
    }
    return 1;
}

int32_t SYM_MenuInput(ActorRecord *actor)
{
    SYM_Menu *menu = Menu_Of(actor);
    if (menu == nullptr || (menu->phase != 0 && menu->phase != 1)) {
        return 0;
    }
    if (menu->phase == 0) {
        // Any of the three cuts the sentence short: its items finish their flight at once.
        if (Released(CTRL_SEL) || (CTRL_Controls[CTRL_UP] & CTRL_CHANGED) != 0 ||
            (CTRL_Controls[CTRL_DOWN] & CTRL_CHANGED) != 0) {
            menu->text_x = Text_Left;
            menu->t = 0.99f;
        }
        return 1;
    }
    const int32_t rows = menu->count + (menu->step != 0 ? 2 : 1);
    if (CTRL_FreshlyPressed(CTRL_DOWN)) {
        menu->cursor = menu->cursor + 1 >= rows ? 0 : menu->cursor + 1;
        SYM_PlaceItems(menu, menu->partner);
    }
    if (CTRL_FreshlyPressed(CTRL_UP)) {
        menu->cursor = menu->cursor - 1 < 0 ? rows - 1 : menu->cursor - 1;
        SYM_PlaceItems(menu, menu->partner);
    }
    if (Released(CTRL_SEL)) {
        if (menu->cursor < menu->count) {
            if (SYM_MatchWord(menu) != 0) {
                Delete_Items(menu);
                menu->t = 0.0f;
                menu->phase = 0;
            }
        } else if (menu->cursor == rows - 1) {
            // "End": the creature AI closes the list once the owner has lost its symbol flag.
            SYM_ClearMenuFlag(menu->owner);
        } else {
            menu->depth = std::max(0, menu->depth - 1);
            menu->step = menu->history[menu->depth];
            Delete_Items(menu);
            menu->t = 0.0f;
            menu->phase = 0;
        }
    }
    return 1;
}

void SYM_ForgetMenus()
{
    for (SYM_Menu &menu : SYM_Menus) {
        menu.owner = nullptr;
        menu.partner = nullptr;
        menu.count = 0;
        menu.t = 0.0f;
        std::fill(std::begin(menu.items), std::end(menu.items), 0);
    }
}

void SYM_LoadWordModels()
{
    const OBJ_Handle model = Load_Obj("data\\3dc\\symword.3dc");
    OBJ_Handle entry = 0;
    if (model > 0) {
        Hide_Obj_Tree(model);
        entry = model;
    }
    std::fill(std::begin(SYM_WordModels), std::end(SYM_WordModels), entry);
}
