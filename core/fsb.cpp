// The FSB sound bank: every sound effect's RIFF WAVE image, loaded whole from data\sound\fsb.dat.
#include "core/fsb.h"

#include <fcntl.h>

#include <cstring>

#include "core/file.h"
#include "core/mem.h"
#include "core/sys.h"
#include "plat/files.h"

uint32_t FSB_Count;
FSB_Sound *FSB_Table;
uint8_t *FSB_Block;
uint32_t FSB_BlockSize;

namespace {

constexpr char MAGIC[12] = {'K', 'A', 'L', 'D', 'E', 'R', ' ', 'F', 'S', 'B', ' ', ' '};
constexpr const char *CORRUPTED = "Error: information on disk/cdrom is corrupted or cannot be found...\n";

[[noreturn]] void stop(int fd, const char *text, int code)
{
    PLAT_Close(fd);
    SYS_FatalError(text, code, 1);
}

uint32_t read_u32(int fd)
{
    uint8_t bytes[4];
    if (PLAT_Read(fd, bytes, 4) != 4) {
        stop(fd, CORRUPTED, 999);
    }
    uint32_t value;
    std::memcpy(&value, bytes, 4);
    return value;
}

} // namespace

void FSB_Load(const char *path)
{
    FSB_Free();
    int fd = PLAT_Open(path, O_RDONLY | O_BINARY);
    if (fd < 0) {
        SYS_FatalError("Error: information on disk/cdrom is corrupted or cannot be found...\nKalder Internal "
                       "Error : can't find FSB file",
                       999, 1);
    }
    char magic[12];
    if (PLAT_Read(fd, magic, 12) != 12 || std::memcmp(magic, MAGIC, 12) != 0) {
        stop(fd, CORRUPTED, 999);
    }
    uint32_t count = read_u32(fd);
    // The size table must fit in the file before anything is allocated for it.
    int32_t length = PLAT_Seek(fd, 0, SEEK_END);
    uint64_t head = 16 + 4 * uint64_t(count);
    if (length < 0 || head > uint64_t(length) || PLAT_Seek(fd, 16, SEEK_SET) != 16) {
        stop(fd, CORRUPTED, 999);
    }
    uint32_t block_size = uint32_t(uint64_t(length) - head);
    size_t table_bytes = size_t(count) * sizeof(FSB_Sound);
    FSB_Table = static_cast<FSB_Sound *>(MEM_Alloc(table_bytes));
    FSB_Block = static_cast<uint8_t *>(MEM_Alloc(block_size));
    if ((FSB_Table == nullptr && table_bytes != 0) || (FSB_Block == nullptr && block_size != 0)) {
        stop(fd, "Error: not enough memory...\nKalder Internal Error : can't allocate FSB", 1);
    }
    FSB_Count = count;
    FSB_BlockSize = block_size;
    uint64_t start = 0;
    for (uint32_t i = 0; i < count; i++) {
        uint32_t size = read_u32(fd);
        bool inside = start + size <= block_size;
        FSB_Table[i] = FSB_Sound{inside ? FSB_Block + start : nullptr, size};
        start += size;
    }
    if (block_size != 0 && PLAT_Read(fd, FSB_Block, block_size) != int32_t(block_size)) {
        stop(fd, CORRUPTED, 999);
    }
    PLAT_Close(fd);
}

void FSB_Free()
{
    MEM_Free(FSB_Table);
    MEM_Free(FSB_Block);
    FSB_Table = nullptr;
    FSB_Block = nullptr;
    FSB_Count = 0;
    FSB_BlockSize = 0;
}

const uint8_t *FSB_GetSound(int32_t i)
{
    if (i < 0 || uint32_t(i) >= FSB_Count) {
        return nullptr;
    }
    return FSB_Table[i].data;
}

uint32_t FSB_GetSoundSize(int32_t i)
{
    if (FSB_GetSound(i) == nullptr) {
        return 0;
    }
    return FSB_Table[i].size;
}
