// Remembered dialog placement and the resizable layout of the main dialog:
// reads the windows and the settings, lets the placement arithmetic decide,
// and moves the windows accordingly.
#include "placement/placement_win32.h"

#include <cstdint>

#include "placement/placement.h"
#include "resources/ids.h"
#include "resources/strings.h"
#include "schedule/settings_win32.h"
#include "ui/ui_win32.h"

ATOM sizePropertyAtom = 0;

namespace {

const char kScrollBarClass[] = "scrollbar";
const DWORD kSizeGripStyle =
    WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_GROUP | SBS_SIZEGRIP | SBS_SIZEBOXBOTTOMRIGHTALIGN;
static_assert(kSizeGripStyle == 0x54020014, "size grip style");

const int kMaskX = 0x1;
const int kMaskY = 0x2;
const int kMaskWidth = 0x4;
const int kMaskHeight = 0x8;

// The placement key is the text of the hidden label; no label or an empty
// text means the dialog takes no part.
int ReadPlacementKey(HWND dialog, char* key, int capacity) {
  key[0] = '\0';
  return GetDlgItemTextA(dialog, IDC_PLACEMENT_KEY, key, capacity) > 0 ? 1 : 0;
}

Placement WindowPlacement(HWND window) {
  RECT r;
  if (!GetWindowRect(window, &r)) return Placement{0, 0, 0, 0};
  return Placement{r.left, r.top, r.right - r.left, r.bottom - r.top};
}

// WM_MOVE and WM_SIZE: remember the normal window rectangle. Minimized and
// maximized rectangles are not the user's placement.
void SavePlacement(HWND dialog) {
  if (IsIconic(dialog) || IsZoomed(dialog)) return;
  char key[PLACEMENT_KEY_CAPACITY];
  if (!ReadPlacementKey(dialog, key, sizeof key)) return;
  char stored[PLACEMENT_VALUE_CAPACITY];
  ReadSetting(STR_SECTION_DLGPOS, key, stored, sizeof stored);
  Placement current = WindowPlacement(dialog);
  if (!PlacementNeedsWrite(stored, current)) return;
  WriteSettingsNumbers(STR_SECTION_DLGPOS, key, current.x, current.y, current.width, current.height);
}

// More monitors than any desk holds.
const int kMonitorCapacity = 32;

// The monitors as the system lists them.
struct MonitorList {
  MonitorArea areas[kMonitorCapacity];
  int count;
  bool complete;
};

ScreenRect ToScreenRect(const RECT& r) { return ScreenRect{r.left, r.top, r.right, r.bottom}; }

BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM param) {
  MonitorList* list = reinterpret_cast<MonitorList*>(param);
  MONITORINFO info;
  info.cbSize = sizeof info;
  if (!GetMonitorInfoA(monitor, &info)) return TRUE;
  if (list->count == kMonitorCapacity) {
    list->complete = false;
    return FALSE;
  }
  list->areas[list->count++] = MonitorArea{ToScreenRect(info.rcMonitor), ToScreenRect(info.rcWork)};
  return TRUE;
}

// False when the monitors could not all be listed: then nothing is known to
// be off every monitor.
bool ListMonitors(MonitorList* list) {
  list->count = 0;
  list->complete = true;
  if (!EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(list))) return false;
  return list->complete && list->count > 0;
}

void CreateSizeGrip(HWND dialog, int clientWidth, int clientHeight) {
  int gripWidth = DialogUnitsToPixelsX(SIZE_GRIP_UNITS);
  int gripHeight = DialogUnitsToPixelsY(SIZE_GRIP_UNITS);
  CreateWindowExA(0, kScrollBarClass, "", kSizeGripStyle, clientWidth - gripWidth,
                  clientHeight - gripHeight, gripWidth, gripHeight, dialog,
                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_SIZE_GRIP)), InstanceOf(dialog), nullptr);
}

// WM_INITDIALOG: the resizable dialog first records the template's client
// size (the layout's starting point) and gets its grip; then the stored
// placement is put back. The move sends WM_MOVE and WM_SIZE, which write
// the placement and lay the children out for a restored size.
void RestorePlacement(HWND dialog, int resizable) {
  if (resizable) {
    RECT client;
    GetClientRect(dialog, &client);
    StoreClientSize(dialog, client.right, client.bottom);
    CreateSizeGrip(dialog, client.right, client.bottom);
  }
  char key[PLACEMENT_KEY_CAPACITY];
  if (!ReadPlacementKey(dialog, key, sizeof key)) return;
  char stored[PLACEMENT_VALUE_CAPACITY];
  ReadSetting(STR_SECTION_DLGPOS, key, stored, sizeof stored);
  ScreenMetrics screen{GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), GetSystemMetrics(SM_CYCAPTION)};
  Placement target = RestoredPlacement(stored, resizable, WindowPlacement(dialog), screen);
  MoveWindow(dialog, target.x, target.y, target.width, target.height, FALSE);
  // A stored position off to the left or top, or in a corner of the virtual
  // screen that no monitor shows, is kept as stored; if that leaves the
  // dialog on no monitor at all, bring it onto the nearest one.
  MonitorList monitors;
  if (!ListMonitors(&monitors)) return;
  Placement placed = WindowPlacement(dialog);
  Placement shown = KeepOnMonitors(placed, monitors.areas, monitors.count);
  if (!(shown == placed)) MoveWindow(dialog, shown.x, shown.y, shown.width, shown.height, FALSE);
}

LPCSTR SizePropertyName() { return MAKEINTATOM(sizePropertyAtom); }

}  // namespace

void TrackDialogPlacement(HWND dialog, UINT message, WPARAM, int resizable) {
  switch (message) {
    case WM_MOVE:
    case WM_SIZE: SavePlacement(dialog); break;
    case WM_INITDIALOG: RestorePlacement(dialog, resizable); break;
    default: break;
  }
}

void RelayoutMainDialog(HWND dialog, WPARAM wParam, LPARAM lParam) {
  int dx = 0;
  int dy = 0;
  if (!DetectClientSizeChange(dialog, wParam, lParam, &dx, &dy)) return;
  // The reference point is taken before any child moves.
  RECT list;
  if (!GetItemScreenRect(dialog, IDC_MAIN_LIST, &list)) return;
  ShiftOrStretchChildren(dialog, list.right - LAYOUT_REFERENCE_INSET, list.bottom - LAYOUT_REFERENCE_INSET, dx, dy);
  // The children moved without repainting: one repaint of the whole dialog.
  InvalidateRect(dialog, nullptr, TRUE);
}

void SetMinTrackSize(MINMAXINFO* info, int widthUnits, int heightUnits) {
  if (!info) return;
  info->ptMinTrackSize.x = DialogUnitsToPixelsX(widthUnits);
  info->ptMinTrackSize.y = DialogUnitsToPixelsY(heightUnits);
}

int DetectClientSizeChange(HWND dialog, WPARAM sizeType, LPARAM packedSize, int* dx, int* dy) {
  *dx = 0;
  *dy = 0;
  int storedWidth = 0;
  int storedHeight = 0;
  // Before WM_INITDIALOG has recorded the template's client size there is
  // nothing to compare with: the children still stand where the template
  // put them.
  if (!LoadClientSize(dialog, &storedWidth, &storedHeight)) return 0;
  if (!ClientSizeChange(storedWidth, storedHeight, static_cast<unsigned>(sizeType),
                        static_cast<uint32_t>(packedSize), dx, dy))
    return 0;
  StoreClientSize(dialog, storedWidth + *dx, storedHeight + *dy);
  return 1;
}

// The packed word is never 0 for a laid-out dialog: its minimum tracking
// size keeps the client area from shrinking to nothing, so 0 (what GetPropA
// gives for a missing property) can stand for "none stored".
void StoreClientSize(HWND dialog, int width, int height) {
  UINT_PTR packed = PackClientSize(width, height);
  SetPropA(dialog, SizePropertyName(), reinterpret_cast<HANDLE>(packed));
}

int LoadClientSize(HWND dialog, int* width, int* height) {
  UINT_PTR packed = reinterpret_cast<UINT_PTR>(GetPropA(dialog, SizePropertyName()));
  UnpackClientSize(static_cast<uint32_t>(packed), width, height);
  return packed != 0 ? 1 : 0;
}

int DialogUnitsToPixelsX(int units) {
  return DialogUnitsToPixelsWith(units, LOWORD(GetDialogBaseUnits()), 4);
}

int DialogUnitsToPixelsY(int units) {
  return DialogUnitsToPixelsWith(units, HIWORD(GetDialogBaseUnits()), 8);
}

int GetItemScreenRect(HWND dialog, int id, RECT* rect) {
  HWND item = GetDlgItem(dialog, id);
  if (!item) return 0;
  return GetWindowRect(item, rect) ? 1 : 0;
}

void ShiftOrStretchChildren(HWND dialog, int refX, int refY, int dx, int dy) {
  for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    RECT r;
    if (!GetWindowRect(child, &r)) continue;
    switch (ChildAxisAdjustment(r.left, r.right, refX)) {
      case AXIS_MOVE: AdjustChildWindow(dialog, child, dx, 0, 0, 0, 0); break;
      case AXIS_STRETCH: AdjustChildWindow(dialog, child, 0, 0, dx, 0, 0); break;
      case AXIS_KEEP: break;
    }
    switch (ChildAxisAdjustment(r.top, r.bottom, refY)) {
      case AXIS_MOVE: AdjustChildWindow(dialog, child, 0, dy, 0, 0, 0); break;
      case AXIS_STRETCH: AdjustChildWindow(dialog, child, 0, 0, 0, dy, 0); break;
      case AXIS_KEEP: break;
    }
  }
}

void AdjustChildWindow(HWND dialog, HWND child, int x, int y, int width, int height, int absoluteMask) {
  RECT r;
  if (!GetWindowRect(child, &r)) return;
  POINT topLeft{r.left, r.top};
  POINT bottomRight{r.right, r.bottom};
  ScreenToClient(dialog, &topLeft);
  ScreenToClient(dialog, &bottomRight);
  if (!(absoluteMask & kMaskX)) x += topLeft.x;
  if (!(absoluteMask & kMaskY)) y += topLeft.y;
  if (!(absoluteMask & kMaskWidth)) width += bottomRight.x - topLeft.x;
  if (!(absoluteMask & kMaskHeight)) height += bottomRight.y - topLeft.y;
  MoveWindow(child, x, y, width, height, FALSE);
}

int WriteSettingsNumbers(const char* section, const char* key, int first, int second, int third, int fourth) {
  char text[SETTINGS_NUMBERS_CAPACITY];
  FormatSettingsNumbers(text, sizeof text, first, second, third, fourth);
  return WriteSetting(section, key, text);
}
