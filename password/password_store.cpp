#include "password/password_store.h"

#include <algorithm>

#include "password/cmd5.h"
#include "platform/atomic_save.h"
#include "platform/utf.h"
#include "screen/messages.h"

namespace fendrel {

namespace {
// Checks and the first-run test use file number 1; holds start at 99.
constexpr int kCheckFileNumber = 1;
constexpr std::size_t kDigestLength = 32;

// What SavePassword writes and a check can match: 32 lowercase hexadecimal
// digits.
bool IsDigest(const std::string& text) {
  if (text.size() != kDigestLength) return false;
  for (const char c : text) {
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
  }
  return true;
}
}  // namespace

std::string PasswordStore::PasswordFile() {
  return folder_.GetDataFolder(kCsidlSystem) + "\\satinfo.dll";
}

FileError PasswordStore::OpenStored(std::string& file) {
  file = PasswordFile();
  const FileError error = files_.Open(kCheckFileNumber, file, OpenMode::Input);
  if (error != FileError::NotFound) return error;
  // Only a file that is not there gives way: one that is there but cannot be
  // read is still the password, as a 64-bit Fendrel saved it last.
  const std::string x86Folder = folder_.GetDataFolder(kCsidlSystemX86);
  if (x86Folder.empty()) return error;
  const std::string x86File = x86Folder + "\\satinfo.dll";
  if (x86File == file) return error;  // Windows without a 32-bit side
  file = x86File;
  return files_.Open(kCheckFileNumber, file, OpenMode::Input);
}

std::vector<std::u16string> PasswordStore::OutsideCodePage(const std::u16string& password) {
  const CodePage& ansi = files_.files().AnsiCodePage();
  std::vector<std::u16string> refused;
  for (std::size_t at = 0; at < password.size();) {
    // A surrogate pair is one character; a lone surrogate is one too, and
    // never in a code page.
    const bool pair = password[at] >= 0xD800 && password[at] <= 0xDBFF && at + 1 < password.size() &&
                      password[at + 1] >= 0xDC00 && password[at + 1] <= 0xDFFF;
    const std::u16string character = password.substr(at, pair ? 2 : 1);
    at += character.size();
    std::string utf8;
    const bool fits = Utf16ToUtf8(character, utf8) && ansi.FromUtf8Exactly(utf8);
    if (!fits && std::find(refused.begin(), refused.end(), character) == refused.end())
      refused.push_back(character);
  }
  return refused;
}

bool PasswordStore::SavePassword(const std::u16string& password) {
  const CMD5 md5;
  if (password.empty()) return false;
  // A check digests the typed text as the code page keeps it, so a password
  // with characters outside the code page could never be typed again.
  if (const std::vector<std::u16string> refused = OutsideCodePage(password); !refused.empty()) {
    boxes_.Show(messages::PasswordCharactersRefused(refused), messages::kTitle);
    return false;
  }
  const std::string digest = md5.MD5(password);

  // The new digest is written beside the file and put in its place in one
  // step, so a failure leaves the stored password as it was.
  const std::string file = PasswordFile();
  const int number = files_.LowestFree();
  // Never written in place: a cut file would hold no password, and the next
  // start would offer the New User page to anyone.
  const FileError error = number == 0 ? FileError::FileNumberInUse
                                      : SaveAtomically(files_, number, file, {digest}, InPlace::Refused);
  if (error != FileError::None) {
    boxes_.Show(messages::PasswordNotSaved(file, error), messages::kTitle);
    return false;
  }
  boxes_.Show(messages::kPasswordSaved, messages::kTitleDone);
  return true;
}

PasswordStore::PasswordCheck PasswordStore::Check(const std::u16string& password) {
  const CMD5 md5;
  if (password.empty()) return PasswordCheck::Wrong;
  // A missing file (or a folder in its place, or an empty file) holds no
  // password to match; one that cannot be read was never compared, which
  // the person is told.
  std::string file;
  FileError error = OpenStored(file);
  std::string field;
  if (error == FileError::None) {
    error = files_.ReadField(kCheckFileNumber, field, kDigestLength);
    files_.Close(kCheckFileNumber);
  }
  if (error == FileError::NotFound || error == FileError::IsFolder || error == FileError::ReadPastEnd)
    return PasswordCheck::Wrong;
  if (error != FileError::None) {
    boxes_.Show(messages::PasswordNotRead(file, error), messages::kTitle);
    return PasswordCheck::Unreadable;
  }
  // The old password boxes kept only what the ANSI code page holds (best
  // fit, else "?"), and the stored digest is of that text: "пароль" was
  // stored as "??????" and opens as such.
  return field == md5.MD5(files_.files().AnsiCodePage().ThroughAnsi(password)) ? PasswordCheck::Matches
                                                                               : PasswordCheck::Wrong;
}

Page PasswordStore::DeterminePassword() {
  // Any failure to open means no password is set: the New User page, silently.
  std::string file;
  if (OpenStored(file) != FileError::None) return kNewUser;
  // The same field a check compares.
  std::string field;
  const FileError error = files_.ReadField(kCheckFileNumber, field, kDigestLength);
  files_.Close(kCheckFileNumber);
  if (error == FileError::None && IsDigest(field)) return kWelcome;
  boxes_.Show(messages::NoPasswordInFile(file, error), messages::kTitle);
  return kNewUser;
}

}  // namespace fendrel
