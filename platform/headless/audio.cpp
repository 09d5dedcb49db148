// Headless CD device: present or absent as a test says; the drive records what it plays.
#include "plat/cd.h"
#include "plat/test.h"

#include "internal.h"

namespace {
bool cd_present;
bool cd_open;
int cd_tracks;
int cd_mode = PLAT_CD_STOPPED;
std::vector<test::CdPlay> cd_plays;
} // namespace

int PLAT_CdOpen()
{
    cd_open = cd_present;
    return cd_open ? 1 : 0;
}

void PLAT_CdClose() { cd_open = false; }

void PLAT_CdPlay(int from, int to)
{
    cd_plays.push_back(test::CdPlay{from, to});
    cd_mode = PLAT_CD_PLAYING;
}

void PLAT_CdStop() { cd_mode = PLAT_CD_STOPPED; }
int PLAT_CdMode() { return cd_mode; }
int PLAT_CdTrackCount() { return cd_open ? cd_tracks : 0; }

void HL_ResetAudio()
{
    HL_ResetSound();
    cd_present = cd_open = false;
    cd_tracks = 0;
    cd_mode = PLAT_CD_STOPPED;
    cd_plays.clear();
}

namespace test {

void SetCdDevice(bool present, int tracks)
{
    cd_present = present;
    cd_tracks = tracks;
}

void SetCdMode(int mode) { cd_mode = mode; }
bool CdDeviceOpen() { return cd_open; }
const std::vector<CdPlay> &CdPlays() { return cd_plays; }

} // namespace test
