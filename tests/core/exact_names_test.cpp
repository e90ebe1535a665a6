// Which list entries name a file that may be held, the exact form each path
// is opened in on Windows, and what a message box shows of a long text.
#include <gtest/gtest.h>

#include <algorithm>

#include "lists/entry_path.h"
#include "platform/exact_path.h"
#include "platform/message_boxes.h"
#include "screen/messages.h"

namespace fendrel {
namespace {

TEST(EntryPathRefusalTest, RelativePathsAndDevicesAreNeverHeld) {
  const struct {
    const char* path;
    ListOutcome refusal;
  } kCases[] = {
      {"C:\\Docs\\real.txt.", FileError::None},
      {"c:/docs/blank.txt ", FileError::None},
      {"\\\\server\\share\\a.txt", FileError::None},
      {"\\\\?\\C:\\Docs\\a.txt", FileError::None},
      {"\\rooted\\a.txt", FileError::None},  // the current drive's, as "/tmp/a" is the native root's
      {"C:\\Docs\\NULL.txt", FileError::None},
      {"C:\\Docs\\COM10", FileError::None},
      {"C:\\NUL\\a.txt", FileError::None},  // only the last name is a device's
      {"report.txt", ListReason::NotAbsolute},
      {"..\\x", ListReason::NotAbsolute},
      {"C:x", ListReason::NotAbsolute},
      {"C:", ListReason::NotAbsolute},
      {"NUL", ListReason::NamesDevice},
      {"com1", ListReason::NamesDevice},
      {"C:\\Docs\\nul.txt", ListReason::NamesDevice},
      {"C:\\Docs\\Con .tar.gz", ListReason::NamesDevice},
      {"C:\\Docs\\LPT9:stream", ListReason::NamesDevice},
      {"C:\\Docs\\COM\xC2\xB9", ListReason::NamesDevice},
      {"\\\\?\\C:\\conout$", ListReason::NamesDevice},
      {"\\\\.\\C:\\a.txt", ListReason::NamesDevice},
      {"//./PhysicalDrive0", ListReason::NamesDevice},
  };
  for (const auto& c : kCases) EXPECT_EQ(c.refusal, EntryPathRefusal(c.path)) << c.path;
}

TEST(ExactPathTest, KeepsEveryNameAsWrittenAndResolvesOnlyWhatWindowsResolves) {
  const struct {
    const char* path;
    const char* exact;
  } kCases[] = {
      {"C:\\Docs\\real.txt.", "\\\\?\\C:\\Docs\\real.txt."},
      {"C:/Docs/blank.txt ", "\\\\?\\C:\\Docs\\blank.txt "},
      {"C:\\a\\.\\b\\..\\\\c.txt", "\\\\?\\C:\\a\\c.txt"},
      {"C:\\..\\x", "\\\\?\\C:\\x"},
      {"C:\\", "\\\\?\\C:\\"},
      {"C:\\dir.\\", "\\\\?\\C:\\dir.\\"},
      {"\\\\server\\share\\..\\a.txt.", "\\\\?\\UNC\\server\\share\\a.txt."},
      {"//server/share", "\\\\?\\UNC\\server\\share"},
      {"\\\\?\\C:/x.", "\\\\?\\C:\\x."},
      {"\\rooted.", "\\\\?\\D:\\rooted."},
      {"report.txt", ""},
      {"C:x", ""},
      {"\\\\server", ""},
      {"\\\\.\\COM1", ""},
  };
  for (const auto& c : kCases) EXPECT_EQ(c.exact, ExactPath(c.path, "D:")) << c.path;
  EXPECT_EQ("", ExactPath("\\rooted")) << "no current drive: Windows' own rules";
}

TEST(MessageLengthTest, AMessageNamesTenFilesAndABoxShortensWhatCouldNotFitAScreen) {
  std::vector<EntryFailure> failures;
  failures.reserve(587);
  for (int i = 0; i < 587; ++i) failures.push_back({"C:\\f" + std::to_string(i), FileError::NotFound});
  const std::string text = messages::DroppedFilesNotAdded(messages::kSafeListName, failures, true);
  EXPECT_NE(std::string::npos, text.find("C:\\f9  ("));
  EXPECT_EQ(std::string::npos, text.find("C:\\f10  ("));
  EXPECT_NE(std::string::npos, text.find("\r\n\xE2\x80\xA6 and 577 more files\r\n"));
  // A name with blanks wraps rather than widening the box: each is shortened to its start and end.
  failures[0].path = "C:\\long name" + std::string(300, 'n') + ".txt";
  EXPECT_NE(std::string::npos, messages::DroppedFilesNotAdded(messages::kSafeListName, failures, true)
                                   .find("\r\nC:\\long name" + std::string(38, 'n') + "\xE2\x80\xA6" +
                                         std::string(45, 'n') + ".txt  ("));
  failures.resize(11);
  EXPECT_NE(std::string::npos, messages::EmergencyHoldsFailed(failures, false).find("and 1 more file\r\n"));
  failures.resize(10);
  EXPECT_EQ(std::string::npos, messages::EmergencyHoldsFailed(failures, false).find("more file"));

  // A path longer than Windows takes, of characters of three bytes: it is cut between characters.
  const auto euros = [](std::size_t count) {
    std::string text;
    for (std::size_t i = 0; i < count; ++i) text += "\xE2\x82\xAC";
    return text;
  };
  const std::string shown =
      FitForBox(messages::CouldNotProtect("C:\\" + euros(40000), FileError::NameTooLong));
  const std::size_t line = shown.find("C:\\");
  const std::string cut = shown.substr(line, shown.find("\r\n", line) - line);
  // The line is one word, whose last character is the CR.
  EXPECT_EQ("C:\\" + euros(kLongestBoxWord / 2 - 3) + "\xE2\x80\xA6" +
                euros(kLongestBoxWord - kLongestBoxWord / 2 - 2),
            cut.size() < 4000 ? cut : "(not cut)");
  const std::string blanks = FitForBox(std::string(1000, ' '));
  EXPECT_EQ(kLongestBoxLine + 2, blanks.size()) << "a line of short words";
  std::string many;
  for (int i = 0; i < 100; ++i) many += "line\r\n";
  const std::string fitted = FitForBox(many);
  EXPECT_EQ(kMostBoxLines, static_cast<std::size_t>(std::count(fitted.begin(), fitted.end(), '\n')));
}

}  // namespace
}  // namespace fendrel
