// The recording history's portable half: the line format with its Korean
// texts, the reasons, the file's name and when it is renamed.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

#include "history/history.h"
#include "resources/strings.h"
#include "text/text.h"
#include "unit/clock_reading.h"

namespace {

// The history does not show the weekday.
LocalTimeFields When(int year, int month, int day, int hour, int minute, int second, int millisecond = 0) {
  return Date(year, month, day, 0, hour, minute, second, millisecond);
}

ScheduleEntry Entry(int32_t start, int32_t end, uint32_t flags = 0, int32_t bitrateIndex = 4,
                    int32_t sampleRateIndex = 1) {
  ScheduleEntry e{};
  e.startSeconds = start;
  e.endSeconds = end;
  e.dayMask = -1;
  e.flags = flags;
  e.bitrateIndex = bitrateIndex;
  e.sampleRateIndex = sampleRateIndex;
  return e;
}

std::string Line(const LocalTimeFields& when, HistoryEvent kind, const ScheduleEntry* entry, const char* detail,
                 size_t capacity = HISTORY_LINE_CAPACITY, int* whole = nullptr) {
  std::string buffer(capacity, '\x7f');
  int result = FormatHistoryLine(&buffer[0], capacity, when, kind, entry, detail);
  if (whole) *whole = result;
  return std::string(buffer.c_str());
}

TEST(HistoryLine, StampEventWindowAndDetailSeparatedByTwoBlanks) {
  ScheduleEntry evening = Entry(HmsToSeconds(21, 0, 0), HmsToSeconds(22, 30, 0));
  EXPECT_EQ(Line(When(2026, 12, 8, 21, 0, 1), HISTORY_RECORDING_STARTED, &evening, "D:\\rec\\x.mp3"),
            "2026-12-08 21:00:01  " STR_HISTORY_RECORDING_STARTED "  21:00:00 - 22:30:00  D:\\rec\\x.mp3\r\n");
  // No entry, no detail: neither leaves blanks behind; an empty detail is none.
  EXPECT_EQ(Line(When(2027, 1, 5, 7, 8, 9), HISTORY_PLUGIN_LOST, nullptr, ""),
            "2027-01-05 07:08:09  " STR_HISTORY_PLUGIN_LOST "\r\n");
  // A window over midnight, told with a reason.
  ScheduleEntry night = Entry(HmsToSeconds(23, 0, 0), HmsToSeconds(1, 0, 0));
  EXPECT_EQ(Line(When(2026, 12, 9, 1, 0, 0), HISTORY_MISSED, &night, HistoryReasonText(REASON_NO_PLUGIN)),
            "2026-12-09 01:00:00  " STR_HISTORY_MISSED "  23:00:00 - 01:00:00  " STR_REASON_NO_PLUGIN "\r\n");
}

TEST(HistoryLine, TooLongIsCutBetweenWholeCharactersAndStillEndsTheLine) {
  std::string korean;
  for (int i = 0; i < 40; ++i) korean += STR_REASON_QUALITY_NOT_OPENED;
  ScheduleEntry e = Entry(0, 60);
  const LocalTimeFields when = When(2026, 12, 8, 0, 0, 0);
  const std::string full = Line(when, HISTORY_NOT_STARTED, &e, korean.c_str(), 4096);
  const std::string body = full.substr(0, full.size() - 2);
  for (size_t capacity = 3; capacity < 200; ++capacity) {
    int whole = 1;
    std::string cut = Line(when, HISTORY_NOT_STARTED, &e, korean.c_str(), capacity, &whole);
    EXPECT_EQ(whole, 0) << capacity;
    ASSERT_GE(cut.size(), 2u) << capacity;
    EXPECT_LE(cut.size(), capacity - 1) << capacity;
    EXPECT_EQ(cut.substr(cut.size() - 2), "\r\n") << capacity;
    std::string kept = cut.substr(0, cut.size() - 2);
    EXPECT_EQ(body.compare(0, kept.size(), kept), 0) << capacity;
    EXPECT_EQ(WholeCharPrefix(body.c_str(), body.size(), kept.size()), kept.size()) << capacity;
  }
  // The longest detail the program composes fits the line it is written with.
  std::string path(PATH_CAPACITY - 1, 'x');
  char detail[HISTORY_DETAIL_CAPACITY];
  ScheduleEntry mp3 = Entry(0, 60, FLAG_MP3_PARAMS | FLAG_MONO);
  EXPECT_EQ(FormatStartedDetail(detail, sizeof detail, path.c_str(), &mp3, 4294967295u), 1);
  int whole = 0;
  Line(when, HISTORY_RECORDING_STARTED, &mp3, detail, HISTORY_LINE_CAPACITY, &whole);
  EXPECT_EQ(whole, 1);
}

TEST(HistoryLine, StartedDetailNamesFileParametersAndLateness) {
  char detail[HISTORY_DETAIL_CAPACITY];
  ScheduleEntry stereo = Entry(0, 60, FLAG_MP3_PARAMS, 4, 1);
  FormatStartedDetail(detail, sizeof detail, "D:\\a.mp3", &stereo, 14);
  EXPECT_STREQ(detail, "D:\\a.mp3, 128kbps 44100Hz " STR_HISTORY_STEREO ", \xBF\xB9\xC1\xA4\xBA\xB8\xB4\xD9 14 ms "
                       "\xB4\xCA\xC0\xBD");
  // Parameters that are not handed over are said to be none, whatever the indexes.
  ScheduleEntry plain = Entry(0, 60, FLAG_MONO, 5, 0);
  FormatStartedDetail(detail, sizeof detail, "D:\\c.mp3", &plain, 123456);
  EXPECT_NE(strstr(detail, "D:\\c.mp3, " STR_HISTORY_NO_PARAMETERS ", "), nullptr) << detail;
  EXPECT_NE(strstr(detail, " 123456 ms "), nullptr) << detail;
  EXPECT_EQ(strstr(detail, "kbps"), nullptr) << detail;
}

TEST(HistoryLine, DatedReasonAndMissedNotice) {
  char text[200];
  FormatDatedReason(text, sizeof text, REASON_PROGRAM_NOT_RUNNING, When(2026, 3, 7, 21, 0, 0));
  EXPECT_STREQ(text, STR_REASON_PROGRAM_NOT_RUNNING " (2026-03-07)");
  // 놓친 녹음 2건 — 녹음 기록을 보세요
  FormatMissedNotice(text, sizeof text, 2);
  EXPECT_STREQ(text, "\xB3\xF5\xC4\xA3 \xB3\xEC\xC0\xBD 2\xB0\xC7 \xA1\xAA \xB3\xEC\xC0\xBD \xB1\xE2\xB7\xCF\xC0\xBB "
                     "\xBA\xB8\xBC\xBC\xBF\xE4");
}

TEST(HistoryReasons, EachReasonAndEventReadsDifferentlyAndARequestNamesItsOwn) {
  std::set<std::string> reasons, events;
  for (int r = REASON_NONE + 1; r < REASON_COUNT; ++r)
    EXPECT_TRUE(reasons.insert(HistoryReasonText(static_cast<HistoryReason>(r))).second) << r;
  for (int k = HISTORY_NONE + 1; k < HISTORY_EVENT_COUNT; ++k)
    EXPECT_TRUE(events.insert(HistoryEventText(static_cast<HistoryEvent>(k))).second) << k;
  EXPECT_EQ(reasons.count(""), 0u);
  EXPECT_EQ(events.count(""), 0u);
  EXPECT_STREQ(HistoryReasonText(REASON_COUNT), "");
  EXPECT_STREQ(HistoryEventText(HISTORY_EVENT_COUNT), "");
  // A failed request tells the request's own reason; a done one cannot fail.
  EXPECT_EQ(ReasonOfStart(START_REQUEST_FAILED, REQUEST_QUALITY_NOT_OPENED), REASON_QUALITY_NOT_OPENED);
  EXPECT_EQ(ReasonOfStart(START_REQUEST_FAILED, REQUEST_DONE), REASON_REQUEST_NOT_TAKEN);
  EXPECT_EQ(ReasonOfStart(START_NO_FOLDER, REQUEST_QUALITY_NOT_OPENED), REASON_NO_FOLDER);
  EXPECT_EQ(ReasonOfStart(START_PROBLEM_NONE, REQUEST_DONE), REASON_NONE);
}

TEST(HistoryFile, NamedLikeTheSettingsFileWithItsOlderBesideIt) {
  struct Case {
    const char* settings;
    const char* history;
  } cases[] = {
      {"C:\\Apps\\rec.all\\prog.INI", "C:\\Apps\\rec.all\\prog.log"},
      {"C:\\Apps\\noext", "C:\\Apps\\noext.log"},
  };
  for (const Case& c : cases) {
    char path[260];
    EXPECT_EQ(DeriveHistoryPath(path, sizeof path, c.settings), 1) << c.settings;
    EXPECT_STREQ(path, c.history);
    char older[260];
    EXPECT_EQ(OlderHistoryPath(older, sizeof older, path), 1);
    EXPECT_EQ(std::string(older), std::string(c.history) + ".1");
  }
  char small[18];
  EXPECT_EQ(DeriveHistoryPath(small, sizeof small, "C:\\Rec\\sched.INI"), 1);
  EXPECT_EQ(OlderHistoryPath(small, sizeof small, "C:\\Rec\\sched.log"), 0);
  EXPECT_EQ(DeriveHistoryPath(small, sizeof small, "C:\\Records\\sched.INI"), 0);
}

TEST(HistorySettings, PlayerStartIsOnUnlessTheKeySaysZero) {
  for (const char* on : {"", "1", "2", "yes"}) EXPECT_TRUE(AutoStartPlayerEnabled(on)) << on;
  for (const char* off : {"0", " 0", "00", "0x0"}) EXPECT_FALSE(AutoStartPlayerEnabled(off)) << off;
}

}  // namespace
