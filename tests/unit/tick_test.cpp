#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "scheduler/tick.h"

namespace {

enum { SUN, MON, TUE, WED, THU, FRI, SAT };
int32_t At(int h, int m, int s) { return HmsToSeconds(h, m, s); }

// One tick's decision at t on the given weekday, the plug-in in the given
// state, the millisecond counter at nowMs.
TickDecision DecideTick(ScheduleEntry* list, int32_t t, int day, PluginState plugin = PLUGIN_IDLE,
                        uint32_t nowMs = 1000) {
  TickReading reading{};
  reading.time.hour = t / 3600;
  reading.time.minute = t / 60 % 60;
  reading.time.second = t % 60;
  reading.time.dayOfWeek = day;
  reading.tickMs = nowMs;
  reading.plugin = plugin;
  return ::DecideTick(list, reading);
}

// A list of entries linked in the given order.
struct List {
  std::vector<ScheduleEntry> entries;
  explicit List(size_t n) : entries(n) {
    for (size_t i = 0; i + 1 < n; ++i) entries[i].next = &entries[i + 1];
  }
  ScheduleEntry* head() { return &entries[0]; }
  ScheduleEntry& operator[](size_t i) { return entries[i]; }
};

void Window(ScheduleEntry& e, int32_t start, int32_t end, int32_t dayMask) {
  e.startSeconds = start;
  e.endSeconds = end;
  e.dayMask = dayMask;
  std::strcpy(e.outputPattern, "D:\\x.mp3");
}

TEST(InWindow, HalfOpenDaytimeWindow) {
  ScheduleEntry e = {};
  Window(e, At(8, 0, 0), At(9, 0, 0), -1);
  EXPECT_FALSE(InWindow(&e, At(7, 59, 59)));
  EXPECT_TRUE(InWindow(&e, At(8, 0, 0)));
  EXPECT_TRUE(InWindow(&e, At(8, 59, 59)));
  EXPECT_FALSE(InWindow(&e, At(9, 0, 0)));
}

TEST(InWindow, OverMidnightAndEqualEnds) {
  ScheduleEntry e = {};
  Window(e, At(23, 0, 0), At(1, 0, 0), -1);
  EXPECT_TRUE(InWindow(&e, At(23, 0, 0)));
  EXPECT_TRUE(InWindow(&e, At(0, 30, 0)));
  EXPECT_FALSE(InWindow(&e, At(1, 0, 0)));
  EXPECT_FALSE(InWindow(&e, At(22, 59, 59)));
  // Start equal to end: the over-midnight rule holds every second of the day.
  Window(e, At(5, 0, 0), At(5, 0, 0), -1);
  EXPECT_TRUE(InWindow(&e, At(5, 0, 0)));
  EXPECT_TRUE(InWindow(&e, At(4, 59, 59)));
  EXPECT_TRUE(InWindow(&e, At(12, 0, 0)));
}

TEST(DecideTick, OverMidnightEntryStartsByTheDayOfTheTestAndStopsOnAnyDay) {
  List list(1);
  Window(list[0], At(23, 0, 0), At(1, 0, 0), 1 << MON);
  TickDecision d = DecideTick(list.head(), At(23, 0, 0), MON);
  EXPECT_EQ(d.action, TICK_START);
  EXPECT_EQ(d.entry, &list[0]);
  // Monday 00:30 lies in the window that began Sunday night: Monday's bit decides.
  EXPECT_EQ(DecideTick(list.head(), At(0, 30, 0), MON).action, TICK_START);
  EXPECT_EQ(DecideTick(list.head(), At(0, 30, 0), TUE).action, TICK_NOTHING);
  EXPECT_EQ(DecideTick(list.head(), At(23, 0, 0), SUN).action, TICK_NOTHING);

  list[0].recording = 1;
  EXPECT_EQ(DecideTick(list.head(), At(0, 59, 59), TUE, PLUGIN_RECORDING).action, TICK_NOTHING);
  d = DecideTick(list.head(), At(1, 0, 0), TUE, PLUGIN_RECORDING);  // the weekday plays no part in ending
  EXPECT_EQ(d.action, TICK_STOP);
  EXPECT_EQ(d.entry, &list[0]);
}

TEST(DecideTick, OverlappingEntriesRecordOneAfterTheOther) {
  List list(2);
  Window(list[0], At(10, 0, 0), At(11, 0, 0), -1);
  Window(list[1], At(10, 30, 0), At(12, 0, 0), -1);
  TickDecision d = DecideTick(list.head(), At(10, 30, 0), WED);
  EXPECT_EQ(d.entry, &list[0]);
  list[0].recording = 1;
  // While the first records, the second waits even though its window is open.
  EXPECT_EQ(DecideTick(list.head(), At(10, 45, 0), WED, PLUGIN_RECORDING).action, TICK_NOTHING);
  d = DecideTick(list.head(), At(11, 0, 0), WED, PLUGIN_RECORDING);
  EXPECT_EQ(d.action, TICK_STOP);
  EXPECT_EQ(d.entry, &list[0]);
  list[0].recording = 0;
  // One tick later the second starts.
  d = DecideTick(list.head(), At(11, 0, 1), WED);
  EXPECT_EQ(d.action, TICK_START);
  EXPECT_EQ(d.entry, &list[1]);
}

TEST(DecideTick, DayMaskAllAndNone) {
  List list(1);
  Window(list[0], At(6, 0, 0), At(7, 0, 0), -1);
  for (int day = SUN; day <= SAT; ++day) EXPECT_EQ(DecideTick(list.head(), At(6, 0, 0), day).action, TICK_START);
  list[0].dayMask = 0;
  for (int day = SUN; day <= SAT; ++day) EXPECT_EQ(DecideTick(list.head(), At(6, 0, 0), day).action, TICK_NOTHING);
  list[0].dayMask = 1 << SAT;
  EXPECT_EQ(DecideTick(list.head(), At(6, 0, 0), SAT).action, TICK_START);
  EXPECT_EQ(DecideTick(list.head(), At(6, 0, 0), FRI).action, TICK_NOTHING);
}

TEST(DecideTick, FirstMatchingEntryInListOrderWins) {
  List list(3);
  Window(list[0], At(6, 0, 0), At(7, 0, 0), 1 << MON);  // wrong day
  Window(list[1], At(5, 0, 0), At(8, 0, 0), -1);
  Window(list[2], At(6, 0, 0), At(7, 0, 0), -1);
  EXPECT_EQ(DecideTick(list.head(), At(6, 0, 0), TUE).entry, &list[1]);
  EXPECT_EQ(DecideTick(nullptr, At(6, 0, 0), TUE).action, TICK_NOTHING);
}

TEST(DecideTick, MarkedEntryOutsideItsWindowStopsBeforeAnythingStarts) {
  // E.g. the window ended while the plug-in was gone: the first tick stops it.
  List list(2);
  Window(list[0], At(6, 0, 0), At(7, 0, 0), -1);
  Window(list[1], At(6, 0, 0), At(9, 0, 0), -1);
  list[1].recording = 1;
  EXPECT_EQ(DecideTick(list.head(), At(8, 0, 0), MON, PLUGIN_RECORDING).action, TICK_NOTHING);
  TickDecision d = DecideTick(list.head(), At(9, 30, 0), MON, PLUGIN_RECORDING);
  EXPECT_EQ(d.action, TICK_STOP);
  EXPECT_EQ(d.entry, &list[1]);
}

// ---- A start counts once the plug-in reports it ----

TEST(DecideTick, StartIsConfirmedByThePluginOrGivenUpAndRetriedAfterAPause) {
  List list(1);
  Window(list[0], At(10, 0, 0), At(11, 0, 0), -1);
  ScheduleEntry* e = &list[0];
  ASSERT_EQ(DecideTick(list.head(), At(10, 0, 0), MON, PLUGIN_IDLE, 1000).action, TICK_START);
  NoteStarting(e, 1000);
  EXPECT_EQ(e->recording, 0) << "no mark before the plug-in reports the recording";
  // Waiting: nothing else starts and nothing is sent twice.
  EXPECT_EQ(DecideTick(list.head(), At(10, 0, 1), MON, PLUGIN_IDLE, 2000).action, TICK_NOTHING);
  EXPECT_EQ(DecideTick(list.head(), At(10, 0, 1), MON, PLUGIN_RECORDING, 2000).action, TICK_CONFIRM);
  // No report within the limit: the attempt failed.
  TickDecision d = DecideTick(list.head(), At(10, 0, 5), MON, PLUGIN_IDLE, 1000 + START_CONFIRM_LIMIT_MS);
  EXPECT_EQ(d.action, TICK_START_FAILED);
  EXPECT_EQ(d.entry, e);
  NoteStartFailed(e, 6000);
  EXPECT_EQ(DecideTick(list.head(), At(10, 0, 6), MON, PLUGIN_IDLE, 6000 + START_RETRY_GAP_MS - 1).action,
            TICK_NOTHING);
  EXPECT_EQ(DecideTick(list.head(), At(10, 0, 11), MON, PLUGIN_IDLE, 6000 + START_RETRY_GAP_MS).action,
            TICK_START);
  // The counter wrapping between the failure and the retry changes nothing.
  NoteStartFailed(e, 0xFFFFF000u);
  EXPECT_EQ(DecideTick(list.head(), At(10, 0, 12), MON, PLUGIN_IDLE, 0xFFFFF800u).action, TICK_NOTHING);
  EXPECT_EQ(DecideTick(list.head(), At(10, 0, 20), MON, PLUGIN_IDLE, 0x00000800u).action, TICK_START);
}

TEST(DecideTick, OnlyARecordingThePluginReportsIsAdoptedAndNoGuessIsMade) {
  List list(1);
  Window(list[0], At(10, 0, 0), At(11, 0, 0), -1);
  EXPECT_EQ(DecideTick(list.head(), At(10, 0, 0), MON, PLUGIN_RECORDING).action, TICK_ADOPT);
  // A plug-in that did not answer, or none at all: nothing is decided.
  EXPECT_EQ(DecideTick(list.head(), At(10, 0, 0), MON, PLUGIN_NO_ANSWER).action, TICK_NOTHING);
  EXPECT_EQ(DecideTick(list.head(), At(10, 0, 0), MON, PLUGIN_NONE).action, TICK_NOTHING);
  NoteRecording(&list[0]);
  EXPECT_EQ(DecideTick(list.head(), At(11, 0, 0), MON, PLUGIN_NO_ANSWER).action, TICK_NOTHING);
  EXPECT_EQ(DecideTick(list.head(), At(11, 0, 0), MON, PLUGIN_RECORDING).action, TICK_STOP);
}

TEST(DecideTick, RecordingThatStopsInsideItsWindowIsLetGoAndStartedAgain) {
  List list(1);
  Window(list[0], At(10, 0, 0), At(11, 0, 0), -1);
  NoteRecording(&list[0]);
  EXPECT_EQ(DecideTick(list.head(), At(10, 30, 0), MON, PLUGIN_RECORDING).action, TICK_NOTHING);
  TickDecision d = DecideTick(list.head(), At(10, 30, 1), MON, PLUGIN_IDLE, 5000);
  EXPECT_EQ(d.action, TICK_RECORDING_LOST);
  NoteStartFailed(&list[0], 5000);
  EXPECT_EQ(list[0].recording, 0);
  EXPECT_EQ(DecideTick(list.head(), At(10, 30, 7), MON, PLUGIN_IDLE, 5000 + START_RETRY_GAP_MS).action, TICK_START);
}

TEST(DecideTick, PlayerLostAndUserStopLeaveNoMarkAndOnlyTheUserStopHoldsTheWindow) {
  List list(2);
  Window(list[0], At(10, 0, 0), At(11, 0, 0), -1);
  Window(list[1], At(10, 0, 0), At(12, 0, 0), -1);
  NoteStarting(&list[0], 1000);
  EXPECT_EQ(ActiveEntry(list.head()), &list[0]);
  EXPECT_EQ(ForgetRecordings(list.head()), &list[0]);
  EXPECT_EQ(ActiveEntry(list.head()), nullptr);
  EXPECT_EQ(ForgetRecordings(list.head()), nullptr);
  // Back inside the window: the entry starts again at once.
  EXPECT_EQ(DecideTick(list.head(), At(10, 20, 0), MON).entry, &list[0]);

  NoteRecording(&list[0]);
  EXPECT_EQ(HoldActiveEntry(list.head()), &list[0]);
  EXPECT_EQ(list[0].recording, 0);
  // Held: the next entry whose window is open goes next, the held one not again.
  TickDecision d = DecideTick(list.head(), At(10, 30, 0), MON);
  EXPECT_EQ(d.entry, &list[1]);
  // Its window over, the hold is gone: the next day it records again.
  EXPECT_EQ(DecideTick(list.head(), At(11, 30, 0), MON).entry, &list[1]);
  EXPECT_EQ(list[0].run.held, 0);
  EXPECT_EQ(DecideTick(list.head(), At(10, 0, 0), TUE).entry, &list[0]);
}

}  // namespace

namespace {

LocalTimeFields Now(int day, int h, int m, int s) {
  LocalTimeFields now{};
  now.dayOfWeek = day;
  now.hour = h;
  now.minute = m;
  now.second = s;
  return now;
}

const int32_t kDay = 86400;

// A week's table of next starts: weekdays, over midnight, masks -1 and 0,
// a window open now, opening this very second or a second ago.
TEST(NextStart, SecondsUntilEachKindOfWindowOpens) {
  struct Case {
    int32_t start, end, mask;
    LocalTimeFields now;
    int32_t expected;
  } cases[] = {
      {At(8, 0, 0), At(9, 0, 0), -1, Now(MON, 7, 0, 0), 3600},
      {At(8, 0, 0), At(9, 0, 0), -1, Now(MON, 8, 0, 0), 0},                  // this very second
      {At(8, 0, 0), At(9, 0, 0), -1, Now(MON, 8, 0, 1), 0},                  // a second ago: open now
      {At(8, 0, 0), At(9, 0, 0), -1, Now(MON, 9, 0, 0), kDay - 3600},        // just ended: tomorrow
      {At(8, 0, 0), At(9, 0, 0), 1 << MON, Now(MON, 9, 0, 0), 7 * kDay - 3600},
      {At(8, 0, 0), At(9, 0, 0), 1 << WED, Now(SAT, 23, 0, 0), 3 * kDay + 9 * 3600},  // over the week's end
      {At(8, 0, 0), At(9, 0, 0), 0, Now(MON, 7, 0, 0), NO_WINDOW_AHEAD},
      // Over midnight, Monday only: opens Monday 23:00, and is due Monday 00:00-01:00 too.
      {At(23, 0, 0), At(1, 0, 0), 1 << MON, Now(SUN, 22, 0, 0), 2 * 3600},
      {At(23, 0, 0), At(1, 0, 0), 1 << MON, Now(MON, 0, 30, 0), 0},
      {At(23, 0, 0), At(1, 0, 0), 1 << MON, Now(MON, 1, 0, 0), 22 * 3600},
      // Tuesday only: Monday 23:00 is not due, Tuesday midnight is.
      {At(23, 0, 0), At(1, 0, 0), 1 << TUE, Now(MON, 23, 30, 0), 1800},
      // Every day over midnight: one long run, no opening at midnight.
      {At(23, 0, 0), At(1, 0, 0), -1, Now(MON, 12, 0, 0), 11 * 3600},
      // Start equal to end: the whole day of each set bit.
      {At(5, 0, 0), At(5, 0, 0), 1 << FRI, Now(THU, 20, 0, 0), 4 * 3600},
  };
  for (const Case& c : cases) {
    ScheduleEntry e = {};
    Window(e, c.start, c.end, c.mask);
    EXPECT_EQ(SecondsUntilWindowOpens(&e, c.now), c.expected)
        << c.start << "-" << c.end << " mask " << c.mask << " day " << c.now.dayOfWeek << " "
        << SecondsOfDay(c.now);
  }
}

TEST(NextStart, FirstToOpenSkipsHeldEntriesAndTiesGoToListOrder) {
  List list(3);
  Window(list[0], At(10, 0, 0), At(11, 0, 0), 0);
  Window(list[1], At(9, 0, 0), At(10, 0, 0), -1);
  Window(list[2], At(9, 0, 0), At(9, 30, 0), -1);
  int32_t seconds = 0;
  EXPECT_EQ(NextEntryToOpen(list.head(), Now(MON, 8, 0, 0), &seconds), &list[1]);
  EXPECT_EQ(seconds, 3600);
  list[1].run.held = 1;
  EXPECT_EQ(NextEntryToOpen(list.head(), Now(MON, 8, 0, 0), &seconds), &list[2]);
  list[2].dayMask = 0;
  EXPECT_EQ(NextEntryToOpen(list.head(), Now(MON, 8, 0, 0), &seconds), nullptr);
  EXPECT_EQ(seconds, NO_WINDOW_AHEAD);
  EXPECT_EQ(NextEntryToOpen(nullptr, Now(MON, 8, 0, 0), &seconds), nullptr);
}

}  // namespace

// ---- Handing a request over ahead of its second ----

namespace {

LocalTimeFields Date(int year, int month, int day, int dayOfWeek, int h, int m, int s) {
  return LocalTimeFields{year, month, day, dayOfWeek, h, m, s};
}

bool Same(const LocalTimeFields& a, const LocalTimeFields& b) {
  return a.year == b.year && a.month == b.month && a.day == b.day && a.dayOfWeek == b.dayOfWeek &&
         a.hour == b.hour && a.minute == b.minute && a.second == b.second;
}

std::string Text(const LocalTimeFields& t) {
  char text[64];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d (%d) %02d:%02d:%02d", t.year, t.month, t.day, t.dayOfWeek, t.hour,
                t.minute, t.second);
  return text;
}

TickReading Reading(const LocalTimeFields& time, PluginState plugin = PLUGIN_IDLE, uint32_t nowMs = 100000) {
  TickReading reading{};
  reading.time = time;
  reading.tickMs = nowMs;
  reading.plugin = plugin;
  return reading;
}

// Wednesday 2026-03-04.
LocalTimeFields Wed(int h, int m, int s) { return Date(2026, 3, 4, WED, h, m, s); }

TEST(SecondsLater, CarriesIntoMinutesHoursDaysMonthsAndYears) {
  struct Case {
    LocalTimeFields from;
    int32_t seconds;
    LocalTimeFields expected;
  } cases[] = {
      {Date(2026, 3, 4, WED, 10, 0, 0), 0, Date(2026, 3, 4, WED, 10, 0, 0)},
      {Date(2026, 3, 4, WED, 10, 0, 58), 2, Date(2026, 3, 4, WED, 10, 1, 0)},
      {Date(2026, 3, 4, WED, 10, 59, 59), 1, Date(2026, 3, 4, WED, 11, 0, 0)},
      {Date(2026, 3, 4, WED, 23, 59, 59), 2, Date(2026, 3, 5, THU, 0, 0, 1)},
      {Date(2026, 3, 7, SAT, 23, 59, 59), 1, Date(2026, 3, 8, SUN, 0, 0, 0)},   // the week turns over
      {Date(2026, 4, 30, THU, 23, 59, 59), 1, Date(2026, 5, 1, FRI, 0, 0, 0)},  // 30-day month
      {Date(2026, 12, 31, THU, 23, 59, 58), 2, Date(2027, 1, 1, FRI, 0, 0, 0)},
      {Date(2027, 2, 28, SUN, 23, 59, 59), 1, Date(2027, 3, 1, MON, 0, 0, 0)},
      {Date(2028, 2, 28, MON, 23, 59, 59), 1, Date(2028, 2, 29, TUE, 0, 0, 0)},  // leap year
      {Date(2100, 2, 28, SUN, 23, 59, 59), 1, Date(2100, 3, 1, MON, 0, 0, 0)},   // no leap year
      {Date(2000, 2, 28, MON, 23, 59, 59), 1, Date(2000, 2, 29, TUE, 0, 0, 0)},  // leap after all
      {Date(2026, 3, 4, WED, 12, 0, 0), 2 * 86400 + 5, Date(2026, 3, 6, FRI, 12, 0, 5)},
  };
  for (const Case& c : cases) {
    LocalTimeFields got = SecondsLater(c.from, c.seconds);
    EXPECT_TRUE(Same(got, c.expected)) << Text(c.from) << " + " << c.seconds << " gave " << Text(got);
  }
}

TEST(DecidePreArm, OnlyAWindowOpeningWithinTheLeadWithAnIdlePluginAndNothingElseToDo) {
  List list(2);
  Window(list[0], At(10, 0, 2), At(11, 0, 0), -1);
  Window(list[1], At(12, 0, 0), At(13, 0, 0), -1);
  // Three seconds ahead is too early, two and one are in time.
  EXPECT_EQ(DecidePreArm(list.head(), Reading(Wed(9, 59, 59)), 2).entry, nullptr);
  PreArmChoice c = DecidePreArm(list.head(), Reading(Wed(10, 0, 0)), 2);
  EXPECT_EQ(c.entry, &list[0]);
  EXPECT_EQ(c.secondsAhead, 2);
  EXPECT_TRUE(Same(c.at, Wed(10, 0, 2))) << Text(c.at);
  c = DecidePreArm(list.head(), Reading(Wed(10, 0, 1)), 2);
  EXPECT_EQ(c.entry, &list[0]);
  EXPECT_EQ(c.secondsAhead, 1);
  // On its second the tick starts it itself; nothing is handed over ahead.
  EXPECT_EQ(DecidePreArm(list.head(), Reading(Wed(10, 0, 2)), 2).entry, nullptr);

  // Never while the plug-in records or did not answer, nor while an entry
  // records or waits for its start to be confirmed.
  EXPECT_EQ(DecidePreArm(list.head(), Reading(Wed(10, 0, 0), PLUGIN_RECORDING), 2).entry, nullptr);
  EXPECT_EQ(DecidePreArm(list.head(), Reading(Wed(10, 0, 0), PLUGIN_NO_ANSWER), 2).entry, nullptr);
  EXPECT_EQ(DecidePreArm(list.head(), Reading(Wed(10, 0, 0), PLUGIN_NONE), 2).entry, nullptr);
  NoteStarting(&list[1], 1000);
  EXPECT_EQ(DecidePreArm(list.head(), Reading(Wed(10, 0, 0)), 2).entry, nullptr);
  NoteRecording(&list[1]);
  EXPECT_EQ(DecidePreArm(list.head(), Reading(Wed(10, 0, 0)), 2).entry, nullptr);
  NoteStopped(&list[1]);
  // A held entry is passed over for the next one opening in time.
  list[0].run.held = 1;
  Window(list[1], At(10, 0, 2), At(10, 30, 0), -1);
  EXPECT_EQ(DecidePreArm(list.head(), Reading(Wed(10, 0, 0)), 2).entry, &list[1]);
}

TEST(DecidePreArm, TheEntryTheTickWillStartAndNoOtherOverWeekdaysAndMidnight) {
  List list(3);
  Window(list[0], At(10, 0, 0), At(10, 30, 0), 1 << THU);  // not today
  Window(list[1], At(10, 0, 0), At(11, 0, 0), -1);
  Window(list[2], At(10, 0, 0), At(12, 0, 0), -1);
  // Two opening together: the first in list order whose day it is.
  EXPECT_EQ(DecidePreArm(list.head(), Reading(Wed(9, 59, 58)), 2).entry, &list[1]);

  // An entry whose window is open and waits to retry a failed start comes
  // first on the second its retry falls due: the other is not handed over.
  Window(list[0], At(9, 0, 0), At(10, 30, 0), -1);
  NoteStartFailed(&list[0], 100000);  // retry from 100000 + the gap
  uint32_t retryAt = 100000 + START_RETRY_GAP_MS;
  EXPECT_EQ(DecidePreArm(list.head(), Reading(Wed(9, 59, 58), PLUGIN_IDLE, retryAt - 2000), 2).entry, nullptr);
  // Its retry comes only after the other's second: the other goes ahead.
  EXPECT_EQ(DecidePreArm(list.head(), Reading(Wed(9, 59, 58), PLUGIN_IDLE, retryAt - 3000), 2).entry, &list[1]);
  // Due on the very next second is the retrying entry itself: it is no
  // opening window, so nothing is handed over ahead.
  list[1].dayMask = 0;
  list[2].dayMask = 0;
  EXPECT_EQ(DecidePreArm(list.head(), Reading(Wed(9, 59, 58), PLUGIN_IDLE, retryAt - 1000), 2).entry, nullptr);

  // Over midnight: a Thursday-only window at 00:00:01 is handed over on
  // Wednesday night, for Thursday's second.
  List night(2);
  Window(night[0], At(0, 0, 1), At(1, 0, 0), 1 << WED);
  Window(night[1], At(0, 0, 1), At(1, 0, 0), 1 << THU);
  PreArmChoice c = DecidePreArm(night.head(), Reading(Date(2026, 12, 30, WED, 23, 59, 59)), 2);
  EXPECT_EQ(c.entry, &night[1]);
  EXPECT_TRUE(Same(c.at, Date(2026, 12, 31, THU, 0, 0, 1))) << Text(c.at);
  EXPECT_EQ(DecidePreArm(nullptr, Reading(Wed(9, 59, 58)), 2).entry, nullptr);
}

TEST(DecidePreArm, AfterAStopTheWindowOpeningOnTheNextSecondOnceThePluginIsIdle) {
  List list(2);
  Window(list[0], At(10, 0, 0), At(10, 0, 2), -1);
  Window(list[1], At(10, 0, 3), At(10, 0, 5), -1);
  NoteRecording(&list[0]);
  TickReading stopTick = Reading(Wed(10, 0, 2), PLUGIN_RECORDING);
  ASSERT_EQ(::DecideTick(list.head(), stopTick).action, TICK_STOP);
  NoteStopped(&list[0]);
  // Still recording when the stop has just been posted: nothing yet.
  EXPECT_EQ(DecidePreArm(list.head(), stopTick, PRE_ARM_LEAD_SECONDS).entry, nullptr);
  // A moment later, in the same second, the plug-in is idle.
  PreArmChoice c = DecidePreArm(list.head(), Reading(Wed(10, 0, 2)), PRE_ARM_LEAD_SECONDS);
  EXPECT_EQ(c.entry, &list[1]);
  EXPECT_EQ(c.secondsAhead, 1);
  // Back to back (the next opens on the stop's own second): it is due now
  // and the next tick starts it, nothing goes ahead.
  list[1].startSeconds = At(10, 0, 2);
  EXPECT_EQ(DecidePreArm(list.head(), Reading(Wed(10, 0, 2)), PRE_ARM_LEAD_SECONDS).entry, nullptr);
}

// What a tick sequence from two seconds before a window to its second does
// with the request handed over, and what gives it up.
class PreArmFlow : public ::testing::Test {
 protected:
  void SetUp() override {
    Window(list_[0], At(10, 0, 0), At(11, 0, 0), -1);
    Window(list_[1], At(10, 0, 0), At(11, 0, 0), -1);
    list_[0].flags = FLAG_MP3_PARAMS;
    ClearPreArm(&armed_);
    BeginPreArm(&armed_, DecidePreArm(list_.head(), Reading(Wed(9, 59, 58)), PRE_ARM_LEAD_SECONDS));
    armed_.ready = 1;
  }
  PreArmFit Review(const LocalTimeFields& now, PluginState plugin = PLUGIN_IDLE) {
    TickReading reading = Reading(now, plugin);
    return ReviewPreArm(armed_, list_.head(), reading, DecidePreArm(list_.head(), reading, PRE_ARM_LEAD_SECONDS));
  }
  PreArmFit AtTheSecond(const LocalTimeFields& now, PluginState plugin = PLUGIN_IDLE) {
    TickReading reading = Reading(now, plugin);
    return FitPreArm(armed_, list_.head(), ::DecideTick(list_.head(), reading), reading);
  }
  List list_{2};
  PreArm armed_{};
};

TEST_F(PreArmFlow, KeptUntilItsSecondThenOnlyTheStartIsLeft) {
  ASSERT_EQ(armed_.entry, &list_[0]);
  EXPECT_TRUE(Same(armed_.at, Wed(10, 0, 0)));
  EXPECT_EQ(Review(Wed(9, 59, 59)), PRE_ARM_FITS);
  EXPECT_EQ(AtTheSecond(Wed(10, 0, 0)), PRE_ARM_FITS);
  // A tick that came late starts on another second: that name is another.
  EXPECT_EQ(AtTheSecond(Wed(10, 0, 1)), PRE_ARM_OTHER_SECOND);
  // A hand-over that failed is kept (not tried again) but never used.
  armed_.ready = 0;
  EXPECT_EQ(Review(Wed(9, 59, 59)), PRE_ARM_FITS);
  EXPECT_EQ(AtTheSecond(Wed(10, 0, 0)), PRE_ARM_NOT_READY);
  ClearPreArm(&armed_);
  EXPECT_EQ(Review(Wed(9, 59, 59)), PRE_ARM_NOTHING_ARMED);
  EXPECT_EQ(AtTheSecond(Wed(10, 0, 0)), PRE_ARM_NOTHING_ARMED);
}

TEST_F(PreArmFlow, ChangedOrDeletedEntryAndAPluginRecordingByHandGiveItUp) {
  // Every field that shapes the request or the name counts.
  void (*changes[])(ScheduleEntry*) = {
      [](ScheduleEntry* e) { std::strcpy(e->outputPattern, "D:\\y.mp3"); },
      [](ScheduleEntry* e) { e->flags = 0; },
      [](ScheduleEntry* e) { e->flags |= FLAG_MONO; },
      [](ScheduleEntry* e) { e->bitrateIndex = 2; },
      [](ScheduleEntry* e) { e->sampleRateIndex = 1; },
      [](ScheduleEntry* e) { e->endSeconds += 60; },
      [](ScheduleEntry* e) { e->dayMask = 1 << WED; },
  };
  for (size_t k = 0; k < sizeof changes / sizeof changes[0]; ++k) {
    ScheduleEntry before = list_[0];
    changes[k](&list_[0]);
    EXPECT_EQ(Review(Wed(9, 59, 59)), PRE_ARM_ENTRY_CHANGED) << "change " << k;
    EXPECT_EQ(AtTheSecond(Wed(10, 0, 0)), PRE_ARM_ENTRY_CHANGED) << "change " << k;
    list_[0] = before;
  }
  // Changed into a window that no longer opens now: changed all the same.
  list_[0].startSeconds = At(10, 0, 5);
  EXPECT_EQ(Review(Wed(9, 59, 59)), PRE_ARM_ENTRY_CHANGED);
  list_[0].startSeconds = At(10, 0, 0);
  EXPECT_EQ(Review(Wed(9, 59, 59)), PRE_ARM_FITS);

  // The plug-in started recording by hand: the tick adopts, nothing is started.
  EXPECT_EQ(Review(Wed(9, 59, 59), PLUGIN_RECORDING), PRE_ARM_PLUGIN_RECORDS);
  EXPECT_EQ(AtTheSecond(Wed(10, 0, 0), PLUGIN_RECORDING), PRE_ARM_PLUGIN_RECORDS);
  // A plug-in that did not answer: no entry will start on this reading.
  EXPECT_EQ(AtTheSecond(Wed(10, 0, 0), PLUGIN_NO_ANSWER), PRE_ARM_OTHER_ENTRY);

  // Deleted: the entry that follows it in the list starts instead.
  list_.entries[0].next = nullptr;
  ScheduleEntry* rest = &list_[1];
  TickReading before = Reading(Wed(9, 59, 59));
  EXPECT_EQ(ReviewPreArm(armed_, rest, before, DecidePreArm(rest, before, PRE_ARM_LEAD_SECONDS)), PRE_ARM_ENTRY_GONE);
  TickReading onTime = Reading(Wed(10, 0, 0));
  TickDecision d = ::DecideTick(rest, onTime);
  EXPECT_EQ(d.entry, &list_[1]);
  EXPECT_EQ(FitPreArm(armed_, rest, d, onTime), PRE_ARM_ENTRY_GONE);
}

TEST_F(PreArmFlow, AnotherEntryComingFirstGivesItUp) {
  // The first entry is held by the user after the hand-over: the second starts.
  list_[0].run.held = 1;
  EXPECT_EQ(Review(Wed(9, 59, 59)), PRE_ARM_OTHER_ENTRY);
  EXPECT_EQ(AtTheSecond(Wed(10, 0, 0)), PRE_ARM_OTHER_ENTRY);
  list_[0].run.held = 0;
  // An entry put before it in the list opens a second earlier.
  ScheduleEntry earlier = {};
  Window(earlier, At(9, 59, 59), At(10, 30, 0), -1);
  earlier.next = list_.head();
  TickReading reading = Reading(Wed(9, 59, 58));
  EXPECT_EQ(ReviewPreArm(armed_, &earlier, reading, DecidePreArm(&earlier, reading, PRE_ARM_LEAD_SECONDS)),
            PRE_ARM_OTHER_ENTRY);
}

TEST(SearchEverySecond, WhileAWindowIsNearOrOpenAndForAWhileAfterALaunch) {
  List list(2);
  Window(list[0], At(10, 0, 0), At(11, 0, 0), -1);
  Window(list[1], At(18, 0, 0), At(19, 0, 0), 0);  // never opens
  PlayerLaunch none{};
  EXPECT_FALSE(SearchEverySecond(list.head(), Reading(Wed(9, 59, 29)), none));
  EXPECT_TRUE(SearchEverySecond(list.head(), Reading(Wed(9, 59, 30)), none));
  EXPECT_TRUE(SearchEverySecond(list.head(), Reading(Wed(10, 30, 0)), none));  // open
  EXPECT_FALSE(SearchEverySecond(list.head(), Reading(Wed(11, 0, 0)), none));
  list[0].run.held = 1;  // stopped by hand: its window no longer counts
  EXPECT_FALSE(SearchEverySecond(list.head(), Reading(Wed(10, 30, 0)), none));
  EXPECT_FALSE(SearchEverySecond(nullptr, Reading(Wed(10, 30, 0)), none));

  PlayerLaunch launched{1, 0xFFFFF000u};  // the counter wraps meanwhile
  EXPECT_TRUE(SearchEverySecond(nullptr, Reading(Wed(12, 0, 0), PLUGIN_NONE, 0xFFFFF000u), launched));
  EXPECT_TRUE(
      SearchEverySecond(nullptr, Reading(Wed(12, 0, 0), PLUGIN_NONE, 0xFFFFF000u + QUICK_SEARCH_AFTER_LAUNCH_MS - 1),
                        launched));
  EXPECT_FALSE(SearchEverySecond(nullptr, Reading(Wed(12, 0, 0), PLUGIN_NONE, 0xFFFFF000u + QUICK_SEARCH_AFTER_LAUNCH_MS),
                                 launched));
}

}  // namespace
