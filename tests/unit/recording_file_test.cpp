// The recording's file: its growth from one minute's look to the next, the
// verdict at the end, and the length a size stands for.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "history/history.h"
#include "scheduler/recording_file.h"

namespace {

const FileLook kGone = FILE_MISSING, kThere = FILE_PRESENT, kUnseen = FILE_NOT_SEEN;

ScheduleEntry Entry(bool parameters, int32_t bitrateIndex = 4) {
  ScheduleEntry e{};
  e.flags = parameters ? FLAG_MP3_PARAMS : 0;
  e.bitrateIndex = bitrateIndex;
  return e;
}

TEST(RecordingFile, GrowthIsJudgedFromOneMinutesLookToTheNext) {
  struct Look {
    FileLook look;
    uint64_t bytes;
    GrowthVerdict verdict;
  };
  const struct {
    const char* name;
    std::vector<Look> looks;
  } series[] = {
      {"steady", {{kThere, 960000, GROWTH_GROWING}, {kThere, 1920000, GROWTH_GROWING}}},
      // Whatever a plug-in holds back within the minute, a byte more counts.
      {"bursts", {{kThere, 1 << 20, GROWTH_GROWING}, {kThere, 3 << 20, GROWTH_GROWING},
                  {kThere, (3 << 20) + 1, GROWTH_GROWING}}},
      {"a stall, then growth again",
       {{kThere, 960000, GROWTH_GROWING}, {kThere, 960000, GROWTH_STALLED}, {kThere, 960000, GROWTH_STALLED},
        {kThere, 960001, GROWTH_GROWING}}},
      {"empty at the first look", {{kThere, 0, GROWTH_STALLED}, {kThere, 0, GROWTH_STALLED}}},
      {"appears late", {{kGone, 0, GROWTH_STALLED}, {kThere, 0, GROWTH_STALLED}, {kThere, 417, GROWTH_GROWING}}},
      {"vanishes and comes back", {{kThere, 5000, GROWTH_GROWING}, {kGone, 0, GROWTH_STALLED},
                                   {kThere, 100, GROWTH_GROWING}}},
      {"shrinks", {{kThere, 5000, GROWTH_GROWING}, {kThere, 4000, GROWTH_STALLED}}},
      // A look that tells nothing leaves the last size standing.
      {"not seen", {{kThere, 1000, GROWTH_GROWING}, {kUnseen, 0, GROWTH_UNKNOWN}, {kThere, 1000, GROWTH_STALLED}}},
  };
  for (const auto& s : series) {
    FileGrowth growth{};
    for (size_t i = 0; i < s.looks.size(); ++i) {
      const Look& l = s.looks[i];
      EXPECT_EQ(NoteFileLook(&growth, FileReading{l.look, l.bytes}), l.verdict) << s.name << ", look " << i + 1;
    }
  }
}

TEST(RecordingFile, AtTheEndMissingEmptyShortOrFineAndShortOnlyWithParameters) {
  const ScheduleEntry at128 = Entry(true), at192 = Entry(true, 5), unknown = Entry(false);
  const uint32_t minute = 60000;  // 960 000 bytes at 128 kbit/s, 1 440 000 at 192
  const struct {
    const ScheduleEntry* entry;
    FileReading file;
    uint32_t recordedMs;
    FileEndVerdict verdict;
  } cases[] = {
      {&at128, {kUnseen, 0}, minute, FILE_END_UNKNOWN},
      {&at128, {kGone, 0}, minute, FILE_END_MISSING},
      {&unknown, {kGone, 0}, minute, FILE_END_MISSING},
      {&at128, {kThere, 0}, minute, FILE_END_EMPTY},
      {&unknown, {kThere, 0}, minute, FILE_END_EMPTY},
      // Half of what the time gives is still fine; a byte less is short.
      {&at128, {kThere, 480000}, minute, FILE_END_FINE},
      {&at128, {kThere, 479999}, minute, FILE_END_SHORT},
      {&at192, {kThere, 719999}, minute, FILE_END_SHORT},
      {&at192, {kThere, 720000}, minute, FILE_END_FINE},
      // 43 minutes of a 6-hour programme.
      {&at192, {kThere, 24000ull * 43 * 60}, 6 * 3600 * 1000u, FILE_END_SHORT},
      // Without parameters the bitrate is a guess: never short.
      {&unknown, {kThere, 1}, 6 * 3600 * 1000u, FILE_END_FINE},
  };
  for (const auto& c : cases)
    EXPECT_EQ(JudgeRecordingFile(c.file, c.entry, c.recordedMs), c.verdict)
        << c.file.look << " " << c.file.bytes << " after " << c.recordedMs << " ms";
}

TEST(RecordingFile, SizeAndTheLengthItStandsForAtTheBitrate) {
  const ScheduleEntry at128 = Entry(true), at192 = Entry(true, 5), unknown = Entry(false), odd = Entry(true, 9);
  const struct {
    const ScheduleEntry* entry;
    uint64_t bytes;
    const char* text;
  } cases[] = {
      // 약 59분 40초; MB are 2^20 bytes, to the nearest tenth.
      {&at128, 16000ull * 3580, "54.6 MB, \xBE\xE0 59\xBA\xD0 40\xC3\xCA"},
      // 128 kbit/s로 치면 약 59분 40초
      {&unknown, 16000ull * 3580, "54.6 MB, 128 kbit/s\xB7\xCE \xC4\xA1\xB8\xE9 \xBE\xE0 59\xBA\xD0 40\xC3\xCA"},
      {&odd, 16000ull * 3580, "54.6 MB, \xBE\xE0 59\xBA\xD0 40\xC3\xCA"},
      // 약 6시간 0분 0초
      {&at192, 24000ull * 6 * 3600, "494.4 MB, \xBE\xE0 6\xBD\xC3\xB0\xA3 0\xBA\xD0 0\xC3\xCA"},
      // Nothing reads 0.0; anything in the file at least 0.1. Seconds to the nearest too.
      {&at128, 0, "0.0 MB, \xBE\xE0 0\xC3\xCA"},
      {&at128, 1, "0.1 MB, \xBE\xE0 0\xC3\xCA"},
      {&at128, 1 << 20, "1.0 MB, \xBE\xE0 1\xBA\xD0 6\xC3\xCA"},
      {&at128, (1 << 20) + 52428, "1.0 MB, \xBE\xE0 1\xBA\xD0 9\xC3\xCA"},
      {&at128, (1 << 20) + 52429, "1.1 MB, \xBE\xE0 1\xBA\xD0 9\xC3\xCA"},
      {&at128, 16000 * 40 + 7999, "0.6 MB, \xBE\xE0 40\xC3\xCA"},
      {&at128, 16000 * 40 + 8000, "0.6 MB, \xBE\xE0 41\xC3\xCA"},
  };
  for (const auto& c : cases) {
    char text[96];
    EXPECT_EQ(FormatFileFigures(text, sizeof text, c.bytes, c.entry), 1);
    EXPECT_STREQ(text, c.text) << c.bytes;
  }
  EXPECT_EQ(SecondsOfSound(123456, 0), 0u);
}

TEST(RecordingFile, LinesTellTheFileItsSizeAndBothLengths) {
  const ScheduleEntry at128 = Entry(true);
  char detail[HISTORY_DETAIL_CAPACITY], warning[160];
  // 녹음 시간 끝, 0.9 MB, 약 1분 0초; and only the reason without a file.
  FormatEndedDetail(detail, sizeof detail, REASON_WINDOW_ENDED, FileReading{kThere, 960000}, &at128);
  EXPECT_STREQ(detail, STR_REASON_WINDOW_ENDED ", 0.9 MB, \xBE\xE0 1\xBA\xD0 0\xC3\xCA");
  FormatEndedDetail(detail, sizeof detail, REASON_WINDOW_ENDED, FileReading{kGone, 0}, &at128);
  EXPECT_STREQ(detail, STR_REASON_WINDOW_ENDED);

  EXPECT_EQ(FormatGrowthNews(detail, sizeof detail, warning, sizeof warning, GROWTH_STALLED, FileReading{kGone, 0},
                             "D:\\a.mp3"),
            HISTORY_FILE_NOT_GROWING);
  EXPECT_STREQ(detail, "D:\\a.mp3, " STR_HISTORY_NO_FILE);
  EXPECT_STREQ(warning, STR_HISTORY_FILE_NOT_GROWING ": " STR_HISTORY_NO_FILE);
  EXPECT_EQ(FormatGrowthNews(detail, sizeof detail, warning, sizeof warning, GROWTH_STALLED,
                             FileReading{kThere, 960000}, "D:\\a.mp3"),
            HISTORY_FILE_NOT_GROWING);
  EXPECT_STREQ(warning, STR_HISTORY_FILE_NOT_GROWING ": 0.9 MB");
  for (GrowthVerdict quiet : {GROWTH_GROWING, GROWTH_UNKNOWN}) {
    EXPECT_EQ(FormatGrowthNews(detail, sizeof detail, warning, sizeof warning, quiet, FileReading{kThere, 5},
                               "D:\\a.mp3"),
              HISTORY_NONE);
    EXPECT_STREQ(detail, "");
    EXPECT_STREQ(warning, "");
  }

  // 파일에 약 43분 0초, 녹음한 시간 6시간 0분 0초 (D:\a.mp3)
  FormatCutShortDetail(detail, sizeof detail, 16000ull * 43 * 60, &at128, 6 * 3600 * 1000u - 400, "D:\\a.mp3");
  EXPECT_STREQ(detail, "\xC6\xC4\xC0\xCF\xBF\xA1 \xBE\xE0 43\xBA\xD0 0\xC3\xCA, \xB3\xEC\xC0\xBD\xC7\xD1 \xBD\xC3\xB0\xA3 "
                       "6\xBD\xC3\xB0\xA3 0\xBA\xD0 0\xC3\xCA (D:\\a.mp3)");

  EXPECT_EQ(ReasonOfRecordingFile(FILE_END_MISSING), REASON_FILE_MISSING);
  EXPECT_EQ(ReasonOfRecordingFile(FILE_END_EMPTY), REASON_FILE_EMPTY);
  EXPECT_EQ(ReasonOfRecordingFile(FILE_END_SHORT), REASON_NONE);
}

}  // namespace
