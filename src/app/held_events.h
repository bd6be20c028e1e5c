// What the main window does with what comes while a recording request is on
// its way to the plug-in (up to tens of seconds with a plug-in that is slow
// or whose quality dialog misbehaves). The window keeps answering meanwhile;
// what would act on the plug-in or the schedule waits for the answer and is
// carried out after it, in the order it came, as if it came then.
#pragma once
#include <cstdint>

// A recording command (start, stop), the player launch and the exit wait for
// the answer; everything else (the editor, the list, saving, minimising, the
// system menu) goes through at once.
bool CommandWaitsForHandOver(int commandId);

enum HeldKind {
  HELD_COMMAND = 1,    // value: the command id
  HELD_POWER,          // value: the power event
  HELD_CLOCK_CHANGE,   // value: 0
  HELD_CLOSE,          // the exit, already asked and answered: the window goes
};
struct HeldEvent {
  uint8_t kind;
  uint32_t value;
};
enum { HELD_EVENT_CAPACITY = 16 };
struct HeldEvents {
  HeldEvent events[HELD_EVENT_CAPACITY];
  int count;
};

// Keeps the event for after the answer. One just like the last one kept is
// not kept again (a button pressed twice, two clock changes in a row come
// out as one). False when no room is left: the event is dropped.
bool HoldEvent(HeldEvents* held, HeldKind kind, uint32_t value);
// Whether the event is among those kept.
bool HoldsEvent(const HeldEvents& held, HeldKind kind, uint32_t value);
// Hands back the events kept, oldest first, and empties the list.
int TakeHeldEvents(HeldEvents* held, HeldEvent* out, int capacity);
