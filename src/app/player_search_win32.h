// The main window's player launch (command 103). When the player's path has
// to be searched for on the fixed drives, the search goes in short steps
// between the window's messages: the tick, the painting and the buttons go
// on meanwhile, and the status line tells where the search is.
#pragma once
#include <windows.h>

// Starts the player from where it is known, or begins the drive search for
// it. Does nothing while a launch is under way.
void LaunchPlayer(HWND dialog);
// From the command until the launch is over, its message closed if one came.
bool PlayerLaunchUnderWay();
// The search's timer: one step, then the timer is set anew from the step's
// end, so the tick always has its turn. It keeps the search going inside the
// modal loops of message boxes and dialogs as well.
void OnDriveSearchTimer(HWND dialog);
// For the message loop: while true, it calls StepDriveSearchWhenIdle each
// time no message waits.
bool DriveSearchWantsIdleSteps();
void StepDriveSearchWhenIdle();
// While the exit question is open the search waits for the answer.
void HoldDriveSearch(HWND dialog, bool held);
// The window goes: a search still going is given up, its listings closed,
// and nothing is stored, started or told.
void EndPlayerLaunch();
