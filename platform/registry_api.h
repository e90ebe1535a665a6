// The registry calls the program makes (advapi32), each
// returning the Windows status code: 0 is success. The program uses the real
// registry; tests use an in-memory one.
#pragma once

#include <cstdint>
#include <string>

namespace fendrel {

// An open key or a predefined root, as its handle value.
using RegistryKey = std::uint64_t;

inline constexpr RegistryKey kHkeyLocalMachine = 0x80000002;

inline constexpr std::uint32_t kRegSz = 1;
inline constexpr std::uint32_t kRegDword = 4;

inline constexpr std::uint32_t kKeyRead = 0x20019;
inline constexpr std::uint32_t kKeyAllAccess = 0x3F;
// Added to an open's access: the key as 32-bit programs see it
// (KEY_WOW64_32KEY). On 64-bit Windows a 32-bit program's keys under
// HKEY_LOCAL_MACHINE\Software live apart, below Software\WOW6432Node.
inline constexpr std::uint32_t kKeyWow64_32Key = 0x0200;

inline constexpr long kErrorSuccess = 0;
inline constexpr long kErrorFileNotFound = 2;
inline constexpr long kErrorInvalidParameter = 87;
inline constexpr long kErrorMoreData = 234;

class RegistryApi {
 public:
  virtual ~RegistryApi() = default;
  // Opens an existing key below `root`; never creates one.
  virtual long OpenKey(RegistryKey root, const std::string& path, std::uint32_t access, RegistryKey& key) = 0;
  // Reads a value's type and at most `capacity` bytes of its data. Data
  // longer than that gives kErrorMoreData and no data.
  virtual long QueryValue(RegistryKey key, const std::string& name, std::uint32_t& type, std::string& data,
                          std::uint32_t capacity) = 0;
  virtual long SetValue(RegistryKey key, const std::string& name, std::uint32_t type,
                        const std::string& bytes) = 0;
  virtual long DeleteValue(RegistryKey key, const std::string& name) = 0;
  virtual long CloseKey(RegistryKey key) = 0;
  // A short text for a status code, for a message box.
  virtual std::string Describe(long status) = 0;
};

// Closes a key opened through the interface when it goes out of scope.
class OpenRegistryKey {
 public:
  explicit OpenRegistryKey(RegistryApi& api) : api_(api) {}
  ~OpenRegistryKey() {
    if (open_) api_.CloseKey(key_);
  }
  OpenRegistryKey(const OpenRegistryKey&) = delete;
  OpenRegistryKey& operator=(const OpenRegistryKey&) = delete;

  long Open(RegistryKey root, const std::string& path, std::uint32_t access) {
    const long status = api_.OpenKey(root, path, access, key_);
    open_ = status == kErrorSuccess;
    return status;
  }
  RegistryKey get() const { return key_; }

 private:
  RegistryApi& api_;
  RegistryKey key_ = 0;
  bool open_ = false;
};

}  // namespace fendrel
