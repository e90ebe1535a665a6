// The one password, kept as its MD5 digest in "satinfo.dll" in the Windows
// system folder: storing a new one, checking a typed one, and choosing the
// first page by whether a password is set. A 32-bit build of Fendrel wrote
// the file into the 32-bit system folder (SysWOW64); while the system folder
// holds none, that file is the password.
#pragma once

#include <string>
#include <vector>

#include "platform/file_layer.h"
#include "platform/message_boxes.h"
#include "platform/system_folder.h"
#include "screen/navigation.h"

namespace fendrel {

class PasswordStore {
 public:
  PasswordStore(FileLayer& files, SystemFolder& folder, MessageBoxes& boxes)
      : files_(files), folder_(folder), boxes_(boxes) {}

  // The system folder followed by "\satinfo.dll": where a password is saved.
  std::string PasswordFile();

  // Stores the digest of a non-empty password and shows "Password Saved".
  // The file is replaced whole only after the new one was written; when it
  // cannot be written a message says which file and why, and nothing
  // changes. A password with characters outside the ANSI code page of the
  // file system is refused with a message that names them. True only when
  // the digest was stored; the empty text is refused silently.
  bool SavePassword(const std::u16string& password);

  // Checks and the first page read PasswordFile(), or, when that file does
  // not exist, the same name in the 32-bit system folder.

  // True when the digest of the typed password, as the ANSI code page keeps
  // it (CodePage::ThroughAnsi), is the first 32 characters of the file's
  // first field (case counted; nothing past them is read), so a password
  // typed into the old ANSI boxes still opens. The empty text, and a file
  // that is missing, empty or unreadable, never match.
  bool CheckPassword(const std::u16string& password) { return Check(password) == PasswordCheck::Matches; }
  // The same, telling a file that exists but could not be read (another
  // program holds it, no access, a read that failed) from a wrong password:
  // then a message names the file and the reason, since the password typed
  // was never compared.
  enum class PasswordCheck { Matches, Wrong, Unreadable };
  PasswordCheck Check(const std::u16string& password);

  // The first page: Welcome when the password file holds a digest (its first
  // field begins with 32 lowercase hexadecimal digits), New User otherwise.
  // A file that cannot be opened is no password set, as at a first start;
  // a file that opens but holds no digest would match no password, so no
  // one could log in or close the program: a message names it first. The
  // window shows the page with the access check overridden.
  Page DeterminePassword();

 private:
  // Each character of the password that the code page lacks, once, in order.
  std::vector<std::u16string> OutsideCodePage(const std::u16string& password);
  // Opens the stored password for input under the check's file number:
  // PasswordFile(), or the 32-bit system folder's file when PasswordFile()
  // does not exist. `file` is the file the result is about.
  FileError OpenStored(std::string& file);

  FileLayer& files_;
  SystemFolder& folder_;
  MessageBoxes& boxes_;
};

}  // namespace fendrel
