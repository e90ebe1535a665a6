// Fuzzes the password check: any bytes as "satinfo.dll" must give a plain
// yes or no, and yes exactly when the file starts with the digest followed
// by a comma, a line end or more characters. The start offers the Welcome
// page exactly when the file starts with some digest (32 lowercase
// hexadecimal digits), New User otherwise.
#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "password/cmd5.h"
#include "password/password_store.h"
#include "platform/file_layer.h"
#include "tests/fuzz/memory_file_system.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

class QuietBoxes : public fendrel::MessageBoxes {
 public:
  void Show(const std::string&, const std::string&) override {}
};

class Folder : public fendrel::SystemFolder {
 public:
  std::string GetDataFolder(int) override { return "S"; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  fendrel::fuzzing::MemoryFileSystem system;
  system.files["S\\satinfo.dll"] = bytes;
  fendrel::FileLayer layer(system);
  QuietBoxes boxes;
  Folder folder;
  fendrel::PasswordStore store(layer, folder, boxes);

  const std::u16string password = u"s3cret";
  const std::string digest = fendrel::CMD5().MD5(password);
  const bool expected = bytes.compare(0, digest.size(), digest) == 0;
  Require(store.CheckPassword(password) == expected);
  Require(!store.CheckPassword(u""));
  const bool startsWithADigest =
      bytes.size() >= digest.size() &&
      std::all_of(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(digest.size()),
                  [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); });
  Require(store.DeterminePassword() == (startsWithADigest ? fendrel::kWelcome : fendrel::kNewUser));
  Require(layer.LowestFree() == 1);
  return 0;
}
