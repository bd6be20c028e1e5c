// Placeholder until the plug-in control lands: the main window's calls are
// routed here, and nothing is connected yet.
#include "recorder/plugin_win32.h"

HWND pluginWindow = nullptr;

HWND FindPluginWindow() { return nullptr; }
bool IsRecording() { return false; }
void StartRecordingCommand() {}
void StopRecordingCommand() {}
void SendRecordingRequest(HWND, const ScheduleEntry*, const char*) {}
HWND FindQualityDialog(bool) { return nullptr; }
void OnSearchTimer(HWND) {}
void OnConnectionTick(HWND) {}
