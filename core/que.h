// Event queues: the fixed rings of MGM_Event through which input, clock, film and menu events travel.
#pragma once
#include <cstdint>

// One queue item. Words a and b carry numbers (stored sign-extended from 32 bits) or, for the few
// events and services that pass one, an address.
struct MGM_Event {
    uint8_t type;
    intptr_t a;
    intptr_t b;
};

struct MGM_Queue {
    MGM_Event *base;
    MGM_Event *write;
    MGM_Event *read;
    MGM_Event *end;
    int32_t count;
    int32_t capacity;
};

MGM_Queue *QUE_Create(int32_t capacity);
void QUE_Destroy(MGM_Queue *queue);
void QUE_Post(MGM_Queue *queue, uint8_t type, intptr_t a, intptr_t b);
// Takes the oldest unread item into *event; 0 when the queue is empty.
int QUE_Read(MGM_Queue *queue, MGM_Event *event);
// Forgets every unread item: read = write = base, count = 0.
void QUE_Clear(MGM_Queue *queue);
