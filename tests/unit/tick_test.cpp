#include <gtest/gtest.h>

#include "unit/clock_reading.h"
#include "unit/entry_list.h"

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

std::string Text(const LocalTimeFields& t) {
  char text[64];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d (%d) %02d:%02d:%02d", t.year, t.month, t.day, t.dayOfWeek, t.hour,
                t.minute, t.second);
  return text;
}

TickReading Reading(const LocalTimeFields& time, PluginState plugin = PLUGIN_IDLE, uint32_t nowMs = 100000) {
  return TickReading{time, nowMs, plugin};
}

LocalTimeFields Wed(int h, int m, int s) { return Date(2026, 3, 4, WED, h, m, s); }

TEST(SecondsLater, CarriesIntoMinutesDaysWeekdaysMonthsAndYears) {
  struct Case {
    LocalTimeFields from;
    int32_t seconds;
    LocalTimeFields expected;
  } cases[] = {
      {Wed(10, 0, 58), 2, Wed(10, 1, 0)},
      {Date(2026, 3, 7, SAT, 23, 59, 59), 2, Date(2026, 3, 8, SUN, 0, 0, 1)},
      {Date(2026, 4, 30, THU, 23, 59, 59), 1, Date(2026, 5, 1, FRI, 0, 0, 0)},
      {Date(2026, 12, 31, THU, 23, 59, 58), 2, Date(2027, 1, 1, FRI, 0, 0, 0)},
      {Date(2027, 2, 28, SUN, 23, 59, 59), 1, Date(2027, 3, 1, MON, 0, 0, 0)},
      {Date(2028, 2, 28, MON, 23, 59, 59), 1, Date(2028, 2, 29, TUE, 0, 0, 0)},  // leap year
      {Date(2100, 2, 28, SUN, 23, 59, 59), 1, Date(2100, 3, 1, MON, 0, 0, 0)},   // none
      {Date(2000, 2, 28, MON, 23, 59, 59), 1, Date(2000, 2, 29, TUE, 0, 0, 0)},  // one after all
  };
  for (const Case& c : cases)
    EXPECT_EQ(Text(SecondsLater(c.from, c.seconds)), Text(c.expected)) << Text(c.from) << " + " << c.seconds;
}

TEST(DecidePreArm, AnOpeningWindowWithinTheLeadWhenThePluginIsIdleAndNothingElseIsToDo) {
  List list(3);
  Window(list[0], At(10, 0, 2), At(11, 0, 0), -1);
  Window(list[1], At(10, 0, 2), At(11, 0, 0), -1);
  Window(list[2], At(9, 0, 0), At(10, 0, 2), 0);  // not today, for now
  EXPECT_EQ(DecidePreArm(list.head(), Reading(Wed(9, 59, 59)), 2).entry, nullptr);  // too early
  // Two opening together: the first in list order.
  PreArmChoice c = DecidePreArm(list.head(), Reading(Wed(10, 0, 0)), 2);
  EXPECT_EQ(c.entry, &list[0]);
  EXPECT_EQ(c.secondsAhead, 2);
  EXPECT_EQ(Text(c.at), Text(Wed(10, 0, 2)));
  EXPECT_EQ(DecidePreArm(list.head(), Reading(Wed(10, 0, 1)), 2).secondsAhead, 1);
  // Its deadline is the counter at the window's second, from the reading's own millisecond.
  LocalTimeFields late = Wed(10, 0, 0);
  late.millisecond = 250;
  EXPECT_EQ(DecidePreArm(list.head(), Reading(late, PLUGIN_IDLE, 100250), 2).deadlineMs, 102000u);
  late.second = 1;
  EXPECT_EQ(DecidePreArm(list.head(), Reading(late, PLUGIN_IDLE, 0xFFFFFFF0u), 2).deadlineMs, 0xFFFFFFF0u - 250u + 1000u);
  // On its second the tick starts it the whole way.
  EXPECT_EQ(DecidePreArm(list.head(), Reading(Wed(10, 0, 2)), 2).entry, nullptr);
  // Never while the plug-in records or did not answer, nor while an entry
  // records or starts; a held entry is passed over.
  EXPECT_EQ(DecidePreArm(list.head(), Reading(Wed(10, 0, 0), PLUGIN_RECORDING), 2).entry, nullptr);
  EXPECT_EQ(DecidePreArm(list.head(), Reading(Wed(10, 0, 0), PLUGIN_NO_ANSWER), 2).entry, nullptr);
  NoteStarting(&list[2], 1000);
  EXPECT_EQ(DecidePreArm(list.head(), Reading(Wed(10, 0, 0)), 2).entry, nullptr);
  NoteStopped(&list[2]);
  list[0].run.held = 1;
  EXPECT_EQ(DecidePreArm(list.head(), Reading(Wed(10, 0, 0)), 2).entry, &list[1]);

  // An open window waiting to retry comes first on the second its retry
  // falls due: then nothing goes ahead; with its retry later, the other does.
  list[2].dayMask = -1;
  NoteStartFailed(&list[2], 100000);
  const uint32_t retryAt = 100000 + START_RETRY_GAP_MS;
  EXPECT_EQ(DecidePreArm(list.head(), Reading(Wed(10, 0, 0), PLUGIN_IDLE, retryAt - 1000), 2).entry, nullptr);
  EXPECT_EQ(DecidePreArm(list.head(), Reading(Wed(10, 0, 0), PLUGIN_IDLE, retryAt - 3000), 2).entry, &list[1]);

  // Over midnight, for the next day's second and by the next day's bit.
  List night(2);
  Window(night[0], At(0, 0, 1), At(1, 0, 0), 1 << WED);
  Window(night[1], At(0, 0, 1), At(1, 0, 0), 1 << THU);
  c = DecidePreArm(night.head(), Reading(Date(2026, 12, 30, WED, 23, 59, 59)), 2);
  EXPECT_EQ(c.entry, &night[1]);
  EXPECT_EQ(Text(c.at), Text(Date(2026, 12, 31, THU, 0, 0, 1)));
}

TEST(DecidePreArm, AfterAStopOnceThePluginIsIdleButNotBackToBack) {
  List list(2);
  Window(list[0], At(10, 0, 0), At(10, 0, 2), -1);
  Window(list[1], At(10, 0, 3), At(10, 0, 5), -1);
  NoteRecording(&list[0]);
  TickReading stopTick = Reading(Wed(10, 0, 2), PLUGIN_RECORDING);
  ASSERT_EQ(::DecideTick(list.head(), stopTick).action, TICK_STOP);
  NoteStopped(&list[0]);
  EXPECT_EQ(DecidePreArm(list.head(), stopTick, PRE_ARM_LEAD_SECONDS).entry, nullptr);
  EXPECT_EQ(DecidePreArm(list.head(), Reading(Wed(10, 0, 2)), PRE_ARM_LEAD_SECONDS).entry, &list[1]);
  // Opening on the stop's own second: due now, the next tick starts it.
  list[1].startSeconds = At(10, 0, 2);
  EXPECT_EQ(DecidePreArm(list.head(), Reading(Wed(10, 0, 2)), PRE_ARM_LEAD_SECONDS).entry, nullptr);
}

// Ticks from the hand-over two seconds ahead to the window's second.
class PreArmFlow : public ::testing::Test {
 protected:
  void SetUp() override {
    Window(list_[0], At(10, 0, 0), At(11, 0, 0), -1);
    Window(list_[1], At(10, 0, 0), At(11, 0, 0), -1);
    list_[0].flags = FLAG_MP3_PARAMS;
    BeginPreArm(&armed_, DecidePreArm(list_.head(), Reading(Wed(9, 59, 58)), PRE_ARM_LEAD_SECONDS));
    armed_.ready = 1;
  }
  PreArmFit Review(PluginState plugin = PLUGIN_IDLE, ScheduleEntry* list = nullptr) {
    if (!list) list = list_.head();
    TickReading reading = Reading(Wed(9, 59, 59), plugin);
    return ReviewPreArm(armed_, list, reading, DecidePreArm(list, reading, PRE_ARM_LEAD_SECONDS));
  }
  PreArmFit AtTheSecond(const LocalTimeFields& now, PluginState plugin = PLUGIN_IDLE, ScheduleEntry* list = nullptr) {
    if (!list) list = list_.head();
    TickReading reading = Reading(now, plugin);
    return FitPreArm(armed_, list, ::DecideTick(list, reading), reading);
  }
  List list_{2};
  PreArm armed_{};
};

TEST_F(PreArmFlow, KeptUntilItsSecondThenOnlyTheStartIsLeft) {
  ASSERT_EQ(armed_.entry, &list_[0]);
  EXPECT_EQ(Review(), PRE_ARM_FITS);
  EXPECT_EQ(AtTheSecond(Wed(10, 0, 0)), PRE_ARM_FITS);
  EXPECT_EQ(AtTheSecond(Wed(10, 0, 1)), PRE_ARM_OTHER_SECOND);  // a late tick names another second
  // A failed hand-over is kept (not tried again) but never used.
  armed_.ready = 0;
  EXPECT_EQ(Review(), PRE_ARM_FITS);
  EXPECT_EQ(AtTheSecond(Wed(10, 0, 0)), PRE_ARM_NOT_READY);
  ClearPreArm(&armed_);
  EXPECT_EQ(AtTheSecond(Wed(10, 0, 0)), PRE_ARM_NOTHING_ARMED);
}

TEST_F(PreArmFlow, GivenUpWhenTheEntryChangesOrGoesAnotherComesFirstOrThePluginRecords) {
  void (*changes[])(ScheduleEntry*) = {
      [](ScheduleEntry* e) { std::strcpy(e->outputPattern, "D:\\y.mp3"); },
      [](ScheduleEntry* e) { e->flags |= FLAG_MONO; },
      [](ScheduleEntry* e) { e->bitrateIndex = 2; },
      [](ScheduleEntry* e) { e->sampleRateIndex = 1; },
      [](ScheduleEntry* e) { e->endSeconds += 60; },
      [](ScheduleEntry* e) { e->startSeconds += 5; },  // no longer opens on that second
  };
  // The answer to a request on its way counts on the same terms.
  EXPECT_EQ(FitAnswer(list_.head(), &list_[0], armed_.shape), ANSWER_FITS);
  for (size_t k = 0; k < sizeof changes / sizeof changes[0]; ++k) {
    ScheduleEntry before = list_[0];
    changes[k](&list_[0]);
    EXPECT_EQ(Review(), PRE_ARM_ENTRY_CHANGED) << "change " << k;
    EXPECT_EQ(AtTheSecond(Wed(10, 0, 0)), PRE_ARM_ENTRY_CHANGED) << "change " << k;
    EXPECT_EQ(FitAnswer(list_.head(), &list_[0], armed_.shape), ANSWER_ENTRY_CHANGED) << "change " << k;
    list_[0] = before;
  }
  // Started by hand: the tick adopts that recording.
  EXPECT_EQ(Review(PLUGIN_RECORDING), PRE_ARM_PLUGIN_RECORDS);
  EXPECT_EQ(AtTheSecond(Wed(10, 0, 0), PLUGIN_RECORDING), PRE_ARM_PLUGIN_RECORDS);
  // Held by the user: the second entry starts instead.
  list_[0].run.held = 1;
  EXPECT_EQ(Review(), PRE_ARM_OTHER_ENTRY);
  EXPECT_EQ(AtTheSecond(Wed(10, 0, 0)), PRE_ARM_OTHER_ENTRY);
  list_[0].run.held = 0;
  // Deleted: the list now starts at the second entry.
  EXPECT_EQ(Review(PLUGIN_IDLE, &list_[1]), PRE_ARM_ENTRY_GONE);
  EXPECT_EQ(AtTheSecond(Wed(10, 0, 0), PLUGIN_IDLE, &list_[1]), PRE_ARM_ENTRY_GONE);
  EXPECT_EQ(FitAnswer(&list_[1], &list_[0], armed_.shape), ANSWER_ENTRY_GONE);
}

TEST(SearchEverySecond, WhileAWindowIsNearOrOpenAndForAWhileAfterALaunch) {
  List list(1);
  Window(list[0], At(10, 0, 0), At(11, 0, 0), -1);
  PlayerLaunch none{};
  EXPECT_FALSE(SearchEverySecond(list.head(), Reading(Wed(9, 59, 29)), none));
  EXPECT_TRUE(SearchEverySecond(list.head(), Reading(Wed(9, 59, 30)), none));
  EXPECT_TRUE(SearchEverySecond(list.head(), Reading(Wed(10, 30, 0)), none));
  list[0].run.held = 1;  // stopped by hand: its window no longer counts
  EXPECT_FALSE(SearchEverySecond(list.head(), Reading(Wed(10, 30, 0)), none));
  PlayerLaunch launched{1, 0xFFFFF000u};  // the counter wraps meanwhile
  EXPECT_TRUE(SearchEverySecond(nullptr, Reading(Wed(12, 0, 0), PLUGIN_NONE, launched.atMs + 29999), launched));
  EXPECT_FALSE(SearchEverySecond(nullptr, Reading(Wed(12, 0, 0), PLUGIN_NONE, launched.atMs + 30000), launched));
}

}  // namespace
