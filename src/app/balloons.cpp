#include "app/balloons.h"

#include "app/main_view.h"
#include "resources/strings.h"
#include "text/text.h"

namespace {

// Not balloons: what went as planned (a recording started, ended with its
// window or by the user, the plug-in found, wake set...), and what the person
// did themselves (a window missed because they stopped it). The player not
// started for a window balloons as the window's own failed try (no plug-in).
// Going to sleep while recording is told when nobody would see a balloon.
const BalloonRule kRules[] = {
    {HISTORY_NOT_STARTED, true, REASON_NONE, BALLOON_UNLESS_RECOVERED, nullptr},
    {HISTORY_MISSED, false, REASON_STOPPED_BY_USER, BALLOON_NEVER, nullptr},
    {HISTORY_MISSED, false, REASON_PROGRAM_NOT_RUNNING, BALLOON_COUNTED, nullptr},
    {HISTORY_MISSED, false, REASON_NOT_CHECKED, BALLOON_COUNTED, nullptr},
    {HISTORY_MISSED, true, REASON_NONE, BALLOON_AT_ONCE, nullptr},
    {HISTORY_RECORDING_STOPPED, false, REASON_PLUGIN_LOST, BALLOON_AT_ONCE, STR_BALLOON_RECORDING_CUT},
    {HISTORY_RECORDING_STOPPED, false, REASON_RECORDING_STOPPED, BALLOON_AT_ONCE, STR_BALLOON_RECORDING_CUT},
    {HISTORY_DISK_SHORT, true, REASON_NONE, BALLOON_AT_ONCE, nullptr},
    {HISTORY_DISK_FULL, true, REASON_NONE, BALLOON_AT_ONCE, nullptr},
    {HISTORY_CHECKED_AHEAD, true, REASON_NONE, BALLOON_AHEAD, nullptr},
    {HISTORY_FILE_NOT_GROWING, true, REASON_NONE, BALLOON_AT_ONCE, nullptr},
    {HISTORY_RECORDING_CUT_SHORT, true, REASON_NONE, BALLOON_AT_ONCE, nullptr},
};

const BalloonRule* RuleFor(HistoryEvent kind, HistoryReason reason) {
  for (const BalloonRule& rule : kRules)
    if (rule.kind == kind && (rule.anyReason || rule.reason == reason)) return &rule;
  return nullptr;
}

void PutTitle(char* title, size_t capacity, const char* text) {
  CopyText(title, capacity, text);
  CutToCharacters(title, BALLOON_TITLE_CHARACTERS);
}

}  // namespace

BalloonWhen BalloonWhenTold(HistoryEvent kind, HistoryReason reason) {
  const BalloonRule* rule = RuleFor(kind, reason);
  return rule ? rule->when : BALLOON_NEVER;
}

void FormatBalloon(char* title, size_t titleCapacity, char* text, size_t textCapacity, HistoryEvent kind,
                   const ScheduleEntry* entry, HistoryReason reason, const char* detail) {
  const BalloonRule* rule = RuleFor(kind, reason);
  PutTitle(title, titleCapacity, rule && rule->title ? rule->title : HistoryEventText(kind));
  const char* what = detail && detail[0] ? detail : HistoryReasonText(reason);
  char window[ENTRY_WINDOW_CAPACITY] = "";
  if (entry) FormatEntryWindow(window, sizeof window, entry);
  if (entry && what[0]) {
    FormatText(text, textCapacity, STR_BALLOON_ABOUT_WINDOW, window, what);
  } else {
    CopyText(text, textCapacity, entry ? window : what);
  }
  CutToCharacters(text, BALLOON_TEXT_CHARACTERS);
}

void FormatCountedBalloon(char* title, size_t titleCapacity, char* text, size_t textCapacity, HistoryEvent kind,
                          HistoryReason reason, int count) {
  PutTitle(title, titleCapacity, HistoryEventText(kind));
  FormatText(text, textCapacity, STR_BALLOON_MISSED_COUNT, count, HistoryReasonText(reason));
  CutToCharacters(text, BALLOON_TEXT_CHARACTERS);
}

void FormatHistoryFailureBalloon(char* title, size_t titleCapacity, char* text, size_t textCapacity) {
  PutTitle(title, titleCapacity, STR_BALLOON_HISTORY);
  CopyText(text, textCapacity, STR_NOTICE_HISTORY_UNWRITABLE);
}
