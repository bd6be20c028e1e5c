// Room for a recording: what a window needs and what the free space says of it.
#include <gtest/gtest.h>

#include "scheduler/disk_space.h"

namespace {

int32_t Hms(int h, int m, int s) { return HmsToSeconds(h, m, s); }

ScheduleEntry Entry(int32_t start, int32_t end, uint32_t flags = 0, int32_t bitrateIndex = 4) {
  ScheduleEntry e{};
  e.startSeconds = start;
  e.endSeconds = end;
  e.flags = flags;
  e.bitrateIndex = bitrateIndex;
  return e;
}

TEST(DiskSpace, NeedIsTheBitrateOverTheWindowLeftPlusTheMarginAndTheVerdictFollows) {
  const struct {
    ScheduleEntry entry;
    int32_t at;
    uint64_t need;  // without the margin
  } cases[] = {
      // An hour at 192 kbit/s (24 000 bytes a second), before it opens and halfway.
      {Entry(Hms(10, 0, 0), Hms(11, 0, 0), FLAG_MP3_PARAMS, 5), Hms(9, 59, 58), 24000ull * 3600},
      {Entry(Hms(10, 0, 0), Hms(11, 0, 0), FLAG_MP3_PARAMS, 0), Hms(10, 30, 0), 6000ull * 1800},
      // No parameters: 128 kbit/s assumed; so for an index outside the table.
      {Entry(Hms(10, 0, 0), Hms(11, 0, 0), FLAG_MONO, 0), Hms(9, 0, 0), 16000ull * 3600},
      {Entry(Hms(10, 0, 0), Hms(11, 0, 0), FLAG_MP3_PARAMS, 9), Hms(9, 0, 0), 16000ull * 3600},
      // Over midnight, and after midnight the half that is left.
      {Entry(Hms(23, 30, 0), Hms(0, 30, 0)), Hms(23, 29, 58), 16000ull * 3600},
      {Entry(Hms(23, 30, 0), Hms(0, 30, 0)), Hms(0, 0, 0), 16000ull * 1800},
      // Ends that meet: a whole day. Hand-edited ends: a day at most, never an overflow.
      {Entry(Hms(6, 0, 0), Hms(6, 0, 0)), Hms(6, 0, 0), 16000ull * 86400},
      {Entry(Hms(0, 0, 0), 500000), Hms(0, 0, 0), 16000ull * 86400},
      {Entry(2000000000, -2000000000), Hms(0, 0, 5), 0},
  };
  for (const auto& c : cases)
    EXPECT_EQ(DiskNeedBytes(&c.entry, c.at), c.need + DISK_MARGIN_BYTES) << c.entry.startSeconds << " at " << c.at;

  const uint64_t need = 50u << 20;
  EXPECT_EQ(JudgeDiskSpace(need, false, 0, false), DISK_UNKNOWN);
  EXPECT_EQ(JudgeDiskSpace(need, false, 0, true), DISK_UNKNOWN);
  EXPECT_EQ(JudgeDiskSpace(need, true, need, false), DISK_ENOUGH);
  EXPECT_EQ(JudgeDiskSpace(need, true, 0, false), DISK_SHORT);  // full only while recording
  EXPECT_EQ(JudgeDiskSpace(need, true, need - 1, true), DISK_SHORT);
  EXPECT_EQ(JudgeDiskSpace(need, true, DISK_ALMOST_FULL_BYTES, true), DISK_SHORT);
  EXPECT_EQ(JudgeDiskSpace(1000, true, DISK_ALMOST_FULL_BYTES - 1, true), DISK_FULL);
}

TEST(DiskSpace, TheFolderIsTheDrivesPartOfThePath) {
  char folder[PATH_CAPACITY];
  EXPECT_EQ(OutputFolderOf(folder, sizeof folder, "\\\\srv\\share\\a.mp3"), 1);
  EXPECT_STREQ(folder, "\\\\srv\\share\\");
  // A trail byte that is a letter does not end the folder (라디오\a.mp3).
  EXPECT_EQ(OutputFolderOf(folder, sizeof folder, "D:\\\xB6\xF3\xB5\xF0\xBF\xC0\\a.mp3"), 1);
  EXPECT_STREQ(folder, "D:\\\xB6\xF3\xB5\xF0\xBF\xC0\\");
  EXPECT_EQ(OutputFolderOf(folder, sizeof folder, "a.mp3"), 0);
  EXPECT_STREQ(folder, "");
  EXPECT_EQ(OutputFolderOf(folder, 5, "D:\\Rec\\a.mp3"), 0);
  EXPECT_STREQ(folder, "");
}

}  // namespace
