// Stand-in for the media player and its recording plug-in: what the files of
// tools/standin share. See main.cpp for the command line and the journal.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

// Command-line options (all optional).
struct StandinOptions {
  std::string journalPath;          // --journal PATH; empty: no journal
  bool noPlugin = false;            // --no-plugin
  bool hasTitle = false;            // --title TEXT given
  std::string title;                //   the plug-in dialog's title, cp949 bytes
  bool qualityNeverOpens = false;   // --quality-never-opens
  unsigned long qualityOpensAfter = 0;  // --quality-opens-after N: the first N 1003 are ignored
  bool qualityNeverCloses = false;  // --quality-never-closes
  DWORD delayMs = 0;                // --delay-ms N
  long exitAfterRecording = -1;     // --exit-after-recording N (seconds); -1: off
  bool writeNothing = false;        // --write-nothing
  long stopWritingAfter = -1;       // --stop-writing-after N (seconds); -1: off
  bool hasForeign = false;          // --foreign-dialog TEXT given
  std::string foreignTitle;
  bool foreignBelow = false;        // --foreign-order below (default: above)
  std::vector<std::string> problems;  // options that were not understood
};

// Posted to the player or plug-in window by a test: the stand-in's thread
// stops answering for wParam milliseconds, as a hung plug-in would.
const UINT STANDIN_MESSAGE_HANG = WM_APP + 0x20;

extern StandinOptions options;
extern HINSTANCE instance;

// ---- main.cpp ----

// Splits a command line by the usual Windows rules (quotes, backslashes
// before quotes); the first word is the program.
std::vector<std::string> SplitCommandLine(const char* commandLine);
// Reads the options from the words behind the program name.
StandinOptions ParseOptions(const std::vector<std::string>& words);

// Appends one line to the journal: the stamps, then event. Nothing is
// written once the "exit" line is out.
void Journal(const std::string& event);
// The same for the process's last line; later Journal calls write nothing.
void JournalExit(const std::string& reason);
// "0x" and the handle's value in lowercase hex.
std::string HandleText(const void* handle);
// Bytes below 0x20 would break the one-line-per-event format: they come out
// as '?'. Every other byte is kept, so cp949 text passes unchanged.
std::string JournalText(const char* bytes, size_t count);

// The line in the player window that follows the plug-in's state.
void ShowPlayerStatus(const std::string& text);

// ---- dialog_template.cpp ----

// An in-memory dialog template (DLGTEMPLATE + items), built item by item.
// Texts in the template are plain ASCII; cp949 texts are set after creation
// with the A functions so their bytes stay exact.
class DialogTemplate {
 public:
  DialogTemplate(DWORD style, short cx, short cy, const char* fontName, WORD pointSize);
  void AddStatic(int id, const char* text, short x, short y, short cx, short cy, DWORD style = 0);
  void AddButton(int id, const char* text, short x, short y, short cx, short cy, DWORD style = 0);
  const DLGTEMPLATE* Get();

 private:
  void AddItem(WORD classAtom, int id, const char* text, DWORD style, short x, short y, short cx,
               short cy);
  void AddText(const char* text);
  void Align();
  std::vector<WORD> words_;
  WORD count_ = 0;
};

// ---- plugin.cpp ----

// Creates and shows the plug-in dialog owned by player. Returns it or none.
HWND CreatePluginDialog(HWND player, const std::string& title);
// Creates and shows the look-alike dialog without control 88.
HWND CreateForeignDialog(HWND player, const std::string& title);
// Passes keyboard messages to the stand-in's dialogs; true when taken.
bool PluginDialogMessage(MSG* message);
// Closes the output file without the "stop" line (the process is ending).
// Returns true when a recording was running.
bool AbandonRecording();
