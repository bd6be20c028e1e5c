// Placeholder until placement memory lands.
#include "placement/placement_win32.h"

void TrackDialogPlacement(HWND, UINT, WPARAM, int) {}
void RelayoutMainDialog(HWND, WPARAM, LPARAM) {}
void SetMinTrackSize(MINMAXINFO*, int, int) {}
