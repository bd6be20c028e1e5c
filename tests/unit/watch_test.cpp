// What becomes of each window: the local clock as one number, the window
// notes kept from one reading to the next, the windows nobody saw and the
// player started for a window that is due.
#include <gtest/gtest.h>

#include "unit/clock_reading.h"
#include "unit/entry_list.h"

#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

#include "history/watch.h"

namespace {

enum { SUN, MON, TUE, WED, THU, FRI, SAT };

// 2026-12-08 is a Tuesday.
LocalTimeFields At(int day, int hour, int minute, int second, int month = 12, int year = 2026) {
  LocalTimeFields t = Date(year, month, day, 0, hour, minute, second);
  // The weekday the clock would give, so readings agree with the dates.
  t.dayOfWeek = LocalTimeAt(LocalSecondsOf(t)).dayOfWeek;
  return t;
}

int32_t Hms(int h, int m, int s) { return HmsToSeconds(h, m, s); }

void Window(ScheduleEntry& e, int32_t start, int32_t end, int32_t dayMask = -1) {
  e.startSeconds = start;
  e.endSeconds = end;
  e.dayMask = dayMask;
}

TickReading Reading(const LocalTimeFields& time, PluginState plugin, uint32_t tickMs = 0) {
  TickReading reading{};
  reading.time = time;
  reading.plugin = plugin;
  reading.tickMs = tickMs;
  return reading;
}

// ---- The clock as one number ----

TEST(LocalClock, AgreesWithTheCalendarOverCenturiesAndBothWays) {
  // Against the C library's own calendar (universal time, so no zone plays in).
  for (long long seconds = -86400LL * 800; seconds < 86400LL * 365 * 131; seconds += 86400LL * 3 + 3607) {
    std::time_t t = static_cast<std::time_t>(seconds);
    std::tm reference{};
    ASSERT_NE(gmtime_r(&t, &reference), nullptr);
    LocalTimeFields fields = LocalTimeAt(seconds);
    ASSERT_EQ(fields.year, reference.tm_year + 1900) << seconds;
    ASSERT_EQ(fields.month, reference.tm_mon + 1) << seconds;
    ASSERT_EQ(fields.day, reference.tm_mday) << seconds;
    ASSERT_EQ(fields.dayOfWeek, reference.tm_wday) << seconds;
    ASSERT_EQ(fields.hour * 3600 + fields.minute * 60 + fields.second,
              reference.tm_hour * 3600 + reference.tm_min * 60 + reference.tm_sec)
        << seconds;
    ASSERT_EQ(LocalSecondsOf(fields), seconds);
  }
  EXPECT_EQ(LocalSecondsOf(At(1, 0, 0, 0, 1, 1970)), 0);
  EXPECT_EQ(At(8, 12, 0, 0).dayOfWeek, TUE);
  EXPECT_EQ(LocalSecondsOf(At(1, 0, 0, 0, 3, 2024)) - LocalSecondsOf(At(28, 0, 0, 0, 2, 2024)), 2 * 86400);
  // The millisecond plays no part.
  LocalTimeFields withMs = At(8, 12, 0, 0);
  withMs.millisecond = 999;
  EXPECT_EQ(LocalSecondsOf(withMs), LocalSecondsOf(At(8, 12, 0, 0)));
}

TEST(LocalClock, SecondsSinceTheWindowOpened) {
  ScheduleEntry day{};
  Window(day, Hms(10, 0, 0), Hms(11, 0, 0));
  EXPECT_EQ(SecondsSinceWindowOpened(&day, At(8, 10, 30, 5)), 1805);
  EXPECT_EQ(SecondsSinceWindowOpened(&day, At(8, 11, 0, 0)), -1);
  // Over midnight, every day: it opened the evening before.
  ScheduleEntry night{};
  Window(night, Hms(23, 0, 0), Hms(1, 0, 0));
  EXPECT_EQ(SecondsSinceWindowOpened(&night, At(9, 0, 30, 0)), 5400);
  // Tuesday's bit alone: Tuesday's run begins at its midnight, and Tuesday
  // night's does not run on into Wednesday.
  Window(night, Hms(23, 0, 0), Hms(1, 0, 0), 1 << TUE);
  EXPECT_EQ(SecondsSinceWindowOpened(&night, At(8, 0, 30, 0)), 1800);
  EXPECT_EQ(SecondsSinceWindowOpened(&night, At(9, 0, 30, 0)), -1);
  // Due every second of the week: it never opened.
  ScheduleEntry always{};
  Window(always, Hms(5, 0, 0), Hms(5, 0, 0));
  EXPECT_EQ(SecondsSinceWindowOpened(&always, At(8, 17, 0, 0)), 0);
}

// ---- One entry from one reading to the next ----

struct News {
  HistoryEvent kind;
  HistoryReason reason;
};
bool operator==(const News& a, const News& b) { return a.kind == b.kind && a.reason == b.reason; }
std::ostream& operator<<(std::ostream& out, const News& n) { return out << n.kind << "/" << n.reason; }

News Watch(List& list, size_t index, const LocalTimeFields& time, PluginState plugin, uint32_t tickMs = 0) {
  WindowNews news = WatchEntry(list.head(), &list[index], Reading(time, plugin, tickMs));
  return News{news.kind, news.reason};
}

const News kNothing{HISTORY_NONE, REASON_NONE};

TEST(WatchEntry, ReasonToldOnceAWindowAndTheLastOneMakesTheMiss) {
  List list(1);
  Window(list[0], Hms(10, 0, 0), Hms(10, 0, 6));
  EXPECT_EQ(Watch(list, 0, At(8, 9, 59, 59), PLUGIN_NONE), kNothing);
  EXPECT_EQ(Watch(list, 0, At(8, 10, 0, 0), PLUGIN_NONE), (News{HISTORY_NOT_STARTED, REASON_NO_PLUGIN}));
  EXPECT_EQ(Watch(list, 0, At(8, 10, 0, 1), PLUGIN_NONE), kNothing);
  EXPECT_EQ(Watch(list, 0, At(8, 10, 0, 2), PLUGIN_NO_ANSWER), (News{HISTORY_NOT_STARTED, REASON_PLUGIN_NO_ANSWER}));
  EXPECT_EQ(Watch(list, 0, At(8, 10, 0, 3), PLUGIN_NONE), kNothing);
  EXPECT_EQ(Watch(list, 0, At(8, 10, 0, 4), PLUGIN_NO_ANSWER), kNothing);
  // The shell tells a failed start the same way: once.
  EXPECT_TRUE(NoteReason(&list[0], REASON_NO_FOLDER));
  EXPECT_FALSE(NoteReason(&list[0], REASON_NO_FOLDER));
  EXPECT_FALSE(NoteReason(&list[0], REASON_NONE));
  EXPECT_EQ(Watch(list, 0, At(8, 10, 0, 5), PLUGIN_IDLE), kNothing);
  EXPECT_EQ(Watch(list, 0, At(8, 10, 0, 6), PLUGIN_NONE), (News{HISTORY_MISSED, REASON_NO_FOLDER}));
  EXPECT_EQ(Watch(list, 0, At(8, 10, 0, 7), PLUGIN_NONE), kNothing);
  // The next day's window starts with no reason told.
  EXPECT_EQ(Watch(list, 0, At(9, 10, 0, 0), PLUGIN_NONE), (News{HISTORY_NOT_STARTED, REASON_NO_PLUGIN}));
}

TEST(WatchEntry, RecordedWindowIsNeverMissedAndTellsNothingMore) {
  List list(1);
  Window(list[0], Hms(10, 0, 0), Hms(10, 0, 5));
  EXPECT_EQ(Watch(list, 0, At(8, 10, 0, 0), PLUGIN_IDLE), kNothing);
  NoteWindowRecorded(&list[0]);
  // The plug-in went away halfway: the stop said so already.
  EXPECT_EQ(Watch(list, 0, At(8, 10, 0, 2), PLUGIN_NONE), kNothing);
  EXPECT_EQ(Watch(list, 0, At(8, 10, 0, 5), PLUGIN_NONE), kNothing);
  // The mark is gone with the window: tomorrow's is missed if nothing records.
  EXPECT_EQ(Watch(list, 0, At(9, 10, 0, 0), PLUGIN_IDLE), kNothing);
  EXPECT_EQ(Watch(list, 0, At(9, 10, 0, 5), PLUGIN_IDLE), (News{HISTORY_MISSED, REASON_NOT_CHECKED}));
}

TEST(WatchEntry, StartRunningPastTheEndKeepsTheWindowOpenAndIsMissedUnconfirmed) {
  List list(1);
  Window(list[0], Hms(10, 0, 0), Hms(10, 0, 2));
  EXPECT_EQ(Watch(list, 0, At(8, 10, 0, 0), PLUGIN_IDLE), kNothing);
  list[0].run.starting = 1;
  EXPECT_EQ(Watch(list, 0, At(8, 10, 0, 1), PLUGIN_IDLE), kNothing);
  // Past its end while it still starts: the tick stops it now.
  EXPECT_EQ(Watch(list, 0, At(8, 10, 0, 2), PLUGIN_IDLE), kNothing);
  list[0].run.starting = 0;
  EXPECT_EQ(Watch(list, 0, At(8, 10, 0, 3), PLUGIN_IDLE), (News{HISTORY_MISSED, REASON_NOT_CONFIRMED}));
  // A recording that ran on past the end is not missed.
  EXPECT_EQ(Watch(list, 0, At(9, 10, 0, 0), PLUGIN_IDLE), kNothing);
  list[0].recording = 1;
  NoteWindowRecorded(&list[0]);
  EXPECT_EQ(Watch(list, 0, At(9, 10, 0, 4), PLUGIN_RECORDING), kNothing);
  list[0].recording = 0;
  EXPECT_EQ(Watch(list, 0, At(9, 10, 0, 5), PLUGIN_IDLE), kNothing);
  EXPECT_EQ(list[0].run.windowOpen, 0);
}

TEST(WatchEntry, AnotherEntrysRecordingAndTheUsersHoldAreReasonsToo) {
  List list(2);
  Window(list[0], Hms(10, 0, 0), Hms(11, 0, 0));
  Window(list[1], Hms(10, 10, 0), Hms(10, 20, 0));
  list[0].recording = 1;
  EXPECT_EQ(Watch(list, 0, At(8, 10, 10, 0), PLUGIN_RECORDING), kNothing);
  EXPECT_EQ(Watch(list, 1, At(8, 10, 10, 0), PLUGIN_RECORDING), (News{HISTORY_NOT_STARTED, REASON_OTHER_RECORDING}));
  EXPECT_EQ(Watch(list, 1, At(8, 10, 20, 0), PLUGIN_RECORDING), (News{HISTORY_MISSED, REASON_OTHER_RECORDING}));

  // Held by the user before it recorded: nothing is told while it is held,
  // and the user's stop is the reason at its end.
  Window(list[1], Hms(12, 0, 0), Hms(12, 0, 3));
  list[0].recording = 0;
  EXPECT_EQ(Watch(list, 1, At(8, 12, 0, 0), PLUGIN_IDLE), kNothing);
  list[1].run.held = 1;
  NoteReason(&list[1], REASON_STOPPED_BY_USER);
  EXPECT_EQ(Watch(list, 1, At(8, 12, 0, 1), PLUGIN_NONE), kNothing);
  EXPECT_EQ(Watch(list, 1, At(8, 12, 0, 3), PLUGIN_NONE), (News{HISTORY_MISSED, REASON_STOPPED_BY_USER}));
}

// Ahead of its opening (the request handed over two seconds before): what is
// noted belongs to the window about to open, told once in it.
TEST(WatchEntry, NotesTakenAheadGoToTheWindowAboutToOpenAndDiskNewsIsToldOnceAWindow) {
  List list(1);
  Window(list[0], Hms(10, 0, 2), Hms(10, 5, 0));
  // Yesterday's window recorded, and its reasons told: nothing of it carries over.
  EXPECT_EQ(Watch(list, 0, At(7, 10, 0, 2), PLUGIN_IDLE), kNothing);
  NoteWindowRecorded(&list[0]);
  NoteReason(&list[0], REASON_QUALITY_NOT_OPENED);
  EXPECT_EQ(Watch(list, 0, At(7, 10, 5, 0), PLUGIN_IDLE), kNothing);

  EXPECT_EQ(Watch(list, 0, At(8, 10, 0, 0), PLUGIN_IDLE, 100000), kNothing);
  EXPECT_TRUE(WindowOpenOrOpening(&list[0], At(8, 10, 0, 0)));
  EXPECT_FALSE(WindowOpenOrOpening(&list[0], At(8, 9, 59, 59)));
  NoteAhead(&list[0], 100000);
  EXPECT_TRUE(NoteReason(&list[0], REASON_QUALITY_NOT_OPENED));
  NoteAhead(&list[0], 100000);  // the disk check of the same hand-over
  EXPECT_FALSE(DiskCheckedThisWindow(&list[0]));
  NoteDiskChecked(&list[0]);
  EXPECT_TRUE(NoteDiskVerdict(&list[0], DISK_SHORT));
  // It opens on its second: neither is told again, full is told once.
  EXPECT_EQ(Watch(list, 0, At(8, 10, 0, 2), PLUGIN_IDLE, 102010), kNothing);
  EXPECT_FALSE(NoteReason(&list[0], REASON_QUALITY_NOT_OPENED));
  EXPECT_TRUE(DiskCheckedThisWindow(&list[0]));
  EXPECT_FALSE(NoteDiskVerdict(&list[0], DISK_SHORT));
  EXPECT_FALSE(NoteDiskVerdict(&list[0], DISK_ENOUGH));
  EXPECT_TRUE(NoteDiskVerdict(&list[0], DISK_FULL));
  EXPECT_FALSE(NoteDiskVerdict(&list[0], DISK_FULL));
  EXPECT_EQ(Watch(list, 0, At(8, 10, 5, 0), PLUGIN_IDLE, 400000), (News{HISTORY_MISSED, REASON_QUALITY_NOT_OPENED}));
  EXPECT_FALSE(WindowOpenOrOpening(&list[0], At(8, 10, 5, 0)));

  // Noted for an opening that did not come then: the next window starts afresh.
  NoteAhead(&list[0], 500000);
  NoteReason(&list[0], REASON_QUALITY_NOT_OPENED);
  EXPECT_EQ(Watch(list, 0, At(9, 10, 0, 2), PLUGIN_IDLE, 500000 + NOTES_AHEAD_KEEP_MS), kNothing);
  EXPECT_TRUE(NoteReason(&list[0], REASON_QUALITY_NOT_OPENED));
  EXPECT_TRUE(NoteDiskVerdict(&list[0], DISK_SHORT));
}

// ---- Windows nobody saw ----

std::vector<std::string> Passed(List& list, const LocalTimeFields& after, const LocalTimeFields& until,
                                int capacity = 16, int* total = nullptr) {
  std::vector<PassedWindow> out(static_cast<size_t>(capacity) + 1);
  int count = WindowsPassedBetween(list.head(), LocalSecondsOf(after), LocalSecondsOf(until), out.data(), capacity);
  if (total) *total = count;
  std::vector<std::string> lines;
  for (int i = 0; i < count && i < capacity; ++i) {
    LocalTimeFields o = LocalTimeAt(out[i].opened), e = LocalTimeAt(out[i].ended);
    char text[80];
    std::snprintf(text, sizeof text, "%d: %02d %02d:%02d - %02d %02d:%02d", static_cast<int>(out[i].entry - list.head()),
                  o.day, o.hour, o.minute, e.day, e.hour, e.minute);
    lines.push_back(text);
  }
  return lines;
}

TEST(PassedWindows, OnlyWindowsThatOpenedAfterAndEndedBy) {
  List list(6);
  Window(list[0], Hms(21, 0, 0), Hms(22, 0, 0));              // Monday evening: passed
  Window(list[1], Hms(8, 30, 0), Hms(9, 30, 0));              // still open at 9:00: the tick takes it
  Window(list[2], Hms(19, 0, 0), Hms(20, 30, 0));             // open at 20:00: the program saw it open
  Window(list[3], Hms(23, 30, 0), Hms(0, 30, 0));             // over midnight: passed
  Window(list[4], Hms(6, 0, 0), Hms(7, 0, 0), 1 << MON);      // Tuesday morning has no bit
  Window(list[5], Hms(21, 0, 0), Hms(21, 0, 30), 1 << MON);   // same second as entry 0: after it
  EXPECT_EQ(Passed(list, At(7, 20, 0, 0), At(8, 9, 0, 0)),
            (std::vector<std::string>{"0: 07 21:00 - 07 22:00", "5: 07 21:00 - 07 21:00", "3: 07 23:30 - 08 00:30"}));
  // Opening exactly at the last reading was seen; ending exactly now has ended.
  EXPECT_EQ(Passed(list, At(7, 21, 0, 0), At(7, 22, 0, 0)), (std::vector<std::string>{}));
  EXPECT_EQ(Passed(list, At(7, 20, 59, 59), At(7, 22, 0, 0)),
            (std::vector<std::string>{"0: 07 21:00 - 07 22:00", "5: 07 21:00 - 07 21:00"}));
  EXPECT_EQ(Passed(list, At(7, 22, 0, 0), At(7, 21, 0, 0)), (std::vector<std::string>{}));
}

TEST(PassedWindows, WeekdayRunsOpenAndEndAtMidnight) {
  List list(1);
  // Wednesday's bit alone on an over-midnight window: Wednesday 00:00-02:00,
  // then Wednesday 22:00 until Thursday's midnight.
  Window(list[0], Hms(22, 0, 0), Hms(2, 0, 0), 1 << WED);
  EXPECT_EQ(Passed(list, At(8, 12, 0, 0), At(10, 12, 0, 0)),
            (std::vector<std::string>{"0: 09 00:00 - 09 02:00", "0: 09 22:00 - 10 00:00"}));
}

TEST(PassedWindows, LookBackAWeekAtMostAndKeepTheEarliest) {
  List list(1);
  Window(list[0], Hms(10, 0, 0), Hms(11, 0, 0));
  int total = 0;
  // From a month back: only the last seven days count (12-01 10:00 lies before 12-01 12:00).
  std::vector<std::string> lines = Passed(list, At(8, 12, 0, 0, 11), At(8, 12, 0, 0), 3, &total);
  EXPECT_EQ(total, 7);
  EXPECT_EQ(lines, (std::vector<std::string>{"0: 02 10:00 - 02 11:00", "0: 03 10:00 - 03 11:00",
                                             "0: 04 10:00 - 04 11:00"}));
  EXPECT_EQ(WindowsPassedBetween(list.head(), 0, LocalSecondsOf(At(8, 12, 0, 0)), nullptr, 0), 7);
}

// ---- The player started for a window that is due ----

TEST(PlayerForWindow, WantedFromThirtySecondsAheadOnceAWindow) {
  List list(3);
  Window(list[0], Hms(10, 0, 31), Hms(10, 5, 0));
  Window(list[1], Hms(10, 0, 30), Hms(10, 0, 40));
  Window(list[2], Hms(10, 0, 20), Hms(10, 0, 25));
  list[2].run.held = 1;
  EXPECT_EQ(EntryWantingPlayer(list.head(), At(8, 9, 59, 59)), nullptr);
  EXPECT_EQ(EntryWantingPlayer(list.head(), At(8, 10, 0, 0)), &list[1]);
  EXPECT_EQ(EntryWantingPlayer(list.head(), At(8, 10, 0, 1)), &list[0]);
  // One start serves every window that wants it now.
  NotePlayerStarted(list.head(), At(8, 10, 0, 1));
  EXPECT_EQ(list[0].run.playerStarted, 1);
  EXPECT_EQ(list[1].run.playerStarted, 1);
  EXPECT_EQ(list[2].run.playerStarted, 0);
  EXPECT_EQ(EntryWantingPlayer(list.head(), At(8, 10, 0, 35)), nullptr);
  // The start is forgotten when its window ends; the next window wants one again.
  Watch(list, 1, At(8, 10, 0, 35), PLUGIN_NONE);
  Watch(list, 1, At(8, 10, 0, 40), PLUGIN_NONE);
  EXPECT_EQ(list[1].run.playerStarted, 0);
  EXPECT_EQ(EntryWantingPlayer(list.head(), At(9, 10, 0, 0)), &list[1]);
  // An open window wants one too (the plug-in went away halfway).
  list[0].run.playerStarted = 0;
  EXPECT_EQ(EntryWantingPlayer(list.head(), At(8, 10, 3, 0)), &list[0]);
}

}  // namespace
