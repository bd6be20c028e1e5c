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

enum { SUN, MON, TUE, WED, THU, FRI, SAT };

// 2026-12-08 is a Tuesday.
LocalTimeFields At(int day, int hour, int minute, int second) {
  LocalTimeFields t = Date(2026, 12, day, 0, hour, minute, second);
  t.dayOfWeek = LocalTimeAt(LocalSecondsOf(t)).dayOfWeek;
  return t;
}

int32_t Hms(int h, int m, int s) { return HmsToSeconds(h, m, s); }

void Window(ScheduleEntry& e, int32_t start, int32_t end, int32_t dayMask = -1,
            const char* pattern = "D:\\rec\\a.mp3") {
  e.startSeconds = start;
  e.endSeconds = end;
  e.dayMask = dayMask;
  CopyText(e.outputPattern, sizeof e.outputPattern, pattern);
}

uint32_t Bit(HistoryReason reason) { return 1u << reason; }

TEST(CheckAhead, TheWindowOpeningFirstWithinTheLeadOnceAnOpeningAndAgainWhenChanged) {
  const struct {
    const char* value;
    int32_t minutes;
  } leads[] = {{"", 10}, {"words", 10}, {"0", 0}, {" 2", 2}, {"-5", 0}, {"99999", 1440}};
  for (const auto& c : leads) EXPECT_EQ(CheckAheadMinutesOf(c.value), c.minutes) << c.value;

  List list(4);
  Window(list[0], Hms(10, 8, 0), Hms(11, 0, 0));  // 8 minutes ahead
  Window(list[1], Hms(10, 5, 0), Hms(10, 7, 0));  // 5 minutes ahead
  Window(list[2], Hms(9, 0, 0), Hms(10, 30, 0));  // open now: the tick's
  Window(list[3], Hms(10, 2, 0), Hms(10, 4, 0));  // 2 minutes ahead, but held
  list[3].run.held = 1;
  const LocalTimeFields now = At(8, 10, 0, 0);
  AheadChoice choice = ChooseWindowToCheck(list.head(), now, 600);
  ASSERT_EQ(choice.entry, &list[1]);
  EXPECT_EQ(choice.secondsAhead, 300);
  EXPECT_EQ(choice.opening, LocalSecondsOf(At(8, 10, 5, 0)));
  NoteCheckedAhead(choice.entry, choice.opening, 0);
  EXPECT_EQ(ChooseWindowToCheck(list.head(), now, 600).entry, &list[0]);
  NoteCheckedAhead(&list[0], LocalSecondsOf(At(8, 10, 8, 0)), 0);
  EXPECT_EQ(ChooseWindowToCheck(list.head(), now, 600).entry, nullptr);
  // A changed entry is looked at again; the next day's window is a new opening; off, or beyond the lead.
  CopyText(list[0].outputPattern, sizeof list[0].outputPattern, "E:\\rec\\a.mp3");
  EXPECT_EQ(ChooseWindowToCheck(list.head(), now, 600).entry, &list[0]);
  NoteCheckedAhead(&list[0], LocalSecondsOf(At(8, 10, 8, 0)), 0);
  CheckAheadAgain(list.head());
  EXPECT_EQ(ChooseWindowToCheck(list.head(), now, 600).entry, &list[1]);
  EXPECT_EQ(ChooseWindowToCheck(list.head(), At(9, 10, 0, 0), 600).entry, &list[1]);
  EXPECT_EQ(ChooseWindowToCheck(list.head(), now, 0).entry, nullptr);
  EXPECT_EQ(ChooseWindowToCheck(list.head(), At(9, 10, 0, 0), 299).entry, nullptr);
}

AheadFacts Facts(bool plugin, bool player, bool nameFits, AheadPlace place, bool freeKnown, uint64_t freeMb) {
  return AheadFacts{plugin, player, nameFits, place, freeKnown, freeMb << 20};
}

TEST(CheckAhead, WhatTheFactsMakeOfAWindow) {
  const struct {
    const char* what;
    AheadFacts facts;
    uint32_t reasons;
  } cases[] = {
      {"all fine", Facts(true, false, true, PLACE_READY, true, 100), 0},
      {"player will be started", Facts(false, true, true, PLACE_READY, true, 100), 0},
      {"neither plug-in nor player", Facts(false, false, true, PLACE_READY, true, 100), Bit(REASON_NO_PLUGIN)},
      // The place is not looked at behind a name that does not fit.
      {"name too long", Facts(true, false, false, PLACE_NO_DRIVE, false, 0), Bit(REASON_NAME_TOO_LONG)},
      {"folder cannot be made", Facts(true, false, true, PLACE_NO_FOLDER, false, 0), Bit(REASON_NO_FOLDER)},
      {"drive absent, no player", Facts(false, false, true, PLACE_NO_DRIVE, false, 0),
       Bit(REASON_NO_PLUGIN) | Bit(REASON_NO_DRIVE)},
      // An hour at 128 kbit/s needs 57.6 MB and the margin.
      {"disk short", Facts(true, false, true, PLACE_READY, true, 58), Bit(REASON_DISK_SHORT)},
      {"free space unknown", Facts(true, false, true, PLACE_READY, false, 0), 0},
  };
  List list(1);
  Window(list[0], Hms(10, 5, 0), Hms(11, 5, 0));
  const LocalTimeFields now = At(8, 10, 0, 0);
  const AheadChoice choice = ChooseWindowToCheck(list.head(), now, 600);
  ASSERT_EQ(choice.entry, &list[0]);
  for (const auto& c : cases)
    EXPECT_EQ(JudgeWindowAhead(list.head(), choice, now, c.facts).reasons, c.reasons) << c.what;
}

TEST(CheckAhead, WhoHoldsThePluginWhenTheWindowOpensByTheTicksRule) {
  const LocalTimeFields monday = At(7, 10, 55, 0);  // the window checked opens at 11:00
  struct Case {
    const char* what;
    int32_t start, end, dayMask;
    bool first;      // the other entry comes first in the list
    bool recording;  // ... and records now
    bool holds;
  } cases[] = {
      {"starts earlier, still open", Hms(10, 58, 0), Hms(11, 30, 0), -1, false, false, true},
      {"records now, still open", Hms(10, 0, 0), Hms(11, 0, 1), -1, false, true, true},
      {"ends as it opens", Hms(10, 0, 0), Hms(11, 0, 0), -1, false, true, false},
      {"starts later", Hms(11, 0, 1), Hms(12, 0, 0), -1, true, false, false},
      {"same second, first in the list", Hms(11, 0, 0), Hms(11, 30, 0), -1, true, false, true},
      {"same second, behind in the list", Hms(11, 0, 0), Hms(11, 30, 0), -1, false, false, false},
      {"open over midnight", Hms(23, 0, 0), Hms(11, 30, 0), -1, false, true, true},
      {"another weekday", Hms(10, 58, 0), Hms(11, 30, 0), 1 << TUE, false, false, false},
      {"ends on the weekday after its own", Hms(22, 0, 0), Hms(11, 10, 0), 1 << SUN, false, true, true},
  };
  for (const Case& c : cases) {
    List list(2);
    ScheduleEntry& other = c.first ? list[0] : list[1];
    ScheduleEntry& checked = c.first ? list[1] : list[0];
    Window(checked, Hms(11, 0, 0), Hms(12, 0, 0));
    Window(other, c.start, c.end, c.dayMask);
    other.recording = c.recording ? 1 : 0;
    EXPECT_EQ(HolderAtOpening(list.head(), &checked, monday, 300), c.holds ? &other : nullptr) << c.what;
  }

  // A chain: the first holds until 10:58, then the second takes over and is
  // still recording at 11:00; the third, behind, never gets it.
  List chain(4);
  Window(chain[0], Hms(10, 50, 0), Hms(10, 58, 0));
  Window(chain[1], Hms(10, 52, 0), Hms(11, 20, 0));
  Window(chain[2], Hms(10, 53, 0), Hms(11, 40, 0));
  Window(chain[3], Hms(11, 0, 0), Hms(12, 0, 0));
  chain[0].recording = 1;
  EXPECT_EQ(HolderAtOpening(chain.head(), &chain[3], monday, 300), &chain[1]);
}

TEST(CheckAhead, NameTooLongWhenTheStartWouldCutIt) {
  ScheduleEntry entry{};
  const LocalTimeFields at = At(8, 10, 5, 0);
  char name[PATH_CAPACITY];
  // Two weekday names after 253 bytes of folder give 259 bytes: the most a
  // path holds; one more is cut.
  const std::string folder = "D:\\" + std::string(249, 'f') + "\\";
  Window(entry, 0, 1, -1, (folder + "%W%W").c_str());
  EXPECT_EQ(AheadFileName(name, sizeof name, &entry, at), 1);
  EXPECT_EQ(std::string(name), folder + "TUETUE");
  Window(entry, 0, 1, -1, (folder + "%W%Wx").c_str());
  EXPECT_EQ(AheadFileName(name, sizeof name, &entry, at), 0);
  // Also where the cut would fall before a double-byte character (가).
  Window(entry, 0, 1, -1, (folder + "%W%W\xB0\xA1").c_str());
  EXPECT_EQ(AheadFileName(name, sizeof name, &entry, at), 0);
}

TEST(CheckAhead, TheWarningStandsUntilTheWindowOpensUnlessALaterLookFindsItMended) {
  ScheduleEntry entry{};
  Window(entry, Hms(10, 5, 0), Hms(11, 0, 0));
  const int64_t opening = LocalSecondsOf(At(8, 10, 5, 0));
  NoteCheckedAhead(&entry, opening, Bit(REASON_NO_FOLDER));
  EXPECT_TRUE(AheadWarningStands(&entry, At(8, 10, 4, 59)));
  EXPECT_FALSE(AheadWarningStands(&entry, At(8, 10, 5, 0)));
  NoteCheckedAhead(&entry, opening, 0);
  EXPECT_FALSE(AheadWarningStands(&entry, At(8, 10, 0, 0)));
  // Broken again: not told again, but the warning is back until the window opens.
  EXPECT_EQ(NoteCheckedAhead(&entry, opening, Bit(REASON_NO_FOLDER)), 0u);
  EXPECT_TRUE(AheadWarningStands(&entry, At(8, 10, 0, 0)));
  entry.run.windowOpen = 1;
  EXPECT_FALSE(AheadWarningStands(&entry, At(8, 10, 4, 59)));
}

}  // namespace
