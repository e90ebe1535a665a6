#include "tests/win32/process_support_win.h"

#include "platform/wide_text_win.h"

namespace fendrel::testing {

namespace {

std::string CommandLine(const std::string& program, const std::vector<std::string>& arguments) {
  std::string line = "\"" + program + "\"";
  for (const std::string& argument : arguments) line += " \"" + argument + "\"";
  return line;
}

}  // namespace

std::string ExecutableFolder() {
  std::wstring path(32768, L'\0');
  path.resize(GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size())));
  const std::string folder = Narrow(path);
  return folder.substr(0, folder.find_last_of('\\'));
}

long RunCommandLine(std::string line) {
  std::optional<std::wstring> wide = ToWide(line);
  if (!wide) return -1;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(nullptr, wide->data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr,
                      &startup, &info)) {
    return -1;
  }
  UniqueHandle process(info.hProcess);
  UniqueHandle thread(info.hThread);
  if (WaitForSingleObject(process.get(), 60000) != WAIT_OBJECT_0) return -2;
  DWORD code = 0;
  GetExitCodeProcess(process.get(), &code);
  return static_cast<long>(code);
}

long RunTool(const std::string& tool, const std::vector<std::string>& arguments) {
  return RunCommandLine(CommandLine(ExecutableFolder() + "\\" + tool + ".exe", arguments));
}

long Probe(const std::string& what, const std::string& path) {
  // A probe that did not run, or ended without its answer (seen once in a
  // long loaded run under Wine), is started once more: its answer is the
  // point, not the start.
  const long answer = RunTool("hold_probe", {what, path});
  return answer < 0 ? RunTool("hold_probe", {what, path}) : answer;
}

ChildProcess::ChildProcess(const std::string& tool, const std::vector<std::string>& arguments) {
  SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  HANDLE childInput = nullptr, ourInput = nullptr, ourOutput = nullptr, childOutput = nullptr;
  if (!CreatePipe(&childInput, &ourInput, &inherit, 0)) return;
  UniqueHandle childIn(childInput);
  input_ = UniqueHandle(ourInput);
  if (!CreatePipe(&ourOutput, &childOutput, &inherit, 0)) return;
  UniqueHandle childOut(childOutput);
  output_ = UniqueHandle(ourOutput);
  SetHandleInformation(ourInput, HANDLE_FLAG_INHERIT, 0);
  SetHandleInformation(ourOutput, HANDLE_FLAG_INHERIT, 0);

  const std::string program = ExecutableFolder() + "\\" + tool + ".exe";
  std::optional<std::wstring> line = ToWide(CommandLine(program, arguments));
  const std::optional<std::wstring> programName = ToWide(program);
  if (!line || !programName) return;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = childIn.get();
  startup.hStdOutput = childOut.get();
  startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(programName->c_str(), line->data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                      nullptr, &startup, &info)) {
    return;
  }
  process_ = UniqueHandle(info.hProcess);
  CloseHandle(info.hThread);
}

ChildProcess::~ChildProcess() {
  Kill();
}

bool ChildProcess::WaitForLine(const std::string& wanted, std::vector<std::string>* before) {
  for (;;) {
    for (std::size_t end; (end = pending_.find('\n')) != std::string::npos;) {
      std::string line = pending_.substr(0, end);
      pending_.erase(0, end + 1);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (line == wanted) return true;
      if (before) before->push_back(line);
    }
    char buffer[256];
    DWORD read = 0;
    if (!output_ || !ReadFile(output_.get(), buffer, sizeof buffer, &read, nullptr) || read == 0)
      return false;
    pending_.append(buffer, read);
  }
}

void ChildProcess::Kill() {
  if (process_ && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT) {
    TerminateProcess(process_.get(), 1);
    WaitForSingleObject(process_.get(), 10000);
  }
}

bool ChildProcess::WaitForExit(DWORD milliseconds) {
  return process_ && WaitForSingleObject(process_.get(), milliseconds) == WAIT_OBJECT_0;
}

}  // namespace fendrel::testing
