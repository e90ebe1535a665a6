// Windows as the oracle for the portable text rules: code page 1252 as
// Windows1252CodePage converts it, and the letter case FileKey folds. Each
// check walks every byte or every BMP code unit and reports the first few
// that differ, not a list of thousands.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>

#include "platform/code_page_win.h"
#include "platform/utf.h"
#include "platform/windows_1252.h"
#include "protection/entry_state.h"

namespace fendrel {
namespace {

// Collects mismatches and prints the first ten and how many there were.
class Mismatches {
 public:
  void Add(unsigned value, const std::string& what) {
    if (count_++ < 10) {
      char code[16];
      std::snprintf(code, sizeof code, "%04X", value);
      first_ += std::string("\n  ") + code + ": " + what;
    }
  }
  int count() const { return count_; }
  friend std::ostream& operator<<(std::ostream& out, const Mismatches& all) {
    return out << all.count_ << " mismatches, the first:" << all.first_;
  }

 private:
  int count_ = 0;
  std::string first_;
};

std::string Hex(const std::string& bytes) {
  std::string text;
  char byte[4];
  for (const char c : bytes) {
    std::snprintf(byte, sizeof byte, "%02X ", static_cast<unsigned char>(c));
    text += byte;
  }
  return text;
}

TEST(TextOracleTest, Windows1252ConvertsEveryByteAndEveryCharacterAsWindowsDoes) {
  const Windows1252CodePage portable;
  const Win32CodePage windows(1252);
  Mismatches mismatches;
  for (unsigned byte = 0; byte < 256; ++byte) {
    const std::string ansi(1, static_cast<char>(byte));
    if (portable.ToUtf8(ansi) != windows.ToUtf8(ansi))
      mismatches.Add(byte, "byte read as " + Hex(portable.ToUtf8(ansi)) + "not " + Hex(windows.ToUtf8(ansi)));
  }
  for (unsigned unit = 1; unit < 0x10000; ++unit) {
    if (unit >= 0xD800 && unit <= 0xDFFF) continue;
    std::string utf8;
    ASSERT_TRUE(Utf16ToUtf8(std::u16string(1, static_cast<char16_t>(unit)), utf8));
    const std::optional<std::string> mine = portable.FromUtf8Exactly(utf8),
                                     theirs = windows.FromUtf8Exactly(utf8);
    if (mine != theirs)
      mismatches.Add(unit, "character written as " + (mine ? Hex(*mine) : "nothing ") + "not " +
                               (theirs ? Hex(*theirs) : "nothing"));
  }
  EXPECT_EQ(0, mismatches.count()) << mismatches;
}

// Every unit that FileKey takes for another one must be that one to
// Windows too: a key that joins two names Windows keeps apart would show a
// file as held that is not. (The other way, a pair FileKey keeps apart,
// only shows a held file as not held.)
TEST(TextOracleTest, FileKeyFoldsEveryUnitOfTheBmpOnlyAsWindowsDoes) {
  Mismatches mismatches;
  for (unsigned unit = 1; unit < 0x10000; ++unit) {
    if ((unit >= 0xD800 && unit <= 0xDFFF) || unit == '/') continue;
    const std::u16string name(1, static_cast<char16_t>(unit));
    std::string utf8;
    std::u16string folded;
    ASSERT_TRUE(Utf16ToUtf8(name, utf8));
    ASSERT_TRUE(Utf8ToUtf16(FileKey(utf8), folded));
    if (folded.size() != 1) {
      mismatches.Add(unit, "folded into " + std::to_string(folded.size()) + " units");
    } else if (CompareStringOrdinal(reinterpret_cast<const wchar_t*>(name.data()), 1,
                                    reinterpret_cast<const wchar_t*>(folded.data()), 1, TRUE) != CSTR_EQUAL) {
      char pair[32];
      std::snprintf(pair, sizeof pair, "folded into %04X", static_cast<unsigned>(folded[0]));
      mismatches.Add(unit, pair);
    }
  }
  EXPECT_EQ(0, mismatches.count()) << mismatches;
}

}  // namespace
}  // namespace fendrel
