#include "password/password_pages.h"

#include "screen/messages.h"

namespace fendrel {

void PasswordPages::OnLogin(const std::u16string& kLoginPasswordBox) {
  // A wrong password on the login page is ignored without a message; a
  // password file that could not be read has said so.
  if (store_.Check(kLoginPasswordBox) != PasswordStore::PasswordCheck::Matches) return;
  level_.AddAccessLevel(1);
  boxes_.Show(messages::kLoginDone, messages::kTitle);
  form_.SelectPage(kWelcome, 0);
}

void PasswordPages::OnAcceptNewPassword(const std::u16string& kCreatePasswordBox,
                                        const std::u16string& kCreateConfirmBox) {
  // Differing or empty texts are wrong input, ignored without a message;
  // a failed save has shown its own message.
  if (kCreateConfirmBox != kCreatePasswordBox || kCreatePasswordBox.empty()) return;
  if (!store_.SavePassword(kCreatePasswordBox)) return;
  level_.AddAccessLevel(1);
  form_.SelectPage(kWelcome, 0);
}

void PasswordPages::OnChangePassword(const std::u16string& kCurrentPasswordBox,
                                     const std::u16string& kNewPasswordBox,
                                     const std::u16string& kConfirmPasswordBox) {
  if (const PasswordStore::PasswordCheck check = store_.Check(kCurrentPasswordBox);
      check != PasswordStore::PasswordCheck::Matches) {
    if (check == PasswordStore::PasswordCheck::Wrong)
      boxes_.Show(messages::kCurrentPasswordWrong, messages::kTitle);
    return;
  }
  if (kConfirmPasswordBox != kNewPasswordBox) {
    boxes_.Show(messages::kNewPasswordsDiffer, messages::kTitle);
    return;
  }
  // Two empty new texts store nothing and say nothing: the old password stays.
  store_.SavePassword(kNewPasswordBox);
}

void PasswordPages::OnCloseProgram(const std::u16string& kClosePasswordBox) {
  const PasswordStore::PasswordCheck check = store_.Check(kClosePasswordBox);
  if (check == PasswordStore::PasswordCheck::Matches) {
    form_.CloseProgram();
    return;
  }
  if (check == PasswordStore::PasswordCheck::Wrong)
    boxes_.Show(messages::kIncorrectPassword, messages::kTitle);
}

}  // namespace fendrel
