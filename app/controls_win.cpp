#include "app/controls_win.h"

#include "platform/wide_text_win.h"

namespace fendrel {

std::wstring ControlWindow::Text() const {
  if (!hwnd_) return {};
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(hwnd_)) + 1, L'\0');
  const int length = GetWindowTextW(hwnd_, text.data(), static_cast<int>(text.size()));
  text.resize(static_cast<std::size_t>(length > 0 ? length : 0));
  return text;
}

void ControlWindow::SetText(const std::string& text) const {
  if (!hwnd_) return;
  SetWindowTextW(hwnd_, Wide(text).c_str());
  InvalidateRect(hwnd_, nullptr, TRUE);
}

void ControlWindow::Enable(bool enabled) const {
  if (hwnd_) EnableWindow(hwnd_, enabled ? TRUE : FALSE);
}

bool CheckBox::IsChecked() const {
  return hwnd() && SendMessageW(hwnd(), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void CheckBox::SetChecked(bool checked) const {
  if (!hwnd() || IsChecked() == checked) return;
  ShowChecked(checked);
  SendMessageW(GetParent(hwnd()), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(hwnd()), BN_CLICKED),
               reinterpret_cast<LPARAM>(hwnd()));
}

void CheckBox::ShowChecked(bool checked) const {
  if (hwnd()) SendMessageW(hwnd(), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

}  // namespace fendrel
