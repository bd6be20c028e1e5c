#include "editor/editor_win32.h"

#include <commctrl.h>
#include <objbase.h>
#include <shlobj.h>

#include "ui/ui_win32.h"
#include "editor/editor_model.h"
#include "placement/placement_win32.h"
#include "resources/ids.h"
#include "resources/strings.h"
#include "schedule/schedule_win32.h"
#include "schedule/settings_win32.h"
#include "scheduler/naming.h"
#include "scheduler/naming_win32.h"
#include "scheduler/overlap.h"
#include "text/text.h"

namespace {

const DWORD kUpDownStyle = WS_CHILD | WS_VISIBLE | WS_BORDER | UDS_WRAP | UDS_SETBUDDYINT | UDS_ALIGNRIGHT |
                           UDS_ARROWKEYS | UDS_NOTHOUSANDS;  // 0x508000A7
// Placed and sized by its buddy once bound, so any start will do.
const int kUpDownInitialSize = 8;
const int kFieldsPerTime = 3;  // hour, minute, second
const int kTimeFieldCount = 2 * kFieldsPerTime;
const int kLastHour = 23;
const int kLastMinuteOrSecond = 59;
// The preview block: the expansion, then the pattern it came from.
const SIZE_T kPreviewBlockSize = 2 * PATH_CAPACITY;

// ---- Filling the controls ----

void SetTitleSuffix(HWND dialog, bool modifying) {
  char title[PATH_CAPACITY];
  GetWindowTextA(dialog, title, sizeof title);
  AppendText(title, sizeof title, modifying ? STR_TITLE_SUFFIX_MODIFY : STR_TITLE_SUFFIX_ADD);
  SetWindowTextA(dialog, title);
}

void AttachTimeUpDowns(HWND dialog) {
  for (int k = 0; k < kTimeFieldCount; ++k) {
    bool hourField = k % kFieldsPerTime == 0;
    AttachUpDown(dialog, IDC_ED_START_HOUR + k, IDC_ED_UPDOWN_FIRST + k, 0, hourField ? kLastHour : kLastMinuteOrSecond);
  }
}

void SetTimeFields(HWND dialog, int firstId, int32_t seconds) {
  int32_t hms[kFieldsPerTime];
  SecondsToHms(seconds, &hms[0], &hms[1], &hms[2]);
  for (int k = 0; k < kFieldsPerTime; ++k) SetDlgItemInt(dialog, firstId + k, static_cast<UINT>(hms[k]), FALSE);
}

void FillControls(HWND dialog, const ScheduleEntry* entry) {
  SetTimeFields(dialog, IDC_ED_START_HOUR, entry->startSeconds);
  SetTimeFields(dialog, IDC_ED_END_HOUR, entry->endSeconds);
  // Raises EN_CHANGE, which fills the preview.
  SetDlgItemTextA(dialog, IDC_ED_OUTPUT, entry->outputPattern);
  CheckRadioInRun(dialog, IDC_ED_BITRATE_FIRST, ED_BITRATE_COUNT, entry->bitrateIndex);
  CheckRadioInRun(dialog, IDC_ED_STEREO, ED_CHANNEL_COUNT, (entry->flags & FLAG_MONO) ? 1 : 0);
  CheckRadioInRun(dialog, IDC_ED_RATE_22050, ED_RATE_COUNT, entry->sampleRateIndex);
  CheckDlgButton(dialog, IDC_ED_MP3_PARAMS, (entry->flags & FLAG_MP3_PARAMS) ? BST_CHECKED : BST_UNCHECKED);
  for (int d = 0; d < ED_DAY_COUNT; ++d) {
    if (entry->dayMask & (1 << d)) CheckDlgButton(dialog, IDC_ED_DAY_FIRST + d, BST_CHECKED);
  }
}

// The values a new entry starts from: this hour, and the parameters and
// pattern of the last accepted entry.
ScheduleEntry* NewTemporaryEntry() {
  ScheduleEntry* entry = static_cast<ScheduleEntry*>(LocalAlloc(LPTR, sizeof(ScheduleEntry)));
  if (!entry) return nullptr;
  SYSTEMTIME now;
  GetLocalTime(&now);
  char defaultSet[PATH_CAPACITY];
  ReadSetting(STR_SECTION_CONFIG, STR_KEY_DEFAULT_SET, defaultSet, sizeof defaultSet);
  char outFileName[PATH_CAPACITY];
  ReadSetting(STR_SECTION_CONFIG, STR_KEY_OUT_FILE_NAME, outFileName, sizeof outFileName);
  PrepareNewEntry(entry, now.wHour, defaultSet, outFileName);
  return entry;
}

ScheduleEntry* SlotEntry(HWND dialog) {
  return reinterpret_cast<ScheduleEntry*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

BOOL OnInitDialog(HWND dialog, LPARAM lParam) {
  ScheduleEntry* entry = reinterpret_cast<ScheduleEntry*>(lParam);
  SetTitleSuffix(dialog, entry != nullptr);
  AttachTimeUpDowns(dialog);
  SetWindowLongPtrA(dialog, DWLP_USER, lParam);
  if (entry) {
    FillControls(dialog, entry);
  } else {
    ScheduleEntry* suggested = NewTemporaryEntry();
    if (suggested) {
      FillControls(dialog, suggested);
      LocalFree(suggested);
    }
  }
  UpdateMp3ParamControls(dialog);
  return TRUE;
}

// ---- Commands ----

void ReadInput(HWND dialog, EditorInput* input) {
  for (int k = 0; k < kTimeFieldCount; ++k) input->times[k] = GetDlgItemInt(dialog, IDC_ED_START_HOUR + k, nullptr, FALSE);
  input->mp3Params = IsDlgButtonChecked(dialog, IDC_ED_MP3_PARAMS) != BST_UNCHECKED;
  input->channelIndex = GetCheckedInRun(dialog, IDC_ED_STEREO, ED_CHANNEL_COUNT);
  input->sampleRateIndex = GetCheckedInRun(dialog, IDC_ED_RATE_22050, ED_RATE_COUNT);
  input->bitrateIndex = GetCheckedInRun(dialog, IDC_ED_BITRATE_FIRST, ED_BITRATE_COUNT);
  input->dayBits = 0;
  for (int d = 0; d < ED_DAY_COUNT; ++d) {
    if (IsDlgButtonChecked(dialog, IDC_ED_DAY_FIRST + d) != BST_UNCHECKED) input->dayBits |= 1 << d;
  }
  input->pattern[0] = '\0';
  GetDlgItemTextA(dialog, IDC_ED_OUTPUT, input->pattern, sizeof input->pattern);
}

// Says why the output field was refused and puts the caret back into it.
void RefuseOutputField(HWND dialog, const char* text) {
  ShowMessage(dialog, text, MB_OK);
  SendMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog, IDC_ED_OUTPUT)), TRUE);
}

// An entry whose window overlaps another entry's is stored only when the
// person says so. No keeps every field as typed and goes back to the start
// time, the field most often changed then. A modified entry is not compared
// with itself.
bool OverlapAccepted(HWND dialog, const EditorInput& input) {
  ScheduleEntry candidate = {};
  StoreEditorInput(&candidate, &input);
  int count = 0;
  const ScheduleEntry* other = FirstOverlapping(scheduleList, &candidate, SlotEntry(dialog), &count);
  if (!other) return true;
  char question[OVERLAP_QUESTION_CAPACITY];
  FormatOverlapQuestion(question, sizeof question, other, count - 1);
  // No is the default: a hasty Enter loses no recording.
  if (ShowMessage(dialog, question, MB_YESNO | MB_DEFBUTTON2) == IDYES) return true;
  SendMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog, IDC_ED_START_HOUR)), TRUE);
  return false;
}

void OnOk(HWND dialog) {
  EditorInput input;
  ReadInput(dialog, &input);
  switch (CheckEditorInput(&input)) {
    case EDITOR_TIMES_EQUAL: ShowMessage(dialog, STR_TIMES_MUST_DIFFER, MB_OK); return;
    case EDITOR_NO_DESTINATION: ShowMessage(dialog, STR_ENTER_DESTINATION, MB_OK); return;
    case EDITOR_QUOTE_IN_PATTERN: RefuseOutputField(dialog, STR_NO_QUOTE_IN_PATTERN); return;
    default: break;
  }
  if (!OverlapAccepted(dialog, input)) return;
  ScheduleEntry* target = SlotEntry(dialog);
  if (!target) target = AppendScheduleEntry();
  if (!target) {
    // Out of memory for the new entry: nothing is written.
    EndDialog(dialog, IDOK);
    return;
  }
  StoreEditorInput(target, &input);
  WriteSetting(STR_SECTION_CONFIG, STR_KEY_OUT_FILE_NAME, target->outputPattern);
  char defaultSet[PATH_CAPACITY];
  FormatDefaultSet(defaultSet, sizeof defaultSet, target);
  WriteSetting(STR_SECTION_CONFIG, STR_KEY_DEFAULT_SET, defaultSet);
  EndDialog(dialog, IDOK);
}

// Shows what the pattern gives right now; codes the expansion does not know
// show as "-Err-".
void UpdatePreview(HWND dialog) {
  char* block = static_cast<char*>(LocalAlloc(LMEM_FIXED, kPreviewBlockSize));
  if (!block) return;
  char* expansion = block;
  char* pattern = block + PATH_CAPACITY;
  pattern[0] = '\0';
  GetDlgItemTextA(dialog, IDC_ED_OUTPUT, pattern, PATH_CAPACITY);
  ExpandFileNamePattern(expansion, pattern, WeekdayNames);
  SetDlgItemTextA(dialog, IDC_ED_PREVIEW, expansion);
  LocalFree(block);
}

void OnOutputNotify(HWND dialog, WORD code) {
  if (code == EN_CHANGE) UpdatePreview(dialog);
}

void OnBrowse(HWND dialog) {
  char folder[PATH_CAPACITY] = "";
  if (BrowseForFolder(dialog, STR_BROWSE_TITLE, folder) && folder[0] != '\0') {
    SetDlgItemTextA(dialog, IDC_ED_OUTPUT, folder);
  }
}

void OnCommand(HWND dialog, WORD id, WORD code) {
  switch (id) {
    case IDOK: OnOk(dialog); break;
    case IDCANCEL: EndDialog(dialog, IDCANCEL); break;
    case IDC_ED_OUTPUT: OnOutputNotify(dialog, code); break;
    case IDC_ED_BROWSE: OnBrowse(dialog); break;
    case IDC_ED_MP3_PARAMS: UpdateMp3ParamControls(dialog); break;
    default: break;
  }
}

// The up-down class lives in the common controls library, which nothing
// else in the program needs: register it once, before the first editor.
void InitUpDownClass() {
  static bool done = false;
  if (done) return;
  INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_UPDOWN_CLASS};
  done = InitCommonControlsEx(&classes) != FALSE;
}
}  // namespace

void UpdateMp3ParamControls(HWND dialog) {
  BOOL on = IsDlgButtonChecked(dialog, IDC_ED_MP3_PARAMS);
  for (int id = ED_MP3_CONTROL_FIRST; id <= ED_MP3_CONTROL_LAST; ++id) EnableWindow(GetDlgItem(dialog, id), on);
}

int GetCheckedInRun(HWND dialog, int firstId, int count) {
  int checked = -1;
  for (int i = 0; i < count; ++i) {
    if (IsDlgButtonChecked(dialog, firstId + i) != BST_UNCHECKED) checked = i;
  }
  return checked;
}

void CheckRadioInRun(HWND dialog, int firstId, int count, int index) {
  if (index >= count) return;
  // Any id outside the run unchecks all of it; first - 1 is one that cannot
  // overflow for whatever negative index a settings file holds.
  int checkId = index < 0 ? firstId - 1 : firstId + index;
  CheckRadioButton(dialog, firstId, firstId + count - 1, checkId);
}

void AttachUpDown(HWND dialog, int fieldId, int upDownId, int minimum, int maximum) {
  HWND upDown = CreateWindowExA(0, UPDOWN_CLASSA, "", kUpDownStyle, 0, 0, kUpDownInitialSize,
                                kUpDownInitialSize, dialog,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(upDownId)), InstanceOf(dialog), nullptr);
  SendMessageA(upDown, UDM_SETBUDDY, reinterpret_cast<WPARAM>(GetDlgItem(dialog, fieldId)), 0);
  // Low word the maximum, high word the minimum: the up arrow counts up.
  SendMessageA(upDown, UDM_SETRANGE, 0, MAKELPARAM(maximum, minimum));
}

int BrowseForFolder(HWND owner, const char* title, char* path) {
  // The folder browser is a shell (COM) object; it wants an apartment.
  HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  BROWSEINFOA info = {};
  info.hwndOwner = owner;
  info.pidlRoot = nullptr;
  info.pszDisplayName = path;
  info.lpszTitle = title;
  info.ulFlags = 0;
  info.lpfn = nullptr;
  info.lParam = 0;
  LPITEMIDLIST chosen = SHBrowseForFolderA(&info);
  // The browser writes display names into path as the selection moves;
  // only a file-system path may come back from here.
  path[0] = '\0';
  int result = 0;
  if (chosen) {
    if (SHGetPathFromIDListA(chosen, path)) FinishBrowsedFolder(path, PATH_CAPACITY);
    // The item list comes from the shell's task allocator.
    CoTaskMemFree(chosen);
    result = 1;
  }
  if (SUCCEEDED(com)) CoUninitialize();
  return result;
}

INT_PTR CALLBACK ScheduleEditorProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  TrackDialogPlacement(dialog, message, wParam, 0);
  switch (message) {
    case WM_INITDIALOG: return OnInitDialog(dialog, lParam);
    case WM_COMMAND: OnCommand(dialog, LOWORD(wParam), HIWORD(wParam)); return TRUE;
    default: return FALSE;
  }
}

INT_PTR RunScheduleEditor(HWND owner, ScheduleEntry* entry) {
  InitUpDownClass();
  return DialogBoxParamA(InstanceOf(owner), MAKEINTRESOURCEA(IDD_EDITOR), owner, ScheduleEditorProc,
                         reinterpret_cast<LPARAM>(entry));
}
