// Arming the main window's one-second tick.
#pragma once
#include <windows.h>

// Sets the tick timer to fire just after the next second boundary, so
// scheduled starts and the title clock follow the clock's seconds, not the
// phase at which the program happened to start. Called at every tick.
void ArmSecondTick(HWND dialog);
