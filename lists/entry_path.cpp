#include "lists/entry_path.h"

#include <algorithm>
#include <array>

#include "platform/exact_path.h"

namespace fendrel {

namespace {

// The last name of a path as Windows matches it against the devices: up to
// its first dot or colon, without the blanks at its end, in
// upper case.
std::string DeviceMatchOf(std::string_view path) {
  const std::size_t separator = path.find_last_of("\\/");
  std::string_view name = separator == std::string_view::npos ? path : path.substr(separator + 1);
  name = name.substr(0, name.find_first_of(".:"));
  while (!name.empty() && name.back() == ' ') name.remove_suffix(1);
  std::string upper(name);
  for (char& c : upper) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return upper;
}

bool IsDeviceName(const std::string& name) {
  static constexpr std::array<std::string_view, 6> kDevices = {"CON", "PRN",    "AUX",
                                                               "NUL", "CONIN$", "CONOUT$"};
  if (std::find(kDevices.begin(), kDevices.end(), name) != kDevices.end()) return true;
  if (name.size() < 4 || (name.compare(0, 3, "COM") != 0 && name.compare(0, 3, "LPT") != 0)) return false;
  // COM0 to COM9, and the superscript ones Windows also reserves.
  const std::string_view number = std::string_view(name).substr(3);
  return (number.size() == 1 && number[0] >= '0' && number[0] <= '9') || number == "\xC2\xB9" ||
         number == "\xC2\xB2" || number == "\xC2\xB3";
}

}  // namespace

ListOutcome EntryPathRefusal(std::string_view path) {
  const bool deviceForm = path.size() >= 4 && (path[0] == '\\' || path[0] == '/') &&
                          (path[1] == '\\' || path[1] == '/') && path[2] == '.' &&
                          (path[3] == '\\' || path[3] == '/');
  if (deviceForm || IsDeviceName(DeviceMatchOf(path))) return ListReason::NamesDevice;
  if (IsRelativePath(path)) return ListReason::NotAbsolute;
  return FileError::None;
}

}  // namespace fendrel
