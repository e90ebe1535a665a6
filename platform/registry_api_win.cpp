#include "platform/registry_api_win.h"

#include <windows.h>

namespace fendrel {

namespace {

// The predefined roots are 32-bit values that Windows sign-extends into a
// handle; an opened key's handle is passed through as it is.
HKEY ToHkey(RegistryKey key) {
  if (key >= 0x80000000u && key <= 0x800000FFu) {
    return reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(static_cast<LONG>(static_cast<DWORD>(key))));
  }
  return reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(key));
}

}  // namespace

long Win32RegistryApi::OpenKey(RegistryKey root, const std::string& path, std::uint32_t access,
                               RegistryKey& key) {
  HKEY opened = nullptr;
  const LONG status = RegOpenKeyExA(ToHkey(root), path.c_str(), 0, access, &opened);
  key = status == ERROR_SUCCESS ? static_cast<RegistryKey>(reinterpret_cast<ULONG_PTR>(opened)) : 0;
  return status;
}

long Win32RegistryApi::QueryValue(RegistryKey key, const std::string& name, std::uint32_t& type,
                                  std::string& data, std::uint32_t capacity) {
  data.assign(capacity, '\0');
  DWORD valueType = 0;
  DWORD size = capacity;
  const LONG status = RegQueryValueExA(ToHkey(key), name.c_str(), nullptr, &valueType,
                                       reinterpret_cast<BYTE*>(data.data()), &size);
  type = valueType;
  data.resize(status == ERROR_SUCCESS && size <= capacity ? size : 0);
  return status;
}

long Win32RegistryApi::SetValue(RegistryKey key, const std::string& name, std::uint32_t type,
                                const std::string& bytes) {
  return RegSetValueExA(ToHkey(key), name.c_str(), 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                        static_cast<DWORD>(bytes.size()));
}

long Win32RegistryApi::DeleteValue(RegistryKey key, const std::string& name) {
  return RegDeleteValueA(ToHkey(key), name.c_str());
}

long Win32RegistryApi::CloseKey(RegistryKey key) {
  return RegCloseKey(ToHkey(key));
}

std::string Win32RegistryApi::Describe(long status) {
  char text[512] = {};
  const DWORD length =
      FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                     static_cast<DWORD>(status), 0, text, static_cast<DWORD>(std::size(text)), nullptr);
  std::string described(text, length);
  while (!described.empty() && (described.back() == '\r' || described.back() == '\n' ||
                                described.back() == ' ' || described.back() == '.')) {
    described.pop_back();
  }
  return described.empty() ? "no description" : described;
}

}  // namespace fendrel
