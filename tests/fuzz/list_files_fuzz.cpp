// Fuzzes the list-file reader: any bytes as "prot.dat" and "emer.dat" must
// load without a crash into entries that are never empty and hold no line
// end, and a save of what was loaded must read back as the same list.
#include <cstdint>
#include <cstdlib>

#include "platform/file_layer.h"
#include "protection/protection.h"
#include "tests/fuzz/memory_file_system.h"

using fendrel::FileError;
using fendrel::FileLayer;
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
  // Some lines may name files that exist, so holds are taken too.
  system.files["a"] = "x";
  system.files["F\\prot.dat.new"] = "";
  FileLayer layer(system);
  Protection protection(layer, "F");
  protection.LoadLists();

  Require(protection.safeList().count() == protection.safeHolds().count());
  Require(protection.safeList().items == protection.emergencyList().items);
  for (const std::string& entry : protection.safeList().items) {
    Require(!entry.empty());
    Require(entry.find_first_of("\r\n") == std::string::npos);
  }
  Require(protection.SaveSafeList() == FileError::None || protection.safeList().count() > 0);

  // Removing every safe-list entry releases every hold; then both lists
  // save, and the emergency list reads back as it was loaded.
  const std::vector<std::string> loaded = protection.emergencyList().items;
  while (protection.RemoveFromSafeList(protection.safeList().count() - 1)) {
  }
  Require(protection.SaveSafeList() == FileError::None);
  Require(protection.SaveEmergencyList() == FileError::None);
  Protection again(layer, "F");
  again.LoadLists();
  Require(again.safeList().items.empty());
  Require(again.emergencyList().items == loaded);
  Require(layer.LowestFree() == 1);
  return 0;
}
