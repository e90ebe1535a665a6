// The emergency action: hold every file of the emergency list at once, and
// "No Emergency" to release those holds again. The state lives for the run
// only and shows in which of the two buttons is enabled.
#pragma once

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
  void Emergency();
  // The "No Emergency" button: releases every emergency hold open now,
  // which frees their numbers for later holds.
  void NoEmergency();

  // "Emergency" is enabled when this is false, "No Emergency" when true.
  bool on() const { return protection_.emergencyOn(); }

 private:
  Protection& protection_;
  MessageBoxes& messages_;
};

}  // namespace fendrel
