// The ON/OFF switch on the Welcome page: Fendrel is ON exactly while its
// auto-start value "Fendrel" exists under the machine-wide Run key, which
// starts it at logon with "/silent". A 32-bit Fendrel wrote its value into
// the key's 32-bit view (Software\WOW6432Node\...\Run), which Windows runs at
// logon too, so either view counts. The state lives only in the registry and
// is read anew every time.
#pragma once

#include <string>

#include "platform/message_boxes.h"
#include "platform/registry.h"
#include "screen/colours.h"

namespace fendrel {

inline constexpr const char* kRunKeyPath = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr const char* kRunValueName = "Fendrel";

// True (ON) when the value "Fendrel" exists under the Run key or its 32-bit
// view, whatever it holds (also when its data is longer than a query reads);
// false (OFF) otherwise, also when neither can be read.
bool AutoStartIsOn(RegistryApi& api);

// How the check box kOnOffSwitch looks.
struct SwitchLook {
  bool checked = false;
  std::string caption;
  Rgb colour{};
  friend bool operator==(const SwitchLook&, const SwitchLook&) = default;
};

SwitchLook LookOf(bool on);

class OnOffSwitch {
 public:
  // `programFolder` is the folder of the running executable, without a
  // trailing backslash.
  OnOffSwitch(RegistryApi& api, MessageBoxes& boxes, std::string programFolder)
      : api_(api), registry_(api), boxes_(boxes), programFolder_(std::move(programFolder)) {}

  // The Run value's data: the program folder, "\Fendrel.exe /silent", no
  // quotes.
  std::string RunCommand() const { return programFolder_ + "\\Fendrel.exe /silent"; }

  // The load step's part: when ON, writes the entry again with this
  // program's folder (a failure stays silent: the entry is there all the
  // same); when OFF, warns that Fendrel is not on. Returns the look to
  // show.
  SwitchLook ShowOnOffState();

  // The user set the check box to `checked`: writes or removes the entry,
  // says so when that failed, and returns the look of the state the
  // registry really holds afterwards.
  SwitchLook Click(bool checked);

 private:
  // ON writes this program's entry under the Run key and then removes the
  // one in the 32-bit view, so one copy starts at logon; OFF removes both.
  // The status code of the first step that failed, and in `view` the view
  // it was about (0 or kKeyWow64_32Key).
  long Apply(bool on, std::uint32_t& view);

  RegistryApi& api_;
  Registry registry_;
  MessageBoxes& boxes_;
  std::string programFolder_;
};

}  // namespace fendrel
