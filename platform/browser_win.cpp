#include "platform/browser_win.h"

#include <windows.h>

#include <shellapi.h>

#include "platform/wide_text_win.h"

namespace fendrel {

bool Win32Browser::Open(const std::string& address) {
  // ShellExecute reports success as a value above 32.
  const auto result = reinterpret_cast<INT_PTR>(
      ShellExecuteW(nullptr, L"open", Wide(address).c_str(), nullptr, nullptr, SW_SHOWNORMAL));
  return result > 32;
}

}  // namespace fendrel
