// Placement arithmetic of the dialogs: where a remembered dialog reopens,
// when its [DlgPos] value must be rewritten, how the resizable main dialog's
// children follow a change of its client size, and dialog units to pixels.
// Portable: the Win32 side gathers the rectangles and metrics and carries
// out what these functions decide.
#pragma once
#include <cstddef>
#include <cstdint>

// Absent-number marker of WriteSettingsNumbers: this and every later
// argument are left out of the written value.
const int SETTINGS_NO_NUMBER = 0x7FFFFFFF;
// Preset x and y before a stored value is read: no stored position.
const int PLACEMENT_UNSET = 30000;
// Characters in the placement key buffer (a key of at most 19 characters).
const size_t PLACEMENT_KEY_CAPACITY = 20;
// Characters in the buffer for a stored [DlgPos] value.
const size_t PLACEMENT_VALUE_CAPACITY = 80;
// Text buffer of WriteSettingsNumbers: four numbers of up to 11 characters
// ("-2147483648"), three blanks and the terminator, so nothing is ever cut.
const size_t SETTINGS_NUMBERS_CAPACITY = 48;
// The layout's reference point lies this many pixels left of and above the
// list's bottom-right corner.
const int LAYOUT_REFERENCE_INSET = 2;
// Size grip, dialog units.
const int SIZE_GRIP_UNITS = 8;

// A window rectangle as the [DlgPos] value stores it: left, top, width and
// height in screen pixels, frame included.
struct Placement {
  int x;
  int y;
  int width;
  int height;
};

inline bool operator==(const Placement& a, const Placement& b) {
  return a.x == b.x && a.y == b.y && a.width == b.width && a.height == b.height;
}

// The primary screen as the restore sees it.
struct ScreenMetrics {
  int width;
  int height;
  int captionHeight;
};

// Formats one to four numbers as a settings value: "first second third
// fourth", leaving out fourth, then third, then second while they are
// SETTINGS_NO_NUMBER (tested from the last backwards; first is always
// written). Bounded by cap; returns 1 when the whole text fitted.
int FormatSettingsNumbers(char* dst, size_t cap, int first, int second, int third, int fourth);

// Whether the stored [DlgPos] value differs from the current window
// rectangle: the value is read as up to four numbers, missing ones as 0.
int PlacementNeedsWrite(const char* storedValue, const Placement& current);

// Where a dialog reopens. current is its window rectangle at creation
// (template size); the stored value gives x and y, and for a resizable
// dialog also width and height. A missing x or y, or a position whose
// caption would start at or beyond the right or bottom edge of the screen,
// centres the dialog at the size it will have. Negative positions are kept.
Placement RestoredPlacement(const char* storedValue, int resizable, const Placement& current,
                            const ScreenMetrics& screen);

// A rectangle in screen pixels, right and bottom exclusive.
struct ScreenRect {
  int left;
  int top;
  int right;
  int bottom;
};

// One monitor: its whole area and its work area (without the task bar).
struct MonitorArea {
  ScreenRect monitor;
  ScreenRect work;
};

// The window rectangle a restore actually produced (the system clamps
// coordinates and sizes) checked against the monitors: when not one pixel of
// it lies on any of them, as with a value stored on a monitor that is gone
// or a position in a dead corner of an uneven layout, it is centred on the
// work area of the nearest monitor at the size it got; its top-left corner
// never lands above or left of that work area, so a window larger than it
// still shows its caption. The nearest monitor is the one with the shortest
// distance between its rectangle and the window's, the first listed on a
// tie. A window on some monitor, or with no monitor listed, stays.
Placement KeepOnMonitors(const Placement& placed, const MonitorArea* monitors, int count);

// Where a length centred in an area starts: areaStart plus the free room
// halved towards minus infinity (an arithmetic shift), also when the length
// exceeds the area. Computed in 64 bits and kept within int32.
int CentredStart(int areaStart, int areaLength, int length);

// The centring rule alone: x and y are replaced by the centred position when
// x + caption height reaches the screen width or y + caption height the
// screen height. Halving rounds towards minus infinity.
Placement FitOnScreen(const Placement& wanted, const ScreenMetrics& screen);

// What the layout does to a child on one axis, given the child's low and
// high edges and the reference coordinate (all in screen pixels): a child
// wholly beyond the reference moves with the edge, one reaching over it
// stretches, any other stays.
enum AxisAdjustment { AXIS_KEEP = 0, AXIS_MOVE = 1, AXIS_STRETCH = 2 };
AxisAdjustment ChildAxisAdjustment(int lowEdge, int highEdge, int reference);

// Packs a client size like a WM_SIZE parameter (width low, height high,
// 16 bits each) and unpacks a stored word into its unsigned halves.
uint32_t PackClientSize(int width, int height);
void UnpackClientSize(uint32_t packed, int* width, int* height);

// The size-change decision of a WM_SIZE: sizeType 1 (minimized) is never a
// change; otherwise the packed size's halves, read as signed 16-bit numbers,
// are compared with the stored size. On a change returns 1 with the
// differences new - stored; else 0 (dx and dy set to 0).
int ClientSizeChange(int storedWidth, int storedHeight, unsigned sizeType, uint32_t packedSize, int* dx, int* dy);

// Multiplies into 64 bits, divides and rounds half away from zero, like the
// platform's MulDiv; -1 for a zero divisor or a result beyond int32.
int MulDivRounded(int number, int numerator, int denominator);
// Dialog units to pixels given the dialog base unit of the axis (the low
// half of the base units for x with divisor 4, the high half for y with 8).
inline int DialogUnitsToPixelsWith(int units, int baseUnit, int divisor) {
  return MulDivRounded(units, baseUnit, divisor);
}
