#include "app/check_ahead_win32.h"

#include <windows.h>

#include "app/app_win32.h"
#include "app/history_events_win32.h"
#include "history/ahead.h"
#include "history/history.h"
#include "history/watch.h"
#include "recorder/plugin_win32.h"
#include "resources/strings.h"
#include "schedule/schedule_win32.h"
#include "schedule/settings_win32.h"
#include "scheduler/disk_space.h"
#include "scheduler/naming.h"
#include "scheduler/naming_win32.h"
#include "text/files_win32.h"
#include "text/text.h"

namespace {

enum { WARNING_CAPACITY = 160 };

struct AheadSettings {
  int32_t leadSeconds;
  bool autoStartPlayer;
  // The list's length at the last look: an entry added or deleted shows in it
  // (a changed one in its own fingerprint).
  int entryCount;
};
AheadSettings settings = {CHECK_AHEAD_DEFAULT_MINUTES * 60, true, 0};

// A plug-in that is known, or the player the program has just started,
// whose plug-in is on its way.
bool PluginComing(const TickReading& reading) {
  if (pluginWindow) return true;
  return app.launch.launched && !TicksElapsed(app.launch.atMs, reading.tickMs, QUICK_SEARCH_AFTER_LAUNCH_MS);
}

// The player is started for a due window from its stored path only, as
// StartPlayerForDueWindow does.
bool PlayerStartable() {
  if (!settings.autoStartPlayer) return false;
  char path[PATH_CAPACITY];
  ReadSettingOr(STR_SECTION_CONFIG, STR_PLAYER_EXE, path, sizeof path, STR_PLAYER_EXE);
  return FileExists(path) != 0;
}

// The root ("X:\" or "\\server\share\") must be there before a folder can
// be made on it; the folder itself is made now, as the start would.
AheadPlace PlaceOf(const char* name) {
  const int level = FirstCreatableLevel(name);
  if (level < 0) return PLACE_NO_FOLDER;
  char root[PATH_CAPACITY];
  CopyTextN(root, sizeof root, name, static_cast<size_t>(level));
  const DWORD attributes = GetFileAttributesA(root);
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) return PLACE_NO_DRIVE;
  return EnsureDirectoryPath(name) ? PLACE_READY : PLACE_NO_FOLDER;
}

void CheckWindow(const AheadChoice& choice, const TickReading& reading) {
  AheadFacts facts{};
  facts.pluginKnown = PluginComing(reading);
  facts.playerStartable = !facts.pluginKnown && PlayerStartable();
  char name[PATH_CAPACITY], folder[PATH_CAPACITY] = "";
  facts.nameFits = AheadFileName(name, sizeof name, choice.entry, choice.at) != 0;
  if (facts.nameFits) {
    facts.place = PlaceOf(name);
    OutputFolderOf(folder, sizeof folder, name);
    if (facts.place == PLACE_READY) facts.freeKnown = freeSpaceQuery(folder, &facts.freeBytes) != 0;
  }
  const AheadFindings findings = JudgeWindowAhead(scheduleList, choice, reading.time, facts);
  const uint32_t fresh = NoteCheckedAhead(choice.entry, choice.opening, findings.reasons);
  for (int reason = REASON_NONE + 1; reason < REASON_COUNT; ++reason) {
    if (!(fresh & (1u << reason))) continue;
    char detail[HISTORY_DETAIL_CAPACITY], warning[WARNING_CAPACITY];
    FormatAheadNews(detail, sizeof detail, warning, sizeof warning, static_cast<HistoryReason>(reason), choice.entry,
                    findings, facts, folder);
    Tell(Report{HISTORY_CHECKED_AHEAD, choice.entry, static_cast<HistoryReason>(reason), detail, warning});
  }
}

}  // namespace

void StartCheckingAhead() {
  char value[16];
  ReadSetting(STR_SECTION_CONFIG, STR_KEY_CHECK_AHEAD_MINUTES, value, sizeof value);
  settings.leadSeconds = CheckAheadMinutesOf(value) * 60;
  ReadSetting(STR_SECTION_CONFIG, STR_KEY_AUTO_START_PLAYER, value, sizeof value);
  settings.autoStartPlayer = AutoStartPlayerEnabled(value);
  settings.entryCount = ScheduleCount();
}

void CheckWindowsAheadAfterTick(const TickReading& reading) {
  if (settings.leadSeconds <= 0) return;
  const int count = ScheduleCount();
  if (count != settings.entryCount) CheckAheadAgain(scheduleList);
  settings.entryCount = count;
  const AheadChoice choice = ChooseWindowToCheck(scheduleList, reading.time, settings.leadSeconds);
  if (choice.entry) CheckWindow(choice, reading);
}
