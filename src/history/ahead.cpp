#include "history/ahead.h"

#include <cstring>

#include "history/watch.h"
#include "recorder/request.h"
#include "resources/strings.h"
#include "scheduler/disk_space.h"
#include "scheduler/tick.h"
#include "text/text.h"

namespace {

// Windows the rule is played through before the opening; a list that packs
// more in between is not worth the time of a tick.
const int kHolderSteps = 48;

uint32_t Bit(HistoryReason reason) { return 1u << reason; }

// Of the entries not held, the one due first from `at` on (0: due then),
// the first in list order on the same second; none when none will be.
ScheduleEntry* FirstDueFrom(ScheduleEntry* list, const LocalTimeFields& at, int32_t* seconds) {
  ScheduleEntry* first = nullptr;
  int32_t best = NO_WINDOW_AHEAD;
  for (ScheduleEntry* e = list; e; e = e->next) {
    // No weekday: it never opens (and costs a week's search to say so).
    if (e->run.held || e->dayMask == 0) continue;
    const int32_t until = SecondsUntilWindowOpens(e, at);
    if (until == NO_WINDOW_AHEAD || (first && until >= best)) continue;
    first = e;
    best = until;
  }
  *seconds = best;
  return first;
}

}  // namespace

int32_t CheckAheadMinutesOf(const char* value) {
  int consumed = 0;
  const int number = ParseNumber(value ? value : "", &consumed);
  if (consumed == 0) return CHECK_AHEAD_DEFAULT_MINUTES;
  if (number < 0) return 0;
  return number > CHECK_AHEAD_MAX_MINUTES ? CHECK_AHEAD_MAX_MINUTES : number;
}

AheadChoice ChooseWindowToCheck(ScheduleEntry* list, const LocalTimeFields& now, int32_t leadSeconds) {
  AheadChoice choice{nullptr, 0, 0, now};
  for (ScheduleEntry* e = list; e && leadSeconds > 0; e = e->next) {
    if (e->run.held || e->dayMask == 0) continue;
    const int32_t until = SecondsUntilWindowOpens(e, now);
    if (until <= 0 || until > leadSeconds) continue;
    if (choice.entry && until >= choice.secondsAhead) continue;
    const int64_t opening = LocalSecondsOf(now) + until;
    if (CheckedAheadFor(e, opening)) continue;
    choice.entry = e;
    choice.secondsAhead = until;
    choice.opening = opening;
  }
  if (choice.entry) choice.at = SecondsLater(now, choice.secondsAhead);
  return choice;
}

int AheadFileName(char* name, size_t capacity, const ScheduleEntry* entry, const LocalTimeFields& at) {
  // Room for more than a path: an expansion that reaches PATH_CAPACITY bytes
  // is one the start would cut, even where the cut falls before a
  // double-byte character.
  char whole[PATH_CAPACITY + 2];
  ExpandPatternAt(whole, sizeof whole, entry->outputPattern, WeekdayNames, &at);
  CopyText(name, capacity, whole);
  if (std::strlen(whole) >= PATH_CAPACITY) return 0;
  char block[REQUEST_BLOCK_SIZE];
  return BuildRecordingRequest(block, entry, whole);
}

ScheduleEntry* HolderAtOpening(ScheduleEntry* list, const ScheduleEntry* entry, const LocalTimeFields& now,
                               int32_t secondsAhead) {
  // t counts seconds from now; holder holds the plug-in at t.
  int32_t t = 0;
  ScheduleEntry* holder = ActiveEntry(list);
  if (holder && !InWindow(holder, SecondsOfDay(now))) {
    holder = nullptr;
    t = 1;
  }
  for (int step = 0; step < kHolderSteps; ++step) {
    const LocalTimeFields at = SecondsLater(now, t);
    if (holder) {
      const int32_t ends = t + WindowSecondsFrom(holder, SecondsOfDay(at));
      if (ends > secondsAhead) return holder == entry ? nullptr : holder;
      // The tick at its end stops it; the next start comes on the tick after.
      holder = nullptr;
      t = ends + 1;
      continue;
    }
    if (t > secondsAhead) return nullptr;
    int32_t until = NO_WINDOW_AHEAD;
    holder = FirstDueFrom(list, at, &until);
    if (!holder || t + until > secondsAhead) return nullptr;
    t += until;
  }
  return nullptr;
}

AheadFindings JudgeWindowAhead(ScheduleEntry* list, const AheadChoice& choice, const LocalTimeFields& now,
                               const AheadFacts& facts) {
  AheadFindings findings{0, nullptr, 0};
  if (!choice.entry) return findings;
  const ScheduleEntry* entry = choice.entry;
  if (!facts.pluginKnown && !facts.playerStartable) findings.reasons |= Bit(REASON_NO_PLUGIN);
  findings.needBytes = DiskNeedBytes(entry, SecondsOfDay(choice.at));
  if (!facts.nameFits) {
    findings.reasons |= Bit(REASON_NAME_TOO_LONG);
  } else if (facts.place == PLACE_NO_DRIVE) {
    findings.reasons |= Bit(REASON_NO_DRIVE);
  } else if (facts.place == PLACE_NO_FOLDER) {
    findings.reasons |= Bit(REASON_NO_FOLDER);
  } else if (JudgeDiskSpace(findings.needBytes, facts.freeKnown, facts.freeBytes, false) == DISK_SHORT) {
    findings.reasons |= Bit(REASON_DISK_SHORT);
  }
  findings.holder = HolderAtOpening(list, entry, now, choice.secondsAhead);
  if (findings.holder) findings.reasons |= Bit(REASON_OTHER_RECORDING);
  return findings;
}

void FormatAheadNews(char* detail, size_t detailCapacity, char* warning, size_t warningCapacity,
                     HistoryReason reason, const ScheduleEntry* entry, const AheadFindings& findings,
                     const AheadFacts& facts, const char* folder) {
  const char* text = HistoryReasonText(reason);
  char about[HISTORY_DETAIL_CAPACITY] = "";
  switch (reason) {
    case REASON_NO_DRIVE:
    case REASON_NO_FOLDER: CopyText(about, sizeof about, folder); break;
    case REASON_DISK_SHORT:
      FormatText(about, sizeof about, STR_HISTORY_DISK_SHORT_DETAIL, MegabytesUp(findings.needBytes),
                 MegabytesDown(facts.freeBytes), folder);
      break;
    case REASON_OTHER_RECORDING:
      if (findings.holder) FormatEntryWindow(about, sizeof about, findings.holder);
      break;
    default: break;
  }
  if (about[0]) {
    FormatText(detail, detailCapacity, STR_HISTORY_REASON_ABOUT, text, about);
  } else {
    CopyText(detail, detailCapacity, text);
  }
  char window[ENTRY_WINDOW_CAPACITY];
  FormatEntryWindow(window, sizeof window, entry);
  FormatText(warning, warningCapacity, STR_STATUS_CHECKED_AHEAD, window, text);
}
