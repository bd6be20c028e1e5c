// Remote control of the recording plug-in that runs inside the player.
#pragma once
#include <windows.h>

#include "schedule/schedule.h"

// The plug-in's window (another process's), or none. Tested with IsWindow
// before every use.
extern HWND pluginWindow;

HWND FindPluginWindow();
bool IsRecording();
void StartRecordingCommand();
void StopRecordingCommand();
void SendRecordingRequest(HWND mainWindow, const ScheduleEntry* entry, const char* fileName);
HWND FindQualityDialog(bool once);

// Timer 1 of the main dialog: looks for the plug-in every 4 seconds.
void OnSearchTimer(HWND mainWindow);
// Part of the one-second tick: follows the plug-in's state and runs the
// schedule while the plug-in lives.
void OnConnectionTick(HWND mainWindow);
