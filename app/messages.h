// Every text the program shows in a message box, in one place.
#pragma once

namespace fendrel::messages {

// Titles.
inline constexpr const char* kTitle = "Fendrel";
inline constexpr const char* kTitleDone = "Done.";
inline constexpr const char* kTitleError = "Error";

// Navigation.
inline constexpr const char* kPleaseLogin = "Please login to use this function.";

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
