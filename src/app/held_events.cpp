#include "app/held_events.h"

#include "resources/ids.h"

bool CommandWaitsForHandOver(int commandId) {
  switch (commandId) {
    case IDC_MAIN_START:
    case IDC_MAIN_STOP:
    case IDC_MAIN_LAUNCH:
    case IDC_MAIN_EXIT: return true;
    default: return false;
  }
}

bool HoldEvent(HeldEvents* held, HeldKind kind, uint32_t value) {
  if (held->count > 0) {
    const HeldEvent& last = held->events[held->count - 1];
    if (last.kind == kind && last.value == value) return true;
  }
  if (held->count < 0 || held->count >= HELD_EVENT_CAPACITY) return false;
  held->events[held->count].kind = static_cast<uint8_t>(kind);
  held->events[held->count].value = value;
  ++held->count;
  return true;
}

bool HoldsEvent(const HeldEvents& held, HeldKind kind, uint32_t value) {
  for (int i = 0; i < held.count && i < HELD_EVENT_CAPACITY; ++i)
    if (held.events[i].kind == kind && held.events[i].value == value) return true;
  return false;
}

int TakeHeldEvents(HeldEvents* held, HeldEvent* out, int capacity) {
  int taken = 0;
  for (int i = 0; i < held->count && i < HELD_EVENT_CAPACITY && taken < capacity; ++i) out[taken++] = held->events[i];
  held->count = 0;
  return taken;
}
