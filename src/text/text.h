// Text utilities: the record scanner, the number parser, bounded copy and
// formatting, and the small string and path helpers everything else uses.
// Portable: no platform headers. Texts are zero-terminated code page 949 bytes.
#pragma once
#include <cstddef>
#include <cstdarg>

// ---- Bounded writing: every write into a fixed buffer goes through these ----

// Copies src into dst (capacity cap bytes, terminator included); cuts when
// longer. Returns 1 when the whole text fitted, 0 when it was cut.
int CopyText(char* dst, size_t cap, const char* src);
// Appends src to the text in dst within capacity cap. Returns 1 when whole.
int AppendText(char* dst, size_t cap, const char* src);
// Copies at most count bytes of src (stops earlier at its zero).
int CopyTextN(char* dst, size_t cap, const char* src, size_t count);

// Bounded formatter, a small subset of printf for the program's own formats:
//   %d %u %c %s %%, an optional '-' (left-align), '0' (zero pad) and width
//   digits, e.g. "%02d", "%5s". Anything else after '%' is copied as is.
// The output is always terminated and never longer than cap - 1 bytes.
// Returns 1 when everything fitted, 0 when the output was cut.
int FormatText(char* dst, size_t cap, const char* format, ...);
int FormatTextV(char* dst, size_t cap, const char* format, va_list args);
// Formats and appends behind the text already in dst.
int AppendFormat(char* dst, size_t cap, const char* format, ...);

// ---- Record scanner ----

// The destinations of ScanRecord, one per conversion in format order.
enum ScanTargetKind { SCAN_INT = 1, SCAN_CHAR = 2, SCAN_TEXT = 3 };
struct ScanTarget {
  int kind;
  void* destination;
  size_t capacity;  // bytes, for SCAN_TEXT: a longer word is cut to capacity - 1
};
inline ScanTarget ScanInt(int* p) { return ScanTarget{SCAN_INT, p, sizeof(int)}; }
inline ScanTarget ScanChar(char* p) { return ScanTarget{SCAN_CHAR, p, 1}; }
inline ScanTarget ScanText(char* p, size_t cap) { return ScanTarget{SCAN_TEXT, p, cap}; }

// Reads input according to format ("%d", "%.Nd", "%c", "%s", "%%", blank runs,
// plain characters). Each conversion stores through the next target whose kind
// must match; a conversion without a fitting target stops the scan.
// Returns 1 when input and format ran out together, else 0. Destinations that
// the scan does not reach keep their contents.
int ScanRecord(const char* input, const char* format, const ScanTarget* targets, int targetCount);

// Reads one signed decimal or "0x" hexadecimal number after optional blanks.
// *consumed (when given) receives the characters taken, 0 when no digit came.
int ParseNumber(const char* text, int* consumed);

// ---- String helpers (single bytes, exact comparison) ----

// Appends one character; the caller provides room for length + 2 bytes.
void AppendChar(char* text, char c);
// Bounded variant used by new code: returns 0 (text unchanged) when it would not fit.
int AppendCharBounded(char* text, size_t cap, char c);
const char* NthString(const char* list, int n);
int IndexOfChar(const char* text, char c);
int LastIndexOfChar(const char* text, char c);
int IndexOfSubstring(const char* text, const char* sought);
char* EndOfString(char* text);
const char* EndOfString(const char* text);
char* SplitAtChar(char* text, char c);
// Replaces the extension of the file-name part with ext: the file name is cut
// after its first dot (dots in folder names do not count); a file name without
// a dot gets "." and ext. Bounded by cap.
// Returns 1 when the result fitted whole.
int ReplaceExtension(char* path, size_t cap, const char* ext);
char* FileNamePart(char* path);
const char* FileNamePart(const char* path);
void DeleteCharAt(char* text, int position);
void TrimBlanks(char* text);
// Appends a backslash unless empty or already ending in one. Returns 0 (text
// unchanged) when the backslash would not fit in cap.
int AppendBackslash(char* path, size_t cap);

inline bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// ---- Code page 949: double-byte characters ----

// A byte from 0x81 to 0xFE opens a two-byte character.
inline bool IsLeadByte(char c) {
  unsigned char u = static_cast<unsigned char>(c);
  return u >= 0x81 && u <= 0xFE;
}
// Bytes of the longest run of whole characters at the start of text (length
// bytes) that is no longer than limit: a cut there never splits a character.
// A lead byte as the last byte of text counts as a character of its own.
size_t WholeCharPrefix(const char* text, size_t length, size_t limit);
