// The emergency action: hold every file of the emergency list at once, and
// "No Emergency" to release those holds again. The state lives for the run
// only and shows in which of the two buttons is enabled.
#pragma once

#include <optional>
#include <string>

#include "platform/message_boxes.h"
#include "protection/protection.h"

namespace fendrel {

class EmergencyMode {
 public:
  EmergencyMode(Protection& protection, MessageBoxes& messages)
      : protection_(protection), messages_(messages) {}

  // `Emergency`, from the "Emergency" button and the tray's "Emergency!".
  // Every entry not held now is held; entries that cannot be held are named in one
  // message after the others are held. The state turns on when at least one
  // hold was taken. The list's selection stays as the person left it.
  // A folder entry's files are held while the window goes on (the trees
  // are walked between its messages): the message waits for them, and
  // gives their counts.
  void Emergency();
  // The folders' walks are over: the message that waited for them, if any.
  void FolderWalksDone();
  // The "No Emergency" button: releases every emergency hold open now,
  // which frees their numbers for later holds.
  void NoEmergency();

  // "Emergency" is enabled when this is false, "No Emergency" when true.
  bool on() const { return protection_.emergencyOn(); }

 private:
  // The message of the last "Emergency", with the counts of its folders.
  void Report();

  Protection& protection_;
  MessageBoxes& messages_;
  std::optional<std::string> waitingReport_;  // what an "Emergency" found, until its folders are walked
};

}  // namespace fendrel
