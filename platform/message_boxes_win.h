// Message boxes on the screen: MessageBoxW with an OK button and no icon.
#pragma once

#include <windows.h>

#include "platform/message_boxes.h"

namespace fendrel {

class Win32MessageBoxes : public MessageBoxes {
 public:
  // The window the boxes are modal to; none until the main window exists.
  void SetOwner(HWND owner) { owner_ = owner; }
  void Show(const std::string& text, const std::string& title) override;

 private:
  HWND owner_ = nullptr;
};

}  // namespace fendrel
