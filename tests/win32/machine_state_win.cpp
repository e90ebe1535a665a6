#include "tests/win32/machine_state_win.h"

#include <cwchar>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <utility>

#include "platform/handles_win.h"
#include "platform/wide_text_win.h"

namespace fendrel::testing {

namespace {

constexpr const wchar_t* kRunKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const wchar_t* kRunValueName = L"Fendrel";

HKEY OpenRunKey(REGSAM access) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kRunKey, 0, access, &key) != ERROR_SUCCESS) return nullptr;
  return key;
}

std::optional<std::string> ReadFileBytes(const std::string& path) {
  std::ifstream in(std::filesystem::path(Wide(path)), std::ios::binary);
  if (!in) return std::nullopt;
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(std::filesystem::path(Wide(path)), std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// A value's data as it is stored, whatever its type.
std::optional<std::pair<DWORD, std::string>> QueryRunValue(HKEY key) {
  DWORD type = 0, size = 0;
  if (RegQueryValueExW(key, kRunValueName, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  std::string data(size, '\0');
  if (RegQueryValueExW(key, kRunValueName, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size) !=
      ERROR_SUCCESS) {
    return std::nullopt;
  }
  data.resize(size);
  return std::pair{type, data};
}

}  // namespace

std::string MachineState::PasswordFile() {
  wchar_t folder[MAX_PATH] = {};
  GetSystemDirectoryW(folder, MAX_PATH);
  return Narrow(folder) + "\\satinfo.dll";
}

std::optional<std::string> MachineState::RunValue() {
  UniqueKey key(OpenRunKey(KEY_QUERY_VALUE));
  if (!key) return std::nullopt;
  const std::optional<std::pair<DWORD, std::string>> value = QueryRunValue(key.get());
  if (!value) return std::nullopt;
  // The text as UTF-16, up to its first zero.
  std::wstring text(value->second.size() / sizeof(wchar_t), L'\0');
  value->second.copy(reinterpret_cast<char*>(text.data()), text.size() * sizeof(wchar_t));
  text.resize(std::wcslen(text.c_str()));
  return Narrow(text);
}

bool MachineState::SetRunValue(const std::string& data) {
  UniqueKey key(OpenRunKey(KEY_SET_VALUE));
  const std::optional<std::wstring> text = ToWide(data);
  return key && text &&
         RegSetValueExW(key.get(), kRunValueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(text->c_str()),
                        static_cast<DWORD>((text->size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

void MachineState::DeleteRunValue() {
  UniqueKey key(OpenRunKey(KEY_SET_VALUE));
  if (key) RegDeleteValueW(key.get(), kRunValueName);
}

MachineState::MachineState() {
  password_ = ReadFileBytes(PasswordFile());
  UniqueKey key(OpenRunKey(KEY_QUERY_VALUE));
  if (!key) return;
  if (const std::optional<std::pair<DWORD, std::string>> value = QueryRunValue(key.get())) {
    run_ = Value{value->first, value->second};
  }
}

MachineState::~MachineState() {
  if (password_) {
    WriteFileBytes(PasswordFile(), *password_);
  } else {
    DeleteFileW(Wide(PasswordFile()).c_str());
  }
  UniqueKey key(OpenRunKey(KEY_SET_VALUE));
  if (!key) return;
  if (run_) {
    RegSetValueExW(key.get(), kRunValueName, 0, run_->type, reinterpret_cast<const BYTE*>(run_->data.data()),
                   static_cast<DWORD>(run_->data.size()));
  } else {
    RegDeleteValueW(key.get(), kRunValueName);
  }
}

}  // namespace fendrel::testing
