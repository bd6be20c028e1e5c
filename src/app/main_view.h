// Texts the main window shows: the list line of an entry, the title clock
// and the next recording (which the notification area's tip shows too).
#pragma once
#include <cstddef>

#include "schedule/schedule.h"
#include "scheduler/naming.h"

// Room for the longest line: two clocks, the mark and a whole 259-byte
// pattern. Lines of hand-edited oddities (huge times) are cut with "...".
enum { LIST_LINE_CAPACITY = 320, TITLE_CAPACITY = 60 };

// "%02d:%02d:%02d - %02d:%02d:%02d %s %s": start, end, mark, pattern.
// Returns 1 when the whole line fitted, 0 when it was cut.
int FormatListLine(char* line, size_t capacity, const ScheduleEntry* entry);

// Puts the clock behind the title: the text up to its first "-" (or the
// title and a blank), then "- HH:MM:SS".
void UpdateTitleClock(char* title, size_t capacity, int hour, int minute, int second);

// Milliseconds from the given millisecond of the current second until a
// little after the next second boundary, so the tick runs just after the clock
// turns over.
unsigned DelayToNextSecond(int millisecond);
enum { TICK_ALIGN_MARGIN_MS = 5 };
// The delay of the next tick after a tick that read the clock at `ticked`,
// the clock now at `now`: just after the next second boundary, or at once (0)
// when the clock has left the second the tick read. A tick that worked past
// its second (a request handed over ahead waits until the window's second)
// must not leave that second to wait for the one after.
unsigned DelayToNextTick(const LocalTimeFields& ticked, const LocalTimeFields& now);

// ---- The next recording ----

// Room for the longest: a window, a weekday and a wait, or a window and a
// whole file name.
enum { NEXT_RECORDING_CAPACITY = 360, TRAY_TIP_CHARACTERS = 127 };

// One line for the window and the notification tip, in the same words:
//   녹음 중 07:00:00 - 09:00:00 take.mp3      the window that records, and its file
//   다음 녹음 월요일 07:00:00 - 09:00:00, 3시간 12분 뒤
//   녹음 시작 중 07:00:00 - 09:00:00          the start went out, not yet reported
//   녹음 시간 07:00:00 - 09:00:00, 녹음하고 있지 않음   open, and nothing records
//   예약된 녹음 없음
// The file is the name the recording was started with (recordingFile), or
// the entry's pattern when that is not known (a recording taken over); either
// without its folder, which the list shows. While the plug-in is not known,
// the last three end in " — 플러그인을 찾지 못함". Returns 1 when it fitted.
int FormatNextRecording(char* text, size_t capacity, ScheduleEntry* list, const LocalTimeFields& now,
                        const char* recordingFile, bool pluginKnown);

// How long until a moment: "6일 3시간", "3시간 12분", "12분", "40초" (a part
// that is 0 is left out behind the first).
int FormatWait(char* text, size_t capacity, int32_t seconds);

// Cuts text to at most maxCharacters characters, counting a double-byte
// character as one (as UTF-16 does: the notification area counts WCHARs),
// never inside one; a cut text ends in "...". Returns 1 when nothing was cut.
int CutToCharacters(char* text, size_t maxCharacters);
