// Remembered dialog placement and the resizable layout of the main dialog.
#pragma once
#include <windows.h>

// Atom of "CurrWndSize": names the window property that holds a resizable
// dialog's client size. The program adds it at start and deletes it at exit.
extern ATOM sizePropertyAtom;

// Called first for every message of a dialog; never consumes the message.
// Saves the window rectangle under the dialog's key (its hidden key label) in
// [DlgPos] on WM_MOVE and WM_SIZE, restores it at WM_INITDIALOG; for a
// resizable dialog also records the client size and creates the size grip.
void TrackDialogPlacement(HWND dialog, UINT message, WPARAM wParam, int resizable);
// The main dialog's WM_SIZE: moves and stretches the children by the change
// of the client size.
void RelayoutMainDialog(HWND dialog, WPARAM wParam, LPARAM lParam);
// The main dialog's WM_GETMINMAXINFO: the minimum tracking size in system
// dialog units.
void SetMinTrackSize(MINMAXINFO* info, int widthUnits, int heightUnits);

// 1 when the client size changed since the last layout, with the signed
// differences; the new size is then stored. Minimizing is never a change.
int DetectClientSizeChange(HWND dialog, WPARAM sizeType, LPARAM packedSize, int* dx, int* dy);
// The client size the children are laid out for, kept as the window
// property named by sizePropertyAtom. LoadClientSize returns 0 (sizes 0)
// while none is stored.
void StoreClientSize(HWND dialog, int width, int height);
int LoadClientSize(HWND dialog, int* width, int* height);

// System dialog units to pixels (GetDialogBaseUnits, not the dialog's font).
int DialogUnitsToPixelsX(int units);
int DialogUnitsToPixelsY(int units);

// Window rectangle of a dialog control in screen coordinates; 0 when the
// control does not exist.
int GetItemScreenRect(HWND dialog, int id, RECT* rect);
// Moves children lying beyond the reference point (screen coordinates) by
// dx, dy and stretches those reaching over it.
void ShiftOrStretchChildren(HWND dialog, int refX, int refY, int dx, int dy);
// Moves and resizes one child without repainting it. Each of x, y, width and
// height is an offset to the child's current value unless its bit in
// absoluteMask (0x1 x, 0x2 y, 0x4 width, 0x8 height) makes it absolute.
void AdjustChildWindow(HWND dialog, HWND child, int x, int y, int width, int height, int absoluteMask);

// Writes one to four numbers as one settings value (see FormatSettingsNumbers);
// the result of the settings write.
int WriteSettingsNumbers(const char* section, const char* key, int first, int second, int third, int fourth);
