// Remote control of the recording plug-in: finding its window, reading its
// state, the start and stop commands, and the recording request before a
// scheduled recording. The decisions on texts and the request block are in
// recorder/request.cpp; this file talks to the windows.
#include "recorder/plugin_win32.h"

#include "recorder/plugin_contract.h"
#include "resources/strings.h"
#include "ui/ui_win32.h"

HWND pluginWindow = nullptr;

namespace {

bool Alive(HWND plugin) { return plugin != nullptr && IsWindow(plugin) != FALSE; }

bool PluginAlive() { return Alive(pluginWindow); }

// The top-level window owned by owner whose title is the quality dialog's, or none.
HWND QualityDialogOf(HWND owner) {
  for (HWND w = GetWindow(owner, GW_HWNDFIRST); w; w = GetWindow(w, GW_HWNDNEXT)) {
    if (GetParent(w) != owner) continue;
    char title[WINDOW_TITLE_CAPACITY];
    ReadWindowTitle(w, title, sizeof title);
    if (IsQualityDialogTitle(title)) return w;
  }
  return nullptr;
}

// After IDOK the quality dialog should go away. A dialog that never does must
// not hold the hand-over forever: give it as long as the opening (limitMs),
// and give up at once when the plug-in itself is gone. Returns true when the
// dialog closed while the plug-in still lives.
bool WaitForQualityDialogToClose(HWND plugin, HWND quality, uint32_t limitMs) {
  DWORD started = GetTickCount();
  for (;;) {
    if (!Alive(plugin)) return false;
    // A dying player takes both windows down, in no set order: the dialog's
    // going only counts while the plug-in is still there after it.
    if (!IsWindow(quality)) return Alive(plugin);
    if (TicksElapsed(started, GetTickCount(), limitMs)) return false;
    Sleep(QUALITY_POLL_MS);
  }
}

// Brings up the quality dialog (unless it is open already), accepts it and
// waits for it to close. Each wait gets its own limit, cut at the deadline.
RequestResult ConfirmQualityDialog(HWND plugin, const RequestDeadline& deadline) {
  HWND quality = FindQualityDialog(plugin, true);
  if (!quality) {
    PostCommand(plugin, PLUGIN_COMMAND_QUALITY);
    quality = FindQualityDialog(plugin, false, WaitLimit(QUALITY_WAIT_LIMIT_MS, deadline, GetTickCount()));
    if (!quality) return Alive(plugin) ? REQUEST_QUALITY_NOT_OPENED : REQUEST_PLUGIN_GONE;
  }
  PostCommand(quality, IDOK);
  if (WaitForQualityDialogToClose(plugin, quality, WaitLimit(QUALITY_WAIT_LIMIT_MS, deadline, GetTickCount())))
    return REQUEST_DONE;
  return Alive(plugin) ? REQUEST_QUALITY_NOT_CLOSED : REQUEST_PLUGIN_GONE;
}

// The command goes out first and the plug-in is brought to the front after:
// making another program's window the foreground one can take tens of
// milliseconds, and a start must not wait for it.
void PostToPlugin(WPARAM command) {
  PostCommand(pluginWindow, command);
  SetForegroundWindow(pluginWindow);
}

}  // namespace

HWND FindPluginWindow() {
  HWND player = FindWindowA(STR_PLAYER_CLASS, nullptr);
  if (!player) return nullptr;
  for (HWND w = GetWindow(player, GW_HWNDFIRST); w; w = GetWindow(w, GW_HWNDNEXT)) {
    char className[CLASS_NAME_CAPACITY];
    ReadClassName(w, className, sizeof className);
    if (GetParent(w) != player || lstrcmpA(className, STR_DIALOG_CLASS) != 0) continue;
    char title[WINDOW_TITLE_CAPACITY];
    ReadWindowTitle(w, title, sizeof title);
    if (IsPluginTitle(title)) return w;
  }
  return nullptr;
}

PluginState ReadPluginState() {
  if (!PluginAlive()) return PLUGIN_NONE;
  HWND state = GetDlgItem(pluginWindow, PLUGIN_STATE_CONTROL);
  if (!state) return PLUGIN_NO_ANSWER;
  char text[STATE_TEXT_CAPACITY];
  text[0] = '\0';
  DWORD_PTR copied = 0;
  // A plug-in that stopped answering costs this one bounded wait per tick;
  // what it might say is not guessed.
  if (!SendMessageTimeoutA(state, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                           SMTO_NORMAL | SMTO_ABORTIFHUNG, STATE_READ_LIMIT_MS, &copied))
    return PluginAlive() ? PLUGIN_NO_ANSWER : PLUGIN_NONE;
  text[sizeof text - 1] = '\0';
  return IsIdleStateText(text) ? PLUGIN_IDLE : PLUGIN_RECORDING;
}

void StartPluginRecording() {
  if (PluginAlive()) PostToPlugin(PLUGIN_COMMAND_START);
}

void StopPluginRecording() {
  if (PluginAlive()) PostToPlugin(PLUGIN_COMMAND_STOP);
}

void StartRecordingCommand() {
  if (ReadPluginState() == PLUGIN_IDLE) PostToPlugin(PLUGIN_COMMAND_START);
}

void StopRecordingCommand() {
  if (ReadPluginState() == PLUGIN_RECORDING) PostToPlugin(PLUGIN_COMMAND_STOP);
}

RequestResult PrepareRecordingRequest(HWND mainWindow, const ScheduleEntry* entry, const char* fileName,
                                      const RequestDeadline& deadline, RecordingRequest* request) {
  if (!entry) return REQUEST_NOT_TAKEN;
  if (!PluginAlive()) return REQUEST_PLUGIN_GONE;
  request->plugin = pluginWindow;
  request->mainWindow = mainWindow;
  request->withParameters = (entry->flags & FLAG_MP3_PARAMS) != 0;
  request->deadline = deadline;
  // A cut name would send the recording to some other file.
  return BuildRecordingRequest(request->block, entry, fileName) ? REQUEST_DONE : REQUEST_NAME_TOO_LONG;
}

RequestResult DeliverRecordingRequest(const RecordingRequest& request) {
  if (!Alive(request.plugin)) return REQUEST_PLUGIN_GONE;
  // Nothing is sent once the deadline has come: the start on the second
  // hands the request over itself.
  const uint32_t sendLimitMs = WaitLimit(REQUEST_SEND_LIMIT_MS, request.deadline, GetTickCount());
  if (sendLimitMs == 0) return REQUEST_NOT_TAKEN;
  COPYDATASTRUCT data;
  data.dwData = REQUEST_DATA_ID;
  data.cbData = REQUEST_BLOCK_SIZE;
  data.lpData = const_cast<char*>(request.block);
  DWORD_PTR answer = 0;
  LRESULT delivered = SendMessageTimeoutA(request.plugin, WM_COPYDATA, reinterpret_cast<WPARAM>(request.mainWindow),
                                          reinterpret_cast<LPARAM>(&data), SMTO_NORMAL, sendLimitMs, &answer);
  // Not taken within the limit (or the plug-in went away): starting now
  // would record under whatever name the plug-in had before.
  if (!delivered) return Alive(request.plugin) ? REQUEST_NOT_TAKEN : REQUEST_PLUGIN_GONE;
  // Parameters only count once the plug-in's quality dialog has accepted them.
  if (request.withParameters) return ConfirmQualityDialog(request.plugin, request.deadline);
  return REQUEST_DONE;
}

RequestResult HandOverRecordingRequest(HWND mainWindow, const ScheduleEntry* entry, const char* fileName,
                                       const RequestDeadline& deadline) {
  RecordingRequest request;
  RequestResult prepared = PrepareRecordingRequest(mainWindow, entry, fileName, deadline, &request);
  return prepared == REQUEST_DONE ? DeliverRecordingRequest(request) : prepared;
}

RequestResult SendRecordingRequest(HWND mainWindow, const ScheduleEntry* entry, const char* fileName) {
  RequestResult result = HandOverRecordingRequest(mainWindow, entry, fileName, NO_DEADLINE);
  if (result == REQUEST_DONE) StartPluginRecording();
  return result;
}

HWND FindQualityDialog(HWND plugin, bool once, uint32_t limitMs) {
  DWORD started = GetTickCount();
  for (;;) {
    if (!Alive(plugin)) return nullptr;
    // Looked for at least once, also with no time left.
    HWND quality = QualityDialogOf(plugin);
    if (quality || once || TicksElapsed(started, GetTickCount(), limitMs)) return quality;
    Sleep(QUALITY_POLL_MS);
  }
}
