// Placement arithmetic: pure decisions on numbers and the stored texts.
#include "placement/placement.h"

#include <cstdint>

#include "text/text.h"

int FormatSettingsNumbers(char* dst, size_t cap, int first, int second, int third, int fourth) {
  if (fourth != SETTINGS_NO_NUMBER) return FormatText(dst, cap, "%d %d %d %d", first, second, third, fourth);
  if (third != SETTINGS_NO_NUMBER) return FormatText(dst, cap, "%d %d %d", first, second, third);
  if (second != SETTINGS_NO_NUMBER) return FormatText(dst, cap, "%d %d", first, second);
  return FormatText(dst, cap, "%d", first);
}

int PlacementNeedsWrite(const char* storedValue, const Placement& current) {
  Placement stored{0, 0, 0, 0};
  const ScanTarget targets[] = {ScanInt(&stored.x), ScanInt(&stored.y), ScanInt(&stored.width),
                                ScanInt(&stored.height)};
  ScanRecord(storedValue != nullptr ? storedValue : "", "%d %d %d %d", targets, 4);
  return stored == current ? 0 : 1;
}

Placement FitOnScreen(const Placement& wanted, const ScreenMetrics& screen) {
  // In 64 bits: a stored coordinate near the int32 limit must not wrap
  // round into an apparently visible position.
  int64_t caption = screen.captionHeight;
  bool offRight = static_cast<int64_t>(wanted.x) + caption >= screen.width;
  bool offBottom = static_cast<int64_t>(wanted.y) + caption >= screen.height;
  if (!offRight && !offBottom) return wanted;
  Placement centred = wanted;
  centred.x = CentredStart(0, screen.width, wanted.width);
  centred.y = CentredStart(0, screen.height, wanted.height);
  return centred;
}

Placement RestoredPlacement(const char* storedValue, int resizable, const Placement& current,
                            const ScreenMetrics& screen) {
  Placement wanted{PLACEMENT_UNSET, PLACEMENT_UNSET, current.width, current.height};
  const ScanTarget targets[] = {ScanInt(&wanted.x), ScanInt(&wanted.y), ScanInt(&wanted.width),
                                ScanInt(&wanted.height)};
  const char* text = storedValue != nullptr ? storedValue : "";
  // The fixed-size dialog keeps its template size whatever the value holds.
  if (resizable) {
    ScanRecord(text, "%d %d %d %d", targets, 4);
  } else {
    ScanRecord(text, "%d %d", targets, 2);
  }
  return FitOnScreen(wanted, screen);
}

int CentredStart(int areaStart, int areaLength, int length) {
  // An arithmetic shift halves towards minus infinity, also for a window
  // longer than the area.
  int64_t start = areaStart + ((static_cast<int64_t>(areaLength) - length) >> 1);
  if (start > INT32_MAX) return INT32_MAX;
  if (start < INT32_MIN) return INT32_MIN;
  return static_cast<int>(start);
}

namespace {

// The gap between two ranges [low, high) on one axis; 0 when they overlap.
int64_t Gap(int64_t low, int64_t high, int64_t otherLow, int64_t otherHigh) {
  if (high <= otherLow) return otherLow - high;
  if (otherHigh <= low) return low - otherHigh;
  return 0;
}

bool Overlaps(int64_t low, int64_t high, int64_t otherLow, int64_t otherHigh) {
  return high > otherLow && low < otherHigh;
}

}  // namespace

Placement KeepOnMonitors(const Placement& placed, const MonitorArea* monitors, int count) {
  if (monitors == nullptr || count <= 0) return placed;
  // In 64 bits: a stored rectangle near the int32 limits must not wrap.
  int64_t right = static_cast<int64_t>(placed.x) + placed.width;
  int64_t bottom = static_cast<int64_t>(placed.y) + placed.height;
  int nearest = 0;
  double nearestDistance = 0;
  for (int i = 0; i < count; ++i) {
    const ScreenRect& m = monitors[i].monitor;
    if (Overlaps(placed.x, right, m.left, m.right) && Overlaps(placed.y, bottom, m.top, m.bottom)) return placed;
    // Squared in floating point: the gaps may reach 2^32.
    double dx = static_cast<double>(Gap(placed.x, right, m.left, m.right));
    double dy = static_cast<double>(Gap(placed.y, bottom, m.top, m.bottom));
    double distance = dx * dx + dy * dy;
    if (i == 0 || distance < nearestDistance) {
      nearest = i;
      nearestDistance = distance;
    }
  }
  const ScreenRect& work = monitors[nearest].work;
  Placement moved = placed;
  moved.x = CentredStart(work.left, work.right - work.left, placed.width);
  moved.y = CentredStart(work.top, work.bottom - work.top, placed.height);
  if (moved.x < work.left) moved.x = work.left;
  if (moved.y < work.top) moved.y = work.top;
  return moved;
}

AxisAdjustment ChildAxisAdjustment(int lowEdge, int highEdge, int reference) {
  if (lowEdge > reference) return AXIS_MOVE;
  if (highEdge > reference) return AXIS_STRETCH;
  return AXIS_KEEP;
}

uint32_t PackClientSize(int width, int height) {
  return (static_cast<uint32_t>(height) & 0xFFFFu) << 16 | (static_cast<uint32_t>(width) & 0xFFFFu);
}

void UnpackClientSize(uint32_t packed, int* width, int* height) {
  *width = static_cast<int>(packed & 0xFFFFu);
  *height = static_cast<int>(packed >> 16 & 0xFFFFu);
}

int ClientSizeChange(int storedWidth, int storedHeight, unsigned sizeType, uint32_t packedSize, int* dx, int* dy) {
  const unsigned kSizeMinimized = 1;
  *dx = 0;
  *dy = 0;
  if (sizeType == kSizeMinimized) return 0;
  int newWidth = static_cast<int16_t>(packedSize & 0xFFFFu);
  int newHeight = static_cast<int16_t>(packedSize >> 16 & 0xFFFFu);
  if (newWidth == storedWidth && newHeight == storedHeight) return 0;
  *dx = newWidth - storedWidth;
  *dy = newHeight - storedHeight;
  return 1;
}

int MulDivRounded(int number, int numerator, int denominator) {
  if (denominator == 0) return -1;
  int64_t product = static_cast<int64_t>(number) * numerator;
  int64_t divisor = denominator;
  if (divisor < 0) {
    product = -product;
    divisor = -divisor;
  }
  // Half the divisor towards the sign of the result, then truncate: rounds
  // half away from zero.
  int64_t half = divisor / 2;
  int64_t result = product >= 0 ? (product + half) / divisor : (product - half) / divisor;
  if (result > 2147483647 || result < -2147483647) return -1;
  return static_cast<int>(result);
}
