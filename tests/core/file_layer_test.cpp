// The file layer's contract, run against every file system of the build.
#include "platform/file_layer.h"

#include <gtest/gtest.h>

#include "tests/core/test_support.h"

namespace fendrel {
namespace {

using testing::FileSystemKinds;
using testing::ReadBytes;
using testing::TempFolder;
using testing::WriteBytes;

class FileLayerTest : public ::testing::TestWithParam<testing::FileSystemKind> {
 protected:
  std::unique_ptr<FileSystem> system_ = GetParam().make();
  FileLayer layer_{*system_};
  TempFolder folder_;
};

TEST_P(FileLayerTest, NumbersRunFromOneTo511AndNameOneFileEach) {
  const std::string file = folder_.File("a.txt");
  WriteBytes(file, "x");
  EXPECT_EQ(FileError::BadFileNumber, layer_.Open(0, file, OpenMode::Input));
  EXPECT_EQ(FileError::BadFileNumber, layer_.Open(512, file, OpenMode::Input));
  EXPECT_EQ(FileError::None, layer_.Open(511, file, OpenMode::Input));
  EXPECT_EQ(FileError::FileNumberInUse, layer_.Open(511, file, OpenMode::Input));
  EXPECT_EQ(1, layer_.LowestFree());
  EXPECT_EQ(FileError::None, layer_.Open(1, file, OpenMode::Input));
  EXPECT_EQ(2, layer_.LowestFree());
  layer_.Close(1);
  layer_.Close(1);  // closing a closed number does nothing
  layer_.Close(0);  // nor does a number outside the range
  layer_.Close(600);
  EXPECT_EQ(1, layer_.LowestFree());
  EXPECT_TRUE(layer_.IsOpen(511));
  // From a given number up: an open number is passed over, none left is 0.
  EXPECT_EQ(510, layer_.LowestFree(510));
  ASSERT_EQ(FileError::None, layer_.Open(510, file, OpenMode::Input));
  EXPECT_EQ(0, layer_.LowestFree(510));
}

TEST_P(FileLayerTest, ReadsLinesWithAnyLineEndAndALastLineWithoutOne) {
  const std::string file = folder_.File("lines.txt");
  WriteBytes(file, "one\r\n\r\ntwo\rthree\nfour");
  ASSERT_EQ(FileError::None, layer_.Open(1, file, OpenMode::Input));
  std::vector<std::string> lines;
  std::string line;
  while (!layer_.AtEnd(1)) {
    ASSERT_EQ(FileError::None, layer_.ReadLine(1, line));
    lines.push_back(line);
  }
  EXPECT_EQ((std::vector<std::string>{"one", "", "two", "three", "four"}), lines);
  EXPECT_EQ(FileError::ReadPastEnd, layer_.ReadLine(1, line));
}

TEST_P(FileLayerTest, ALineLongerThanOneReadAndACrLfSplitAcrossReadsAreWhole) {
  const std::string file = folder_.File("long.txt");
  const std::string longLine(64 * 1024 - 1, 'p');  // its CR ends one read, the LF starts the next
  WriteBytes(file, longLine + "\r\nnext\r\n" + std::string(200000, 'q'));
  ASSERT_EQ(FileError::None, layer_.Open(1, file, OpenMode::Input));
  std::string line;
  ASSERT_EQ(FileError::None, layer_.ReadLine(1, line));
  EXPECT_EQ(longLine, line);
  ASSERT_EQ(FileError::None, layer_.ReadLine(1, line));
  EXPECT_EQ("next", line);
  ASSERT_EQ(FileError::None, layer_.ReadLine(1, line));
  EXPECT_EQ(200000u, line.size());
  EXPECT_TRUE(layer_.AtEnd(1));
}

TEST_P(FileLayerTest, TheRestOfAFileIsEveryByteNotReadYetAcrossReads) {
  const std::string file = folder_.File("rest.txt");
  std::string rest(200000, 'r');
  rest[100000] = '\0';
  WriteBytes(file, "first\r\n" + rest);
  ASSERT_EQ(FileError::None, layer_.Open(1, file, OpenMode::Input));
  std::string line, bytes;
  ASSERT_EQ(FileError::None, layer_.ReadLine(1, line));
  ASSERT_EQ(FileError::None, layer_.ReadRest(1, bytes));
  EXPECT_TRUE(rest == bytes) << "the rest has " << bytes.size() << " bytes, not " << rest.size();
  ASSERT_EQ(FileError::None, layer_.ReadRest(1, bytes));
  EXPECT_EQ("", bytes);
  EXPECT_TRUE(layer_.AtEnd(1));
}

TEST_P(FileLayerTest, AFieldEndsAtTheFirstCommaOrTheLineEnd) {
  const std::string file = folder_.File("fields.txt");
  WriteBytes(file, "digest,anything\r\nsecond\r\n");
  ASSERT_EQ(FileError::None, layer_.Open(1, file, OpenMode::Input));
  std::string field;
  ASSERT_EQ(FileError::None, layer_.ReadField(1, field));
  EXPECT_EQ("digest", field);
  ASSERT_EQ(FileError::None, layer_.ReadField(1, field));
  EXPECT_EQ("anything", field);
  ASSERT_EQ(FileError::None, layer_.ReadField(1, field));
  EXPECT_EQ("second", field);
}

TEST_P(FileLayerTest, OutputCutsAppendAddsAndEveryLineEndsInCrLf) {
  const std::string file = folder_.File("out.txt");
  WriteBytes(file, "old content that is longer");
  ASSERT_EQ(FileError::None, layer_.Open(1, file, OpenMode::Output));
  EXPECT_EQ(FileError::None, layer_.WriteLine(1, "first"));
  layer_.Close(1);
  EXPECT_EQ("first\r\n", ReadBytes(file));
  ASSERT_EQ(FileError::None, layer_.Open(1, file, OpenMode::Append));
  EXPECT_EQ(FileError::None, layer_.WriteLine(1, ""));
  EXPECT_EQ(FileError::None, layer_.WriteLine(1, "third, \"quoted\""));
  EXPECT_EQ(FileError::None, layer_.Flush(1));
  layer_.Close(1);
  EXPECT_EQ("first\r\n\r\nthird, \"quoted\"\r\n", ReadBytes(file));
  ASSERT_EQ(FileError::None, layer_.Open(2, folder_.File("new.txt"), OpenMode::Append));
  layer_.Close(2);
  EXPECT_EQ("", ReadBytes(folder_.File("new.txt")));
}

TEST_P(FileLayerTest, InputNeedsAnExistingFileNotAFolder) {
  EXPECT_EQ(FileError::NotFound, layer_.Open(1, folder_.File("missing.txt"), OpenMode::Input));
  EXPECT_EQ(FileError::NotFound, layer_.Open(1, folder_.File("no\\such\\folder.txt"), OpenMode::Input));
  testing::MakeFolder(folder_.File("sub"));
  EXPECT_EQ(FileError::IsFolder, layer_.Open(1, folder_.File("sub"), OpenMode::Input));
  EXPECT_EQ(FileError::IsFolder, layer_.Open(1, folder_.File("sub"), OpenMode::Output));
  EXPECT_EQ(1, layer_.LowestFree());
}

TEST_P(FileLayerTest, AnInputOpenAdmitsReadersAndRefusesOwnWritersAndReplaces) {
  const std::string file = folder_.File("held.txt");
  WriteBytes(file, "keep\r\n");
  ASSERT_EQ(FileError::None, layer_.Open(99, file, OpenMode::Input));
  EXPECT_EQ(FileError::None, layer_.Open(100, file, OpenMode::Input));
  EXPECT_EQ(FileError::SharingViolation, layer_.Open(1, file, OpenMode::Output));
  EXPECT_EQ(FileError::SharingViolation, layer_.Open(1, file, OpenMode::Append));
  WriteBytes(folder_.File("other.txt"), "replacement");
  // Windows calls a refused replace or delete of an open file "access denied".
  EXPECT_NE(FileError::None, system_->Replace(folder_.File("other.txt"), file));
  EXPECT_NE(FileError::None, system_->Remove(file));
  layer_.Close(99);
  EXPECT_EQ(FileError::SharingViolation, layer_.Open(1, file, OpenMode::Output));  // 100 still holds it
  layer_.Close(100);
  EXPECT_EQ("keep\r\n", ReadBytes(file));
  EXPECT_EQ(FileError::None, system_->Replace(folder_.File("other.txt"), file));
  EXPECT_EQ("replacement", ReadBytes(file));
}

TEST_P(FileLayerTest, AFileOpenForWritingRefusesReaders) {
  const std::string file = folder_.File("busy.txt");
  ASSERT_EQ(FileError::None, layer_.Open(1, file, OpenMode::Output));
  EXPECT_EQ(FileError::SharingViolation, layer_.Open(99, file, OpenMode::Input));
  layer_.Close(1);
  EXPECT_EQ(FileError::None, layer_.Open(99, file, OpenMode::Input));
}

TEST_P(FileLayerTest, ReadingAndWritingNeedTheRightMode) {
  const std::string file = folder_.File("mode.txt");
  WriteBytes(file, "x\r\n");
  std::string line;
  EXPECT_EQ(FileError::NotOpen, layer_.ReadLine(5, line));
  EXPECT_EQ(FileError::NotOpen, layer_.WriteLine(5, "x"));
  EXPECT_TRUE(layer_.AtEnd(5));
  ASSERT_EQ(FileError::None, layer_.Open(5, file, OpenMode::Input));
  EXPECT_EQ(FileError::WrongMode, layer_.WriteLine(5, "x"));
  layer_.Close(5);
  ASSERT_EQ(FileError::None, layer_.Open(5, folder_.File("w.txt"), OpenMode::Output));
  EXPECT_EQ(FileError::WrongMode, layer_.ReadLine(5, line));
}

TEST_P(FileLayerTest, ALimitedFieldStopsAtTheLimitOrEarlierAtItsEnd) {
  const std::string file = folder_.File("limit.txt");
  WriteBytes(file, "abc,def\r\n" + std::string(200000, 'z') + "\r\nlast\r\n");
  ASSERT_EQ(FileError::None, layer_.Open(1, file, OpenMode::Input));
  std::string field;
  ASSERT_EQ(FileError::None, layer_.ReadField(1, field, 5));
  EXPECT_EQ("abc", field);  // the comma ends it before the limit
  ASSERT_EQ(FileError::None, layer_.ReadField(1, field, 3));
  EXPECT_EQ("def", field);  // exactly the limit: the line end is left unread
  ASSERT_EQ(FileError::None, layer_.ReadField(1, field, 3));
  EXPECT_EQ("", field);
  ASSERT_EQ(FileError::None, layer_.ReadField(1, field, 70000));  // more than one read of the file
  EXPECT_EQ(std::string(70000, 'z'), field);
  ASSERT_EQ(FileError::None, layer_.ReadField(1, field, 0));
  EXPECT_EQ("", field);
}

INSTANTIATE_TEST_SUITE_P(AllFileSystems, FileLayerTest, ::testing::ValuesIn(FileSystemKinds()),
                         [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace fendrel
