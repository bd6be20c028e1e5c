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

// Everything one hand-over needs, copied: the block, whether the quality
// dialog follows, the plug-in it goes to and the deadline. It can be handed
// over on any thread, with no look at the schedule list or pluginWindow.
struct RecordingRequest {
  HWND plugin;
  HWND mainWindow;  // the sender the request names (the WM_COPYDATA wParam)
  uint8_t withParameters;
  RequestDeadline deadline;
  char block[REQUEST_BLOCK_SIZE];
};
// Builds the request for the entry and the file name, to pluginWindow.
// REQUEST_DONE when it is ready to go; no entry, no live plug-in or a name
// that does not fit the block say why not.
RequestResult PrepareRecordingRequest(HWND mainWindow, const ScheduleEntry* entry, const char* fileName,
                                      const RequestDeadline& deadline, RecordingRequest* request);
// Sends a prepared request and, with parameters, confirms the plug-in's
// quality dialog, without starting the recording. Blocks the calling thread:
// each wait ends at its own limit (at most 20 s) or at the deadline,
// whichever comes first, and what is not done by then has failed.
RequestResult DeliverRecordingRequest(const RecordingRequest& request);

// Both on the calling thread: the entry's request handed over (parameters
// and file name, the quality dialog confirmed) without starting the recording.
RequestResult HandOverRecordingRequest(HWND mainWindow, const ScheduleEntry* entry, const char* fileName,
                                       const RequestDeadline& deadline);
// The same, then starts the recording when the hand-over succeeded.
RequestResult SendRecordingRequest(HWND mainWindow, const ScheduleEntry* entry, const char* fileName);
// The plug-in's open quality dialog: looked for once, or waited for within
// limitMs. None when it did not appear or the plug-in went away.
HWND FindQualityDialog(HWND plugin, bool once, uint32_t limitMs = QUALITY_WAIT_LIMIT_MS);
