#include "app/app_win32.h"

#include "app/main_dialog_win32.h"
#include "app/player_search_win32.h"
#include "app/startup.h"
#include "placement/placement_win32.h"
#include "resources/ids.h"
#include "resources/strings.h"
#include "schedule/settings_win32.h"

AppState app = {nullptr, 0, 255, {}, {}, {}, {}, {}, 0};

namespace {
const int kDialogWindowExtra = DLGWINDOWEXTRA;
static_assert(SHOW_MINIMISED == SW_SHOWMINIMIZED && SHOW_MINIMISE == SW_MINIMIZE &&
                  SHOW_MINIMISED_NO_ACTIVE == SW_SHOWMINNOACTIVE && SHOW_FORCE_MINIMISE == SW_FORCEMINIMIZE,
              "the start's show commands are the platform's");
}  // namespace

int RunMessageLoop(HWND dialog) {
  MSG message;
  for (;;) {
    // While the drive search runs, every moment that no message waits goes
    // to it; the tick, painting and input are taken as soon as they come.
    if (DriveSearchWantsIdleSteps()) {
      if (!PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        StepDriveSearchWhenIdle();
        continue;
      }
      if (message.message == WM_QUIT) break;
    } else if (GetMessageA(&message, nullptr, 0, 0) <= 0) {
      break;
    }
    if (IsDialogMessageA(dialog, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return static_cast<int>(message.wParam);
}

void InitSettingsPath(const char* modulePath) {
  DeriveSettingsPath(settingsPath, sizeof settingsPath, modulePath);
}

int RegisterMainClass(HINSTANCE instance) {
  WNDCLASSEXA windowClass = {};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = DefDlgProcA;
  windowClass.cbWndExtra = kDialogWindowExtra;
  windowClass.hInstance = instance;
  windowClass.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_APP));
  windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = STR_MAIN_CLASS;
  windowClass.hIconSm = static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(IDI_APP), IMAGE_ICON,
                                                      GetSystemMetrics(SM_CXSMICON),
                                                      GetSystemMetrics(SM_CYSMICON), 0));
  if (RegisterClassExA(&windowClass)) return 1;
  return GetLastError() == ERROR_CLASS_ALREADY_EXISTS ? 1 : 0;
}

int TavelundMain(HINSTANCE instance, const char* commandTail, int showCommand) {
  app.instance = instance;
  HWND running = FindWindowA(STR_MAIN_CLASS, nullptr);
  if (running) {
    // A start at sign-in finds the copy running and leaves it where it is;
    // a person starting the program again wants to see it.
    if (!HasMinimisedSwitch(commandTail)) {
      ShowWindow(running, SW_SHOWNORMAL);
      SetForegroundWindow(running);
    }
    return 0;
  }
  sizePropertyAtom = AddAtomA(STR_SIZE_PROPERTY);

  // A path longer than the buffer could not name this program: keep the
  // settings beside it only when the whole path fits.
  char modulePath[MAX_PATH + 1] = "";
  DWORD length = GetModuleFileNameA(instance, modulePath, sizeof modulePath);
  if (length > 0 && length < sizeof modulePath) InitSettingsPath(modulePath);

  RegisterMainClass(instance);
  int exitCode = 0;
  HWND dialog = CreateMainDialog(instance);
  if (dialog) {
    // Minimised it stays out of the way: it takes the focus from nobody.
    ShowWindow(dialog, StartShowCommand(commandTail, showCommand));
    UpdateWindow(dialog);
    exitCode = RunMessageLoop(dialog);
  }
  DeleteAtom(sizePropertyAtom);
  return exitCode;
}

int ProcessEntry() {
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  GetStartupInfoA(&startup);
  int showCommand = (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : SW_SHOWDEFAULT;
  const char* tail = CommandTail(GetCommandLineA());
  return TavelundMain(GetModuleHandleA(nullptr), tail, showCommand);
}
