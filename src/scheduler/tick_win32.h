// The once-a-second evaluation of the schedule.
#pragma once
#include <windows.h>

void CheckSchedules(HWND mainWindow);
