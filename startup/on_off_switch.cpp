#include "startup/on_off_switch.h"

#include "screen/messages.h"

namespace fendrel {

namespace {
// A query reads at most this many bytes of the value's data.
constexpr std::uint32_t kQueryCapacity = 255;
constexpr std::uint32_t kOwnView = 0;

bool ValueExists(RegistryApi& api, std::uint32_t view) {
  OpenRegistryKey key(api);
  if (key.Open(kHkeyLocalMachine, kRunKeyPath, kKeyRead | view) != kErrorSuccess) return false;
  std::uint32_t type = 0;
  std::string data;
  const long status = api.QueryValue(key.get(), kRunValueName, type, data, kQueryCapacity);
  // Data too long for the query still means the value exists.
  return status == kErrorSuccess || status == kErrorMoreData;
}

// The entry as the registry editor names it.
std::string EntryName(std::uint32_t view) {
  const std::string path = kRunKeyPath;
  const std::string software = "Software\\";
  return "HKEY_LOCAL_MACHINE\\" +
         (view == kOwnView ? path : software + "WOW6432Node\\" + path.substr(software.size())) + "\\" +
         kRunValueName;
}
}  // namespace

bool AutoStartIsOn(RegistryApi& api) {
  return ValueExists(api, kOwnView) || ValueExists(api, kKeyWow64_32Key);
}

SwitchLook LookOf(bool on) {
  if (on) return {true, messages::kSwitchOn, kOnGreen};
  return {false, messages::kSwitchOff, kOffRed};
}

long OnOffSwitch::Apply(bool on, std::uint32_t& view) {
  view = kOwnView;
  if (on) {
    long status =
        registry_.RegWriteSetting(kHkeyLocalMachine, kRunKeyPath, kRunValueName, RunCommand(), kRegSz);
    if (status != kErrorSuccess || !ValueExists(api_, kKeyWow64_32Key)) return status;
    view = kKeyWow64_32Key;
    status = registry_.RegRemoveSetting(kHkeyLocalMachine, kRunKeyPath, kRunValueName, kKeyWow64_32Key);
    // Where the 32-bit view is the key itself, that removed this program's
    // own entry: it is written again.
    if (status == kErrorSuccess && !ValueExists(api_, kOwnView)) {
      view = kOwnView;
      status = registry_.RegWriteSetting(kHkeyLocalMachine, kRunKeyPath, kRunValueName, RunCommand(), kRegSz);
    }
    return status;
  }
  // Both are tried; the first failure is told.
  const long own = registry_.RegRemoveSetting(kHkeyLocalMachine, kRunKeyPath, kRunValueName);
  const long x86 = registry_.RegRemoveSetting(kHkeyLocalMachine, kRunKeyPath, kRunValueName, kKeyWow64_32Key);
  if (own != kErrorSuccess) return own;
  if (x86 != kErrorSuccess) view = kKeyWow64_32Key;
  return x86;
}

SwitchLook OnOffSwitch::ShowOnOffState() {
  // Every start in the ON state writes the entry again, so a moved program
  // starts from its new folder (and a 32-bit copy's entry gives way to it).
  // A failed re-write stays silent: the entry that made the state ON is
  // still there.
  std::uint32_t view = kOwnView;
  if (AutoStartIsOn(api_)) Apply(true, view);
  const bool on = AutoStartIsOn(api_);
  if (!on) boxes_.Show(messages::kNotOn, messages::kTitle);
  return LookOf(on);
}

SwitchLook OnOffSwitch::Click(bool checked) {
  std::uint32_t view = kOwnView;
  if (const long status = Apply(checked, view); status != kErrorSuccess) {
    boxes_.Show(messages::AutoStartNotChanged(checked, EntryName(view), status, api_.Describe(status)),
                messages::kTitle);
  }
  return LookOf(AutoStartIsOn(api_));
}

}  // namespace fendrel
