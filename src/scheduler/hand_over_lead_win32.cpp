#include "scheduler/tick_win32.h"

int32_t HandOverLeadSeconds() { return PRE_ARM_LEAD_SECONDS; }
