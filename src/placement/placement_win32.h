// Remembered dialog placement and the resizable layout of the main dialog.
#pragma once
#include <windows.h>

// Called first for every message of a dialog; never consumes the message.
void TrackDialogPlacement(HWND dialog, UINT message, WPARAM wParam, int resizable);
void RelayoutMainDialog(HWND dialog, WPARAM wParam, LPARAM lParam);
void SetMinTrackSize(MINMAXINFO* info, int widthUnits, int heightUnits);
