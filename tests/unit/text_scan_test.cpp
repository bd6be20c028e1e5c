// ScanRecord and ParseNumber: the settings lines the program reads, every
// format element, blank runs, stops that leave destinations alone, and the
// bounded "%s".
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "text/text.h"

namespace {

const char* const kUntouched = "-";
const int kIntSentinel = 0x5EEDBEEF;
const char kCharSentinel = '\x7F';
const char* const kTextSentinel = "\x01sentinel";

struct Scanned {
  int result;
  std::vector<std::string> stored;  // kUntouched where the scan did not write
};

// Runs ScanRecord with one destination per letter of kinds ('d', 'c', 's'),
// every destination primed with a sentinel. Text destinations are heap blocks
// of exactly textCapacity bytes, so any overrun trips the address sanitizer.
Scanned Scan(const char* input, const char* format, const std::string& kinds, size_t textCapacity = 260) {
  std::vector<int> ints(kinds.size(), kIntSentinel);
  std::vector<char> chars(kinds.size(), kCharSentinel);
  std::vector<std::vector<char>> texts;
  std::vector<ScanTarget> targets;
  texts.reserve(kinds.size());
  for (size_t i = 0; i < kinds.size(); ++i) {
    texts.emplace_back(textCapacity, '\0');
    std::string primed = std::string(kTextSentinel).substr(0, textCapacity - 1);
    std::copy(primed.begin(), primed.end(), texts[i].begin());
    if (kinds[i] == 'd') targets.push_back(ScanInt(&ints[i]));
    if (kinds[i] == 'c') targets.push_back(ScanChar(&chars[i]));
    if (kinds[i] == 's') targets.push_back(ScanText(texts[i].data(), textCapacity));
  }
  Scanned out;
  out.result = ScanRecord(input, format, targets.data(), static_cast<int>(targets.size()));
  for (size_t i = 0; i < kinds.size(); ++i) {
    if (kinds[i] == 'd') out.stored.push_back(ints[i] == kIntSentinel ? kUntouched : std::to_string(ints[i]));
    if (kinds[i] == 'c') out.stored.push_back(chars[i] == kCharSentinel ? kUntouched : std::string(1, chars[i]));
    if (kinds[i] == 's') {
      std::string text(texts[i].data(), strnlen(texts[i].data(), textCapacity));
      EXPECT_LT(text.size(), textCapacity) << "text destination left unterminated";
      out.stored.push_back(text == std::string(kTextSentinel).substr(0, textCapacity - 1) ? kUntouched : text);
    }
  }
  return out;
}

struct ScanCase {
  const char* input;
  const char* format;
  const char* kinds;
  int result;
  std::vector<std::string> stored;
};

void RunCases(const std::vector<ScanCase>& cases) {
  for (const ScanCase& c : cases) {
    SCOPED_TRACE(std::string("input [") + c.input + "] format [" + c.format + "]");
    Scanned got = Scan(c.input, c.format, c.kinds);
    EXPECT_EQ(got.result, c.result);
    EXPECT_EQ(got.stored, c.stored);
  }
}

const char* const kLine = "%d:%d:%d %d:%d:%d %s";
const char* const kFour = "%d %d %d %d";

TEST(ScanRecord, SettingsValuesAsTheProgramReadsThem) {
  RunCases({
      {"21:0:0 22:30:0 D:\\Radio\\%Y%M%D.mp3", kLine, "dddddds", 1,
       {"21", "0", "0", "22", "30", "0", "D:\\Radio\\%Y%M%D.mp3"}},
      {"7:05:00 7:45:00", kLine, "dddddds", 0, {"7", "5", "0", "7", "45", "0", "-"}},
      {"7:05", kLine, "dddddds", 0, {"7", "5", "-", "-", "-", "-", "-"}},
      {"21:0:0 22:30:0 D:\\My Music\\a.mp3", kLine, "dddddds", 0,
       {"21", "0", "0", "22", "30", "0", "D:\\My"}},
      {"21:0:0 22:30:0 \"D:\\My Music\\a.mp3\"", kLine, "dddddds", 1,
       {"21", "0", "0", "22", "30", "0", "D:\\My Music\\a.mp3"}},
      {"4 1 -1 1", kFour, "dddd", 1, {"4", "1", "-1", "1"}},
      {"4 1", kFour, "dddd", 0, {"4", "1", "-", "-"}},
      {"-4 -4 808 608", kFour, "dddd", 1, {"-4", "-4", "808", "608"}},
      {"120 80 400 300", "%d %d", "dd", 0, {"120", "80"}},
      {"", kFour, "dddd", 0, {"-", "-", "-", "-"}},
      {"", "", "", 1, {}},
      {"x", "", "", 0, {}},
  });
}

TEST(ScanRecord, NumbersRoundOnTheFirstDroppedDigit) {
  RunCases({
      {"12", "%d", "d", 1, {"12"}},
      {"+7", "%d", "d", 1, {"7"}},
      {"2.5", "%d", "d", 1, {"3"}},
      {"2.49", "%d", "d", 1, {"2"}},
      {"2.51", "%d", "d", 1, {"3"}},
      {"-2.5", "%d", "d", 1, {"-3"}},
      {".5", "%d", "d", 1, {"1"}},
      {"3.", "%d", "d", 1, {"3"}},           // the point belongs to the number
      {"1.2.3", "%d.3", "d", 1, {"1"}},      // a second point is left in the input
      {"-", "%d", "d", 1, {"0"}},            // a lone sign is taken
      {"ab", "%dab", "d", 1, {"0"}},         // a letter gives 0 and is not taken
      {"1.5", "%.2d", "d", 1, {"150"}},
      {"7", "%.2d", "d", 1, {"700"}},
      {"1.234", "%.2d", "d", 1, {"123"}},
      {"1.235", "%.2d", "d", 1, {"124"}},
      {"-0.005", "%.2d", "d", 1, {"-1"}},
      {"2.5", "%.d", "d", 1, {"3"}},         // a bare point means precision 0
      {"1.5", "%.258d", "d", 1, {"150"}},    // the precision is kept modulo 256
      {"1.2", "%d.%d", "dd", 0, {"1", "-"}}, // no point separator after a number
      // 32-bit wrap-around, no overflow test.
      {"4294967297", "%d", "d", 1, {"1"}},
      {"2147483648", "%d", "d", 1, {std::to_string(INT_MIN)}},
      {"-2147483648", "%d", "d", 1, {std::to_string(INT_MIN)}},
      {"1", "%.10d", "d", 1, {"1410065408"}},
  });
}

TEST(ScanRecord, BlankRunsMatchBlankRunsOnly) {
  RunCases({
      {"1  \t2", "%d %d", "dd", 1, {"1", "2"}},
      {"1 2", "%d \t  %d", "dd", 1, {"1", "2"}},
      {"1 2", "%d,%d", "dd", 0, {"1", "-"}},
      {"1,2", "%d %d", "dd", 0, {"1", "-"}},
      {" 7 8", "%d %d", "dd", 0, {"0", "7"}},  // a field never skips blanks
      {"1 ", "%d", "d", 0, {"1"}},             // trailing blanks always give 0
      {"1 ", "%d ", "d", 0, {"1"}},
      {"1", "%d ", "d", 0, {"1"}},
      {"1 2 3", "%d %d", "dd", 0, {"1", "2"}},  // more fields than conversions
  });
}

TEST(ScanRecord, PercentFormsCharactersAndWords) {
  RunCases({
      {"50%", "%d%%", "d", 1, {"50"}},
      {"5%%", "%d%%", "d", 0, {"5"}},
      {"%x", "%x", "", 1, {}},
      {"%y", "%x", "", 0, {}},
      {"a%", "a%", "", 1, {}},  // a % at the end of the format
      {"%.5", "%.5", "", 1, {}},
      {"%.2x7", "%.2x%d", "d", 1, {"7"}},
      {"a b", "%c%c%c", "ccc", 1, {"a", " ", "b"}},
      {"xy", "%.3c%c", "cc", 1, {"x", "y"}},
      {"'a \"b\" c' rest", "%s %s", "ss", 1, {"a \"b\" c", "rest"}},
      {"\"open to the end", "%s", "s", 1, {"open to the end"}},
      {"\"\"x", "%s%c", "sc", 1, {"", "x"}},
      {"''", "%s", "s", 1, {""}},
      {" x", "%s x", "s", 1, {""}},
      {"ab", "%.9s", "s", 1, {"ab"}},
  });
}

TEST(ScanRecord, ConversionWithoutFittingTargetStops) {
  RunCases({
      {"5", "%d", "s", 0, {"-"}},
      {"5", "%s", "d", 0, {"-"}},
      {"5", "%c", "d", 0, {"-"}},
      {"5 6", "%d %d", "d", 0, {"5"}},
      {"5 6", "%d %s", "dc", 0, {"5", "-"}},
  });
  EXPECT_EQ(ScanRecord("5", "%d", nullptr, 0), 0);
  char empty[1] = {'z'};
  ScanTarget noRoom = ScanText(empty, 0);
  EXPECT_EQ(ScanRecord("ab", "%s", &noRoom, 1), 0);
  EXPECT_EQ(empty[0], 'z');
}

TEST(ScanRecord, LongWordIsCutButWhollyConsumed) {
  std::string word(400, 'w');
  std::string quoted = "\"" + std::string(300, 'q') + " tail\" 9";
  std::string input = word + " 42";
  Scanned got = Scan(input.c_str(), "%s %d", "sd", 260);
  EXPECT_EQ(got.result, 1);
  EXPECT_EQ(got.stored, (std::vector<std::string>{std::string(259, 'w'), "42"}));

  got = Scan(quoted.c_str(), "%s %d", "sd", 260);
  EXPECT_EQ(got.result, 1);
  EXPECT_EQ(got.stored, (std::vector<std::string>{std::string(259, 'q'), "9"}));

  got = Scan("abc 1", "%s %d", "sd", 2);
  EXPECT_EQ(got.result, 1);
  EXPECT_EQ(got.stored, (std::vector<std::string>{"a", "1"}));

  char single = 'z';
  int number = 0;
  const ScanTarget targets[] = {ScanText(&single, 1), ScanInt(&number)};
  EXPECT_EQ(ScanRecord("abc 1", "%s %d", targets, 2), 1);
  EXPECT_EQ(single, '\0');
  EXPECT_EQ(number, 1);
}

TEST(ParseNumber, DecimalHexSignsAndConsumedLength) {
  struct Case {
    const char* text;
    int value;
    int consumed;
  };
  const Case cases[] = {
      {"  42abc", 42, 4},  {"-17", -17, 3},      {"0x1F", 31, 4},
      {"0XfF", 255, 4},    {"0", 0, 1},          {"07", 7, 2},
      {"1F", 1, 1},        {"0x", 0, 0},         {"0xg", 0, 0},
      {"-0x10", 0, 2},     {"", 0, 0},           {"-", 0, 0},
      {"+", 0, 0},         {"abc", 0, 0},        {"+5", 5, 2},
      {"\t 9", 9, 3},      {"\r9", 0, 0},        {"0x7fffffff", INT_MAX, 10},
      {"4294967295", -1, 10},                    {"0x80000000", INT_MIN, 10},
      {"-2147483648", INT_MIN, 11},              {"99999999999", 1215752191, 11},
      {"0x123456789", 0x23456789, 11},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string("text [") + c.text + "]");
    int consumed = -99;
    EXPECT_EQ(ParseNumber(c.text, &consumed), c.value);
    EXPECT_EQ(consumed, c.consumed);
    EXPECT_EQ(ParseNumber(c.text, nullptr), c.value);
  }
}

}  // namespace
