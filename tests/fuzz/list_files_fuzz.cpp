// Fuzzes the list-file reader: any bytes as "prot.dat" and "emer.dat" must
// load without a crash into entries that are never empty and hold no line
// end, and a save of what was loaded must read back as the same lists.
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

  Require(protection.SafeList.count() == protection.SafeHolds.count());
  Require(protection.SafeList.items == protection.EmergencyList.items);
  for (const std::string& entry : protection.SafeList.items) {
    Require(!entry.empty());
    Require(entry.find_first_of("\r\n") == std::string::npos);
  }
  Require(protection.SaveSafeList() == FileError::None || protection.SafeList.count() > 0);

  for (std::size_t i = 0; i < protection.SafeHolds.items.size(); ++i)
    protection.Release(protection.SafeHolds.items[i]);
  Require(protection.SaveSafeList() == FileError::None);
  Protection again(layer, "F");
  again.LoadLists();
  Require(again.SafeList.items == protection.SafeList.items);
  Require(layer.LowestFree() == 1);
  return 0;
}
