// Every text the program shows, in one place, grouped by where it shows:
// the window around the pages, each page in menu order, the tray icon, and
// the reasons a file could not be used. Captions are named after the
// control that shows them (screen/control_ids.h); message box texts after what
// they say. Texts that name a file or a reason are functions.
//
// The texts are the program's own, typos included ("vunerable", "incase",
// "beggining"): they are kept as they are.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "lists/folder_counts.h"
#include "lists/hold_numbers.h"
#include "lists/list_outcome.h"
#include "platform/file_system.h"
#include "platform/message_boxes.h"
#include "platform/utf.h"

namespace fendrel::messages {

// Why a file could not be used, in the user's words (at the end of the file).
// Defined once in messages.cpp: every layer names outcomes, and inlined
// they were copied into each of them.
std::string Describe(FileError error);
std::string Describe(ListOutcome outcome);

// A message that names files names at most this many, one a line, then how
// many more, each name of at most kLongestNameShown characters (its start
// and its end): a drop of thousands makes no box taller than the screen.
inline constexpr std::size_t kMostFilesNamed = 10;
inline constexpr std::size_t kLongestNameShown = 100;
inline std::string ShownName(const std::string& path) {
  return ShortenedText(path, kLongestNameShown);
}
inline std::string NamedFiles(const std::vector<std::string>& lines) {
  std::string text;
  for (std::size_t i = 0; i < lines.size() && i < kMostFilesNamed; ++i) text += "\r\n" + lines[i];
  if (lines.size() > kMostFilesNamed) {
    const std::size_t more = lines.size() - kMostFilesNamed;
    text += "\r\n\xE2\x80\xA6 and " + std::to_string(more) + (more == 1 ? " more file" : " more files");
  }
  return text;
}

// ---------------------------------------------------------------------------
// Message boxes: the title of every box but two.

inline constexpr const char* kTitle = "Fendrel";
inline constexpr const char* kTitleDone = "Done.";   // "Password Saved" only
inline constexpr const char* kTitleError = "Error";  // the empty emergency list only

// ---------------------------------------------------------------------------
// The window around the pages: caption, banner, menu, the emergency buttons.

inline constexpr const char* kWindowCaption = "Fendrel";
inline std::string ProgramPathNotText(const std::string& shown) {
  return "Fendrel cannot start from this folder, because its name holds a character that is not valid "
         "text:\r\n" +
         shown + "\r\n\r\nMove Fendrel to a folder with another name and start it from there.";
}
// A second start that could not bring the running copy forward: it runs
// with administrator rights, which a start without them cannot reach.
inline constexpr const char* kAlreadyRunning =
    "Fendrel is already running, with administrator rights, so this start cannot show its window.\r\n\r\n"
    "Open it from its icon in the notification area of the taskbar (click the arrow beside the clock "
    "to see hidden icons), or start Fendrel with \"Run as administrator\".";
inline constexpr const char* kWindowNotCreated = "The main window could not be created.";
inline constexpr const char* kVersionLabel = "1.0";
inline constexpr const char* kMenuTitle = "M E N U";

// The menu items, and the caption each page shows in its frame.
inline constexpr const char* kWelcomeMenuItem = "Welcome";
inline constexpr const char* kWelcomePage = "Welcome";
inline constexpr const char* kSafeListMenuItem = "      Safe List";
inline constexpr const char* kSafeListPage = "Main";
inline constexpr const char* kEmergencyListMenuItem = "      Emergency List";
inline constexpr const char* kEmergencyListPage = "Emergency List";
inline constexpr const char* kAboutMenuItem = "About";
inline constexpr const char* kAboutPage = "About";
inline constexpr const char* kPasswordMenuItem = "Password";
inline constexpr const char* kPasswordPage = "Password";
inline constexpr const char* kNewUserMenuItem = "New User";
inline constexpr const char* kNewUserPage = "New User";
inline constexpr const char* kCloseProgramMenuItem = "CLOSE PROGRAM";
inline constexpr const char* kCloseProgramPage = "Close Program";

// A menu item the access level does not open.
inline constexpr const char* kPleaseLogin = "Please login to use this function.";

// "Emergency" (also the tray's "Emergency!") and "No Emergency".
inline constexpr const char* kEmergencyButton = "Emergency";
inline constexpr const char* kNoEmergencyButton = "No Emergency";
inline constexpr const char* kEmptyEmergencyList =
    "This button will protect all of the files in the emergency list instantly. You do not have any files in "
    "your emergency list.";

// "Emergency" while the emergency list's file cannot be read and nothing of
// it is listed: no empty list, since the file may list files.
inline std::string EmergencyListUnread(const std::string& file, ListOutcome why);
// After "Emergency" on a list whose file could not be read whole.
inline std::string ListNotReadWhole(const std::string& listName, const std::string& file, ListOutcome unread,
                                    ListOutcome because);
// What a folder entry holds: "1,200 of 1,204 files protected; 4 in use by
// another program".
inline std::string FolderHeld(const FolderCounts& counts);
// After "Emergency": the folders of the emergency list not held whole, with
// their counts, never their files' names.
struct FolderShortfall {
  std::string path;
  FolderCounts counts;
};
inline std::string EmergencyFoldersShort(const std::vector<FolderShortfall>& folders) {
  std::vector<std::string> lines;
  for (const FolderShortfall& folder : folders)
    lines.push_back(ShownName(folder.path) + ": " + FolderHeld(folder.counts));
  return "Not everything in these folders of the emergency list is protected:\r\n" + NamedFiles(lines);
}
inline std::string EmergencyHoldsFailed(const std::vector<EntryFailure>& failures, bool anyHeld) {
  std::vector<std::string> lines;
  for (const EntryFailure& failure : failures)
    lines.push_back(ShownName(failure.path) + "  (" + Describe(failure.why) + ")");
  std::string text = "Fendrel could not protect these files of the emergency list:\r\n" + NamedFiles(lines);
  text += anyHeld ? "\r\n\r\nEvery other file of the emergency list is protected."
                  : "\r\n\r\nNo file of the emergency list is protected.";
  return text;
}

// ---------------------------------------------------------------------------
// Page 0, "Welcome": the login and the ON/OFF switch.

inline constexpr const char* kWelcomeTitle = "Welcome to Fendrel";
inline constexpr const char* kLoginPrompt = "To continue, Please enter your password";
inline constexpr const char* kLoginButton = "Ok";
inline constexpr const char* kLoginDone = "Done!";

inline constexpr const char* kSwitchOn = "Fendrel is currently ON";
inline constexpr const char* kSwitchOff = "Fendrel is currently OFF";
// Shown by every start while the switch is OFF.
inline constexpr const char* kNotOn = "Fendrel is not On! Please turn it on via the welcome screen.";

// Under the switch: how many files of the safe list are protected now, each
// file counted once. It names no path, since the page shows before a login.
// A count with a comma between each three digits: "50,000".
inline std::string Counted(long long count) {
  std::string digits = std::to_string(count < 0 ? -count : count);
  for (std::size_t at = digits.size(); at > 3; at -= 3) digits.insert(at - 3, ",");
  return (count < 0 ? "-" : "") + digits;
}

// The files under folder entries count one by one.
inline std::string SafeListSummary(int held, int files) {
  if (files == 0) return "The safe list is empty.";
  if (held == files) return "All " + Counted(files) + " files on the safe list are protected.";
  return Counted(held) + " of " + Counted(files) + " files on the safe list are protected.";
}

// The summary while the safe list's file cannot be read (also the tray's
// balloon after a silent start).
inline std::string SafeListUnread(const std::string& file, ListOutcome why);
// The summary for the safe list as it stands: its file read whole, not read
// at all, or read only in part (then the files past what was read are never
// called protected).
inline std::string SafeListState(const std::string& file, ListOutcome unread, ListOutcome because, int held,
                                 int files);
inline std::string AutoStartNotChanged(bool turnOn, const std::string& entry, long status,
                                       const std::string& reason) {
  return std::string("Fendrel could not turn the auto-start ") + (turnOn ? "ON" : "OFF") +
         ": this registry value could not be " + (turnOn ? "written" : "removed") + ":\r\n" + entry +
         "\r\n\r\nThe reason: Windows error " + std::to_string(status) + " (" + reason +
         ").\r\n\r\nChanging the machine-wide auto-start needs administrator rights: start Fendrel as an "
         "administrator and try again.";
}

// ---------------------------------------------------------------------------
// Page 1, "Main": the safe list. The texts for both list pages are here.

inline constexpr const char* kSafeListNote = "Items on the safe list are always protected. ";
// What both list pages show beside their lists.
inline constexpr const char* kListFileLabel = "Select File Name";
inline constexpr const char* kListBrowseButton = "...";
inline constexpr const char* kListAddButton = ">>> Add";
inline constexpr const char* kListRemoveButton = "<<< Remove";
// The title of the file dialog the "..." buttons of both list pages open.
inline constexpr const char* kFileDialogTitle = "Select File";

inline std::string CouldNotProtect(const std::string& path, ListOutcome why) {
  return "Fendrel could not protect this file:\r\n" + path + "\r\n\r\nThe reason: " + Describe(why) +
         ".\r\n\r\nIt was not added to the safe list.";
}
inline std::string CouldNotSave(const std::string& listFile, ListOutcome why) {
  const std::string text =
      "Fendrel could not save the list to this file:\r\n" + listFile + "\r\n\r\nThe reason: " + Describe(why);
  if (why == ListReason::NotLoaded || why == ListReason::TooManyEntries || why == ListReason::NotText) {
    return text +
           ".\r\n\r\nThe file was left unchanged. The list on the screen keeps your change, and Fendrel "
           "saves it as soon as it can read the whole file.";
  }
  return text +
         ".\r\n\r\nThe list on the screen keeps your change, and the file still holds the list as it was "
         "before. Make sure the program's folder can be written, then change the list again to save it.";
}
// A name in a path box or a drop that holds half of a UTF-16 pair: no text,
// so no list can keep it (shown with U+FFFD in its place).
inline std::string NameNotText(const std::string& shown) {
  return "Fendrel cannot use this name, because it holds a character that is not valid text:\r\n" + shown +
         "\r\n\r\nNothing was added. Rename the file, then add it again.";
}
inline std::string NamesNotText(const std::vector<std::string>& shown) {
  std::string text =
      "Fendrel cannot use these names, because they hold characters that are not valid text:\r\n";
  std::vector<std::string> names;
  for (const std::string& name : shown) names.push_back(ShownName(name));
  return text + NamedFiles(names) + "\r\n\r\nThey were not added. Rename the files, then add them again.";
}
// "<<< Remove" on an entry that another copy of Fendrel removed meanwhile.
inline std::string EntryGone(const std::string& path) {
  return "This entry is no longer on the list:\r\n" + path +
         "\r\n\r\nAnother copy of Fendrel has removed it meanwhile. Nothing was changed; the list now shows "
         "what is saved.";
}
inline std::string ListFull(int maxEntries) {
  return "This list is full: it holds " + std::to_string(maxEntries) +
         " entries at most. Remove an entry before adding another.";
}

// The tooltip of a list entry whose file is not protected now.
inline constexpr const char* kProtectedOnlyAfterEmergency = "Protected only after Emergency";
inline std::string NotProtectedBecause(ListOutcome why) {
  return std::string("Not protected: ") + Describe(why) + ".";
}

// Files dropped on a list page that were not added, each with its reason
// (TooManyEntries: the list was full).
inline std::string DroppedFilesNotAdded(const std::string& listName,
                                        const std::vector<EntryFailure>& failures, bool anyAdded) {
  std::vector<std::string> lines;
  for (const EntryFailure& failure : failures) {
    lines.push_back(ShownName(failure.path) + "  (" +
                    (failure.why == ListReason::TooManyEntries ? std::string("the list is full")
                                                               : Describe(failure.why)) +
                    ")");
  }
  return "Fendrel could not add these files to the " + listName + ":\r\n" + NamedFiles(lines) +
         (anyAdded ? "\r\n\r\nEvery other file was added." : "\r\n\r\nNo file was added.");
}
inline constexpr const char* kSafeListName = "safe list";
inline constexpr const char* kEmergencyListName = "emergency list";

// ---------------------------------------------------------------------------
// Page 2, "Emergency List".

inline constexpr const char* kEmergencyListNote =
    "The files in your emergency list will not be locked until you hit the \"Emergency\" button. This is "
    "incase you notice a virus beggining to corrupt files on your computer, or you even need to go to the "
    "bathroom.";

// ---------------------------------------------------------------------------
// Page 3, "About".

inline constexpr const char* kAboutName = "Fendrel";
// The product web site, shown and opened by the link.
inline constexpr const char* kProductWebSite = "https://github.com/fendrel/fendrel";

inline std::string CouldNotOpenWebSite(const std::string& address) {
  return "Fendrel could not open a browser for this address:\r\n" + address +
         "\r\n\r\nYou can type it into your browser yourself.";
}

// ---------------------------------------------------------------------------
// Page 4, "Password": changing the password.

inline constexpr const char* kChangePasswordTitle = "Change your password.";
inline constexpr const char* kCurrentPasswordLabel = "Current Password";
inline constexpr const char* kNewPasswordLabel = "New Password";
inline constexpr const char* kConfirmPasswordLabel = "Confirm Password";
inline constexpr const char* kChangePasswordButton = "Change";
inline constexpr const char* kDigestNote = "** All passwords are stored using MD5 Encryption standards.";
inline constexpr const char* kCurrentPasswordWrong = "Your current password does not match the one given!";
inline constexpr const char* kNewPasswordsDiffer = "The new passwords do not match!";
// Also after the first password on New User; titled kTitleDone.
inline constexpr const char* kPasswordSaved = "Password Saved";

// A password typed on a page whose file could not be read: it was not compared.
inline std::string PasswordNotRead(const std::string& file, FileError why) {
  return "Fendrel could not read the password from this file:\r\n" + file +
         "\r\n\r\nThe reason: " + Describe(why) +
         ".\r\n\r\nThe password you typed was not checked. Try again in a moment.";
}
inline std::string PasswordNotSaved(const std::string& file, FileError why) {
  return "Fendrel could not save the password to this file:\r\n" + file +
         "\r\n\r\nThe reason: " + Describe(why) +
         ".\r\n\r\nNothing was stored, so the password has not changed. On Windows, writing to the system "
         "folder "
         "needs administrator rights: start Fendrel as an administrator and set the password again.";
}

// A new password (New User or Password page) with characters outside the
// ANSI code page, each named with its code, since some cannot be seen.
inline std::string PasswordCharactersRefused(const std::vector<std::u16string>& characters) {
  std::string text = "Fendrel cannot use these characters in a password:\r\n";
  for (const std::u16string& character : characters) {
    const char32_t code = character.size() == 2
                              ? 0x10000 + ((char32_t{character[0]} - 0xD800) << 10) + (character[1] - 0xDC00)
                              : char32_t{character[0]};
    char number[16];
    std::snprintf(number, sizeof number, "U+%04X", static_cast<unsigned>(code));
    std::string shown;
    text += "\r\n" + (Utf16ToUtf8(character, shown) ? shown + "  (" + number + ")" : std::string(number));
  }
  return text +
         "\r\n\r\nUse only characters of this computer's ANSI code page; the letters A to Z and a to z, the "
         "digits 0 to 9 and the punctuation of an English keyboard are always among them. Nothing was "
         "stored: "
         "the password is as it was.";
}

// ---------------------------------------------------------------------------
// Page 7, "New User": the first password and the terms of use.

// At the start, before New User is offered: the password file is there but
// holds no digest (ReadPastEnd: it is empty; None: it was read), so no
// password could be checked.
inline std::string NoPasswordInFile(const std::string& file, FileError why) {
  std::string reason =
      "its first line does not begin with the digest of a password (32 hexadecimal "
      "digits, 0 to 9 and a to f)";
  if (why == FileError::ReadPastEnd) reason = "the file is empty";
  if (why != FileError::None && why != FileError::ReadPastEnd) {
    reason = std::string("it could not be read: ") + Describe(why);
  }
  return "Fendrel found no password in this file:\r\n" + file + "\r\n\r\nThe reason: " + reason +
         ".\r\n\r\nWithout one no password can be checked, so no one could log in or close Fendrel. "
         "Set a new password on the New User page. On Windows, writing to the system folder needs "
         "administrator rights: start Fendrel as an administrator to set it.";
}

inline constexpr const char* kNewUserTitle = "Welcome to Fendrel. Please Set Your Password.";
inline constexpr const char* kCreatePasswordLabel = "Password";
inline constexpr const char* kCreateConfirmLabel = "Confirm";
inline constexpr const char* kTermsNote = "By pressing accept, you are agreeing to these terms";
inline constexpr const char* kAcceptButton = "Accept";
inline constexpr const char* kTermsOfUse =
    "Terms of use\r\n"
    "\r\n"
    "Fendrel protects a file by holding it open for reading with read-only sharing. While Fendrel runs, "
    "other programs can read the files on your safe list but cannot change or delete them. Fendrel does "
    "not encrypt, copy or back up your files, and it cannot protect them before it starts or after it "
    "ends.\r\n"
    "\r\n"
    "Files on your emergency list are protected only after you press \"Emergency\", until you press \"No "
    "Emergency\".\r\n"
    "\r\n"
    "Closing Fendrel from the Close Program page releases every protected file.\r\n"
    "\r\n"
    "Keep your password. Fendrel stores only a digest of it and cannot tell it to you again; without it "
    "the program can be ended only by signing out or restarting Windows.\r\n"
    "\r\n"
    "Fendrel is provided as is, without warranty of any kind. You use it at your own risk; its authors "
    "are not liable for lost data or any other damage that comes from its use.";

// ---------------------------------------------------------------------------
// Page 8, "Close Program".

inline constexpr const char* kCloseNote =
    "NOTE: Closing this program will cause the files in your safe list to become vunerable. If you are sure "
    "you wish to close, enter your password below then press the close button.";
inline constexpr const char* kClosePasswordLabel = "Password";
// "&&" shows as one "&".
inline constexpr const char* kCloseProgramButton = "Close Fendrel && Make Files Vunerable";
inline constexpr const char* kIncorrectPassword = "Incorrect Password";

// ---------------------------------------------------------------------------
// The tray icon: its tooltip and pop-up menu, and the caption of the hidden
// form that carries the menu.

inline constexpr const char* kTrayTip = "Fendrel";
inline constexpr const char* kTrayOpenItem = "Open Fendrel";
inline constexpr const char* kTrayEmergencyItem = "Emergency!";
inline constexpr const char* kTrayFormCaption = "Fendrel";

// ---------------------------------------------------------------------------
// The window's own handling of a click or a paint failed: told once that
// handling has stopped, naming what failed and why.

inline constexpr const char* kDrawingTheWindow = "drawing the window";
inline constexpr const char* kTheTrayIcon = "the click on the tray icon";
inline constexpr const char* kWindowRequest = "what the window was asked to do";
inline constexpr const char* kOutOfMemory = "not enough memory";
inline constexpr const char* kUnexpectedError = "an unexpected error";

inline std::string TheClickOn(const std::string& caption) {
  return "the click on \"" + caption + "\"";
}

inline std::string WindowActionFailed(const std::string& action, const std::string& reason) {
  return "Fendrel could not finish " + action + ".\r\n\r\nThe reason: " + reason +
         ".\r\n\r\nThe window is left as it was, and Fendrel goes on running.";
}

// ---------------------------------------------------------------------------
// Why a file could not be used, as the messages above name it.

inline std::string FolderHeld(const FolderCounts& counts) {
  const int files = counts.filesHeld + counts.filesNotHeld;
  std::string text = counts.whole()
                         ? "All " + Counted(files) + " files protected"
                         : Counted(counts.filesHeld) + " of " + Counted(files) + " files protected";
  if (!counts.walked) text += " so far; Fendrel is still going through the folder";
  for (const auto& [why, count] : counts.notHeldWhy) {
    text += "; " + Counted(count) + " not protected: " + Describe(why);
  }
  if (counts.foldersNotRead > 0) {
    text += "; " + Counted(counts.foldersNotRead) + (counts.foldersNotRead == 1 ? " folder" : " folders") +
            " could not be read, so their files are not protected";
  }
  return text + ".";
}

inline std::string SafeListUnread(const std::string& file, ListOutcome why) {
  return "Fendrel cannot read the safe list from " + file + " yet: " + Describe(why) +
         ". It keeps trying, and protects the files on the list as soon as it can read it.";
}

// Why a list file was read only in part, in a few words.
inline std::string WhyReadInPart(ListOutcome unread, ListOutcome because) {
  if (unread == ListReason::NotText) return "it holds bytes that are not text";
  if (unread == ListReason::TooManyEntries) return "it holds more than 32767 entries";
  return "a read failed: " + Describe(because);
}

inline std::string ListNotReadWhole(const std::string& listName, const std::string& file, ListOutcome unread,
                                    ListOutcome because) {
  return "Fendrel could not read the whole " + listName + " from " + file + " (" +
         WhyReadInPart(unread, because) +
         "), so the files listed there after what it read are not protected. Fendrel does not save over "
         "the file until it can read it whole.";
}

inline std::string SafeListState(const std::string& file, ListOutcome unread, ListOutcome because, int held,
                                 int files) {
  if (unread == FileError::None) return SafeListSummary(held, files);
  if (unread == ListReason::NotLoaded && files == 0) return SafeListUnread(file, because);
  const std::size_t name = file.find_last_of('\\');
  return (held == files ? "All " + std::to_string(files)
                        : std::to_string(held) + " of the " + std::to_string(files)) +
         " files read from the safe list are protected. The rest of " +
         (name == std::string::npos ? file : file.substr(name + 1)) + " could not be read (" +
         WhyReadInPart(unread, because) + "), so its later files are not protected.";
}

inline std::string EmergencyListUnread(const std::string& file, ListOutcome why) {
  return "Fendrel cannot read the emergency list from " + file + " now: " + Describe(why) +
         ".\r\n\r\nNo file was protected. Press \"Emergency\" again in a moment.";
}

}  // namespace fendrel::messages
