// Loaded records: whole data files that begin with a table of offsets, kept in memory and registered
// by the identifier they carry.
#include "world/rec.h"

#include <cstring>

#include "core/file.h"
#include "core/mem.h"

REC_Descriptor *REC_Tables[2][REC_TABLE_SIZE];

void REC_Init() { std::memset(REC_Tables, 0, sizeof REC_Tables); }

int32_t REC_Load(REC_Descriptor *descriptor)
{
    if (descriptor == nullptr || descriptor->path == nullptr || !FILE_Exists(descriptor->path)) {
        return 0;
    }
    const int32_t handle = FILE_OpenPlain(descriptor->path, O_RDONLY | O_BINARY);
    const int32_t size = FILE_SeekPlain(handle, 0, SEEK_END);
    if (size < int32_t(REC_OFFSET_BYTES)) {
        FILE_ClosePlain(handle);
        return 0;
    }
    uint8_t *data = static_cast<uint8_t *>(MEM_Alloc(size_t(size)));
    if (data == nullptr) {
        FILE_ClosePlain(handle);
        return 0;
    }
    FILE_SeekPlain(handle, 0, SEEK_SET);
    const int32_t got = FILE_ReadPlain(handle, data, uint32_t(size));
    FILE_ClosePlain(handle);
    if (got != size) {
        MEM_Free(data);
        return 0;
    }
    // The offsets are stored in 4-byte units; the multiplication wraps as the stored words allow.
    for (uint32_t i = 0; i < uint32_t(REC_TABLE_SIZE); i++) {
        uint32_t word;
        std::memcpy(&word, data + i * 4, 4);
        word *= 4u;
        std::memcpy(data + i * 4, &word, 4);
    }
    uint32_t identifier;
    std::memcpy(&identifier, data, 4);
    if (identifier >= uint32_t(REC_TABLE_SIZE)) {
        MEM_Free(data);
        return 0;
    }
    descriptor->data = data;
    descriptor->size = uint32_t(size);
    REC_Tables[0][identifier] = descriptor;
    if ((descriptor->flags & REC_FIRST_ONLY) == 0) {
        REC_Tables[1][identifier] = descriptor;
    }
    return 1;
}
