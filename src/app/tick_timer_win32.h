// Arming the main window's one-second tick.
#pragma once
#include <windows.h>

#include "scheduler/naming.h"

// Sets the tick timer to fire just after the next second boundary, so
// scheduled starts and the title clock follow the clock's seconds, not the
// phase at which the program happened to start; at once when the clock has
// left the second `ticked` the tick read. Called at the end of every tick.
void ArmSecondTick(HWND dialog, const LocalTimeFields& ticked);
