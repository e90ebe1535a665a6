// Starting the helper programs that stand for "another process" in the
// Win32 tests: they live beside the test executable. Paths and command
// lines are UTF-8 here and reach Windows as UTF-16.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "platform/handles_win.h"

namespace fendrel::testing {

// The folder of the running test executable, without a trailing backslash.
std::string ExecutableFolder();

// Runs a command line without a console window and returns its exit code,
// or a negative number when it could not start or did not end in a minute.
long RunCommandLine(std::string line);

// Runs a program from the test folder with arguments (each quoted) and
// returns its exit code, or a negative number when it could not start.
long RunTool(const std::string& tool, const std::vector<std::string>& arguments);

// The exit code of `hold_probe WHAT PATH`: 0, or the Windows error it met.
long Probe(const std::string& what, const std::string& path);

// A program running in the background, its standard input and output
// joined to pipes. Destroying it kills the process if it still runs.
class ChildProcess {
 public:
  ChildProcess(const std::string& tool, const std::vector<std::string>& arguments);
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  bool started() const { return static_cast<bool>(process_); }
  // Reads output lines until one equals `line`; false on end of output.
  bool WaitForLine(const std::string& line, std::vector<std::string>* before = nullptr);
  void CloseInput() { input_.reset(); }
  void Kill();
  // Waits for the process to end; false after `milliseconds`.
  bool WaitForExit(DWORD milliseconds);
  HANDLE process() const { return process_.get(); }

 private:
  UniqueHandle process_;
  UniqueHandle input_;
  UniqueHandle output_;
  std::string pending_;
};

}  // namespace fendrel::testing
