#include <gtest/gtest.h>

#include <cstring>
#include <strings.h>
#include <string>
#include <utility>

#include "app/held_events.h"
#include "app/main_view.h"
#include "app/startup.h"
#include "resources/ids.h"
#include "resources/strings.h"

namespace {

TEST(CommandTail, SkipsTheProgramName) {
  EXPECT_STREQ(CommandTail("\"C:\\Program Files\\T\\Tavelund.exe\"   -x"), "-x");
  EXPECT_STREQ(CommandTail("Tavelund.exe"), "");
  EXPECT_STREQ(CommandTail("Tavelund.exe  a b"), "a b");
  EXPECT_STREQ(CommandTail("\"C:\\no closing quote"), "");
  EXPECT_STREQ(CommandTail(""), "");
  // Bytes from 128 up count as blanks, so a Korean word after the name is skipped.
  EXPECT_STREQ(CommandTail("prog \xB3\xEC\xC0\xBD x"), "x");
}

const int kShowNormal = 1;  // SW_SHOWNORMAL

TEST(MinimisedStart, TheSwitchAsAWordOfItsOwnOrAMinimisedShortcutShowsTheWindowWithoutTheFocus) {
  for (const char* tail : {"/min", "-MIN", "x\t/mIn y", "/max -min"})
    EXPECT_EQ(StartShowCommand(tail, kShowNormal), SHOW_MINIMISED_NO_ACTIVE) << tail;
  for (const char* tail : {"", "min", "/mini", "x/min", "\"/min\"", "--min", "\xB3\xEC/min"})
    EXPECT_EQ(StartShowCommand(tail, kShowNormal), kShowNormal) << tail;
  for (int shown : {SHOW_MINIMISED, SHOW_MINIMISE, SHOW_MINIMISED_NO_ACTIVE, SHOW_FORCE_MINIMISE})
    EXPECT_EQ(StartShowCommand("-x", shown), SHOW_MINIMISED_NO_ACTIVE) << shown;
}

bool SameAsciiPath(const char* first, const char* second) { return strcasecmp(first, second) == 0; }

TEST(RunValue, StartsThisProgramOnlyFromItsQuotedPathWithTheSwitch) {
  char value[RUN_VALUE_CAPACITY];
  EXPECT_EQ(BuildRunValue(value, sizeof value, std::string(259, 'p').c_str()), 1);
  ASSERT_EQ(BuildRunValue(value, sizeof value, "C:\\Rec\\Tavelund.exe"), 1);
  EXPECT_STREQ(value, "\"C:\\Rec\\Tavelund.exe\" /min");
  const std::pair<const char*, bool> cases[] = {
      {value, true},
      {"\"c:\\rec\\TAVELUND.EXE\" -x -MIN", true},  // the path as the comparison handed in sees it
      {"\"C:\\Rec\\Tavelund.exe\"/min", true},      // the tail needs no blank after the quote
      {"\"C:\\Rec\\Tavelund.exe\"", false},
      {"\"C:\\Rec\\Tavelund.exe\" /minimised", false},
      {"C:\\Rec\\Tavelund.exe /min", false},
      {"\"D:\\Old\\Tavelund.exe\" /min", false},
      {"\"C:\\Rec\\Tavelund.exe /min", false},
      {"\"\" /min", false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(StartsProgramMinimised(c.first, "C:\\Rec\\Tavelund.exe", SameAsciiPath), c.second) << c.first;
}

std::string SettingsFor(const char* module, size_t capacity = 300) {
  char path[300];
  int whole = DeriveSettingsPath(path, capacity, module);
  return std::string(path) + (whole ? "" : "<cut>");
}

TEST(SettingsPath, ReplacesTheFileNamesExtension) {
  EXPECT_EQ(SettingsFor("C:\\Rec\\sched.exe"), "C:\\Rec\\sched.INI");
  EXPECT_EQ(SettingsFor("C:\\Users\\kim.lee\\Tools\\Tavelund.exe"), "C:\\Users\\kim.lee\\Tools\\Tavelund.INI");
  EXPECT_EQ(SettingsFor("C:\\Apps\\rec.all\\prog.exe"), "C:\\Apps\\rec.all\\prog.INI");
  EXPECT_EQ(SettingsFor("C:\\Apps\\rec.all\\prog"), "C:\\Apps\\rec.all\\prog.INI");
  EXPECT_EQ(SettingsFor("C:\\nodot"), "C:\\nodot.INI");
}

TEST(SettingsPath, ReportsAPathThatDoesNotFit) {
  std::string cut = SettingsFor("C:\\abc.exe", 8);
  EXPECT_EQ(cut.substr(cut.size() - 5), "<cut>");
  EXPECT_LE(cut.size() - 5, 7u);
}

ScheduleEntry Entry(int start, int end, const char* pattern, bool recording) {
  ScheduleEntry e = {};
  e.startSeconds = start;
  e.endSeconds = end;
  e.recording = recording ? 1 : 0;
  std::strcpy(e.outputPattern, pattern);
  return e;
}

TEST(ListLine, ShowsTimesMarkAndPattern) {
  char line[LIST_LINE_CAPACITY];
  ScheduleEntry idle = Entry(8 * 3600 + 5, 9 * 3600 + 30 * 60, "D:\\Rec\\a.mp3", false);
  EXPECT_EQ(FormatListLine(line, sizeof line, &idle), 1);
  EXPECT_EQ(std::string(line), "08:00:05 - 09:30:00 " STR_MARK_IDLE " D:\\Rec\\a.mp3");
  ScheduleEntry busy = Entry(23 * 3600, 3600, "x", true);
  FormatListLine(line, sizeof line, &busy);
  EXPECT_EQ(std::string(line), "23:00:00 - 01:00:00 " STR_MARK_RECORDING " x");
}

TEST(ListLine, WholeLongestPatternFits) {
  std::string pattern(PATH_CAPACITY - 1, 'p');
  ScheduleEntry e = Entry(0, 1, pattern.c_str(), false);
  char line[LIST_LINE_CAPACITY];
  EXPECT_EQ(FormatListLine(line, sizeof line, &e), 1);
  EXPECT_NE(std::string(line).find(pattern), std::string::npos);
}

TEST(ListLine, CutLinesEndInEllipsisOnACharacterBoundary) {
  // Korean text throughout, so a byte cut would split a character.
  std::string pattern;
  while (pattern.size() < PATH_CAPACITY - 2) pattern += "\xB3\xEC";
  ScheduleEntry e = Entry(0, 1, pattern.c_str(), false);
  for (size_t capacity : {40u, 41u, 42u, 43u}) {
    char line[LIST_LINE_CAPACITY];
    std::memset(line, 'Z', sizeof line);
    EXPECT_EQ(FormatListLine(line, capacity, &e), 0);
    std::string text(line);
    ASSERT_LT(text.size(), capacity);
    ASSERT_GE(text.size(), 3u);
    EXPECT_EQ(text.substr(text.size() - 3), "...");
    // Everything before the ellipsis is whole characters: the Korean part has even length.
    std::string body = text.substr(0, text.size() - 3);
    size_t korean = body.size() - body.find('\xB3');
    EXPECT_EQ(korean % 2, 0u) << capacity;
    EXPECT_EQ(line[capacity], 'Z') << "wrote past the buffer";
  }
  // 0xFF opens no pair: a pattern of such bytes is cut right at the room left.
  std::string bytes(PATH_CAPACITY - 2, '\xFF');
  e = Entry(0, 1, bytes.c_str(), false);
  char line[LIST_LINE_CAPACITY];
  // 23 bytes of times and mark, then 15 of the pattern: an odd count, which a
  // pair-wise cut could not leave.
  EXPECT_EQ(FormatListLine(line, 42, &e), 0);
  EXPECT_EQ(std::strlen(line), 41u);
  EXPECT_EQ(std::string(line + 38), "...");
  EXPECT_EQ(line[37], '\xFF');
}

TEST(TitleClock, AppendsThenReplacesTheClock) {
  char title[TITLE_CAPACITY] = STR_MAIN_TITLE;
  UpdateTitleClock(title, sizeof title, 21, 5, 9);
  EXPECT_EQ(std::string(title), STR_MAIN_TITLE " - 21:05:09");
  UpdateTitleClock(title, sizeof title, 0, 0, 0);
  EXPECT_EQ(std::string(title), STR_MAIN_TITLE " - 00:00:00");
}

TEST(TitleClock, StaysWithinItsBuffer) {
  char title[TITLE_CAPACITY + 1];
  std::memset(title, 'T', TITLE_CAPACITY - 1);
  title[TITLE_CAPACITY - 1] = '\0';
  title[TITLE_CAPACITY] = 'Z';
  UpdateTitleClock(title, TITLE_CAPACITY, 1, 2, 3);
  EXPECT_LT(std::strlen(title), static_cast<size_t>(TITLE_CAPACITY));
  EXPECT_EQ(title[TITLE_CAPACITY], 'Z');
}

TEST(SecondTick, FiresJustAfterTheNextSecondBoundary) {
  EXPECT_EQ(DelayToNextSecond(0), 1000u + TICK_ALIGN_MARGIN_MS);
  EXPECT_EQ(DelayToNextSecond(998), 2u + TICK_ALIGN_MARGIN_MS);
  EXPECT_EQ(DelayToNextSecond(999), 1u + TICK_ALIGN_MARGIN_MS);
  EXPECT_EQ(DelayToNextSecond(-5), 1000u + TICK_ALIGN_MARGIN_MS);
  // A tick that worked past its second: the next one runs at once.
  const LocalTimeFields ticked = {2026, 12, 31, 4, 23, 59, 58, 5};
  LocalTimeFields now = ticked;
  now.millisecond = 900;
  EXPECT_EQ(DelayToNextTick(ticked, now), 100u + TICK_ALIGN_MARGIN_MS);
  now.second = 59;
  now.millisecond = 3;
  EXPECT_EQ(DelayToNextTick(ticked, now), 0u);
  now = LocalTimeFields{2027, 1, 1, 5, 23, 59, 58, 7};  // a day (a year) on
  EXPECT_EQ(DelayToNextTick(ticked, now), 0u);
}

// ---- What waits for a recording request's answer ----

TEST(HeldForTheAnswer, KeptInTheOrderTheyCameRepeatsOnceAndNothingPastTheRoom) {
  HeldEvents held{};
  EXPECT_TRUE(HoldEvent(&held, HELD_POWER, 4));
  EXPECT_TRUE(HoldEvent(&held, HELD_COMMAND, IDC_MAIN_STOP));
  EXPECT_TRUE(HoldEvent(&held, HELD_COMMAND, IDC_MAIN_STOP));  // pressed twice: stops once
  EXPECT_TRUE(HoldEvent(&held, HELD_CLOCK_CHANGE, 0));
  EXPECT_TRUE(HoldEvent(&held, HELD_POWER, 4));  // not the last one kept: kept again
  EXPECT_TRUE(HoldsEvent(held, HELD_COMMAND, IDC_MAIN_STOP));
  EXPECT_FALSE(HoldsEvent(held, HELD_COMMAND, IDC_MAIN_START));
  HeldEvent out[HELD_EVENT_CAPACITY];
  ASSERT_EQ(TakeHeldEvents(&held, out, HELD_EVENT_CAPACITY), 4);
  const HeldEvent expected[] = {{HELD_POWER, 4}, {HELD_COMMAND, IDC_MAIN_STOP}, {HELD_CLOCK_CHANGE, 0}, {HELD_POWER, 4}};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(out[i].kind, expected[i].kind) << i;
    EXPECT_EQ(out[i].value, expected[i].value) << i;
  }
  EXPECT_EQ(TakeHeldEvents(&held, out, HELD_EVENT_CAPACITY), 0);

  for (uint32_t k = 0; k < HELD_EVENT_CAPACITY; ++k) EXPECT_TRUE(HoldEvent(&held, HELD_COMMAND, k));
  EXPECT_FALSE(HoldEvent(&held, HELD_CLOSE, 0));
  EXPECT_FALSE(HoldsEvent(held, HELD_CLOSE, 0));
  // The caller's room decides how many come back; the rest is dropped with the list.
  EXPECT_EQ(TakeHeldEvents(&held, out, 3), 3);
  EXPECT_EQ(out[2].value, 2u);
  EXPECT_EQ(held.count, 0);
}

}  // namespace
