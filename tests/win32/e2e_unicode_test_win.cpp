// Names outside the ANSI code page (1252 in the test prefix) in the real
// Fendrel.exe: a file chosen in the dialog or dropped is the file held,
// never a look-alike, the list shows its name exactly, prot.dat keeps it
// for the next start, and a list file of the code page stays as it was.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/wide_text_win.h"
#include "screen/control_ids.h"
#include "screen/messages.h"
#include "tests/win32/e2e_driver_win.h"
#include "tests/win32/e2e_fixture_win.h"

namespace fendrel {
namespace {

using testing::ExpectHeld;
using testing::ReadBytes;
using testing::WaitFor;
using testing::WriteBytes;

// The names, in UTF-8: Cyrillic letters the code page lacks, and a
// full-width "r" (U+FF52) that Windows' best fit turns into a plain "r".
constexpr const char* kCyrillicName = "Отчёт 2024.txt";
constexpr const char* kLookAlikeName = "ｒeport.txt";
constexpr const char* kPlainTwinName = "report.txt";
// The byte order mark of UTF-8.
constexpr const char* kUtf8Mark = "\xEF\xBB\xBF";

class E2eUnicodeTest : public E2eTest {
 protected:
  // Removes every entry of the safe list through "<<< Remove", the last first.
  void RemoveEverySafeEntry() {
    for (int i = static_cast<int>(app_.ListItems(ctl::kSafeListBox).size()) - 1; i >= 0; --i) {
      app_.SelectListItem(ctl::kSafeListBox, i);
      app_.Click(ctl::kSafeRemoveButton);
    }
    EXPECT_TRUE(app_.ListItems(ctl::kSafeListBox).empty());
  }

  bool SafeListShows(const std::vector<std::string>& entries) {
    return app_.ListItems(ctl::kSafeListBox) == entries;
  }
};

TEST_F(E2eUnicodeTest, NamesOutsideTheCodePageChosenOrDroppedAreHeldExactlySavedAsUtf8AndHeldAgainAtStart) {
  ReturningUser();
  const std::string cyrillic = app_.MakeFile(kCyrillicName), lookAlike = app_.MakeFile(kLookAlikeName),
                    twin = app_.MakeFile(kPlainTwinName);
  const std::vector<std::string> both{cyrillic, lookAlike};
  ASSERT_NO_FATAL_FAILURE(StartAndLogIn());
  app_.ClickMenu(kSafeListPage);
  ASSERT_TRUE(app_.WaitForPage(kSafeListPage));

  // Chosen in the real file dialog: the path box, the list and the hold all
  // name the chosen file; the plain twin of the look-alike stays writable.
  AddThroughDialog(ctl::kSafeBrowseButton, ctl::kSafePathBox, ctl::kSafeAddButton, cyrillic);
  AddThroughDialog(ctl::kSafeBrowseButton, ctl::kSafePathBox, ctl::kSafeAddButton, lookAlike);
  EXPECT_EQ(both, app_.ListItems(ctl::kSafeListBox));
  ExpectHeld(cyrillic);
  ExpectHeld(lookAlike);
  ExpectFree(twin);
  EXPECT_EQ(kUtf8Mark + Lines(both), ReadBytes(app_.SafeListFile()))
      << "a list with names outside the code page is saved as UTF-8 with a byte order mark";

  // Removed, then dropped from the desktop onto the list page: the same.
  RemoveEverySafeEntry();
  ExpectFree(cyrillic);
  ExpectFree(lookAlike);
  app_.DragFilesOnto(ctl::kSafeListBox, both);
  EXPECT_TRUE(WaitFor([&] { return SafeListShows(both); }, "the dropped files listed"))
      << "the list shows: " << ::testing::PrintToString(app_.ListItems(ctl::kSafeListBox));
  ExpectHeld(cyrillic);
  ExpectHeld(lookAlike);
  ExpectFree(twin);
  EXPECT_EQ("All 2 files on the safe list are protected.", app_.Caption(ctl::kSafeListSummary));
  EXPECT_EQ(kUtf8Mark + Lines(both), ReadBytes(app_.SafeListFile()));

  // The next start reads the names back from prot.dat and holds them again.
  CloseWithPassword();
  ExpectFree(cyrillic);
  app_.Start();
  ASSERT_TRUE(app_.WaitMainWindowVisible(true));
  EXPECT_TRUE(app_.NoBoxOpen()) << "a start in the ON state shows no box";
  EXPECT_EQ(both, app_.ListItems(ctl::kSafeListBox));
  ExpectHeld(cyrillic);
  ExpectHeld(lookAlike);
  ExpectFree(twin);
}

TEST_F(E2eUnicodeTest, AnAnsiListFileLoadsIsHeldAndIsSavedAgainByteForByte) {
  ReturningUser();
  const std::string cafe = app_.MakeFile("café.txt"), plain = app_.MakeFile("plain.txt");
  // "café.txt" in code page 1252: é is the one byte E9. The folder is ASCII.
  const std::string ansiList = app_.folder() + "\\caf\xE9.txt\r\n";
  ASSERT_TRUE(std::all_of(app_.folder().begin(), app_.folder().end(), [](char c) {
    return static_cast<unsigned char>(c) < 0x80;
  })) << app_.folder();
  WriteBytes(app_.SafeListFile(), ansiList);
  ASSERT_NO_FATAL_FAILURE(StartAndLogIn());
  app_.ClickMenu(kSafeListPage);
  ASSERT_TRUE(app_.WaitForPage(kSafeListPage));
  EXPECT_EQ(std::vector<std::string>{cafe}, app_.ListItems(ctl::kSafeListBox));
  ExpectHeld(cafe);
  EXPECT_EQ(ansiList, ReadBytes(app_.SafeListFile())) << "loading never rewrites the file";

  // Every entry fits the code page: each save writes the code page's bytes.
  AddThroughDialog(ctl::kSafeBrowseButton, ctl::kSafePathBox, ctl::kSafeAddButton, plain);
  EXPECT_EQ((std::vector<std::string>{cafe, plain}), app_.ListItems(ctl::kSafeListBox));
  EXPECT_EQ(ansiList + Lines({plain}), ReadBytes(app_.SafeListFile()));
  app_.SelectListItem(ctl::kSafeListBox, 1);
  app_.Click(ctl::kSafeRemoveButton);
  EXPECT_EQ(ansiList, ReadBytes(app_.SafeListFile())) << "the file is saved again byte for byte";
  ExpectHeld(cafe);
}

// Windows' path rules drop a trailing dot or blank from a name, so only the
// exact form (\\?\C:\...) makes or opens such a file.
TEST_F(E2eUnicodeTest, ANameEndingInADotOrABlankIsHeldItselfNeverTheNameWithoutIt) {
  ReturningUser();
  const std::string dotted = app_.File("real.txt."), blank = app_.File("blank.txt ");
  const std::string plain = app_.MakeFile("real.txt"), plainBlank = app_.MakeFile("blank.txt");
  for (const std::string& path : {dotted, blank}) WriteBytes("\\\\?\\" + path, "exact");
  ASSERT_EQ("exact", ReadBytes("\\\\?\\" + dotted));
  ASSERT_NE("exact", ReadBytes(plain)) << "two files side by side";
  WriteBytes(app_.SafeListFile(), Lines({dotted, blank, "NUL"}));
  app_.Start();
  ASSERT_TRUE(app_.WaitMainWindowVisible(true));
  EXPECT_TRUE(WaitFor([&] { return app_.Caption(ctl::kSafeListSummary) == messages::SafeListSummary(2, 3); },
                      "two files held, the device never"))
      << app_.Caption(ctl::kSafeListSummary);
  ExpectHeld("\\\\?\\" + dotted);
  ExpectHeld("\\\\?\\" + blank);
  ExpectFree(plain);
  ExpectFree(plainBlank);
  app_.Kill();
  for (const std::string& path : {dotted, blank}) DeleteFileW(Wide("\\\\?\\" + path).c_str());
}

}  // namespace
}  // namespace fendrel
