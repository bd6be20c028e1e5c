// Room for a recording: what a window needs and what the free space says of it.
#include <gtest/gtest.h>

#include <string>

#include "scheduler/disk_space.h"

namespace {

int32_t Hms(int h, int m, int s) { return HmsToSeconds(h, m, s); }

ScheduleEntry Entry(int32_t start, int32_t end, uint32_t flags = 0, int32_t bitrateIndex = 4) {
  ScheduleEntry e{};
  e.startSeconds = start;
  e.endSeconds = end;
  e.dayMask = -1;
  e.flags = flags;
  e.bitrateIndex = bitrateIndex;
  return e;
}

const uint64_t kMiB = 1u << 20;

TEST(DiskNeed, BitrateTimesTheWindowLeftPlusTheMargin) {
  const struct {
    ScheduleEntry entry;
    int32_t at;
    uint64_t need;
  } cases[] = {
      // An hour at 192 kbit/s (24 000 bytes a second), seen before it opens and on its second.
      {Entry(Hms(10, 0, 0), Hms(11, 0, 0), FLAG_MP3_PARAMS, 5), Hms(9, 59, 58), 24000ull * 3600},
      {Entry(Hms(10, 0, 0), Hms(11, 0, 0), FLAG_MP3_PARAMS, 5), Hms(10, 0, 0), 24000ull * 3600},
      // Halfway through, only the rest; 48 kbit/s is the table's first.
      {Entry(Hms(10, 0, 0), Hms(11, 0, 0), FLAG_MP3_PARAMS, 0), Hms(10, 30, 0), 6000ull * 1800},
      // No parameters: 128 kbit/s assumed, whatever the unused index says.
      {Entry(Hms(10, 0, 0), Hms(11, 0, 0), FLAG_MONO, 0), Hms(9, 0, 0), 16000ull * 3600},
      // An index outside the table falls back to 128 kbit/s.
      {Entry(Hms(10, 0, 0), Hms(11, 0, 0), FLAG_MP3_PARAMS, 9), Hms(9, 0, 0), 16000ull * 3600},
      // Over midnight: 23:30 to 00:30 is an hour, and after midnight half of it is left.
      {Entry(Hms(23, 30, 0), Hms(0, 30, 0)), Hms(23, 29, 58), 16000ull * 3600},
      {Entry(Hms(23, 30, 0), Hms(0, 30, 0)), Hms(0, 0, 0), 16000ull * 1800},
      // Start equal to end: a whole day, and on its own second a whole day again.
      {Entry(Hms(6, 0, 0), Hms(6, 0, 0)), Hms(6, 0, 0), 16000ull * 86400},
      {Entry(Hms(6, 0, 0), Hms(6, 0, 0)), Hms(5, 59, 59), 16000ull * 1},
      // A hand-edited end far past the day counts a day at most.
      {Entry(Hms(0, 0, 0), 500000), Hms(0, 0, 0), 16000ull * 86400},
      // Ends far apart either way do not overflow.
      {Entry(2000000000, -2000000000), Hms(0, 0, 5), 0},
  };
  for (const auto& c : cases)
    EXPECT_EQ(DiskNeedBytes(&c.entry, c.at), c.need + DISK_MARGIN_BYTES)
        << c.entry.startSeconds << "-" << c.entry.endSeconds << " at " << c.at;
}

TEST(DiskVerdict, ShortEnoughUnknownAndFullOnlyWhileRecording) {
  const uint64_t need = 50 * kMiB;
  const struct {
    bool known;
    uint64_t free;
    bool recording;
    DiskVerdict verdict;
  } cases[] = {
      {false, 0, false, DISK_UNKNOWN},
      {false, 0, true, DISK_UNKNOWN},
      {true, need, false, DISK_ENOUGH},
      {true, need - 1, false, DISK_SHORT},
      {true, 0, false, DISK_SHORT},  // before the window: short, with the figures
      {true, need - 1, true, DISK_SHORT},
      {true, DISK_ALMOST_FULL_BYTES, true, DISK_SHORT},
      {true, DISK_ALMOST_FULL_BYTES - 1, true, DISK_FULL},
      {true, 0, true, DISK_FULL},
  };
  for (const auto& c : cases)
    EXPECT_EQ(JudgeDiskSpace(need, c.known, c.free, c.recording), c.verdict)
        << c.known << " " << c.free << " " << c.recording;
  // Below the almost-full mark but enough for a short rest is still full.
  EXPECT_EQ(JudgeDiskSpace(DISK_MARGIN_BYTES, true, 1000, true), DISK_FULL);
}

TEST(DiskTexts, MegabytesNeverPromiseRoomAndTheFolderIsTheDrivesPart) {
  EXPECT_EQ(MegabytesUp(0), 0u);
  EXPECT_EQ(MegabytesUp(1), 1u);
  EXPECT_EQ(MegabytesUp(kMiB), 1u);
  EXPECT_EQ(MegabytesUp(kMiB + 1), 2u);
  EXPECT_EQ(MegabytesDown(2 * kMiB - 1), 1u);
  EXPECT_EQ(MegabytesDown(5000 * kMiB), 5000u);  // past 4 GiB

  const struct {
    const char* path;
    const char* folder;
  } cases[] = {
      {"D:\\Rec\\a.mp3", "D:\\Rec\\"},
      {"D:\\a.mp3", "D:\\"},
      {"\\\\srv\\share\\a.mp3", "\\\\srv\\share\\"},
      {"\\\\srv\\share\\x\\a.mp3", "\\\\srv\\share\\x\\"},
      // A trail byte that is a letter does not end the folder (라디오\a.mp3).
      {"D:\\\xB6\xF3\xB5\xF0\xBF\xC0\\a.mp3", "D:\\\xB6\xF3\xB5\xF0\xBF\xC0\\"},
      {"a.mp3", ""},
  };
  for (const auto& c : cases) {
    char folder[PATH_CAPACITY] = "junk";
    EXPECT_EQ(OutputFolderOf(folder, sizeof folder, c.path), c.folder[0] ? 1 : 0) << c.path;
    EXPECT_EQ(std::string(folder), c.folder);
  }
  char small[5] = "junk";
  EXPECT_EQ(OutputFolderOf(small, sizeof small, "D:\\Rec\\a.mp3"), 0);
  EXPECT_EQ(std::string(small), "");
}

}  // namespace
