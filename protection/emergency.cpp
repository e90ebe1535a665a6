#include "protection/emergency.h"

#include "screen/messages.h"

namespace fendrel {

void EmergencyMode::Emergency() {
  // Entries another copy of Fendrel listed meanwhile are protected too.
  protection_.TakeInListFile(ListKind::Emergency);
  const ListOutcome unread = protection_.unread(ListKind::Emergency);
  if (protection_.EntryCount(ListKind::Emergency) == 0) {
    // A file that could not be read is no empty list: it may list files.
    messages_.Show(unread == ListReason::NotLoaded
                       ? messages::EmergencyListUnread(protection_.EmergencyListFile(),
                                                       protection_.unreadBecause(ListKind::Emergency))
                       : messages::kEmptyEmergencyList,
                   unread == ListReason::NotLoaded ? messages::kTitle : messages::kTitleError);
    return;
  }
  const Protection::EmergencyHolding holding = protection_.HoldEmergencyList();
  std::string text;
  if (!holding.failures.empty()) text = messages::EmergencyHoldsFailed(holding.failures, holding.anyHeld);
  if (unread != FileError::None) {
    text += (text.empty() ? "" : "\r\n\r\n") +
            messages::ListNotReadWhole(messages::kEmergencyListName, protection_.EmergencyListFile(), unread,
                                       protection_.unreadBecause(ListKind::Emergency));
  }
  waitingReport_ = std::move(text);
  if (!protection_.FolderWalksPending()) Report();
}

void EmergencyMode::FolderWalksDone() {
  if (waitingReport_ && !protection_.FolderWalksPending()) Report();
}

void EmergencyMode::Report() {
  std::string text = std::move(*waitingReport_);
  waitingReport_.reset();
  std::vector<messages::FolderShortfall> folders;
  for (int i = 0; i < protection_.EntryCount(ListKind::Emergency); ++i) {
    const std::optional<FolderCounts> counts =
        protection_.FolderCountsOf(ListKind::Emergency, static_cast<std::size_t>(i));
    if (counts && !counts->whole()) folders.push_back({protection_.Path(ListKind::Emergency, i), *counts});
  }
  if (!folders.empty()) text += (text.empty() ? "" : "\r\n\r\n") + messages::EmergencyFoldersShort(folders);
  if (!text.empty()) messages_.Show(text, messages::kTitle);
}

void EmergencyMode::NoEmergency() {
  waitingReport_.reset();  // nothing is held for it to tell of
  protection_.ReleaseEmergencyHolds();
}

}  // namespace fendrel
