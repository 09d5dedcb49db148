// The DPR streaming buffer: one file at a time through a ring taken from the memory arena.
#pragma once
#include <cstdint>

struct DPR_Buffer {
    uint8_t *buffer;
    uint32_t read_pos;
    uint32_t write_pos;
    uint32_t buffered;
    uint32_t free;
    uint32_t ring_size;
    uint32_t spare_size;
    int32_t file;
    uint32_t block_size;
    uint8_t flags;
    uint32_t last_request;
};

extern DPR_Buffer *DPR_Main;

DPR_Buffer *DPR_Create(uint32_t ring_size, uint32_t spare_size, uint32_t block_size);
void DPR_Destroy(DPR_Buffer *dpr);
