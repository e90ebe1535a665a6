// Saves the emergency list of a program folder as fast as it can, adding and
// removing one entry in turn, and prints "saved N" after each save that
// completed; the crash test kills it at random moments.
//   save_churn FOLDER COUNT
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/file_layer.h"
#include "platform/file_system_win.h"
#include "protection/protection.h"
#include "screen/messages.h"
#include "tests/win32/save_churn_lists_win.h"
#include "tests/win32/tools/arguments_win.h"

int main() {
  const std::vector<std::string> arguments = fendrel::testing::Arguments();
  if (arguments.size() != 2) {
    std::fprintf(stderr, "usage: save_churn FOLDER COUNT\n");
    return 87;
  }
  fendrel::Win32FileSystem system;
  fendrel::FileLayer layer(system);
  fendrel::Protection protection(layer, arguments[0]);
  const long count = std::atol(arguments[1].c_str());
  for (const std::string& entry : fendrel::testing::ChurnList(false))
    protection.Add(fendrel::ListKind::Emergency, entry);
  const std::string extra = fendrel::testing::ChurnList(true).back();
  for (long i = 1; i <= count; ++i) {
    // An add and a remove of one entry in turn, as the list page makes them.
    if (i % 2 == 1) {
      protection.Add(fendrel::ListKind::Emergency, extra);
    } else {
      protection.Remove(fendrel::ListKind::Emergency,
                        protection.EntryCount(fendrel::ListKind::Emergency) - 1);
    }
    const fendrel::ListOutcome error = protection.SaveList(fendrel::ListKind::Emergency);
    if (error != fendrel::FileError::None) {
      std::printf("failed %ld: %s\n", i, fendrel::messages::Describe(error).c_str());
      return 1;
    }
    std::printf("saved %ld\n", i);
    std::fflush(stdout);
  }
  std::printf("done\n");
  return 0;
}
