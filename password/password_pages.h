// The buttons of the four password pages: login on Welcome, the first
// password on New User, a new password on Password, and the end of the
// program on Close Program. Each takes the texts of its page's boxes.
#pragma once

#include <string>

#include "password/password_store.h"
#include "platform/message_boxes.h"
#include "screen/form1_actions.h"
#include "screen/navigation.h"

namespace fendrel {

class PasswordPages {
 public:
  PasswordPages(PasswordStore& store, AccessLevel& level, MessageBoxes& boxes, Form1Actions& form)
      : store_(store), level_(level), boxes_(boxes), form_(form) {}

  // "Ok" on Welcome: a right password raises the level by 1, says "Done!"
  // and shows Welcome again; a wrong one does nothing.
  void OnLogin(const std::u16string& kLoginPasswordBox);

  // "Accept" on New User: two equal, non-empty texts store the password;
  // once it is stored the level rises by 1 and Welcome is shown. Differing
  // or empty texts, or a password that could not be stored, leave the page
  // as it is.
  void OnAcceptNewPassword(const std::u16string& kCreatePasswordBox, const std::u16string& kCreateConfirmBox);

  // "Change" on Password: the current password first, then the two new
  // texts must agree; the page stays and the level does not change.
  void OnChangePassword(const std::u16string& kCurrentPasswordBox, const std::u16string& kNewPasswordBox,
                        const std::u16string& kConfirmPasswordBox);

  // "Close Fendrel && Make Files Vunerable": the right password ends the
  // program; a wrong one says "Incorrect Password".
  void OnCloseProgram(const std::u16string& kClosePasswordBox);

 private:
  PasswordStore& store_;
  AccessLevel& level_;
  MessageBoxes& boxes_;
  Form1Actions& form_;
};

}  // namespace fendrel
