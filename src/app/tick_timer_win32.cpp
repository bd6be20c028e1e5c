#include "app/tick_timer_win32.h"

#include "app/main_view.h"
#include "resources/ids.h"

void ArmSecondTick(HWND dialog) {
  SYSTEMTIME now;
  GetLocalTime(&now);
  SetTimer(dialog, TIMER_SECOND_TICK, DelayToNextSecond(now.wMilliseconds), nullptr);
}
