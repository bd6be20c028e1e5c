// The schedule section worked on in memory: reading a value as a one-key read
// would, finding keys by number, replaying key-by-key writes, and telling
// when one section write keeps a file as key-by-key writes would.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "schedule/section.h"

namespace {

// ASCII text as 16-bit units.
std::u16string U(const std::string& text) { return std::u16string(text.begin(), text.end()); }

// A section block from "name=value" (or "name") strings.
std::u16string Block(const std::vector<std::string>& lines) {
  std::u16string block;
  for (const std::string& line : lines) {
    block += U(line);
    block += u'\0';
  }
  block += u'\0';
  return block;
}

std::vector<SectionEntry> Split(const std::u16string& block) {
  std::vector<SectionEntry> entries(static_cast<size_t>(CountSectionEntries(block.c_str())));
  int count = SplitSectionEntries(block.c_str(), entries.data(), static_cast<int>(entries.size()));
  entries.resize(static_cast<size_t>(count));
  return entries;
}

std::string Text(const char16_t* units, int length) {
  std::string text;
  for (int i = 0; i < length; ++i) text += static_cast<char>(units[i]);
  return text;
}

// Entries back as "name=value" / "name" lines.
std::vector<std::string> Lines(const SectionEntry* entries, int count) {
  std::vector<std::string> lines;
  for (int i = 0; i < count; ++i) {
    std::string line = Text(entries[i].name, entries[i].nameLength);
    if (entries[i].value) line += "=" + Text(entries[i].value, entries[i].valueLength);
    lines.push_back(line);
  }
  return lines;
}

TEST(SectionBlock, SplitsAtTheFirstEqualsAndWritesBackTheSame) {
  std::u16string block = Block({"0=a=b", "bare", "=nameless", "x=", "1=8:0:0 9:0:0 D:\\a.mp3|4 1 -1 1"});
  std::vector<SectionEntry> entries = Split(block);
  EXPECT_EQ(Lines(entries.data(), static_cast<int>(entries.size())),
            (std::vector<std::string>{"0=a=b", "bare", "=nameless", "x=", "1=8:0:0 9:0:0 D:\\a.mp3|4 1 -1 1"}));
  EXPECT_EQ(entries[1].value, nullptr);  // "bare" has no value, "x=" an empty one
  EXPECT_NE(entries[3].value, nullptr);
  // Without the bare line the block comes back whole.
  entries.erase(entries.begin() + 1);
  std::u16string written(SectionBlockLength(entries.data(), 4), u'#');
  WriteSectionBlock(entries.data(), 4, &written[0]);
  EXPECT_EQ(written, Block({"0=a=b", "=nameless", "x=", "1=8:0:0 9:0:0 D:\\a.mp3|4 1 -1 1"}));
  std::vector<SectionEntry> again = Split(written);
  EXPECT_EQ(SameSectionEntries(again.data(), 4, entries.data(), 4), 1);
  EXPECT_EQ(SameSectionEntries(again.data(), 3, entries.data(), 4), 0);
}

TEST(SectionValue, ReadsAsAOneKeyReadIntoABufferOfThatSize) {
  struct Case {
    std::string value;
    int capacity;
    std::string read;
  } cases[] = {
      {"plain", 8, "plain"},
      {"1234567", 8, "1234567"},
      {"12345678", 8, "1234567"},       // cut to capacity - 1
      {"\"q q\"", 8, "q q"},            // a pair of quotes goes
      {"'single'", 10, "single"},
      {"\"123456\"", 8, "123456"},      // 7 units after the opening quote: fits
      {"\"1234567\"", 8, "123456"},     // 8 units: the cut takes the quote, and one more goes
      {"\"12345678\"", 8, "1234567"},   // longer: cut, nothing more dropped
      {"\"open", 8, "\"open"},          // no closing quote: kept
      {"'mixed\"", 10, "'mixed\""},
      {"\"", 8, "\""},                  // one quote is no pair
      {"\"\"", 8, ""},
      {"a\"b\"", 8, "a\"b\""},          // quotes only count at the start
  };
  for (const Case& c : cases) {
    std::u16string value = U(c.value);
    std::u16string out(static_cast<size_t>(c.capacity), u'#');
    int length = ValueAsRead(value.c_str(), static_cast<int>(value.size()), &out[0], c.capacity);
    EXPECT_EQ(Text(out.c_str(), length), c.read) << c.value << " into " << c.capacity;
    EXPECT_EQ(out[static_cast<size_t>(length)], u'\0') << c.value;
  }
}

TEST(SectionKeys, FindTheFirstEntryWrittenAsEachNumber) {
  std::u16string block = Block({"00=a", "+1=b", "4294967296=c", "1=d", "x=e", "0=f", "1=g", "2", "2=h", "-3=i",
                                "1 =j", "12=k"});
  std::vector<SectionEntry> entries = Split(block);
  int count = static_cast<int>(entries.size());
  std::vector<int> firstOf(4, 99);
  IndexNumberedEntries(entries.data(), count, firstOf.data(), 4);
  EXPECT_EQ(firstOf, (std::vector<int>{5, 3, 7, -1}));
  // Numbers at or beyond the count asked for are left alone.
  std::vector<int> two(2, 99);
  IndexNumberedEntries(entries.data(), count, two.data(), 2);
  EXPECT_EQ(two, (std::vector<int>{5, 3}));

  char16_t name[12];
  for (int n : {0, 7, 10, 2147483647}) {
    int length = NumberKeyName(n, name);
    EXPECT_EQ(Text(name, length), std::to_string(n));
    EXPECT_EQ(name[length], u'\0');
  }
}

TEST(SectionWrites, ReplayLikeOneWriteAfterAnother) {
  std::u16string block = Block({"note=keep", "2=old two", "0=same", "00=zero zero", "bare", "0=duplicate"});
  std::vector<SectionEntry> entries = Split(block);
  int count = static_cast<int>(entries.size());
  std::u16string writeBlock = Block({"0=same", "1=new one", "2=new two", "3=", "bare=now set"});
  std::vector<SectionEntry> writes = Split(writeBlock);
  std::vector<int> firstOf(4);
  IndexNumberedEntries(entries.data(), count, firstOf.data(), 4);
  std::vector<SectionEntry> merged(static_cast<size_t>(count) + 4);
  std::vector<unsigned char> changed(4, 9);
  int mergedCount =
      ReplayKeyWrites(entries.data(), count, firstOf.data(), writes.data(), 4, merged.data(), changed.data());
  // Changed in place where the name is; new names at the end, in write order.
  EXPECT_EQ(Lines(merged.data(), mergedCount),
            (std::vector<std::string>{"note=keep", "2=new two", "0=same", "00=zero zero", "bare", "0=duplicate",
                                      "1=new one", "3="}));
  EXPECT_EQ(changed, (std::vector<unsigned char>{0, 1, 1, 1}));

  // Writing what is there changes nothing; a value for a line without "=" does.
  std::u16string sameBlock = Block({"0=same", "1=new one"});
  std::vector<SectionEntry> again = Split(sameBlock);
  std::vector<int> firstAgain(2);
  IndexNumberedEntries(merged.data(), mergedCount, firstAgain.data(), 2);
  std::vector<SectionEntry> mergedAgain(static_cast<size_t>(mergedCount) + 2);
  std::vector<unsigned char> changedAgain(2, 9);
  EXPECT_EQ(ReplayKeyWrites(merged.data(), mergedCount, firstAgain.data(), again.data(), 2, mergedAgain.data(),
                            changedAgain.data()),
            mergedCount);
  EXPECT_EQ(changedAgain, (std::vector<unsigned char>{0, 0}));
  std::u16string bareBlock = Block({"0"});
  std::vector<SectionEntry> bare = Split(bareBlock);
  int firstBare = 0;
  SectionEntry one[2];
  unsigned char bareChanged = 9;
  EXPECT_EQ(ReplayKeyWrites(bare.data(), 1, &firstBare, writes.data(), 1, one, &bareChanged), 1);
  EXPECT_EQ(bareChanged, 1);
  EXPECT_EQ(Lines(one, 1), std::vector<std::string>{"0=same"});
}

TEST(SectionFile, OneSectionWriteKeepsOnlyFilesWithNothingItWouldDrop) {
  struct Case {
    std::string text;
    int keeps;
  } cases[] = {
      {"", 1},
      {"[Config]\r\nx=1\r\n", 1},
      {"[MP3Schedule]\r\n0=a\r\n1=\r\n[Zulu]\r\n;comment\r\nbare\r\n", 1},  // other sections may hold anything
      {"  [ mp3schedule ]  \n 0 = a \n=nameless\n[x]\n", 1},
      {"[MP3Schedule]\r\n0=a\r\n;comment\r\n", 0},
      {"[MP3Schedule]\r\n0=a\r\n  ;0=b\r\n", 0},
      {"[MP3Schedule]\r\n0=a\r\nbare\r\n", 0},
      {"[MP3Schedule]\r\n0=a\r after a lone CR\r\n", 0},  // a lone CR ends the line: a bare line follows
      {"[MP3Schedule]\r\n0=a\r\n[Other]\r\n[MP3SCHEDULE]\r\n1=b\r\n", 0},
      {"[MP3Schedule]\r\n0=a\r\n[Other]\r\n[MP3SCHEDULE]\r\n\r\n", 1},  // an empty second one is harmless
      {"[MP3Schedule]=x\r\n0=a\r\nbare\r\n", 0},        // text after the "]" does not matter
      {"[MP3Schedule\r\n0=a\r\nbare\r\n", 1},           // no "]": no header, the lines belong to no section
      {"[MP3Schedule] ]\r\n0=a\r\nbare\r\n", 1},        // the name runs to the last "]"
  };
  for (const Case& c : cases) {
    std::u16string text = U(c.text);
    EXPECT_EQ(SectionWriteKeepsFile(text.c_str(), text.size(), "MP3Schedule"), c.keeps) << c.text;
  }
  // A name of the same length with other characters is not decided by ASCII rules.
  std::u16string unsure = u"[MP3Sched\u00FCle]\r\n0=a\r\n";
  EXPECT_EQ(SectionWriteKeepsFile(unsure.c_str(), unsure.size(), "MP3Schedule"), 0);
  std::u16string longer = u"[MP3Schedule\u00FC]\r\n0=a\r\nbare\r\n";
  EXPECT_EQ(SectionWriteKeepsFile(longer.c_str(), longer.size(), "MP3Schedule"), 1);
}

}  // namespace
