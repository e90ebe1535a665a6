#include "platform/registry.h"

#include <charconv>

namespace fendrel {

namespace {

std::string AsText(const RegistryValue& value) {
  if (const auto* text = std::get_if<std::string>(&value)) return *text;
  return std::to_string(std::get<std::int32_t>(value));
}

bool AsNumber(const RegistryValue& value, std::int32_t& number) {
  if (const auto* given = std::get_if<std::int32_t>(&value)) {
    number = *given;
    return true;
  }
  const std::string& text = std::get<std::string>(value);
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
  return error == std::errc() && end == text.data() + text.size() && !text.empty();
}

}  // namespace

long Registry::RegWriteTyped(RegistryKey key, const std::string& valueName, std::uint32_t type,
                             const RegistryValue& value) {
  if (type == kRegSz) {
    std::string bytes = AsText(value);
    bytes.push_back('\0');
    return api_.SetValue(key, valueName, kRegSz, bytes);
  }
  if (type == kRegDword) {
    std::int32_t number = 0;
    if (!AsNumber(value, number)) return kErrorInvalidParameter;
    const auto bits = static_cast<std::uint32_t>(number);
    std::string bytes(4, '\0');
    for (int i = 0; i < 4; ++i)
      bytes[static_cast<std::size_t>(i)] = static_cast<char>((bits >> (8 * i)) & 0xFF);
    return api_.SetValue(key, valueName, kRegDword, bytes);
  }
  return kErrorInvalidParameter;
}

long Registry::RegWriteSetting(RegistryKey root, const std::string& keyPath, const std::string& valueName,
                               const RegistryValue& value, std::uint32_t type, std::uint32_t view) {
  OpenRegistryKey key(api_);
  if (const long status = key.Open(root, keyPath, kKeyAllAccess | view); status != kErrorSuccess)
    return status;
  return RegWriteTyped(key.get(), valueName, type, value);
}

long Registry::RegRemoveSetting(RegistryKey root, const std::string& keyPath, const std::string& valueName,
                                std::uint32_t view) {
  OpenRegistryKey key(api_);
  long status = key.Open(root, keyPath, kKeyAllAccess | view);
  if (status == kErrorSuccess) status = api_.DeleteValue(key.get(), valueName);
  return status == kErrorFileNotFound ? kErrorSuccess : status;
}

}  // namespace fendrel
