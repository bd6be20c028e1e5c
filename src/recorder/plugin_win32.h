// Remote control of the recording plug-in that runs inside the player.
#pragma once
#include <windows.h>

#include "recorder/plugin_contract.h"
#include "recorder/request.h"
#include "schedule/schedule.h"

// The plug-in's window (another process's), or none. Tested with IsWindow
// before every use.
extern HWND pluginWindow;

HWND FindPluginWindow();
// Reads the plug-in's state control once, waiting at most the read limit:
// none when no plug-in window lives, no answer when it did not answer (or has
// no state control) in time, else idle or recording.
PluginState ReadPluginState();
// Starts or stops the plug-in's recording: brings it to the front and posts
// the command. The caller has read the state.
void StartPluginRecording();
void StopPluginRecording();
// The manual commands: start when the plug-in is idle, stop when it records.
void StartRecordingCommand();
void StopRecordingCommand();

// Hands the plug-in the entry's parameters and the file name (and, with
// parameters, confirms its quality dialog) without starting the recording.
// Every wait ends at the deadline at the latest; what is not done by then
// has failed.
RequestResult HandOverRecordingRequest(HWND mainWindow, const ScheduleEntry* entry, const char* fileName,
                                       const RequestDeadline& deadline);
// The same, then starts the recording when the hand-over succeeded.
RequestResult SendRecordingRequest(HWND mainWindow, const ScheduleEntry* entry, const char* fileName);
// The plug-in's open quality dialog: looked for once, or waited for within
// limitMs. None when it did not appear or the plug-in went away.
HWND FindQualityDialog(bool once, uint32_t limitMs = QUALITY_WAIT_LIMIT_MS);
