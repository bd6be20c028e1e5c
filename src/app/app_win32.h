// Process-wide state of the running program and the main routine.
#pragma once
#include <windows.h>

#include "schedule/schedule.h"

// Full path of the settings file beside the program (a MAX_PATH-sized buffer
// so any path Windows can start a program from fits).
extern char settingsPath[MAX_PATH + 8];
// Always empty: the empty default and the empty window text.
extern const char emptyString[1];
extern HINSTANCE appInstance;
// Atom of "CurrWndSize": names the property holding a dialog's client size.
extern ATOM sizePropertyAtom;

// Sets settingsPath from the given module path (tests use it too).
void InitSettingsPath(const char* modulePath);

// Registers the main dialog's private class (idempotent).
int RegisterMainClass(HINSTANCE instance);

// Main routine: single instance, atom, settings path, class, main dialog,
// message loop. Returns the exit code.
int TavelundMain(HINSTANCE instance, const char* commandTail, int showCommand);

// Process entry: start-up information and command tail, then TavelundMain.
int ProcessEntry();
