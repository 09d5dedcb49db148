// Memory: heap wrappers and the stack allocator (the memory arena is one of these stacks).
#include "core/mem.h"

#include <cstring>

#include <malloc.h>

#include "plat/system.h"

void *MEM_Alloc(size_t size) { return PLAT_HeapAlloc(size); }

void MEM_Free(void *block) { PLAT_HeapFree(block); }

void MEM_FreePtr(void **block)
{
    if (*block == nullptr) {
        return;
    }
    PLAT_HeapFree(*block);
    malloc_trim(0);
    *block = nullptr;
}

size_t MEM_HeapTotal() { return mallinfo2().uordblks; }

MEM_Stack *MEM_CreateStack(uint32_t size)
{
    MEM_Stack *stack = static_cast<MEM_Stack *>(MEM_Alloc(sizeof(MEM_Stack)));
    if (stack == nullptr) {
        return nullptr;
    }
    uint8_t *block = static_cast<uint8_t *>(MEM_Alloc(size));
    if (block == nullptr) {
        MEM_Free(stack);
        return nullptr;
    }
    stack->base = block;
    stack->top = block;
    stack->size = size;
    stack->resets = 0;
    return stack;
}

void MEM_DestroyStack(MEM_Stack *stack)
{
    if (stack == nullptr) {
        return;
    }
    MEM_Free(stack->base);
    MEM_Free(stack);
}

void MEM_ResetStack(MEM_Stack *stack)
{
    stack->top = stack->base;
    stack->resets++;
}

static uint32_t stack_used(const MEM_Stack *stack) { return uint32_t(stack->top - stack->base); }

void *MEM_StackAlloc(MEM_Stack *stack, uint32_t n)
{
    // The block and its link must fit; written so that a request near 4 GB cannot wrap round.
    uint32_t room = stack->size - stack_used(stack);
    if (room < 4 || n > room - 4) {
        return nullptr;
    }
    uint8_t *block = stack->top;
    uint32_t link = uint32_t(block - stack->base);
    std::memcpy(block + n, &link, 4);
    stack->top = block + n + 4;
    return block;
}

int MEM_StackFree(MEM_Stack *stack, void *block)
{
    // With no block on the stack there is no link word to read.
    if (stack_used(stack) >= 4) {
        uint32_t link;
        std::memcpy(&link, stack->top - 4, 4);
        if (stack->base + link == static_cast<uint8_t *>(block)) {
            stack->top = stack->base + link;
            return 1;
        }
    }
    PLAT_WriteStdout("Erreur liberation\n");
    return 0;
}

uint32_t MEM_StackFreeSpace(const MEM_Stack *stack) { return stack->size - stack_used(stack); }
