// The stand-in's recording plug-in: its dialog with state control 88, the
// recording itself, the recording request and the quality dialog.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "standin.h"
#include "resources/strings.h"

namespace {

// Commands and data the plug-in answers (the contract's numbers).
const int CMD_START = 82;
const int CMD_STOP = 83;
const int CMD_QUALITY = 1003;
const int IDC_STATE = 88;
const ULONG_PTR REQUEST_DATA_ID = 100;
const DWORD REQUEST_SIZE = 520;

// The stand-in's own controls.
const int IDC_LABEL = -1;
const int IDC_REQUEST_NAME = 201;
const int IDC_REQUEST_PARAMS = 202;
const int IDC_CURRENT_FILE = 203;
const int IDC_WRITTEN = 204;
const int IDC_QUALITY_PARAMS = 301;
const int IDC_FOREIGN_NOTE = 401;

const UINT_PTR TIMER_WRITE = 1;
const UINT_PTR TIMER_EXIT = 2;
const UINT WRITE_PERIOD_MS = 1000;
const int EXIT_CODE_ABANDONED = 3;

// One MPEG-1 Layer III frame at 128 kbit/s, 44.1 kHz: 417 bytes, header first.
const size_t FRAME_SIZE = 417;
const unsigned char FRAME_HEADER[4] = {0xFF, 0xFB, 0x90, 0x64};
// Without parameters a recording goes at this rate, as the plug-in's own setting would.
const unsigned long DEFAULT_KBPS = 128;

struct Request {
  bool pending = false;
  bool received = false;
  std::string params;
  std::string name;
  std::string receivedAt;
};

struct Recording {
  bool active = false;
  HANDLE file = INVALID_HANDLE_VALUE;
  std::string name;
  ULONGLONG startTick = 0;
  unsigned long long bytes = 0;
  unsigned long long bytesPerSecond = 0;
  bool writing = false;
};

HWND pluginDialog;
HWND qualityDialog;
HWND foreignDialog;
Request request;
Recording recording;

std::string Field(const std::string& text) { return JournalText(text.data(), text.size()); }

std::string ClockText() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  char text[16];
  snprintf(text, sizeof text, "%02u:%02u:%02u", now.wHour, now.wMinute, now.wSecond);
  return text;
}

unsigned ElapsedSeconds() {
  return static_cast<unsigned>((GetTickCount64() - recording.startTick) / 1000);
}

void SlowDown() {
  if (options.delayMs > 0) Sleep(options.delayMs);
}

// ---- What the dialogs show ----

void ShowRequest() {
  if (pluginDialog == nullptr) return;
  std::string name = "(none)";
  std::string params = "(none)";
  if (request.received) {
    name = request.name.empty() ? "(empty)" : request.name;
    name += request.pending ? "  [pending, " : "  [used, ";
    name += "received " + request.receivedAt + "]";
    params = request.params.empty() ? "(not given)" : request.params;
  }
  SetDlgItemTextA(pluginDialog, IDC_REQUEST_NAME, name.c_str());
  SetDlgItemTextA(pluginDialog, IDC_REQUEST_PARAMS, params.c_str());
}

void ShowState() {
  std::string state = STR_PLUGIN_IDLE_TEXT;
  std::string status = "Plug-in: idle";
  std::string file = "-";
  std::string written = "-";
  if (recording.active) {
    unsigned seconds = ElapsedSeconds();
    char elapsed[32];
    snprintf(elapsed, sizeof elapsed, " %u:%02u", seconds / 60, seconds % 60);
    state = std::string(STR_STANDIN_RECORDING) + elapsed;
    file = recording.name;
    written = std::to_string(recording.bytes) + " bytes";
    status = "Plug-in: recording" + std::string(elapsed) + ", " + written + " to " + file;
  }
  if (pluginDialog != nullptr) {
    SetDlgItemTextA(pluginDialog, IDC_STATE, state.c_str());
    SetDlgItemTextA(pluginDialog, IDC_CURRENT_FILE, file.c_str());
    SetDlgItemTextA(pluginDialog, IDC_WRITTEN, written.c_str());
  }
  ShowPlayerStatus(status);
}

// ---- Recording ----

bool WriteFrame() {
  unsigned char frame[FRAME_SIZE] = {};
  memcpy(frame, FRAME_HEADER, sizeof FRAME_HEADER);
  DWORD written = 0;
  if (!WriteFile(recording.file, frame, sizeof frame, &written, nullptr) || written == 0) return false;
  recording.bytes += written;
  return true;
}

// The kbit/s of a parameter text "bitrate rate channels"; none: the default.
unsigned long BitrateOf(const std::string& params) {
  unsigned long kbps = strtoul(params.c_str(), nullptr, 10);
  return kbps > 0 ? kbps : DEFAULT_KBPS;
}

// Whole frames up to what the bitrate gives for the time recorded so far
// (or up to the time writing stops, with --stop-writing-after).
void WriteUpToNow() {
  if (!recording.writing) return;
  ULONGLONG elapsedMs = GetTickCount64() - recording.startTick;
  bool stopsNow = false;
  if (options.stopWritingAfter >= 0) {
    const ULONGLONG lastMs = static_cast<ULONGLONG>(options.stopWritingAfter) * 1000;
    stopsNow = elapsedMs >= lastMs;
    if (stopsNow) elapsedMs = lastMs;
  }
  const unsigned long long due = recording.bytesPerSecond * elapsedMs / 1000;
  while (recording.bytes < due && WriteFrame()) {
  }
  if (stopsNow) {
    recording.writing = false;
    Journal("write-stopped bytes=" + std::to_string(recording.bytes));
  }
}

std::string DefaultName() {
  char folder[MAX_PATH];
  DWORD length = GetCurrentDirectoryA(sizeof folder, folder);
  std::string name = (length > 0 && length < sizeof folder) ? std::string(folder, length) : ".";
  if (name.back() != '\\') name += '\\';
  return name + "standin-" + std::to_string(GetTickCount64()) + ".mp3";
}

void StartRecording() {
  SlowDown();
  if (recording.active) {
    Journal("start-ignored reason=recording");
    return;
  }
  // A request is good for one recording; an empty name counts as none.
  bool useDefault = !request.pending || request.name.empty();
  std::string name = useDefault ? DefaultName() : request.name;
  std::string params = request.pending ? request.params : std::string();
  request.pending = false;
  ShowRequest();

  bool existed = GetFileAttributesA(name.c_str()) != INVALID_FILE_ATTRIBUTES;
  HANDLE file = CreateFileA(name.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  std::string fields = std::string(" default=") + (useDefault ? "1" : "0") +
                       " params=" + Field(params) + " name=" + Field(name);
  if (file == INVALID_HANDLE_VALUE) {
    Journal("start-failed error=" + std::to_string(GetLastError()) + fields);
    return;
  }
  recording.active = true;
  recording.file = file;
  recording.name = name;
  recording.startTick = GetTickCount64();
  recording.bytes = 0;
  recording.bytesPerSecond = BitrateOf(params) * 125;
  recording.writing = !options.writeNothing;
  Journal(std::string("start existed=") + (existed ? "1" : "0") + fields);
  if (recording.writing) WriteFrame();
  WriteUpToNow();
  SetTimer(pluginDialog, TIMER_WRITE, WRITE_PERIOD_MS, nullptr);
  if (options.exitAfterRecording >= 0) {
    SetTimer(pluginDialog, TIMER_EXIT, static_cast<UINT>(options.exitAfterRecording) * 1000,
             nullptr);
  }
  ShowState();
}

void CloseRecording() {
  KillTimer(pluginDialog, TIMER_WRITE);
  KillTimer(pluginDialog, TIMER_EXIT);
  CloseHandle(recording.file);
  recording.file = INVALID_HANDLE_VALUE;
  recording.active = false;
}

void StopRecording() {
  SlowDown();
  if (!recording.active) {
    Journal("stop-ignored reason=idle");
    return;
  }
  unsigned seconds = ElapsedSeconds();
  CloseRecording();
  Journal("stop bytes=" + std::to_string(recording.bytes) + " seconds=" +
          std::to_string(seconds) + " name=" + Field(recording.name));
  ShowState();
}

void OnWriteTimer() {
  if (!recording.active) return;
  WriteUpToNow();
  ShowState();
}

void OnExitTimer() {
  // A player that dies mid-recording: no stop, no cleanup beyond the file.
  AbandonRecording();
  JournalExit("exit-after-recording recording=1");
  ExitProcess(EXIT_CODE_ABANDONED);
}

// ---- Recording request ----

void OnRecordingRequest(HWND dialog, HWND from, const COPYDATASTRUCT* data) {
  SlowDown();
  bool valid = data != nullptr && data->dwData == REQUEST_DATA_ID &&
               data->cbData == REQUEST_SIZE && data->lpData != nullptr;
  if (!valid) {
    Journal("copydata-ignored from=" + HandleText(from) +
            " dwData=" + std::to_string(data != nullptr ? data->dwData : 0) +
            " cbData=" + std::to_string(data != nullptr ? data->cbData : 0));
    SetWindowLongPtrA(dialog, DWLP_MSGRESULT, FALSE);
    return;
  }
  // Both texts end at their zero or, lacking one, at the end of the block.
  const char* block = static_cast<const char*>(data->lpData);
  size_t paramsLength = strnlen(block, REQUEST_SIZE);
  size_t nameStart = paramsLength < REQUEST_SIZE ? paramsLength + 1 : REQUEST_SIZE;
  size_t nameLength = strnlen(block + nameStart, REQUEST_SIZE - nameStart);
  request.pending = true;
  request.received = true;
  request.params.assign(block, paramsLength);
  request.name.assign(block + nameStart, nameLength);
  request.receivedAt = ClockText();
  Journal("request from=" + HandleText(from) + " params=" + Field(request.params) +
          " name=" + Field(request.name));
  ShowRequest();
  SetWindowLongPtrA(dialog, DWLP_MSGRESULT, TRUE);
}

// ---- Quality dialog ----

INT_PTR CALLBACK QualityProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      return FALSE;  // no focus: showing it must not activate it
    case WM_COMMAND:
      if (wParam == IDOK) {
        SlowDown();
        if (options.qualityNeverCloses) {
          Journal("quality-accept-ignored");
          return TRUE;
        }
        Journal("quality-accept");
        DestroyWindow(dialog);
      } else if (wParam == IDCANCEL) {
        Journal("quality-cancel");
        DestroyWindow(dialog);
      }
      return TRUE;
    case WM_DESTROY:
      qualityDialog = nullptr;
      Journal("quality-closed");
      return TRUE;
  }
  return FALSE;
}

void OpenQualityDialog() {
  SlowDown();
  static unsigned long asked = 0;
  if (options.qualityNeverOpens || ++asked <= options.qualityOpensAfter) {
    Journal("quality-open-ignored");
    return;
  }
  if (qualityDialog != nullptr) {
    Journal("quality-open-again quality=" + HandleText(qualityDialog));
    return;
  }
  DialogTemplate form(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME, 200, 64, "MS Shell Dlg",
                      9);
  form.AddStatic(IDC_LABEL, "Parameters for the next recording:", 8, 8, 184, 10);
  form.AddStatic(IDC_QUALITY_PARAMS, "", 16, 22, 176, 10);
  form.AddButton(IDOK, "OK", 142, 42, 50, 14);
  qualityDialog = CreateDialogIndirectParamA(instance, form.Get(), pluginDialog, QualityProc, 0);
  if (qualityDialog == nullptr) {
    Journal("quality-open-failed error=" + std::to_string(GetLastError()));
    return;
  }
  SetWindowTextA(qualityDialog, STR_QUALITY_DIALOG_TITLE);
  std::string params = request.params.empty() ? "(not given)" : request.params;
  SetDlgItemTextA(qualityDialog, IDC_QUALITY_PARAMS, params.c_str());
  RECT plugin, own;
  GetWindowRect(pluginDialog, &plugin);
  GetWindowRect(qualityDialog, &own);
  int x = plugin.left - (own.right - own.left) - 8;
  SetWindowPos(qualityDialog, nullptr, x < 0 ? 0 : x, plugin.top, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  ShowWindow(qualityDialog, SW_SHOWNA);
  Journal("quality-open quality=" + HandleText(qualityDialog));
}

// ---- Plug-in dialog ----

void OnPluginCommand(WPARAM wParam, LPARAM lParam) {
  // The contract's commands come with exactly these wParams; a click on the
  // dialog's own buttons gives the same (BN_CLICKED is 0).
  switch (wParam) {
    case CMD_START:
      StartRecording();
      return;
    case CMD_STOP:
      StopRecording();
      return;
    case CMD_QUALITY:
      OpenQualityDialog();
      return;
  }
  Journal("command-unknown wParam=" + std::to_string(wParam) +
          " lParam=" + HandleText(reinterpret_cast<void*>(lParam)));
}

void OnPluginClose(HWND dialog) {
  bool wasRecording = AbandonRecording();
  Journal(std::string("plugin-closed recording=") + (wasRecording ? "1" : "0"));
  ShowState();
  ShowPlayerStatus("Plug-in: unloaded");
  DestroyWindow(dialog);
}

INT_PTR CALLBACK PluginProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      return FALSE;  // no focus: showing it must not activate it
    case WM_COMMAND:
      OnPluginCommand(wParam, lParam);
      return TRUE;
    case WM_COPYDATA:
      OnRecordingRequest(dialog, reinterpret_cast<HWND>(wParam),
                         reinterpret_cast<const COPYDATASTRUCT*>(lParam));
      return TRUE;
    case WM_TIMER:
      if (wParam == TIMER_WRITE) OnWriteTimer();
      if (wParam == TIMER_EXIT) OnExitTimer();
      return TRUE;
    case WM_CLOSE:
      OnPluginClose(dialog);
      return TRUE;
    case WM_DESTROY:
      pluginDialog = nullptr;
      return TRUE;
  }
  return FALSE;
}

INT_PTR CALLBACK ForeignProc(HWND dialog, UINT message, WPARAM, LPARAM) {
  if (message == WM_DESTROY && dialog == foreignDialog) foreignDialog = nullptr;
  return FALSE;
}

}  // namespace

HWND CreatePluginDialog(HWND player, const std::string& title) {
  DialogTemplate form(WS_POPUP | WS_CAPTION | DS_MODALFRAME, 260, 106, "MS Shell Dlg", 9);
  form.AddStatic(IDC_LABEL, "State:", 8, 8, 58, 10);
  form.AddStatic(IDC_STATE, "", 70, 7, 182, 12, SS_SUNKEN | SS_CENTERIMAGE);
  form.AddStatic(IDC_LABEL, "Last request:", 8, 24, 58, 10);
  form.AddStatic(IDC_REQUEST_NAME, "", 70, 24, 182, 10, SS_PATHELLIPSIS);
  form.AddStatic(IDC_LABEL, "Parameters:", 8, 36, 58, 10);
  form.AddStatic(IDC_REQUEST_PARAMS, "", 70, 36, 182, 10);
  form.AddStatic(IDC_LABEL, "Recording to:", 8, 50, 58, 10);
  form.AddStatic(IDC_CURRENT_FILE, "", 70, 50, 182, 10, SS_PATHELLIPSIS);
  form.AddStatic(IDC_LABEL, "Written:", 8, 62, 58, 10);
  form.AddStatic(IDC_WRITTEN, "", 70, 62, 182, 10);
  form.AddButton(CMD_START, "Record", 8, 84, 60, 14);
  form.AddButton(CMD_STOP, "Stop", 72, 84, 60, 14);
  form.AddButton(CMD_QUALITY, "MP3 quality...", 182, 84, 70, 14);
  pluginDialog = CreateDialogIndirectParamA(instance, form.Get(), player, PluginProc, 0);
  if (pluginDialog == nullptr) return nullptr;
  SetWindowTextA(pluginDialog, title.c_str());
  ShowRequest();
  ShowState();
  ShowWindow(pluginDialog, SW_SHOWNA);
  return pluginDialog;
}

HWND CreateForeignDialog(HWND player, const std::string& title) {
  DialogTemplate form(WS_POPUP | WS_CAPTION | DS_MODALFRAME, 260, 30, "MS Shell Dlg", 9);
  form.AddStatic(IDC_FOREIGN_NOTE, "Another dialog of the player, without state control 88.", 8,
                 10, 244, 10);
  foreignDialog = CreateDialogIndirectParamA(instance, form.Get(), player, ForeignProc, 0);
  if (foreignDialog == nullptr) return nullptr;
  SetWindowTextA(foreignDialog, title.c_str());
  ShowWindow(foreignDialog, SW_SHOWNA);
  return foreignDialog;
}

bool PluginDialogMessage(MSG* message) {
  HWND dialogs[] = {qualityDialog, pluginDialog, foreignDialog};
  for (HWND dialog : dialogs) {
    if (dialog != nullptr && IsDialogMessageA(dialog, message)) return true;
  }
  return false;
}

bool AbandonRecording() {
  if (!recording.active) return false;
  CloseRecording();
  return true;
}
