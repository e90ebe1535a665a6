#include "platform/registry_api_win.h"

#include <windows.h>

#include "platform/wide_text_win.h"

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
  const std::optional<std::wstring> widePath = ToWide(path);
  if (!widePath) return ERROR_INVALID_PARAMETER;
  const LONG status = RegOpenKeyExW(ToHkey(root), widePath->c_str(), 0, access, &opened);
  key = status == ERROR_SUCCESS ? static_cast<RegistryKey>(reinterpret_cast<ULONG_PTR>(opened)) : 0;
  return status;
}

long Win32RegistryApi::QueryValue(RegistryKey key, const std::string& name, std::uint32_t& type,
                                  std::string& data, std::uint32_t capacity) {
  const std::optional<std::wstring> wideName = ToWide(name);
  if (!wideName) return ERROR_INVALID_PARAMETER;
  std::string raw(capacity, '\0');
  DWORD valueType = 0;
  DWORD size = capacity;
  const LONG status = RegQueryValueExW(ToHkey(key), wideName->c_str(), nullptr, &valueType,
                                       reinterpret_cast<BYTE*>(raw.data()), &size);
  type = valueType;
  raw.resize(status == ERROR_SUCCESS && size <= capacity ? size : 0);
  data = raw;
  // Text comes as UTF-16; the program reads it as UTF-8.
  if (status == ERROR_SUCCESS && (valueType == REG_SZ || valueType == REG_EXPAND_SZ)) {
    std::wstring text(raw.size() / sizeof(wchar_t), L'\0');
    raw.copy(reinterpret_cast<char*>(text.data()), text.size() * sizeof(wchar_t));
    std::string utf8 = Narrow(text);
    data = utf8;
  }
  return status;
}

long Win32RegistryApi::SetValue(RegistryKey key, const std::string& name, std::uint32_t type,
                                const std::string& bytes) {
  const std::optional<std::wstring> wideName = ToWide(name);
  if (!wideName) return ERROR_INVALID_PARAMETER;
  if (type == REG_SZ || type == REG_EXPAND_SZ) {
    // The program's text is UTF-8 (with its NUL); Windows keeps UTF-16.
    const std::optional<std::wstring> text = ToWide(bytes);
    if (!text) return ERROR_INVALID_PARAMETER;
    return RegSetValueExW(ToHkey(key), wideName->c_str(), 0, type,
                          reinterpret_cast<const BYTE*>(text->data()),
                          static_cast<DWORD>(text->size() * sizeof(wchar_t)));
  }
  return RegSetValueExW(ToHkey(key), wideName->c_str(), 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                        static_cast<DWORD>(bytes.size()));
}

long Win32RegistryApi::DeleteValue(RegistryKey key, const std::string& name) {
  const std::optional<std::wstring> wideName = ToWide(name);
  if (!wideName) return ERROR_INVALID_PARAMETER;
  return RegDeleteValueW(ToHkey(key), wideName->c_str());
}

long Win32RegistryApi::CloseKey(RegistryKey key) {
  return RegCloseKey(ToHkey(key));
}

std::string Win32RegistryApi::Describe(long status) {
  wchar_t text[512] = {};
  const DWORD length =
      FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                     static_cast<DWORD>(status), 0, text, static_cast<DWORD>(std::size(text)), nullptr);
  std::string described = Narrow(std::wstring_view(text, length));
  while (!described.empty() && (described.back() == '\r' || described.back() == '\n' ||
                                described.back() == ' ' || described.back() == '.')) {
    described.pop_back();
  }
  return described.empty() ? "no description" : described;
}

}  // namespace fendrel
