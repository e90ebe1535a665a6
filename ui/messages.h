// Every text the program shows in a message box, in one place.
#pragma once

namespace fendrel::messages {

// Titles.
inline constexpr const char* kTitle = "Fendrel";
inline constexpr const char* kTitleDone = "Done.";
inline constexpr const char* kTitleError = "Error";

// Navigation.
inline constexpr const char* kPleaseLogin = "Please login to use this function.";

// The list pages: the title of the file dialog their "..." buttons open.
inline constexpr const char* kFileDialogTitle = "Select File";

// Emergency mode.
inline constexpr const char* kEmptyEmergencyList =
    "This button will protect all of the files in the emergency list instantly. You do not have any files in "
    "your emergency list.";

// Password pages.
inline constexpr const char* kLoginDone = "Done!";
inline constexpr const char* kPasswordSaved = "Password Saved";
inline constexpr const char* kCurrentPasswordWrong = "Your current password does not match the one given!";
inline constexpr const char* kNewPasswordsDiffer = "The new passwords do not match!";
inline constexpr const char* kIncorrectPassword = "Incorrect Password";

// ON/OFF switch.
inline constexpr const char* kNotOn = "Fendrel is not On! Please turn it on via the welcome screen.";
inline constexpr const char* kSwitchOn = "Fendrel is currently ON";
inline constexpr const char* kSwitchOff = "Fendrel is currently OFF";

}  // namespace fendrel::messages

// Texts that name a file and the reason something failed.
#include <string>
#include <vector>

#include "platform/file_system.h"

namespace fendrel::messages {

inline std::string CouldNotProtect(const std::string& path, FileError why) {
  return "Fendrel could not protect this file:\r\n" + path + "\r\n\r\nThe reason: " + Describe(why) +
         ".\r\n\r\nIt was not added to the safe list.";
}

inline std::string CouldNotSave(const std::string& listFile, FileError why) {
  const std::string text =
      "Fendrel could not save the list to this file:\r\n" + listFile + "\r\n\r\nThe reason: " + Describe(why);
  if (why == FileError::NotLoaded || why == FileError::TooManyEntries) {
    return text +
           ".\r\n\r\nThe file was left unchanged. The list on the screen keeps your change until Fendrel "
           "ends, "
           "but the next start reads the list from the file again.";
  }
  return text +
         ".\r\n\r\nThe list on the screen keeps your change, and the file still holds the list as it was "
         "before. Make sure the program's folder can be written, then change the list again to save it.";
}

inline std::string ListFull(int maxEntries) {
  return "This list is full: it holds " + std::to_string(maxEntries) +
         " entries at most. Remove an entry before adding another.";
}

inline std::string EmergencyHoldsFailed(const std::vector<FileFailure>& failures, bool anyHeld) {
  std::string text = "Fendrel could not protect these files of the emergency list:\r\n";
  for (const FileFailure& failure : failures)
    text += "\r\n" + failure.path + "  (" + Describe(failure.why) + ")";
  text += anyHeld ? "\r\n\r\nEvery other file of the emergency list is protected."
                  : "\r\n\r\nNo file of the emergency list is protected.";
  return text;
}

}  // namespace fendrel::messages

// Texts of the password store and the ON/OFF switch that name what failed.
#include <string>

#include "platform/file_system.h"

namespace fendrel::messages {

inline std::string PasswordNotSaved(const std::string& file, FileError why) {
  return "Fendrel could not save the password to this file:\r\n" + file +
         "\r\n\r\nThe reason: " + Describe(why) +
         ".\r\n\r\nNothing was stored, so the password has not changed. On Windows, writing to the system "
         "folder "
         "needs administrator rights: start Fendrel as an administrator and set the password again.";
}

inline std::string AutoStartNotChanged(bool turnOn, const std::string& entry, long status,
                                       const std::string& reason) {
  return std::string("Fendrel could not turn the auto-start ") + (turnOn ? "ON" : "OFF") +
         ": this registry value could not be " + (turnOn ? "written" : "removed") + ":\r\n" + entry +
         "\r\n\r\nThe reason: Windows error " + std::to_string(status) + " (" + reason +
         ").\r\n\r\nChanging the machine-wide auto-start needs administrator rights: start Fendrel as an "
         "administrator and try again.";
}

}  // namespace fendrel::messages

namespace fendrel::messages {

inline std::string CouldNotOpenWebSite(const std::string& address) {
  return "Fendrel could not open a browser for this address:\r\n" + address +
         "\r\n\r\nYou can type it into your browser yourself.";
}

}  // namespace fendrel::messages
