// Listing and holding folders, run against every file system of the build.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/file_system.h"
#include "tests/core/test_support.h"

namespace fendrel {
namespace {

using testing::MakeFile;
using testing::TempFolder;
using Kind = FolderItem::Kind;

constexpr bool Windows() {
#ifdef _WIN32
  return true;
#else
  return false;
#endif
}

class FolderTest : public ::testing::TestWithParam<testing::FileSystemKind> {
 protected:
  // "name kind" lines in name order: a failure shows the whole listing.
  std::string Listing(const std::string& path, FileError expected) {
    std::vector<FolderItem> items;
    EXPECT_EQ(expected, system_->ListFolder(path, items)) << path;
    std::sort(items.begin(), items.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
    std::string text;
    for (const FolderItem& item : items) {
      text += item.name + (item.kind == Kind::File     ? " file\n"
                           : item.kind == Kind::Folder ? " folder\n"
                                                       : " link\n");
    }
    return text;
  }

  std::unique_ptr<FileSystem> system_ = GetParam().make();
  TempFolder folder_;
};

TEST_P(FolderTest, ListsEveryNameOnceWithItsKindAndNamesNoFolderAsMissing) {
  const std::string unicode = "\xce\xa9mega \xe2\x98\x83.txt";  // "Ωmega ☃.txt", in no ANSI code page
  // The native build's file system takes ANSI paths when built for Windows.
  const bool ansiOnly = GetParam().name == "Portable" && Windows();
  MakeFile(folder_, "plain.txt");
  MakeFile(folder_, ansiOnly ? "\xc3\xa9t\xc3\xa9.txt" : unicode);
  testing::MakeFolder(folder_.File("sub"));
  EXPECT_EQ("plain.txt file\nsub folder\n" + (ansiOnly ? "\xc3\xa9t\xc3\xa9.txt" : unicode) + " file\n",
            Listing(folder_.path(), FileError::None));
  EXPECT_EQ("", Listing(folder_.File("sub"), FileError::None));
  EXPECT_EQ("", Listing(folder_.File("missing"), FileError::NotFound));
  EXPECT_EQ("", Listing(folder_.File("plain.txt"), FileError::NotFound));
}

TEST_P(FolderTest, HoldsAFolderThatNeitherReadsNorWritesAndNoPlainFile) {
  MakeFile(folder_, "plain.txt");
  std::unique_ptr<OpenFile> hold;
  EXPECT_EQ(FileError::NotFound, system_->HoldFolder(folder_.File("missing"), hold));
  EXPECT_EQ(FileError::NotFound, system_->HoldFolder(folder_.File("plain.txt"), hold));
  EXPECT_EQ(nullptr, hold);
  ASSERT_EQ(FileError::None, system_->HoldFolder(folder_.path(), hold));
  ASSERT_NE(nullptr, hold);
  char byte = 0;
  std::size_t got = 1;
  EXPECT_EQ(FileError::WrongMode, hold->Read(&byte, 1, got));
  EXPECT_EQ(0u, got);
  EXPECT_EQ(FileError::WrongMode, hold->Write("x", 1));
  // Files are still made in a held folder, by this program too.
  std::unique_ptr<OpenFile> made;
  EXPECT_EQ(FileError::None, system_->Open(folder_.File("new.txt"), OpenMode::Output, made));
}

// Bytes that are not UTF-8 name a file no path of the program can reach:
// the listing names the rest and says it is not whole.
TEST_P(FolderTest, ANameThatIsNotTextIsLeftOutAndTheListingSaysSo) {
  if (Windows()) GTEST_SKIP() << "names are bytes only on the native build";
  MakeFile(folder_, "plain.txt");
  MakeFile(folder_, "bad\xff.txt");
  EXPECT_EQ("plain.txt file\n", Listing(folder_.path(), FileError::Other));
}

INSTANTIATE_TEST_SUITE_P(FileSystems, FolderTest, ::testing::ValuesIn(testing::FileSystemKinds()),
                         [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace fendrel
