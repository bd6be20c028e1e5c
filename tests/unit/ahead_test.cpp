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

void Window(ScheduleEntry& e, int32_t start, int32_t end, int32_t dayMask = -1, const char* pattern = "D:\\rec\\a.mp3") {
  e.startSeconds = start;
  e.endSeconds = end;
  e.dayMask = dayMask;
  CopyText(e.outputPattern, sizeof e.outputPattern, pattern);
}

uint32_t Bit(HistoryReason reason) { return 1u << reason; }

TEST(CheckAhead, LeadFromTheSettingsClampedToOffAndADay) {
  const struct {
    const char* value;
    int32_t minutes;
  } cases[] = {{"", 10}, {"words", 10}, {"0", 0}, {" 2", 2}, {"-5", 0}, {"1440", 1440}, {"99999", 1440}};
  for (const auto& c : cases) EXPECT_EQ(CheckAheadMinutesOf(c.value), c.minutes) << c.value;
  EXPECT_EQ(CheckAheadMinutesOf(nullptr), 10);
}

TEST(CheckAhead, TheWindowOpeningFirstWithinTheLeadOnceAnOpeningAndAgainWhenChanged) {
  List list(5);
  Window(list[0], Hms(10, 8, 0), Hms(11, 0, 0));   // 8 minutes ahead
  Window(list[1], Hms(10, 5, 0), Hms(10, 7, 0));   // 5 minutes ahead
  Window(list[2], Hms(9, 0, 0), Hms(10, 30, 0));   // open now: the tick's
  Window(list[3], Hms(10, 2, 0), Hms(10, 4, 0));   // 2 minutes ahead, but held
  list[3].run.held = 1;
  Window(list[4], Hms(10, 20, 0), Hms(11, 0, 0));  // beyond the lead
  const LocalTimeFields now = At(8, 10, 0, 0);

  AheadChoice choice = ChooseWindowToCheck(list.head(), now, 600);
  ASSERT_EQ(choice.entry, &list[1]);
  EXPECT_EQ(choice.secondsAhead, 300);
  EXPECT_EQ(choice.opening, LocalSecondsOf(At(8, 10, 5, 0)));
  EXPECT_EQ(choice.at.minute, 5);
  NoteCheckedAhead(choice.entry, choice.opening, 0);
  EXPECT_EQ(ChooseWindowToCheck(list.head(), now, 600).entry, &list[0]);
  NoteCheckedAhead(&list[0], LocalSecondsOf(At(8, 10, 8, 0)), 0);
  EXPECT_EQ(ChooseWindowToCheck(list.head(), now, 600).entry, nullptr);
  // A changed entry is looked at again; the next day's window is a new opening.
  CopyText(list[0].outputPattern, sizeof list[0].outputPattern, "E:\\rec\\a.mp3");
  EXPECT_EQ(ChooseWindowToCheck(list.head(), now, 600).entry, &list[0]);
  EXPECT_EQ(ChooseWindowToCheck(list.head(), At(9, 10, 0, 0), 600).entry, &list[1]);
  // Off, or a lead too short.
  EXPECT_EQ(ChooseWindowToCheck(list.head(), now, 0).entry, nullptr);
  EXPECT_EQ(ChooseWindowToCheck(list.head(), At(9, 10, 0, 0), 299).entry, nullptr);
}

TEST(CheckAhead, WhatTheFactsMakeOfAWindow) {
  AheadFacts fine{};
  fine.pluginKnown = true;
  fine.nameFits = true;
  fine.place = PLACE_READY;
  fine.freeKnown = true;
  fine.freeBytes = 1ull << 40;
  struct Case {
    const char* what;
    AheadFacts facts;
    uint32_t reasons;
  };
  Case cases[] = {
      {"all fine", fine, 0},
      {"player will be started", fine, 0},
      {"neither plug-in nor player", fine, Bit(REASON_NO_PLUGIN)},
      {"name too long", fine, Bit(REASON_NAME_TOO_LONG)},
      {"folder cannot be made", fine, Bit(REASON_NO_FOLDER)},
      {"drive absent", fine, Bit(REASON_NO_DRIVE)},
      {"disk short", fine, Bit(REASON_DISK_SHORT)},
      {"free space unknown", fine, 0},
      {"no plug-in and no drive", fine, Bit(REASON_NO_PLUGIN) | Bit(REASON_NO_DRIVE)},
  };
  cases[1].facts.pluginKnown = false;
  cases[1].facts.playerStartable = true;
  cases[2].facts.pluginKnown = false;
  cases[3].facts.nameFits = false;
  cases[3].facts.place = PLACE_NO_DRIVE;  // not looked at behind a name that does not fit
  cases[4].facts.place = PLACE_NO_FOLDER;
  cases[5].facts.place = PLACE_NO_DRIVE;
  // An hour at 128 kbit/s needs 57.6 MB and the margin.
  cases[6].facts.freeBytes = 50ull << 20;
  cases[7].facts.freeKnown = false;
  cases[7].facts.freeBytes = 0;
  cases[8].facts.pluginKnown = false;
  cases[8].facts.place = PLACE_NO_DRIVE;

  List list(1);
  Window(list[0], Hms(10, 5, 0), Hms(11, 5, 0));
  const LocalTimeFields now = At(8, 10, 0, 0);
  const AheadChoice choice = ChooseWindowToCheck(list.head(), now, 600);
  ASSERT_EQ(choice.entry, &list[0]);
  for (const Case& c : cases) {
    AheadFindings findings = JudgeWindowAhead(list.head(), choice, now, c.facts);
    EXPECT_EQ(findings.reasons, c.reasons) << c.what;
    EXPECT_EQ(findings.needBytes, 16000ull * 3600 + DISK_MARGIN_BYTES) << c.what;
  }
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
  // Through the whole check: the line names the other entry's window.
  AheadFacts facts{};
  facts.pluginKnown = facts.nameFits = facts.freeKnown = true;
  facts.freeBytes = 1ull << 40;
  const AheadChoice choice = ChooseWindowToCheck(chain.head(), monday, 300);
  ASSERT_EQ(choice.entry, &chain[3]);
  const AheadFindings findings = JudgeWindowAhead(chain.head(), choice, monday, facts);
  EXPECT_EQ(findings.reasons, Bit(REASON_OTHER_RECORDING));
  char detail[HISTORY_DETAIL_CAPACITY], warning[160];
  FormatAheadNews(detail, sizeof detail, warning, sizeof warning, REASON_OTHER_RECORDING, choice.entry, findings,
                  facts, "D:\\rec\\");
  EXPECT_STREQ(detail, STR_REASON_OTHER_RECORDING ": 10:52:00 - 11:20:00");
  // 녹음 전 점검(11:00:00 - 12:00:00): 다른 녹음이 진행 중
  EXPECT_STREQ(warning, STR_HISTORY_CHECKED_AHEAD "(11:00:00 - 12:00:00): " STR_REASON_OTHER_RECORDING);
  FormatAheadNews(detail, sizeof detail, warning, sizeof warning, REASON_NO_DRIVE, choice.entry, findings, facts,
                  "Q:\\rec\\");
  EXPECT_STREQ(detail, STR_REASON_NO_DRIVE ": Q:\\rec\\");
}

TEST(CheckAhead, NameTooLongWhenTheStartWouldCutIt) {
  ScheduleEntry entry{};
  const LocalTimeFields at = At(8, 10, 5, 0);
  char name[PATH_CAPACITY];
  Window(entry, 0, 1, -1, "D:\\rec\\%4Y%2M%2D.mp3");
  EXPECT_EQ(AheadFileName(name, sizeof name, &entry, at), 1);
  EXPECT_STREQ(name, "D:\\rec\\20261208.mp3");
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

TEST(CheckAhead, EachReasonToldOnceAnOpeningAndTheWarningStandsUntilItOpens) {
  ScheduleEntry entry{};
  Window(entry, Hms(10, 5, 0), Hms(11, 0, 0));
  const int64_t opening = LocalSecondsOf(At(8, 10, 5, 0));
  EXPECT_EQ(NoteCheckedAhead(&entry, opening, Bit(REASON_NO_FOLDER)), Bit(REASON_NO_FOLDER));
  EXPECT_TRUE(AheadWarningStands(&entry, At(8, 10, 4, 59)));
  // Looked at again: only what is new is told; mended, the warning comes down.
  EXPECT_EQ(NoteCheckedAhead(&entry, opening, Bit(REASON_NO_FOLDER) | Bit(REASON_DISK_SHORT)), Bit(REASON_DISK_SHORT));
  EXPECT_EQ(NoteCheckedAhead(&entry, opening, 0), 0u);
  EXPECT_FALSE(AheadWarningStands(&entry, At(8, 10, 0, 0)));
  EXPECT_EQ(NoteCheckedAhead(&entry, opening, Bit(REASON_NO_FOLDER)), 0u);
  EXPECT_TRUE(AheadWarningStands(&entry, At(8, 10, 0, 0)));
  // It opens: the warning is over; the next day's window is told afresh.
  EXPECT_FALSE(AheadWarningStands(&entry, At(8, 10, 5, 0)));
  entry.run.windowOpen = 1;
  EXPECT_FALSE(AheadWarningStands(&entry, At(8, 10, 4, 59)));
  EXPECT_EQ(NoteCheckedAhead(&entry, opening + 86400, Bit(REASON_NO_FOLDER)), Bit(REASON_NO_FOLDER));
}

}  // namespace
