// The ON/OFF switch on the Welcome page: Fendrel is ON exactly while its
// auto-start value "Fendrel" exists under the machine-wide Run key, which
// starts it at logon with "/silent". The state lives only in the registry
// and is read anew every time.
#pragma once

#include <string>

#include "platform/message_boxes.h"
#include "platform/registry.h"
#include "screen/colours.h"

namespace fendrel {

inline constexpr const char* kRunKeyPath = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr const char* kRunValueName = "Fendrel";

// True (ON) when the value "Fendrel" exists under the Run key, whatever it
// holds (also when its data is longer than a query reads); false (OFF)
// otherwise, also when the key cannot be read.
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
  // Writes or removes the entry; the status code.
  long Apply(bool on);

  RegistryApi& api_;
  Registry registry_;
  MessageBoxes& boxes_;
  std::string programFolder_;
};

}  // namespace fendrel
