// The two packages as a user meets them, in a Wine prefix made for the run
// by scripts/test-packages.sh, which also unpacks the portable ZIP: the ZIP
// started from a folder with a blank, and the installer's silent install,
// the logon start of the installed program, and the silent uninstall.
#include <gtest/gtest.h>
#include <windows.h>

#include <shlobj.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "password/cmd5.h"
#include "screen/control_ids.h"
#include "screen/messages.h"
#include "tests/core/test_support.h"
#include "tests/win32/e2e_driver_win.h"
#include "tests/win32/machine_state_win.h"
#include "tests/win32/process_support_win.h"

namespace fendrel {
namespace {

using testing::Exists;
using testing::ExpectHeld;
using testing::FendrelApp;
using testing::MachineState;
using testing::MakeFile;
using testing::ReadBytes;
using testing::TempFolder;
using testing::WaitFor;
using testing::WriteBytes;

constexpr const char* kUninstallKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Fendrel";
constexpr DWORD kUninstallTimeoutMs = 60000;

// A path the script hands over in an environment variable.
std::string Given(const char* variable) {
  const char* value = std::getenv(variable);
  return value ? value : "";
}

std::string ShellFolder(int csidl) {
  char path[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path))) return {};
  return path;
}

std::string FolderOf(const std::string& path) {
  return path.substr(0, path.find_last_of('\\'));
}

std::optional<std::string> UninstallValue(const char* name) {
  char data[1024] = {};
  DWORD size = sizeof data;
  if (RegGetValueA(HKEY_LOCAL_MACHINE, kUninstallKey, name, RRF_RT_REG_SZ, nullptr, data, &size) !=
      ERROR_SUCCESS) {
    return std::nullopt;
  }
  return std::string(data);
}

// The program a shortcut starts, read as the shell reads it.
std::string ShortcutTarget(const std::string& link) {
  std::string target;
  if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return target;
  IShellLinkA* shellLink = nullptr;
  if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                 reinterpret_cast<void**>(&shellLink)))) {
    IPersistFile* file = nullptr;
    if (SUCCEEDED(shellLink->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
      const std::wstring wide(link.begin(), link.end());
      char path[MAX_PATH] = {};
      if (SUCCEEDED(file->Load(wide.c_str(), STGM_READ)) &&
          SUCCEEDED(shellLink->GetPath(path, MAX_PATH, nullptr, 0))) {
        target = path;
      }
      file->Release();
    }
    shellLink->Release();
  }
  CoUninitialize();
  return target;
}

// Runs the registered uninstall command with /S, as a silent uninstall from
// Apps and Features would, and waits until it is done. The uninstaller
// starts a copy of itself from the temporary folder and ends at once, so
// the wait is for every process in a job. False when it did not end in time.
bool RunUninstaller(const std::string& uninstallString) {
  UniqueHandle job(CreateJobObjectA(nullptr, nullptr));
  std::string line = uninstallString + " /S";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!job || !CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr,
                              nullptr, &startup, &info)) {
    ADD_FAILURE() << "cannot start " << line << " (error " << GetLastError() << ")";
    return false;
  }
  UniqueHandle process(info.hProcess);
  UniqueHandle thread(info.hThread);
  if (!AssignProcessToJobObject(job.get(), process.get())) {
    ADD_FAILURE() << "cannot put the uninstaller in a job (error " << GetLastError() << ")";
    TerminateProcess(process.get(), 1);
    return false;
  }
  ResumeThread(thread.get());
  return WaitFor(
      [&] {
        JOBOBJECT_BASIC_ACCOUNTING_INFORMATION accounting{};
        return QueryInformationJobObject(job.get(), JobObjectBasicAccountingInformation, &accounting,
                                         sizeof accounting, nullptr) &&
               accounting.ActiveProcesses == 0;
      },
      "the uninstaller and its copy to end", kUninstallTimeoutMs);
}

TEST(PortableZipTest, UnpackedIntoAFolderWithABlankItStartsAndHoldsItsSafeList) {
  const std::string program = Given("FENDREL_PORTABLE_PROGRAM");
  ASSERT_FALSE(program.empty()) << "FENDREL_PORTABLE_PROGRAM is not set: run scripts/test-packages.sh";
  const std::string folder = FolderOf(program);
  ASSERT_NE(std::string::npos, folder.find(' ')) << folder;
  ASSERT_TRUE(Exists(program)) << program;

  TempFolder files;
  const std::string guarded = MakeFile(files, "guarded.txt");
  WriteBytes(folder + "\\prot.dat", guarded + "\r\n");
  FendrelApp app(testing::ProgramIn{folder});
  app.Start();
  // No auto-start entry on this machine: the warning comes before the lists are read.
  EXPECT_EQ(messages::kNotOn, app.AnswerBox().text);
  ASSERT_TRUE(app.WaitMainWindowVisible(true));
  EXPECT_EQ(std::vector<std::string>{guarded}, app.ListItems(ctl::kSafeListBox));
  ExpectHeld(guarded);
}

TEST(InstallerTest, SilentInstallThenLogonStartThenUninstallKeepingTheLists) {
  const std::string installer = Given("FENDREL_INSTALLER");
  ASSERT_FALSE(installer.empty()) << "FENDREL_INSTALLER is not set: run scripts/test-packages.sh";
  const std::string folder = ShellFolder(CSIDL_PROGRAM_FILES) + "\\Fendrel";
  const std::string program = folder + "\\Fendrel.exe";
  const std::string uninstaller = folder + "\\Uninstall.exe";
  ASSERT_FALSE(Exists(program)) << "Fendrel is installed already: this test needs a fresh Wine prefix";

  // The silent install puts the program, the shortcut and the uninstall entry in place.
  ASSERT_EQ(0, testing::RunCommandLine("\"" + installer + "\" /S")) << installer;
  for (const char* name : {"Fendrel.exe", "Uninstall.exe", "README.md", "INSTALL-NOTE.txt"}) {
    EXPECT_TRUE(Exists(folder + "\\" + name)) << name;
  }
  EXPECT_EQ("Fendrel", UninstallValue("DisplayName").value_or("(none)"));
  EXPECT_TRUE(UninstallValue("DisplayVersion")) << "no DisplayVersion";
  EXPECT_TRUE(UninstallValue("Publisher")) << "no Publisher";
  EXPECT_EQ(program, UninstallValue("DisplayIcon").value_or("(none)"));
  const std::string uninstallString = UninstallValue("UninstallString").value_or("(none)");
  EXPECT_EQ("\"" + uninstaller + "\"", uninstallString);
  const std::string shortcut = ShellFolder(CSIDL_COMMON_PROGRAMS) + "\\" +
                               UninstallValue("StartMenu").value_or("(none)") + "\\Fendrel.lnk";
  EXPECT_EQ(program, ShortcutTarget(shortcut)) << shortcut;
  ASSERT_FALSE(HasFailure()) << "the install is not complete";

  // A returning user with the switch ON: a password, a safe list and an
  // emergency list, and the Run value as the program writes it.
  TempFolder files;
  const std::string guarded = MakeFile(files, "guarded.txt");
  const std::string safeList = guarded + "\r\n", emergencyList = files.File("later.txt") + "\r\n";
  WriteBytes(folder + "\\prot.dat", safeList);
  WriteBytes(folder + "\\emer.dat", emergencyList);
  const std::string password = CMD5().MD5(u"s3cret") + "\r\n";
  WriteBytes(MachineState::PasswordFile(), password);
  const std::string runLine = program + " /silent";
  ASSERT_TRUE(MachineState::SetRunValue(runLine));

  // The logon start: the Run value's line exactly, unquoted. It is a silent
  // start (the window comes up minimized, with no box) that holds the safe
  // list and writes the same Run value again.
  FendrelApp app(testing::ProgramIn{folder});
  app.StartWithCommandLine(runLine);
  EXPECT_TRUE(WaitFor([&] { return app.MainWindowVisible() && IsIconic(app.MainWindow()); },
                      "the window shown minimized, as a silent start shows it"));
  EXPECT_TRUE(app.NoBoxOpen());
  ExpectHeld(guarded);
  EXPECT_EQ(runLine, MachineState::RunValue().value_or("(none)"));

  // An uninstall while Fendrel runs stops before it removes anything.
  ASSERT_TRUE(RunUninstaller(uninstallString));
  EXPECT_TRUE(Exists(program));
  EXPECT_TRUE(Exists(uninstaller));
  EXPECT_TRUE(Exists(shortcut));
  EXPECT_TRUE(UninstallValue("UninstallString")) << "the uninstall entry went while Fendrel ran";
  EXPECT_EQ(runLine, MachineState::RunValue().value_or("(none)"));
  ExpectHeld(guarded);

  // So does an install over it, which cannot replace the running program.
  EXPECT_NE(0, testing::RunCommandLine("\"" + installer + "\" /S")) << "an install over a running Fendrel";
  EXPECT_TRUE(Exists(program));
  EXPECT_TRUE(app.Running());
  EXPECT_TRUE(UninstallValue("UninstallString")) << "the uninstall entry went while Fendrel ran";

  // Once Fendrel has ended, the uninstall removes the program, the shortcut,
  // the uninstall entry and the Run value, and keeps the lists and the password.
  app.Kill();
  ASSERT_TRUE(RunUninstaller(uninstallString));
  for (const char* name : {"Fendrel.exe", "Uninstall.exe", "README.md", "INSTALL-NOTE.txt"}) {
    EXPECT_FALSE(Exists(folder + "\\" + name)) << name;
  }
  EXPECT_FALSE(Exists(shortcut));
  EXPECT_FALSE(UninstallValue("UninstallString")) << "the uninstall entry is still there";
  EXPECT_FALSE(MachineState::RunValue()) << "the Run value is still there";
  EXPECT_EQ(safeList, ReadBytes(folder + "\\prot.dat"));
  EXPECT_EQ(emergencyList, ReadBytes(folder + "\\emer.dat"));
  EXPECT_EQ(password, ReadBytes(MachineState::PasswordFile()));
}

TEST(InstallerTest, AnUninstallKeepsTheRunValueOfAnotherCopy) {
  const std::string installer = Given("FENDREL_INSTALLER");
  const std::string portable = Given("FENDREL_PORTABLE_PROGRAM");
  ASSERT_FALSE(installer.empty() || portable.empty())
      << "FENDREL_INSTALLER or FENDREL_PORTABLE_PROGRAM is not set: run scripts/test-packages.sh";
  const std::string folder = ShellFolder(CSIDL_PROGRAM_FILES) + "\\Fendrel";
  ASSERT_FALSE(Exists(folder + "\\Fendrel.exe"))
      << "Fendrel is installed already: this test needs a fresh Wine prefix";
  const MachineState keep;  // the Run value goes back to what it was

  ASSERT_EQ(0, testing::RunCommandLine("\"" + installer + "\" /S")) << installer;
  const std::string uninstallString = UninstallValue("UninstallString").value_or("(none)");
  // The portable copy was the last to turn the switch ON: the value starts it, not the installed copy.
  const std::string otherCopy = portable + " /silent";
  ASSERT_TRUE(MachineState::SetRunValue(otherCopy));

  ASSERT_TRUE(RunUninstaller(uninstallString));
  EXPECT_FALSE(Exists(folder + "\\Fendrel.exe")) << "the uninstall did not run";
  EXPECT_EQ(otherCopy, MachineState::RunValue().value_or("(none)"));
}

}  // namespace
}  // namespace fendrel
