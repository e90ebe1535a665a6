// Listing and holding folders, run against every file system of the build.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/file_system.h"
#include "tests/core/test_support.h"

namespace fendrel {
namespace {

#ifdef _WIN32
constexpr bool kWindows = true;
#else
constexpr bool kWindows = false;
#endif

class FolderTest : public ::testing::TestWithParam<testing::FileSystemKind> {
 protected:
  // "name F", "name D" or "name L" (file, folder, link) in name order: a
  // failure shows the whole listing.
  std::string Listing(FileError expected) {
    std::vector<FolderItem> items;
    EXPECT_EQ(expected, system_->ListFolder(folder_.path(), items));
    std::sort(items.begin(), items.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
    std::string text;
    for (const FolderItem& item : items) text += item.name + " " + "FDL"[static_cast<int>(item.kind)] + "\n";
    return text;
  }

  std::unique_ptr<FileSystem> system_ = GetParam().make();
  testing::TempFolder folder_;
};

TEST_P(FolderTest, ListsEachNameWithItsKindAndHoldsOnlyFolders) {
  // "Ωmega ☃.txt" is in no ANSI code page; the native build's file system
  // takes ANSI paths when built for Windows.
  const bool ansi = GetParam().name == "Portable" && kWindows;
  const std::string other = ansi ? "\xc3\xa9t\xc3\xa9.txt" : "\xce\xa9mega \xe2\x98\x83.txt";
  testing::MakeFile(folder_, "plain.txt");
  testing::MakeFile(folder_, other);
  testing::MakeFolder(folder_.File("sub"));
  EXPECT_EQ("plain.txt F\nsub D\n" + other + " F\n", Listing(FileError::None));

  std::unique_ptr<OpenFile> hold;
  std::vector<FolderItem> items;
  for (const std::string& none : {folder_.File("missing"), folder_.File("plain.txt")}) {
    EXPECT_EQ(FileError::NotFound, system_->ListFolder(none, items)) << none;
    EXPECT_EQ(FileError::NotFound, system_->HoldFolder(none, hold)) << none;
  }
  ASSERT_EQ(FileError::None, system_->HoldFolder(folder_.File("sub"), hold));
  char byte = 0;
  std::size_t got = 1;
  EXPECT_EQ(FileError::WrongMode, hold->Read(&byte, 1, got));
  EXPECT_EQ(FileError::WrongMode, hold->Write("x", 1));
  std::unique_ptr<OpenFile> made;  // files are still made in a held folder
  EXPECT_EQ(FileError::None, system_->Open(folder_.File("sub\\new.txt"), OpenMode::Output, made));
}

// Bytes that are not UTF-8 name a file no path of the program reaches: the
// listing names the rest and says it is not whole.
TEST_P(FolderTest, ANameThatIsNotTextIsLeftOutAndTheListingSaysSo) {
  if (kWindows) GTEST_SKIP() << "names are bytes only on the native build";
  testing::MakeFile(folder_, "plain.txt");
  testing::MakeFile(folder_, "bad\xff.txt");
  EXPECT_EQ("plain.txt F\n", Listing(FileError::Other));
}

INSTANTIATE_TEST_SUITE_P(FileSystems, FolderTest, ::testing::ValuesIn(testing::FileSystemKinds()),
                         [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace fendrel
