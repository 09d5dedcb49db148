// Control interface of the headless back-end: what tests script and what they read back.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace test {

// Puts every service back to its state at program start: clock 0, focus held, no quit pending,
// nothing recorded, no devices, no scripted failure, no exit hook.
void Reset();

// Fake clock: the millisecond clock and the counter (1,000,000 ticks a second) move only here.
void AdvanceClock(uint32_t ms);
void SetClock(uint32_t ms);
// Sets the counter alone (it then goes on with the clock), so that stamps above 2^32 can be made.
void SetPerfCounter(uint64_t value);

// Window and message pump.
void PostQuit();
void SetFocus(bool focused);
int WindowsCreated();
bool WindowOpen();

// Message boxes, in the order shown.
struct MessageBox {
    bool owned;
    std::string text;
    std::string title;
    int icon;
};
const std::vector<MessageBox> &MessageBoxes();

// Everything written to the standard output since the last Reset.
const std::string &Stdout();
// Everything written to the standard error since the last Reset.
const std::string &Stderr();

// Process exit: without a hook the process ends; with one, the hook gets the full code and must not
// return (tests throw ExitCalled from it).
struct ExitCalled {
    int code;
};
using ExitHook = void (*)(int code);
void SetExitHook(ExitHook hook);
// A hook that throws ExitCalled.
void ThrowOnExit(int code);

// Heap: the allocation of exactly `size` bytes fails once, after `skip` such allocations succeeded.
void FailHeapAlloc(size_t size, int skip = 0);
// Blocks taken from the heap and not given back, counted since the process started.
size_t HeapBlocksInUse();

// Devices.
void SetSoundDevice(bool present);
bool SoundDeviceOpen();

// CD device (plat/cd.h). Absent until set present; before every call and inspection its disc catches
// up with the fake clock: floor(elapsed ms x 22,050 / 1000) output frames since the device opened.
// A disc of `tracks` tracks of 60,000 ms, or of the given lengths in ms.
void SetCdDevice(bool present, int tracks = 10);
void SetCdDevice(bool present, const std::vector<uint32_t> &track_ms);
// Another disc in the drive, seen by the next status query (stopped at the start of track 1).
void ChangeCdDisc(const std::vector<uint32_t> &track_ms);
// The mode status queries report until the next command that moves the drive; -1 ends it.
void SetCdMode(int mode);
bool CdDeviceOpen();
enum class CdVerb { Open, Close, SetTmsf, Play, Resume, Stop, Pause, DoorOpen, DoorClosed, Mode, TrackCount };
// The nth call of verb (1-based, counted from this rule; 0 = every one) answers error, whose text is
// text (null: the error has no text).
void FailCd(CdVerb verb, int nth, int error, const char *text);
// Every command since Reset (or ClearCdCommands), failed ones too. Play has from and to (has_to false:
// to the end of the disc).
struct CdCommand {
    CdVerb verb;
    uint32_t from;
    uint32_t to;
    bool has_to;
    int error;
};
const std::vector<CdCommand> &CdCommands();
void ClearCdCommands();
// The play commands alone: from, and to (0 = to the end of the disc).
struct CdPlay {
    int from;
    int to;
};
const std::vector<CdPlay> &CdPlays();
struct CdState {
    bool open;
    uint32_t first; // the play range, from the start of first to the start of end
    uint32_t end;
    uint32_t track; // the position
    uint64_t frame;
    int mode; // as a status query reports it
    bool door_open;
    uint32_t count;
};
CdState InspectCd();
// Beeps, in order; boxes_before is how many message boxes had been shown by then.
struct Beep {
    int icon;
    size_t boxes_before;
};
const std::vector<Beep> &Beeps();

// Keyboard, by virtual-key code. KeyDown holds the key and sets its latch, KeyUp releases it, KeyTap
// sets the latch alone (a press and release between two scans), KeysReset releases everything.
void KeyDown(int vk);
void KeyUp(int vk);
void KeyTap(int vk);
void KeysReset();

// Joysticks. There are 16 slots and no device until one is plugged; a plugged device rests centred
// (32768, 32768), hat centred, no button. SetJoyResult makes the position call of a plugged device
// fail with the code (0 puts it right again).
void SetJoySlots(uint32_t slots);
void PlugJoystick(uint32_t id, uint32_t buttons, bool has_hat);
void UnplugJoystick(uint32_t id);
void SetJoystick(uint32_t id, uint32_t x, uint32_t y, uint32_t hat, uint32_t buttons);
void SetJoyResult(uint32_t id, uint32_t code);

} // namespace test

// Sound device (plat/sound.h). Before any sound operation or inspection the device catches up with the
// fake clock: floor(elapsed ms x 22,050 / 1000) output frames since it opened.
struct PLAT_SoundBuffer;

namespace test {

enum class SoundOp {
    Open,
    Cooperate,
    Create,
    SetFormat,
    Play,
    Stop,
    SetPosition,
    GetPosition,
    GetStatus,
    SetVolume,
    SetPan,
    Lock,
    Unlock,
    Restore,
    Release,
    Close,
};
// The nth call of op (1-based, counted from this rule; 0 = every one) fails; with lost a lock answers
// "lost" instead.
void FailSound(SoundOp op, int nth = 1, bool lost = false);
// The buffer answers "lost" to locks until restored.
void MarkSoundLost(PLAT_SoundBuffer *buffer);
// Every call since the device opened (or ClearSoundCalls): the buffer's id (0 for device calls), the
// operation and its numbers.
struct SoundCall {
    int buffer;
    SoundOp op;
    std::vector<int64_t> args;
};
const std::vector<SoundCall> &SoundCalls();
void ClearSoundCalls();
struct SoundBufferInfo {
    int id; // creation order from 1 since Reset
    bool primary;
    int channels;
    int rate;
    int bits;
    uint32_t bytes;
    const uint8_t *data;
    bool playing;
    bool looping;
    bool lost;
    uint32_t cursor;
    int32_t volume;
    int32_t pan;
};
SoundBufferInfo InspectSound(PLAT_SoundBuffer *buffer);
int LiveSoundBuffers();
// Output capture, off at start: on starts an empty capture of the mixed frames (left, right).
void SetSoundCapture(bool on);
const std::vector<int16_t> &CapturedSound();

} // namespace test

// File service (the SDL back-end has no such controls).
#include <functional>

namespace test {

// The drive map: map a letter to a host folder, or clear every drive. ResetCurrentDirectories makes
// the current drive C when mapped, else the lowest mapped letter, and every current directory the root.
void MapDrive(char letter, const std::string &host);
void ClearDrives();
void ResetCurrentDirectories();

// Scripted failures of the file service. name is the last component of the host path, compared
// without regard to case ("" matches every file); nth is the 1-based matching call that fails, 0 every
// one; effect is -1, or for read and write a short transfer of that many bytes. A rename is matched
// by the name it renames to.
enum FileOp {
    FILE_OP_OPEN,
    FILE_OP_CREATE,
    FILE_OP_READ,
    FILE_OP_WRITE,
    FILE_OP_SEEK,
    FILE_OP_CLOSE,
    FILE_OP_SYNC,
    FILE_OP_RENAME,
};
struct FileFault {
    FileOp op;
    std::string name;
    int nth;
    int effect;
};
void AddFileFault(const FileFault &fault);

// Called with the game path before every open.
void SetOpenObserver(std::function<void(const char *path)> observer);

// Files and streams open through the platform, and a close of them all.
int OpenFileCount();
void CloseAllFiles();

// Window and display: what the headless back-end records and what tests script.
struct WindowRecord {
    bool fullscreen;
    std::string title;
    int width;
    int height;
    bool shown;
    bool cursor_hidden;
};
const WindowRecord &Window();
void SetScreenSize(int width, int height); // 1024x768 until set
void SetClientSize(int width, int height); // the created size until set: a resize by the user
// Hands an event to the registered window procedure; returns its answer (1 handled, 0 default).
int SendWindowEvent(int event, int param);

// Platform calls that a test can make fail, once, after `skip` calls succeeded.
enum class Call {
    RegisterClass,
    CreateWindow,
    CreateDc,
    CreateDib,
    DDCreate,
    DDQueryInterface2,
    DDCooperativeLevel,
    DDSetDisplayMode,
    DDGetDisplayMasks,
    DDCreateFlipChain,
    DDGetBackSurface,
    DDLock,
    Count
};
void FailCall(Call call, int skip = 0);

// The full-screen display's mode list, by default the six sizes 640x480, 800x600, 640x400, 400x300,
// 320x400 and 320x200 in RGB565 at 60 Hz.
struct DisplayMode {
    int width;
    int height;
    int refresh;
    uint32_t red_mask;
    uint32_t green_mask;
    uint32_t blue_mask;
};
void SetDisplayModes(const std::vector<DisplayMode> &modes);
// Masks the display reports after a mode set, instead of those of the mode that was set.
void SetMasksAfterSet(uint32_t red_mask, uint32_t green_mask, uint32_t blue_mask);
// Row pitch in bytes of the back surface; 0 (the default) = width x 2. Padding bytes hold 0xCD.
void SetBackPitch(int32_t pitch);
// Results of the next flips, in order (PLAT_FlipResult); once used up, flips succeed.
void ScriptFlips(const std::vector<int> &results);

// A stretch of the window back-end: the source pixels and the client area they filled.
struct Present {
    int width;
    int height;
    std::vector<uint16_t> pixels;
    int dest_width;
    int dest_height;
};
// A flip of the full-screen back-end: the back surface as it was flipped.
struct Flip {
    int width;
    int height;
    int32_t pitch;
    std::vector<uint8_t> bytes;
    int result;
};
// The last 8 of each, oldest first, and how many there were in all.
const std::vector<Present> &Presents();
int PresentCount();
const std::vector<Flip> &Flips();
int FlipCount();
// Off: presents and flips are counted but their pixels are not kept, so that a benchmark measures
// the present alone. On at start and after Reset.
void SetFrameCapture(bool on);
// Called after each present of the window back-end and each flip of the full-screen one, with its
// index counted from 0 since Reset, once the frame was recorded: end-to-end runs move the clock, the
// hero or the quit between frames from here. Reset removes it.
void SetPresentHook(std::function<void(int index)> hook);
// Called at the start of each message pump (each pass of a dispatch loop), before the quit request is
// answered: end-to-end runs move the clock from here while nothing is presented (a film that holds the
// game). Reset removes it.
void SetPumpHook(std::function<void()> hook);

// Objects of the display made and released, and surface operations.
struct DisplayCounts {
    int dc_made, dc_deleted;
    int dib_made, dib_deleted;
    int dd_made, dd_released;
    int dd2_made, dd2_released;
    int chain_made, chain_released;
    int locks, unlocks, restores;
    int mode_sets;
};
const DisplayCounts &Counts();
// The last display mode set: width, height, bits, refresh.
struct ModeSet {
    int width;
    int height;
    int bits;
    int refresh;
};
const ModeSet &LastModeSet();

} // namespace test
