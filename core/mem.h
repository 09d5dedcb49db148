// Memory: the heap wrappers and the stack allocator behind the memory arena.
#pragma once
#include <cstddef>
#include <cstdint>

// A stack allocator over one heap block. Every block is followed by a 4-byte link word that holds
// the block's offset from base, so blocks can be given back only from the top.
struct MEM_Stack {
    uint8_t *base;
    uint8_t *top;
    uint32_t size;
    uint32_t resets; // MEM_ResetStack calls, so that a holder of a block can tell it was given back
};

// Standard heap allocation; null when the heap is exhausted (callers test it).
void *MEM_Alloc(size_t size);
void MEM_Free(void *block);
// Frees *block when it is not null, gives free heap memory back to the system and sets *block to 0.
// Every loader frees its tables through it.
void MEM_FreePtr(void **block);
// The same for a typed pointer, without casting the caller's pointer to void **.
template <typename T> inline void MEM_FreePtr(T **block)
{
    void *untyped = *block;
    MEM_FreePtr(&untyped);
    *block = static_cast<T *>(untyped);
}
// Bytes in use on the heap. Nothing in the game calls it.
size_t MEM_HeapTotal();

MEM_Stack *MEM_CreateStack(uint32_t size);
void MEM_DestroyStack(MEM_Stack *stack);
void MEM_ResetStack(MEM_Stack *stack);
void *MEM_StackAlloc(MEM_Stack *stack, uint32_t n);
int MEM_StackFree(MEM_Stack *stack, void *block);
uint32_t MEM_StackFreeSpace(const MEM_Stack *stack);
