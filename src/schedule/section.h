// A settings section handled in memory the way the platform's profile
// functions handle it one key at a time, so that the schedule can be read
// with one section read and written with one section write and still come
// out exactly as the reads and writes of single keys would have it.
//
// Texts here are 16-bit units: the platform keeps a settings file in memory
// as UTF-16 whatever its code page on disk, and its quirks (the cut of a
// value read into a fixed buffer, the quotes it strips) act on those units.
// Portable: the shell converts to and from code page 949.
#pragma once
#include <cstddef>

// One entry of a section as a whole-section read lists it: "name=value", or
// only "name" for a line without "=" (value is then null). The texts point
// into the block they were split from and are zero-terminated there.
struct SectionEntry {
  const char16_t* name;
  int nameLength;
  const char16_t* value;
  int valueLength;
};

// Entries of a section block: strings each ended by a zero, the block ended
// by an empty string.
int CountSectionEntries(const char16_t* block);
// Splits a block into at most capacity entries; returns how many it filled.
int SplitSectionEntries(const char16_t* block, SectionEntry* entries, int capacity);

// The text of key number k as the schedule writes it ("%d": no sign, no
// leading zero). name needs 12 units; returns the length.
int NumberKeyName(int number, char16_t* name);

// firstOf[k], for k in [0, keyCount): the index of the first entry whose name
// is exactly key k's text, or -1. A one-key read finds the first of equal
// names; names that only read as the number ("00", "+1", "4294967296") are
// other keys.
void IndexNumberedEntries(const SectionEntry* entries, int count, int* firstOf, int keyCount);

// What a one-key read of value into a buffer of capacity units leaves: a value
// enclosed in a pair of equal quotes (' or ") loses them, at most capacity - 1
// units are kept, and, like the platform, the last unit kept is dropped as
// the closing quote even when the cut already took that quote. Returns the
// length of out.
int ValueAsRead(const char16_t* value, int valueLength, char16_t* out, int capacity);

// Replays the key-by-key writes of writes[k] (the value of key k, k in
// [0, writeCount)) on a section: each write changes the value of the first
// entry of its name, or, with no such entry, adds one at the section's end.
// merged receives the section afterwards (room for count + writeCount
// entries); changed[k] is 1 when write k changes the section (a new entry,
// another value, or a value for a line without "="). firstOf is the index of
// IndexNumberedEntries over at least writeCount keys. Returns merged's count.
int ReplayKeyWrites(const SectionEntry* entries, int count, const int* firstOf, const SectionEntry* writes,
                    int writeCount, SectionEntry* merged, unsigned char* changed);

// Units of the block listing entries as "name=value" strings, the closing
// empty string included. Every entry needs a value.
size_t SectionBlockLength(const SectionEntry* entries, int count);
// Writes that block (SectionBlockLength units).
void WriteSectionBlock(const SectionEntry* entries, int count, char16_t* block);

// 1 when both lists hold the same names and values (a missing value equals
// only a missing value).
int SameSectionEntries(const SectionEntry* a, int aCount, const SectionEntry* b, int bCount);

// Whether a write of the whole section `sectionName` (ASCII) leaves the file
// as key-by-key writes would. text is the whole file as the platform decodes
// it. A section write replaces the keys of every section of that name and
// takes only "name=value" lines, so it would lose a comment line or a line
// without "=" in the section, or the keys of a second section of the same
// name; key-by-key writes keep them. Answers 0 for these, and when a section
// name cannot be told apart safely.
int SectionWriteKeepsFile(const char16_t* text, size_t length, const char* sectionName);
