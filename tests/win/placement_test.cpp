// Remembered placement and the resizable layout against real dialogs from
// the program's templates, real window sizing and a real settings file.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "app/app_win32.h"
#include "schedule/settings_win32.h"
#include "app/main_dialog_win32.h"
#include "placement/placement.h"
#include "placement/placement_win32.h"
#include "resources/ids.h"
#include "resources/strings.h"
#include "win/win_support.h"

using namespace winsupport;

namespace {

const char kMainKey[] = "Tavelund";
const char kEditorKey[] = "ScheduleInput";

// The main dialog's placement contract, without the rest of its work (no
// schedule, timers or player launch): placement first, then the size cases.
INT_PTR CALLBACK ResizableProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  TrackDialogPlacement(dialog, message, wParam, 1);
  switch (message) {
    case WM_INITDIALOG: return TRUE;
    case WM_SIZE: RelayoutMainDialog(dialog, wParam, lParam); return FALSE;
    case WM_GETMINMAXINFO: SetMinTrackSize(reinterpret_cast<MINMAXINFO*>(lParam), 130, 140); return FALSE;
    default: return FALSE;
  }
}

// The editor's contract: placement first, nothing else of its own.
INT_PTR CALLBACK FixedProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  TrackDialogPlacement(dialog, message, wParam, 0);
  return message == WM_INITDIALOG ? TRUE : FALSE;
}

// A dialog that takes no part in placement: shows the template's own size.
INT_PTR CALLBACK PlainProc(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG ? TRUE : FALSE; }

std::string Numbers(const RECT& r) {
  return std::to_string(r.left) + " " + std::to_string(r.top) + " " + std::to_string(r.right - r.left) + " " +
         std::to_string(r.bottom - r.top);
}

RECT WindowRect(HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  return r;
}

SIZE WindowSize(HWND window) {
  RECT r = WindowRect(window);
  return SIZE{r.right - r.left, r.bottom - r.top};
}

SIZE ClientSize(HWND window) {
  RECT r{};
  GetClientRect(window, &r);
  return SIZE{r.right, r.bottom};
}

// Every child's rectangle in the dialog's client coordinates, by id.
std::map<int, RECT> ChildRects(HWND dialog) {
  std::map<int, RECT> rects;
  for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    RECT r = WindowRect(child);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
    rects[GetDlgCtrlID(child)] = r;
  }
  return rects;
}

// Expected change of one child: offsets of each edge.
struct Shift {
  int left, top, right, bottom;
};

void ExpectShifted(const std::map<int, RECT>& before, const std::map<int, RECT>& after, int id, Shift s, int line) {
  SCOPED_TRACE(testing::Message() << "child " << id << ", called from line " << line);
  ASSERT_EQ(before.count(id), 1u);
  ASSERT_EQ(after.count(id), 1u);
  const RECT& b = before.at(id);
  const RECT& a = after.at(id);
  EXPECT_EQ(a.left - b.left, s.left);
  EXPECT_EQ(a.top - b.top, s.top);
  EXPECT_EQ(a.right - b.right, s.right);
  EXPECT_EQ(a.bottom - b.bottom, s.bottom);
}

// The layout the main dialog's template must give for a change of dx, dy.
void ExpectMainLayoutShifted(const std::map<int, RECT>& before, const std::map<int, RECT>& after, int dx, int dy,
                             int line) {
  ExpectShifted(before, after, IDC_MAIN_LIST, Shift{0, 0, dx, dy}, line);
  for (int id = IDC_MAIN_EXIT; id <= IDC_MAIN_SAVE; ++id) ExpectShifted(before, after, id, Shift{dx, 0, dx, 0}, line);
  ExpectShifted(before, after, IDC_MAIN_NEXT, Shift{0, dy, dx, dy}, line);
  ExpectShifted(before, after, IDC_MAIN_STATUS, Shift{0, dy, dx, dy}, line);
  ExpectShifted(before, after, IDC_SIZE_GRIP, Shift{dx, dy, dx, dy}, line);
  ExpectShifted(before, after, IDC_PLACEMENT_KEY, Shift{0, 0, 0, 0}, line);
  EXPECT_EQ(after.size(), before.size()) << "called from line " << line;
}

class Placement : public ::testing::Test {
 protected:
  void SetUp() override {
    ini_ = UseFreshSettings(NewTempDir("placement"));
    app.instance = GetModuleHandleA(nullptr);
    if (!sizePropertyAtom) sizePropertyAtom = AddAtomA(STR_SIZE_PROPERTY);
    ASSERT_NE(sizePropertyAtom, 0);
    ASSERT_EQ(RegisterMainClass(app.instance), 1);
    screen_ = ScreenMetrics{GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), GetSystemMetrics(SM_CYCAPTION)};
  }

  void TearDown() override {
    for (HWND d : dialogs_)
      if (IsWindow(d)) DestroyWindow(d);
  }

  HWND Open(int templateId, DLGPROC proc) {
    HWND d = CreateDialogParamA(app.instance, MAKEINTRESOURCEA(templateId), nullptr, proc, 0);
    if (d) dialogs_.push_back(d);
    return d;
  }
  HWND OpenMain() { return Open(IDD_MAIN, ResizableProc); }
  HWND OpenEditor() { return Open(IDD_EDITOR, FixedProc); }

  // The window size the template gives by itself.
  SIZE TemplateSize(int templateId) {
    HWND d = Open(templateId, PlainProc);
    SIZE s = WindowSize(d);
    DestroyWindow(d);
    return s;
  }

  void Seed(const std::string& key, const std::string& value) {
    WriteFileText(ini_, "[DlgPos]\r\n" + key + "=" + value + "\r\n");
  }

  // Where a dialog of this size is centred on the primary screen.
  POINT Centred(SIZE size) const { return POINT{(screen_.width - size.cx) >> 1, (screen_.height - size.cy) >> 1}; }

  void Resize(HWND d, int dx, int dy) {
    SIZE s = WindowSize(d);
    SetWindowPos(d, nullptr, 0, 0, s.cx + dx, s.cy + dy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }

  std::string ini_;
  ScreenMetrics screen_{};
  std::vector<HWND> dialogs_;
};

// ---- Opening: first start, stored values, screen limits ----

TEST_F(Placement, FirstStartCentresBothDialogsAtTemplateSizeAndWritesTheirKeys) {
  SIZE mainSize = TemplateSize(IDD_MAIN);
  SIZE editorSize = TemplateSize(IDD_EDITOR);

  HWND main = OpenMain();
  ASSERT_NE(main, nullptr);
  RECT r = WindowRect(main);
  POINT c = Centred(mainSize);
  EXPECT_EQ(r.left, c.x);
  EXPECT_EQ(r.top, c.y);
  EXPECT_EQ(r.right - r.left, mainSize.cx);
  EXPECT_EQ(r.bottom - r.top, mainSize.cy);
  EXPECT_EQ(ReadIni("DlgPos", kMainKey), Numbers(r));

  HWND editor = OpenEditor();
  ASSERT_NE(editor, nullptr);
  RECT e = WindowRect(editor);
  c = Centred(editorSize);
  EXPECT_EQ(e.left, c.x);
  EXPECT_EQ(e.top, c.y);
  EXPECT_EQ(e.right - e.left, editorSize.cx);
  EXPECT_EQ(ReadIni("DlgPos", kEditorKey), Numbers(e));
  // Opening the editor leaves the main dialog's value alone.
  EXPECT_EQ(ReadIni("DlgPos", kMainKey), Numbers(r));
}

TEST_F(Placement, OnlyTheResizableDialogGetsAGripAndAStoredClientSize) {
  HWND main = OpenMain();
  ASSERT_NE(main, nullptr);
  HWND grip = GetDlgItem(main, IDC_SIZE_GRIP);
  ASSERT_NE(grip, nullptr);
  char className[32] = "";
  GetClassNameA(grip, className, sizeof className);
  EXPECT_EQ(lstrcmpiA(className, "ScrollBar"), 0) << className;
  EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(grip, GWL_STYLE)) & 0x54020014u, 0x54020014u);
  // The platform sizes a grip itself; its bottom-right corner sits on the
  // client area's.
  SIZE client = ClientSize(main);
  RECT g = ChildRects(main)[IDC_SIZE_GRIP];
  EXPECT_EQ(g.right, client.cx);
  EXPECT_EQ(g.bottom, client.cy);
  int w = 0;
  int h = 0;
  EXPECT_EQ(LoadClientSize(main, &w, &h), 1);
  EXPECT_EQ(w, client.cx);
  EXPECT_EQ(h, client.cy);

  HWND editor = OpenEditor();
  ASSERT_NE(editor, nullptr);
  EXPECT_EQ(GetDlgItem(editor, IDC_SIZE_GRIP), nullptr);
  EXPECT_EQ(LoadClientSize(editor, &w, &h), 0);
}

TEST_F(Placement, StoredValueRestoresMainPositionAndSizeWithTheLayoutFollowing) {
  SIZE tmpl = TemplateSize(IDD_MAIN);
  HWND plain = Open(IDD_MAIN, ResizableProc);  // centred, template size: the layout before
  std::map<int, RECT> before = ChildRects(plain);
  SIZE clientBefore = ClientSize(plain);
  DestroyWindow(plain);
  ini_ = UseFreshSettings(NewTempDir("restore"));

  WriteFileText(ini_, "[DlgPos]\r\nTavelund=100 50 " + std::to_string(tmpl.cx + 60) + " " +
                          std::to_string(tmpl.cy + 45) + "\r\n");
  HWND main = OpenMain();
  ASSERT_NE(main, nullptr);
  RECT r = WindowRect(main);
  EXPECT_EQ(Numbers(r), "100 50 " + std::to_string(tmpl.cx + 60) + " " + std::to_string(tmpl.cy + 45));
  SIZE client = ClientSize(main);
  EXPECT_EQ(client.cx - clientBefore.cx, 60);
  EXPECT_EQ(client.cy - clientBefore.cy, 45);
  ExpectMainLayoutShifted(before, ChildRects(main), 60, 45, __LINE__);
  EXPECT_EQ(ReadIni("DlgPos", kMainKey), Numbers(r));
}

TEST_F(Placement, TwoNumbersRestoreTheMainPositionWithTheTemplateSize) {
  SIZE tmpl = TemplateSize(IDD_MAIN);
  Seed(kMainKey, "120 80");
  HWND main = OpenMain();
  ASSERT_NE(main, nullptr);
  RECT r = WindowRect(main);
  std::string expected = "120 80 " + std::to_string(tmpl.cx) + " " + std::to_string(tmpl.cy);
  EXPECT_EQ(Numbers(r), expected);
  // The opening move completes the value to four numbers.
  EXPECT_EQ(ReadIni("DlgPos", kMainKey), expected);
}

TEST_F(Placement, EditorRestoresOnlyItsPositionButWritesFourNumbers) {
  SIZE tmpl = TemplateSize(IDD_EDITOR);
  Seed(kEditorKey, "40 30 999 888");
  HWND editor = OpenEditor();
  ASSERT_NE(editor, nullptr);
  std::string expected = "40 30 " + std::to_string(tmpl.cx) + " " + std::to_string(tmpl.cy);
  EXPECT_EQ(Numbers(WindowRect(editor)), expected);
  EXPECT_EQ(ReadIni("DlgPos", kEditorKey), expected);
}

TEST_F(Placement, OnlyTheRightAndBottomScreenLimitsCentre) {
  SIZE mainSize = TemplateSize(IDD_MAIN);
  SIZE editorSize = TemplateSize(IDD_EDITOR);
  int cap = screen_.captionHeight;
  struct Case {
    int x, y;
    bool centred;
  } cases[] = {
      {screen_.width - cap, 10, true},
      {screen_.width - cap - 1, 10, false},
      {10, screen_.height - cap, true},
      {10, screen_.height - cap - 1, false},
      {-50, 10, false},
      {10, -40, false},
      {-300, -200, false},
  };
  for (const Case& c : cases) {
    for (int resizable = 0; resizable <= 1; ++resizable) {
      SCOPED_TRACE(testing::Message() << "stored " << c.x << "," << c.y << (resizable ? " main" : " editor"));
      SIZE size = resizable ? mainSize : editorSize;
      ini_ = UseFreshSettings(NewTempDir("limits"));
      Seed(resizable ? kMainKey : kEditorKey, std::to_string(c.x) + " " + std::to_string(c.y) + " " +
                                                  std::to_string(size.cx) + " " + std::to_string(size.cy));
      HWND d = resizable ? OpenMain() : OpenEditor();
      ASSERT_NE(d, nullptr);
      RECT r = WindowRect(d);
      POINT expected = c.centred ? Centred(size) : POINT{c.x, c.y};
      EXPECT_EQ(r.left, expected.x);
      EXPECT_EQ(r.top, expected.y);
      DestroyWindow(d);
    }
  }
}

TEST_F(Placement, DialogStoredOnNoMonitorOpensOnTheWorkAreaOfTheNearestOne) {
  // The only monitor here is the primary one; the far-off values are left of
  // it, where the right and bottom limits let them through.
  MONITORINFO info;
  info.cbSize = sizeof info;
  ASSERT_TRUE(GetMonitorInfoA(MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY), &info));
  const RECT work = info.rcWork;
  for (int resizable = 0; resizable <= 1; ++resizable) {
    SIZE size = TemplateSize(resizable ? IDD_MAIN : IDD_EDITOR);
    struct Case {
      int x, y;
      bool moved;
    } cases[] = {
        {-3000, 100, true},
        {-size.cx, 100, true},      // its right edge on the monitor's left edge: no pixel on it
        {-size.cx + 1, 100, false}, // one column on it
        {100, -size.cy, true},
    };
    for (const Case& c : cases) {
      SCOPED_TRACE(testing::Message() << "stored " << c.x << "," << c.y << (resizable ? " main" : " editor"));
      ini_ = UseFreshSettings(NewTempDir("monitors"));
      Seed(resizable ? kMainKey : kEditorKey, std::to_string(c.x) + " " + std::to_string(c.y) + " " +
                                                  std::to_string(size.cx) + " " + std::to_string(size.cy));
      HWND d = resizable ? OpenMain() : OpenEditor();
      ASSERT_NE(d, nullptr);
      RECT r = WindowRect(d);
      POINT expected{c.x, c.y};
      if (c.moved) {
        expected.x = work.left + ((work.right - work.left - size.cx) >> 1);
        expected.y = work.top + ((work.bottom - work.top - size.cy) >> 1);
      }
      EXPECT_EQ(r.left, expected.x);
      EXPECT_EQ(r.top, expected.y);
      // The place it got is the one remembered.
      EXPECT_EQ(ReadIni("DlgPos", resizable ? kMainKey : kEditorKey), Numbers(r));
      DestroyWindow(d);
    }
  }
}

// ---- Saving ----

TEST_F(Placement, MovingRewritesTheValueAndTheKeyComesFromTheHiddenLabel) {
  HWND main = OpenMain();
  ASSERT_NE(main, nullptr);
  SetWindowPos(main, nullptr, 33, 44, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  RECT r = WindowRect(main);
  EXPECT_EQ(r.left, 33);
  EXPECT_EQ(ReadIni("DlgPos", kMainKey), Numbers(r));

  // A key longer than 19 characters is cut to its first 19.
  SetDlgItemTextA(main, IDC_PLACEMENT_KEY, "ABCDEFGHIJKLMNOPQRSTUVWXYZ");
  SetWindowPos(main, nullptr, 55, 66, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  EXPECT_EQ(ReadIni("DlgPos", "ABCDEFGHIJKLMNOPQRS"), Numbers(WindowRect(main)));
  EXPECT_EQ(ReadIni("DlgPos", kMainKey), Numbers(r));

  // An empty key takes no part: nothing is written anywhere.
  SetDlgItemTextA(main, IDC_PLACEMENT_KEY, "");
  std::string file = ReadFileText(ini_);
  SetWindowPos(main, nullptr, 77, 88, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  EXPECT_EQ(ReadFileText(ini_), file);
}

TEST_F(Placement, AnUnchangedRectangleIsNotWrittenAgain) {
  HWND main = OpenMain();
  ASSERT_NE(main, nullptr);
  RECT r = WindowRect(main);
  // Mark the stored value with a different spelling of the same numbers; a
  // needless rewrite would normalise it.
  std::string same = " " + std::to_string(r.left) + "  " + std::to_string(r.top) + " " +
                     std::to_string(r.right - r.left) + " " + std::to_string(r.bottom - r.top);
  ini_ = UseFreshSettings(NewTempDir("unchanged"));
  WriteFileText(ini_, "[DlgPos]\r\nTavelund=" + same + "\r\n");
  std::string file = ReadFileText(ini_);
  SendMessageA(main, WM_MOVE, 0, 0);
  SendMessageA(main, WM_SIZE, SIZE_RESTORED, MAKELPARAM(ClientSize(main).cx, ClientSize(main).cy));
  EXPECT_EQ(ReadFileText(ini_), file);
}

TEST_F(Placement, WriteSettingsNumbersWritesTheValueAndReportsFailure) {
  EXPECT_EQ(WriteSettingsNumbers("DlgPos", "K", 1, -2, 3, SETTINGS_NO_NUMBER), 1);
  EXPECT_EQ(ReadIni("DlgPos", "K"), "1 -2 3");
  EXPECT_EQ(WriteSettingsNumbers("DlgPos", "K", -2147483647 - 1, 0, 0, 7), 1);
  EXPECT_EQ(ReadIni("DlgPos", "K"), "-2147483648 0 0 7");
  std::string missing = NewTempDir("nowhere") + "no such folder\\Tavelund.INI";
  lstrcpynA(settingsPath, missing.c_str(), sizeof settingsPath);
  EXPECT_EQ(WriteSettingsNumbers("DlgPos", "K", 1, 2, 3, 4), 0);
}

// ---- Resizing ----

TEST_F(Placement, ResizingMovesAndStretchesTheChildrenOnce) {
  HWND main = OpenMain();
  ASSERT_NE(main, nullptr);
  ShowWindow(main, SW_SHOWNOACTIVATE);
  UpdateWindow(main);
  std::map<int, RECT> before = ChildRects(main);
  SIZE client = ClientSize(main);

  Resize(main, 40, 30);
  std::map<int, RECT> grown = ChildRects(main);
  ExpectMainLayoutShifted(before, grown, 40, 30, __LINE__);
  int w = 0;
  int h = 0;
  LoadClientSize(main, &w, &h);
  EXPECT_EQ(w, client.cx + 40);
  EXPECT_EQ(h, client.cy + 30);
  EXPECT_EQ(ReadIni("DlgPos", kMainKey), Numbers(WindowRect(main)));
  // The children moved without repainting; the whole dialog, not only the
  // newly exposed strip, waits to be painted.
  HRGN update = CreateRectRgn(0, 0, 0, 0);
  GetUpdateRgn(main, update, FALSE);
  EXPECT_TRUE(PtInRegion(update, 1, 1));
  EXPECT_TRUE(PtInRegion(update, client.cx / 2, client.cy / 2));
  DeleteObject(update);

  // Shrinking lays everything back exactly: nothing drifts.
  Resize(main, -40, -30);
  EXPECT_EQ(ClientSize(main).cx, client.cx);
  ExpectMainLayoutShifted(before, ChildRects(main), 0, 0, __LINE__);
  Resize(main, 15, -20);
  ExpectMainLayoutShifted(before, ChildRects(main), 15, -20, __LINE__);
}

TEST_F(Placement, MaximizeAndRestoreLayOutAndBackWithoutWriting) {
  HWND main = OpenMain();
  ASSERT_NE(main, nullptr);
  ShowWindow(main, SW_SHOWNOACTIVATE);
  std::map<int, RECT> before = ChildRects(main);
  SIZE client = ClientSize(main);
  std::string stored = ReadIni("DlgPos", kMainKey);
  std::string file = ReadFileText(ini_);

  ShowWindow(main, SW_MAXIMIZE);
  ASSERT_TRUE(IsZoomed(main));
  SIZE maxClient = ClientSize(main);
  int dx = maxClient.cx - client.cx;
  int dy = maxClient.cy - client.cy;
  EXPECT_GT(dx, 0);
  EXPECT_GT(dy, 0);
  ExpectMainLayoutShifted(before, ChildRects(main), dx, dy, __LINE__);
  // Moving the maximized window writes nothing either.
  SetWindowPos(main, nullptr, 5, 5, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  EXPECT_EQ(ReadFileText(ini_), file);

  ShowWindow(main, SW_RESTORE);
  ASSERT_FALSE(IsZoomed(main));
  ExpectMainLayoutShifted(before, ChildRects(main), 0, 0, __LINE__);
  EXPECT_EQ(ReadIni("DlgPos", kMainKey), stored);
  EXPECT_EQ(Numbers(WindowRect(main)), stored);
}

TEST_F(Placement, MinimizeNeitherWritesNorMovesAndRestoreIsNoChange) {
  HWND main = OpenMain();
  ASSERT_NE(main, nullptr);
  ShowWindow(main, SW_SHOWNOACTIVATE);
  std::map<int, RECT> before = ChildRects(main);
  std::string file = ReadFileText(ini_);
  int w0 = 0;
  int h0 = 0;
  LoadClientSize(main, &w0, &h0);

  ShowWindow(main, SW_MINIMIZE);
  ASSERT_TRUE(IsIconic(main));
  SetWindowPos(main, nullptr, 3, 3, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  EXPECT_EQ(ReadFileText(ini_), file);
  ExpectMainLayoutShifted(before, ChildRects(main), 0, 0, __LINE__);
  int w = 0;
  int h = 0;
  LoadClientSize(main, &w, &h);
  EXPECT_EQ(w, w0);
  EXPECT_EQ(h, h0);

  ShowWindow(main, SW_RESTORE);
  ASSERT_FALSE(IsIconic(main));
  ExpectMainLayoutShifted(before, ChildRects(main), 0, 0, __LINE__);
  EXPECT_EQ(ReadFileText(ini_), file);
}

TEST_F(Placement, MinimumTrackingSizeIsInSystemDialogUnits) {
  HWND main = OpenMain();
  ASSERT_NE(main, nullptr);
  LONG base = GetDialogBaseUnits();
  int minWidth = MulDiv(130, LOWORD(base), 4);
  int minHeight = MulDiv(140, HIWORD(base), 8);
  MINMAXINFO info{};
  info.ptMaxTrackSize.x = 4321;
  SendMessageA(main, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
  EXPECT_EQ(info.ptMinTrackSize.x, minWidth);
  EXPECT_EQ(info.ptMinTrackSize.y, minHeight);
  EXPECT_EQ(info.ptMaxTrackSize.x, 4321);  // other fields as they were
  // The platform holds the window to it.
  SetWindowPos(main, nullptr, 0, 0, 10, 10, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  SIZE s = WindowSize(main);
  EXPECT_EQ(s.cx, minWidth);
  EXPECT_EQ(s.cy, minHeight);
  EXPECT_EQ(DialogUnitsToPixelsX(8), MulDiv(8, LOWORD(base), 4));
  EXPECT_EQ(DialogUnitsToPixelsY(8), MulDiv(8, HIWORD(base), 8));
}

TEST_F(Placement, TheRealMainDialogWiresPlacementAndLayout) {
  SIZE tmpl = TemplateSize(IDD_MAIN);
  HWND main = CreateMainDialog(app.instance);
  ASSERT_NE(main, nullptr);
  dialogs_.push_back(main);
  RECT r = WindowRect(main);
  POINT c = Centred(tmpl);
  EXPECT_EQ(r.left, c.x);
  EXPECT_EQ(r.top, c.y);
  EXPECT_EQ(ReadIni("DlgPos", kMainKey), Numbers(r));
  ASSERT_NE(GetDlgItem(main, IDC_SIZE_GRIP), nullptr);

  std::map<int, RECT> before = ChildRects(main);
  Resize(main, 40, 30);
  ExpectMainLayoutShifted(before, ChildRects(main), 40, 30, __LINE__);
  MINMAXINFO info{};
  SendMessageA(main, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
  EXPECT_EQ(info.ptMinTrackSize.x, DialogUnitsToPixelsX(130));
  EXPECT_EQ(info.ptMinTrackSize.y, DialogUnitsToPixelsY(140));

  // Its destruction ends a message loop and drops the launch it posted to
  // itself: take those messages off this thread's queue undispatched.
  DestroyWindow(main);
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
  }
}

// ---- The pieces ----

TEST_F(Placement, ClientSizePropertyAndChangeDetection) {
  HWND d = Open(IDD_MAIN, PlainProc);
  ASSERT_NE(d, nullptr);
  int dx = 7;
  int dy = 7;
  // Before the layout's start has been recorded nothing counts as a change,
  // and nothing is recorded.
  EXPECT_EQ(DetectClientSizeChange(d, SIZE_RESTORED, MAKELPARAM(300, 200), &dx, &dy), 0);
  int w = -1;
  int h = -1;
  EXPECT_EQ(LoadClientSize(d, &w, &h), 0);

  StoreClientSize(d, 0xFFFF, 0x8000);
  EXPECT_EQ(LoadClientSize(d, &w, &h), 1);
  EXPECT_EQ(w, 0xFFFF);
  EXPECT_EQ(h, 0x8000);

  StoreClientSize(d, 300, 200);
  EXPECT_EQ(DetectClientSizeChange(d, SIZE_MAXIMIZED, MAKELPARAM(340, 230), &dx, &dy), 1);
  EXPECT_EQ(dx, 40);
  EXPECT_EQ(dy, 30);
  LoadClientSize(d, &w, &h);
  EXPECT_EQ(w, 340);
  EXPECT_EQ(h, 230);
  EXPECT_EQ(DetectClientSizeChange(d, SIZE_MINIMIZED, MAKELPARAM(0, 0), &dx, &dy), 0);
  EXPECT_EQ(DetectClientSizeChange(d, SIZE_RESTORED, MAKELPARAM(340, 230), &dx, &dy), 0);
  LoadClientSize(d, &w, &h);
  EXPECT_EQ(w, 340);
  EXPECT_EQ(h, 230);
}

TEST_F(Placement, AdjustChildWindowTakesOffsetsOrAbsoluteValues) {
  HWND d = Open(IDD_MAIN, PlainProc);
  ASSERT_NE(d, nullptr);
  HWND button = GetDlgItem(d, IDC_MAIN_SAVE);
  RECT b = ChildRects(d)[IDC_MAIN_SAVE];
  RECT screen{};
  ASSERT_EQ(GetItemScreenRect(d, IDC_MAIN_SAVE, &screen), 1);
  RECT direct = WindowRect(button);
  EXPECT_TRUE(EqualRect(&screen, &direct));
  EXPECT_EQ(GetItemScreenRect(d, 4242, &screen), 0);

  AdjustChildWindow(d, button, 3, -2, 10, 5, 0);
  RECT a = ChildRects(d)[IDC_MAIN_SAVE];
  EXPECT_EQ(a.left, b.left + 3);
  EXPECT_EQ(a.top, b.top - 2);
  EXPECT_EQ(a.right - a.left, b.right - b.left + 10);
  EXPECT_EQ(a.bottom - a.top, b.bottom - b.top + 5);

  // x and height absolute, y and width offsets.
  AdjustChildWindow(d, button, 12, 1, 1, 30, 0x1 | 0x8);
  RECT c = ChildRects(d)[IDC_MAIN_SAVE];
  EXPECT_EQ(c.left, 12);
  EXPECT_EQ(c.top, a.top + 1);
  EXPECT_EQ(c.right - c.left, a.right - a.left + 1);
  EXPECT_EQ(c.bottom - c.top, 30);
}

TEST_F(Placement, DialogUnitRoundingAgreesWithThePlatform) {
  const int bases[] = {4, 6, 7, 8, 11, 13, 16, 20, 23};
  for (int base : bases)
    for (int divisor : {4, 8})
      for (int n = -300; n <= 300; n += 7) {
        EXPECT_EQ(MulDivRounded(n, base, divisor), MulDiv(n, base, divisor)) << n << "*" << base << "/" << divisor;
      }
}

}  // namespace
