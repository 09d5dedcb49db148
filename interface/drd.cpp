// The dialogue file and its player. The file is read through the platform's files, not the file layer:
// a missing or damaged file or entry is refused with 0 and never stops the game.
#include "interface/drd.h"

#include <cstdio>
#include <cstring>

#include "core/dsk.h"
#include "core/fconv.h"
#include "core/file.h"
#include "core/mem.h"
#include "core/mgm.h"
#include "core/snd.h"
#include "plat/files.h"

namespace {

constexpr uint32_t Header_Bytes = 16;
constexpr uint32_t Block_Header_Bytes = 5;
constexpr uint32_t Entry_Header_Bytes = 9;
constexpr uint32_t Chunk_Header_Bytes = 5;
// The WAVE fields the duration is taken from, and the smallest image that holds them.
constexpr uint32_t Wave_Byte_Rate = 28;
constexpr uint32_t Wave_Block_Align = 32;
constexpr uint32_t Wave_Data_Size = 40;
constexpr uint32_t Wave_Header_Bytes = 44;
constexpr uint8_t Chunk_Voice = 2;
constexpr uint8_t Chunk_Lines = 3;
constexpr uint8_t Chunk_Picture = 4;
constexpr int Path_Bytes = 260;

struct DRD_Line {
    const char *text;
    int32_t start;
    int32_t terminated; // the counted bytes ended with their own zero
};

struct DRD_Player {
    int file = -1;
    uint32_t count;
    uint32_t buffer_size;
    uint32_t *offsets;
    uint8_t *buffer;
    int32_t current = -1;
    uint32_t entry_length;
    const uint8_t *voice;
    uint32_t voice_length;
    const uint8_t *picture;
    uint32_t picture_length;
    int32_t duration;
    int32_t line_count;
    DRD_Line lines[DLG_MAX_LINES];
    int32_t voice_start;
};
DRD_Player player;

// Each line's counted bytes with a zero after them, so that a text from the file is always a whole
// string, whether or not the file ended it.
char text_store[DLG_MAX_LINES][DLG_TEXT_BYTES + 1];

uint32_t u32_at(const uint8_t *p)
{
    uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}

int16_t i16_at(const uint8_t *p)
{
    int16_t v;
    std::memcpy(&v, p, 2);
    return v;
}

bool read_exactly(void *to, uint32_t n) { return PLAT_Read(player.file, to, n) == int32_t(n); }

// Forgets the loaded entry: nothing is current and every answer is empty.
void forget_entry()
{
    player.current = -1;
    player.entry_length = 0;
    player.voice = nullptr;
    player.voice_length = 0;
    player.picture = nullptr;
    player.picture_length = 0;
    player.duration = 0;
    player.line_count = 0;
}

// A chunk header at pos inside the n bytes read: its type and length, the length at least its header
// and the chunk inside the bytes (unless only its header is needed).
bool chunk_at(uint32_t pos, uint32_t n, uint8_t *type, uint32_t *length)
{
    if (uint64_t(pos) + Chunk_Header_Bytes > n) {
        return false;
    }
    *type = player.buffer[pos];
    *length = u32_at(player.buffer + pos + 1);
    return true;
}

bool chunk_fits(uint32_t pos, uint32_t length, uint32_t n)
{
    return length >= Chunk_Header_Bytes && uint64_t(pos) + length <= n;
}

// The voice's length in ticks: data bytes / (byte rate x block align) seconds, 15 ticks a second.
bool voice_duration(const uint8_t *wave, int32_t *ticks)
{
    const int64_t rate = int64_t(u32_at(wave + Wave_Byte_Rate)) * i16_at(wave + Wave_Block_Align);
    if (rate <= 0) {
        return false;
    }
    *ticks = trunc_sat_i32(double(u32_at(wave + Wave_Data_Size)) / double(rate) * 15.0);
    return true;
}

// The entry in the buffer (n bytes after its header) read into the player's answers.
bool parse_entry(uint32_t n)
{
    uint8_t type = 0;
    uint32_t length = 0;
    if (!chunk_at(0, n, &type, &length) || type != Chunk_Voice || !chunk_fits(0, length, n) ||
        length - Chunk_Header_Bytes < Wave_Header_Bytes) {
        return false;
    }
    const uint8_t *wave = player.buffer + Chunk_Header_Bytes;
    if (!voice_duration(wave, &player.duration)) {
        return false;
    }
    player.voice = wave;
    player.voice_length = length - Chunk_Header_Bytes;
    uint32_t pos = length;
    // The lines' chunk is read by its line count; its own length is not used.
    if (!chunk_at(pos, n, &type, &length) || type != Chunk_Lines) {
        return false;
    }
    pos += Chunk_Header_Bytes;
    for (int32_t j = 0; j < player.line_count; j++) {
        if (uint64_t(pos) + 5 > n) {
            return false;
        }
        // Formed in 64 bits, the start is at most 644,245,094 ticks.
        const uint64_t start = uint64_t(u32_at(player.buffer + pos)) * 15 / 100;
        const uint32_t bytes = player.buffer[pos + 4];
        pos += 5;
        if (uint64_t(pos) + bytes > n) {
            return false;
        }
        std::memcpy(text_store[j], player.buffer + pos, bytes);
        text_store[j][bytes] = '\0';
        player.lines[j].text = text_store[j];
        player.lines[j].start = int32_t(start);
        player.lines[j].terminated = bytes > 0 && player.buffer[pos + bytes - 1] == 0 ? 1 : 0;
        pos += bytes;
    }
    if (pos < n) {
        if (!chunk_at(pos, n, &type, &length) || type != Chunk_Picture || !chunk_fits(pos, length, n)) {
            return false;
        }
        player.picture = player.buffer + pos + Chunk_Header_Bytes;
        player.picture_length = length - Chunk_Header_Bytes;
    }
    return true;
}

} // namespace

int32_t DRD_Open(const char *path)
{
    DRD_Close();
    char host[Path_Bytes];
    const int written = std::snprintf(host, sizeof host, "%s%s", DSK_InstallPath(), path);
    if (written < 0 || written >= int(sizeof host)) {
        return 0;
    }
    player.file = PLAT_Open(host, O_RDONLY | O_BINARY);
    if (player.file < 0) {
        return 0;
    }
    uint8_t header[Header_Bytes];
    uint8_t block[Block_Header_Bytes];
    const int32_t size = PLAT_Seek(player.file, 0, SEEK_END);
    bool ok = size >= 0 && PLAT_Seek(player.file, 0, SEEK_SET) == 0 && read_exactly(header, Header_Bytes) &&
              std::memcmp(header, "DRDF", 4) == 0 && read_exactly(block, Block_Header_Bytes) && block[0] == 0;
    if (ok) {
        // The count and the buffer size are checked against the file, so that neither a wrapped
        // product nor a huge buffer passes.
        player.count = u32_at(header + 8);
        player.buffer_size = u32_at(header + 12);
        const uint64_t table = uint64_t(player.count) * 4;
        ok = u32_at(block + 1) >= Block_Header_Bytes && u32_at(block + 1) - Block_Header_Bytes == table &&
             Header_Bytes + Block_Header_Bytes + table <= uint64_t(size) && player.buffer_size <= uint32_t(size);
    }
    if (ok && player.count > 0) {
        player.offsets = static_cast<uint32_t *>(MEM_Alloc(size_t(player.count) * 4));
        ok = player.offsets != nullptr && read_exactly(player.offsets, player.count * 4);
        for (uint32_t i = 0; ok && i < player.count; i++) {
            ok = player.offsets[i] < uint32_t(size);
        }
    }
    if (ok && player.buffer_size > 0) {
        player.buffer = static_cast<uint8_t *>(MEM_Alloc(player.buffer_size));
        ok = player.buffer != nullptr;
    }
    if (!ok) {
        DRD_Close();
        return 0;
    }
    return 1;
}

void DRD_Close()
{
    if (player.file >= 0) {
        PLAT_Close(player.file);
    }
    MEM_FreePtr(&player.offsets);
    MEM_FreePtr(&player.buffer);
    player.file = -1;
    player.count = 0;
    player.buffer_size = 0;
    forget_entry();
}

int32_t DRD_GetCount() { return int32_t(player.count); }

uint32_t DRD_GetBufferSize() { return player.buffer_size; }

uint32_t DRD_GetOffset(int32_t i) { return i >= 0 && uint32_t(i) < player.count ? player.offsets[i] : 0; }

int32_t DLG_LoadEntry(int32_t n) { return DLG_ReadEntry(n) != 0 ? 1 : 0; }

int32_t DLG_ReadEntry(int32_t i)
{
    if (i >= 0 && i == player.current) {
        return 1;
    }
    // Whatever happens below, no half-read entry may pass for the current one.
    forget_entry();
    if (player.file < 0 || i < 0 || uint32_t(i) >= player.count) {
        return 0;
    }
    uint8_t header[Entry_Header_Bytes];
    const uint32_t offset = player.offsets[i];
    if (offset > 0x7FFFFFFF || PLAT_Seek(player.file, int32_t(offset), SEEK_SET) != int32_t(offset) ||
        !read_exactly(header, Entry_Header_Bytes) || header[0] != 1) {
        return 0;
    }
    const uint32_t length = u32_at(header + 1);
    const uint32_t lines = u32_at(header + 5);
    if (length < Entry_Header_Bytes || length - Entry_Header_Bytes > player.buffer_size || lines > DLG_MAX_LINES) {
        return 0;
    }
    const uint32_t n = length - Entry_Header_Bytes;
    player.line_count = int32_t(lines);
    if (!read_exactly(player.buffer, n) || !parse_entry(n)) {
        forget_entry();
        return 0;
    }
    player.entry_length = length;
    player.current = i;
    return 1;
}

int32_t DLG_GetCurrentEntry() { return player.current; }

const uint8_t *DLG_GetSound(uint32_t *length)
{
    if (length != nullptr) {
        *length = player.voice_length;
    }
    return player.voice;
}

void DLG_GetExtraChunk(const uint8_t **address, uint32_t *length)
{
    *address = player.picture;
    *length = player.picture_length;
}

int32_t DLG_GetLineCount() { return player.line_count; }

static bool is_line(int32_t j) { return j >= 0 && j < player.line_count; }

int32_t DLG_GetLineStart(int32_t j) { return is_line(j) ? player.lines[j].start : 0; }

const char *DLG_GetLineText(int32_t j) { return is_line(j) ? player.lines[j].text : ""; }

int32_t DLG_GetDuration() { return player.duration; }

int32_t DLG_GetLineDuration(int32_t j)
{
    if (!is_line(j)) {
        return 0;
    }
    const int32_t end = j == player.line_count - 1 ? player.duration : player.lines[j + 1].start;
    return int32_t(int64_t(end) - player.lines[j].start);
}

uint32_t DLG_GetEntryLength() { return player.entry_length; }

int32_t DLG_GetLineTerminated(int32_t j) { return is_line(j) ? player.lines[j].terminated : 0; }

void DLG_Start()
{
    if (player.current < 0) {
        return;
    }
    SND_Play8Bit(player.voice, player.voice_length);
    player.voice_start = int32_t(MGM_SendMessage(17));
}

void DLG_Stop() { SND_Stop8Bit(); }

int32_t DLG_GetCurrentLine()
{
    int64_t elapsed = int64_t(int32_t(MGM_SendMessage(17))) - player.voice_start;
    elapsed = elapsed < 0 ? -elapsed : elapsed;
    const int32_t count = player.line_count;
    for (int32_t j = 0; j + 1 < count; j++) {
        if (player.lines[j].start <= elapsed && elapsed < player.lines[j + 1].start) {
            return j;
        }
    }
    if (count > 0 && player.lines[count - 1].start <= elapsed && elapsed < player.duration) {
        return count - 1;
    }
    return -1;
}
