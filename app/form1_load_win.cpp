// Form1's load step (screen/load_step.h), run once when the window is made:
// hide when silent, the password, the switch, the lists and their mirror;
// after a silent start, a safe list that could not be read is told from
// the tray.
#include "app/form1_win.h"
#include "password/password_store.h"
#include "platform/start_steps.h"
#include "protection/protection.h"
#include "screen/messages.h"

namespace fendrel {

void Form1::Load() {
  if (loaded_) return;
  loaded_ = true;
  const StartStep step("the load step");
  RunLoadStep(*this, silent_);
  // After a silent start, the person learns from the tray that the safe
  // list could not be read, or not whole.
  const ListOutcome unread = protection_.unread(ListKind::Safe);
  if (!silent_ || unread == FileError::None) return;
  const ListOutcome because = protection_.unreadBecause(ListKind::Safe);
  tray_.ShowBalloon(
      messages::kTitle,
      unread == ListReason::NotLoaded && protection_.EntryCount(ListKind::Safe) == 0
          ? messages::SafeListUnread(protection_.SafeListFile(), because)
          : messages::ListNotReadWhole(messages::kSafeListName, protection_.SafeListFile(), unread, because));
}

void Form1::DeterminePassword() {
  const StartStep step("the password");
  SelectPage(passwords_.DeterminePassword(), 1);
}

void Form1::ShowOnOffState() {
  const StartStep step("the switch");
  switchBox_.ShowOnOffState();
}

void Form1::LoadLists() {
  protection_.LoadLists();
}

}  // namespace fendrel
