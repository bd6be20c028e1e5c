#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "scheduler/tick.h"

namespace {

enum { SUN, MON, TUE, WED, THU, FRI, SAT };
int32_t At(int h, int m, int s) { return HmsToSeconds(h, m, s); }

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
  EXPECT_EQ(DecideTick(list.head(), At(0, 59, 59), TUE).action, TICK_NOTHING);
  d = DecideTick(list.head(), At(1, 0, 0), TUE);  // the weekday plays no part in ending
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
  EXPECT_EQ(DecideTick(list.head(), At(10, 45, 0), WED).action, TICK_NOTHING);
  d = DecideTick(list.head(), At(11, 0, 0), WED);
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
  EXPECT_EQ(DecideTick(list.head(), At(8, 0, 0), MON).action, TICK_NOTHING);
  TickDecision d = DecideTick(list.head(), At(9, 30, 0), MON);
  EXPECT_EQ(d.action, TICK_STOP);
  EXPECT_EQ(d.entry, &list[1]);
}

}  // namespace
