// The running program's own state and the main routine.
#pragma once
#include <windows.h>

#include "app/held_events.h"
#include "scheduler/tick.h"
#include "scheduler/tick_win32.h"

// What the program keeps for its whole run, in one place. The lower modules
// own their own state (the list, the plug-in's window, the settings path)
// and are handed what else they need as arguments.
struct AppState {
  HINSTANCE instance;
  // Unsaved changes to the schedule, and the state the save button last
  // showed (255 at start, so the first tick always sets the button).
  BYTE scheduleDirty;
  BYTE shownDirty;
  // The last tick's reading: a clock change is measured against it.
  TickReading lastReading;
  // The next window's request, handed over to the plug-in ahead of its second.
  ArmedStart ahead;
  // When the program last started the player: the plug-in is looked for
  // every second for a while after.
  PlayerLaunch launch;
  // A recording request on its way on the request worker; what came for the
  // main window meanwhile and waits for its answer; and whether a tick came
  // meanwhile (it only moved the clock: the schedule is looked at after).
  HandOverUnderWay underWay;
  HeldEvents held;
  BYTE tickSkipped;
};
extern AppState app;

// Sets settingsPath from the given module path (tests use it too).
void InitSettingsPath(const char* modulePath);

// Registers the main dialog's private class (idempotent).
int RegisterMainClass(HINSTANCE instance);

// The message loop of the main dialog, until WM_QUIT; its exit code. A drive
// search for the player takes its steps whenever no message waits.
int RunMessageLoop(HWND dialog);

// Main routine: single instance, atom, settings path, class, main dialog,
// message loop. Returns the exit code.
int TavelundMain(HINSTANCE instance, const char* commandTail, int showCommand);

// Process entry: start-up information and command tail, then TavelundMain.
int ProcessEntry();
