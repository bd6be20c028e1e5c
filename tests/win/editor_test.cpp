// The schedule editor as a real modal dialog under Wine: its template, how
// it fills itself for a new or an existing entry, what OK stores and refuses,
// the up-down arrows, the live preview, the folder browser, and how the main
// window opens it. Each test drives the dialog from inside its modal loop.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>
#include <shlobj.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/app_win32.h"
#include "schedule/settings_win32.h"
#include "app/main_dialog_win32.h"
#include "editor/editor_win32.h"
#include "resources/ids.h"
#include "resources/strings.h"
#include "schedule/schedule_win32.h"
#include "scheduler/naming.h"
#include "scheduler/naming_win32.h"
#include "win/win_support.h"

using namespace winsupport;

namespace {

// 스케쥴 추가 / 스케쥴 수정
const char kTitleAdd[] = "\xBD\xBA\xC4\xC9\xC1\xEC \xC3\xDF\xB0\xA1";
const char kTitleModify[] = "\xBD\xBA\xC4\xC9\xC1\xEC \xBC\xF6\xC1\xA4";

bool IsEditor(HWND window) {
  return ItemText(window, IDC_PLACEMENT_KEY) == "ScheduleInput" && GetDlgItem(window, IDC_ED_PREVIEW) != nullptr;
}

HWND Item(HWND editor, int id) { return GetDlgItem(editor, id); }
void Click(HWND editor, int id) { SendMessageA(Item(editor, id), BM_CLICK, 0, 0); }
void SetText(HWND editor, int id, const std::string& text) { SetDlgItemTextA(editor, id, text.c_str()); }
// The dialog gets the keyboard focus once it is the active window, which may
// come a moment after it first shows.
void Activate(HWND editor) {
  SetForegroundWindow(editor);
  PumpUntil([editor] { HWND focus = GetFocus(); return focus && IsChild(editor, focus); }, 2000);
}

bool Checked(HWND editor, int id) { return IsDlgButtonChecked(editor, id) == BST_CHECKED; }

void SetTimes(HWND editor, std::vector<std::string> six) {
  for (int k = 0; k < 6; ++k) SetText(editor, IDC_ED_START_HOUR + k, six[static_cast<size_t>(k)]);
}

// What the editor shows, read into one record so tests compare it whole.
struct EditorState {
  std::string title;
  std::vector<std::string> times;
  std::string pattern;
  std::string preview;
  std::vector<int> checkedDays;    // weekday numbers
  std::vector<int> checkedRadios;  // ids 116..125
  bool mp3 = false;
  std::vector<int> enabledRadios;  // ids 116..125
};

EditorState ReadState(HWND editor) {
  EditorState s;
  s.title = WindowText(editor);
  for (int k = 0; k < 6; ++k) s.times.push_back(ItemText(editor, IDC_ED_START_HOUR + k));
  s.pattern = ItemText(editor, IDC_ED_OUTPUT);
  s.preview = ItemText(editor, IDC_ED_PREVIEW);
  for (int d = 0; d < 7; ++d)
    if (Checked(editor, IDC_ED_DAY_FIRST + d)) s.checkedDays.push_back(d);
  for (int id = ED_MP3_CONTROL_FIRST; id <= ED_MP3_CONTROL_LAST; ++id) {
    if (Checked(editor, id)) s.checkedRadios.push_back(id);
    if (IsWindowEnabled(Item(editor, id))) s.enabledRadios.push_back(id);
  }
  s.mp3 = Checked(editor, IDC_ED_MP3_PARAMS);
  return s;
}

std::vector<int> AllRadios() {
  std::vector<int> ids;
  for (int id = ED_MP3_CONTROL_FIRST; id <= ED_MP3_CONTROL_LAST; ++id) ids.push_back(id);
  return ids;
}

std::string Expand(const std::string& pattern) {
  char out[PATH_CAPACITY];
  ExpandFileNamePattern(out, pattern.c_str(), WeekdayNames);
  return out;
}

std::string ConfigAndSchedule() {
  char buffer[8192];
  std::string text;
  for (const char* section : {STR_SECTION_CONFIG, STR_SECTION_SCHEDULE}) {
    DWORD n = GetPrivateProfileSectionA(section, buffer, sizeof buffer, settingsPath);
    text += std::string("[") + section + "]" + std::string(buffer, n) + "\n";
  }
  return text;
}

std::vector<ScheduleEntry*> Entries() {
  std::vector<ScheduleEntry*> all;
  for (ScheduleEntry* e = scheduleList; e; e = e->next) all.push_back(e);
  return all;
}

class Editor : public ::testing::Test {
 protected:
  void SetUp() override {
    FreeAllSchedules();
    ini_ = UseFreshSettings(NewTempDir("editor"));
    app.instance = GetModuleHandleA(nullptr);
  }
  void TearDown() override { FreeAllSchedules(); }

  void Seed(const std::string& text) { WriteFileText(ini_, text); }

  // Opens the editor for entry and runs script inside it; returns the
  // editor's result.
  INT_PTR Run(ScheduleEntry* entry, const std::function<void(HWND)>& script) {
    ModalScript driver(IsEditor, script);
    INT_PTR result = RunScheduleEditor(nullptr, entry);
    EXPECT_TRUE(driver.ran()) << "the editor never appeared";
    EXPECT_FALSE(driver.timedOut()) << "the editor had to be closed by the watchdog";
    return result;
  }

  // Opens the editor for a new entry, captures its state and cancels.
  EditorState StateOfNewEntry(SYSTEMTIME* before = nullptr) {
    EditorState state;
    SYSTEMTIME now;
    GetLocalTime(&now);
    if (before) *before = now;
    EXPECT_EQ(Run(nullptr,
                  [&](HWND editor) {
                    state = ReadState(editor);
                    Click(editor, IDCANCEL);
                  }),
              IDCANCEL);
    return state;
  }

  ScheduleEntry* Add(int start, int end, const char* pattern) {
    ScheduleEntry* e = AppendScheduleEntry();
    e->startSeconds = start;
    e->endSeconds = end;
    e->dayMask = 2;
    e->flags = 1;
    e->bitrateIndex = 3;
    e->sampleRateIndex = 0;
    strcpy(e->outputPattern, pattern);
    return e;
  }

  std::string ini_;
};

// ---- The template ----

struct TemplateItem {
  int id;
  std::string className;
  std::string text;
  short x, y, cx, cy;
  DWORD style;
};

std::string Narrow(const WCHAR* text) {
  char out[512] = "";
  WideCharToMultiByte(949, 0, text, -1, out, sizeof out, nullptr, nullptr);
  return out;
}

// Reads a name-or-ordinal field of a DLGTEMPLATE; returns the text or "#n".
const WORD* ReadNameOrOrdinal(const WORD* p, std::string* out) {
  if (*p == 0xFFFF) {
    // Predefined classes by ordinal, the way a resource compiler may store them.
    switch (p[1]) {
      case 0x80: *out = "BUTTON"; break;
      case 0x81: *out = "EDIT"; break;
      case 0x82: *out = "STATIC"; break;
      default: *out = "#" + std::to_string(p[1]); break;
    }
    return p + 2;
  }
  *out = Narrow(reinterpret_cast<const WCHAR*>(p));
  while (*p) ++p;
  return p + 1;
}

struct ParsedTemplate {
  DWORD style, exStyle;
  short x, y, cx, cy;
  std::string menu, className, title, font;
  WORD pointSize;
  std::vector<TemplateItem> items;
};

ParsedTemplate ParseDialogTemplate(int resourceId) {
  ParsedTemplate t = {};
  HMODULE module = GetModuleHandleA(nullptr);
  HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(resourceId), MAKEINTRESOURCEA(5));  // RT_DIALOG
  EXPECT_NE(found, nullptr);
  if (!found) return t;
  const BYTE* base = static_cast<const BYTE*>(LockResource(LoadResource(module, found)));
  const DLGTEMPLATE* head = reinterpret_cast<const DLGTEMPLATE*>(base);
  EXPECT_NE(reinterpret_cast<const WORD*>(base)[1], 0xFFFF) << "expected a plain DIALOG template";
  t.style = head->style;
  t.exStyle = head->dwExtendedStyle;
  t.x = head->x;
  t.y = head->y;
  t.cx = head->cx;
  t.cy = head->cy;
  const WORD* p = reinterpret_cast<const WORD*>(head + 1);
  p = ReadNameOrOrdinal(p, &t.menu);
  p = ReadNameOrOrdinal(p, &t.className);
  p = ReadNameOrOrdinal(p, &t.title);
  if (t.style & DS_SETFONT) {
    t.pointSize = *p++;
    p = ReadNameOrOrdinal(p, &t.font);
  }
  for (int i = 0; i < head->cdit; ++i) {
    uintptr_t at = reinterpret_cast<uintptr_t>(p);
    p = reinterpret_cast<const WORD*>((at + 3) & ~uintptr_t(3));
    const DLGITEMTEMPLATE* item = reinterpret_cast<const DLGITEMTEMPLATE*>(p);
    TemplateItem parsed;
    parsed.id = item->id;
    parsed.style = item->style;
    EXPECT_EQ(item->dwExtendedStyle, 0u) << "item " << i;
    parsed.x = item->x;
    parsed.y = item->y;
    parsed.cx = item->cx;
    parsed.cy = item->cy;
    p = reinterpret_cast<const WORD*>(item + 1);
    p = ReadNameOrOrdinal(p, &parsed.className);
    // Class names are case-insensitive; the resource compiler may store either.
    for (char& ch : parsed.className) ch = static_cast<char>(toupper(static_cast<unsigned char>(ch)));
    p = ReadNameOrOrdinal(p, &parsed.text);
    WORD extra = *p++;
    p = reinterpret_cast<const WORD*>(reinterpret_cast<const BYTE*>(p) + extra);
    t.items.push_back(parsed);
  }
  return t;
}

TEST(EditorTemplate, MatchesTheDialogTableControlByControl) {
  ParsedTemplate t = ParseDialogTemplate(IDD_EDITOR);
  EXPECT_EQ(t.style, 0x90C800C4u);
  EXPECT_EQ(t.exStyle, 0u);
  EXPECT_EQ(t.menu, "");
  EXPECT_EQ(t.className, "");
  EXPECT_EQ(t.title, "\xBD\xBA\xC4\xC9\xC1\xEC");  // 스케쥴
  EXPECT_EQ(t.font, "\xB1\xBC\xB8\xB2\xC3\xBC");   // 굴림체
  EXPECT_EQ(t.pointSize, 9);
  EXPECT_EQ(t.x, 155);
  EXPECT_EQ(t.y, 62);
  EXPECT_EQ(t.cx, 261);
  EXPECT_EQ(t.cy, 177);

  const std::string button = "BUTTON", edit = "EDIT", label = "STATIC";
  const DWORD child = WS_CHILD | WS_VISIBLE;
  const DWORD text = child | SS_LEFT;
  const DWORD field = child | WS_BORDER | WS_GROUP | WS_TABSTOP | ES_AUTOHSCROLL;
  const DWORD box = child | BS_AUTOCHECKBOX;
  const DWORD radio = child | BS_AUTORADIOBUTTON;
  const DWORD start = WS_GROUP | WS_TABSTOP;
  const int none = 65535;
  const std::vector<TemplateItem> expected = {
      {996, label, "ScheduleInput", -2, -22, 50, 8, text | WS_GROUP},
      {none, button, "\xBF\xE4\xC0\xCF[&W]", 6, 21, 40, 93, child | BS_GROUPBOX | WS_GROUP},  // 요일[&W]
      {108, button, "\xC1\xD6\xC0\xCF", 13, 33, 29, 10, box | start},                         // 주일
      {109, button, "\xBF\xF9", 13, 44, 29, 10, box},                                          // 월
      {110, button, "\xC8\xAD", 13, 55, 29, 10, box},                                          // 화
      {111, button, "\xBC\xF6", 13, 66, 29, 10, box},                                          // 수
      {112, button, "\xB8\xF1", 13, 77, 29, 10, box},                                          // 목
      {113, button, "\xB1\xDD", 13, 88, 29, 10, box},                                          // 금
      {114, button, "\xC5\xE4", 13, 99, 29, 10, box},                                          // 토
      {none, label, "\xB3\xEC\xC0\xBD\xBD\xC3\xC0\xDB", 52, 8, 32, 8, text},                   // 녹음시작
      {100, edit, "", 87, 5, 34, 12, field},
      {none, label, ":", 123, 7, 4, 8, text},
      {101, edit, "", 130, 5, 34, 12, field},
      {none, label, ":", 166, 7, 4, 8, text},
      {102, edit, "", 173, 5, 34, 12, field},
      {none, label, "\xB3\xEC\xC0\xBD \xB3\xA1", 52, 21, 32, 8, text},  // 녹음 끝
      {103, edit, "", 87, 19, 34, 12, field},
      {none, label, ":", 123, 21, 4, 8, text},
      {104, edit, "", 130, 19, 34, 12, field},
      {none, label, ":", 166, 21, 4, 8, text},
      {105, edit, "", 173, 19, 34, 12, field},
      {none, label, "", 51, 39, 205, 75, child | SS_ETCHEDFRAME},
      // Mp3파라메터설정
      {115, button, "Mp3\xC6\xC4\xB6\xF3\xB8\xDE\xC5\xCD\xBC\xB3\xC1\xA4", 58, 35, 72, 10, box | WS_TABSTOP},
      {120, button, "48kbps", 75, 46, 44, 10, radio | start},
      {121, button, "56kbps", 75, 57, 44, 10, radio},
      {122, button, "64kbps", 75, 68, 44, 10, radio},
      {123, button, "96kbps", 75, 79, 44, 10, radio},
      {124, button, "128kbps", 75, 90, 44, 10, radio},
      {125, button, "192kbps", 75, 101, 44, 10, radio},
      {116, button, "\xBD\xBA\xC5\xD7\xB7\xB9\xBF\xC0", 129, 46, 43, 10, radio | start},  // 스테레오
      {117, button, "\xB8\xF0\xB3\xEB", 129, 57, 43, 10, radio},                          // 모노
      {118, button, "22050Hz", 181, 46, 46, 10, radio | start},
      {119, button, "44100Hz", 181, 57, 40, 10, radio},
      {none, label, "\xC3\xE2\xB7\xC2\xC6\xC4\xC0\xCF[&F]", 6, 117, 46, 8, text | WS_GROUP},  // 출력파일[&F]
      {106, edit, "", 6, 126, 233, 12, field},
      {107, button, ">&>", 240, 124, 15, 14, child | BS_PUSHBUTTON | BS_CENTER | start},
      // 만들어질 파일명 미리보기
      {none, label, "\xB8\xB8\xB5\xE9\xBE\xEE\xC1\xFA \xC6\xC4\xC0\xCF\xB8\xED \xB9\xCC\xB8\xAE\xBA\xB8\xB1\xE2", 6, 142,
       99, 8, text},
      {132, label, "", 6, 151, 233, 10, text | SS_SUNKEN},
      // 예) %W:요일 %4Y:년 %2M:월 %2D:일 %2h:시 %2m:분 %2s:초
      {none, label,
       "\xBF\xB9) %W:\xBF\xE4\xC0\xCF %4Y:\xB3\xE2 %2M:\xBF\xF9 %2D:\xC0\xCF %2h:\xBD\xC3 %2m:\xBA\xD0 %2s:\xC3\xCA", 6,
       164, 233, 10, text},
      {1, button, "\xC0\xD4\xB7\xC2", 215, 5, 40, 14, child | BS_DEFPUSHBUTTON | BS_CENTER | start},  // 입력
      {2, button, "\xC3\xEB\xBC\xD2", 215, 21, 40, 14, child | BS_PUSHBUTTON | BS_CENTER},            // 취소
  };
  ASSERT_EQ(t.items.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    const TemplateItem& a = t.items[i];
    const TemplateItem& e = expected[i];
    SCOPED_TRACE("control " + std::to_string(i) + " id " + std::to_string(e.id));
    EXPECT_EQ(a.id, e.id);
    EXPECT_EQ(a.className, e.className);
    EXPECT_EQ(a.text, e.text);
    EXPECT_EQ(a.x, e.x);
    EXPECT_EQ(a.y, e.y);
    EXPECT_EQ(a.cx, e.cx);
    EXPECT_EQ(a.cy, e.cy);
    EXPECT_EQ(a.style, e.style) << std::hex << a.style << " vs " << e.style;
  }
}

// ---- A new entry ----

TEST_F(Editor, NewEntryWithoutSettingsSuggestsThisHourAndTheUsualParameters) {
  SYSTEMTIME before;
  EditorState s = StateOfNewEntry(&before);
  EXPECT_EQ(s.title, kTitleAdd);
  // The clock may have passed the hour while the editor opened.
  int hour = atoi(s.times[0].c_str());
  EXPECT_TRUE(hour == before.wHour || hour == (before.wHour + 1) % 24) << hour;
  std::string h = std::to_string(hour);
  EXPECT_EQ(s.times, (std::vector<std::string>{h, "0", "0", h, "59", "55"}));
  EXPECT_EQ(s.checkedRadios, (std::vector<int>{IDC_ED_STEREO, IDC_ED_RATE_44100, IDC_ED_BITRATE_128}));
  EXPECT_FALSE(s.mp3);
  EXPECT_TRUE(s.enabledRadios.empty());
  EXPECT_TRUE(s.checkedDays.empty());
  EXPECT_EQ(s.pattern, "");
  EXPECT_EQ(s.preview, "");
  EXPECT_EQ(ScheduleCount(), 0);
  EXPECT_EQ(ConfigAndSchedule(), "[Config]\n[MP3Schedule]\n");
}

TEST_F(Editor, DefaultSetDecidesDaysChannelsRatesAndTheParameterBox) {
  struct Case {
    const char* defaultSet;
    std::vector<int> days;
    std::vector<int> radios;
    bool mp3;
  } cases[] = {
      {"2 0 -1 3", {0, 1, 2, 3, 4, 5, 6}, {IDC_ED_MONO, IDC_ED_RATE_22050, IDC_ED_BITRATE_64}, true},
      {"2 0 -1 0", {0, 1, 2, 3, 4, 5, 6}, {IDC_ED_STEREO, IDC_ED_RATE_44100, IDC_ED_BITRATE_128}, false},
      {"2 0 0 2", {}, {IDC_ED_MONO, IDC_ED_RATE_22050, IDC_ED_BITRATE_64}, false},
      {"4 1 42 1", {1, 3, 5}, {IDC_ED_STEREO, IDC_ED_RATE_44100, IDC_ED_BITRATE_128}, true},
      // indexes outside the runs leave those runs without a checked button
      {"6 2 1 1", {0}, {IDC_ED_STEREO}, true},
      {"-1 -1 1 1", {0}, {IDC_ED_STEREO}, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.defaultSet);
    Seed(std::string("[Config]\r\nDefaultSet=") + c.defaultSet + "\r\nOutFileName=D:\\Rec\\%W.mp3\r\n");
    EditorState s = StateOfNewEntry();
    EXPECT_EQ(s.checkedDays, c.days);
    EXPECT_EQ(s.checkedRadios, c.radios);
    EXPECT_EQ(s.mp3, c.mp3);
    EXPECT_EQ(s.enabledRadios, c.mp3 ? AllRadios() : std::vector<int>{});
    EXPECT_EQ(s.pattern, "D:\\Rec\\%W.mp3");
    EXPECT_EQ(s.preview, Expand("D:\\Rec\\%W.mp3"));
  }
}

// ---- OK ----

TEST_F(Editor, OkAppendsTheEntryAndRemembersItsParametersAndPattern) {
  Seed("[Config]\r\nDefaultSet=2 0 0 3\r\n");
  ScheduleEntry* first = Add(100, 200, "D:\\first.mp3");
  INT_PTR result = Run(nullptr, [](HWND editor) {
    SetTimes(editor, {"7", "30", "0", "8", "15", "5"});
    for (int d = 0; d < 7; ++d) Click(editor, IDC_ED_DAY_FIRST + d);
    Click(editor, IDC_ED_BITRATE_192);
    Click(editor, IDC_ED_STEREO);
    SetText(editor, IDC_ED_OUTPUT, "D:\\Rec\\%2h%2m.mp3");
    Click(editor, IDOK);
  });
  EXPECT_EQ(result, IDOK);
  std::vector<ScheduleEntry*> all = Entries();
  ASSERT_EQ(all.size(), 2u);
  EXPECT_EQ(all[0], first);
  const ScheduleEntry* e = all[1];
  EXPECT_EQ(e->startSeconds, 7 * 3600 + 30 * 60);
  EXPECT_EQ(e->endSeconds, 8 * 3600 + 15 * 60 + 5);
  EXPECT_EQ(e->dayMask, -1);
  EXPECT_EQ(e->flags, 1u);
  EXPECT_EQ(e->bitrateIndex, 5);
  EXPECT_EQ(e->sampleRateIndex, 0);
  EXPECT_EQ(e->recording, 0);
  EXPECT_STREQ(e->outputPattern, "D:\\Rec\\%2h%2m.mp3");
  EXPECT_EQ(ReadIni("Config", "DefaultSet"), "5 0 -1 1");
  EXPECT_EQ(ReadIni("Config", "OutFileName"), "D:\\Rec\\%2h%2m.mp3");
  // The editor itself neither saves the list nor anything else.
  EXPECT_EQ(ReadIni("MP3Schedule", "0"), "");

  // The next new entry starts from what was accepted.
  EditorState next = StateOfNewEntry();
  EXPECT_EQ(next.checkedDays, (std::vector<int>{0, 1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(next.checkedRadios, (std::vector<int>{IDC_ED_STEREO, IDC_ED_RATE_22050, IDC_ED_BITRATE_192}));
  EXPECT_TRUE(next.mp3);
  EXPECT_EQ(next.pattern, "D:\\Rec\\%2h%2m.mp3");
}

TEST_F(Editor, OkAcceptsAnyDaysAndWindowsOverMidnight) {
  struct Case {
    std::vector<int> days;
    std::vector<std::string> times;
    int32_t dayMask, start, end;
    const char* defaultSet;
  } cases[] = {
      {{1, 2, 3, 4, 5, 6}, {"9", "0", "0", "10", "0", "0"}, 126, 32400, 36000, "4 1 126 0"},
      {{}, {"9", "0", "0", "10", "0", "0"}, 0, 32400, 36000, "4 1 0 0"},
      {{0}, {"23", "0", "0", "1", "0", "0"}, 1, 82800, 3600, "4 1 1 0"},
      // typed numbers are counted, not checked: 0:0:90000 is a day and a hour
      {{6}, {"0", "0", "90000", "", "x", "1"}, 64, 90000, 1, "4 1 64 0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.defaultSet);
    // Each case starts without remembered days: an accepted entry's days
    // would pre-check the next one.
    FreeAllSchedules();
    ini_ = UseFreshSettings(NewTempDir("editor"));
    INT_PTR result = Run(nullptr, [&](HWND editor) {
      SetTimes(editor, c.times);
      for (int d : c.days) Click(editor, IDC_ED_DAY_FIRST + d);
      SetText(editor, IDC_ED_OUTPUT, "D:\\x.mp3");
      Click(editor, IDOK);
    });
    EXPECT_EQ(result, IDOK);
    ASSERT_EQ(ScheduleCount(), 1);
    EXPECT_EQ(scheduleList->dayMask, c.dayMask);
    EXPECT_EQ(scheduleList->startSeconds, c.start);
    EXPECT_EQ(scheduleList->endSeconds, c.end);
    EXPECT_EQ(ReadIni("Config", "DefaultSet"), c.defaultSet);
  }
}

TEST_F(Editor, OkRefusesEqualTimesABlankPatternAndAQuoteAndStaysOpen) {
  struct Case {
    std::vector<std::string> times;
    const char* pattern;
    const char* message;
  } cases[] = {
      {{"9", "0", "0", "9", "0", "0"}, "D:\\x.mp3", STR_TIMES_MUST_DIFFER},
      {{"0", "60", "0", "1", "0", "0"}, "D:\\x.mp3", STR_TIMES_MUST_DIFFER},
      {{"", "", "", "0", "0", "0"}, "", STR_TIMES_MUST_DIFFER},
      {{"9", "0", "0", "10", "0", "0"}, "", STR_ENTER_DESTINATION},
      {{"9", "0", "0", "10", "0", "0"}, "   ", STR_ENTER_DESTINATION},
      {{"9", "0", "0", "10", "0", "0"}, " \t ", STR_ENTER_DESTINATION},
      {{"9", "0", "0", "10", "0", "0"}, "\"D:\\My Music\\x.mp3\"", STR_NO_QUOTE_IN_PATTERN},
      {{"9", "0", "0", "10", "0", "0"}, "D:\\x\".mp3", STR_NO_QUOTE_IN_PATTERN},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string("'") + c.pattern + "'");
    MessageBoxAnswerer answerer({IDOK});
    EditorState afterRefusal;
    bool stillOpen = false;
    bool focusOnPattern = false;
    INT_PTR result = Run(nullptr, [&](HWND editor) {
      SetTimes(editor, c.times);
      SetText(editor, IDC_ED_OUTPUT, c.pattern);
      Click(editor, IDC_ED_DAY_MON);
      Click(editor, IDOK);
      stillOpen = IsWindowVisible(editor) != FALSE;
      focusOnPattern = GetFocus() == GetDlgItem(editor, IDC_ED_OUTPUT);
      afterRefusal = ReadState(editor);
      Click(editor, IDCANCEL);
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_TRUE(stillOpen);
    // A refused pattern gets the caret back, to be corrected at once.
    if (c.message == std::string(STR_NO_QUOTE_IN_PATTERN)) {
      EXPECT_TRUE(focusOnPattern);
    }
    ASSERT_EQ(answerer.seen().size(), 1u);
    EXPECT_EQ(answerer.seen()[0].text, c.message);
    EXPECT_EQ(answerer.seen()[0].caption, kTitleAdd);
    // Every control as it was, the untrimmed pattern too.
    EXPECT_EQ(afterRefusal.times, c.times);
    EXPECT_EQ(afterRefusal.pattern, c.pattern);
    EXPECT_EQ(afterRefusal.checkedDays, std::vector<int>{1});
    EXPECT_EQ(ScheduleCount(), 0);
    EXPECT_EQ(ConfigAndSchedule(), "[Config]\n[MP3Schedule]\n");
  }
}

TEST_F(Editor, BlanksAroundAPatternAreStoredAndRememberedAsTyped) {
  INT_PTR result = Run(nullptr, [](HWND editor) {
    SetTimes(editor, {"1", "0", "0", "2", "0", "0"});
    SetText(editor, IDC_ED_OUTPUT, "  D:\\Rec\\a.mp3 \t");
    Click(editor, IDOK);
  });
  EXPECT_EQ(result, IDOK);
  ASSERT_EQ(ScheduleCount(), 1);
  EXPECT_STREQ(scheduleList->outputPattern, "  D:\\Rec\\a.mp3 \t");
  // The editor hands the text with its blanks to the profile writer, which
  // under Wine drops blanks around a value (and every reader drops them).
  EXPECT_EQ(ReadIni("Config", "OutFileName"), "D:\\Rec\\a.mp3");
}

TEST_F(Editor, LongPatternsAreTakenAsTheirFirst259Bytes) {
  std::string longPattern = "D:\\" + std::string(300, 'a');
  std::string preview;
  INT_PTR result = Run(nullptr, [&](HWND editor) {
    SetTimes(editor, {"1", "0", "0", "2", "0", "0"});
    SetText(editor, IDC_ED_OUTPUT, longPattern);
    preview = ItemText(editor, IDC_ED_PREVIEW);
    Click(editor, IDOK);
  });
  EXPECT_EQ(result, IDOK);
  ASSERT_EQ(ScheduleCount(), 1);
  EXPECT_EQ(std::string(scheduleList->outputPattern), longPattern.substr(0, 259));
  EXPECT_EQ(preview, longPattern.substr(0, 259));
}

// ---- Windows that overlap ----

TEST_F(Editor, OverlapAsksBeforeStoringYesStoresAndNoKeepsTheFieldsAsTyped) {
  // Both Monday, both overlapping 09:15-09:45 (Add makes Monday entries);
  // a Tuesday one at the same time does not.
  ScheduleEntry* news = Add(HmsToSeconds(9, 0, 0), HmsToSeconds(10, 0, 0), "D:\\news.mp3");
  ScheduleEntry* tuesday = Add(HmsToSeconds(9, 0, 0), HmsToSeconds(10, 0, 0), "D:\\tue.mp3");
  tuesday->dayMask = 4;
  Add(HmsToSeconds(9, 30, 0), HmsToSeconds(11, 0, 0), "D:\\talk.mp3");
  const std::vector<std::string> times = {"9", "15", "0", "9", "45", "0"};
  for (int answer : {IDNO, IDYES}) {
    SCOPED_TRACE(answer == IDYES ? "yes" : "no");
    MessageBoxAnswerer answerer({answer});
    EditorState afterNo;
    bool stillOpen = false;
    bool focusOnStart = false;
    INT_PTR result = Run(nullptr, [&](HWND editor) {
      SetTimes(editor, times);
      Click(editor, IDC_ED_DAY_MON);
      SetText(editor, IDC_ED_OUTPUT, "D:\\mine.mp3");
      Click(editor, IDOK);
      stillOpen = IsWindow(editor) && IsWindowVisible(editor);
      if (!stillOpen) return;
      focusOnStart = GetFocus() == GetDlgItem(editor, IDC_ED_START_HOUR);
      afterNo = ReadState(editor);
      Click(editor, IDCANCEL);
    });
    ASSERT_EQ(answerer.seen().size(), 1u);
    const MessageBoxRecord& question = answerer.seen()[0];
    EXPECT_EQ(question.buttons, (std::vector<int>{IDYES, IDNO}));
    // The first overlapping entry in list order, by its window and pattern,
    // and how many more there are.
    EXPECT_NE(question.text.find("09:00:00 - 10:00:00  D:\\news.mp3\n"), std::string::npos) << question.text;
    char further[64];
    std::snprintf(further, sizeof further, STR_OVERLAP_MORE, 1);
    EXPECT_NE(question.text.find(further), std::string::npos) << question.text;
    if (answer == IDNO) {
      EXPECT_EQ(result, IDCANCEL);
      EXPECT_TRUE(stillOpen);
      EXPECT_TRUE(focusOnStart);
      EXPECT_EQ(afterNo.times, times);
      EXPECT_EQ(afterNo.checkedDays, std::vector<int>{1});
      EXPECT_EQ(afterNo.pattern, "D:\\mine.mp3");
      EXPECT_EQ(ScheduleCount(), 3);
      EXPECT_EQ(ConfigAndSchedule(), "[Config]\n[MP3Schedule]\n");
    } else {
      EXPECT_EQ(result, IDOK);
      ASSERT_EQ(ScheduleCount(), 4);
      const ScheduleEntry* stored = Entries().back();
      EXPECT_STREQ(stored->outputPattern, "D:\\mine.mp3");
      EXPECT_EQ(ReadIni("Config", "OutFileName"), "D:\\mine.mp3");
    }
  }
  EXPECT_EQ(Entries().front(), news);
}

TEST_F(Editor, NoQuestionWhenWindowsOnlyTouchOrTheEntryMeetsItself) {
  ScheduleEntry* evening = Add(HmsToSeconds(22, 0, 0), HmsToSeconds(23, 0, 0), "D:\\evening.mp3");
  Add(HmsToSeconds(23, 0, 0), HmsToSeconds(23, 30, 0), "D:\\late.mp3");
  MessageBoxAnswerer answerer({IDNO});
  // The entry moved within its own old window, ending as the next one starts.
  INT_PTR result = Run(evening, [](HWND editor) {
    SetTimes(editor, {"22", "30", "0", "23", "0", "0"});
    Click(editor, IDOK);
  });
  EXPECT_EQ(result, IDOK);
  EXPECT_TRUE(answerer.seen().empty()) << answerer.seen()[0].text;
  EXPECT_EQ(evening->startSeconds, HmsToSeconds(22, 30, 0));
}

// ---- Modify and Cancel ----

TEST_F(Editor, ModifyFillsFromTheEntryAndKeepsItsPlaceAndRecordingMark) {
  ScheduleEntry* a = Add(3600, 7200, "D:\\a.mp3");
  ScheduleEntry* b = Add(HmsToSeconds(23, 30, 15), HmsToSeconds(0, 45, 0), "D:\\b_%W.mp3");
  ScheduleEntry* c = Add(HmsToSeconds(12, 0, 0), HmsToSeconds(13, 0, 0), "D:\\c.mp3");
  b->recording = 1;
  b->dayMask = -1;
  b->flags = 3;
  b->bitrateIndex = 0;
  b->sampleRateIndex = 1;
  EditorState shown;
  INT_PTR result = Run(b, [&](HWND editor) {
    shown = ReadState(editor);
    SetText(editor, IDC_ED_START_HOUR, "22");
    Click(editor, IDC_ED_DAY_SUN);  // Monday to Saturday remain
    Click(editor, IDC_ED_MP3_PARAMS);
    SetText(editor, IDC_ED_OUTPUT, "E:\\b.mp3");
    Click(editor, IDOK);
  });
  EXPECT_EQ(shown.title, kTitleModify);
  EXPECT_EQ(shown.times, (std::vector<std::string>{"23", "30", "15", "0", "45", "0"}));
  EXPECT_EQ(shown.checkedDays, (std::vector<int>{0, 1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(shown.checkedRadios, (std::vector<int>{IDC_ED_MONO, IDC_ED_RATE_44100, IDC_ED_BITRATE_48}));
  EXPECT_TRUE(shown.mp3);
  EXPECT_EQ(shown.pattern, "D:\\b_%W.mp3");
  EXPECT_EQ(shown.preview, Expand("D:\\b_%W.mp3"));

  EXPECT_EQ(result, IDOK);
  EXPECT_EQ(Entries(), (std::vector<ScheduleEntry*>{a, b, c}));
  EXPECT_EQ(b->recording, 1);
  EXPECT_EQ(b->startSeconds, HmsToSeconds(22, 30, 15));
  EXPECT_EQ(b->endSeconds, HmsToSeconds(0, 45, 0));
  EXPECT_EQ(b->dayMask, 126);
  // The box is off now; the radio checks it kept are stored all the same.
  EXPECT_EQ(b->flags, 2u);
  EXPECT_EQ(b->bitrateIndex, 0);
  EXPECT_EQ(b->sampleRateIndex, 1);
  EXPECT_STREQ(b->outputPattern, "E:\\b.mp3");
  EXPECT_EQ(ReadIni("Config", "DefaultSet"), "0 1 126 2");
  EXPECT_EQ(ReadIni("Config", "OutFileName"), "E:\\b.mp3");
}

TEST_F(Editor, CancelEscapeAndTheCloseBoxChangeNothing) {
  Seed("[Config]\r\nDefaultSet=1 1 5 1\r\nOutFileName=D:\\keep.mp3\r\n");
  ScheduleEntry* a = Add(3600, 7200, "D:\\a.mp3");
  a->recording = 1;
  ScheduleEntry before = *a;
  std::string settingsBefore = ConfigAndSchedule();
  const std::function<void(HWND)> endings[] = {
      [](HWND editor) { Click(editor, IDCANCEL); },
      [](HWND editor) {
        Activate(editor);
        MSG key = {GetFocus(), WM_KEYDOWN, VK_ESCAPE, 0, 0, {0, 0}};
        if (!IsDialogMessageA(editor, &key)) DispatchMessageA(&key);
      },
      [](HWND editor) { SendMessageA(editor, WM_SYSCOMMAND, SC_CLOSE, 0); },
  };
  for (ScheduleEntry* entry : {a, static_cast<ScheduleEntry*>(nullptr)}) {
    for (size_t way = 0; way < 3; ++way) {
      SCOPED_TRACE(std::string(entry ? "modify" : "add") + ", way " + std::to_string(way));
      INT_PTR result = Run(entry, [&](HWND editor) {
        SetTimes(editor, {"5", "5", "5", "6", "6", "6"});
        for (int d = 0; d < 7; ++d) Click(editor, IDC_ED_DAY_FIRST + d);
        Click(editor, IDC_ED_MP3_PARAMS);
        Click(editor, IDC_ED_BITRATE_192);
        SetText(editor, IDC_ED_OUTPUT, "E:\\other.mp3");
        endings[way](editor);
      });
      EXPECT_EQ(result, IDCANCEL);
      EXPECT_EQ(Entries(), std::vector<ScheduleEntry*>{a});
      EXPECT_EQ(memcmp(a, &before, sizeof before), 0);
      EXPECT_EQ(ConfigAndSchedule(), settingsBefore);
    }
  }
}

// ---- Controls ----

// Every window created on this thread while installed, with the values its
// creator passed (the up-down control drops WS_BORDER from its style once
// created, so only creation shows what the editor asked for).
struct CreatedWindow {
  std::string className;
  std::string text;
  DWORD style, exStyle;
  int id;
  HWND parent;
  int x, y, cx, cy;
};
// Adds the window a WH_CBT hook call creates, if it is one, to log.
void RecordCreation(int code, LPARAM lParam, std::vector<CreatedWindow>* log) {
  if (code != HCBT_CREATEWND) return;
  const CREATESTRUCTA* cs = reinterpret_cast<CBT_CREATEWNDA*>(lParam)->lpcs;
  CreatedWindow w;
  w.className = HIWORD(reinterpret_cast<UINT_PTR>(cs->lpszClass)) ? cs->lpszClass : "#atom";
  w.text = cs->lpszName && HIWORD(reinterpret_cast<UINT_PTR>(cs->lpszName)) ? cs->lpszName : "";
  w.style = static_cast<DWORD>(cs->style);
  w.exStyle = cs->dwExStyle;
  w.id = static_cast<int>(reinterpret_cast<INT_PTR>(cs->hMenu));
  w.parent = cs->hwndParent;
  w.x = cs->x;
  w.y = cs->y;
  w.cx = cs->cx;
  w.cy = cs->cy;
  log->push_back(w);
}

TEST_F(Editor, UpDownsAreBoundToTheTimeFieldsAndWrap) {
  struct Bound {
    int buddyId;
    LRESULT range;
    RECT upDownRect, fieldRect;
  };
  std::vector<CreatedWindow> created;
  std::vector<Bound> bound;
  std::vector<std::string> steps;
  HWND editorWindow = nullptr;
  RECT templateField = {87, 5, 87 + 34, 5 + 12};
  auto hook = std::make_unique<ThreadHook>(
      WH_CBT, [&](int code, WPARAM, LPARAM lParam) { RecordCreation(code, lParam, &created); });
  Run(nullptr, [&](HWND editor) {
    editorWindow = editor;
    MapDialogRect(editor, &templateField);
    for (int k = 0; k < 6; ++k) {
      Bound b = {};
      HWND upDown = Item(editor, IDC_ED_UPDOWN_FIRST + k);
      b.buddyId = GetDlgCtrlID(reinterpret_cast<HWND>(SendMessageA(upDown, UDM_GETBUDDY, 0, 0)));
      b.range = SendMessageA(upDown, UDM_GETRANGE, 0, 0);
      GetWindowRect(upDown, &b.upDownRect);
      GetWindowRect(Item(editor, IDC_ED_START_HOUR + k), &b.fieldRect);
      MapWindowPoints(nullptr, editor, reinterpret_cast<POINT*>(&b.upDownRect), 2);
      MapWindowPoints(nullptr, editor, reinterpret_cast<POINT*>(&b.fieldRect), 2);
      bound.push_back(b);
    }
    HWND hour = Item(editor, IDC_ED_START_HOUR);
    HWND minute = Item(editor, IDC_ED_END_MINUTE);
    auto press = [&](HWND field, WPARAM key) {
      SendMessageA(field, WM_KEYDOWN, key, 0);
      SendMessageA(field, WM_KEYUP, key, 0);
      steps.push_back(WindowText(field));
    };
    SetText(editor, IDC_ED_START_HOUR, "22");
    press(hour, VK_UP);    // 23
    press(hour, VK_UP);    // wraps to 0
    press(hour, VK_DOWN);  // wraps to 23
    SetText(editor, IDC_ED_END_MINUTE, "58");
    press(minute, VK_UP);  // 59
    press(minute, VK_UP);  // 0
    // The arrows of the control itself: upper half counts up, lower down.
    HWND arrows = Item(editor, IDC_ED_UPDOWN_FIRST);
    RECT r;
    GetClientRect(arrows, &r);
    LPARAM upper = MAKELPARAM((r.right - r.left) / 2, r.bottom / 4);
    LPARAM lower = MAKELPARAM((r.right - r.left) / 2, r.bottom * 3 / 4);
    for (LPARAM at : {upper, lower, lower}) {
      SendMessageA(arrows, WM_LBUTTONDOWN, MK_LBUTTON, at);
      SendMessageA(arrows, WM_LBUTTONUP, 0, at);
      steps.push_back(WindowText(hour));
    }
    Click(editor, IDCANCEL);
  });
  hook.reset();

  std::vector<CreatedWindow> upDowns;
  for (const CreatedWindow& w : created)
    if (lstrcmpiA(w.className.c_str(), "msctls_updown32") == 0) upDowns.push_back(w);
  ASSERT_EQ(upDowns.size(), 6u);
  ASSERT_EQ(bound.size(), 6u);
  for (int k = 0; k < 6; ++k) {
    SCOPED_TRACE(k);
    const CreatedWindow& w = upDowns[static_cast<size_t>(k)];
    EXPECT_EQ(w.id, IDC_ED_UPDOWN_FIRST + k);
    EXPECT_EQ(w.style, 0x508000A7u);
    EXPECT_EQ(w.exStyle, 0u);
    EXPECT_EQ(w.text, "");
    EXPECT_EQ(w.parent, editorWindow);
    EXPECT_EQ(w.x, 0);
    EXPECT_EQ(w.y, 0);
    EXPECT_EQ(w.cx, 8);
    EXPECT_EQ(w.cy, 8);
    const Bound& b = bound[static_cast<size_t>(k)];
    EXPECT_EQ(b.buddyId, IDC_ED_START_HOUR + k);
    int maximum = k % 3 == 0 ? 23 : 59;
    EXPECT_EQ(b.range, MAKELONG(maximum, 0));
    // Moved to the right edge of its field, which was narrowed to make room.
    EXPECT_GT(b.upDownRect.right, b.fieldRect.right);
    EXPECT_GE(b.upDownRect.left, b.fieldRect.right - 2);
    EXPECT_EQ(b.upDownRect.top, b.fieldRect.top);
    EXPECT_LT(b.fieldRect.right - b.fieldRect.left, templateField.right - templateField.left);
  }
  EXPECT_EQ(steps, (std::vector<std::string>{"23", "0", "23", "59", "0", "0", "23", "22"}));
}

TEST_F(Editor, PreviewFollowsEveryChangeOfTheOutputField) {
  std::vector<std::pair<std::string, std::string>> seen;  // field, preview
  INT_PTR result = Run(nullptr, [&](HWND editor) {
    SetTimes(editor, {"1", "0", "0", "2", "0", "0"});
    HWND field = Item(editor, IDC_ED_OUTPUT);
    SetFocus(field);
    for (char c : std::string("%W\\%x")) {
      SendMessageA(field, WM_CHAR, static_cast<unsigned char>(c), 1);
      seen.emplace_back(WindowText(field), ItemText(editor, IDC_ED_PREVIEW));
    }
    SendMessageA(field, WM_KEYDOWN, VK_BACK, 0);
    SendMessageA(field, WM_CHAR, VK_BACK, 1);
    seen.emplace_back(WindowText(field), ItemText(editor, IDC_ED_PREVIEW));
    SetText(editor, IDC_ED_OUTPUT, "%x.mp3");
    seen.emplace_back(WindowText(field), ItemText(editor, IDC_ED_PREVIEW));
    Click(editor, IDOK);  // an unknown code is no reason to refuse
  });
  ASSERT_EQ(seen.size(), 7u);
  const char* typed[] = {"%", "%W", "%W\\", "%W\\%", "%W\\%x", "%W\\%", "%x.mp3"};
  for (size_t i = 0; i < seen.size(); ++i) {
    EXPECT_EQ(seen[i].first, typed[i]);
    EXPECT_EQ(seen[i].second, Expand(typed[i])) << typed[i];
  }
  EXPECT_EQ(seen[4].second.substr(seen[4].second.size() - 5), "-Err-");
  EXPECT_EQ(seen[6].second, "-Err-.mp3");
  EXPECT_EQ(result, IDOK);
  ASSERT_EQ(ScheduleCount(), 1);
  EXPECT_STREQ(scheduleList->outputPattern, "%x.mp3");
}

TEST_F(Editor, ParameterBoxEnablesTheTenRadiosWhichKeepTheirChecks) {
  std::vector<EditorState> states;
  Run(nullptr, [&](HWND editor) {
    states.push_back(ReadState(editor));
    Click(editor, IDC_ED_MP3_PARAMS);
    states.push_back(ReadState(editor));
    Click(editor, IDC_ED_MONO);
    Click(editor, IDC_ED_BITRATE_56);
    Click(editor, IDC_ED_MP3_PARAMS);
    states.push_back(ReadState(editor));
    Click(editor, IDCANCEL);
  });
  ASSERT_EQ(states.size(), 3u);
  EXPECT_TRUE(states[0].enabledRadios.empty());
  EXPECT_EQ(states[1].enabledRadios, AllRadios());
  EXPECT_TRUE(states[1].mp3);
  EXPECT_TRUE(states[2].enabledRadios.empty());
  EXPECT_EQ(states[2].checkedRadios, (std::vector<int>{IDC_ED_MONO, IDC_ED_RATE_44100, IDC_ED_BITRATE_56}));
}

TEST_F(Editor, TabOrderAndMnemonicsFollowTheTemplate) {
  Seed("[Config]\r\nDefaultSet=4 1 0 1\r\n");  // parameters on: the radio groups take part
  std::vector<int> order;
  int afterAltW = 0, afterAltF = 0;
  Run(nullptr, [&](HWND editor) {
    auto key = [&](UINT message, WPARAM code) {
      MSG m = {GetFocus(), message, code, message == WM_SYSCHAR ? (1 << 29) : 0, 0, {0, 0}};
      if (!IsDialogMessageA(editor, &m)) {
        TranslateMessage(&m);
        DispatchMessageA(&m);
      }
    };
    Activate(editor);
    order.push_back(GetDlgCtrlID(GetFocus()));
    for (int i = 0; i < 15; ++i) {
      key(WM_KEYDOWN, VK_TAB);
      order.push_back(GetDlgCtrlID(GetFocus()));
    }
    key(WM_SYSCHAR, 'w');
    afterAltW = GetDlgCtrlID(GetFocus());
    key(WM_SYSCHAR, 'f');
    afterAltF = GetDlgCtrlID(GetFocus());
    Click(editor, IDCANCEL);
  });
  // The tab stops in template order; a radio group is entered at its
  // checked button.
  EXPECT_EQ(order, (std::vector<int>{108, 100, 101, 102, 103, 104, 105, 115, 124, 116, 119, 106, 107, 1, 108, 100}));
  EXPECT_EQ(afterAltW, IDC_ED_DAY_SUN);
  EXPECT_EQ(afterAltF, IDC_ED_OUTPUT);
}

// ---- The folder browser ----

bool IsFolderBrowserOf(HWND window, HWND owner) {
  if (GetWindow(window, GW_OWNER) != owner) return false;
  return FindWindowExA(window, nullptr, "SysTreeView32", nullptr) != nullptr;
}

std::vector<std::string> StaticTexts(HWND window) {
  std::vector<std::string> texts;
  for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
    if (ClassNameOf(child) == "Static") texts.push_back(WindowText(child));
  return texts;
}

// The name the shell shows for a special folder, as the browser lists it.
std::string ShellDisplayName(int csidl) {
  LPITEMIDLIST pidl = nullptr;
  if (FAILED(SHGetSpecialFolderLocation(nullptr, csidl, &pidl))) return "";
  SHFILEINFOA info = {};
  SHGetFileInfoA(reinterpret_cast<LPCSTR>(pidl), 0, &info, sizeof info, SHGFI_PIDL | SHGFI_DISPLAYNAME);
  CoTaskMemFree(pidl);
  return info.szDisplayName;
}

std::string TreeItemText(HWND tree, HTREEITEM item) {
  char text[MAX_PATH] = "";
  TVITEMA tv = {};
  tv.mask = TVIF_TEXT;
  tv.hItem = item;
  tv.pszText = text;
  tv.cchTextMax = sizeof text;
  SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&tv));
  return text;
}

// What one press of the browse button showed and left in the output field.
struct BrowseOutcome {
  bool browserSeen = false;
  bool titled = false;  // the browser shows the editor's request
  bool itemFound = false;
  std::string field, preview;
};

// Presses the browse button with the field holding `before`; in the browser,
// chooses the desktop's child named `choice` and confirms, or cancels when
// `choice` is empty.
BrowseOutcome Browse(HWND editor, const std::string& before, const std::string& choice) {
  BrowseOutcome outcome;
  SetText(editor, IDC_ED_OUTPUT, before);
  ModalScript browser([editor](HWND w) { return IsFolderBrowserOf(w, editor); },
                      [&](HWND w) {
                        outcome.browserSeen = true;
                        for (const std::string& t : StaticTexts(w)) outcome.titled = outcome.titled || t == STR_BROWSE_TITLE;
                        if (choice.empty()) {
                          PostMessageA(w, WM_COMMAND, IDCANCEL, 0);
                          return;
                        }
                        HWND tree = FindWindowExA(w, nullptr, "SysTreeView32", nullptr);
                        HTREEITEM root = TreeView_GetRoot(tree);
                        TreeView_Expand(tree, root, TVE_EXPAND);
                        for (HTREEITEM item = TreeView_GetChild(tree, root); item; item = TreeView_GetNextSibling(tree, item)) {
                          if (TreeItemText(tree, item) != choice) continue;
                          outcome.itemFound = true;
                          TreeView_SelectItem(tree, item);
                          break;
                        }
                        PostMessageA(w, WM_COMMAND, outcome.itemFound ? IDOK : IDCANCEL, 0);
                      });
  Click(editor, IDC_ED_BROWSE);
  EXPECT_TRUE(browser.ran()) << "no folder browser for " << choice;
  outcome.field = ItemText(editor, IDC_ED_OUTPUT);
  outcome.preview = ItemText(editor, IDC_ED_PREVIEW);
  return outcome;
}

TEST_F(Editor, FolderBrowserPutsTheChosenFolderIntoTheOutputField) {
  char documents[MAX_PATH] = "";
  ASSERT_TRUE(SUCCEEDED(SHGetFolderPathA(nullptr, CSIDL_PERSONAL, nullptr, 0, documents)));
  std::string documentsName = ShellDisplayName(CSIDL_PERSONAL);
  std::string computerName = ShellDisplayName(CSIDL_DRIVES);
  std::vector<BrowseOutcome> outcomes;
  Run(nullptr, [&](HWND editor) {
    outcomes.push_back(Browse(editor, "D:\\Rec\\%W.mp3", ""));
    outcomes.push_back(Browse(editor, "D:\\Rec\\%W.mp3", documentsName));
    // An item without a file-system path.
    outcomes.push_back(Browse(editor, "D:\\Rec\\%W.mp3", computerName));
    Click(editor, IDCANCEL);
  });
  ASSERT_EQ(outcomes.size(), 3u);
  for (const BrowseOutcome& o : outcomes) {
    EXPECT_TRUE(o.browserSeen);
    EXPECT_TRUE(o.titled) << "the browser does not show the editor's request";
  }
  EXPECT_EQ(outcomes[0].field, "D:\\Rec\\%W.mp3");
  EXPECT_TRUE(outcomes[1].itemFound) << documentsName;
  EXPECT_EQ(outcomes[1].field, std::string(documents) + "\\");
  EXPECT_EQ(outcomes[1].preview, std::string(documents) + "\\");
  EXPECT_TRUE(outcomes[2].itemFound) << computerName;
  EXPECT_EQ(outcomes[2].field, "D:\\Rec\\%W.mp3");
  EXPECT_EQ(outcomes[2].preview, Expand("D:\\Rec\\%W.mp3"));
}

// ---- From the main window ----

class EditorFromMainWindow : public Editor {
 protected:
  void SetUp() override {
    Editor::SetUp();
    RegisterMainClass(app.instance);
    main_ = CreateDialogParamA(app.instance, MAKEINTRESOURCEA(IDD_MAIN), nullptr, MainDialogProc, 0);
    ASSERT_NE(main_, nullptr);
    // Only the editor is under test here: no player launch, no timers.
    MSG posted;
    while (PeekMessageA(&posted, main_, WM_COMMAND, WM_COMMAND, PM_REMOVE)) {
    }
    KillTimer(main_, TIMER_PLUGIN_SEARCH);
    KillTimer(main_, TIMER_SECOND_TICK);
    ShowWindow(main_, SW_SHOW);
    app.scheduleDirty = 0;
  }
  void TearDown() override {
    if (main_) DestroyWindow(main_);
    // The main window ends the message loop when destroyed; not this one.
    MSG quit;
    while (PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
    Editor::TearDown();
  }

  HWND List() { return GetDlgItem(main_, IDC_MAIN_LIST); }

  // Lets the main window handle what it posted itself, with script run in
  // the editor that this opens.
  std::string DriveEditor(const std::function<void(HWND)>& script) {
    std::string title;
    ModalScript driver(IsEditor, [&](HWND editor) {
      title = WindowText(editor);
      script(editor);
    });
    PumpUntil([&] { return driver.ran() && !IsWindow(driver.window()); }, 5000);
    EXPECT_TRUE(driver.ran()) << "the editor was not opened";
    EXPECT_FALSE(driver.timedOut());
    return title;
  }

  HWND main_ = nullptr;
};

TEST_F(EditorFromMainWindow, InsertAddsAnEntryAndMarksTheScheduleChanged) {
  SetFocus(List());
  SendMessageA(List(), WM_KEYDOWN, VK_INSERT, 0);
  std::string title = DriveEditor([](HWND editor) {
    SetTimes(editor, {"6", "0", "0", "7", "0", "0"});
    SetText(editor, IDC_ED_OUTPUT, "D:\\morning.mp3");
    Click(editor, IDOK);
  });
  EXPECT_EQ(title, kTitleAdd);
  EXPECT_EQ(ListLines(main_, IDC_MAIN_LIST),
            std::vector<std::string>{std::string("06:00:00 - 07:00:00 ") + STR_MARK_IDLE + " D:\\morning.mp3"});
  EXPECT_EQ(app.scheduleDirty, 1);
}

TEST_F(EditorFromMainWindow, DoubleClickModifiesTheEntryOfTheLine) {
  Add(HmsToSeconds(10, 0, 0), HmsToSeconds(11, 0, 0), "D:\\b.mp3");
  ScheduleEntry* first = Add(HmsToSeconds(8, 0, 0), HmsToSeconds(9, 0, 0), "D:\\a.mp3");
  RefreshScheduleList(main_);
  // Line 0 is the earlier start, the second entry of the list.
  RECT line;
  SendMessageA(List(), LB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&line));
  LPARAM at = MAKELPARAM((line.left + line.right) / 2, (line.top + line.bottom) / 2);
  SendMessageA(List(), WM_LBUTTONDOWN, MK_LBUTTON, at);
  SendMessageA(List(), WM_LBUTTONUP, 0, at);
  SendMessageA(List(), WM_LBUTTONDBLCLK, MK_LBUTTON, at);
  SendMessageA(List(), WM_LBUTTONUP, 0, at);
  std::string pattern;
  std::string title = DriveEditor([&](HWND editor) {
    pattern = ItemText(editor, IDC_ED_OUTPUT);
    SetText(editor, IDC_ED_END_MINUTE, "30");
    Click(editor, IDOK);
  });
  EXPECT_EQ(title, kTitleModify);
  EXPECT_EQ(pattern, "D:\\a.mp3");
  EXPECT_EQ(first->endSeconds, HmsToSeconds(9, 30, 0));
  std::vector<std::string> lines = ListLines(main_, IDC_MAIN_LIST);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], std::string("08:00:00 - 09:30:00 ") + STR_MARK_IDLE + " D:\\a.mp3");
  EXPECT_EQ(app.scheduleDirty, 1);
}

TEST_F(EditorFromMainWindow, EnterOnTheListOpensTheEntryAndCancelChangesNothing) {
  Add(HmsToSeconds(8, 0, 0), HmsToSeconds(9, 0, 0), "D:\\a.mp3");
  RefreshScheduleList(main_);
  SendMessageA(List(), LB_SETCURSEL, 0, 0);
  SetFocus(List());
  std::vector<std::string> linesBefore = ListLines(main_, IDC_MAIN_LIST);
  MSG enter = {List(), WM_KEYDOWN, VK_RETURN, 0, 0, {0, 0}};
  if (!IsDialogMessageA(main_, &enter)) DispatchMessageA(&enter);
  std::string pattern;
  std::string title = DriveEditor([&](HWND editor) {
    pattern = ItemText(editor, IDC_ED_OUTPUT);
    SetText(editor, IDC_ED_OUTPUT, "E:\\changed.mp3");
    Click(editor, IDCANCEL);
  });
  EXPECT_EQ(title, kTitleModify);
  EXPECT_EQ(pattern, "D:\\a.mp3");
  EXPECT_EQ(ListLines(main_, IDC_MAIN_LIST), linesBefore);
  EXPECT_STREQ(scheduleList->outputPattern, "D:\\a.mp3");
  EXPECT_EQ(app.scheduleDirty, 0);
}

}  // namespace
