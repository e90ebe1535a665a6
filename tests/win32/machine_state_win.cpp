#include "tests/win32/machine_state_win.h"

#include <fstream>
#include <iterator>

#include "platform/handles_win.h"

namespace fendrel::testing {

namespace {

constexpr const char* kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const char* kRunValueName = "Fendrel";

HKEY OpenRunKey(REGSAM access) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kRunKey, 0, access, &key) != ERROR_SUCCESS) return nullptr;
  return key;
}

std::optional<std::string> ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace

std::string MachineState::PasswordFile() {
  char folder[MAX_PATH] = {};
  GetSystemDirectoryA(folder, MAX_PATH);
  return std::string(folder) + "\\satinfo.dll";
}

std::optional<std::string> MachineState::RunValue() {
  UniqueKey key(OpenRunKey(KEY_QUERY_VALUE));
  if (!key) return std::nullopt;
  DWORD size = 0;
  if (RegQueryValueExA(key.get(), kRunValueName, nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  std::string data(size, '\0');
  if (RegQueryValueExA(key.get(), kRunValueName, nullptr, nullptr, reinterpret_cast<BYTE*>(data.data()),
                       &size) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  data.resize(size);
  if (!data.empty() && data.back() == '\0') data.pop_back();
  return data;
}

bool MachineState::SetRunValue(const std::string& data) {
  UniqueKey key(OpenRunKey(KEY_SET_VALUE));
  return key &&
         RegSetValueExA(key.get(), kRunValueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                        static_cast<DWORD>(data.size() + 1)) == ERROR_SUCCESS;
}

void MachineState::DeleteRunValue() {
  UniqueKey key(OpenRunKey(KEY_SET_VALUE));
  if (key) RegDeleteValueA(key.get(), kRunValueName);
}

MachineState::MachineState() {
  password_ = ReadFileBytes(PasswordFile());
  UniqueKey key(OpenRunKey(KEY_QUERY_VALUE));
  DWORD type = 0, size = 0;
  if (key && RegQueryValueExA(key.get(), kRunValueName, nullptr, &type, nullptr, &size) == ERROR_SUCCESS) {
    Value value{type, std::string(size, '\0')};
    if (RegQueryValueExA(key.get(), kRunValueName, nullptr, &type, reinterpret_cast<BYTE*>(value.data.data()),
                         &size) == ERROR_SUCCESS) {
      value.data.resize(size);
      run_ = value;
    }
  }
}

MachineState::~MachineState() {
  if (password_) {
    WriteFileBytes(PasswordFile(), *password_);
  } else {
    DeleteFileA(PasswordFile().c_str());
  }
  UniqueKey key(OpenRunKey(KEY_SET_VALUE));
  if (!key) return;
  if (run_) {
    RegSetValueExA(key.get(), kRunValueName, 0, run_->type, reinterpret_cast<const BYTE*>(run_->data.data()),
                   static_cast<DWORD>(run_->data.size()));
  } else {
    RegDeleteValueA(key.get(), kRunValueName);
  }
}

}  // namespace fendrel::testing
