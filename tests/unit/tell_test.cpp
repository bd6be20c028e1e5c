// What the person is told outside the history: the next-recording line and
// tip, and which events make a balloon, in which words.
#include <gtest/gtest.h>

#include "unit/clock_reading.h"
#include "unit/entry_list.h"

#include <cstdarg>
#include <cstdio>
#include <string>

#include "app/balloons.h"
#include "app/main_view.h"
#include "history/watch.h"
#include "resources/strings.h"
#include "text/text.h"

namespace {

enum { SUN, MON, TUE, WED, THU, FRI, SAT };
const int ALL_DAYS = -1;

std::string Printf(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Printf(const char* format, ...) {
  char text[1024];
  va_list args;
  va_start(args, format);
  vsnprintf(text, sizeof text, format, args);
  va_end(args);
  return text;
}

// Characters as the notification area counts them (a double-byte one is one).
size_t Characters(const std::string& text) {
  size_t count = 0;
  for (size_t i = 0; i < text.size(); ++i, ++count)
    if (IsLeadByte(text[i])) ++i;
  return count;
}

std::string Next(const char* weekday, const char* window, const std::string& wait) {
  return Printf(STR_NEXT_RECORDING, weekday, window, wait.c_str());
}

int32_t H(int h, int m, int s = 0) { return HmsToSeconds(h, m, s); }
// 2026-12-07 is a Monday.
LocalTimeFields Monday(int h, int m, int s = 0) { return Date(2026, 12, 7, MON, h, m, s); }

struct NextCase {
  const char* what;
  int32_t start, end, dayMask;
  int recording;  // 1 recording, 2 starting
  const char* file;
  LocalTimeFields now;
  bool pluginKnown;
  std::string expected;
};

TEST(NextRecording, SaysWhatRecordsOrWhatComesNextAndHowLongUntilIt) {
  const std::string noPlugin = Printf(STR_NEXT_RECORDING_PLUGIN, STR_REASON_NO_PLUGIN);
  const std::string window = "07:00:00 - 09:00:00";
  const NextCase cases[] = {
      {"recording: its file, without the folder", H(7, 0), H(9, 0), ALL_DAYS, 1, "D:\\radio\\morning-1207.mp3",
       Monday(8, 0), true, Printf(STR_NEXT_RECORDING_NOW, window.c_str(), "morning-1207.mp3")},
      {"recording taken over: the pattern", H(7, 0), H(9, 0), ALL_DAYS, 1, nullptr, Monday(8, 0), true,
       Printf(STR_NEXT_RECORDING_NOW, window.c_str(), "%4Y%2M%2D.mp3")},
      {"a start on its way", H(7, 0), H(9, 0), ALL_DAYS, 2, nullptr, Monday(8, 0), true,
       Printf(STR_NEXT_RECORDING_STARTING, window.c_str())},
      {"next today", H(13, 12), H(14, 0), 1 << MON, 0, nullptr, Monday(10, 0, 30), true,
       Next(STR_WEEKDAY_1, "13:12:00 - 14:00:00", Printf(STR_WAIT_HOURS " " STR_WAIT_MINUTES, 3, 11))},
      // Also the weekday counted round the week back to its own.
      {"a week less a minute: days, hours", H(5, 59), H(6, 0), 1 << MON, 0, nullptr, Monday(6, 0), true,
       Next(STR_WEEKDAY_1, "05:59:00 - 06:00:00", Printf(STR_WAIT_DAYS " " STR_WAIT_HOURS, 6, 23))},
      {"under a minute", H(10, 0, 40), H(11, 0), ALL_DAYS, 0, nullptr, Monday(10, 0), true,
       Next(STR_WEEKDAY_1, "10:00:40 - 11:00:00", Printf(STR_WAIT_SECONDS, 40))},
      // Open from midnight of its own day, the weekday after now's.
      {"over midnight, opening at midnight", H(23, 0), H(1, 0), 1 << TUE, 0, nullptr, Monday(23, 30), true,
       Next(STR_WEEKDAY_2, "23:00:00 - 01:00:00", Printf(STR_WAIT_MINUTES, 30))},
      {"over midnight, open and nothing records", H(23, 0), H(1, 0), ALL_DAYS, 0, nullptr,
       Date(2026, 12, 8, TUE, 0, 30, 0), true, Printf(STR_NEXT_RECORDING_DUE, "23:00:00 - 01:00:00")},
      {"no plug-in: said behind the next window", H(13, 0), H(14, 0), ALL_DAYS, 0, nullptr, Monday(12, 0), false,
       Next(STR_WEEKDAY_1, "13:00:00 - 14:00:00", Printf(STR_WAIT_HOURS, 1)) + noPlugin},
      {"none ahead, no plug-in", H(9, 0), H(10, 0), 0, 0, nullptr, Monday(6, 0), false,
       STR_NEXT_RECORDING_NONE + noPlugin},
  };
  for (const NextCase& c : cases) {
    List list{WindowEntry(c.start, c.end, c.dayMask, "D:\\radio\\%4Y%2M%2D.mp3")};
    list[0].recording = c.recording == 1;
    list[0].run.starting = c.recording == 2;
    char text[NEXT_RECORDING_CAPACITY];
    EXPECT_EQ(FormatNextRecording(text, sizeof text, list.head(), c.now, c.file, c.pluginKnown), 1) << c.what;
    EXPECT_EQ(text, c.expected) << c.what;
  }
}

TEST(NextRecording, TheTipHoldsAtMost127CharactersCutBetweenWholeCharacters) {
  // A Hangul name of 150 characters (300 bytes): 127 bytes of code page 949
  // would keep half of what the notification area can show.
  std::string name;
  for (int i = 0; i < 150; ++i) name += "\xB3\xEC";  // 녹
  List list{WindowEntry(H(7, 0), H(9, 0))};
  list[0].recording = 1;
  const std::string file = "D:\\" + name + ".mp3";
  char text[NEXT_RECORDING_CAPACITY];
  ASSERT_EQ(FormatNextRecording(text, sizeof text, list.head(), Monday(8, 0), file.c_str(), true), 1);
  const std::string whole = text;
  EXPECT_EQ(CutToCharacters(text, TRAY_TIP_CHARACTERS), 0);
  const std::string tip = text;
  EXPECT_EQ(Characters(tip), 127u);
  ASSERT_EQ(tip.substr(tip.size() - 3), "...");
  EXPECT_EQ(whole.compare(0, tip.size() - 3, tip, 0, tip.size() - 3), 0);

  // One ASCII character odd out: the cut falls before a Hangul one, not inside it.
  CopyText(text, sizeof text, ("x" + name).c_str());
  CutToCharacters(text, 10);
  EXPECT_EQ(std::string(text), "x" + name.substr(0, 12) + "...");
  // What fits is left alone, to the character.
  CopyText(text, sizeof text, name.substr(0, 2 * 127).c_str());
  EXPECT_EQ(CutToCharacters(text, 127), 1);
  EXPECT_EQ(std::string(text), name.substr(0, 2 * 127));
}

// ---- Balloons ----

struct RuleCase {
  HistoryEvent kind;
  HistoryReason reason;
  BalloonWhen when;
};

TEST(Balloons, OnlyProblemsBalloonAndAFailedTryWaitsForItsWindowToRecover) {
  // A kind without a rule of its own never balloons (the plug-in lost by itself, a recording started).
  const RuleCase cases[] = {
      {HISTORY_NOT_STARTED, REASON_NO_PLUGIN, BALLOON_UNLESS_RECOVERED},
      {HISTORY_MISSED, REASON_NO_PLUGIN, BALLOON_AT_ONCE},
      {HISTORY_MISSED, REASON_PROGRAM_NOT_RUNNING, BALLOON_COUNTED},
      {HISTORY_MISSED, REASON_NOT_CHECKED, BALLOON_COUNTED},
      {HISTORY_MISSED, REASON_STOPPED_BY_USER, BALLOON_NEVER},
      {HISTORY_MISSED, REASON_FILE_EMPTY, BALLOON_AT_ONCE},
      {HISTORY_RECORDING_STOPPED, REASON_PLUGIN_LOST, BALLOON_AT_ONCE},
      {HISTORY_RECORDING_STOPPED, REASON_RECORDING_STOPPED, BALLOON_AT_ONCE},
      {HISTORY_RECORDING_STOPPED, REASON_WINDOW_ENDED, BALLOON_NEVER},
      {HISTORY_DISK_SHORT, REASON_NONE, BALLOON_AT_ONCE},
      {HISTORY_DISK_FULL, REASON_NONE, BALLOON_AT_ONCE},
      {HISTORY_RECORDING_STARTED, REASON_NONE, BALLOON_NEVER},
      {HISTORY_PLUGIN_LOST, REASON_NONE, BALLOON_NEVER},
      {HISTORY_CHECKED_AHEAD, REASON_NO_DRIVE, BALLOON_AHEAD},
      {HISTORY_FILE_NOT_GROWING, REASON_NONE, BALLOON_AT_ONCE},
      {HISTORY_RECORDING_CUT_SHORT, REASON_NONE, BALLOON_AT_ONCE},
  };
  for (const RuleCase& c : cases)
    EXPECT_EQ(BalloonWhenTold(c.kind, c.reason), c.when) << HistoryEventText(c.kind) << " / " << c.reason;
}

TEST(Balloons, SpeakInTheHistorysWordsAboutTheWindow) {
  const ScheduleEntry entry = WindowEntry(H(7, 0), H(9, 0));
  char title[BALLOON_TITLE_CAPACITY], text[BALLOON_TEXT_CAPACITY];
  FormatBalloon(title, sizeof title, text, sizeof text, HISTORY_MISSED, &entry, REASON_NO_PLUGIN, nullptr);
  EXPECT_STREQ(title, STR_HISTORY_MISSED);
  EXPECT_EQ(std::string(text), Printf(STR_BALLOON_ABOUT_WINDOW, "07:00:00 - 09:00:00", STR_REASON_NO_PLUGIN));
  FormatBalloon(title, sizeof title, text, sizeof text, HISTORY_RECORDING_STOPPED, &entry, REASON_PLUGIN_LOST, nullptr);
  EXPECT_STREQ(title, STR_BALLOON_RECORDING_CUT);  // a title of the rule's own
  // A detail is the history's own, a long folder in it cut to what a balloon holds.
  std::string detail = "D:\\" + std::string(400, 'a');
  FormatBalloon(title, sizeof title, text, sizeof text, HISTORY_DISK_SHORT, &entry, REASON_NONE, detail.c_str());
  EXPECT_STREQ(title, STR_HISTORY_DISK_SHORT);
  EXPECT_EQ(Characters(text), static_cast<size_t>(BALLOON_TEXT_CHARACTERS));
  const std::string head = Printf(STR_BALLOON_ABOUT_WINDOW, "07:00:00 - 09:00:00", "D:\\");
  EXPECT_EQ(std::string(text).compare(0, head.size(), head), 0);

  FormatCountedBalloon(title, sizeof title, text, sizeof text, HISTORY_MISSED, REASON_PROGRAM_NOT_RUNNING, 3);
  EXPECT_STREQ(title, STR_HISTORY_MISSED);
  EXPECT_EQ(std::string(text), Printf(STR_BALLOON_MISSED_COUNT, 3, STR_REASON_PROGRAM_NOT_RUNNING));
}

TEST(Balloons, AReasonBalloonsOncePerWindowAndAgainInTheNextOne) {
  List list{WindowEntry(H(7, 0), H(8, 0))};
  ScheduleEntry& e = list[0];
  auto watch = [&](const LocalTimeFields& time) { WatchEntry(list.head(), &e, TickReading{time, 0, PLUGIN_NONE}); };
  watch(Date(2026, 12, 7, MON, 7, 0, 0));
  EXPECT_TRUE(NoteBallooned(&e, REASON_NO_PLUGIN));
  EXPECT_FALSE(NoteBallooned(&e, REASON_NO_PLUGIN));
  EXPECT_TRUE(NoteBallooned(&e, REASON_PLUGIN_LOST));
  // The window ends; the next day's opens with fresh notes.
  watch(Date(2026, 12, 7, MON, 8, 0, 0));
  watch(Date(2026, 12, 8, TUE, 7, 0, 0));
  EXPECT_TRUE(NoteBallooned(&e, REASON_NO_PLUGIN));
}

}  // namespace
