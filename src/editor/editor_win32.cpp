// Placeholder until the editor lands.
#include "editor/editor_win32.h"

INT_PTR CALLBACK ScheduleEditorProc(HWND, UINT, WPARAM, LPARAM) { return 0; }
INT_PTR RunScheduleEditor(HWND, ScheduleEntry*) { return IDCANCEL; }
