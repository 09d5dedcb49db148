// MENJ. Not built yet: no HUD is drawn and nobody drains the event queue, so a full queue drops
// what is posted.
#include "interface/menj.h"

#include "core/que.h"

int32_t MENJ_SkipPresent;
int32_t MENJ_HudOn = 1;
MGM_Queue *MENJ_Queue;
int32_t MENJ_QuickSpell[3] = {-1, -1, -1};

void MENJ_Init()
{
    MENJ_Queue = QUE_Create(50);
    for (int32_t &slot : MENJ_QuickSpell) {
        slot = -1;
    }
}

void MENJ_Shutdown()
{
    QUE_Destroy(MENJ_Queue);
    MENJ_Queue = nullptr;
}

void MENJ_Update(int32_t) {}

// The name's address travels in the event; the names posted live in the object slots, which outlast
// the queue's reader.
void MENJ_PostName(int32_t code, const char *name)
{
    QUE_Post(MENJ_Queue, uint8_t(code), reinterpret_cast<intptr_t>(name), 0);
}
