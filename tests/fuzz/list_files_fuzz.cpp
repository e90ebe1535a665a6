// Fuzzes the list-file reader: any bytes as "prot.dat" and "emer.dat" must
// load without a crash into the entries their text holds (never empty,
// never holding a line end), and a save of what was loaded must read back
// as the same list; a file that is not text in its encoding is never
// written over. The input's first two bytes are also a fault schedule: a
// second start, an add and a remove run with that file-system call failing
// in that way (tests/core/faulty_file_system.h), and then a list file is its
// old bytes or the list in memory, never cut, one not read whole is never
// written, and every open hold is one row's.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <optional>

#include "lists/list_text.h"
#include "platform/file_layer.h"
#include "protection/list_editing.h"
#include "protection/protection.h"
#include "tests/core/faulty_file_system.h"
#include "tests/fuzz/memory_file_system.h"

using fendrel::FileError;
using fendrel::FileLayer;
using fendrel::ListKind;
using fendrel::Protection;

namespace {
void Require(bool condition) {
  if (!condition) std::abort();
}

struct Boxes : fendrel::MessageBoxes {
  void Show(const std::string& /*text*/, const std::string& /*title*/) override {}
};
struct NoPicker : fendrel::FilePicker {
  std::optional<std::string> PickFile(const std::string& /*title*/, const std::string& /*name*/) override {
    return std::nullopt;
  }
};

// A start, an add and a remove of the first entry, with call `failAt` failing
// in `fault`; then the rules that every fault must keep.
void RunWithFault(const std::string& bytes, int failAt, fendrel::testing::Fault fault) {
  fendrel::fuzzing::MemoryFileSystem disk;
  disk.files["F\\prot.dat"] = bytes;
  disk.files["F\\emer.dat"] = bytes;
  disk.files["a"] = "x";
  fendrel::testing::FaultyFileSystem faulty(disk, 97);  // a cut read can fall anywhere
  faulty.Arm(failAt, fault);
  FileLayer layer(faulty);
  Protection protection(layer, "F");
  Boxes boxes;
  NoPicker picker;
  fendrel::ListEditing editing(protection, boxes, picker);
  protection.LoadLists();
  const bool readWhole = protection.unread(ListKind::Safe) == FileError::None;
  // After each edit the file is as it was before the edit, or the list.
  for (int edit = 0; edit < 2; ++edit) {
    const std::string before = disk.files["F\\prot.dat"];
    if (edit == 0) editing.Add(ListKind::Safe, "a");
    if (edit == 1) editing.Remove(ListKind::Safe, 0);
    const std::string& now = disk.files["F\\prot.dat"];
    const std::optional<std::string> saved =
        fendrel::EncodeList(protection.Paths(ListKind::Safe), disk.AnsiCodePage());
    Require(now == before || (saved && now == *saved));
  }
  // A file not read whole is never written.
  if (!readWhole && protection.unread(ListKind::Safe) != FileError::None)
    Require(disk.files["F\\prot.dat"] == bytes);
  // Every open hold is one row's, and every row's hold is open.
  std::vector<int> rows;
  for (const int hold : protection.HoldRows(ListKind::Safe)) {
    if (hold != Protection::kNoHold) rows.push_back(hold);
  }
  for (const int hold : rows) {
    Require(layer.IsOpen(hold));
    Require(std::count(rows.begin(), rows.end(), hold) == 1);
  }
  for (int number = fendrel::FileLayer::kFirstNumber; number <= fendrel::FileLayer::kLastNumber; ++number) {
    Require(!layer.IsOpen(number) || std::count(rows.begin(), rows.end(), number) == 1);
  }
  while (protection.Remove(ListKind::Safe, protection.EntryCount(ListKind::Safe) - 1)) {
  }
  Require(layer.LowestFree() == 1);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  if (size >= 2 && data[0] != 0) {
    // A kilobyte is file enough for where a fault falls; the rest costs time.
    RunWithFault(bytes.substr(2, 1024), data[0], static_cast<fendrel::testing::Fault>(data[1] % 8));
  }
  fendrel::fuzzing::MemoryFileSystem system;
  system.files["F\\prot.dat"] = bytes;
  system.files["F\\emer.dat"] = bytes;
  // Some lines may name a file that exists (\a, a rooted path), so holds are taken too.
  system.files["\\a"] = "x";
  system.files["F\\prot.dat.new"] = "";
  FileLayer layer(system);
  Protection protection(layer, "F");
  protection.LoadLists();
  const fendrel::ListText text = fendrel::DecodeList(bytes, system.AnsiCodePage(), Protection::kMaxEntries);

  Require(protection.EntryCount(ListKind::Safe) ==
          static_cast<int>(protection.HoldRows(ListKind::Safe).size()));
  Require(protection.Paths(ListKind::Safe) == text.entries);
  Require(protection.Paths(ListKind::Emergency) == text.entries);
  for (const std::string& entry : protection.Paths(ListKind::Safe)) {
    Require(!entry.empty());
    Require(entry.find_first_of("\r\n") == std::string::npos);
  }
  Require(protection.SaveList(ListKind::Safe) == text.unread || protection.EntryCount(ListKind::Safe) > 0);

  // Removing every safe-list entry releases every hold; then both lists
  // save (or, not read whole, are refused and left as they were), and the
  // emergency list reads back as it was loaded.
  const std::vector<std::string> loaded = protection.Paths(ListKind::Emergency);
  while (protection.Remove(ListKind::Safe, protection.EntryCount(ListKind::Safe) - 1)) {
  }
  Require(protection.SaveList(ListKind::Safe) == text.unread);
  Require(protection.SaveList(ListKind::Emergency) == text.unread);
  if (text.unread != FileError::None) Require(system.files["F\\emer.dat"] == bytes);
  Protection again(layer, "F");
  again.LoadLists();
  Require(again.Paths(ListKind::Safe) ==
          (text.unread == FileError::None ? std::vector<std::string>{} : loaded));
  Require(again.Paths(ListKind::Emergency) == loaded);
  Require(layer.LowestFree() == 1);
  return 0;
}
