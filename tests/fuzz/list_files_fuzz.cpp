// Fuzzes the list-file reader: any bytes as "prot.dat" and "emer.dat" must
// load without a crash into the entries their text holds (never empty,
// never holding a line end), and a save of what was loaded must read back
// as the same list; a file that is not text in its encoding is never
// written over.
#include <cstdint>
#include <cstdlib>

#include "lists/list_text.h"
#include "platform/file_layer.h"
#include "protection/protection.h"
#include "tests/fuzz/memory_file_system.h"

using fendrel::FileError;
using fendrel::FileLayer;
using fendrel::ListKind;
using fendrel::Protection;

namespace {
void Require(bool condition) {
  if (!condition) std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
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

  Require(protection.safeList().count() == protection.safeHolds().count());
  Require(protection.safeList().items == text.entries);
  Require(protection.emergencyList().items == text.entries);
  for (const std::string& entry : protection.safeList().items) {
    Require(!entry.empty());
    Require(entry.find_first_of("\r\n") == std::string::npos);
  }
  Require(protection.SaveList(ListKind::Safe) == text.unread || protection.safeList().count() > 0);

  // Removing every safe-list entry releases every hold; then both lists
  // save (or, not read whole, are refused and left as they were), and the
  // emergency list reads back as it was loaded.
  const std::vector<std::string> loaded = protection.emergencyList().items;
  while (protection.RemoveFromSafeList(protection.safeList().count() - 1)) {
  }
  Require(protection.SaveList(ListKind::Safe) == text.unread);
  Require(protection.SaveList(ListKind::Emergency) == text.unread);
  if (text.unread != FileError::None) Require(system.files["F\\emer.dat"] == bytes);
  Protection again(layer, "F");
  again.LoadLists();
  Require(again.safeList().items == (text.unread == FileError::None ? std::vector<std::string>{} : loaded));
  Require(again.emergencyList().items == loaded);
  Require(layer.LowestFree() == 1);
  return 0;
}
