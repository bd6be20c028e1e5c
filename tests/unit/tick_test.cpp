#include <gtest/gtest.h>

#include <cstring>
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
