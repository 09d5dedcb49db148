// Event queues: fixed rings without locking; everything runs on the one game thread.
#include "core/que.h"

#include "core/mem.h"

MGM_Queue *QUE_Create(int32_t capacity)
{
    if (capacity < 0) {
        return nullptr;
    }
    MGM_Queue *queue = static_cast<MGM_Queue *>(MEM_Alloc(sizeof(MGM_Queue)));
    if (queue == nullptr) {
        return nullptr;
    }
    MGM_Event *items = static_cast<MGM_Event *>(MEM_Alloc(sizeof(MGM_Event) * size_t(capacity)));
    if (items == nullptr) {
        MEM_Free(queue);
        return nullptr;
    }
    queue->base = items;
    queue->write = items;
    queue->read = items;
    queue->end = items + capacity;
    queue->count = 0;
    queue->capacity = capacity;
    return queue;
}

void QUE_Destroy(MGM_Queue *queue)
{
    if (queue == nullptr) {
        return;
    }
    MEM_Free(queue->base);
    MEM_Free(queue);
}

// A full queue drops the new event without a word; so does a queue that was never made.
void QUE_Post(MGM_Queue *queue, uint8_t type, intptr_t a, intptr_t b)
{
    if (queue == nullptr || queue->count >= queue->capacity) {
        return;
    }
    queue->write->type = type;
    queue->write->a = a;
    queue->write->b = b;
    queue->write++;
    if (queue->write == queue->end) {
        queue->write = queue->base;
    }
    queue->count++;
}

int QUE_Read(MGM_Queue *queue, MGM_Event *event)
{
    if (queue == nullptr || queue->count <= 0) {
        return 0;
    }
    *event = *queue->read;
    queue->read++;
    if (queue->read == queue->end) {
        queue->read = queue->base;
    }
    queue->count--;
    return 1;
}

void QUE_Clear(MGM_Queue *queue)
{
    if (queue == nullptr) {
        return;
    }
    queue->read = queue->base;
    queue->write = queue->base;
    queue->count = 0;
}
