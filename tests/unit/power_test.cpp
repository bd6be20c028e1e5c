#include <gtest/gtest.h>

#include "app/power.h"
#include "history/watch.h"
#include "unit/clock_reading.h"
#include "scheduler/tick.h"

namespace {

TEST(WakeDelay, NextOpeningAfterThisSecondLessTheLead) {
  ScheduleEntry first = {}, second = {};
  first.next = &second;
  first.startSeconds = HmsToSeconds(8, 0, 0);
  first.endSeconds = HmsToSeconds(9, 0, 0);
  first.dayMask = -1;
  second.startSeconds = HmsToSeconds(8, 30, 0);
  second.endSeconds = HmsToSeconds(8, 45, 0);
  second.dayMask = -1;
  ScheduleEntry* entry = nullptr;
  // 2026-12-07 is a Monday.
  EXPECT_EQ(WakeDelaySeconds(&first, Date(2026, 12, 7, 1, 7, 0, 0), &entry), 3600 - WAKE_LEAD_SECONDS);
  EXPECT_EQ(entry, &first);
  // The first window is open now: the wake is for the next opening, the second's.
  EXPECT_EQ(WakeDelaySeconds(&first, Date(2026, 12, 7, 1, 8, 0, 0), &entry), 1800 - WAKE_LEAD_SECONDS);
  EXPECT_EQ(entry, &second);
  // Inside the lead: wake at once rather than in the past.
  EXPECT_EQ(WakeDelaySeconds(&first, Date(2026, 12, 7, 1, 8, 29, 30), &entry), 1);
  first.dayMask = 0;
  second.dayMask = 0;
  EXPECT_EQ(WakeDelaySeconds(&first, Date(2026, 12, 7, 1, 7, 0, 0), &entry), NO_WINDOW_AHEAD);
  EXPECT_EQ(entry, nullptr);
}

TEST(ClockShift, WallClockAgainstTheMonotonicCounter) {
  LocalTimeFields before = Date(2026, 12, 31, 4, 23, 59, 50);
  // Ten seconds later by both clocks, over the year's end: no shift.
  EXPECT_EQ(ClockShiftSeconds(before, 1000, Date(2027, 1, 1, 5, 0, 0, 0), 11000), 0);
  // Set an hour forward, and back a day, within one second of counting.
  EXPECT_EQ(ClockShiftSeconds(before, 1000, Date(2027, 1, 1, 5, 0, 59, 51), 2000), 3600);
  EXPECT_EQ(ClockShiftSeconds(before, 1000, Date(2026, 12, 30, 3, 23, 59, 51), 2000), -86400);
  // Leap day.
  EXPECT_EQ(LocalSecondsOf(Date(2028, 3, 1, 3, 0, 0, 0)) - LocalSecondsOf(Date(2028, 2, 28, 1, 0, 0, 0)),
            2 * 86400);
}

}  // namespace
