#include "app/tick_timer_win32.h"

#include "app/main_view.h"
#include "resources/ids.h"
#include "scheduler/naming_win32.h"

void ArmSecondTick(HWND dialog, const LocalTimeFields& ticked) {
  // A delay of 0 is the timer's shortest.
  SetTimer(dialog, TIMER_SECOND_TICK, DelayToNextTick(ticked, LocalTimeNow()), nullptr);
}
