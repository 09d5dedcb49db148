// The CD device's common parts: the naming rules of track files and the disc model that both
// back-ends advance by output frames.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "plat/cd.h"
#include "platform/common/cd_internal.h"

namespace {

std::vector<CDM_Entry> files(std::initializer_list<const char *> names)
{
    std::vector<CDM_Entry> out;
    for (const char *n : names) {
        out.push_back(CDM_Entry{n, false});
    }
    return out;
}

TEST(CdTrackNames, ListingGivesTheTrackTable)
{
    const struct {
        const char *name;
        std::vector<CDM_Entry> listing;
        std::vector<std::string> table;
    } cases[] = {
        {"copied disc", files({"track02.wav", "Track03.Wav"}), {"", "track02.wav", "Track03.Wav"}},
        {"first in search order wins", files({"TRACK2.WAV", "track02.wav"}), {"", "TRACK2.WAV"}},
        {"track one", files({"track1.wav"}), {"track1.wav"}},
        {"leading zeros", files({"TRACK0007.WAV"}), {"", "", "", "", "", "", "TRACK0007.WAV"}},
        {"highest number", files({"track99.wav"}), std::vector<std::string>(98, "")},
        {"ignored names",
         files({"track0.wav", "track100.wav", "track02.ogg", "mytrack02.wav", "track02.wav.bak", "track.wav",
                "track2a.wav", "track-2.wav", "track 2.wav", "track2.wa", ""}),
         {}},
        {"a folder is no track", {CDM_Entry{"track04.wav", true}}, {}},
        {"empty folder", {}, {}},
    };
    for (const auto &c : cases) {
        std::vector<std::string> want = c.table;
        if (std::string(c.name) == "highest number") {
            want.push_back("track99.wav");
        }
        EXPECT_EQ(CDM_TrackTable(c.listing), want) << c.name;
    }
}

TEST(CdDiscModel, PlayCrossesTracksOfTheRangeAndStopsAtItsEnd)
{
    CDM_Disc disc;
    CDM_Load(disc, {100, 0, 50, 30});
    EXPECT_EQ(CDM_Play(disc, 0, 0), PLAT_CD_ERR_BAD_TRACK);
    EXPECT_EQ(CDM_Play(disc, 5, 0), PLAT_CD_ERR_BAD_TRACK);
    EXPECT_EQ(CDM_Mode(disc), PLAT_CD_STOPPED);

    // Track 1 to the start of track 4 runs over the empty track 2.
    struct Stretch {
        uint32_t track;
        uint64_t frame;
        uint32_t frames;
        uint32_t offset;
    };
    std::vector<Stretch> seen;
    CDM_Visitor visit{[](void *ctx, uint32_t t, uint64_t f, uint32_t n, uint32_t o) {
                          static_cast<std::vector<Stretch> *>(ctx)->push_back({t, f, n, o});
                      },
                      &seen};
    ASSERT_EQ(CDM_Play(disc, 1, 4), 0);
    CDM_Advance(disc, 90, visit);
    CDM_Advance(disc, 100, visit);
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[1].track, 1u);
    EXPECT_EQ(seen[1].frame, 90u);
    EXPECT_EQ(seen[1].frames, 10u);
    EXPECT_EQ(seen[2].track, 3u);
    EXPECT_EQ(seen[2].frames, 50u);
    EXPECT_EQ(seen[2].offset, 10u);
    EXPECT_EQ(CDM_Mode(disc), PLAT_CD_STOPPED);
    EXPECT_EQ(disc.track, 4u) << "the position stays at the range's end";

    // Resume from there plays the rest of the disc.
    ASSERT_EQ(CDM_Resume(disc), 0);
    EXPECT_EQ(CDM_Mode(disc), PLAT_CD_PLAYING);
    CDM_Advance(disc, 29);
    EXPECT_EQ(CDM_Mode(disc), PLAT_CD_PLAYING);
    CDM_Pause(disc);
    CDM_Advance(disc, 1000);
    EXPECT_EQ(CDM_Mode(disc), PLAT_CD_PAUSED);
    EXPECT_EQ(disc.frame, 29u);
    ASSERT_EQ(CDM_Resume(disc), 0);
    CDM_Advance(disc, 1);
    EXPECT_EQ(CDM_Mode(disc), PLAT_CD_STOPPED);
    ASSERT_EQ(CDM_Resume(disc), 0);
    EXPECT_EQ(CDM_Mode(disc), PLAT_CD_STOPPED) << "nothing is left to play";

    // The door stops play and refuses it while open.
    ASSERT_EQ(CDM_Play(disc, 1, 0), 0);
    CDM_SetDoor(disc, true);
    EXPECT_EQ(CDM_Mode(disc), PLAT_CD_DOOR_OPEN);
    EXPECT_EQ(CDM_Play(disc, 1, 0), PLAT_CD_ERR_NOT_READY);
    EXPECT_EQ(CDM_Resume(disc), PLAT_CD_ERR_NOT_READY);
    CDM_SetDoor(disc, false);
    EXPECT_EQ(CDM_Mode(disc), PLAT_CD_STOPPED);
}

TEST(CdErrorTexts, TextsAreCutAndAlwaysTerminated)
{
    char text[8];
    EXPECT_EQ(CDM_CopyText(CDM_ErrorText(PLAT_CD_ERR_NOT_READY), text, sizeof text), 1);
    EXPECT_STREQ(text, "The CD ");
    EXPECT_EQ(CDM_CopyText(CDM_ErrorText(12345), text, sizeof text), 0);
    EXPECT_STREQ(text, "");
}

} // namespace
