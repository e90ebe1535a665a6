#include "password/password_store.h"

#include "password/cmd5.h"
#include "platform/atomic_save.h"
#include "ui/messages.h"

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

bool PasswordStore::SavePassword(const std::u16string& password) {
  const CMD5 md5;
  if (password.empty()) return false;
  const std::string digest = md5.MD5(password);

  // The new digest is written beside the file and put in its place in one
  // step, so a failure leaves the stored password as it was.
  const std::string file = PasswordFile();
  const int number = files_.LowestFree();
  const FileError error =
      number == 0 ? FileError::NoFreeNumber : SaveAtomically(files_, number, file, {digest});
  if (error != FileError::None) {
    boxes_.Show(messages::PasswordNotSaved(file, error), messages::kTitle);
    return false;
  }
  boxes_.Show(messages::kPasswordSaved, messages::kTitleDone);
  return true;
}

bool PasswordStore::CheckPassword(const std::u16string& password) {
  const CMD5 md5;
  if (password.empty()) return false;
  // A file that cannot be opened or read holds no password to match.
  if (files_.Open(kCheckFileNumber, PasswordFile(), OpenMode::Input) != FileError::None) return false;
  std::string field;
  const FileError error = files_.ReadField(kCheckFileNumber, field, kDigestLength);
  files_.Close(kCheckFileNumber);
  if (error != FileError::None) return false;
  return field == md5.MD5(password);
}

Page PasswordStore::DeterminePassword() {
  // Any failure to open means no password is set: the New User page, silently.
  const std::string file = PasswordFile();
  if (files_.Open(kCheckFileNumber, file, OpenMode::Input) != FileError::None) return kNewUser;
  // The same field a check compares.
  std::string field;
  const FileError error = files_.ReadField(kCheckFileNumber, field, kDigestLength);
  files_.Close(kCheckFileNumber);
  if (error == FileError::None && IsDigest(field)) return kWelcome;
  boxes_.Show(messages::NoPasswordInFile(file, error), messages::kTitle);
  return kNewUser;
}

}  // namespace fendrel
