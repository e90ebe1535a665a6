#include "password/password_pages.h"

#include "app/messages.h"

namespace fendrel {

void PasswordPages::cmdCheckPass_Click(const std::u16string& txtCheckPass) {
  // A wrong password on the login page is ignored without a message.
  if (!store_.CheckPassword(txtCheckPass)) return;
  level_.AddAccessLevel(1);
  boxes_.Show(messages::kLoginDone, messages::kTitle);
  form_.selectframe(kWelcome, 0);
}

void PasswordPages::Command5_Click(const std::u16string& txtCreatePass,
                                   const std::u16string& txtCreatePass2) {
  // Differing or empty texts are wrong input, ignored without a message;
  // a failed save has shown its own message.
  if (txtCreatePass2 != txtCreatePass || txtCreatePass.empty()) return;
  if (!store_.SavePassword(txtCreatePass)) return;
  level_.AddAccessLevel(1);
  form_.selectframe(kWelcome, 0);
}

void PasswordPages::Command6_Click(const std::u16string& txtCurPass, const std::u16string& txtNewPass,
                                   const std::u16string& txtConPass) {
  if (!store_.CheckPassword(txtCurPass)) {
    boxes_.Show(messages::kCurrentPasswordWrong, messages::kTitle);
    return;
  }
  if (txtConPass != txtNewPass) {
    boxes_.Show(messages::kNewPasswordsDiffer, messages::kTitle);
    return;
  }
  // Two empty new texts store nothing and say nothing: the old password stays.
  store_.SavePassword(txtNewPass);
}

void PasswordPages::Command7_Click(const std::u16string& txtClose) {
  if (store_.CheckPassword(txtClose)) {
    form_.CloseProgram();
    return;
  }
  boxes_.Show(messages::kIncorrectPassword, messages::kTitle);
}

}  // namespace fendrel
