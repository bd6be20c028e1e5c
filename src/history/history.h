// The recording history: one line per event in a text file beside the
// settings file, so a window that did not record leaves a trace with its
// reason. This half is portable: the events and reasons with their Korean
// texts, the line format, the file's name and when it is renamed. Writing the
// file is history_win32's part.
#pragma once
#include <cstddef>
#include <cstdint>

#include "recorder/request.h"
#include "schedule/schedule.h"
#include "scheduler/disk_space.h"
#include "scheduler/naming.h"
#include "scheduler/recording_file.h"
#include "scheduler/tick.h"

// What a line tells. New kinds go before HISTORY_EVENT_COUNT, with their text
// in the table of history.cpp.
enum HistoryEvent {
  HISTORY_NONE = 0,
  HISTORY_PROGRAM_STARTED,
  HISTORY_PROGRAM_ENDED,
  HISTORY_PLUGIN_FOUND,
  HISTORY_PLUGIN_LOST,
  HISTORY_PLAYER_STARTED,      // the player was started for a window
  HISTORY_PLAYER_NOT_STARTED,  // ... and could not be
  HISTORY_RECORDING_STARTED,
  HISTORY_RECORDING_ADOPTED,   // a recording already running was taken
  HISTORY_RECORDING_STOPPED,
  HISTORY_NOT_STARTED,         // a try, or the lack of one, with its reason
  HISTORY_MISSED,              // a window ended without a recording
  HISTORY_WAKE_SET,            // the computer is to be woken for a window
  HISTORY_WOKE,                // the computer came back from sleep
  HISTORY_CLOCK_CHANGED,       // the clock was set (detail: by how much)
  HISTORY_SLEEP_WHILE_RECORDING,
  HISTORY_START_WITH_WINDOWS_ON,   // the user turned the start at sign-in on
  HISTORY_START_WITH_WINDOWS_OFF,  // ... or off
  HISTORY_DISK_SHORT,          // the recording's drive has less room than the window needs
  HISTORY_DISK_FULL,           // ...and while recording almost none: probably cut
  HISTORY_WRONG_CODE_PAGE,     // the system's code page is not the program's (949)
  HISTORY_CHECKED_AHEAD,       // a window about to open will not record as it should (the reason)
  HISTORY_FILE_NOT_GROWING,    // a minute's look found the recording's file missing or no bigger
  HISTORY_RECORDING_CUT_SHORT, // at the end the file holds under half of the time recorded
  HISTORY_EVENT_COUNT
};

// Why a window did not record, or why a recording ended. At most 32: a
// window keeps the reasons it told as bits.
enum HistoryReason {
  REASON_NONE = 0,
  REASON_NO_PLUGIN,
  REASON_PLUGIN_NO_ANSWER,
  REASON_OTHER_RECORDING,
  REASON_NO_MEMORY,
  REASON_NO_FOLDER,
  REASON_NO_FREE_NAME,
  REASON_NAME_TOO_LONG,
  REASON_REQUEST_NOT_TAKEN,
  REASON_QUALITY_NOT_OPENED,
  REASON_QUALITY_NOT_CLOSED,
  REASON_PLUGIN_GONE,
  REASON_NOT_CONFIRMED,
  REASON_WINDOW_ENDED,
  REASON_STOPPED_BY_USER,
  REASON_PLUGIN_LOST,
  REASON_RECORDING_STOPPED,
  REASON_PROGRAM_NOT_RUNNING,
  REASON_NOT_CHECKED,  // the window came and went between two looks at the clock
  REASON_NO_DRIVE,     // the drive (or share) of the file's folder is not there
  REASON_DISK_SHORT,   // the drive has less room than the window needs
  REASON_FILE_MISSING,  // the window ended and its recording's file was not there...
  REASON_FILE_EMPTY,    // ...or held nothing
  REASON_COUNT
};

// The Korean texts ("" for none or an unknown value).
const char* HistoryEventText(HistoryEvent kind);
const char* HistoryReasonText(HistoryReason reason);

// The reason a failed start gives: the request's own when the plug-in did not
// take it, else the start's.
HistoryReason ReasonOfStart(StartProblem problem, RequestResult request);

enum {
  // The longest line: stamp, event, window, and a detail that holds a whole
  // path and some words.
  HISTORY_LINE_CAPACITY = 720,
  HISTORY_DETAIL_CAPACITY = 560,
  // Past this size the file is renamed to the older one and a new one begun.
  HISTORY_SIZE_LIMIT = 1 << 20,
};

// One line, CR LF included: "YYYY-MM-DD hh:mm:ss  event", then
// "  hh:mm:ss - hh:mm:ss" (the entry's window) when there is an entry, then
// "  detail" when the detail is not empty. A line too long for capacity is cut
// between whole characters and still ends with CR LF. Returns 1 when whole.
int FormatHistoryLine(char* line, size_t capacity, const LocalTimeFields& when, HistoryEvent kind,
                      const ScheduleEntry* entry, const char* detail);

// The detail of a started recording: the file, the MP3 parameters (or that
// there are none) and how many milliseconds after its scheduled second the
// start went out.
int FormatStartedDetail(char* detail, size_t capacity, const char* fileName, const ScheduleEntry* entry,
                        uint32_t latenessMs);
// A reason with the date the window opened on: "reason (YYYY-MM-DD)".
int FormatDatedReason(char* detail, size_t capacity, HistoryReason reason, const LocalTimeFields& opened);
// "놓친 녹음 N건 — 녹음 기록을 보세요".
int FormatMissedNotice(char* text, size_t capacity, int count);

// What a disk check found short or full: the event, the history line's
// detail (needed and free space in MB, the folder) and the status line's
// warning. HISTORY_NONE for any other verdict, with both texts empty.
HistoryEvent FormatDiskNews(char* detail, size_t detailCapacity, char* warning, size_t warningCapacity,
                            DiskVerdict verdict, uint64_t needBytes, uint64_t freeBytes, const char* folder);

// ---- The recording's file ----

// A size in tenths of a megabyte (2^20 bytes, as the disk texts count), to
// the nearest, but a file with anything in it never reads as empty: "57.3 MB".
int FormatFileSize(char* text, size_t capacity, uint64_t bytes);
// A length of sound: "1시간 2분 5초", "59분 40초", "40초".
int FormatSoundLength(char* text, size_t capacity, uint32_t seconds);
// The size and the length it holds at the entry's bitrate: "54.6 MB, 약
// 59분 40초"; without MP3 parameters the length is said to be reckoned at
// the assumed bitrate.
int FormatFileFigures(char* text, size_t capacity, uint64_t bytes, const ScheduleEntry* entry);
// The end line's detail: the reason, then the file's figures when it was
// there ("녹음 시간 끝, 54.6 MB, 약 59분 40초").
int FormatEndedDetail(char* detail, size_t capacity, HistoryReason reason, const FileReading& file,
                      const ScheduleEntry* entry);
// What a minute's look found: for a file that did not grow the event, the
// line's detail (the file and its size, or that it is missing) and the
// status line's warning; HISTORY_NONE for any other verdict, both texts empty.
HistoryEvent FormatGrowthNews(char* detail, size_t detailCapacity, char* warning, size_t warningCapacity,
                              GrowthVerdict verdict, const FileReading& file, const char* fileName);
// A file cut short: the length it holds and the time it recorded, then the file.
int FormatCutShortDetail(char* detail, size_t capacity, uint64_t bytes, const ScheduleEntry* entry,
                         uint32_t recordedMs, const char* fileName);
// Why a window whose file is missing or empty at its end counts as not
// recorded; REASON_NONE for any other verdict.
HistoryReason ReasonOfRecordingFile(FileEndVerdict verdict);

// Whether a line of lineLength bytes makes a file of currentSize bytes pass
// the limit, so the file must be renamed first. An empty file never is: a
// line longer than the limit still gets written.
bool HistoryNeedsRenaming(uint64_t currentSize, size_t lineLength);

// The history lies beside the settings file and is named like it, with the
// extension "log" in place of its own. Returns 1 when the path fitted whole.
int DeriveHistoryPath(char* historyPath, size_t capacity, const char* settingsPath);
// The older history: the path with ".1" behind it.
int OlderHistoryPath(char* olderPath, size_t capacity, const char* historyPath);

// The [Config] switch of the player start for a due window: on unless it is
// a number that is 0 (so an absent or empty key means on).
bool AutoStartPlayerEnabled(const char* value);
