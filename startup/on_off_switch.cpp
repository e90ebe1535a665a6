#include "startup/on_off_switch.h"

#include "screen/messages.h"

namespace fendrel {

namespace {
// A query reads at most this many bytes of the value's data.
constexpr std::uint32_t kQueryCapacity = 255;
}  // namespace

bool AutoStartIsOn(RegistryApi& api) {
  OpenRegistryKey key(api);
  if (key.Open(kHkeyLocalMachine, kRunKeyPath, kKeyRead) != kErrorSuccess) return false;
  std::uint32_t type = 0;
  std::string data;
  const long status = api.QueryValue(key.get(), kRunValueName, type, data, kQueryCapacity);
  // Data too long for the query still means the value exists.
  return status == kErrorSuccess || status == kErrorMoreData;
}

SwitchLook LookOf(bool on) {
  if (on) return {true, messages::kSwitchOn, kOnGreen};
  return {false, messages::kSwitchOff, kOffRed};
}

long OnOffSwitch::Apply(bool on) {
  if (on)
    return registry_.RegWriteSetting(kHkeyLocalMachine, kRunKeyPath, kRunValueName, RunCommand(), kRegSz);
  return registry_.RegRemoveSetting(kHkeyLocalMachine, kRunKeyPath, kRunValueName);
}

SwitchLook OnOffSwitch::ShowOnOffState() {
  // Every start in the ON state writes the entry again, so a moved program
  // starts from its new folder. A failed re-write stays silent: the entry
  // that made the state ON is still there.
  if (AutoStartIsOn(api_)) Apply(true);
  const bool on = AutoStartIsOn(api_);
  if (!on) boxes_.Show(messages::kNotOn, messages::kTitle);
  return LookOf(on);
}

SwitchLook OnOffSwitch::Click(bool checked) {
  if (const long status = Apply(checked); status != kErrorSuccess) {
    const std::string entry = std::string("HKEY_LOCAL_MACHINE\\") + kRunKeyPath + "\\" + kRunValueName;
    boxes_.Show(messages::AutoStartNotChanged(checked, entry, status, api_.Describe(status)),
                messages::kTitle);
  }
  return LookOf(AutoStartIsOn(api_));
}

}  // namespace fendrel
