// Bad input on every file system of the build: list files of garbage, NUL
// bytes, huge lines, too many lines and odd line ends; paths too long for
// Windows; password files that are empty, tiny, huge or a folder. Each
// gives a clear outcome and loses nothing.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "password/cmd5.h"
#include "password/password_store.h"
#include "platform/portable_file_system.h"
#include "protection/emergency.h"
#include "protection/list_editing.h"
#include "screen/messages.h"
#include "tests/core/fakes.h"
#include "tests/core/forwarding_file_system.h"
#include "tests/core/test_support.h"

namespace fendrel {
namespace {

using testing::FileSystemKinds;
using testing::ReadBytes;
using testing::RecordingMessageBoxes;
using testing::TempFolder;
using testing::WriteBytes;
using Rows = std::vector<std::string>;
using Numbers = std::vector<int>;

// Counts the bytes every open file of the wrapped file system hands out.
class CountingFileSystem : public testing::ForwardingFileSystem {
 public:
  using ForwardingFileSystem::ForwardingFileSystem;
  FileError Open(const std::string& path, OpenMode mode, std::unique_ptr<OpenFile>& file) override {
    std::unique_ptr<OpenFile> opened;
    const FileError error = inner_.Open(path, mode, opened);
    if (error == FileError::None) file = std::make_unique<Counted>(std::move(opened), bytesRead);
    return error;
  }

  std::size_t bytesRead = 0;

 private:
  class Counted : public OpenFile {
   public:
    Counted(std::unique_ptr<OpenFile> inner, std::size_t& count) : inner_(std::move(inner)), count_(count) {}
    FileError Read(char* buffer, std::size_t size, std::size_t& got) override {
      const FileError error = inner_->Read(buffer, size, got);
      count_ += got;
      return error;
    }
    FileError Write(const char* data, std::size_t size) override { return inner_->Write(data, size); }
    FileError Flush() override { return inner_->Flush(); }

   private:
    std::unique_ptr<OpenFile> inner_;
    std::size_t& count_;
  };
};

// No file picker is used here.

// The entries a list file holds: its non-empty lines, split at CR LF, a lone
// CR or a lone LF.
Rows LinesOf(const std::string& bytes) {
  Rows lines;
  std::string line;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const char c = bytes[i];
    if (c != '\r' && c != '\n') {
      line += c;
      continue;
    }
    if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
    if (!line.empty()) lines.push_back(line);
    line.clear();
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
}

constexpr bool Windows() {
#ifdef _WIN32
  return true;
#else
  return false;
#endif
}

// Big files are compared by size and equality: a failing EXPECT_EQ of two
// multi-megabyte texts would build a line diff that exhausts memory.
void ExpectSameBytes(const std::string& expected, const std::string& actual, const std::string& what) {
  EXPECT_EQ(expected.size(), actual.size()) << what;
  EXPECT_TRUE(expected == actual) << what << " differs from what was expected";
}

std::string FileOf(const Rows& entries) {
  std::string bytes;
  for (const std::string& entry : entries) bytes += entry + "\r\n";
  return bytes;
}

class BadInputTest : public ::testing::TestWithParam<testing::FileSystemKind> {
 protected:
  // A fresh run: earlier holds end and the lists start empty.
  void Load() {
    while (protection_.Remove(ListKind::Safe, protection_.EntryCount(ListKind::Safe) - 1)) {
    }
    while (protection_.Remove(ListKind::Emergency, protection_.EntryCount(ListKind::Emergency) - 1)) {
    }
    protection_.LoadLists();
  }
  std::string Existing(const std::string& name) { return testing::MakeFile(folder_, name); }
  // A list file in the ANSI code page is read into exactly its lines, is
  // left as it was by the load, and a save of what was read writes the same
  // bytes back.
  void ExpectReadWhole(const std::string& bytes) {
    WriteBytes(protection_.SafeListFile(), bytes);
    WriteBytes(protection_.EmergencyListFile(), bytes);
    Load();
    const Rows lines = LinesOf(bytes);
    Rows expected;
    for (const std::string& line : lines) expected.push_back(system_.AnsiCodePage().ToUtf8(line));
    EXPECT_EQ(expected, protection_.Paths(ListKind::Safe));
    EXPECT_EQ(expected, protection_.Paths(ListKind::Emergency));
    EXPECT_EQ(protection_.EntryCount(ListKind::Safe),
              static_cast<int>(protection_.HoldRows(ListKind::Safe).size()));
    ExpectSameBytes(bytes, ReadBytes(protection_.SafeListFile()), "prot.dat after the load");
    ASSERT_EQ(FileError::None, protection_.SaveList(ListKind::Safe));
    ExpectSameBytes(FileOf(lines), ReadBytes(protection_.SafeListFile()), "prot.dat after the save");
    EXPECT_EQ(1, layer_.LowestFree());
  }

  TempFolder folder_;
  std::unique_ptr<FileSystem> inner_ = GetParam().make();
  CountingFileSystem system_{*inner_};
  FileLayer layer_{system_};
  Protection protection_{layer_, folder_.path()};
  RecordingMessageBoxes boxes_;
  testing::NoPicker picker_;
  ListEditing editing_{protection_, boxes_, picker_};
};

TEST_P(BadInputTest, BinaryGarbageLoadsAsItsLinesAndSavesBackUnchanged) {
  std::mt19937 random(20240611);
  std::string garbage;
  for (int i = 0; i < 64 * 1024 + 17; ++i) garbage += static_cast<char>(random() & 0xFF);
  for (int value = 0; value < 256; ++value) garbage += static_cast<char>(value);  // every byte at least once
  ExpectReadWhole(garbage);
}

TEST_P(BadInputTest, NulBytesStayInTheirEntriesAndNeverHoldAnotherFile) {
  const std::string held = Existing("held.txt");
  // The part before the NUL names a real file; the entry as a whole names none.
  const std::string withNul = held + std::string(1, '\0') + "tail";
  ExpectReadWhole(withNul + "\r\n" + std::string("\0\0\0", 3) + "\r\n" + held + "\r\n");
  EXPECT_EQ((Numbers{Protection::kNoHold, Protection::kNoHold, 99}), protection_.HoldRows(ListKind::Safe));
}

TEST_P(BadInputTest, AOneMegabyteLineIsOneEntryThatCannotBeHeld) {
  const std::string huge = folder_.File(std::string(1024 * 1024, 'x'));
  ExpectReadWhole("C:\\short.txt\r\n" + huge + "\r\n" + "C:\\after.txt\r\n");
  EXPECT_EQ(Protection::kNoHold, protection_.HoldRows(ListKind::Safe)[1]);
}

TEST_P(BadInputTest, CrOnlyLfOnlyAndMixedLineEndsAllSplitEntries) {
  ExpectReadWhole("a\rb\rc\r");
  ExpectReadWhole("a\nb\n\n\nc");
  ExpectReadWhole("a\r\n\rb\n\r\r\nc\n\r");
}

TEST_P(BadInputTest, AFileOf100000LinesLoadsTheFirst32767AndIsNeverCutByASave) {
  std::string bytes;
  for (int i = 0; i < 100000; ++i) bytes += "C:\\missing\\" + std::to_string(i) + ".txt\r\n";
  WriteBytes(protection_.SafeListFile(), bytes);
  WriteBytes(protection_.EmergencyListFile(), bytes);
  Load();
  ASSERT_EQ(Protection::kMaxEntries, protection_.EntryCount(ListKind::Safe));
  ASSERT_EQ(Protection::kMaxEntries, protection_.EntryCount(ListKind::Emergency));
  EXPECT_EQ("C:\\missing\\32766.txt", protection_.Paths(ListKind::Safe).back());
  EXPECT_EQ(Protection::kMaxEntries, static_cast<int>(protection_.HoldRows(ListKind::Safe).size()));

  const std::string another = Existing("another.txt");
  editing_.Add(ListKind::Safe, another);
  editing_.Add(ListKind::Emergency, another);
  const RecordingMessageBoxes::Box full{messages::ListFull(Protection::kMaxEntries), "Fendrel"};
  EXPECT_EQ((std::vector<RecordingMessageBoxes::Box>{full, full}), boxes_.shown);
  EXPECT_EQ(Protection::kMaxEntries, protection_.EntryCount(ListKind::Safe));
  EXPECT_EQ(Protection::kMaxEntries, static_cast<int>(protection_.HoldRows(ListKind::Safe).size()));
  EXPECT_EQ(Protection::kFirstHoldNumber, protection_.nextHoldNumber());  // nothing was held for it

  // A remove works on the screen, but a save would cut the file to what the
  // list shows: the file is left as it was, and the message says why.
  editing_.Remove(ListKind::Safe, 0);
  editing_.Remove(ListKind::Emergency, 0);
  EXPECT_EQ(Protection::kMaxEntries - 1, protection_.EntryCount(ListKind::Safe));
  EXPECT_EQ(Protection::kMaxEntries - 1, protection_.EntryCount(ListKind::Emergency));
  ASSERT_EQ(4u, boxes_.shown.size());
  EXPECT_EQ(messages::CouldNotSave(protection_.SafeListFile(), ListReason::TooManyEntries),
            boxes_.shown[2].text);
  EXPECT_EQ(messages::CouldNotSave(protection_.EmergencyListFile(), ListReason::TooManyEntries),
            boxes_.shown[3].text);
  EXPECT_NE(std::string::npos, boxes_.shown[2].text.find("more entries than Fendrel can show"));
  EXPECT_NE(std::string::npos, boxes_.shown[2].text.find("left unchanged"));
  ExpectSameBytes(bytes, ReadBytes(protection_.SafeListFile()), "prot.dat");
  ExpectSameBytes(bytes, ReadBytes(protection_.EmergencyListFile()), "emer.dat");
}

TEST_P(BadInputTest, AFileOfExactlyAFullListAndBlankLinesIsWholeAndSaves) {
  Rows entries;
  for (int i = 0; i < Protection::kMaxEntries; ++i) entries.push_back("C:\\e\\" + std::to_string(i));
  WriteBytes(protection_.EmergencyListFile(), FileOf(entries) + "\r\n\r\n");
  Load();
  ASSERT_EQ(Protection::kMaxEntries, protection_.EntryCount(ListKind::Emergency));
  editing_.Remove(ListKind::Emergency, 0);
  EXPECT_TRUE(boxes_.shown.empty());
  entries.erase(entries.begin());
  ExpectSameBytes(FileOf(entries), ReadBytes(protection_.EmergencyListFile()), "emer.dat");
}

TEST_P(BadInputTest, APathLongerThanWindowsAllowsIsListedKeptAndNotHeldForAClearReason) {
  // One name of 300 characters: too long for Windows' 260 and for a name on Linux.
  const std::string tooLong = folder_.File(std::string(300, 'n') + ".txt");
  const std::string held = Existing("held.txt");
  WriteBytes(protection_.SafeListFile(), tooLong + "\r\n" + held + "\r\n");
  Load();
  EXPECT_EQ((Rows{tooLong, held}), protection_.Paths(ListKind::Safe));
  EXPECT_EQ((Numbers{Protection::kNoHold, 99}), protection_.HoldRows(ListKind::Safe));
  // The C library of the Windows build says only that the file is not there
  // (the program uses the Win32 file system there, which names the reason).
  const FileError reason =
      GetParam().name == "Portable" && Windows() ? FileError::NotFound : FileError::NameTooLong;
  protection_.Add(ListKind::Emergency, tooLong);
  const Protection::EmergencyHolding holding = protection_.HoldEmergencyList();
  ASSERT_EQ(1u, holding.failures.size());
  EXPECT_EQ(reason, holding.failures[0].why);

  editing_.Remove(ListKind::Safe, 1);  // a save keeps the entry that could not be held
  EXPECT_EQ(tooLong + "\r\n", ReadBytes(protection_.SafeListFile()));

  editing_.Add(ListKind::Safe, tooLong);
  ASSERT_EQ(1u, boxes_.shown.size());
  EXPECT_EQ(messages::CouldNotProtect(tooLong, reason), boxes_.shown[0].text);
  EXPECT_EQ((Rows{tooLong}), protection_.Paths(ListKind::Safe));
}

TEST_P(BadInputTest, Hold413AtOnceAndThe414thHoldNamesTheFileAndTheLimitUntilOneIsReleased) {
  Rows files;
  for (int i = 0; i < 4; ++i) files.push_back(Existing("f" + std::to_string(i) + ".txt"));
  for (int i = 0; i < 413; ++i) editing_.Add(ListKind::Safe, files[static_cast<std::size_t>(i % 4)]);
  ASSERT_TRUE(boxes_.shown.empty()) << boxes_.shown[0];
  EXPECT_EQ(511, protection_.HoldRows(ListKind::Safe).back());
  const std::string saved = ReadBytes(protection_.SafeListFile());
  EXPECT_EQ(413u, LinesOf(saved).size());

  // The message names the limit the core keeps.
  const std::string limit =
      std::to_string(Protection::kMostHoldsAtOnce) + " files, the most it can hold at the same time";
  editing_.Add(ListKind::Safe, files[0]);
  ASSERT_EQ(1u, boxes_.shown.size());
  EXPECT_EQ(messages::CouldNotProtect(files[0], ListReason::NoFreeHoldNumber), boxes_.shown[0].text);
  EXPECT_NE(std::string::npos, boxes_.shown[0].text.find(limit));
  EXPECT_EQ(413, protection_.EntryCount(ListKind::Safe));
  EXPECT_EQ(413, static_cast<int>(protection_.HoldRows(ListKind::Safe).size()));
  EXPECT_EQ(saved, ReadBytes(protection_.SafeListFile()));

  // The emergency says the same for its file, and nothing turns on.
  const std::string urgent = Existing("urgent.txt");
  editing_.Add(ListKind::Emergency, urgent);
  EmergencyMode emergency(protection_, boxes_);
  emergency.Emergency();
  EXPECT_FALSE(emergency.on());
  ASSERT_EQ(2u, boxes_.shown.size());
  EXPECT_NE(std::string::npos, boxes_.shown[1].text.find(urgent + "  (Fendrel already holds " + limit + ")"));

  // A released hold makes room: the next hold takes its number, and the
  // one after it is refused again.
  editing_.Remove(ListKind::Safe, 200);
  emergency.Emergency();
  EXPECT_TRUE(emergency.on());
  EXPECT_EQ((Numbers{99 + 200}), protection_.HoldRows(ListKind::Emergency));
  EXPECT_EQ(2u, boxes_.shown.size());
  editing_.Add(ListKind::Safe, files[1]);
  EXPECT_EQ(3u, boxes_.shown.size());
  EXPECT_EQ(412, protection_.EntryCount(ListKind::Safe));
  EXPECT_EQ(1, layer_.LowestFree());  // short-lived work still has number 1
}

// Password files.

constexpr const char* kSecretDigest = "33e1b232a4e6fa0028a6670753749a17";  // "s3cret"

class BadPasswordFileTest : public BadInputTest {
 protected:
  std::string File() { return store_.PasswordFile(); }
  testing::FakeSystemFolder systemFolder_{folder_.path()};
  PasswordStore store_{layer_, systemFolder_, boxes_};
};

TEST_P(BadPasswordFileTest, EmptyOneByteAndFolderFilesMatchNothingAndOfferNewUser) {
  // The checks say nothing; the start names a file without a digest and
  // offers New User, and takes a folder in its place for no file at all.
  using Boxes = std::vector<RecordingMessageBoxes::Box>;
  WriteBytes(File(), "");
  EXPECT_FALSE(store_.CheckPassword(u"s3cret"));
  EXPECT_TRUE(boxes_.shown.empty());
  EXPECT_EQ(kNewUser, store_.DeterminePassword());
  EXPECT_EQ((Boxes{{messages::NoPasswordInFile(File(), FileError::ReadPastEnd), "Fendrel"}}), boxes_.shown);
  boxes_.shown.clear();
  WriteBytes(File(), "3");
  EXPECT_FALSE(store_.CheckPassword(u"s3cret"));
  WriteBytes(File(), std::string(kSecretDigest).substr(0, 31));  // one digit short
  EXPECT_FALSE(store_.CheckPassword(u"s3cret"));
  EXPECT_TRUE(boxes_.shown.empty());
  EXPECT_EQ(kNewUser, store_.DeterminePassword());
  EXPECT_EQ((Boxes{{messages::NoPasswordInFile(File(), FileError::None), "Fendrel"}}), boxes_.shown);
  boxes_.shown.clear();
  std::filesystem::remove(NativePath(File()));
  testing::MakeFolder(File());
  EXPECT_FALSE(store_.CheckPassword(u"s3cret"));
  EXPECT_EQ(kNewUser, store_.DeterminePassword());
  EXPECT_TRUE(boxes_.shown.empty());
  EXPECT_EQ(1, layer_.LowestFree());
}

TEST_P(BadPasswordFileTest, AHundredMegabyteFileIsCheckedFromItsFirstBytesOnly) {
  constexpr std::uintmax_t kSize = 100u * 1024 * 1024;
  // The digest, then a first line that never ends (zeros to 100 MB).
  WriteBytes(File(), kSecretDigest);
  std::filesystem::resize_file(NativePath(File()), kSize);
  ASSERT_EQ(kSize, std::filesystem::file_size(NativePath(File())));

  system_.bytesRead = 0;
  EXPECT_TRUE(store_.CheckPassword(u"s3cret"));
  EXPECT_FALSE(store_.CheckPassword(u"S3CRET"));
  EXPECT_LE(system_.bytesRead, 2u * 64 * 1024) << "a check reads one buffer, not the file";
  system_.bytesRead = 0;
  EXPECT_EQ(kWelcome, store_.DeterminePassword());
  EXPECT_LE(system_.bytesRead, 64u * 1024) << "the start reads one buffer, not the file";

  WriteBytes(File(), "x");  // 100 MB of one field with no digest in front
  std::filesystem::resize_file(NativePath(File()), kSize);
  system_.bytesRead = 0;
  EXPECT_FALSE(store_.CheckPassword(u"s3cret"));
  EXPECT_LE(system_.bytesRead, 64u * 1024);
  EXPECT_EQ(1, layer_.LowestFree());
}

INSTANTIATE_TEST_SUITE_P(AllFileSystems, BadInputTest, ::testing::ValuesIn(FileSystemKinds()),
                         [](const auto& info) { return info.param.name; });
INSTANTIATE_TEST_SUITE_P(AllFileSystems, BadPasswordFileTest, ::testing::ValuesIn(FileSystemKinds()),
                         [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace fendrel
