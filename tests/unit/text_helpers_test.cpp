// Bounded copy, append and format, and the string and path helpers.
#include <gtest/gtest.h>

#include <climits>
#include <cstdarg>
#include <cstring>
#include <string>
#include <vector>

#include "resources/strings.h"
#include "text/text.h"

namespace {

// A buffer with guard bytes behind its capacity: a write past cap shows up as
// a changed guard even without the sanitizer.
struct Guarded {
  explicit Guarded(size_t cap, const char* initial = "") : cap(cap), bytes(cap + 8, '#') {
    std::strncpy(bytes.data(), initial, cap);  // zero-fills; unterminated when initial fills cap
  }
  char* data() { return bytes.data(); }
  std::string text() const { return std::string(bytes.data(), strnlen(bytes.data(), cap)); }
  bool terminated() const { return cap == 0 || std::memchr(bytes.data(), '\0', cap) != nullptr; }
  bool guardIntact() const { return std::string(bytes.begin() + cap, bytes.end()) == std::string(8, '#'); }
  size_t cap;
  std::vector<char> bytes;
};

#define EXPECT_BOUNDED(buffer)             \
  do {                                     \
    EXPECT_TRUE((buffer).terminated());    \
    EXPECT_TRUE((buffer).guardIntact());   \
  } while (0)

TEST(BoundedCopy, CopyAppendAndCountedCopyCutAtCapacity) {
  struct Case {
    const char* what;
    size_t cap;
    const char* before;
    int result;
    const char* after;
  };
  const Case copies[] = {
      {"abc", 4, "", 1, "abc"}, {"abcd", 4, "", 0, "abc"}, {"", 1, "", 1, ""}, {"x", 1, "", 0, ""}};
  for (const Case& c : copies) {
    SCOPED_TRACE(c.what);
    Guarded b(c.cap);
    EXPECT_EQ(CopyText(b.data(), c.cap, c.what), c.result);
    EXPECT_EQ(b.text(), c.after);
    EXPECT_BOUNDED(b);
  }
  const Case appends[] = {
      {"cd", 5, "ab", 1, "abcd"}, {"cd", 4, "ab", 0, "abc"}, {"", 3, "ab", 1, "ab"}, {"c", 3, "ab", 0, "ab"}};
  for (const Case& c : appends) {
    SCOPED_TRACE(c.what);
    Guarded b(c.cap, c.before);
    EXPECT_EQ(AppendText(b.data(), c.cap, c.what), c.result);
    EXPECT_EQ(b.text(), c.after);
    EXPECT_BOUNDED(b);
  }
  Guarded n(4);
  EXPECT_EQ(CopyTextN(n.data(), 4, "abcdef", 2), 1);
  EXPECT_EQ(n.text(), "ab");
  EXPECT_EQ(CopyTextN(n.data(), 4, "x", 3), 1);  // stops at the zero of a short source
  EXPECT_EQ(n.text(), "x");
  EXPECT_EQ(CopyTextN(n.data(), 4, "abcdef", 5), 0);
  EXPECT_EQ(n.text(), "abc");
  EXPECT_BOUNDED(n);

  char untouched = 'u';
  EXPECT_EQ(CopyText(&untouched, 0, "a"), 0);
  EXPECT_EQ(untouched, 'u');
  Guarded full(3, "abc");  // no terminator inside the buffer: closed, not overrun
  EXPECT_EQ(AppendText(full.data(), 3, "d"), 0);
  EXPECT_EQ(full.text(), "ab");
  EXPECT_BOUNDED(full);
}

std::string Format(size_t cap, int* result, const char* format, ...) {
  Guarded b(cap);
  va_list args;
  va_start(args, format);
  *result = FormatTextV(b.data(), cap, format, args);
  va_end(args);
  EXPECT_BOUNDED(b);
  return b.text();
}

TEST(FormatText, FormsFlagsAndWidths) {
  int r = 0;
  EXPECT_EQ(Format(64, &r, "%02d:%02d:%02d", 7, 5, 0), "07:05:00");
  EXPECT_EQ(r, 1);
  EXPECT_EQ(Format(64, &r, "%d|%d", INT_MIN, INT_MAX), "-2147483648|2147483647");
  EXPECT_EQ(Format(64, &r, "%u", 4294967295u), "4294967295");
  EXPECT_EQ(Format(64, &r, "[%5s][%-5s]", "ab", "cd"), "[   ab][cd   ]");
  EXPECT_EQ(Format(64, &r, "[%05d][%-05d][%3d]", -42, 42, 12345), "[-0042][42   ][12345]");
  EXPECT_EQ(Format(64, &r, "%c%c%3c", 'A', ' ', 'z'), "A   z");
  EXPECT_EQ(Format(64, &r, "[%s][%2s]", static_cast<const char*>(nullptr), static_cast<const char*>(nullptr)),
            "[][  ]");
  EXPECT_EQ(Format(64, &r, "100%% %x %q%"), "100% %x %q%");
  EXPECT_EQ(Format(64, &r, "%5x%d", 3), "%5x3");  // unknown forms take no argument
  EXPECT_EQ(r, 1);
  EXPECT_EQ(Format(64, &r, "%s", STR_MARK_RECORDING), STR_MARK_RECORDING);
}

TEST(FormatText, CutsAtCapacityAndReportsIt) {
  int r = 1;
  EXPECT_EQ(Format(6, &r, "%s", "abcdefgh"), "abcde");
  EXPECT_EQ(r, 0);
  EXPECT_EQ(Format(6, &r, "abcde"), "abcde");
  EXPECT_EQ(r, 1);
  EXPECT_EQ(Format(6, &r, "%d", -123456), "-1234");
  EXPECT_EQ(r, 0);
  EXPECT_EQ(Format(6, &r, "%60s", "x"), "     ");
  EXPECT_EQ(r, 0);
  EXPECT_EQ(Format(1, &r, "a"), "");
  EXPECT_EQ(r, 0);
  EXPECT_EQ(Format(1, &r, ""), "");
  EXPECT_EQ(r, 1);
  std::string word(400, 'w');
  EXPECT_EQ(Format(260, &r, "%s", word.c_str()), std::string(259, 'w'));
  EXPECT_EQ(r, 0);

  Guarded b(8, "a=");
  EXPECT_EQ(AppendFormat(b.data(), 8, "%d", 5), 1);
  EXPECT_EQ(b.text(), "a=5");
  EXPECT_EQ(AppendFormat(b.data(), 8, "%s", "xyzwv"), 0);
  EXPECT_EQ(b.text(), "a=5xyzw");
  EXPECT_BOUNDED(b);
}

TEST(StringHelpers, AppendCharacters) {
  char text[8] = "";
  AppendChar(text, 'x');
  EXPECT_STREQ(text, "x");
  AppendChar(text, 'y');
  EXPECT_STREQ(text, "xy");

  Guarded b(4, "ab");
  EXPECT_EQ(AppendCharBounded(b.data(), 4, 'c'), 1);
  EXPECT_EQ(b.text(), "abc");
  EXPECT_EQ(AppendCharBounded(b.data(), 4, 'd'), 0);
  EXPECT_EQ(b.text(), "abc");
  EXPECT_BOUNDED(b);
}

TEST(StringHelpers, NthStringWalksAMultiStringList) {
  static const char kWeekdays[] = "SUN\0MON\0TUE\0WED\0THU\0FRI\0SAT\0";
  const char* names[] = {"SUN", "MON", "TUE", "WED", "THU", "FRI", "SAT"};
  for (int n = 0; n < 7; ++n) EXPECT_STREQ(NthString(kWeekdays, n), names[n]) << n;
  const char* closing = kWeekdays + sizeof kWeekdays - 1;
  for (int n : {7, 8, 1000}) EXPECT_EQ(NthString(kWeekdays, n), closing) << n;
  static const char kEmpty[] = "";
  EXPECT_EQ(NthString(kEmpty, 3), kEmpty);
}

TEST(StringHelpers, SearchesReportPositionsOrMinusOne) {
  struct Case {
    const char* text;
    char c;
    int first;
    int last;
  };
  const Case chars[] = {
      {"", 'a', -1, -1}, {"abca", 'a', 0, 3}, {"abc", 'z', -1, -1}, {"abc", '\0', -1, -1}, {"a\\b\\", '\\', 1, 3}};
  for (const Case& c : chars) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(IndexOfChar(c.text, c.c), c.first);
    EXPECT_EQ(LastIndexOfChar(c.text, c.c), c.last);
  }
  struct Sub {
    const char* text;
    const char* sought;
    int at;
  };
  const Sub subs[] = {{"hello", "ll", 2}, {"ab", "abc", -1}, {"abc", "", 0},     {"", "", 0},
                      {"aab", "ab", 1},   {"abc", "abc", 0}, {"abc", "x", -1},   {"abcab", "cab", 2},
                      {STR_MAIN_TITLE, STR_PLUGIN_TITLE_MARK, 0}};
  for (const Sub& s : subs) EXPECT_EQ(IndexOfSubstring(s.text, s.sought), s.at) << s.text << " / " << s.sought;

  char text[] = "abc";
  EXPECT_EQ(EndOfString(text), text + 3);
  const char* empty = "";
  EXPECT_EQ(EndOfString(empty), empty);
}

TEST(StringHelpers, SplitAtCharCutsAtTheFirstOccurrence) {
  char line[] = "a|b|c";
  char* rest = SplitAtChar(line, '|');
  EXPECT_STREQ(line, "a");
  ASSERT_NE(rest, nullptr);
  EXPECT_STREQ(rest, "b|c");
  char none[] = "abc";
  EXPECT_EQ(SplitAtChar(none, '|'), nullptr);
  EXPECT_STREQ(none, "abc");
  EXPECT_EQ(SplitAtChar(none, '\0'), nullptr);
  char atEnd[] = "ab|";
  rest = SplitAtChar(atEnd, '|');
  ASSERT_NE(rest, nullptr);
  EXPECT_STREQ(rest, "");
  EXPECT_STREQ(atEnd, "ab");
}

TEST(PathHelpers, FileNamePartFollowsTheLastSeparator) {
  struct Case {
    const char* path;
    const char* name;
  };
  const Case cases[] = {{"C:\\a\\b.txt", "b.txt"}, {"name", "name"}, {"C:name", "name"}, {"C:\\a\\", ""},
                        {"a/b", "a/b"},            {"C:\\x:y", "x:y"}, {"", ""}};
  for (const Case& c : cases) EXPECT_STREQ(FileNamePart(c.path), c.name) << c.path;
  char path[] = "D:\\r\\x.mp3";
  EXPECT_EQ(FileNamePart(path), path + 5);
}

TEST(PathHelpers, ReplaceExtensionWorksOnTheFileNameOnly) {
  struct Case {
    const char* path;
    size_t cap;
    int result;
    const char* after;
  };
  const Case cases[] = {
      {"C:\\Users\\kim.lee\\Tools\\Tavelund.exe", 260, 1, "C:\\Users\\kim.lee\\Tools\\Tavelund.INI"},
      {"C:\\Apps\\rec.all\\prog.exe", 260, 1, "C:\\Apps\\rec.all\\prog.INI"},
      {"C:\\x\\noext", 260, 1, "C:\\x\\noext.INI"},
      {"C:\\Rec\\sched.exe", 260, 1, "C:\\Rec\\sched.INI"},
      {"archive.tar.gz", 260, 1, "archive.INI"},
      {"D:prog.exe", 260, 1, "D:prog.INI"},
      {"a.b", 6, 1, "a.INI"},    // exactly fits
      {"a.b", 5, 0, "a.IN"},     // one byte short: cut and reported
      {"abc", 5, 0, "abc."},     // the point fits, the extension does not
      {"abcd", 5, 0, "abcd"},    // not even the point fits
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    Guarded b(c.cap, c.path);
    EXPECT_EQ(ReplaceExtension(b.data(), c.cap, "INI"), c.result);
    EXPECT_EQ(b.text(), c.after);
    EXPECT_BOUNDED(b);
  }
}

TEST(StringHelpers, DeleteAndTrim) {
  struct Del {
    const char* text;
    int position;
    const char* after;
  };
  const Del deletes[] = {{"\"abc", 0, "abc"}, {"abc", 2, "ab"}, {"abc", 1, "ac"},
                         {"abc", 3, "abc"},   {"abc", -1, "abc"}, {"", 0, ""}};
  for (const Del& d : deletes) {
    std::string text = d.text;
    DeleteCharAt(&text[0], d.position);
    EXPECT_STREQ(text.c_str(), d.after) << d.text << " at " << d.position;
  }
  struct Trim {
    const char* text;
    const char* after;
  };
  const Trim trims[] = {{"\t\t\t", ""}, {"  a b \t", "a b"}, {"", ""}, {"ab", "ab"}, {" a", "a"}, {"a\t", "a"},
                        {"\ra\n", "\ra\n"}};
  for (const Trim& t : trims) {
    std::string text = t.text;
    TrimBlanks(&text[0]);
    EXPECT_STREQ(text.c_str(), t.after) << "[" << t.text << "]";
  }
}

TEST(PathHelpers, AppendBackslashOnlyWhenNeededAndRoomy) {
  struct Case {
    const char* path;
    size_t cap;
    int result;
    const char* after;
  };
  const Case cases[] = {{"", 4, 1, ""},
                        {"C:\\x", 6, 1, "C:\\x\\"},
                        {"C:\\x\\", 6, 1, "C:\\x\\"},
                        {"C:\\x", 5, 0, "C:\\x"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    Guarded b(c.cap, c.path);
    EXPECT_EQ(AppendBackslash(b.data(), c.cap), c.result);
    EXPECT_EQ(b.text(), c.after);
    EXPECT_BOUNDED(b);
  }
}

}  // namespace
