// The list files' encodings: what each reads as, which one a save picks,
// and a file that is not text in its encoding.
#include "lists/list_text.h"

#include <gtest/gtest.h>

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
constexpr const char* kUtf8Mark = "\xEF\xBB\xBF";

std::string Utf16Le(const std::u16string& text) {
  std::string bytes = "\xFF\xFE";
  for (const char16_t unit : text) {
    bytes += static_cast<char>(unit & 0xFF);
    bytes += static_cast<char>(unit >> 8);
  }
  return bytes;
}

class ListTextTest : public ::testing::TestWithParam<testing::FileSystemKind> {
 protected:
  // The emergency list as read from `bytes` by a new run.
  Rows Read(const std::string& bytes) {
    WriteBytes(File(), bytes);
    protection_.LoadLists();
    return protection_.emergencyList().items;
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
      {"UTF-16 LE",
       Utf16Le(u"\u041E\u0442\u0447\u0451\u0442 2024.txt\r\n\xFF52\x65port.txt\r\n"),
       {kCyrillic, kFullWidth}},
  };
  for (const auto& file : files) {
    Protection run(layer_, folder_.path());
    WriteBytes(File(), file.bytes);
    run.LoadLists();
    EXPECT_EQ(file.entries, run.emergencyList().items) << file.name;
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
  };
  for (const auto& file : files) {
    SCOPED_TRACE(file.name);
    Protection run(layer_, folder_.path());
    ListEditing editing(run, boxes_, picker_);
    WriteBytes(File(), file.bytes);
    run.LoadLists();
    EXPECT_EQ((Rows{"C:\\a.txt"}), run.emergencyList().items);

    boxes_.shown.clear();
    editing.Add(ListKind::Emergency, "C:\\new.txt");
    EXPECT_EQ((Rows{"C:\\a.txt", "C:\\new.txt"}), run.emergencyList().items);
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
  EXPECT_FALSE(EncodeList({""}, cp1252));
}

}  // namespace
}  // namespace fendrel
