// The real registry, through RegOpenKeyExW and its companions.
#pragma once

#include "platform/registry_api.h"

namespace fendrel {

class Win32RegistryApi : public RegistryApi {
 public:
  long OpenKey(RegistryKey root, const std::string& path, std::uint32_t access, RegistryKey& key) override;
  long QueryValue(RegistryKey key, const std::string& name, std::uint32_t& type, std::string& data,
                  std::uint32_t capacity) override;
  long SetValue(RegistryKey key, const std::string& name, std::uint32_t type,
                const std::string& bytes) override;
  long DeleteValue(RegistryKey key, const std::string& name) override;
  long CloseKey(RegistryKey key) override;
  std::string Describe(long status) override;
};

}  // namespace fendrel
