// Benchmark build only: the tick keeps the plain 1000 ms period armed at
// start-up, with whatever phase it got, as a reference for the aligned tick.
#include "app/tick_timer_win32.h"

void ArmSecondTick(HWND, const LocalTimeFields&) {}
