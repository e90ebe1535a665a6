// Faults around the list files: a list file that cannot be written and a
// program folder that is gone. Each is reported and loses nothing.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "platform/atomic_save.h"
#include "platform/portable_file_system.h"
#include "protection/list_editing.h"
#include "screen/messages.h"
#include "tests/core/fakes.h"
#include "tests/core/forwarding_file_system.h"
#include "tests/core/test_support.h"

namespace fendrel {
namespace {

using testing::Exists;
using testing::ReadBytes;
using testing::RecordingMessageBoxes;
using testing::TempFolder;
using testing::WriteBytes;
using Rows = std::vector<std::string>;
using Boxes = std::vector<RecordingMessageBoxes::Box>;

// Reads of a file that fail once `failAt` bytes were handed out, as they do
// past another program's byte-range lock or on a network drive that drops.
class FailingReads : public testing::ForwardingFileSystem {
 public:
  FailingReads(FileSystem& inner, std::size_t failAt) : ForwardingFileSystem(inner), failAt_(failAt) {}
  FileError Open(const std::string& path, OpenMode mode, std::unique_ptr<OpenFile>& file) override {
    std::unique_ptr<OpenFile> opened;
    const FileError error = inner_.Open(path, mode, opened);
    if (error == FileError::None) file = std::make_unique<Failing>(std::move(opened), failAt_);
    return error;
  }

 private:
  class Failing : public OpenFile {
   public:
    Failing(std::unique_ptr<OpenFile> inner, std::size_t failAt) : inner_(std::move(inner)), left_(failAt) {}
    FileError Read(char* buffer, std::size_t size, std::size_t& got) override {
      got = 0;
      if (left_ == 0) return FileError::SharingViolation;  // ERROR_LOCK_VIOLATION
      const FileError error = inner_->Read(buffer, std::min(size, left_), got);
      left_ -= got;
      return error;
    }
    FileError Write(const char* data, std::size_t size) override { return inner_->Write(data, size); }
    FileError Flush() override { return inner_->Flush(); }

   private:
    std::unique_ptr<OpenFile> inner_;
    std::size_t left_;
  };
  std::size_t failAt_;
};

class ListFileFaultTest : public ::testing::TestWithParam<testing::FileSystemKind> {
 protected:
  std::string Existing(const std::string& name) { return testing::MakeFile(folder_, name); }
  bool Held(const std::string& path) { return testing::RefusedToOwnWriter(layer_, path); }

  TempFolder folder_;
  std::unique_ptr<FileSystem> system_ = GetParam().make();
  FileLayer layer_{*system_};
  RecordingMessageBoxes boxes_;
  testing::NoPicker picker_;
};

// The save writes "prot.dat.new" first; a folder of that name makes the
// write fail on every build (a read-only folder stops neither root on Linux
// nor a write under Wine), as a folder the user may not write would.
TEST_P(ListFileFaultTest, AListFileThatCannotBeWrittenIsReportedAndKeepsItsBytes) {
  Protection protection(layer_, folder_.path());
  ListEditing editing(protection, boxes_, picker_);
  const std::string a = Existing("a.txt"), b = Existing("b.txt");
  const std::string safeBytes = a + "\r\n", emerBytes = b + "\r\n";
  WriteBytes(protection.SafeListFile(), safeBytes);
  WriteBytes(protection.EmergencyListFile(), emerBytes);
  protection.LoadLists();
  testing::MakeFolder(protection.SafeListFile() + ".new");
  testing::MakeFolder(protection.EmergencyListFile() + ".new");

  editing.Add(ListKind::Safe, b);
  editing.Add(ListKind::Emergency, a);
  editing.Remove(ListKind::Safe, 0);
  editing.Remove(ListKind::Emergency, 0);

  const Boxes expected{
      {messages::CouldNotSave(protection.SafeListFile(), FileError::IsFolder), "Fendrel"},
      {messages::CouldNotSave(protection.EmergencyListFile(), FileError::IsFolder), "Fendrel"},
      {messages::CouldNotSave(protection.SafeListFile(), FileError::IsFolder), "Fendrel"},
      {messages::CouldNotSave(protection.EmergencyListFile(), FileError::IsFolder), "Fendrel"}};
  EXPECT_EQ(expected, boxes_.shown);
  // The lists on the screen keep every edit, the holds follow them, and the
  // files hold the lists as they were.
  EXPECT_EQ((Rows{b}), protection.Paths(ListKind::Safe));
  EXPECT_EQ((Rows{a}), protection.Paths(ListKind::Emergency));
  EXPECT_FALSE(Held(a));
  EXPECT_TRUE(Held(b));
  EXPECT_EQ(safeBytes, ReadBytes(protection.SafeListFile()));
  EXPECT_EQ(emerBytes, ReadBytes(protection.EmergencyListFile()));
  // The folder in the way is not the program's to remove.
  EXPECT_TRUE(Exists(protection.SafeListFile() + ".new"));

  // Once the way is clear, the next edit saves the whole list on the screen.
  std::filesystem::remove(NativePath(protection.SafeListFile() + ".new"));
  editing.Add(ListKind::Safe, a);
  EXPECT_EQ(b + "\r\n" + a + "\r\n", ReadBytes(protection.SafeListFile()));
  EXPECT_EQ(4u, boxes_.shown.size());
  EXPECT_EQ(1, layer_.LowestFree());
}

TEST_P(ListFileFaultTest, AProgramFolderThatIsGoneRefusesEverySaveAndSaysWhere) {
  Protection protection(layer_, folder_.File("gone"));
  ListEditing editing(protection, boxes_, picker_);
  const std::string a = Existing("a.txt");
  protection.LoadLists();
  editing.Add(ListKind::Safe, a);
  editing.Add(ListKind::Emergency, a);
  EXPECT_EQ((Boxes{{messages::CouldNotSave(protection.SafeListFile(), FileError::NotFound), "Fendrel"},
                   {messages::CouldNotSave(protection.EmergencyListFile(), FileError::NotFound), "Fendrel"}}),
            boxes_.shown);
  EXPECT_EQ((Rows{a}), protection.Paths(ListKind::Safe));
  EXPECT_TRUE(Held(a));
  EXPECT_FALSE(Exists(folder_.File("gone")));
}

TEST_P(ListFileFaultTest, AReadThatFailsIsNoEndOfTheFileAndTheFileIsNeverWrittenOver) {
  std::string bytes;  // about 200 KB of entries: several reads of 64 KB
  for (int i = 0; i < 3000; ++i) bytes += folder_.File("missing-" + std::to_string(i) + ".txt") + "\r\n";
  const std::string added = Existing("added.txt");
  // The first read fails, or one just past the first 64 KB.
  for (const std::size_t failAt : {std::size_t{0}, std::size_t{64 * 1024 + 10}}) {
    SCOPED_TRACE("reads fail after " + std::to_string(failAt) + " bytes");
    FailingReads failing(*system_, failAt);
    FileLayer layer(failing);
    Protection protection(layer, folder_.path());
    ListEditing editing(protection, boxes_, picker_);
    WriteBytes(protection.SafeListFile(), bytes);
    WriteBytes(protection.EmergencyListFile(), bytes);
    protection.LoadLists();
    EXPECT_EQ(failAt == 0, protection.Paths(ListKind::Safe).empty());
    EXPECT_LT(protection.EntryCount(ListKind::Safe), 3000);
    EXPECT_EQ(protection.EntryCount(ListKind::Safe), protection.EntryCount(ListKind::Emergency));

    boxes_.shown.clear();
    editing.Add(ListKind::Safe, added);
    editing.Add(ListKind::Emergency, added);
    EXPECT_EQ(added, protection.Paths(ListKind::Safe).back());  // listed and held, as any add
    EXPECT_TRUE(testing::RefusedToOwnWriter(layer, added));
    EXPECT_EQ(
        (Boxes{{messages::CouldNotSave(protection.SafeListFile(), ListReason::NotLoaded), "Fendrel"},
               {messages::CouldNotSave(protection.EmergencyListFile(), ListReason::NotLoaded), "Fendrel"}}),
        boxes_.shown);
    EXPECT_TRUE(bytes == ReadBytes(protection.SafeListFile())) << "prot.dat was written over";
    EXPECT_TRUE(bytes == ReadBytes(protection.EmergencyListFile())) << "emer.dat was written over";
  }
}

// Another program saves a list file that Fendrel cannot read whole while it
// runs: the next edit stays on the screen and is refused its save, so the
// file keeps every line; once the file reads whole again, a wake-up merges
// it with the edit and saves both.
TEST_P(ListFileFaultTest, AnotherProgramsFileThatIsNotWholeTextIsNeverWrittenOverAndMergedOnceItIs) {
  std::string tooLong;
  for (int i = 0; i < Protection::kMaxEntries + 3; ++i) tooLong += "C:\\x" + std::to_string(i) + "\r\n";
  const std::string a = Existing("a.txt"), b = Existing("b.txt"), d = Existing("d.txt");
  const struct {
    std::string bytes;
    ListOutcome why;
  } kFiles[] = {{"\xEF\xBB\xBF" + a + "\r\n" + b + "\r\n\xFF\r\ne\r\n", ListReason::NotText},
                {tooLong, ListReason::TooManyEntries}};
  for (const auto& file : kFiles) {
    Protection protection(layer_, folder_.path());
    ListEditing editing(protection, boxes_, picker_);
    WriteBytes(protection.SafeListFile(), a + "\r\n");
    protection.LoadLists();
    WriteBytes(protection.SafeListFile(), file.bytes);
    boxes_.shown.clear();
    editing.Add(ListKind::Safe, d);
    EXPECT_EQ((Boxes{{messages::CouldNotSave(protection.SafeListFile(), file.why), "Fendrel"}}),
              boxes_.shown);
    EXPECT_TRUE(file.bytes == ReadBytes(protection.SafeListFile())) << "the list file was written over";
    EXPECT_EQ((Rows{a, d}), protection.Paths(ListKind::Safe));

    WriteBytes(protection.SafeListFile(), a + "\r\n" + b + "\r\n");
    EXPECT_TRUE(protection.SyncListFiles());
    EXPECT_EQ((Rows{a, b, d}), protection.Paths(ListKind::Safe));
    EXPECT_EQ(a + "\r\n" + b + "\r\n" + d + "\r\n", ReadBytes(protection.SafeListFile()));
    EXPECT_TRUE(Held(b));
  }
}

TEST_P(ListFileFaultTest, AnAtomicSaveWhoseFirstWriteFailsSaysSoAndLeavesTheOldFile) {
  const std::string file = testing::MakeFile(folder_, "list.dat", "old\r\n");
  // Lines enough for the file layer to write some while it takes the rest.
  const std::vector<std::string> lines(2000, std::string(100, 'x'));
  testing::FailingWrites failing(*system_, 1);  // later writes go through
  FileLayer layer(failing);
  EXPECT_EQ(FileError::DiskFull, SaveAtomically(layer, 1, file, lines));
  EXPECT_EQ("old\r\n", ReadBytes(file));
  EXPECT_FALSE(Exists(file + ".new"));
  EXPECT_EQ(FileError::None, SaveAtomically(layer, 1, file, {"new"}));  // the disk has room again
  EXPECT_EQ("new\r\n", ReadBytes(file));
}

// A folder that takes no new file (only the list file itself was made
// writable): every ".new" open is refused, as Windows refuses it.
class NoNewFiles : public testing::ForwardingFileSystem {
 public:
  using ForwardingFileSystem::ForwardingFileSystem;
  FileError Open(const std::string& path, OpenMode mode, std::unique_ptr<OpenFile>& file) override {
    if (mode != OpenMode::Input && path.size() > 4 && path.compare(path.size() - 4, 4, ".new") == 0)
      return FileError::AccessDenied;
    return inner_.Open(path, mode, file);
  }
};

TEST_P(ListFileFaultTest, ASaveWhereNoNewFileMayBeMadeWritesTheFileInPlace) {
  const std::string file = testing::MakeFile(folder_, "list.dat", std::string(5000, 'o'));
  NoNewFiles noNewFiles(*system_);
  testing::FailingWrites failing(noNewFiles, 1);
  FileLayer layer(failing);
  // The in-place write's failure is told, and the next save mends the file.
  EXPECT_EQ(FileError::DiskFull, SaveBytesAtomically(layer, 1, file, "first\r\n"));
  EXPECT_EQ(FileError::None, SaveBytesAtomically(layer, 1, file, "new\r\n"));
  EXPECT_EQ(FileError::AccessDenied, SaveAtomically(layer, 1, file, {"x"}, InPlace::Refused));
  EXPECT_EQ("new\r\n", ReadBytes(file));
}

// A read the system refuses (here the first page of the process's memory,
// which is never mapped) is an error, never the end of the file.
TEST(PortableFileSystemTest, AReadErrorIsAnErrorNotTheEndOfTheFile) {
  const std::string memory = "/proc/self/mem";
  if (!Exists(memory)) GTEST_SKIP() << "no " << memory << " on this system";
  PortableFileSystem system;
  std::unique_ptr<OpenFile> file;
  ASSERT_EQ(FileError::None, system.Open(memory, OpenMode::Input, file));
  char buffer[16];
  std::size_t got = 1;
  EXPECT_NE(FileError::None, file->Read(buffer, sizeof buffer, got));
  EXPECT_EQ(0u, got);
}

INSTANTIATE_TEST_SUITE_P(AllFileSystems, ListFileFaultTest, ::testing::ValuesIn(testing::FileSystemKinds()),
                         [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace fendrel
