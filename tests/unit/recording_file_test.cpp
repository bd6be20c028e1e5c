// The recording's file: its growth from one minute's look to the next, the
// verdict at the end, and the length a size stands for.
#include <gtest/gtest.h>

#include "history/history.h"
#include "scheduler/recording_file.h"

namespace {

const FileLook kGone = FILE_MISSING, kThere = FILE_PRESENT, kUnseen = FILE_NOT_SEEN;
const GrowthVerdict kGrows = GROWTH_GROWING, kStill = GROWTH_STALLED;

ScheduleEntry Entry(bool parameters, int32_t bitrateIndex = 4) {
  ScheduleEntry e{};
  e.flags = parameters ? FLAG_MP3_PARAMS : 0;
  e.bitrateIndex = bitrateIndex;
  return e;
}
const ScheduleEntry at128 = Entry(true), at192 = Entry(true, 5), unknown = Entry(false);

TEST(RecordingFile, GrowthIsJudgedFromOneMinutesLookToTheNext) {
  const struct {
    FileLook look;
    uint64_t bytes;
    GrowthVerdict verdict;
  } looks[] = {
      // A file that appears late, empty at first.
      {kGone, 0, kStill}, {kThere, 0, kStill}, {kThere, 417, kGrows},
      // However unevenly it came within the minute, a byte more counts; a stall, then growth again.
      {kThere, 1 << 20, kGrows}, {kThere, 3 << 20, kGrows}, {kThere, 3 << 20, kStill}, {kThere, 3 << 20, kStill},
      {kThere, (3 << 20) + 1, kGrows},
      // One that vanishes is measured afresh; a look that tells nothing leaves the last size standing.
      {kGone, 0, kStill}, {kThere, 100, kGrows}, {kUnseen, 0, GROWTH_UNKNOWN}, {kThere, 100, kStill},
  };
  FileGrowth growth{};
  for (size_t i = 0; i < sizeof looks / sizeof looks[0]; ++i)
    EXPECT_EQ(NoteFileLook(&growth, FileReading{looks[i].look, looks[i].bytes}), looks[i].verdict) << "look " << i;
}

TEST(RecordingFile, AtTheEndMissingEmptyShortOrFineAndShortOnlyWithParameters) {
  const uint32_t minute = 60000, sixHours = 6 * 3600 * 1000u;  // a minute is 960 000 bytes at 128 kbit/s
  const struct {
    const ScheduleEntry* entry;
    FileReading file;
    uint32_t recordedMs;
    FileEndVerdict verdict;
  } cases[] = {
      {&at128, {kUnseen, 0}, minute, FILE_END_UNKNOWN},   {&unknown, {kGone, 0}, minute, FILE_END_MISSING},
      {&unknown, {kThere, 0}, minute, FILE_END_EMPTY},    {&at128, {kThere, 480000}, minute, FILE_END_FINE},
      {&at128, {kThere, 479999}, minute, FILE_END_SHORT},
      // 43 minutes of a 6-hour programme at 192 kbit/s; without parameters the bitrate is a guess.
      {&at192, {kThere, 24000ull * 43 * 60}, sixHours, FILE_END_SHORT}, {&unknown, {kThere, 1}, sixHours, FILE_END_FINE},
  };
  for (const auto& c : cases)
    EXPECT_EQ(JudgeRecordingFile(c.file, c.entry, c.recordedMs), c.verdict) << c.file.bytes << " in " << c.recordedMs;
}

TEST(RecordingFile, SizeAndTheLengthItStandsForAtTheBitrate) {
  const struct {
    const ScheduleEntry* entry;
    uint64_t bytes;
    const char* text;
  } cases[] = {
      // 약 59분 40초, in MB of 2^20 bytes to the nearest tenth; without
      // parameters 128 kbit/s로 치면 약 59분 40초.
      {&at128, 16000ull * 3580, "54.6 MB, \xBE\xE0 59\xBA\xD0 40\xC3\xCA"},
      {&unknown, 16000ull * 3580, "54.6 MB, 128 kbit/s\xB7\xCE \xC4\xA1\xB8\xE9 \xBE\xE0 59\xBA\xD0 40\xC3\xCA"},
      // 약 6시간 0분 0초
      {&at192, 24000ull * 6 * 3600, "494.4 MB, \xBE\xE0 6\xBD\xC3\xB0\xA3 0\xBA\xD0 0\xC3\xCA"},
      // Only nothing reads 0.0; seconds to the nearest too.
      {&at128, 0, "0.0 MB, \xBE\xE0 0\xC3\xCA"},
      {&at128, 1, "0.1 MB, \xBE\xE0 0\xC3\xCA"},
      {&at128, 16000 * 40 + 8000, "0.6 MB, \xBE\xE0 41\xC3\xCA"},
  };
  for (const auto& c : cases) {
    char text[96];
    EXPECT_EQ(FormatFileFigures(text, sizeof text, c.bytes, c.entry), 1);
    EXPECT_STREQ(text, c.text) << c.bytes;
  }
}

}  // namespace
