// The list files' encodings: what each reads as, which one a save picks,
// and a file that is not text in its encoding.
#include "lists/list_text.h"

#include <gtest/gtest.h>

#include "platform/utf.h"
#include "platform/windows_1252.h"
#include "protection/list_editing.h"
#include "screen/messages.h"
#include "tests/core/fakes.h"
#include "tests/core/test_support.h"

namespace fendrel {
namespace {

using testing::ReadBytes;
using testing::RecordingMessageBoxes;
using testing::WriteBytes;
using Rows = std::vector<std::string>;

// "Отчёт 2024.txt" and "ｒeport.txt" (a full-width r), in UTF-8.
const std::string kCyrillic = "\xD0\x9E\xD1\x82\xD1\x87\xD1\x91\xD1\x82 2024.txt";
const std::string kFullWidth =
    "\xEF\xBD\x92"
    "eport.txt";
const std::u16string kU16Cyrillic = u"\u041E\u0442\u0447\u0451\u0442 2024.txt";
constexpr const char* kUtf8Mark = "\xEF\xBB\xBF";

// `text` in UTF-16 of either byte order, with a byte order mark or without.
std::string Utf16(const std::u16string& text, bool bigEndian, bool mark) {
  std::string bytes;
  for (const char16_t unit : mark ? u"\uFEFF" + text : text) {
    const char high = static_cast<char>(unit >> 8);
    const char low = static_cast<char>(unit & 0xFF);
    bytes += bigEndian ? high : low;
    bytes += bigEndian ? low : high;
  }
  return bytes;
}
std::string Utf16Le(const std::u16string& text, bool mark = true) {
  return Utf16(text, false, mark);
}
std::string Utf16Be(const std::u16string& text, bool mark = true) {
  return Utf16(text, true, mark);
}

class ListTextTest : public ::testing::TestWithParam<testing::FileSystemKind> {
 protected:
  // The emergency list as read from `bytes` by a new run.
  Rows Read(const std::string& bytes) {
    WriteBytes(File(), bytes);
    protection_.LoadLists();
    return protection_.Paths(ListKind::Emergency);
  }
  std::string File() const { return protection_.EmergencyListFile(); }

  std::unique_ptr<FileSystem> system_ = GetParam().make();
  FileLayer layer_{*system_};
  testing::TempFolder folder_;
  Protection protection_{layer_, folder_.path()};
  RecordingMessageBoxes boxes_;
  testing::NoPicker picker_;
  ListEditing editing_{protection_, boxes_, picker_};
};

TEST_P(ListTextTest, EachEncodingIsReadAsItsTextAndTheLoadLeavesTheFileAsItWas) {
  const struct {
    const char* name;
    std::string bytes;
    Rows entries;
  } files[] = {
      {"ANSI", "C:\\caf\xE9.txt\r\nC:\\b.txt", {"C:\\caf\xC3\xA9.txt", "C:\\b.txt"}},
      {"UTF-8 with a mark", kUtf8Mark + kCyrillic + "\r\n\r\nC:\\b.txt\n", {kCyrillic, "C:\\b.txt"}},
      {"UTF-8 without a mark", "C:\\b.txt\r" + kCyrillic + "\r\n", {"C:\\b.txt", kCyrillic}},
      {"UTF-16 LE", Utf16Le(kU16Cyrillic + u"\r\n\xFF52\x65port.txt\r\n"), {kCyrillic, kFullWidth}},
      {"UTF-16 BE", Utf16Be(u"C:\\caf\u00E9.txt\r\n\xFF52\x65port.txt"), {"C:\\caf\xC3\xA9.txt", kFullWidth}},
      // Without a mark: U+4E0D and U+0D15 hold the bytes of CR and LF, U+4E00 a zero.
      {"UTF-16 LE without a mark",
       Utf16Le(u"C:\\caf\u00E9\u4E0D\u0D15.txt\r\n\r\n\u4E00\n", false),
       {"C:\\caf\xC3\xA9\xE4\xB8\x8D\xE0\xB4\x95.txt", "\xE4\xB8\x80"}},
      {"UTF-16 BE without a mark",
       Utf16Be(u"C:\\\u4E0A\u0A15\r" + kU16Cyrillic, false),
       {"C:\\\xE4\xB8\x8A\xE0\xA8\x95", kCyrillic}},
  };
  for (const auto& file : files) {
    Protection run(layer_, folder_.path());
    WriteBytes(File(), file.bytes);
    run.LoadLists();
    EXPECT_EQ(file.entries, run.Paths(ListKind::Emergency)) << file.name;
    EXPECT_EQ(file.bytes, ReadBytes(File())) << file.name;
  }
}

TEST_P(ListTextTest, ABrokenSequenceListsTheEntriesBeforeItAndTheFileIsNeverWrittenOver) {
  const struct {
    const char* name;
    std::string bytes;
  } files[] = {
      {"UTF-8 with a mark", std::string(kUtf8Mark) + "C:\\a.txt\r\nC:\\b\xC3(.txt\r\nC:\\c.txt\r\n"},
      {"UTF-16 with a lone surrogate", Utf16Le(u"C:\\a.txt\r\nC:\\b\xD800.txt\r\nC:\\c.txt\r\n")},
      {"UTF-16 of an odd length", Utf16Le(u"C:\\a.txt\r\nC:\\b.txt").append("\x0D")},
      {"UTF-16 BE with a lone trail surrogate", Utf16Be(u"C:\\a.txt\r\nC:\\b\xDC00.txt\r\nC:\\c.txt\r\n")},
      {"UTF-16 without a mark with a lone surrogate", Utf16Le(u"C:\\a.txt\r\nC:\\b\xDBFF.txt\r\n", false)},
      {"UTF-16 without a mark of an odd length", Utf16Be(u"C:\\a.txt\r\nC:\\b.txt", false).append("\x0D")},
  };
  for (const auto& file : files) {
    SCOPED_TRACE(file.name);
    Protection run(layer_, folder_.path());
    ListEditing editing(run, boxes_, picker_);
    WriteBytes(File(), file.bytes);
    run.LoadLists();
    EXPECT_EQ((Rows{"C:\\a.txt"}), run.Paths(ListKind::Emergency));

    boxes_.shown.clear();
    editing.Add(ListKind::Emergency, "C:\\new.txt");
    EXPECT_EQ((Rows{"C:\\a.txt", "C:\\new.txt"}), run.Paths(ListKind::Emergency));
    ASSERT_EQ(1u, boxes_.shown.size());
    EXPECT_EQ(messages::CouldNotSave(File(), ListReason::NotText), boxes_.shown[0].text);
    EXPECT_NE(std::string::npos, boxes_.shown[0].text.find("not valid UTF-8 or UTF-16 text"));
    EXPECT_EQ(file.bytes, ReadBytes(File())) << "the file was written over";
  }
}

TEST_P(ListTextTest, AnAnsiFileIsSavedAgainByteForByteAndANameOutsideTheCodePageMakesItUtf8) {
  if (system_->AnsiCodePage().FromUtf8Exactly("\xC3\xA9") != "\xE9") GTEST_SKIP() << "not code page 1252";
  const std::string ansi = "C:\\caf\xE9.txt\r\nC:\\na\xEFve \x80.txt\r\n";
  Read(ansi);
  editing_.Add(ListKind::Emergency, "C:\\b.txt");
  editing_.Remove(ListKind::Emergency, 2);
  EXPECT_TRUE(boxes_.shown.empty());
  EXPECT_EQ(ansi, ReadBytes(File()));

  editing_.Add(ListKind::Emergency, kFullWidth);  // best fit would write "report.txt"
  const std::string utf8 = std::string(kUtf8Mark) +
                           "C:\\caf\xC3\xA9.txt\r\nC:\\na\xC3\xAFve \xE2\x82\xAC.txt\r\n" + kFullWidth +
                           "\r\n";
  EXPECT_EQ(utf8, ReadBytes(File()));
  // Once the name is gone, the list fits the code page again.
  editing_.Remove(ListKind::Emergency, 2);
  EXPECT_EQ(ansi, ReadBytes(File()));
}

INSTANTIATE_TEST_SUITE_P(AllFileSystems, ListTextTest, ::testing::ValuesIn(testing::FileSystemKinds()),
                         [](const auto& info) { return info.param.name; });

TEST(ListEncodingTest, ANSIIsWrittenOnlyWhenEveryEntryFitsAndReadsBackAsItself) {
  const Windows1252CodePage cp1252;
  const struct {
    const char* why;
    Rows entries;
    bool ansi;
  } lists[] = {
      {"every entry fits", {"C:\\caf\xC3\xA9.txt", "C:\\\xE2\x82\xAC.txt"}, true},
      {"a Cyrillic name", {"C:\\a.txt", kCyrillic}, false},
      {"a full-width letter", {kFullWidth}, false},
      {"a character past the BMP", {"C:\\\xF0\x9F\x98\x80.txt"}, false},
      // In ANSI these would read back as other entries.
      {"ANSI bytes that are UTF-8", {"C:\\\xC3\x83\xC2\xA9.txt"}, false},
      {"ANSI bytes of a UTF-8 mark",
       {"\xC3\xAF\xC2\xBB\xC2\xBF"
        "C:\\a.txt"},
       false},
      {"ANSI bytes of a UTF-16 mark",
       {"\xC3\xBF\xC3\xBE"
        "C:\\a.txt"},
       false},
      {"ANSI bytes of a UTF-16 BE mark",
       {"\xC3\xBE\xC3\xBF"
        "C:\\a.txt"},
       false},
      {"ANSI bytes that are UTF-16 without a mark",
       {std::string("C\0:\0x", 5), std::string("\0bc", 3)},
       false},
      {"ANSI bytes past ASCII that are UTF-16",
       {std::string("C\0:\0\xC3\xA0", 6), std::string("\0bc", 3)},
       false},
  };
  for (const auto& list : lists) {
    SCOPED_TRACE(list.why);
    const std::optional<std::string> bytes = EncodeList(list.entries, cp1252);
    ASSERT_TRUE(bytes);
    EXPECT_EQ(!list.ansi, bytes->starts_with(kUtf8Mark));
    const ListText back = DecodeList(*bytes, cp1252, 100);
    EXPECT_EQ(list.entries, back.entries);
    EXPECT_EQ(FileError::None, back.unread);
  }
  EXPECT_EQ("", EncodeList({}, cp1252));
  // Not entries the program makes: saving them would not read back.
  EXPECT_FALSE(EncodeList({"C:\\caf\xE9.txt"}, cp1252));
  EXPECT_FALSE(EncodeList({"a\r\nb"}, cp1252));
  EXPECT_FALSE(EncodeList({"a\rb"}, cp1252));
  EXPECT_FALSE(EncodeList({"\xC3\xA9\rb"}, cp1252));
  EXPECT_FALSE(EncodeList({""}, cp1252));
}

// Bytes with zeros that are not UTF-16 text stay ANSI, as before; a read that
// stopped early lists only the lines it read whole, in their encoding.
TEST(ListDecodingTest, ZeroBytesMakeUtf16OnlyWithItsLineEndsAndACutReadListsWholeLines) {
  const Windows1252CodePage cp1252;
  const std::string kNul(1, '\0');
  const struct {
    const char* what;
    std::string bytes;
    bool cut;
    Rows entries;
  } files[] = {
      {"a line end beside no zero", std::string("a\0bc\r\n", 6), false, {std::string("a\0bc", 4)}},
      {"a NUL character", std::string("ab\0\0\r\0\n\0", 8), false, {std::string("ab\0\0", 4), kNul, kNul}},
      {"a zero on either side of a line end",
       std::string("ab\0\r\n\0", 6),
       false,
       {std::string("ab\0", 3), kNul}},
      {"a control character",
       std::string("a\0\x01\0\r\0\n\0", 8),
       false,
       {std::string("a\0\x01\0", 4), kNul, kNul}},
      {"UTF-16 whose zeros are mostly low bytes",
       Utf16Le(u"\u4E00\u4E00\u4E00\r\n", false),
       false,
       {"\xE4\xB8\x80\xE4\xB8\x80\xE4\xB8\x80"}},
      {"UTF-8 cut in a character", kCyrillic + "\r\n" + kCyrillic.substr(0, 1), true, {kCyrillic}},
      {"ANSI cut in a line", "C:\\a.txt\r\nC:\\b.t", true, {"C:\\a.txt"}},
      {"UTF-16 cut in a unit", Utf16Le(u"C:\\a.txt\nC:\\b", false).substr(0, 23), true, {"C:\\a.txt"}},
      {"UTF-16 BE cut in a line", Utf16Be(u"C:\\a.txt\r\nC:\\b"), true, {"C:\\a.txt"}},
  };
  for (const auto& file : files) {
    const ListText text = DecodeList(file.bytes, cp1252, 100, file.cut);
    EXPECT_EQ(file.entries, text.entries) << file.what;
    EXPECT_EQ(FileError::None, text.unread) << file.what;
  }
}

TEST(Utf8Test, OnlyWellFormedSequencesAreUtf8) {
  const struct {
    std::string bytes;
    bool utf8;
  } texts[] = {
      {"\x7F\xC2\x80\xDF\xBF\xE0\xA0\x80\xED\x9F\xBF\xEE\x80\x80\xF0\x90\x80\x80\xF4\x8F\xBF\xBF", true},
      {"\xC0\xAF", false},          // overlong
      {"\xE0\x80\xAF", false},      // overlong
      {"\xF0\x8F\xBF\xBF", false},  // overlong
      {"\xED\xA0\x80", false},      // a surrogate
      {"\xED\xBF\xBF", false},      // a surrogate
      {"\xF4\x90\x80\x80", false},  // past U+10FFFF
      {"\xC3\xC3", false},          // a lead byte where a trail belongs
      {"\xE2\x82", false},          // cut
      {"\x80", false},              // a trail alone
  };
  for (const auto& text : texts) {
    EXPECT_EQ(text.utf8, IsUtf8(text.bytes)) << ::testing::PrintToString(text.bytes);
  }
  std::string utf8;
  EXPECT_FALSE(Utf16ToUtf8(u"a\xDC00", utf8));
  EXPECT_FALSE(Utf16ToUtf8(u"\xD800\x61", utf8));
  EXPECT_FALSE(Utf16ToUtf8(u"\xDBFF", utf8));
  EXPECT_TRUE(Utf16ToUtf8(u"\xDBFF\xDFFF\xE9", utf8));
  EXPECT_EQ("\xF4\x8F\xBF\xBF\xC3\xA9", utf8);
}

}  // namespace
}  // namespace fendrel
