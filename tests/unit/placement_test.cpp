// Placement arithmetic: the settings value of a window rectangle, where a
// dialog reopens, the layout's per-axis decision, the size-change detection
// and the dialog-unit rounding.
#include "placement/placement.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>
#include <vector>

namespace {

const int NO = SETTINGS_NO_NUMBER;
const ScreenMetrics kScreen{1024, 768, 23};

struct Formatted {
  std::string text;
  int whole;
};

// Formats into a guarded buffer and checks that nothing past cap moved.
Formatted Format(int a, int b, int c, int d, size_t cap = SETTINGS_NUMBERS_CAPACITY) {
  std::vector<char> buffer(cap + 16, '\x5a');
  int whole = FormatSettingsNumbers(buffer.data(), cap, a, b, c, d);
  for (size_t i = cap; i < buffer.size(); ++i) EXPECT_EQ(buffer[i], '\x5a') << "written past cap at " << i;
  EXPECT_NE(std::memchr(buffer.data(), '\0', cap), nullptr) << "unterminated";
  return Formatted{buffer.data(), whole};
}

TEST(SettingsNumbers, TrailingMarkersAreLeftOutFromTheLastBackwards) {
  struct Case {
    int a, b, c, d;
    const char* expected;
  } cases[] = {
      {10, 20, 30, 40, "10 20 30 40"},
      {-5, -1200, 0, 7, "-5 -1200 0 7"},
      {1, 2, 3, NO, "1 2 3"},
      // Only the later numbers decide: a marker in second is written as a
      // number when third is present.
      {1, NO, 3, NO, "1 2147483647 3"},
      {1, 2, NO, NO, "1 2"},
      {1, NO, NO, NO, "1"},
      // The first number is always written, even as the marker.
      {NO, NO, NO, NO, "2147483647"},
      {NO, 5, NO, 6, "2147483647 5 2147483647 6"},
  };
  for (const Case& c : cases) {
    Formatted f = Format(c.a, c.b, c.c, c.d);
    EXPECT_EQ(f.text, c.expected);
    EXPECT_EQ(f.whole, 1) << c.expected;
  }
}

TEST(SettingsNumbers, WidestValuesFitAndSmallBuffersAreCutNotOverrun) {
  Formatted widest = Format(INT_MIN, INT_MIN, INT_MIN, INT_MIN);
  EXPECT_EQ(widest.text, "-2147483648 -2147483648 -2147483648 -2147483648");
  EXPECT_EQ(widest.whole, 1);

  Formatted cut = Format(123456, 2, 3, 4, 5);
  EXPECT_EQ(cut.text, "1234");
  EXPECT_EQ(cut.whole, 0);
}

TEST(PlacementWrite, OnlyADifferentRectangleIsWritten) {
  Placement current{100, 50, 300, 200};
  EXPECT_EQ(PlacementNeedsWrite("100 50 300 200", current), 0);
  EXPECT_EQ(PlacementNeedsWrite("101 50 300 200", current), 1);
  EXPECT_EQ(PlacementNeedsWrite("100 51 300 200", current), 1);
  EXPECT_EQ(PlacementNeedsWrite("100 50 301 200", current), 1);
  EXPECT_EQ(PlacementNeedsWrite("100 50 300 199", current), 1);
  EXPECT_EQ(PlacementNeedsWrite("", current), 1);
  EXPECT_EQ(PlacementNeedsWrite(nullptr, current), 1);
  // Negative positions compare like any other.
  EXPECT_EQ(PlacementNeedsWrite("-8 -30 300 200", Placement{-8, -30, 300, 200}), 0);
}

TEST(PlacementWrite, NumbersTheValueDoesNotReachCountAsZero) {
  EXPECT_EQ(PlacementNeedsWrite("100 50", Placement{100, 50, 0, 0}), 0);
  EXPECT_EQ(PlacementNeedsWrite("100 50", Placement{100, 50, 300, 200}), 1);
  EXPECT_EQ(PlacementNeedsWrite("", Placement{0, 0, 0, 0}), 0);
  EXPECT_EQ(PlacementNeedsWrite("junk", Placement{0, 0, 0, 0}), 0);
  EXPECT_EQ(PlacementNeedsWrite("7 junk", Placement{7, 0, 0, 0}), 0);
}

TEST(PlacementRestore, MissingOrPartialValues) {
  Placement tmpl{0, 0, 440, 330};
  // Nothing stored: centred at the template size.
  EXPECT_EQ(RestoredPlacement("", 1, tmpl, kScreen), (Placement{292, 219, 440, 330}));
  EXPECT_EQ(RestoredPlacement(nullptr, 0, tmpl, kScreen), (Placement{292, 219, 440, 330}));
  // Two numbers restore the position with the template size.
  EXPECT_EQ(RestoredPlacement("10 20", 1, tmpl, kScreen), (Placement{10, 20, 440, 330}));
  // Only x: y stays at the unset preset, which centres both axes.
  EXPECT_EQ(RestoredPlacement("10", 1, tmpl, kScreen), (Placement{292, 219, 440, 330}));
  // Three numbers: the stored width, the template height.
  EXPECT_EQ(RestoredPlacement("10 20 500", 1, tmpl, kScreen), (Placement{10, 20, 500, 330}));
}

TEST(PlacementRestore, OnlyTheResizableDialogTakesTheStoredSize) {
  Placement tmpl{0, 0, 440, 330};
  EXPECT_EQ(RestoredPlacement("15 25 600 500", 1, tmpl, kScreen), (Placement{15, 25, 600, 500}));
  EXPECT_EQ(RestoredPlacement("15 25 600 500", 0, tmpl, kScreen), (Placement{15, 25, 440, 330}));
  // Centring uses the size the dialog will have.
  EXPECT_EQ(RestoredPlacement("30000 0 600 500", 1, tmpl, kScreen), (Placement{212, 134, 600, 500}));
  EXPECT_EQ(RestoredPlacement("30000 0 600 500", 0, tmpl, kScreen), (Placement{292, 219, 440, 330}));
}

TEST(PlacementRestore, RightAndBottomLimitsIncludeTheCaptionMargin) {
  struct Case {
    int x, y;
    bool centred;
  } cases[] = {
      {1024 - 23, 10, true},   // x + caption == width
      {1024 - 24, 10, false},  // one pixel less
      {10, 768 - 23, true},
      {10, 768 - 24, false},
      {1024 - 24, 768 - 24, false},
      {-400, -50, false},  // off the left and top: used as stored
      {INT_MIN, INT_MIN, false},
      // Near the int32 limit x + caption must not wrap to a small number.
      {INT_MAX, 10, true},
      {INT_MAX - 10, 10, true},
      {10, INT_MAX, true},
  };
  for (const Case& c : cases) {
    Placement wanted{c.x, c.y, 400, 300};
    Placement got = FitOnScreen(wanted, kScreen);
    if (c.centred) {
      EXPECT_EQ(got, (Placement{312, 234, 400, 300})) << c.x << "," << c.y;
    } else {
      EXPECT_EQ(got, wanted) << c.x << "," << c.y;
    }
  }
}

TEST(PlacementRestore, CentringHalvesTowardsMinusInfinity) {
  // Odd differences: 1024 - 401 = 623 -> 311; 1024 - 1025 = -1 -> -1.
  EXPECT_EQ(FitOnScreen(Placement{30000, 0, 401, 301}, kScreen), (Placement{311, 233, 401, 301}));
  EXPECT_EQ(FitOnScreen(Placement{30000, 0, 1025, 771}, kScreen), (Placement{-1, -2, 1025, 771}));
  // Extreme stored sizes do not overflow the arithmetic.
  EXPECT_EQ(FitOnScreen(Placement{30000, 0, INT_MIN, INT_MAX}, kScreen),
            (Placement{1073742336, -1073741440, INT_MIN, INT_MAX}));
}

// A wide primary monitor with a task bar at the bottom, and a smaller one to
// its right that starts lower: the virtual screen has a dead corner above
// the second monitor and another below the first.
const MonitorArea kUneven[] = {
    {{0, 0, 1920, 1080}, {0, 0, 1920, 1040}},
    {{1920, 400, 3200, 1424}, {1920, 400, 3200, 1424}},
};
// A monitor left of the primary one and higher, with its task bar at the bottom.
const MonitorArea kLeftAndHigher[] = {
    {{0, 0, 1024, 768}, {0, 0, 1024, 768}},
    {{-1280, -300, 0, 724}, {-1280, -300, 0, 684}},
};
const MonitorArea kSingle[] = {{{0, 0, 1024, 768}, {0, 0, 1024, 768}}};

struct MonitorCase {
  Placement placed;
  Placement expected;
};

void ExpectOnMonitors(const MonitorArea* monitors, int count, const std::vector<MonitorCase>& cases, int line) {
  for (const MonitorCase& c : cases)
    EXPECT_EQ(KeepOnMonitors(c.placed, monitors, count), c.expected)
        << "placed " << c.placed.x << "," << c.placed.y << " " << c.placed.width << "x" << c.placed.height
        << " (line " << line << ")";
}

TEST(PlacementRestore, WindowOnNoMonitorComesOntoTheNearestWorkArea) {
  ExpectOnMonitors(kUneven, 2,
                   {
                       // In the dead corner above the second monitor, nearer to
                       // it than to the first: centred on its work area.
                       {{2000, 50, 400, 300}, {2360, 762, 400, 300}},
                       // Touching its top edge is not one pixel on it.
                       {{2000, 100, 400, 300}, {2360, 762, 400, 300}},
                       // Below the first monitor: onto its work area, above the task bar.
                       {{100, 1200, 400, 300}, {760, 370, 400, 300}},
                       // Far off, larger than the nearest work area: its caption
                       // stays on it.
                       {{5000, 5000, 2500, 1200}, {1920, 400, 2500, 1200}},
                       // One pixel on a monitor is enough to stay.
                       {{1521, 0, 400, 300}, {1521, 0, 400, 300}},
                       {{-399, 1079, 400, 300}, {-399, 1079, 400, 300}},
                       {{3199, 1423, 400, 300}, {3199, 1423, 400, 300}},
                   },
                   __LINE__);
  ExpectOnMonitors(kLeftAndHigher, 2,
                   {
                       // Negative positions on the left monitor stay.
                       {{-1000, -250, 400, 300}, {-1000, -250, 400, 300}},
                       // Just beyond its left edge; above both, nearer to the one
                       // or to the other.
                       {{-1680, 100, 400, 300}, {-840, 42, 400, 300}},
                       {{200, -700, 400, 300}, {-840, 42, 400, 300}},
                       {{500, -700, 400, 300}, {312, 234, 400, 300}},
                   },
                   __LINE__);
  ExpectOnMonitors(kSingle, 1,
                   {
                       {{-400, 10, 400, 300}, {312, 234, 400, 300}},
                       {{10, 768, 400, 300}, {312, 234, 400, 300}},
                       // Where the system clamps far-off coordinates, and the int32 limits.
                       {{-32768, -32768, 1036, 780}, {0, 0, 1036, 780}},
                       {{INT_MIN, INT_MIN, 400, 300}, {312, 234, 400, 300}},
                       {{INT_MAX, INT_MAX, 400, 300}, {312, 234, 400, 300}},
                   },
                   __LINE__);
  // Equally near to two monitors: the first listed.
  const MonitorArea twins[] = {
      {{0, 0, 1000, 800}, {0, 0, 1000, 800}},
      {{2000, 0, 3000, 800}, {2000, 0, 3000, 800}},
  };
  ExpectOnMonitors(twins, 2, {{{1300, 100, 400, 300}, {300, 250, 400, 300}}}, __LINE__);
  // Nothing known about the monitors: nothing moves.
  EXPECT_EQ(KeepOnMonitors(Placement{-5000, -5000, 400, 300}, nullptr, 0), (Placement{-5000, -5000, 400, 300}));
}

TEST(PlacementRestore, CentringStaysWithinInt32) {
  EXPECT_EQ(CentredStart(-1280, 1280, 401), -841);
  EXPECT_EQ(CentredStart(INT_MAX, 1000, 0), INT_MAX);
  EXPECT_EQ(CentredStart(INT_MIN, 0, INT_MAX), INT_MIN);
}

TEST(LayoutAxis, EdgesAgainstTheReferencePoint) {
  struct Case {
    int low, high, ref;
    AxisAdjustment expected;
  } cases[] = {
      {101, 150, 100, AXIS_MOVE},     // wholly beyond
      {100, 150, 100, AXIS_STRETCH},  // low edge on the reference: not moved, reaches over it
      {10, 101, 100, AXIS_STRETCH},
      {10, 100, 100, AXIS_KEEP},  // high edge on the reference
      {10, 50, 100, AXIS_KEEP},
      {-20, -10, 100, AXIS_KEEP},
      {-5, 5, -10, AXIS_MOVE},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ChildAxisAdjustment(c.low, c.high, c.ref), c.expected) << c.low << ".." << c.high << " ref " << c.ref;
}

uint32_t Packed(int width, int height) { return static_cast<uint32_t>(height) << 16 | static_cast<uint32_t>(width); }

TEST(ClientSize, PackingKeepsUnsignedHalves) {
  EXPECT_EQ(PackClientSize(436, 370), Packed(436, 370));
  EXPECT_EQ(PackClientSize(0xFFFF, 0x8000), 0x8000FFFFu);
  int w = -1;
  int h = -1;
  UnpackClientSize(0x8000FFFFu, &w, &h);
  EXPECT_EQ(w, 0xFFFF);
  EXPECT_EQ(h, 0x8000);
  UnpackClientSize(PackClientSize(436, 370), &w, &h);
  EXPECT_EQ(w, 436);
  EXPECT_EQ(h, 370);
}

TEST(ClientSize, ChangeDetection) {
  int dx = 99;
  int dy = 99;
  EXPECT_EQ(ClientSizeChange(400, 300, 0, Packed(440, 330), &dx, &dy), 1);
  EXPECT_EQ(dx, 40);
  EXPECT_EQ(dy, 30);
  EXPECT_EQ(ClientSizeChange(400, 300, 2, Packed(1000, 700), &dx, &dy), 1);
  EXPECT_EQ(dx, 600);
  EXPECT_EQ(dy, 400);
  EXPECT_EQ(ClientSizeChange(400, 300, 0, Packed(390, 300), &dx, &dy), 1);
  EXPECT_EQ(dx, -10);
  EXPECT_EQ(dy, 0);
  // The same size is no change.
  EXPECT_EQ(ClientSizeChange(400, 300, 0, Packed(400, 300), &dx, &dy), 0);
  EXPECT_EQ(dx, 0);
  EXPECT_EQ(dy, 0);
  // Minimizing never is, whatever size it reports.
  EXPECT_EQ(ClientSizeChange(400, 300, 1, Packed(0, 0), &dx, &dy), 0);
  EXPECT_EQ(ClientSizeChange(400, 300, 1, Packed(160, 24), &dx, &dy), 0);
  EXPECT_EQ(dx, 0);
  EXPECT_EQ(dy, 0);
  // Other size types are handled like a restore.
  EXPECT_EQ(ClientSizeChange(400, 300, 4, Packed(401, 300), &dx, &dy), 1);
  EXPECT_EQ(dx, 1);
}

TEST(ClientSize, NewSizeHalvesAreSigned16Bit) {
  int dx = 0;
  int dy = 0;
  EXPECT_EQ(ClientSizeChange(10, 10, 0, Packed(0xFFFF, 0x8000), &dx, &dy), 1);
  EXPECT_EQ(dx, -1 - 10);
  EXPECT_EQ(dy, -32768 - 10);
}

TEST(DialogUnits, RoundsHalfAwayFromZeroLikeMulDiv) {
  struct Case {
    int n, num, den, expected;
  } cases[] = {
      {8, 8, 4, 16},      {8, 16, 8, 16},    {130, 7, 4, 228},  // 227.5 -> 228
      {1, 3, 2, 2},       {-1, 3, 2, -2},    {1, -3, 2, -2},    {-1, -3, 2, 2},
      {1, 3, -2, -2},     {5, 1, 4, 1},      {6, 1, 4, 2},      {-6, 1, 4, -2},
      {0, 99, 7, 0},      {7, 0, 3, 0},      {7, 3, 0, -1},
      // The product may exceed 32 bits while the result fits.
      {100000, 100000, 100000, 100000},
      {INT_MAX, 2, 2, INT_MAX},
      // A result beyond int32 (or exactly INT_MIN) is the error value.
      {INT_MAX, 2, 1, -1},       {INT_MIN, 1, 1, -1},
  };
  for (const Case& c : cases)
    EXPECT_EQ(MulDivRounded(c.n, c.num, c.den), c.expected) << c.n << "*" << c.num << "/" << c.den;
  EXPECT_EQ(DialogUnitsToPixelsWith(140, 16, 8), 280);
  EXPECT_EQ(DialogUnitsToPixelsWith(130, 8, 4), 260);
}

}  // namespace
