// A soak of the real Fendrel.exe, driven from this process as a person would
// use it over a long run: 1,000 page switches, 1,000 add/remove pairs on the
// safe list through its buttons, and 200 "Emergency"/"No Emergency" cycles.
// Before, between and after, it reads the program's handle count, its GDI
// and USER objects, its windows and its private memory, beside a second copy
// started at the same time that sits idle for the same length.
//
// It prints one table. It is not a test: nothing passes or fails on a
// figure; it exits non-zero only when the program misbehaved (a message box,
// a file not held, a list that did not come back to its length) or a
// figure could not be read.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "bench/bench_files_win.h"
#include "platform/handles_win.h"
#include "screen/control_ids.h"
#include "tests/win32/machine_state_win.h"
#include "tests/win32/process_windows_win.h"

namespace {

using fendrel::UniqueHandle;
using fendrel::bench::DeleteTree;
using fendrel::bench::ExecutableFolder;
using fendrel::bench::Held;
using fendrel::bench::WriteBytes;
using fendrel::testing::ClassOf;
using fendrel::testing::Descendants;
using fendrel::testing::ProcessOf;
using fendrel::testing::TopLevelWindows;
namespace ctl = fendrel::ctl;

constexpr int kPageSwitches = 1000;
constexpr int kAddRemovePairs = 1000;
constexpr int kEmergencyCycles = 200;
constexpr int kSafeFiles = 3;
constexpr int kEmergencyFiles = 10;
constexpr int kAddedFiles = 10;  // the adds take turns over these
// The pages a logged-in person can open, in the order the soak visits them.
constexpr int kPagesVisited[] = {1, 2, 3, 4, 8, 0};
constexpr DWORD kWaitMs = 10000;  // the longest any wait for the program lasts

constexpr const char* kPassword = "a";
constexpr const char* kPasswordDigest = "0cc175b9c0f1b6a831c399e269772661";  // MD5 of "a"
constexpr const char* kFendrelClass = "FendrelForm1";
constexpr int kMessageBoxTextId = 0xFFFF;

// ------------------------------------------------------------------ problems

std::vector<std::string> problems;

// Where the handle counts came from, for the note under the table.
const char* handleSource = "";

void Problem(const std::string& what) {
  std::fprintf(stderr, "problem: %s\n", what.c_str());
  problems.push_back(what);
}

// ------------------------------------------------------------------ files

std::string Lines(const std::vector<std::string>& paths) {
  std::string text;
  for (const std::string& path : paths) text += path + "\r\n";
  return text;
}

// A copy of Fendrel.exe in a folder of its own, with its lists and the files
// they name (each copy has files of its own, so one copy's holds never
// answer for the other's).
struct Setup {
  std::string folder, program;
  std::vector<std::string> safe, emergency, added;
};

Setup MakeSetup(const std::string& folder, const std::string& builtFendrel) {
  Setup setup;
  setup.folder = folder;
  setup.program = folder + "\\Fendrel.exe";
  CreateDirectoryA(folder.c_str(), nullptr);
  if (!CopyFileA(builtFendrel.c_str(), setup.program.c_str(), FALSE)) Problem("cannot copy " + builtFendrel);
  const auto make = [&](const std::string& name) {
    const std::string path = folder + "\\" + name;
    if (!WriteBytes(path, "a file worth keeping\r\n")) Problem("cannot make " + path);
    return path;
  };
  for (int i = 0; i < kSafeFiles; ++i) setup.safe.push_back(make("safe " + std::to_string(i) + ".txt"));
  for (int i = 0; i < kEmergencyFiles; ++i)
    setup.emergency.push_back(make("urgent " + std::to_string(i) + ".txt"));
  for (int i = 0; i < kAddedFiles; ++i) setup.added.push_back(make("added " + std::to_string(i) + ".txt"));
  if (!WriteBytes(folder + "\\prot.dat", Lines(setup.safe)) ||
      !WriteBytes(folder + "\\emer.dat", Lines(setup.emergency))) {
    Problem("cannot write the lists in " + folder);
  }
  return setup;
}

// ------------------------------------------------------------------ the figures

struct Figures {
  DWORD handles = 0;
  DWORD gdi = 0;
  DWORD user = 0;
  int windows = 0;  // the process's windows, top-level and child, counted from outside
  std::uint64_t privateBytes = 0;
};

// Handles of another process. Wine answers GetProcessHandleCount with 0, so
// the count falls back to the system's list of every open handle, which
// Wine keeps (NtQuerySystemInformation, SystemExtendedHandleInformation).
DWORD HandleCount(HANDLE process, DWORD processId, const char*& how) {
  DWORD count = 0;
  how = "GetProcessHandleCount";
  if (GetProcessHandleCount(process, &count) && count > 0) return count;
  struct Entry {
    void* object;
    ULONG_PTR processId;
    ULONG_PTR handle;
    ULONG access;
    USHORT creatorBackTraceIndex;
    USHORT objectTypeIndex;
    ULONG attributes;
    ULONG reserved;
  };
  struct Table {
    ULONG_PTR count;
    ULONG_PTR reserved;
    Entry entries[1];
  };
  using QueryFn = LONG(WINAPI*)(ULONG, void*, ULONG, ULONG*);
  const auto query = reinterpret_cast<QueryFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation")));
  constexpr ULONG kSystemExtendedHandleInformation = 64;
  constexpr LONG kInfoLengthMismatch = static_cast<LONG>(0xC0000004);
  std::vector<char> buffer(1 << 16);
  LONG status = kInfoLengthMismatch;
  for (int tries = 0; query && status == kInfoLengthMismatch && tries < 8; ++tries) {
    ULONG needed = 0;
    status =
        query(kSystemExtendedHandleInformation, buffer.data(), static_cast<ULONG>(buffer.size()), &needed);
    if (status == kInfoLengthMismatch) buffer.resize(std::max<std::size_t>(buffer.size() * 2, needed + 4096));
  }
  if (!query || status != 0) return 0;
  how = "the system's handle list";
  const auto* table = reinterpret_cast<const Table*>(buffer.data());
  for (ULONG_PTR i = 0; i < table->count; ++i) count += table->entries[i].processId == processId ? 1 : 0;
  return count;
}

// Committed private memory, region by region: the same figure on Windows and
// on Wine (which leaves PROCESS_MEMORY_COUNTERS_EX.PrivateUsage at 0).
std::uint64_t CommittedPrivateBytes(HANDLE process) {
  std::uint64_t total = 0;
  MEMORY_BASIC_INFORMATION region{};
  for (const char* at = nullptr; VirtualQueryEx(process, at, &region, sizeof region) == sizeof region;
       at = static_cast<const char*>(region.BaseAddress) + region.RegionSize) {
    if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE) total += region.RegionSize;
  }
  return total;
}

// ------------------------------------------------------------------ the program

// Fendrel.exe started from its folder and driven through its window; ended
// when this goes.
class Program {
 public:
  explicit Program(const Setup& setup) {
    std::string line = "\"" + setup.program + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessA(setup.program.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        setup.folder.c_str(), &startup, &info)) {
      Problem("cannot start " + setup.program + " (error " + std::to_string(GetLastError()) + ")");
      return;
    }
    process_ = UniqueHandle(info.hProcess);
    CloseHandle(info.hThread);
    id_ = info.dwProcessId;
  }
  ~Program() {
    if (process_ && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT)
      TerminateProcess(process_.get(), 1);
    if (process_) WaitForSingleObject(process_.get(), kWaitMs);
  }
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  bool Running() const { return process_ && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT; }

  // Waits for the window to show and the program to wait for input.
  bool WaitShown() {
    if (!WaitFor([&] { return Window() && IsWindowVisible(window_); })) return false;
    WaitForInputIdle(process_.get(), kWaitMs);
    return true;
  }

  HWND Window() {
    if (window_ && IsWindow(window_)) return window_;
    window_ = nullptr;
    for (HWND top : TopLevelWindows(id_)) {
      if (ClassOf(top) == kFendrelClass) window_ = top;
    }
    return window_;
  }

  // A control by its id; looked up again when it is not there yet (a page's
  // controls may be made when the page is first shown).
  HWND Control(int id) {
    const auto known = controls_.find(id);
    if (known != controls_.end() && IsWindow(known->second)) return known->second;
    for (HWND child : Descendants(Window())) {
      if ((GetDlgCtrlID(child) & 0xFFFF) == id) return controls_[id] = child;
    }
    return nullptr;
  }

  // Returns once the program has handled everything sent to it so far.
  void Settle() {
    DWORD_PTR result = 0;
    SendMessageTimeoutA(Window(), WM_NULL, 0, 0, SMTO_NORMAL, kWaitMs, &result);
  }

  // A button, as BM_CLICK; a label (a menu item), as a press and release
  // of the left button over it. Returns when the program has handled it; a
  // message box is a problem, named and answered.
  void Click(int id, const std::string& what) {
    HWND control = Control(id);
    if (!control) {
      Problem(what + ": no control " + std::to_string(id));
      return;
    }
    const bool button = ClassOf(control) == "Button";
    const std::vector<std::pair<UINT, WPARAM>> messages =
        button ? std::vector<std::pair<UINT, WPARAM>>{{BM_CLICK, 0}}
               : std::vector<std::pair<UINT, WPARAM>>{{WM_LBUTTONDOWN, MK_LBUTTON}, {WM_LBUTTONUP, 0}};
    for (const auto& [message, wParam] : messages) {
      DWORD_PTR result = 0;
      if (!SendMessageTimeoutA(control, message, wParam, button ? 0 : MAKELPARAM(2, 2), SMTO_NORMAL, 2000,
                               &result)) {
        break;  // a box holds the click up: it is answered below
      }
    }
    if (HWND box = Box()) Problem(what + " showed a box: " + Answer(box));
  }

  // Puts text into a text box, as the test driver's typing does (the path
  // boxes are read-only to the keyboard, not to WM_SETTEXT).
  void SetText(int id, const std::string& text) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(Control(id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_NORMAL,
                             kWaitMs, &result)) {
      Problem("cannot type into control " + std::to_string(id));
    }
  }

  int ListCount(int id) {
    DWORD_PTR count = 0;
    SendMessageTimeoutA(Control(id), LB_GETCOUNT, 0, 0, SMTO_NORMAL, kWaitMs, &count);
    return static_cast<int>(count);
  }

  // Selects a row as a click on it would.
  void SelectRow(int id, int index) {
    HWND list = Control(id);
    DWORD_PTR top = 0, height = 0, result = 0;
    SendMessageTimeoutA(list, LB_SETTOPINDEX, index, 0, SMTO_NORMAL, kWaitMs, &result);
    SendMessageTimeoutA(list, LB_GETTOPINDEX, 0, 0, SMTO_NORMAL, kWaitMs, &top);
    SendMessageTimeoutA(list, LB_GETITEMHEIGHT, 0, 0, SMTO_NORMAL, kWaitMs, &height);
    const LPARAM at = MAKELPARAM(4, static_cast<int>((index - static_cast<int>(top)) * height + height / 2));
    SendMessageTimeoutA(list, WM_LBUTTONDOWN, MK_LBUTTON, at, SMTO_NORMAL, kWaitMs, &result);
    SendMessageTimeoutA(list, WM_LBUTTONUP, 0, at, SMTO_NORMAL, kWaitMs, &result);
  }

  bool PageShown(int page) {
    HWND frame = Control(ctl::PageFrame(page));
    return frame && (GetWindowLongPtrA(frame, GWL_STYLE) & WS_VISIBLE);
  }

  // Logs in once: a normal start gives level 2, the lists need 3.
  void LogIn() {
    SetText(ctl::kLoginPasswordBox, kPassword);
    PostMessageA(Control(ctl::kLoginButton), BM_CLICK, 0, 0);
    HWND box = nullptr;
    if (!WaitFor([&] { return (box = Box()) != nullptr; })) {
      Problem("the login showed no \"Done!\"");
      return;
    }
    Answer(box);
  }

  // A message box (or any dialog) of the program, or null.
  HWND Box() {
    for (HWND top : TopLevelWindows(id_)) {
      if (ClassOf(top) == "#32770" && IsWindowVisible(top)) return top;
    }
    return nullptr;
  }

  // Reads the box's text and presses OK.
  static std::string Answer(HWND box) {
    char text[2048] = {};
    DWORD_PTR copied = 0;
    HWND stat = nullptr;
    for (HWND child : Descendants(box)) {
      if ((GetDlgCtrlID(child) & 0xFFFF) == kMessageBoxTextId) stat = child;
    }
    if (stat) {
      SendMessageTimeoutA(stat, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_NORMAL, kWaitMs,
                          &copied);
    }
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(box, IDOK)));
    WaitFor([&] { return !IsWindow(box); });
    return text;
  }

  Figures Measure() {
    Settle();
    Figures figures;
    figures.handles = HandleCount(process_.get(), id_, handleSource);
    if (figures.handles == 0) Problem("the handle count could not be read");
    figures.gdi = GetGuiResources(process_.get(), GR_GDIOBJECTS);
    figures.user = GetGuiResources(process_.get(), GR_USEROBJECTS);
    for (HWND top : TopLevelWindows(id_)) figures.windows += 1 + static_cast<int>(Descendants(top).size());
    figures.privateBytes = CommittedPrivateBytes(process_.get());
    if (figures.privateBytes == 0) Problem("the private memory could not be read");
    return figures;
  }

 private:
  static bool WaitFor(const std::function<bool()>& done) {
    const ULONGLONG end = GetTickCount64() + kWaitMs;
    while (!done()) {
      if (GetTickCount64() > end) return false;
      Sleep(10);
    }
    return true;
  }

  UniqueHandle process_;
  DWORD id_ = 0;
  HWND window_ = nullptr;
  std::map<int, HWND> controls_;
};

// ------------------------------------------------------------------ what the soak does

void SwitchPages(Program& program, int switches) {
  for (int i = 0; i < switches; ++i) {
    const int page = kPagesVisited[i % std::size(kPagesVisited)];
    program.Click(ctl::MenuItem(page), "the menu item of page " + std::to_string(page));
    if (!program.PageShown(page)) Problem("page " + std::to_string(page) + " was not shown by its menu item");
  }
}

void AddAndRemove(Program& program, const Setup& setup, int pairs) {
  program.Click(ctl::MenuItem(1), "the menu item of the safe list");
  const int length = program.ListCount(ctl::kSafeListBox);
  for (int i = 0; i < pairs; ++i) {
    const std::string& path = setup.added[static_cast<std::size_t>(i) % setup.added.size()];
    program.SetText(ctl::kSafePathBox, path);
    program.Click(ctl::kSafeAddButton, "\">>> Add\"");
    if (i % 100 == 0 && !Held(path)) Problem("an added file is not held: " + path);
    program.SelectRow(ctl::kSafeListBox, length);
    program.Click(ctl::kSafeRemoveButton, "\"<<< Remove\"");
    if (program.ListCount(ctl::kSafeListBox) != length) {
      Problem("the safe list did not come back to " + std::to_string(length) + " entries after pair " +
              std::to_string(i));
      return;
    }
  }
  for (const std::string& path : setup.added) {
    if (Held(path)) Problem("a removed file is still held: " + path);
  }
}

void EmergencyCycles(Program& program, int cycles) {
  for (int i = 0; i < cycles; ++i) {
    program.Click(ctl::kEmergencyButton, "\"Emergency\" of cycle " + std::to_string(i));
    program.Click(ctl::kNoEmergencyButton, "\"No Emergency\" of cycle " + std::to_string(i));
  }
}

// After everything, the program still protects every file of both lists.
void CheckStillProtecting(Program& program, const Setup& setup) {
  for (const std::string& path : setup.safe) {
    if (!Held(path)) Problem("a safe-list file is not held at the end: " + path);
  }
  program.Click(ctl::kEmergencyButton, "the last \"Emergency\"");
  for (const std::string& path : setup.emergency) {
    if (!Held(path)) Problem("an emergency-list file is not held at the end: " + path);
  }
  if (program.ListCount(ctl::kEmergencyHoldNumbers) != kEmergencyFiles) {
    Problem("the emergency's hidden number list does not name exactly its ten holds");
  }
  program.Click(ctl::kNoEmergencyButton, "the last \"No Emergency\"");
  for (const std::string& path : setup.emergency) {
    if (Held(path)) Problem("an emergency-list file is still held after \"No Emergency\": " + path);
  }
}

// ------------------------------------------------------------------ the table

struct Moment {
  std::string name;
  Figures soak, idle;
  double seconds;
};

std::string Gui(DWORD count) {
  return count == 0 ? "-" : std::to_string(count);
}

std::string Delta(std::int64_t after, std::int64_t before) {
  const std::int64_t change = after - before;
  return (change > 0 ? "+" : "") + std::to_string(change);
}

void PrintTable(const std::vector<Moment>& moments) {
  const char* const format = "%-36s %8s | %7s %5s %5s %7s %11s | %7s %5s %5s %7s %11s\n";
  std::printf(format, "", "", "soak", "", "", "", "", "idle", "", "", "", "");
  std::printf(format, "moment", "time", "handles", "GDI", "USER", "windows", "private", "handles", "GDI",
              "USER", "windows", "private");
  std::printf("%s\n", std::string(124, '-').c_str());
  const auto kib = [](std::uint64_t bytes) { return std::to_string(bytes / 1024) + " KiB"; };
  for (const Moment& m : moments) {
    char time[32];
    std::snprintf(time, sizeof time, "%.1f s", m.seconds);
    std::printf(format, m.name.c_str(), time, std::to_string(m.soak.handles).c_str(), Gui(m.soak.gdi).c_str(),
                Gui(m.soak.user).c_str(), std::to_string(m.soak.windows).c_str(),
                kib(m.soak.privateBytes).c_str(), std::to_string(m.idle.handles).c_str(),
                Gui(m.idle.gdi).c_str(), Gui(m.idle.user).c_str(), std::to_string(m.idle.windows).c_str(),
                kib(m.idle.privateBytes).c_str());
  }
  // What grew: over the whole run, and over the soak proper (from after the
  // warm-up, which makes what is made on first use).
  const auto delta = [](const Figures& a, const Figures& b, auto field) {
    return Delta(static_cast<std::int64_t>(a.*field), static_cast<std::int64_t>(b.*field));
  };
  const auto kibDelta = [](const Figures& a, const Figures& b) {
    return Delta(static_cast<std::int64_t>(a.privateBytes / 1024),
                 static_cast<std::int64_t>(b.privateBytes / 1024)) +
           " KiB";
  };
  std::printf("%s\n", std::string(124, '-').c_str());
  const Moment& to = moments.back();
  for (const Moment* from : {&moments.front(), &moments[1]}) {
    const std::string name =
        from == &moments.front() ? "growth over the whole run" : "growth since the warm-up";
    std::printf(
        format, name.c_str(), "", delta(to.soak, from->soak, &Figures::handles).c_str(),
        delta(to.soak, from->soak, &Figures::gdi).c_str(), delta(to.soak, from->soak, &Figures::user).c_str(),
        delta(to.soak, from->soak, &Figures::windows).c_str(), kibDelta(to.soak, from->soak).c_str(),
        delta(to.idle, from->idle, &Figures::handles).c_str(),
        delta(to.idle, from->idle, &Figures::gdi).c_str(), delta(to.idle, from->idle, &Figures::user).c_str(),
        delta(to.idle, from->idle, &Figures::windows).c_str(), kibDelta(to.idle, from->idle).c_str());
  }
}

void PrintSetting() {
  using WineVersionFn = const char*(CDECL*)();
  const auto wineVersion = reinterpret_cast<WineVersionFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version")));
  std::printf("Fendrel soak: %d page switches, %d add/remove pairs, %d emergency cycles, on %s\n",
              kPageSwitches, kAddRemovePairs, kEmergencyCycles,
              wineVersion ? ("Wine " + std::string(wineVersion())).c_str() : "Windows");
  std::fflush(stdout);
}

// Drives one copy and lets the other sit idle, reading both at each moment.
std::vector<Moment> Soak(const std::string& work, const std::string& builtFendrel) {
  std::vector<Moment> moments;
  const Setup soakSetup = MakeSetup(work + "\\soak", builtFendrel);
  const Setup idleSetup = MakeSetup(work + "\\idle", builtFendrel);
  // A password exists and the switch is ON, so the starts show no box;
  // what was there before is put back at the end.
  fendrel::testing::MachineState saved;
  if (!WriteBytes(fendrel::testing::MachineState::PasswordFile(), std::string(kPasswordDigest) + "\r\n") ||
      !fendrel::testing::MachineState::SetRunValue(soakSetup.program + " /silent")) {
    Problem("cannot set the password file and the Run value");
  }
  // Two copies from two folders run side by side (one instance per folder).
  Program soak(soakSetup);
  Program idle(idleSetup);
  if (!soak.WaitShown() || !idle.WaitShown()) {
    Problem("a window did not show");
    return moments;
  }
  soak.LogIn();
  idle.LogIn();

  const ULONGLONG start = GetTickCount64();
  const auto mark = [&](const std::string& name) {
    moments.push_back(
        {name, soak.Measure(), idle.Measure(), static_cast<double>(GetTickCount64() - start) / 1000});
    std::printf("%-36s %.1f s\n", name.c_str(), moments.back().seconds);
    std::fflush(stdout);
  };
  mark("logged in");
  // Once each, so what is made on first use is made before the soak proper.
  SwitchPages(soak, static_cast<int>(std::size(kPagesVisited)));
  AddAndRemove(soak, soakSetup, 5);
  EmergencyCycles(soak, 2);
  mark("after a warm-up");
  SwitchPages(soak, kPageSwitches);
  mark("after 1,000 page switches");
  AddAndRemove(soak, soakSetup, kAddRemovePairs);
  mark("after 1,000 add/remove pairs");
  EmergencyCycles(soak, kEmergencyCycles);
  mark("after 200 emergency cycles");
  CheckStillProtecting(soak, soakSetup);
  if (!soak.Running() || !idle.Running()) Problem("a program ended during the soak");
  return moments;
}

}  // namespace

int main(int argc, char** argv) {
  // The program beside this one unless named: fendrel_soak [Fendrel.exe]
  const std::string builtFendrel = argc > 1 ? argv[1] : ExecutableFolder() + "\\Fendrel.exe";
  if (GetFileAttributesA(builtFendrel.c_str()) == INVALID_FILE_ATTRIBUTES) {
    std::fprintf(stderr, "cannot find %s\n", builtFendrel.c_str());
    return 2;
  }
  PrintSetting();
  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  const std::string work = std::string(temp) + "fendrel-soak-" + std::to_string(GetCurrentProcessId());
  CreateDirectoryA(work.c_str(), nullptr);
  const std::vector<Moment> moments = Soak(work, builtFendrel);
  DeleteTree(work);

  std::printf("\n");
  if (moments.size() >= 2) PrintTable(moments);
  std::printf(
      "\nhandles: from %s. GDI and USER: GetGuiResources, \"-\" where the system reports none\n"
      "(Wine reports 0). windows: the program's top-level and child windows, counted from this process.\n"
      "private: committed private memory, summed over the process's regions (VirtualQueryEx).\n",
      handleSource);
  for (const std::string& problem : problems) std::printf("problem: %s\n", problem.c_str());
  return problems.empty() && moments.size() >= 2 ? 0 : 1;
}
