// Writing and removing one named value below an existing registry key. Each
// call opens the key with full access, acts and closes it; keys are never
// created or deleted. Every call returns the Windows status code.
#pragma once

#include <cstdint>
#include <string>
#include <variant>

#include "platform/registry_api.h"

namespace fendrel {

// A value to write: text for REG_SZ, a signed 32-bit number for REG_DWORD.
// Either kind is converted to the type written.
using RegistryValue = std::variant<std::string, std::int32_t>;

class Registry {
 public:
  explicit Registry(RegistryApi& api) : api_(api) {}

  // Opens `keyPath` below `root` and writes the value there. The status of
  // the open, or else of the write. `view` is added to the open's access:
  // 0 for the program's own view of the key, or kKeyWow64_32Key.
  long RegWriteSetting(RegistryKey root, const std::string& keyPath, const std::string& valueName,
                       const RegistryValue& value, std::uint32_t type, std::uint32_t view = 0);

  // Removes the value. A value (or key) that is not there is already
  // removed: success.
  long RegRemoveSetting(RegistryKey root, const std::string& keyPath, const std::string& valueName,
                        std::uint32_t view = 0);

  // REG_SZ: the text's UTF-8 bytes and one NUL (Windows keeps it as UTF-16). REG_DWORD: the number's 4
  // bytes, least significant first (a text must be a whole decimal number).
  // Any other type, or a text that is no number, writes nothing and gives
  // kErrorInvalidParameter.
  long RegWriteTyped(RegistryKey key, const std::string& valueName, std::uint32_t type,
                     const RegistryValue& value);

 private:
  RegistryApi& api_;
};

}  // namespace fendrel
