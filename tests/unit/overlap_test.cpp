#include <gtest/gtest.h>

#include "unit/entry_list.h"

#include <cstdio>
#include <string>

#include "editor/editor_model.h"
#include "resources/strings.h"
#include "scheduler/overlap.h"
#include "scheduler/tick.h"

namespace {

enum { SUN = 1, MON = 2, TUE = 4, SAT = 64, ALL = -1 };
const int32_t kWeek = 7 * SECONDS_PER_DAY;
int32_t At(int h, int m, int s = 0) { return HmsToSeconds(h, m, s); }
ScheduleEntry Entry(int32_t start, int32_t end, int32_t dayMask) { return WindowEntry(start, end, dayMask); }

// Both entries run by the tick alone, second by second over two weeks: a run
// begins at a due second and lasts while the clock is in the window. The
// first week only settles a run carried over the week's end; the second is
// looked at for a second with both recording.
bool OverlapSecondBySecond(const ScheduleEntry& a, const ScheduleEntry& b) {
  bool runningA = false, runningB = false;
  for (int32_t u = 0; u < 2 * kWeek; ++u) {
    const int32_t t = u % SECONDS_PER_DAY;
    const int day = u / SECONDS_PER_DAY % 7;
    runningA = InWindow(&a, t) && (runningA || EntryDueAt(&a, t, day));
    runningB = InWindow(&b, t) && (runningB || EntryDueAt(&b, t, day));
    if (u >= kWeek && runningA && runningB) return true;
  }
  return false;
}

TEST(WindowsOverlap, SharedMomentsOfTheWeekAsTheTickRunsThem) {
  struct Case {
    const char* what;
    ScheduleEntry a, b;
    bool overlap;
  } cases[] = {
      {"same weekday, windows cross", Entry(At(9, 0), At(11, 0), MON), Entry(At(10, 0), At(12, 0), MON), true},
      {"same times, another weekday", Entry(At(9, 0), At(11, 0), MON), Entry(At(9, 0), At(11, 0), TUE), false},
      {"touching", Entry(At(9, 0), At(10, 0), MON), Entry(At(10, 0), At(11, 0), MON), false},
      {"touching at midnight", Entry(At(22, 0), At(0, 0), MON), Entry(At(0, 0), At(1, 0), TUE), false},
      {"over midnight, its own day's morning", Entry(At(23, 0), At(1, 0), MON), Entry(At(0, 30), At(2, 0), MON), true},
      {"over midnight into the other's day", Entry(At(23, 0), At(1, 0), MON), Entry(At(0, 30), At(2, 0), TUE), true},
      {"over midnight, other starts as it ends", Entry(At(23, 0), At(1, 0), MON),
       Entry(At(1, 0), At(2, 0), TUE), false},
      {"over midnight over the week's end", Entry(At(23, 0), At(1, 0), SAT), Entry(At(0, 0), At(0, 30), SUN), true},
      {"evening before has no bit", Entry(At(23, 0), At(1, 0), MON), Entry(At(23, 30), At(23, 59), SUN), false},
      {"both over midnight", Entry(At(23, 0), At(1, 0), MON), Entry(At(22, 0), At(0, 30), TUE), true},
      {"a mask of 0 never records", Entry(At(9, 0), At(11, 0), 0), Entry(At(9, 0), At(11, 0), ALL), false},
      {"every day, one inside the other", Entry(At(9, 0), At(11, 0), ALL), Entry(At(10, 0), At(10, 30), SAT), true},
      // Hand-edited lines:
      {"start = end never ends once begun", Entry(At(5, 0), At(5, 0), MON), Entry(At(12, 0), At(13, 0), SAT), true},
      {"start = end without a day", Entry(At(5, 0), At(5, 0), 0), Entry(At(12, 0), At(13, 0), ALL), false},
      {"start past the day leaves midnight's second", Entry(90000, 1, MON), Entry(At(0, 0), At(1, 0), MON), true},
      {"start past the day, other after that second", Entry(90000, 1, MON), Entry(1, At(1, 0), MON), false},
      {"end past the day stops at midnight", Entry(At(23, 0), 90000, MON), Entry(At(0, 0), At(1, 0), TUE), false},
      {"negative start counts from midnight", Entry(-3600, At(1, 0), MON), Entry(At(23, 0), At(0, 30), SUN), true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(WindowsOverlap(&c.a, &c.b), c.overlap);
    EXPECT_EQ(WindowsOverlap(&c.b, &c.a), c.overlap);
    EXPECT_EQ(OverlapSecondBySecond(c.a, c.b), c.overlap);
  }
}

TEST(Overlap, TheFirstInListOrderNamedInTheQuestionTheRestCountedTheEntryChangedLeftOut) {
  List list{Entry(At(9, 0), At(10, 0), MON), Entry(At(8, 0), At(9, 30), MON), Entry(At(9, 0), At(10, 0), TUE),
            Entry(At(9, 45), At(11, 0), MON)};
  const ScheduleEntry candidate = Entry(At(9, 15), At(9, 50), MON);
  int count = -1;
  EXPECT_EQ(FirstOverlapping(list.head(), &candidate, nullptr, &count), &list[0]);
  EXPECT_EQ(count, 3);
  // Entry 0 changed into the candidate's window is compared with the others only.
  EXPECT_EQ(FirstOverlapping(list.head(), &candidate, &list[0], &count), &list[1]);
  EXPECT_EQ(count, 2);
  const ScheduleEntry apart = Entry(At(20, 0), At(21, 0), MON);
  EXPECT_EQ(FirstOverlapping(list.head(), &apart, nullptr, &count), nullptr);
  EXPECT_EQ(count, 0);

  // The question: the other's window and whole pattern, the further ones
  // counted (none without them), and what it asks (그래도 저장할까요?) last.
  const std::string pattern = "D:\\" + std::string(PATH_CAPACITY - 1 - 3, 'p');
  const ScheduleEntry other = WindowEntry(At(23, 0), At(1, 0, 5), MON, pattern.c_str());
  const std::string ask = "\n\xB1\xD7\xB7\xA1\xB5\xB5 \xC0\xFA\xC0\xE5\xC7\xD2\xB1\xEE\xBF\xE4?";
  char text[OVERLAP_QUESTION_CAPACITY], further[64];
  std::snprintf(further, sizeof further, STR_OVERLAP_MORE, 2);
  ASSERT_EQ(FormatOverlapQuestion(text, sizeof text, &other, 2), 1);
  const std::string question = text;
  EXPECT_NE(question.find("23:00:00 - 01:00:05  " + pattern + "\n"), std::string::npos);
  EXPECT_NE(question.find(further), std::string::npos);
  EXPECT_EQ(question.substr(question.size() - ask.size()), ask);
  ASSERT_EQ(FormatOverlapQuestion(text, sizeof text, &other, 0), 1);
  EXPECT_NE(std::string(text).find("01:00:05  " + pattern + "\n\n"), std::string::npos);
}

}  // namespace
