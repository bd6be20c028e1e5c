#include <gtest/gtest.h>

#include <string>

#include "app/tray.h"

namespace {

TEST(TrayIcon, RecordingOverNeedsYouOverWaiting) {
  EXPECT_EQ(TrayIconOf(false, false), TRAY_ICON_WAITING);
  EXPECT_EQ(TrayIconOf(false, true), TRAY_ICON_NEEDS_YOU);
  EXPECT_EQ(TrayIconOf(true, false), TRAY_ICON_RECORDING);
  EXPECT_EQ(TrayIconOf(true, true), TRAY_ICON_RECORDING);
}

// 가 (B0 A1) and a two-byte character whose trail byte is an ASCII letter (81 41).
const std::string kGa = "\xB0\xA1";
const std::string kLetterTrail = "\x81\x41";

std::string Repeat(const std::string& s, int n) {
  std::string out;
  for (int i = 0; i < n; ++i) out += s;
  return out;
}

TEST(CharacterCut, CountsCharactersAndNeverSplitsOne) {
  struct Case {
    std::string text;
    size_t max;
    size_t bytes;
  } cases[] = {
      {"", 127, 0},
      {"abc", 127, 3},
      {"abcdef", 4, 4},
      {kGa + "a" + kGa, 2, 3},
      {kGa + "a" + kGa, 3, 5},
      {"a" + kLetterTrail + "b", 2, 3},
      {"ab\xB0", 3, 3},  // a lead byte at the very end is one character
      {Repeat(kGa, 127), 127, 254},
      {Repeat(kGa, 130), 127, 254},
      {"x" + Repeat(kGa, 130), 127, 253},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(CharacterCutLength(c.text.c_str(), c.max), c.bytes);
  }
}

TEST(TrayClick, EachVersionOpensOnALeftClickAndShowsTheMenuOnARightOne) {
  struct Case {
    unsigned event;
    TrayAction v4, older;
  } cases[] = {
      {TRAY_EVENT_SELECT, TRAY_OPEN, TRAY_NOTHING},
      {TRAY_EVENT_KEY_SELECT, TRAY_OPEN, TRAY_NOTHING},
      {TRAY_EVENT_LEFT_UP, TRAY_NOTHING, TRAY_OPEN},
      {TRAY_EVENT_LEFT_DOUBLE, TRAY_OPEN, TRAY_OPEN},
      {TRAY_EVENT_CONTEXT_MENU, TRAY_MENU, TRAY_NOTHING},
      {TRAY_EVENT_RIGHT_UP, TRAY_NOTHING, TRAY_MENU},
      {0x0200 /* WM_MOUSEMOVE */, TRAY_NOTHING, TRAY_NOTHING},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.event);
    EXPECT_EQ(TrayActionOf(c.event, true), c.v4);
    EXPECT_EQ(TrayActionOf(c.event, false), c.older);
  }
}

}  // namespace
