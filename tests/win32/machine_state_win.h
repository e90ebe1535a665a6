// The password file and the auto-start value are machine-wide. Tests and the
// benchmark that change them keep what was there and put it back: this does
// both, keeping at its making and restoring when it goes.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace fendrel::testing {

class MachineState {
 public:
  MachineState();
  ~MachineState();
  MachineState(const MachineState&) = delete;
  MachineState& operator=(const MachineState&) = delete;

  // GetSystemDirectoryW() + "\satinfo.dll".
  static std::string PasswordFile();
  // The Run value "Fendrel" as text, if there is one.
  static std::optional<std::string> RunValue();
  // Sets the Run value "Fendrel" as REG_SZ; false when that failed.
  static bool SetRunValue(const std::string& data);
  static void DeleteRunValue();

 private:
  struct Value {
    DWORD type;
    std::string data;
  };
  std::optional<std::string> password_;
  std::optional<Value> run_;
};

}  // namespace fendrel::testing
