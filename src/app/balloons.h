// Which events the person hears of in a balloon over the notification area,
// and the balloon's words. Only problems the history tells as problems
// balloon, each at most once per window and reason; the shell carries the
// decision out (history_events_win32's Tell).
#pragma once
#include <cstddef>

#include "history/history.h"
#include "schedule/schedule.h"

enum BalloonWhen {
  BALLOON_NEVER = 0,
  BALLOON_AT_ONCE,
  // A failed try: shown only when its window has still not recorded
  // BALLOON_HOLD_MS later, so a try the next one mends says nothing, while
  // one that does not leaves time to act before the window has gone.
  BALLOON_UNLESS_RECOVERED,
  // Windows found missed together (at start, after a gap between two
  // readings): one balloon that counts them.
  BALLOON_COUNTED,
  // A problem found ahead of a window: shown at once. The window's notes
  // still belong to its last opening, so the once-per-window rule is the
  // check's own (once per opening and reason).
  BALLOON_AHEAD,
};

enum {
  BALLOON_HOLD_MS = 30000,
  // What the notification area holds, in characters (WCHARs less the end).
  BALLOON_TITLE_CHARACTERS = 63,
  BALLOON_TEXT_CHARACTERS = 255,
  BALLOON_TITLE_CAPACITY = 2 * BALLOON_TITLE_CHARACTERS + 1,
  BALLOON_TEXT_CAPACITY = 2 * BALLOON_TEXT_CHARACTERS + 1,
};

// One row per event kind, and per reason where the reason decides; the first
// row of the kind whose reason matches holds. A kind without a row never
// balloons.
struct BalloonRule {
  HistoryEvent kind;
  bool anyReason;
  HistoryReason reason;  // when not anyReason
  BalloonWhen when;
  const char* title;     // none: the event's own text
};

BalloonWhen BalloonWhenTold(HistoryEvent kind, HistoryReason reason);

// A balloon about one event: the title, and the text "window — detail" (the
// reason's text when there is no detail; no window for an event without an
// entry). Both cut to what the notification area holds.
void FormatBalloon(char* title, size_t titleCapacity, char* text, size_t textCapacity, HistoryEvent kind,
                   const ScheduleEntry* entry, HistoryReason reason, const char* detail);
// The one balloon of windows found missed together:
// "놓친 녹음 N건 (reason) — 녹음 기록을 보세요".
void FormatCountedBalloon(char* title, size_t titleCapacity, char* text, size_t textCapacity, HistoryEvent kind,
                          HistoryReason reason, int count);
// The history that cannot be written.
void FormatHistoryFailureBalloon(char* title, size_t titleCapacity, char* text, size_t textCapacity);
