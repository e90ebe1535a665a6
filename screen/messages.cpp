#include "screen/messages.h"

namespace fendrel::messages {

std::string Describe(FileError error) {
  switch (error) {
    case FileError::None: return "no error";
    case FileError::BadFileNumber: return "the file number is outside 1 to 511";
    case FileError::FileNumberInUse: return "the file number is already in use";
    case FileError::NotOpen: return "the file is not open";
    case FileError::WrongMode: return "the file is not open for this kind of access";
    case FileError::NotFound: return "the file or its folder does not exist";
    case FileError::IsFolder: return "it is a folder, not a file";
    case FileError::SharingViolation: return "another program (or Fendrel itself) is using it";
    case FileError::AccessDenied: return "access is denied";
    case FileError::DiskFull: return "the disk is full";
    case FileError::ReadPastEnd: return "the end of the file was reached";
    case FileError::NameTooLong:
      return "the path is too long (Windows allows 32767 characters, and 255 in each name)";
    case FileError::NoResources: return "the system has no room for another open file now";
    case FileError::Other: break;
  }
  return "an unexpected error occurred";
}

std::string Describe(ListOutcome outcome) {
  if (!outcome.isReason()) return Describe(outcome.error());
  switch (outcome.reason()) {
    case ListReason::NoFreeHoldNumber:
      return "Fendrel already holds " + std::to_string(kMostHoldsAtOnce) +
             " files, the most it can hold at the same time";
    case ListReason::NotLoaded:
      return "the file could not be read whole yet, so saving over it would lose the entries it holds; "
             "Fendrel reads it as soon as it can";
    case ListReason::TooManyEntries:
      return "the file holds more entries than Fendrel can show (32767 at most), so saving over it would "
             "lose "
             "the entries past them";
    case ListReason::NotText:
      return "it holds bytes that are not valid UTF-8 or UTF-16 text, so Fendrel listed only the entries "
             "before them and saving over it would lose the rest; save the file again as UTF-8 in a text "
             "editor, then start Fendrel again";
    case ListReason::Waiting:
      return "it lies on a network drive that has not answered yet; Fendrel protects it as soon as the drive "
             "answers";
    case ListReason::NotAbsolute:
      return "the path does not begin with a drive or a network share (such as C:\\ or \\\\server\\share\\), "
             "so it would name a file in whatever folder Fendrel was started from";
    case ListReason::NamesDevice: return "it names a device (such as NUL, CON or COM1), not a file";
    case ListReason::DriveRoot:
      return "it is a whole drive; holding every file on it would stop Windows and your programs from "
             "working. List the folders you want protected instead";
    case ListReason::WindowsFolder:
      return "it is the Windows folder or a folder in it, which Windows must be able to change";
    case ListReason::ProgramFolder:
      return "it holds Fendrel itself and its lists, which Fendrel must be able to change";
    case ListReason::OwnListFile:
      return "it is one of Fendrel's own list files, which Fendrel must be able to save";
    case ListReason::FolderLimit:
      return "Fendrel already holds " + Counted(kMostFolderFiles) +
             " files under folders, the most it holds; remove a folder to protect others";
  }
  return "an unexpected error occurred";
}

}  // namespace fendrel::messages
