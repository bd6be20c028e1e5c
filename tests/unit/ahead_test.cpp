// The look at a window before it opens: its lead, which window is looked at
// when, what the facts the shell gathers make of it, who holds the plug-in
// when it opens, and that each reason is told once an opening.
#include <gtest/gtest.h>

#include <string>

#include "unit/clock_reading.h"
#include "unit/entry_list.h"

#include "history/ahead.h"
#include "history/watch.h"
#include "resources/strings.h"
#include "text/text.h"

namespace {

enum { SUN, MON, TUE };

// 2026-12-08 is a Tuesday.
LocalTimeFields At(int day, int hour, int minute, int second) {
  LocalTimeFields t = Date(2026, 12, day, 0, hour, minute, second);
  t.dayOfWeek = LocalTimeAt(LocalSecondsOf(t)).dayOfWeek;
  return t;
}
int32_t Hms(int h, int m) { return HmsToSeconds(h, m, 0); }
uint32_t Bit(HistoryReason reason) { return 1u << reason; }

TEST(CheckAhead, TheWindowOpeningFirstOnceAnOpeningAndAgainWhenChangedItsWarningUntilItOpens) {
  const struct {
    const char* value;
    int32_t minutes;
  } leads[] = {{"", 10}, {"words", 10}, {"0", 0}, {" 2", 2}, {"-5", 0}, {"99999", 1440}};
  for (const auto& c : leads) EXPECT_EQ(CheckAheadMinutesOf(c.value), c.minutes) << c.value;

  List list{WindowEntry(Hms(10, 8), Hms(11, 0)),    // 8 minutes ahead
            WindowEntry(Hms(10, 5), Hms(10, 7)),    // 5 minutes ahead
            WindowEntry(Hms(9, 0), Hms(10, 30)),    // open now: the tick's
            WindowEntry(Hms(10, 2), Hms(10, 4))};   // 2 minutes ahead, but held
  list[3].run.held = 1;
  const LocalTimeFields now = At(8, 10, 0, 0), tomorrow = At(9, 10, 0, 0);
  const AheadChoice choice = ChooseWindowToCheck(list.head(), now, 600);
  ASSERT_EQ(choice.entry, &list[1]);
  EXPECT_EQ(choice.secondsAhead, 300);
  EXPECT_EQ(choice.opening, LocalSecondsOf(At(8, 10, 5, 0)));
  // A warning found stands until the window opens, unless a later look finds
  // it mended; broken again, it is not told again but stands again.
  ScheduleEntry& e = list[1];
  EXPECT_EQ(NoteCheckedAhead(&e, choice.opening, Bit(REASON_NO_FOLDER)), Bit(REASON_NO_FOLDER));
  EXPECT_TRUE(AheadWarningStands(&e, At(8, 10, 4, 59)));
  EXPECT_FALSE(AheadWarningStands(&e, At(8, 10, 5, 0)));
  NoteCheckedAhead(&e, choice.opening, 0);
  EXPECT_FALSE(AheadWarningStands(&e, now));
  EXPECT_EQ(NoteCheckedAhead(&e, choice.opening, Bit(REASON_NO_FOLDER)), 0u);
  EXPECT_TRUE(AheadWarningStands(&e, now));
  e.run.windowOpen = 1;
  EXPECT_FALSE(AheadWarningStands(&e, At(8, 10, 4, 59)));
  e.run.windowOpen = 0;
  // Looked at for this opening: the next window's turn.
  EXPECT_EQ(ChooseWindowToCheck(list.head(), now, 600).entry, &list[0]);
  const int64_t opening0 = LocalSecondsOf(At(8, 10, 8, 0));
  NoteCheckedAhead(&list[0], opening0, 0);
  EXPECT_EQ(ChooseWindowToCheck(list.head(), now, 600).entry, nullptr);
  // A changed entry is looked at again; the next day's window is a new opening; off, or beyond the lead.
  CopyText(list[0].outputPattern, sizeof list[0].outputPattern, "E:\\rec\\a.mp3");
  EXPECT_EQ(ChooseWindowToCheck(list.head(), now, 600).entry, &list[0]);
  NoteCheckedAhead(&list[0], opening0, 0);
  CheckAheadAgain(list.head());
  EXPECT_EQ(ChooseWindowToCheck(list.head(), now, 600).entry, &list[1]);
  EXPECT_EQ(ChooseWindowToCheck(list.head(), tomorrow, 600).entry, &list[1]);
  EXPECT_EQ(ChooseWindowToCheck(list.head(), now, 0).entry, nullptr);
  EXPECT_EQ(ChooseWindowToCheck(list.head(), tomorrow, 299).entry, nullptr);
}

TEST(CheckAhead, WhatTheFactsMakeOfAWindow) {
  const uint64_t MB = 1 << 20;
  const struct {
    const char* what;
    AheadFacts facts;  // plug-in, player startable, name fits, place, free known, free bytes
    uint32_t reasons;
  } cases[] = {
      {"all fine", {true, false, true, PLACE_READY, true, 100 * MB}, 0},
      {"player will be started", {false, true, true, PLACE_READY, true, 100 * MB}, 0},
      {"neither plug-in nor player", {false, false, true, PLACE_READY, true, 100 * MB}, Bit(REASON_NO_PLUGIN)},
      // The place is not looked at behind a name that does not fit.
      {"name too long", {true, false, false, PLACE_NO_DRIVE, false, 0}, Bit(REASON_NAME_TOO_LONG)},
      {"folder cannot be made", {true, false, true, PLACE_NO_FOLDER, false, 0}, Bit(REASON_NO_FOLDER)},
      {"drive absent, no player", {false, false, true, PLACE_NO_DRIVE, false, 0},
       Bit(REASON_NO_PLUGIN) | Bit(REASON_NO_DRIVE)},
      // An hour at 128 kbit/s needs 57.6 MB and the margin.
      {"disk short", {true, false, true, PLACE_READY, true, 58 * MB}, Bit(REASON_DISK_SHORT)},
      {"free space unknown", {true, false, true, PLACE_READY, false, 0}, 0},
  };
  List list{WindowEntry(Hms(10, 5), Hms(11, 5))};
  const LocalTimeFields now = At(8, 10, 0, 0);
  const AheadChoice choice = ChooseWindowToCheck(list.head(), now, 600);
  ASSERT_EQ(choice.entry, &list[0]);
  for (const auto& c : cases)
    EXPECT_EQ(JudgeWindowAhead(list.head(), choice, now, c.facts).reasons, c.reasons) << c.what;
}

TEST(CheckAhead, WhoHoldsThePluginWhenTheWindowOpensByTheTicksRule) {
  const LocalTimeFields monday = At(7, 10, 55, 0);  // the window checked opens at 11:00
  const struct {
    const char* what;
    int32_t start, end, dayMask;
    bool first;      // the other entry comes first in the list
    bool recording;  // ... and records now
    bool holds;
  } cases[] = {
      {"starts earlier, still open", Hms(10, 58), Hms(11, 30), -1, false, false, true},
      {"records now, still open", Hms(10, 0), HmsToSeconds(11, 0, 1), -1, false, true, true},
      {"ends as it opens", Hms(10, 0), Hms(11, 0), -1, false, true, false},
      {"starts later", HmsToSeconds(11, 0, 1), Hms(12, 0), -1, true, false, false},
      {"same second, first in the list", Hms(11, 0), Hms(11, 30), -1, true, false, true},
      {"same second, behind in the list", Hms(11, 0), Hms(11, 30), -1, false, false, false},
      {"another weekday", Hms(10, 58), Hms(11, 30), 1 << TUE, false, false, false},
      {"open over midnight, from the weekday before", Hms(22, 0), Hms(11, 10), 1 << SUN, false, true, true},
  };
  for (const auto& c : cases) {
    const ScheduleEntry checked = WindowEntry(Hms(11, 0), Hms(12, 0));
    ScheduleEntry other = WindowEntry(c.start, c.end, c.dayMask);
    other.recording = c.recording ? 1 : 0;
    List list = c.first ? List{other, checked} : List{checked, other};
    ScheduleEntry *mine = &list[c.first ? 1 : 0], *theirs = &list[c.first ? 0 : 1];
    EXPECT_EQ(HolderAtOpening(list.head(), mine, monday, 300), c.holds ? theirs : nullptr) << c.what;
  }

  // A chain: the first holds until 10:58, then the second takes over and is
  // still recording at 11:00; the third, behind, never gets it.
  List chain{WindowEntry(Hms(10, 50), Hms(10, 58)), WindowEntry(Hms(10, 52), Hms(11, 20)),
             WindowEntry(Hms(10, 53), Hms(11, 40)), WindowEntry(Hms(11, 0), Hms(12, 0))};
  chain[0].recording = 1;
  EXPECT_EQ(HolderAtOpening(chain.head(), &chain[3], monday, 300), &chain[1]);
}

TEST(CheckAhead, NameTooLongWhenTheStartWouldCutIt) {
  // Two weekday names after 253 bytes of folder give 259 bytes: the most a
  // path holds; one more is cut, also where the cut would fall before a
  // double-byte character (가).
  const std::string folder = "D:\\" + std::string(249, 'f') + "\\";
  const struct {
    const char* name;
    int fits;
  } cases[] = {{"%W%W", 1}, {"%W%Wx", 0}, {"%W%W\xB0\xA1", 0}};
  for (const auto& c : cases) {
    const ScheduleEntry entry = WindowEntry(0, 1, -1, (folder + c.name).c_str());
    char name[PATH_CAPACITY];
    EXPECT_EQ(AheadFileName(name, sizeof name, &entry, At(8, 10, 5, 0)), c.fits) << c.name;
    if (c.fits) EXPECT_EQ(std::string(name), folder + "TUETUE");
  }
}

}  // namespace
