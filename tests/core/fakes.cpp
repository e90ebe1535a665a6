#include "tests/core/fakes.h"

#include <cctype>

namespace fendrel::testing {

namespace {
constexpr long kErrorAccessDenied = 5;
constexpr long kErrorInvalidHandle = 6;
constexpr std::uint32_t kKeySetValue = 0x2;

std::string Folded(const std::string& text) {
  std::string folded = text;
  for (char& c : folded) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return folded;
}
}  // namespace

void RecordingMessageBoxes::Show(const std::string& text, const std::string& title) {
  shown.push_back({text, title});
  if (log_) log_->push_back("box " + title + ": " + text);
}

void RecordingForm1Actions::SelectPage(int pageIndex, std::int16_t override) {
  framesSelected.emplace_back(pageIndex, override);
  if (log_)
    log_->push_back("selectframe(" + std::to_string(pageIndex) + ", " + std::to_string(override) + ")");
}

void RecordingForm1Actions::CloseProgram() {
  ++closeCalls;
  if (log_) log_->push_back("CloseProgram");
}

std::ostream& operator<<(std::ostream& out, const FakeRegistry::Value& value) {
  static constexpr char kDigits[] = "0123456789abcdef";
  out << "type " << value.type << " \"";
  for (const char c : value.bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte < 0x7f && byte != '\\') {
      out << c;
    } else {
      out << "\\x" << kDigits[byte >> 4] << kDigits[byte & 0xF];
    }
  }
  return out << '"';
}

FakeRegistry::KeyName FakeRegistry::Name(RegistryKey root, const std::string& path) {
  return {root, Folded(path)};
}

void FakeRegistry::AddKey(RegistryKey root, const std::string& path) {
  keys_[Name(root, path)];
}

bool FakeRegistry::HasKey(RegistryKey root, const std::string& path) const {
  return keys_.count(Name(root, path)) != 0;
}

void FakeRegistry::Put(RegistryKey root, const std::string& path, const std::string& name, Value value) {
  keys_[Name(root, path)][Folded(name)] = std::move(value);
}

std::optional<FakeRegistry::Value> FakeRegistry::Get(RegistryKey root, const std::string& path,
                                                     const std::string& name) const {
  const auto key = keys_.find(Name(root, path));
  if (key == keys_.end()) return std::nullopt;
  const auto value = key->second.find(Folded(name));
  if (value == key->second.end()) return std::nullopt;
  return value->second;
}

std::size_t FakeRegistry::ValueCount(RegistryKey root, const std::string& path) const {
  const auto key = keys_.find(Name(root, path));
  return key == keys_.end() ? 0 : key->second.size();
}

long FakeRegistry::OpenKey(RegistryKey root, const std::string& path, std::uint32_t access,
                           RegistryKey& key) {
  accessAsked.push_back(access);
  key = 0;
  if (failOpen != 0) return failOpen;
  if (failOpenForChange != 0 && (access & kKeySetValue) != 0) return failOpenForChange;
  std::string seen = path;
  const std::string software = "software\\";
  if ((access & kKeyWow64_32Key) != 0 && !oneView && root == kHkeyLocalMachine &&
      Folded(path).rfind(software, 0) == 0) {
    seen.insert(software.size(), "WOW6432Node\\");
  }
  if (!HasKey(root, seen)) return kErrorFileNotFound;
  key = nextHandle_++;
  handles_[key] = {Name(root, seen), access};
  return kErrorSuccess;
}

long FakeRegistry::QueryValue(RegistryKey key, const std::string& name, std::uint32_t& type,
                              std::string& data, std::uint32_t capacity) {
  data.clear();
  const auto handle = handles_.find(key);
  if (handle == handles_.end()) return kErrorInvalidHandle;
  const auto& values = keys_[handle->second.key];
  const auto value = values.find(Folded(name));
  if (value == values.end()) return kErrorFileNotFound;
  type = value->second.type;
  if (value->second.bytes.size() > capacity) return kErrorMoreData;
  data = value->second.bytes;
  return kErrorSuccess;
}

long FakeRegistry::SetValue(RegistryKey key, const std::string& name, std::uint32_t type,
                            const std::string& bytes) {
  const auto handle = handles_.find(key);
  if (handle == handles_.end()) return kErrorInvalidHandle;
  if ((handle->second.access & kKeySetValue) == 0) return kErrorAccessDenied;
  if (failSet != 0) return failSet;
  keys_[handle->second.key][Folded(name)] = {type, bytes};
  return kErrorSuccess;
}

long FakeRegistry::DeleteValue(RegistryKey key, const std::string& name) {
  const auto handle = handles_.find(key);
  if (handle == handles_.end()) return kErrorInvalidHandle;
  if ((handle->second.access & kKeySetValue) == 0) return kErrorAccessDenied;
  if (failDelete != 0) return failDelete;
  return keys_[handle->second.key].erase(Folded(name)) != 0 ? kErrorSuccess : kErrorFileNotFound;
}

long FakeRegistry::CloseKey(RegistryKey key) {
  return handles_.erase(key) != 0 ? kErrorSuccess : kErrorInvalidHandle;
}

}  // namespace fendrel::testing
