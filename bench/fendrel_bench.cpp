// Measures what a user of Fendrel feels, each figure beside a baseline taken
// in the same run on the same machine:
//   - the emergency action holding 400 files, against the bare CreateFileW
//     calls it has to make (and "No Emergency" against the bare CloseHandle);
//   - the time from a listed file's creation to its hold, against a bare
//     folder watch that opens the file when it wakes;
//   - a start with a 413-entry safe list until the window is shown (and until
//     the program first waits for input), against a program that only shows
//     one window and against one that holds the same 413 files before it
//     shows its window (the floor);
//   - a save of a 32767-entry list, against writing the same bytes with
//     one CreateFile/WriteFile/MoveFileEx;
//   - CPU used over 10 s while hidden in the tray, with every file held and
//     with ten files missing, private bytes, and the size of the executable,
//     beside the one-window program's;
//   - a folder entry of 10,000 files: "Emergency" pressed in the window until
//     every file is held, against a bare walk that opens each name; a file
//     made in the held folder until held; CPU while it is held and nothing
//     changes; private bytes per file held.
// It prints one table. It is not a test: nothing here passes or fails on a
// time; it exits non-zero only when a measurement could not be made or the
// program did something other than expected (a hold missing, a save whose
// bytes differ).
#include <windows.h>

#include <psapi.h>
#include <shellapi.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "bench/bench_files_win.h"
#include "platform/file_layer.h"
#include "platform/file_system_win.h"
#include "platform/handles_win.h"
#include "platform/message_boxes.h"
#include "platform/wide_text_win.h"
#include "protection/emergency.h"
#include "protection/protection.h"
#include "screen/control_ids.h"
#include "screen/messages.h"
#include "tests/core/forwarding_file_system.h"
#include "tests/win32/machine_state_win.h"

namespace {

using fendrel::UniqueChangeNotification;
using fendrel::UniqueHandle;
using fendrel::UniqueKey;
using fendrel::bench::DeleteTree;
using fendrel::bench::ExecutableFolder;
using fendrel::bench::Held;
using fendrel::bench::WriteBytes;

constexpr int kEmergencyFiles = 400;
constexpr int kEmergencyRepetitions = 21;
constexpr int kSafeListEntries = 413;  // every number a run can hold
constexpr int kStartRuns = 7;
constexpr int kSaveEntries = fendrel::Protection::kMaxEntries;
constexpr int kSaveRepetitions = 9;
constexpr DWORD kIdleMs = 10000;
constexpr int kMissingFiles = 10;
constexpr DWORD kWaitMs = 30000;  // the longest any wait for a started program lasts

constexpr const char* kFendrelClass = "FendrelForm1";
constexpr const char* kMinimalClass = "FendrelBenchMinimal";
constexpr UINT kFendrelTrayIconId = 1;  // the number Fendrel gives its one tray icon

// ------------------------------------------------------------------ problems

std::vector<std::string> problems;

void Problem(const std::string& what) {
  std::fprintf(stderr, "problem: %s\n", what.c_str());
  problems.push_back(what);
}

// ------------------------------------------------------------------ time

double Milliseconds(LONGLONG ticks) {
  static const LONGLONG frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f.QuadPart;
  }();
  return static_cast<double>(ticks) * 1000.0 / static_cast<double>(frequency);
}

LONGLONG Now() {
  LARGE_INTEGER counter;
  QueryPerformanceCounter(&counter);
  return counter.QuadPart;
}

double Since(LONGLONG start) {
  return Milliseconds(Now() - start);
}

double Median(std::vector<double> values) {
  if (values.empty()) return 0.0;
  std::sort(values.begin(), values.end());
  const std::size_t middle = values.size() / 2;
  return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2.0;
}

// ------------------------------------------------------------------ files

std::optional<std::string> ReadBytes(const std::string& path) {
  UniqueHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return std::nullopt;
  std::string bytes;
  char buffer[65536];
  DWORD got = 0;
  while (ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
  return bytes;
}

std::uint64_t FileSize(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return 0;
  return (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// A folder of the benchmark's own under the temporary folder, removed at the end.
class WorkFolder {
 public:
  WorkFolder() {
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    path_ = std::string(temp) + "fendrel-bench-" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(path_.c_str(), nullptr);
  }
  ~WorkFolder() { DeleteTree(path_); }
  WorkFolder(const WorkFolder&) = delete;
  WorkFolder& operator=(const WorkFolder&) = delete;

  std::string Make(const std::string& name) const {
    const std::string folder = path_ + "\\" + name;
    CreateDirectoryA(folder.c_str(), nullptr);
    return folder;
  }

 private:
  std::string path_;
};

// Paths such as a user keeps: a few folders deep, names of varied length.
// The same seed gives the same paths.
class PathMaker {
 public:
  explicit PathMaker(std::uint32_t seed) : state_(seed) {}

  // A file name alone, 12 to about 60 characters.
  std::string Name(int index) {
    static const char* const kWords[] = {
        "report",  "Invoice",         "holiday photos", "thesis draft", "budget",     "Letter to the bank",
        "minutes", "contract signed", "scan",           "family tree",  "tax return", "project plan final"};
    static const char* const kExtensions[] = {".docx", ".xlsx", ".pdf", ".jpg", ".txt", ".odt"};
    std::string name = kWords[Next() % 12];
    const int extra = static_cast<int>(Next() % 3);
    for (int i = 0; i < extra; ++i) name += std::string(" ") + kWords[Next() % 12];
    char number[16];
    std::snprintf(number, sizeof number, " %05d", index);
    return name + number + kExtensions[Next() % 6];
  }

  // A whole path under a user's folders, typically 60 to 140 characters.
  std::string Path(int index) {
    static const char* const kFolders[] = {"Documents", "Pictures", "Projects", "Work", "Accounts 2023",
                                           "Clients",   "Archive",  "Scans",    "Old",  "Shared with Anna"};
    std::string path = "C:\\Users\\margaret\\";
    const int depth = 1 + static_cast<int>(Next() % 4);
    for (int i = 0; i < depth; ++i) path += std::string(kFolders[Next() % 10]) + "\\";
    return path + Name(index);
  }

 private:
  std::uint32_t Next() {
    state_ = state_ * 1664525u + 1013904223u;
    return state_ >> 8;
  }
  std::uint32_t state_;
};

// Makes `count` small files in `folder`; returns their paths.
std::vector<std::string> MakeFiles(const std::string& folder, int count, std::uint32_t seed) {
  PathMaker names(seed);
  std::vector<std::string> paths;
  for (int i = 0; i < count; ++i) {
    const std::string path = folder + "\\" + names.Name(i);
    if (!WriteBytes(path, "a file worth keeping\r\n")) Problem("cannot make " + path);
    paths.push_back(path);
  }
  return paths;
}

// ------------------------------------------------------------------ the table

struct Row {
  std::string figure;
  std::string value;
  std::string baseline;
  std::string ratio;
  std::string aim;
  std::string baselineIs;
};

std::vector<Row> rows;
std::vector<std::string> notes;  // printed below the table

std::string Format(const char* format, double value) {
  char text[64];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

std::string Ms(double ms) {
  return Format(ms < 10 ? "%.2f ms" : ms < 1000 ? "%.1f ms" : "%.0f ms", ms);
}

std::string Ratio(double value, double baseline) {
  return baseline > 0 ? Format("%.2fx", value / baseline) : "-";
}

std::string Aim(double value, double baseline, double limit) {
  if (baseline <= 0) return "-";
  return Format("<=%gx ", limit) + (value / baseline <= limit ? "met" : "MISSED");
}

std::string KiB(double bytes) {
  return Format("%.0f KiB", bytes / 1024.0);
}

void PrintTable() {
  const char* const format = "%-46s %11s %11s %7s %-12s %s\n";
  std::printf(format, "figure", "value", "baseline", "ratio", "aim", "baseline is");
  std::printf("%s\n", std::string(130, '-').c_str());
  for (const Row& row : rows) {
    std::printf(format, row.figure.c_str(), row.value.c_str(), row.baseline.c_str(), row.ratio.c_str(),
                row.aim.c_str(), row.baselineIs.c_str());
  }
}

// ------------------------------------------------------------------ machine state

// The password file and the Run value are machine-wide. This keeps what was
// there, sets them so that a start shows no message box (a password exists,
// the switch is ON), and puts back what was there when it goes.
class MachineState {
 public:
  explicit MachineState(const std::string& programFolder) {
    // Any digest will do: the start only looks for the file.
    if (!WriteBytes(fendrel::testing::MachineState::PasswordFile(), "0cc175b9c0f1b6a831c399e269772661\r\n")) {
      Problem("cannot write " + fendrel::testing::MachineState::PasswordFile());
    }
    if (!fendrel::testing::MachineState::SetRunValue("\"" + programFolder + "\\Fendrel.exe\" /silent")) {
      Problem("cannot set the Run value");
    }
  }

 private:
  fendrel::testing::MachineState saved_;  // made first, so it keeps what was there before the changes
};

// ------------------------------------------------------------------ started programs

std::uint64_t Ticks(const FILETIME& time) {
  return (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

// Moves the pointer to the screen's corner, away from every window measured:
// under Wine a themed button under a resting pointer polls for the pointer's
// leaving every 10 ms (Windows tells it when it leaves), which costs about 1%
// of a processor whatever the program does.
void ParkPointer() {
  SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);
  Sleep(100);
}

double Total(const std::map<DWORD, double>& times) {
  double total = 0;
  for (const auto& [thread, ms] : times) total += ms;
  return total;
}

// CPU used between two readings. A thread that ended in between took its
// time with it: `lost` counts such threads.
double CpuBetween(const std::map<DWORD, double>& before, const std::map<DWORD, double>& after, int& lost) {
  double used = 0;
  for (const auto& [thread, ms] : after) {
    const auto earlier = before.find(thread);
    used += ms - (earlier == before.end() ? 0.0 : earlier->second);
  }
  for (const auto& [thread, ms] : before) lost += after.count(thread) ? 0 : 1;
  return used;
}

// A program started from a folder of its own; ended when this goes.
class Started {
 public:
  Started(const std::string& program, const std::string& folder, const std::string& argumentText) {
    std::string line = "\"" + program + "\"";
    if (!argumentText.empty()) line += " " + argumentText;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessA(program.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                        &startup, &info)) {
      Problem("cannot start " + program + " (error " + std::to_string(GetLastError()) + ")");
      return;
    }
    process_ = UniqueHandle(info.hProcess);
    CloseHandle(info.hThread);
    id_ = info.dwProcessId;
  }
  ~Started() { End(); }
  Started(const Started&) = delete;
  Started& operator=(const Started&) = delete;

  bool running() const { return process_ && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT; }
  HANDLE process() const { return process_.get(); }

  // The top-level window of this class that belongs to the process, or null.
  HWND Window(const char* className) const {
    HWND window = nullptr;
    while ((window = FindWindowExA(nullptr, window, className, nullptr)) != nullptr) {
      DWORD owner = 0;
      GetWindowThreadProcessId(window, &owner);
      if (owner == id_) return window;
    }
    return nullptr;
  }

  // Polls every millisecond or so until `done` holds; false when the
  // process ended or the wait ran out.
  template <typename Condition>
  bool WaitUntil(Condition done) const {
    const ULONGLONG end = GetTickCount64() + kWaitMs;
    while (process_) {
      if (done()) return true;
      if (WaitForSingleObject(process_.get(), 1) == WAIT_OBJECT_0 || GetTickCount64() > end) return false;
    }
    return false;
  }

  // Kernel and user time so far of each thread, in milliseconds, by thread
  // id. Summed over the threads because Wine's GetProcessTimes on another
  // process answers with the caller's own times; thread times are right on
  // both.
  std::map<DWORD, double> ThreadCpuMs() const {
    std::map<DWORD, double> times;
    UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    if (!snapshot || !Thread32First(snapshot.get(), &entry)) return times;
    do {
      if (entry.th32OwnerProcessID != id_) continue;
      UniqueHandle thread(OpenThread(THREAD_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ThreadID));
      FILETIME created, exited, kernel, user;
      if (!thread || !GetThreadTimes(thread.get(), &created, &exited, &kernel, &user)) continue;
      times[entry.th32ThreadID] = static_cast<double>(Ticks(kernel) + Ticks(user)) / 10000.0;
    } while (Thread32Next(snapshot.get(), &entry));
    return times;
  }

  // Private bytes. Wine leaves PrivateUsage at 0 and fills PagefileUsage
  // (the process's anonymous resident memory); on Windows the two are the
  // same figure, the commit charge.
  std::uint64_t PrivateBytes() const {
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(process_.get(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                              sizeof counters)) {
      return 0;
    }
    return counters.PrivateUsage ? counters.PrivateUsage : counters.PagefileUsage;
  }

  void End() {
    if (running()) TerminateProcess(process_.get(), 1);
    if (process_) WaitForSingleObject(process_.get(), kWaitMs);
    process_.reset();
  }

 private:
  UniqueHandle process_;
  DWORD id_ = 0;
};

// Starts a program and waits until its window of this class is visible.
// Returns the milliseconds from just before CreateProcess, or a negative
// number when the window never showed.
double StartUntilShown(std::optional<Started>& started, const std::string& program, const std::string& folder,
                       const char* className, const std::string& argumentText = "") {
  const LONGLONG start = Now();
  started.emplace(program, folder, argumentText);
  const bool shown = started->WaitUntil([&] {
    HWND window = started->Window(className);
    return window && IsWindowVisible(window);
  });
  const double ms = Since(start);
  if (!shown) {
    DWORD code = 0;
    GetExitCodeProcess(started->process(), &code);
    Problem(std::string("the window of class ") + className + " did not show (" + program +
            (started->running() ? ", running)" : ", ended with " + std::to_string(code) + ")"));
    return -1;
  }
  return ms;
}

// ------------------------------------------------------------------ the emergency action

class CountingBoxes : public fendrel::MessageBoxes {
 public:
  void Show(const std::string& text, const std::string&) override {
    ++shown;
    last = text;
  }
  int shown = 0;
  std::string last;
};

// A file system that passes every call on and adds up the time spent in
// the one beneath: what the emergency spends in Win32FileSystem (its
// conversions and the CreateFileW calls), apart from its own work.
class TimedFileSystem : public fendrel::testing::ForwardingFileSystem {
 public:
  using ForwardingFileSystem::ForwardingFileSystem;
  fendrel::FileError Open(const std::string& path, fendrel::OpenMode mode,
                          std::unique_ptr<fendrel::OpenFile>& file) override {
    const LONGLONG start = Now();
    const fendrel::FileError error = inner_.Open(path, mode, file);
    ms += Since(start);
    return error;
  }
  fendrel::FileError HoldFolder(const std::string& path, std::unique_ptr<fendrel::OpenFile>& hold) override {
    const LONGLONG start = Now();
    const fendrel::FileError error = inner_.HoldFolder(path, hold);
    ms += Since(start);
    return error;
  }
  bool FolderExists(const std::string& path) override {
    const LONGLONG start = Now();
    const bool exists = inner_.FolderExists(path);
    ms += Since(start);
    return exists;
  }
  double ms = 0;
};

void BenchEmergency(const WorkFolder& work) {
  const std::string program = work.Make("emergency");
  const std::vector<std::string> paths = MakeFiles(work.Make("emergency\\files"), kEmergencyFiles, 400);
  std::vector<std::wstring> widePaths;
  for (const std::string& path : paths) widePaths.push_back(fendrel::Wide(path));

  std::vector<double> action, release, open, close, openLooked;
  // Repetition 0 warms the caches and is not counted; the order of the two
  // alternates so neither always runs on a warmer system.
  for (int repetition = 0; repetition <= kEmergencyRepetitions; ++repetition) {
    const auto programRun = [&] {
      fendrel::Win32FileSystem system;
      fendrel::FileLayer files(system);
      fendrel::Protection protection(files, program);
      for (const std::string& path : paths) protection.Add(fendrel::ListKind::Emergency, path);
      CountingBoxes boxes;
      fendrel::EmergencyMode mode(protection, boxes);

      LONGLONG start = Now();
      mode.Emergency();
      const double actionMs = Since(start);

      const std::vector<int> holds = protection.HoldRows(fendrel::ListKind::Emergency);
      const bool allHeld = mode.on() && boxes.shown == 0 &&
                           static_cast<int>(holds.size()) == kEmergencyFiles &&
                           std::none_of(holds.begin(), holds.end(),
                                        [](int number) { return number == fendrel::Protection::kNoHold; });
      if (!allHeld || !Held(paths.front()) || !Held(paths.back())) {
        Problem("the emergency action did not hold every file" + (boxes.shown ? ": " + boxes.last : ""));
      }
      start = Now();
      mode.NoEmergency();
      const double releaseMs = Since(start);
      if (Held(paths.front()) || Held(paths.back())) Problem("\"No Emergency\" left a file held");
      if (repetition > 0) {
        action.push_back(actionMs);
        release.push_back(releaseMs);
      }
    };
    const auto bareRun = [&] {
      std::vector<HANDLE> handles;
      // The floor: the names already in UTF-16, as no caller of Fendrel's has them.
      handles.reserve(paths.size());
      LONGLONG start = Now();
      for (const std::wstring& path : widePaths) {
        handles.push_back(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
      }
      const double openMs = Since(start);
      if (std::count(handles.begin(), handles.end(), INVALID_HANDLE_VALUE) != 0) {
        Problem("the bare loop could not open every file");
      }
      start = Now();
      for (HANDLE handle : handles) CloseHandle(handle);
      const double closeMs = Since(start);
      // The same opens, each after a look at the path's attributes (the
      // file layer refuses a folder by name before it opens).
      handles.clear();
      start = Now();
      for (const std::wstring& path : widePaths) {
        if (GetFileAttributesW(path.c_str()) & FILE_ATTRIBUTE_DIRECTORY) continue;
        handles.push_back(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
      }
      const double lookedMs = Since(start);
      for (HANDLE handle : handles) CloseHandle(handle);
      if (repetition > 0) {
        open.push_back(openMs);
        close.push_back(closeMs);
        openLooked.push_back(lookedMs);
      }
    };
    if (repetition % 2) {
      programRun();
      bareRun();
    } else {
      bareRun();
      programRun();
    }
  }
  // Where the action's time goes beyond the bare loop: the same action
  // again, with the time inside the file system added up.
  std::vector<double> timedAction, inside, outside;
  for (int repetition = 0; repetition <= kEmergencyRepetitions; ++repetition) {
    fendrel::Win32FileSystem system;
    TimedFileSystem timed(system);
    fendrel::FileLayer files(timed);
    fendrel::Protection protection(files, program);
    for (const std::string& path : paths) protection.Add(fendrel::ListKind::Emergency, path);
    CountingBoxes boxes;
    fendrel::EmergencyMode mode(protection, boxes);
    timed.ms = 0;  // the list's own saves above are no part of it
    const LONGLONG start = Now();
    mode.Emergency();
    const double actionMs = Since(start);
    const double insideMs = timed.ms;
    mode.NoEmergency();
    if (repetition > 0) {
      timedAction.push_back(actionMs);
      inside.push_back(insideMs);
      outside.push_back(actionMs - insideMs);
    }
  }
  notes.push_back(
      "the emergency action timed again (median of 21):" + Format(" %.2f ms,", Median(timedAction)) +
      " inside Win32FileSystem (its conversions and CreateFileW):" + Format(" %.2f ms,", Median(inside)) +
      " outside it:" + Format(" %.2f ms;", Median(outside)) +
      " the bare loop's CreateFileW:" + Format(" %.2f ms", Median(open)));
  const double a = Median(action), o = Median(open), r = Median(release), c = Median(close);
  const std::string times = " (median of " + std::to_string(kEmergencyRepetitions) + ")";
  rows.push_back({"emergency action, 400 holds" + times, Ms(a), Ms(o), Ratio(a, o), Aim(a, o, 1.05),
                  "400 x CreateFileW(GENERIC_READ, FILE_SHARE_READ)"});
  rows.push_back({"  the same action against opens that look first", Ms(a), Ms(Median(openLooked)),
                  Ratio(a, Median(openLooked)), "-", "400 x GetFileAttributesW + CreateFileW"});
  rows.push_back(
      {"\"No Emergency\", 400 releases" + times, Ms(r), Ms(c), Ratio(r, c), "-", "400 x CloseHandle"});
}

// ------------------------------------------------------------------ the save

void BenchSave(const WorkFolder& work) {
  const std::string program = work.Make("save");
  PathMaker maker(32767);
  std::vector<std::string> entries;
  std::string bytes;
  for (int i = 0; i < kSaveEntries; ++i) {
    entries.push_back(maker.Path(i));
    bytes += entries.back() + "\r\n";
  }

  fendrel::Win32FileSystem system;
  fendrel::FileLayer files(system);
  fendrel::Protection protection(files, program);
  // The emergency list saves as the safe list does, and lists without holding.
  for (const std::string& entry : entries) protection.Add(fendrel::ListKind::Emergency, entry);

  const std::string floorFile = program + "\\floor.dat";
  const std::string floorFresh = floorFile + ".new";
  const auto floorWrite = [&](bool flush) {
    UniqueHandle file(CreateFileA(floorFresh.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    bool ok = file &&
              WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
              written == bytes.size();
    if (ok && flush) ok = FlushFileBuffers(file.get());
    file.reset();
    ok = ok && MoveFileExA(floorFresh.c_str(), floorFile.c_str(),
                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    if (!ok) Problem("the floor write failed (error " + std::to_string(GetLastError()) + ")");
  };

  std::vector<double> save, floor, floorFlushed;
  for (int repetition = 0; repetition <= kSaveRepetitions; ++repetition) {
    const auto programRun = [&] {
      const LONGLONG start = Now();
      const fendrel::ListOutcome error = protection.SaveList(fendrel::ListKind::Emergency);
      const double ms = Since(start);
      if (error != fendrel::FileError::None)
        Problem(std::string("the save failed: ") + fendrel::messages::Describe(error));
      if (repetition > 0) save.push_back(ms);
    };
    const auto floorRun = [&] {
      LONGLONG start = Now();
      floorWrite(false);
      const double plain = Since(start);
      start = Now();
      floorWrite(true);
      const double flushed = Since(start);
      if (repetition > 0) {
        floor.push_back(plain);
        floorFlushed.push_back(flushed);
      }
    };
    if (repetition % 2) {
      programRun();
      floorRun();
    } else {
      floorRun();
      programRun();
    }
  }
  if (ReadBytes(protection.EmergencyListFile()) != bytes) Problem("the saved emer.dat differs from the list");
  if (ReadBytes(floorFile) != bytes) Problem("the floor's file differs from the list");

  const double s = Median(save), f = Median(floor), ff = Median(floorFlushed);
  const std::string size = Format("%.1f MB", static_cast<double>(bytes.size()) / 1e6);
  rows.push_back({"save, 32767 entries, " + size + " (median of " + std::to_string(kSaveRepetitions) + ")",
                  Ms(s), Ms(f), Ratio(s, f), "-", "CreateFile + WriteFile + MoveFileEx of the same bytes"});
  // The save pushes the new file to the disk before it replaces the old
  // one; the same floor with that flush is the fair limit.
  rows.push_back({"  the same save against a floor that flushes", Ms(s), Ms(ff), Ratio(s, ff), "-",
                  "the same, with FlushFileBuffers before MoveFileEx"});
}

// ------------------------------------------------------------------ start-up, idle, memory

struct Programs {
  std::string fendrelFolder;  // a copy of Fendrel.exe, prot.dat of 413 files
  std::string fendrel;
  std::string emptyFolder;  // a copy of Fendrel.exe with no lists
  std::string emptyFendrel;
  std::string minimalFolder;
  std::string minimal;
  // minimal_window.exe --floor: it holds the safe list's 413 files as
  // Fendrel does, then shows its window.
  std::string floorFolder;
  std::string floor;
  std::string floorArguments;
  std::string heldFile;  // the last file of the safe list
  // A copy whose prot.dat lists 403 files and 10 missing ones in a folder
  // that exists: it watches that folder, and holds each when it is made.
  std::string missingFolder;
  std::string missingFendrel;
  std::vector<std::string> missing;
};

Programs PreparePrograms(const WorkFolder& work, const std::string& builtFendrel,
                         const std::string& builtMinimal) {
  Programs programs;
  programs.fendrelFolder = work.Make("Fendrel");
  programs.fendrel = programs.fendrelFolder + "\\Fendrel.exe";
  programs.emptyFolder = work.Make("Fendrel without lists");
  programs.emptyFendrel = programs.emptyFolder + "\\Fendrel.exe";
  programs.minimalFolder = work.Make("minimal");
  programs.minimal = programs.minimalFolder + "\\minimal_window.exe";
  for (const std::string* copy : {&programs.fendrel, &programs.emptyFendrel}) {
    if (!CopyFileA(builtFendrel.c_str(), copy->c_str(), FALSE)) Problem("cannot copy " + builtFendrel);
  }
  programs.floorFolder = work.Make("floor");
  programs.floor = programs.floorFolder + "\\minimal_window.exe";
  for (const std::string* copy : {&programs.minimal, &programs.floor}) {
    if (!CopyFileA(builtMinimal.c_str(), copy->c_str(), FALSE)) Problem("cannot copy " + builtMinimal);
  }

  const std::vector<std::string> paths = MakeFiles(work.Make("safe"), kSafeListEntries, 413);
  std::string list;
  for (const std::string& path : paths) list += path + "\r\n";
  if (!WriteBytes(programs.fendrelFolder + "\\prot.dat", list)) Problem("cannot write prot.dat");
  const std::string floorList = programs.floorFolder + "\\floor.lst";
  if (!WriteBytes(floorList, list)) Problem("cannot write the floor's list");
  programs.floorArguments = "--floor " + floorList;
  programs.heldFile = paths.back();

  programs.missingFolder = work.Make("Fendrel with files to come");
  programs.missingFendrel = programs.missingFolder + "\\Fendrel.exe";
  if (!CopyFileA(builtFendrel.c_str(), programs.missingFendrel.c_str(), FALSE))
    Problem("cannot copy " + builtFendrel);
  const std::string toCome = work.Make("to come");
  std::string partly;
  for (int i = 0; i < kSafeListEntries; ++i) {
    if (i < kMissingFiles) {
      programs.missing.push_back(toCome + "\\file " + std::to_string(i) + ".txt");
      partly += programs.missing.back() + "\r\n";
    } else {
      partly += paths[static_cast<std::size_t>(i)] + "\r\n";
    }
  }
  if (!WriteBytes(programs.missingFolder + "\\prot.dat", partly)) Problem("cannot write prot.dat");
  return programs;
}

// True when a control with this identifier is somewhere in the window.
bool HasControl(HWND window, int id) {
  struct Search {
    int id;
    bool found = false;
  } search{id};
  EnumChildWindows(
      window,
      [](HWND child, LPARAM lParam) -> BOOL {
        auto& wanted = *reinterpret_cast<Search*>(lParam);
        wanted.found = GetDlgCtrlID(child) == wanted.id;
        return !wanted.found;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

void BenchStartUp(const Programs& programs) {
  struct Kind {
    const std::string& program;
    const std::string& folder;
    const char* className;
    const std::string& arguments;
    bool holds;  // holds the safe list's files once its window shows
    std::vector<double> ms;
    std::vector<double> ready;  // until the program first waits for input
    std::vector<double> bytes;  // once every page is built
    std::vector<double> cpu;
    std::vector<double> cpuAll;  // until every page is built
  };
  const std::string none;
  Kind kinds[] = {
      {programs.fendrel, programs.fendrelFolder, kFendrelClass, none, true, {}, {}, {}, {}, {}},
      {programs.emptyFendrel, programs.emptyFolder, kFendrelClass, none, false, {}, {}, {}, {}, {}},
      {programs.minimal, programs.minimalFolder, kMinimalClass, none, false, {}, {}, {}, {}, {}},
      {programs.floor,
       programs.floorFolder,
       kMinimalClass,
       programs.floorArguments,
       true,
       {},
       {},
       {},
       {},
       {}}};
  constexpr int kKinds = sizeof kinds / sizeof kinds[0];
  // Run 0 warms the caches and is not counted; the order rotates so no kind
  // always follows the same one.
  for (int run = 0; run <= kStartRuns; ++run) {
    for (int k = 0; k < kKinds; ++k) {
      Kind& kind = kinds[(k + run) % kKinds];
      std::optional<Started> started;
      const LONGLONG begun = Now();
      const double ms = StartUntilShown(started, kind.program, kind.folder, kind.className, kind.arguments);
      // The window shows after the load step, so every listed file is held by now.
      if (kind.holds && ms >= 0 && !Held(programs.heldFile)) {
        Problem("the window of " + kind.program + " showed before the safe list was held");
      }
      // Fendrel builds the pages it does not show first after its window
      // shows; it waits for input once they are built.
      const bool idle = WaitForInputIdle(started->process(), kWaitMs) == 0;
      const double ready = Since(begun);
      const double cpu = Total(started->ThreadCpuMs());
      // Fendrel builds those pages between the messages once it waits for
      // input; the last page is Close Program's. Its CPU and memory are
      // taken again when every page is there.
      if (std::string(kind.className) == kFendrelClass) {
        const HWND window = started->Window(kind.className);
        started->WaitUntil([&] { return HasControl(window, fendrel::ctl::kCloseProgramButton); });
      }
      if (run > 0 && ms >= 0) {
        kind.ms.push_back(ms);
        if (idle) kind.ready.push_back(ready);
        kind.bytes.push_back(static_cast<double>(started->PrivateBytes()));
        kind.cpu.push_back(cpu);
        kind.cpuAll.push_back(Total(started->ThreadCpuMs()));
      }
    }
  }
  // Starts vary most with what else the machine does: every sample is shown.
  const char* const names[] = {"413 entries", "no lists", "minimal window", "floor"};
  for (int k = 0; k < kKinds; ++k) {
    std::string line;
    for (double ms : kinds[k].ms) line += Format(" %.0f", ms);
    notes.push_back(std::string("start samples, ") + names[k] + " (ms):" + line);
  }
  const double f = Median(kinds[0].ms), e = Median(kinds[1].ms), m = Median(kinds[2].ms);
  const double fl = Median(kinds[3].ms);
  const std::string runs = " (med. " + std::to_string(kStartRuns) + ")";
  const std::string againstFloor = "  the same against the floor" + runs;
  const std::string floorName = "minimal_window.exe --floor (holds the 413 files, then shows)";
  rows.push_back({"start until the window shows, 413 entries" + runs, Ms(f), Ms(m), Ratio(f, m),
                  Aim(f, m, 1.5), "minimal_window.exe, started and polled the same way"});
  rows.push_back({againstFloor, Ms(f), Ms(fl), Ratio(f, fl), Aim(f, fl, 1.2), floorName});
  rows.push_back({"  the same start with no lists" + runs, Ms(e), Ms(m), Ratio(e, m), "-",
                  "minimal_window.exe, as above"});
  const double fr = Median(kinds[0].ready), mr = Median(kinds[2].ready), flr = Median(kinds[3].ready);
  rows.push_back({"  the 413-entry start until it waits for input" + runs, Ms(fr), Ms(mr), Ratio(fr, mr), "-",
                  "minimal_window.exe, until it waits for input"});
  rows.push_back({againstFloor, Ms(fr), Ms(flr), Ratio(fr, flr), Aim(fr, flr, 1.3), floorName});
  // CPU time moves less than wall time when other work shares the processors.
  const double fc = Median(kinds[0].cpu), mc = Median(kinds[2].cpu), flc = Median(kinds[3].cpu);
  rows.push_back({"  CPU of the 413-entry start (all threads)" + runs, Ms(fc), Ms(mc), Ratio(fc, mc), "-",
                  "minimal_window.exe's start"});
  rows.push_back({againstFloor, Ms(fc), Ms(flc), Ratio(fc, flc), Aim(fc, flc, 1.5), floorName});
  const double fca = Median(kinds[0].cpuAll);
  rows.push_back(
      {"  the same until every page is built" + runs, Ms(fca), Ms(flc), Ratio(fca, flc), "-", floorName});
  const double fm = Median(kinds[0].bytes), mm = Median(kinds[2].bytes), flm = Median(kinds[3].bytes);
  rows.push_back({"private bytes, every page built, 413 holds", KiB(fm), KiB(mm), Ratio(fm, mm),
                  Aim(fm, mm, 1.5), "minimal_window.exe, window shown"});
  rows.push_back({"  the same against the floor", KiB(fm), KiB(flm), Ratio(fm, flm), "-", floorName});
}

// ------------------------------------------------------------------ the steps of the start

constexpr int kStepRuns = 15;
constexpr int kMemoryStepRuns = 5;

// One step of Fendrel's start, by where it runs: "the load step > the
// password" is the password step inside the load step. Times are its own
// (the steps inside it are rows of their own), summed within a run; one
// value a run.
struct StepFigures {
  std::string path;
  int depth = 0;
  std::vector<double> count, wallMs, cpuMs, endsAtMs;  // a value a run (0 where it did not run)
  std::vector<double> kib;  // the private bytes the step added (its own), when they were recorded
};

class StepTable {
 public:
  // Reads one run's file (platform/start_steps_win.h); `created` is the
  // counter just before CreateProcess. False when the file says nothing.
  bool Add(const std::string& text, LONGLONG created) {
    struct Open {
      std::string path;
      LONGLONG counter;
      unsigned long long cpu;
      long long bytes;
      LONGLONG childWall = 0;
      unsigned long long childCpu = 0;
      long long childBytes = 0;
    };
    struct Sum {
      int depth = 0;
      double count = 0, wallMs = 0, cpuMs = 0, endsAtMs = 0, kib = 0;
    };
    std::vector<std::pair<std::string, Sum>> run;  // in the order of their first end
    const auto sum = [&run](const std::string& path, int depth) -> Sum& {
      for (auto& [name, figures] : run) {
        if (name == path) return figures;
      }
      run.push_back({path, Sum{depth}});
      return run.back().second;
    };
    std::vector<Open> open;
    double frequency = 0;
    LONGLONG lastEnd = created;
    unsigned long long lastCpu = 0;
    long long lastBytes = 0;  // before the first step: what the loader and the runtime made
    std::string lastName;
    double lastEndMs = 0;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
      if (line.rfind("F ", 0) == 0) {
        frequency = std::stod(line.substr(2));
        continue;
      }
      if (frequency <= 0 || line.size() < 2) continue;
      const bool begin = line[0] == 'B';
      std::string name;
      std::size_t numbers = 2;
      if (begin) {
        const std::size_t tab = line.find('\t');
        if (tab == std::string::npos) continue;
        name = line.substr(2, tab - 2);
        numbers = tab + 1;
      }
      std::istringstream values(line.substr(numbers));
      LONGLONG counter = 0;
      unsigned long long cpu = 0;
      long long bytes = 0;
      values >> counter >> cpu >> bytes;
      memory_ = memory_ || bytes > 0;
      const auto ms = [&](LONGLONG ticks) { return static_cast<double>(ticks) * 1000.0 / frequency; };
      if (begin) {
        if (open.empty()) {
          // The time between two steps of the outermost level is a row of
          // its own, named by its neighbours.
          const std::string gap = lastName.empty() ? "(the loader and the runtime, from CreateProcess)"
                                                   : "(between " + lastName + " and " + name + ")";
          Sum& between = sum(gap, 0);
          between.count += 1;
          between.wallMs += ms(counter - lastEnd);
          if (!lastName.empty()) between.cpuMs += static_cast<double>(cpu - lastCpu) / 10000.0;
          between.kib += static_cast<double>(bytes - lastBytes) / 1024.0;
          between.endsAtMs = ms(counter - created);
        }
        open.push_back({open.empty() ? name : open.back().path + " > " + name, counter, cpu, bytes});
        continue;
      }
      if (open.empty()) continue;
      const Open step = open.back();
      open.pop_back();
      const LONGLONG wall = counter - step.counter;
      const unsigned long long used = cpu - step.cpu;
      Sum& row = sum(step.path, static_cast<int>(open.size()));
      row.count += 1;
      row.wallMs += ms(wall - step.childWall);
      row.cpuMs += static_cast<double>(used - step.childCpu) / 10000.0;
      row.kib += static_cast<double>(bytes - step.bytes - step.childBytes) / 1024.0;
      if (open.empty()) {
        row.endsAtMs = ms(counter - created);
        lastEnd = counter;
        lastCpu = cpu;
        lastBytes = bytes;
        lastName = step.path;
        lastEndMs = ms(counter - created);
      } else {
        open.back().childWall += wall;
        open.back().childCpu += used;
        open.back().childBytes += bytes - step.bytes;
      }
    }
    if (run.empty()) return false;
    lastEndMs_.push_back(lastEndMs);
    for (const auto& [path, figures] : run) {
      StepFigures& row = Figures(path, figures.depth);
      row.count.push_back(figures.count);
      row.wallMs.push_back(figures.wallMs);
      row.cpuMs.push_back(figures.cpuMs);
      row.endsAtMs.push_back(figures.endsAtMs);
      row.kib.push_back(figures.kib);
    }
    ++runs_;
    for (StepFigures& row : rows_) {
      for (auto* values : {&row.count, &row.wallMs, &row.cpuMs, &row.endsAtMs, &row.kib}) {
        values->resize(static_cast<std::size_t>(runs_), 0.0);
      }
    }
    return true;
  }

  void Print(const char* title, double shownMs) const {
    if (runs_ == 0) return;
    std::printf("\n%s, %d runs; the window shows after %.1f ms, the last step ends after %.1f ms (medians)\n",
                title, runs_, shownMs, Median(lastEndMs_));
    std::printf("%-70s %5s %8s %8s %8s%s\n", "step (own time: the steps inside it are rows of their own)",
                "times", "ms", "CPU ms", "ends at", memory_ ? "      KiB" : "");
    for (const StepFigures& row : rows_) {
      const std::size_t cut = row.path.rfind(" > ");
      const std::string name = std::string(static_cast<std::size_t>(row.depth) * 2, ' ') +
                               row.path.substr(cut == std::string::npos ? 0 : cut + 3);
      const std::string ends = row.depth == 0 ? Format("%8.1f", Median(row.endsAtMs)) : std::string(8, ' ');
      const std::string kib = memory_ ? Format(" %8.0f", Median(row.kib)) : std::string();
      std::printf("%-70s %5.1f %8.2f %8.1f %s%s\n", name.c_str(), Mean(row.count), Median(row.wallMs),
                  Mean(row.cpuMs), ends.c_str(), kib.c_str());
    }
    std::printf(
        "(ms: the median over the runs; CPU: the mean, as the thread times move in steps of 10 ms%s)\n",
        memory_ ? "; KiB: the private bytes the step added, the median" : "");
  }

 private:
  static double Mean(const std::vector<double>& values) {
    double total = 0;
    for (double value : values) total += value;
    return values.empty() ? 0 : total / static_cast<double>(values.size());
  }

  StepFigures& Figures(const std::string& path, int depth) {
    for (StepFigures& row : rows_) {
      if (row.path == path) return row;
    }
    // A step inside another goes after the last row of its parent's.
    std::size_t at = rows_.size();
    const std::size_t cut = path.rfind(" > ");
    if (cut != std::string::npos) {
      const std::string parent = path.substr(0, cut);
      for (std::size_t i = 0; i < rows_.size(); ++i) {
        if (rows_[i].path == parent || rows_[i].path.rfind(parent + " > ", 0) == 0) at = i + 1;
      }
    }
    StepFigures row;
    row.path = path;
    row.depth = depth;
    row.count.assign(static_cast<std::size_t>(runs_), 0.0);
    row.wallMs = row.cpuMs = row.endsAtMs = row.kib = row.count;
    return *rows_.insert(rows_.begin() + static_cast<std::ptrdiff_t>(at), row);
  }

  std::vector<StepFigures> rows_;
  bool memory_ = false;            // the runs recorded private bytes
  std::vector<double> lastEndMs_;  // a run's last step of the outermost level, from CreateProcess
  int runs_ = 0;
};

// Starts a copy of Fendrel with its steps recorded, until it first waits
// for input; adds the run to `table` and returns when its window showed.
double StepsOfOneStart(StepTable& table, const std::string& program, const std::string& folder,
                       const std::string& arguments, const std::string& stepsFile) {
  DeleteFileA(stepsFile.c_str());
  SetEnvironmentVariableA("FENDREL_START_STEPS", stepsFile.c_str());
  std::optional<Started> started;
  const LONGLONG begun = Now();
  const double shown = StartUntilShown(started, program, folder, kFendrelClass, arguments);
  SetEnvironmentVariableA("FENDREL_START_STEPS", nullptr);
  std::optional<std::string> text;
  started->WaitUntil([&] { return (text = ReadBytes(stepsFile)).has_value(); });
  if (!text || !table.Add(*text, begun)) Problem("no steps were written by " + program);
  // A process ended with its icon in the tray leaves the icon behind, and
  // the next start waited about 2 s in its first window call: the icon
  // goes first.
  NOTIFYICONDATAW icon{};
  icon.cbSize = NOTIFYICONDATAW_V1_SIZE;
  icon.hWnd = started->Window(kFendrelClass);
  icon.uID = kFendrelTrayIconId;
  if (!arguments.empty()) Shell_NotifyIconW(NIM_DELETE, &icon);
  return shown;
}

void BenchSteps(const Programs& programs, const std::string& stepsFile) {
  StepTable normal, silent, empty;
  std::vector<double> normalShown, silentShown, emptyShown;
  for (int run = 0; run <= kStepRuns; ++run) {
    StepTable warmUp;
    const bool counted = run > 0;
    const double n =
        StepsOfOneStart(counted ? normal : warmUp, programs.fendrel, programs.fendrelFolder, "", stepsFile);
    const double e =
        StepsOfOneStart(counted ? empty : warmUp, programs.emptyFendrel, programs.emptyFolder, "", stepsFile);
    const double s = StepsOfOneStart(counted ? silent : warmUp, programs.fendrel, programs.fendrelFolder,
                                     "/silent", stepsFile);
    if (counted) {
      normalShown.push_back(n);
      emptyShown.push_back(e);
      silentShown.push_back(s);
    }
  }
  normal.Print("the steps of a start with 413 entries", Median(normalShown));
  empty.Print("the steps of a start with no lists", Median(emptyShown));
  silent.Print("the steps of a silent start (/silent) with 413 entries", Median(silentShown));
  // Apart from the runs above: reading the private bytes at every step
  // lengthens each step it measures.
  StepTable memory;
  std::vector<double> memoryShown;
  SetEnvironmentVariableA("FENDREL_START_STEPS_MEMORY", "1");
  for (int run = 0; run <= kMemoryStepRuns; ++run) {
    StepTable warmUp;
    const double shown =
        StepsOfOneStart(run > 0 ? memory : warmUp, programs.fendrel, programs.fendrelFolder, "", stepsFile);
    if (run > 0) memoryShown.push_back(shown);
  }
  SetEnvironmentVariableA("FENDREL_START_STEPS_MEMORY", nullptr);
  memory.Print(
      "the private bytes of a start with 413 entries, step by step (times lengthened by the reading)",
      Median(memoryShown));
}

void BenchIdle(const Programs& programs) {
  Started fendrel(programs.fendrel, programs.fendrelFolder, "/silent");
  // A silent start shows the window minimized; closing it hides it in the tray.
  HWND window = nullptr;
  if (!fendrel.WaitUntil([&] {
        window = fendrel.Window(kFendrelClass);
        return window && IsWindowVisible(window);
      })) {
    Problem("the silent start showed no minimized window");
    return;
  }
  if (!IsIconic(window)) Problem("the silent start's window is not minimized");
  PostMessageA(window, WM_CLOSE, 0, 0);
  if (!fendrel.WaitUntil([&] { return !IsWindowVisible(window); })) {
    Problem("closing the window did not hide it");
    return;
  }
  // The same, with ten files still to come: it watches their folder.
  Started waiting(programs.missingFendrel, programs.missingFolder, "/silent");
  HWND waitingWindow = nullptr;
  if (!waiting.WaitUntil([&] {
        waitingWindow = waiting.Window(kFendrelClass);
        return waitingWindow && IsWindowVisible(waitingWindow);
      })) {
    Problem("the silent start with files to come showed no window");
    return;
  }
  PostMessageA(waitingWindow, WM_CLOSE, 0, 0);
  waiting.WaitUntil([&] { return !IsWindowVisible(waitingWindow); });
  WaitForInputIdle(waiting.process(), kWaitMs);
  Started minimal(programs.minimal, programs.minimalFolder, "");
  if (!minimal.WaitUntil([&] {
        HWND shown = minimal.Window(kMinimalClass);
        return shown && IsWindowVisible(shown);
      })) {
    Problem("the minimal window did not show");
    return;
  }
  WaitForInputIdle(fendrel.process(), kWaitMs);
  WaitForInputIdle(minimal.process(), kWaitMs);
  ParkPointer();
  Sleep(500);  // let both finish whatever the start left pending

  const auto fendrelBefore = fendrel.ThreadCpuMs(), minimalBefore = minimal.ThreadCpuMs();
  const auto waitingBefore = waiting.ThreadCpuMs();
  const LONGLONG start = Now();
  Sleep(kIdleMs);
  const auto fendrelAfter = fendrel.ThreadCpuMs(), minimalAfter = minimal.ThreadCpuMs();
  const auto waitingAfter = waiting.ThreadCpuMs();
  const double elapsed = Since(start);
  int lost = 0;
  const double fendrelCpu = CpuBetween(fendrelBefore, fendrelAfter, lost);
  const double minimalCpu = CpuBetween(minimalBefore, minimalAfter, lost);
  const double waitingCpu = CpuBetween(waitingBefore, waitingAfter, lost);
  if (lost) Problem(std::to_string(lost) + " thread(s) ended while idle: their time is not counted");
  if (!fendrel.running() || IsWindowVisible(window) || !Held(programs.heldFile)) {
    Problem("Fendrel did not stay hidden in the tray holding its list");
  }
  // The start itself costs CPU: a zero there would mean the reading sees nothing.
  if (Total(fendrelBefore) <= 0)
    Problem("no CPU time seen for Fendrel's start: the idle reading means nothing");
  rows.push_back({Format("CPU over %.1f s hidden in the tray, 413 holds", elapsed / 1000.0), Ms(fendrelCpu),
                  Ms(minimalCpu), "-", fendrelCpu == 0 ? "zero met" : "zero MISSED",
                  "minimal_window.exe, shown, idle over the same seconds"});
  rows.push_back({Format("  the same, 403 holds and 10 files to come, %.1f s", elapsed / 1000.0),
                  Ms(waitingCpu), Ms(minimalCpu), "-", waitingCpu < 1 ? "<1 ms met" : "<1 ms MISSED",
                  "minimal_window.exe, shown, idle over the same seconds"});
  rows.push_back({"  CPU of the silent start (all threads)", Ms(Total(fendrelBefore)),
                  Ms(Total(minimalBefore)), Ratio(Total(fendrelBefore), Total(minimalBefore)), "-",
                  "minimal_window.exe's start"});
  const auto fendrelBytes = static_cast<double>(fendrel.PrivateBytes());
  const auto minimalBytes = static_cast<double>(minimal.PrivateBytes());
  rows.push_back({"private bytes, hidden in the tray, 413 holds", KiB(fendrelBytes), KiB(minimalBytes),
                  Ratio(fendrelBytes, minimalBytes), "-", "minimal_window.exe, window shown"});
}

// ------------------------------------------------------------------ healing

// The Welcome page's summary of the program's window (it follows every hold).
std::string SummaryOf(HWND window) {
  struct Search {
    HWND found = nullptr;
  } search;
  EnumChildWindows(
      window,
      [](HWND child, LPARAM lParam) -> BOOL {
        if (GetDlgCtrlID(child) != fendrel::ctl::kSafeListSummary) return TRUE;
        reinterpret_cast<Search*>(lParam)->found = child;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  char text[256] = {};
  if (search.found) GetWindowTextA(search.found, text, static_cast<int>(sizeof text));
  return text;
}

void BenchHealing(const Programs& programs) {
  Started fendrel(programs.missingFendrel, programs.missingFolder, "");
  HWND window = nullptr;
  if (!fendrel.WaitUntil([&] {
        window = fendrel.Window(kFendrelClass);
        return window && IsWindowVisible(window);
      })) {
    Problem("the start with files to come showed no window");
    return;
  }
  WaitForInputIdle(fendrel.process(), kWaitMs);
  const std::string baseFolder = programs.missingFolder + "\\bare watch";
  CreateDirectoryA(baseFolder.c_str(), nullptr);
  UniqueChangeNotification watch(
      FindFirstChangeNotificationW(fendrel::Wide(baseFolder).c_str(), FALSE, FILE_NOTIFY_CHANGE_FILE_NAME));
  std::vector<double> heals, floors;
  std::vector<HANDLE> floorHolds;
  for (int i = 0; i < kMissingFiles; ++i) {
    // Fendrel: made, then held once the summary counts it.
    const std::string wanted =
        fendrel::messages::SafeListSummary(kSafeListEntries - kMissingFiles + i + 1, kSafeListEntries);
    LONGLONG start = Now();
    WriteBytes(programs.missing[static_cast<std::size_t>(i)], "made");
    if (!fendrel.WaitUntil([&] { return SummaryOf(window) == wanted; })) {
      Problem("a file made after the start was not held: the summary says " + SummaryOf(window));
      return;
    }
    heals.push_back(Since(start));
    // The floor: a watch on the folder wakes, and the file is opened.
    const std::wstring bare = fendrel::Wide(baseFolder + "\\file " + std::to_string(i) + ".txt");
    start = Now();
    WriteBytes(fendrel::Narrow(bare), "made");
    WaitForSingleObject(watch.get(), kWaitMs);
    floorHolds.push_back(CreateFileW(bare.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
    floors.push_back(Since(start));
    FindNextChangeNotification(watch.get());
  }
  for (HANDLE hold : floorHolds) CloseHandle(hold);
  if (!Held(programs.missing.back())) Problem("the last file made is not held");
  const double h = Median(heals), f = Median(floors);
  std::string line;
  for (double ms : heals) line += Format(" %.0f", ms);
  notes.push_back("creation-to-hold samples (ms):" + line);
  rows.push_back({"a listed file made later, until held (med. " + std::to_string(kMissingFiles) + ")", Ms(h),
                  Ms(f), Ratio(h, f), h < 5000 ? "<5 s met" : "<5 s MISSED",
                  "a bare folder watch that opens the file when it wakes"});
}

// ------------------------------------------------------------------ wake-ups

// How long the window takes to answer a message now; kWaitMs when it does not.
double AnswerMs(HWND window) {
  const LONGLONG start = Now();
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, kWaitMs, &result)) return kWaitMs;
  return Since(start);
}

// A copy of `built` in a folder of its own whose safe list is `listed`.
// The MachineState of the run holds for every copy: a password exists.
std::string CopyWithList(const WorkFolder& work, const std::string& built, const std::string& name,
                         const std::vector<std::string>& listed) {
  const std::string folder = work.Make(name);
  if (!CopyFileA(built.c_str(), (folder + "\\Fendrel.exe").c_str(), FALSE)) Problem("cannot copy " + built);
  std::string list;
  for (const std::string& path : listed) list += path + "\r\n";
  if (!WriteBytes(folder + "\\prot.dat", list)) Problem("cannot write prot.dat in " + folder);
  return folder;
}

// Starts Fendrel from `folder` and waits until its window shows; null when it did not.
HWND StartShown(std::optional<Started>& started, const std::string& folder) {
  if (StartUntilShown(started, folder + "\\Fendrel.exe", folder, kFendrelClass) < 0) return nullptr;
  return started->Window(kFendrelClass);
}

struct WakeupFigures {
  double churnCpuPercent = -1, churnSlowestMs = -1, churnHeldMs = -1;
  double bigStartShownMs = -1, bigStartAnswerMs = -1;
  double pastLimitHeldMs = -1;
};

// kChurnEntries listed files missing from one folder where a new unrelated
// file is made every 10 ms for kChurnMs; one listed file is made halfway.
constexpr int kChurnEntries = 3000;
// Long enough that the system's 10 ms ticks of thread time are a small
// part of the CPU read.
constexpr DWORD kChurnMs = 6000;
// A start whose whole safe list is missing: 32,767 files in 256 folders.
constexpr int kBigFolders = 256;
// One missing file in each of this many folders, more than the 60 the
// watches once were limited to; files made in the last five are timed.
constexpr int kManyFolders = 100;
constexpr int kManyMade = 5;

struct ChurnFigures {
  double cpuPercent = -1, slowestMs = -1, heldMs = -1;
};

// Makes a new unrelated file in `busy` every 10 ms for kChurnMs while the
// started program's window is asked to answer every 10 ms, and reads the
// program's CPU over that time. When `listed` is given, it is made halfway
// and timed until the program holds it.
ChurnFigures Churn(const Started& started, HWND window, const std::string& busy, const std::string& label,
                   const std::string& listed = {}) {
  ChurnFigures figures;
  ParkPointer();
  AnswerMs(window);
  const auto before = started.ThreadCpuMs();
  const LONGLONG start = Now();
  LONGLONG made = 0;
  double slowest = 0;
  const auto waitingForHold = [&] { return made && figures.heldMs < 0 && Since(made) < kWaitMs; };
  for (int i = 0; Since(start) < kChurnMs || waitingForHold(); ++i) {
    if (Since(start) < kChurnMs)
      WriteBytes(busy + "\\" + label + " churn " + std::to_string(i) + ".tmp", "x");
    if (!listed.empty() && !made && Since(start) >= kChurnMs / 2) {
      WriteBytes(listed, "made");
      made = Now();
    }
    if (made && figures.heldMs < 0 && Held(listed)) figures.heldMs = Since(made);
    if (Since(start) < kChurnMs) slowest = std::max(slowest, AnswerMs(window));
    Sleep(10);
  }
  int lost = 0;
  figures.cpuPercent = CpuBetween(before, started.ThreadCpuMs(), lost) / Since(start) * 100.0;
  figures.slowestMs = slowest;
  if (!listed.empty() && figures.heldMs < 0) Problem(label + ": the file made during the churn was not held");
  return figures;
}

// The floor under the churn's CPU: minimal_window.exe watching the busy
// folder with one read that only asks again, churned and asked the same way.
ChurnFigures ChurnFloor(const WorkFolder& work, const std::string& builtMinimal) {
  const std::string busy = work.Make("floor busy");
  std::optional<Started> started;
  started.emplace(builtMinimal, busy, "--watch " + busy);
  if (!started->WaitUntil([&] { return started->Window(kMinimalClass) != nullptr; })) {
    Problem("the watching minimal window did not show");
    return {};
  }
  return Churn(*started, started->Window(kMinimalClass), busy, "floor");
}

WakeupFigures BenchWakeupsOf(const WorkFolder& work, const std::string& built, const std::string& label) {
  WakeupFigures figures;
  {
    const std::string busy = work.Make(label + " busy");
    std::vector<std::string> listed;
    for (int i = 0; i < kChurnEntries; ++i)
      listed.push_back(busy + "\\missing " + std::to_string(i) + ".txt");
    const std::string folder = CopyWithList(work, built, label + " churn", listed);
    std::optional<Started> started;
    if (HWND window = StartShown(started, folder)) {
      const ChurnFigures churn = Churn(*started, window, busy, label, listed[kChurnEntries / 2]);
      figures.churnCpuPercent = churn.cpuPercent;
      figures.churnSlowestMs = churn.slowestMs;
      figures.churnHeldMs = churn.heldMs;
    }
  }
  {
    std::vector<std::string> listed;
    std::vector<std::string> folders;
    work.Make(label + " big");
    for (int f = 0; f < kBigFolders; ++f) folders.push_back(work.Make(label + " big\\" + std::to_string(f)));
    for (int i = 0; i < fendrel::Protection::kMaxEntries; ++i) {
      listed.push_back(folders[static_cast<std::size_t>(i % kBigFolders)] + "\\missing " + std::to_string(i));
    }
    const std::string folder = CopyWithList(work, built, label + " big start", listed);
    std::optional<Started> started;
    const LONGLONG start = Now();
    HWND window = StartShown(started, folder);
    if (window) {
      figures.bigStartShownMs = Since(start);
      figures.bigStartAnswerMs = AnswerMs(window);
    }
  }
  {
    std::vector<std::string> listed;
    for (int f = 0; f < kManyFolders; ++f) {
      listed.push_back(work.Make(label + " many " + std::to_string(f)) + "\\to come.txt");
    }
    const std::string folder = CopyWithList(work, built, label + " many folders", listed);
    std::optional<Started> started;
    HWND window = StartShown(started, folder);
    const std::string none = fendrel::messages::SafeListSummary(0, kManyFolders);
    if (window && started->WaitUntil([&] { return SummaryOf(window) == none; })) {
      Sleep(500);  // the watches begun
      std::vector<double> held;
      for (int i = 0; i < kManyMade; ++i) {
        const std::string& file = listed[static_cast<std::size_t>(kManyFolders - 1 - i)];
        const LONGLONG made = Now();
        WriteBytes(file, "made");
        if (!started->WaitUntil([&] { return Held(file); })) {
          Problem(label + ": a file made past the 60th folder was not held");
          break;
        }
        held.push_back(Since(made));
      }
      if (!held.empty()) figures.pastLimitHeldMs = *std::max_element(held.begin(), held.end());
    }
  }
  return figures;
}

std::string MsOrNone(double ms) {
  return ms < 0 ? "-" : Ms(ms);
}

void BenchWakeups(const WorkFolder& work, const std::string& builtFendrel, const std::string& builtMinimal,
                  const std::string& before) {
  const WakeupFigures now = BenchWakeupsOf(work, builtFendrel, "now");
  const ChurnFigures floor = ChurnFloor(work, builtMinimal);
  WakeupFigures old;
  if (!before.empty()) old = BenchWakeupsOf(work, before, "before");
  const std::string was = before.empty() ? "-" : "the build named by FENDREL_BEFORE";
  const auto pair = [&](const std::string& figure, double value, double baseline, const std::string& aim,
                        bool met) {
    rows.push_back({figure, MsOrNone(value), before.empty() ? "-" : MsOrNone(baseline),
                    before.empty() || baseline <= 0 || value < 0 ? "-" : Ratio(value, baseline),
                    value < 0 ? "-" : aim + (met ? " met" : " MISSED"), was});
  };
  rows.push_back({"churn (3000 missing, a new file every 10 ms): CPU", Format("%.1f%%", now.churnCpuPercent),
                  before.empty() ? "-" : Format("%.1f%%", old.churnCpuPercent), "-",
                  now.churnCpuPercent < 2 ? "<2% met" : "<2% MISSED", was});
  rows.push_back({"  the same churn's floor: CPU", Format("%.1f%%", now.churnCpuPercent),
                  Format("%.1f%%", floor.cpuPercent), Ratio(now.churnCpuPercent, floor.cpuPercent), "-",
                  "minimal_window.exe --watch: one read that only asks again, asked to answer as often"});
  pair("  the window's slowest answer during the churn", now.churnSlowestMs, old.churnSlowestMs, "<100 ms",
       now.churnSlowestMs < 100);
  pair("  a listed file made during the churn, until held", now.churnHeldMs, old.churnHeldMs, "<1 s",
       now.churnHeldMs < 1000);
  pair("start with 32767 missing entries, until shown", now.bigStartShownMs, old.bigStartShownMs, "-", true);
  pair("  then until the window answers", now.bigStartAnswerMs, old.bigStartAnswerMs, "<1 s",
       now.bigStartAnswerMs < 1000);
  pair("a file made in folders 96-100 of 100, until held (max)", now.pastLimitHeldMs, old.pastLimitHeldMs,
       "<5 s", now.pastLimitHeldMs < 5000);
}

// ------------------------------------------------------------------ folder entries

// A folder entry's tree: kTreeFolders subfolders of the root, each with the
// same share of kTreeFiles files.
constexpr int kTreeFolders = 200;
constexpr int kTreeFiles = 10000;
constexpr int kTreeRepetitions = 9;
constexpr int kTreeMade = 10;      // files made later in the held tree, each timed until held
constexpr DWORD kTreePollMs = 20;  // a finer poll takes the system's time from the walk it times

struct Tree {
  std::string root;
  // Every folder and file under the root, in the order a walk lists them:
  // the root's names first, then each subfolder's, each as the system gives them.
  std::vector<std::string> folders;
  std::vector<std::string> files;
};

void ListTree(Tree& tree) {
  std::deque<std::string> toList{tree.root};
  while (!toList.empty()) {
    const std::string folder = toList.front();
    toList.pop_front();
    WIN32_FIND_DATAA found{};
    HANDLE find = FindFirstFileExA((folder + "\\*").c_str(), FindExInfoBasic, &found, FindExSearchNameMatch,
                                   nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (find == INVALID_HANDLE_VALUE) continue;
    do {
      const std::string name = found.cFileName;
      if (name == "." || name == "..") continue;
      const std::string path = folder + "\\" + name;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        tree.folders.push_back(path);
        toList.push_back(path);
      } else {
        tree.files.push_back(path);
      }
    } while (FindNextFileA(find, &found));
    FindClose(find);
  }
}

Tree MakeTree(const WorkFolder& work, const std::string& name) {
  Tree tree;
  tree.root = work.Make(name);
  for (int f = 0; f < kTreeFolders; ++f) {
    const std::string folder = work.Make(name + "\\folder " + std::to_string(f));
    MakeFiles(folder, kTreeFiles / kTreeFolders, static_cast<std::uint32_t>(1000 + f));
  }
  ListTree(tree);
  if (tree.files.size() != kTreeFiles || tree.folders.size() != kTreeFolders)
    Problem("the tree under " + tree.root + " is not as made");
  return tree;
}

// Kernel and user time so far of the calling thread, in milliseconds.
double OwnThreadCpuMs() {
  FILETIME created, exited, kernel, user;
  if (!GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user)) return 0;
  return static_cast<double>(Ticks(kernel) + Ticks(user)) / 10000.0;
}

// How many of the tree's files are held now.
int HeldFiles(const Tree& tree) {
  return static_cast<int>(std::count_if(tree.files.begin(), tree.files.end(), Held));
}

// The floor under holding a tree: list it as a walk does and open each name
// as found, files for reading with sharing for readers only, folders by a
// directory handle. Returns the milliseconds; the handles go after the timing.
double BareTreeHolds(const Tree& tree) {
  std::vector<HANDLE> handles;
  handles.reserve(kTreeFiles + kTreeFolders + 1);
  const LONGLONG start = Now();
  const auto openFolder = [&](const std::wstring& folder) {
    handles.push_back(CreateFileW(folder.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  };
  std::deque<std::wstring> toList{fendrel::Wide(tree.root)};
  openFolder(toList.front());
  while (!toList.empty()) {
    const std::wstring folder = std::move(toList.front());
    toList.pop_front();
    WIN32_FIND_DATAW found{};
    HANDLE find = FindFirstFileExW((folder + L"\\*").c_str(), FindExInfoBasic, &found, FindExSearchNameMatch,
                                   nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (find == INVALID_HANDLE_VALUE) continue;
    do {
      const std::wstring_view name(found.cFileName);
      if (name == L"." || name == L"..") continue;
      std::wstring path = folder + L"\\" + found.cFileName;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        openFolder(path);
        toList.push_back(std::move(path));
      } else {
        handles.push_back(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
      }
    } while (FindNextFileW(find, &found));
    FindClose(find);
  }
  const double ms = Since(start);
  if (handles.size() != kTreeFiles + kTreeFolders + 1 ||
      std::count(handles.begin(), handles.end(), INVALID_HANDLE_VALUE) != 0) {
    Problem("the bare walk could not open every name of the tree");
  }
  for (HANDLE handle : handles) CloseHandle(handle);
  return ms;
}

// A message box of the process's open now, or null.
HWND BoxOf(DWORD processId) {
  HWND window = nullptr;
  while ((window = FindWindowExA(nullptr, window, "#32770", nullptr)) != nullptr) {
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == processId && IsWindowVisible(window)) return window;
  }
  return nullptr;
}

// Presses a button of the window as its click does.
void Press(HWND window, int id) {
  PostMessageA(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(window, id)));
}

// Polls every kTreePollMs until `done` holds; false after kWaitMs.
template <typename Condition>
bool PollUntil(Condition done) {
  const ULONGLONG end = GetTickCount64() + kWaitMs;
  while (!done()) {
    if (GetTickCount64() > end) return false;
    Sleep(kTreePollMs);
  }
  return true;
}

// Starts Fendrel silently from `folder`, closes its minimized window into the
// tray and waits until it waits for input; null when it did not show.
HWND StartInTray(std::optional<Started>& started, const std::string& folder) {
  started.emplace(folder + "\\Fendrel.exe", folder, "/silent");
  HWND window = nullptr;
  if (!started->WaitUntil([&] {
        window = started->Window(kFendrelClass);
        return window && IsWindowVisible(window);
      })) {
    Problem("the silent start from " + folder + " showed no window");
    return nullptr;
  }
  PostMessageA(window, WM_CLOSE, 0, 0);
  if (!started->WaitUntil([&] { return !IsWindowVisible(window); }))
    Problem("closing the window did not hide it");
  WaitForInputIdle(started->process(), kWaitMs);
  return window;
}

void BenchFolders(const WorkFolder& work, const std::string& builtFendrel, const std::string& builtMinimal) {
  const Tree tree = MakeTree(work, "tree");
  if (tree.files.empty()) return;
  const std::string& last = tree.files.back();  // the last file a walk holds
  const std::string sized = std::to_string(kTreeFiles / 1000) + "k files";

  // "Emergency" with the tree's folder on the emergency list, pressed in the window.
  {
    const std::string folder = CopyWithList(work, builtFendrel, "folder emergency", {});
    if (!WriteBytes(folder + "\\emer.dat", tree.root + "\r\n")) Problem("cannot write emer.dat");
    std::optional<Started> started;
    HWND window = StartShown(started, folder);
    if (!window) return;
    WaitForInputIdle(started->process(), kWaitMs);
    ParkPointer();
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    std::vector<double> action, bare, actionCpu, bareCpu;
    // Repetition 0 warms the caches and is not counted; the order alternates.
    for (int repetition = 0; repetition <= kTreeRepetitions; ++repetition) {
      const auto programRun = [&] {
        const auto cpuBefore = started->ThreadCpuMs();
        const LONGLONG start = Now();
        Press(window, fendrel::ctl::kEmergencyButton);
        const bool lastHeld = PollUntil([&] { return Held(last); });
        const double ms = Since(start);
        int lost = 0;
        const double cpu = CpuBetween(cpuBefore, started->ThreadCpuMs(), lost);
        const int held = HeldFiles(tree);
        if (!lastHeld || held != kTreeFiles) {
          Problem("the emergency held " + std::to_string(held) + " of the tree's " +
                  std::to_string(kTreeFiles) + " files");
        }
        if (BoxOf(processId)) Problem("the emergency showed a message for its folder");
        Press(window, fendrel::ctl::kNoEmergencyButton);
        if (!PollUntil([&] { return !Held(last) && !Held(tree.files.front()); }))
          Problem("\"No Emergency\" left a file of the tree held");
        if (repetition > 0) {
          action.push_back(ms);
          actionCpu.push_back(cpu);
        }
      };
      const auto bareRun = [&] {
        const double cpuBefore = OwnThreadCpuMs();
        const double ms = BareTreeHolds(tree);
        if (repetition > 0) {
          bare.push_back(ms);
          bareCpu.push_back(OwnThreadCpuMs() - cpuBefore);
        }
      };
      if (repetition % 2) {
        programRun();
        bareRun();
      } else {
        bareRun();
        programRun();
      }
    }
    std::string line, bareLine;
    for (double ms : action) line += Format(" %.0f", ms);
    for (double ms : bare) bareLine += Format(" %.0f", ms);
    notes.push_back("folder emergency samples (ms):" + line + "; the bare walk's:" + bareLine);
    const double a = Median(action), b = Median(bare);
    rows.push_back(
        {"\"Emergency\", a folder of " + sized + " (med. " + std::to_string(kTreeRepetitions) + ")", Ms(a),
         Ms(b), Ratio(a, b), Aim(a, b, 1.1), "FindFirstFileExW walk + CreateFileW of each file and folder"});
    // CPU time moves less than wall time when other work shares the
    // processors (the system's own server's time is in neither).
    const double ac = Median(actionCpu), bc = Median(bareCpu);
    rows.push_back({"  CPU of that emergency (all threads)", Ms(ac), Ms(bc), Ratio(ac, bc), "-",
                    "the bare walk's thread"});
  }

  // The tree held through the safe list, hidden in the tray, beside the same
  // program with an empty safe list and the minimal window.
  const std::string heldFolder = CopyWithList(work, builtFendrel, "folder held", {tree.root});
  const std::string emptyFolder = CopyWithList(work, builtFendrel, "folder none", {});
  std::optional<Started> held, empty;
  const LONGLONG begun = Now();
  HWND window = StartInTray(held, heldFolder);
  if (!window || !PollUntil([&] { return Held(last); })) {
    Problem("the tree on the safe list was not held");
    return;
  }
  const double heldMs = Since(begun);
  if (HeldFiles(tree) != kTreeFiles) Problem("a file of the tree on the safe list is not held");
  if (!StartInTray(empty, emptyFolder)) return;
  std::optional<Started> shownMinimal;
  if (StartUntilShown(shownMinimal, builtMinimal, work.Make("folder minimal"), kMinimalClass) < 0) return;
  const Started& minimal = *shownMinimal;
  WaitForInputIdle(minimal.process(), kWaitMs);
  ParkPointer();
  Sleep(500);  // let each finish whatever its start left pending

  const auto heldBefore = held->ThreadCpuMs(), minimalBefore = minimal.ThreadCpuMs();
  const LONGLONG start = Now();
  Sleep(kIdleMs);
  const auto heldAfter = held->ThreadCpuMs(), minimalAfter = minimal.ThreadCpuMs();
  const double elapsed = Since(start);
  int lost = 0;
  const double heldCpu = CpuBetween(heldBefore, heldAfter, lost);
  const double minimalCpu = CpuBetween(minimalBefore, minimalAfter, lost);
  if (lost) Problem(std::to_string(lost) + " thread(s) ended while idle: their time is not counted");
  if (!Held(last)) Problem("the tree's last file was let go while idle");
  rows.push_back({Format("CPU over %.1f s in the tray, folder of ", elapsed / 1000.0) + sized, Ms(heldCpu),
                  Ms(minimalCpu), "-", heldCpu == 0 ? "zero met" : "zero MISSED",
                  "minimal_window.exe, shown, idle over the same seconds"});

  const auto heldBytes = static_cast<double>(held->PrivateBytes());
  const auto emptyBytes = static_cast<double>(empty->PrivateBytes());
  const double perFile = (heldBytes - emptyBytes) / kTreeFiles;
  rows.push_back({"private bytes, a folder of " + sized + " held", KiB(heldBytes), KiB(emptyBytes),
                  Ratio(heldBytes, emptyBytes), "-",
                  "the same program with an empty safe list, in the tray"});
  rows.push_back({"  per file held under the folder entry", Format("%.0f B", perFile), "-", "-",
                  perFile < 200 ? "<200 B met" : "<200 B MISSED", "(the difference over the files)"});
  notes.push_back("the tree on the safe list, from start to its last file held: " + Ms(heldMs));

  // Files made later in the held tree, each timed until held; beside a bare
  // watch of a tree of the benchmark's own that opens the file when it wakes.
  const std::string floorRoot = work.Make("folder floor");
  UniqueChangeNotification watch(
      FindFirstChangeNotificationW(fendrel::Wide(floorRoot).c_str(), TRUE, FILE_NOTIFY_CHANGE_FILE_NAME));
  const auto make = [](const std::string& path) {
    UniqueHandle file(CreateFileW(fendrel::Wide(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                  CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    const bool made = file && WriteFile(file.get(), "made\r\n", 6, &written, nullptr) && written == 6;
    if (!made) Problem("cannot make " + path);
  };
  std::vector<double> madeHeld, floors;
  std::vector<HANDLE> floorHolds;
  for (int i = 0; i < kTreeMade; ++i) {
    const std::string path = tree.folders[static_cast<std::size_t>(i * kTreeFolders / kTreeMade)] +
                             "\\made later " + std::to_string(i) + ".txt";
    LONGLONG made = Now();
    make(path);
    if (!held->WaitUntil([&] { return Held(path); })) {
      Problem("a file made in the held tree was not held: " + path);
      break;
    }
    madeHeld.push_back(Since(made));
    const std::string floorPath = floorRoot + "\\made later " + std::to_string(i) + ".txt";
    made = Now();
    make(floorPath);
    WaitForSingleObject(watch.get(), kWaitMs);
    floorHolds.push_back(CreateFileW(fendrel::Wide(floorPath).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    floors.push_back(Since(made));
    FindNextChangeNotification(watch.get());
    Sleep(100);
  }
  for (HANDLE hold : floorHolds) CloseHandle(hold);
  std::string line;
  for (double ms : madeHeld) line += Format(" %.0f", ms);
  notes.push_back("a file made in the held folder, until held, samples (ms):" + line);
  const double m = Median(madeHeld), f = Median(floors);
  rows.push_back({"a file made in a held folder, until held (med. " + std::to_string(kTreeMade) + ")",
                  madeHeld.empty() ? "-" : Ms(m), Ms(f), Ratio(m, f),
                  madeHeld.empty() ? "-"
                  : m < 1000       ? "<1 s met"
                                   : "<1 s MISSED",
                  "a bare subtree watch that opens the file when it wakes"});
}

void BenchSizes(const std::string& builtFendrel, const std::string& builtMinimal) {
  const auto f = static_cast<double>(FileSize(builtFendrel)), m = static_cast<double>(FileSize(builtMinimal));
  rows.push_back({"size of Fendrel.exe on disk", KiB(f), KiB(m), Ratio(f, m), "-",
                  "minimal_window.exe (both static, same compiler)"});
}

void PrintSetting() {
  SYSTEM_INFO system;
  GetSystemInfo(&system);
  using WineVersionFn = const char*(CDECL*)();
  const auto wineVersion = reinterpret_cast<WineVersionFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version")));
  std::printf("Fendrel benchmark: %lu processors, %s\n", system.dwNumberOfProcessors,
              wineVersion ? ("Wine " + std::string(wineVersion())).c_str() : "Windows");
}

}  // namespace

int main(int argc, char** argv) {
  // The programs beside this one unless named:
  //   fendrel_bench [--wakeups | --folders | --steps] [Fendrel.exe [minimal_window.exe]]
  // --wakeups runs only the wake-up figures, --folders only the folder
  // entries' figures, --steps only the table of the start's steps. FENDREL_BEFORE names another build of
  // Fendrel.exe whose wake-up figures stand beside these.
  const bool wakeupsOnly = argc > 1 && std::string(argv[1]) == "--wakeups";
  const bool foldersOnly = argc > 1 && std::string(argv[1]) == "--folders";
  const bool stepsOnly = argc > 1 && std::string(argv[1]) == "--steps";
  // --start: the emergency, the save, the start-up, idle and healing
  // figures and the sizes, without the wake-ups and the folder entries.
  const bool startOnly = argc > 1 && std::string(argv[1]) == "--start";
  if (wakeupsOnly || foldersOnly || stepsOnly || startOnly) {
    --argc;
    ++argv;
  }
  char beforeText[MAX_PATH] = {};
  GetEnvironmentVariableA("FENDREL_BEFORE", beforeText, MAX_PATH);
  const std::string before = beforeText;
  const std::string builtFendrel = argc > 1 ? argv[1] : ExecutableFolder() + "\\Fendrel.exe";
  const std::string builtMinimal = argc > 2 ? argv[2] : ExecutableFolder() + "\\minimal_window.exe";
  if (GetFileAttributesA(builtFendrel.c_str()) == INVALID_FILE_ATTRIBUTES ||
      GetFileAttributesA(builtMinimal.c_str()) == INVALID_FILE_ATTRIBUTES) {
    std::fprintf(stderr, "cannot find %s or %s\n", builtFendrel.c_str(), builtMinimal.c_str());
    return 2;
  }
  PrintSetting();
  const LONGLONG start = Now();
  {
    WorkFolder work;
    if (wakeupsOnly) {
      MachineState machine(work.Make("Fendrel"));
      std::printf("wake-ups ...\n");
      std::fflush(stdout);
      BenchWakeups(work, builtFendrel, builtMinimal, before);
    }
    if (foldersOnly) {
      MachineState machine(work.Make("Fendrel"));
      std::printf("folder entries ...\n");
      std::fflush(stdout);
      BenchFolders(work, builtFendrel, builtMinimal);
    }
    if (stepsOnly) {
      const Programs programs = PreparePrograms(work, builtFendrel, builtMinimal);
      MachineState machine(programs.fendrelFolder);
      std::printf("the steps of the start ...\n");
      std::fflush(stdout);
      BenchSteps(programs, work.Make("steps") + "\\steps.txt");
    }
  }
  if (!wakeupsOnly && !foldersOnly && !stepsOnly) {
    WorkFolder work;
    std::printf("emergency action ...\n");
    std::fflush(stdout);
    BenchEmergency(work);
    std::printf("save ...\n");
    std::fflush(stdout);
    BenchSave(work);
    const Programs programs = PreparePrograms(work, builtFendrel, builtMinimal);
    {
      MachineState machine(programs.fendrelFolder);
      std::printf("start-up ...\n");
      std::fflush(stdout);
      BenchStartUp(programs);
      std::printf("idle, %lu s ...\n", kIdleMs / 1000);
      std::fflush(stdout);
      BenchIdle(programs);
      std::printf("healing ...\n");
      std::fflush(stdout);
      BenchHealing(programs);
      if (!startOnly) {
        std::printf("wake-ups ...\n");
        std::fflush(stdout);
        BenchWakeups(work, builtFendrel, builtMinimal, before);
        std::printf("folder entries ...\n");
        std::fflush(stdout);
        BenchFolders(work, builtFendrel, builtMinimal);
      }
    }
    BenchSizes(builtFendrel, builtMinimal);
  }
  std::printf("\n");
  PrintTable();
  std::printf("\n");
  for (const std::string& note : notes) std::printf("%s\n", note.c_str());
  std::printf("whole run: %.0f s\n", Since(start) / 1000.0);
  for (const std::string& problem : problems) std::printf("problem: %s\n", problem.c_str());
  return problems.empty() ? 0 : 1;
}
