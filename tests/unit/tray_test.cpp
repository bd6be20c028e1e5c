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

TEST(TrayIcon, MinimiseToTrayIsOffOnlyForANumberEqualToZero) {
  for (const char* off : {"0", "00", " 0"}) EXPECT_FALSE(MinimiseToTrayEnabled(off)) << off;
  for (const char* on : {"", "1", "-1", "no"}) EXPECT_TRUE(MinimiseToTrayEnabled(on)) << on;
}

// 가 (B0 A1) and a two-byte character whose trail byte is an ASCII letter (81 41).
TEST(CharacterCut, CountsCharactersAndNeverSplitsOne) {
  struct Case {
    std::string text;
    size_t max;
    size_t bytes;
  } cases[] = {
      {"", 127, 0},
      {"abcdef", 4, 4},
      {"\xB0\xA1" "a\xB0\xA1", 2, 3},
      {"\xB0\xA1" "a\xB0\xA1", 3, 5},
      {"a\x81\x41" "b", 2, 3},
      {"ab\xB0", 3, 3},  // a lead byte at the very end is one character
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
