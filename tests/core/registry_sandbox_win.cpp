// The real registry for the registry contract: a key of the test process's
// own below HKEY_CURRENT_USER.
#include <windows.h>

#include "platform/registry_api_win.h"
#include "platform/wide_text_win.h"
#include "tests/core/registry_sandbox.h"

namespace fendrel::testing {

namespace {

class RealSandbox : public RegistrySandbox {
 public:
  RealSandbox() : path_("Software\\Fendrel Test " + std::to_string(GetCurrentProcessId())) {
    HKEY created = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, path_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &created,
                        nullptr) == ERROR_SUCCESS) {
      RegCloseKey(created);
    }
  }
  ~RealSandbox() override { RegDeleteKeyA(HKEY_CURRENT_USER, path_.c_str()); }

  RegistryApi& api() override { return api_; }
  RegistryKey root() const override { return 0x80000001; }  // HKEY_CURRENT_USER
  std::string path() const override { return path_; }

  std::optional<FakeRegistry::Value> Get(const std::string& name) override {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path_.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
      return std::nullopt;
    DWORD type = 0, size = 0;
    std::optional<FakeRegistry::Value> value;
    const std::wstring wideName = Wide(name);
    if (RegQueryValueExW(key, wideName.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS) {
      std::string bytes(size, '\0');
      if (RegQueryValueExW(key, wideName.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(bytes.data()),
                           &size) == ERROR_SUCCESS) {
        bytes.resize(size);
        // Windows keeps text as UTF-16; the program's text is UTF-8.
        if (type == REG_SZ) {
          std::wstring text(bytes.size() / sizeof(wchar_t), L'\0');
          bytes.copy(reinterpret_cast<char*>(text.data()), text.size() * sizeof(wchar_t));
          bytes = FromWide(text).value_or("(not text)");
        }
        value = FakeRegistry::Value{type, bytes};
      }
    }
    RegCloseKey(key);
    return value;
  }

  std::size_t ValueCount() override {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path_.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return 0;
    DWORD values = 0;
    RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, nullptr,
                     nullptr, nullptr);
    RegCloseKey(key);
    return values;
  }

  bool KeyExists(const std::string& path) override {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
  }

 private:
  std::string path_;
  Win32RegistryApi api_;
};

}  // namespace

std::unique_ptr<RegistrySandbox> MakeRealRegistrySandbox() {
  return std::make_unique<RealSandbox>();
}

}  // namespace fendrel::testing
