// Remote control of the recording plug-in: finding its window, following its
// state, the manual start and stop, and the recording request before a
// scheduled recording. The decisions on texts and the request block are in
// recorder/request.cpp; this file talks to the windows.
#include "recorder/plugin_win32.h"

#include "app/ui_win32.h"
#include "recorder/plugin_contract.h"
#include "recorder/request.h"
#include "resources/ids.h"
#include "resources/strings.h"
#include "scheduler/tick_win32.h"

HWND pluginWindow = nullptr;

namespace {

bool PluginAlive() { return pluginWindow != nullptr && IsWindow(pluginWindow); }

// Class name and title of a window, always terminated (empty when unreadable).
void ReadClassName(HWND window, char* name, int capacity) {
  name[0] = '\0';
  if (GetClassNameA(window, name, capacity) <= 0) name[0] = '\0';
  name[capacity - 1] = '\0';
}

void ReadTitle(HWND window, char* title, int capacity) {
  title[0] = '\0';
  if (GetWindowTextA(window, title, capacity) <= 0) title[0] = '\0';
  title[capacity - 1] = '\0';
}

// The top-level window owned by owner whose title is the quality dialog's, or none.
HWND QualityDialogOf(HWND owner) {
  for (HWND w = GetWindow(owner, GW_HWNDFIRST); w; w = GetWindow(w, GW_HWNDNEXT)) {
    if (GetParent(w) != owner) continue;
    char title[WINDOW_TITLE_CAPACITY];
    ReadTitle(w, title, sizeof title);
    if (IsQualityDialogTitle(title)) return w;
  }
  return nullptr;
}

// After IDOK the quality dialog should go away. A dialog that never does must
// not hold the program forever: give it the same 20 seconds as the opening,
// and give up at once when the plug-in itself is gone. Returns true when the
// dialog closed while the plug-in still lives.
bool WaitForQualityDialogToClose(HWND quality) {
  DWORD started = GetTickCount();
  for (;;) {
    if (!PluginAlive()) return false;
    if (!IsWindow(quality)) return true;
    if (TicksElapsed(started, GetTickCount(), QUALITY_WAIT_LIMIT_MS)) return false;
    Sleep(QUALITY_POLL_MS);
  }
}

// Brings up the quality dialog (unless it is open already), accepts it and
// waits for it to close. Returns true when the parameters were taken.
bool ConfirmQualityDialog() {
  HWND quality = FindQualityDialog(true);
  if (!quality) {
    PostCommand(pluginWindow, PLUGIN_COMMAND_QUALITY);
    quality = FindQualityDialog(false);
    if (!quality) return false;
  }
  PostCommand(quality, IDOK);
  return WaitForQualityDialogToClose(quality);
}

void ShowConnected(HWND mainWindow, bool connected) {
  EnableControl(mainWindow, IDC_MAIN_START, connected);
  EnableControl(mainWindow, IDC_MAIN_STOP, connected);
  EnableControl(mainWindow, IDC_MAIN_LAUNCH, !connected);
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
    ReadTitle(w, title, sizeof title);
    if (IsPluginTitle(title)) return w;
  }
  return nullptr;
}

bool IsRecording() {
  char text[STATE_TEXT_CAPACITY];
  text[0] = '\0';
  HWND state = GetDlgItem(pluginWindow, PLUGIN_STATE_CONTROL);
  DWORD_PTR copied = 0;
  if (state)
    SendMessageTimeoutA(state, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                        SMTO_NORMAL | SMTO_ABORTIFHUNG, STATE_READ_LIMIT_MS, &copied);
  text[sizeof text - 1] = '\0';
  return !IsIdleStateText(text);
}

void StartRecordingCommand() {
  if (!PluginAlive() || IsRecording()) return;
  SetForegroundWindow(pluginWindow);
  PostCommand(pluginWindow, PLUGIN_COMMAND_START);
}

void StopRecordingCommand() {
  if (!PluginAlive() || !IsRecording()) return;
  SetForegroundWindow(pluginWindow);
  PostCommand(pluginWindow, PLUGIN_COMMAND_STOP);
}

void SendRecordingRequest(HWND mainWindow, const ScheduleEntry* entry, const char* fileName) {
  if (!entry) return;
  char* block = static_cast<char*>(LocalAlloc(LMEM_FIXED, REQUEST_BLOCK_SIZE));
  if (!block) return;
  if (!BuildRecordingRequest(block, entry, fileName)) {
    // A cut name would send the recording to some other file.
    LocalFree(block);
    return;
  }
  COPYDATASTRUCT request;
  request.dwData = REQUEST_DATA_ID;
  request.cbData = REQUEST_BLOCK_SIZE;
  request.lpData = block;
  DWORD_PTR answer = 0;
  LRESULT delivered = SendMessageTimeoutA(pluginWindow, WM_COPYDATA, reinterpret_cast<WPARAM>(mainWindow),
                                          reinterpret_cast<LPARAM>(&request), SMTO_NORMAL,
                                          REQUEST_SEND_LIMIT_MS, &answer);
  LocalFree(block);
  // Not taken within the limit (or the plug-in went away): starting now
  // would record under whatever name the plug-in had before.
  if (!delivered) return;
  // Parameters only count once the plug-in's quality dialog has accepted them.
  if ((entry->flags & FLAG_MP3_PARAMS) && !ConfirmQualityDialog()) return;
  PostCommand(mainWindow, IDC_MAIN_START);
}

HWND FindQualityDialog(bool once) {
  DWORD started = GetTickCount();
  for (;;) {
    if (TicksElapsed(started, GetTickCount(), QUALITY_WAIT_LIMIT_MS) || !PluginAlive()) return nullptr;
    HWND quality = QualityDialogOf(pluginWindow);
    if (quality || once) return quality;
    Sleep(QUALITY_POLL_MS);
  }
}

void OnSearchTimer(HWND mainWindow) {
  pluginWindow = FindPluginWindow();
  if (!pluginWindow) {
    SetDlgItemTextA(mainWindow, IDC_MAIN_STATUS, STR_STATUS_SEARCHING);
    return;
  }
  KillTimer(mainWindow, TIMER_PLUGIN_SEARCH);
  char title[PLUGIN_TITLE_CAPACITY];
  ReadTitle(pluginWindow, title, sizeof title);
  char status[FOUND_STATUS_CAPACITY];
  FormatFoundStatus(status, sizeof status, title);
  SetDlgItemTextA(mainWindow, IDC_MAIN_STATUS, status);
  ShowConnected(mainWindow, true);
}

void OnConnectionTick(HWND mainWindow) {
  if (PluginAlive()) {
    bool recording = IsRecording();
    EnableControl(mainWindow, IDC_MAIN_START, !recording);
    EnableControl(mainWindow, IDC_MAIN_STOP, recording);
    CheckSchedules(mainWindow);
    return;
  }
  if (!pluginWindow) return;
  // Lost: search again; the status line keeps its text until the next search tick.
  pluginWindow = nullptr;
  SetTimer(mainWindow, TIMER_PLUGIN_SEARCH, PLUGIN_SEARCH_PERIOD_MS, nullptr);
  ShowConnected(mainWindow, false);
}
