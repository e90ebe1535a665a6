#include "platform/start_steps_win.h"

#include <windows.h>

#include <psapi.h>

#include "platform/start_steps.h"

namespace fendrel {

namespace {

struct Event {
  const char* name;  // null for an end
  LONGLONG counter;
  ULONGLONG cpu;
  ULONGLONG privateBytes;  // 0 unless asked for
};

// Asked only when FENDREL_START_STEPS_MEMORY is set too: under Wine it is a
// question to the system that would lengthen every step it measures.
ULONGLONG PrivateBytes() {
  PROCESS_MEMORY_COUNTERS_EX counters{};
  counters.cb = sizeof counters;
  if (!K32GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                               sizeof counters)) {
    return 0;
  }
  // Wine leaves PrivateUsage at 0 and counts the same in PagefileUsage.
  return counters.PrivateUsage ? counters.PrivateUsage : counters.PagefileUsage;
}

ULONGLONG ThreadCpu() {
  FILETIME created, exited, kernel, user;
  if (!GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user)) return 0;
  const auto ticks = [](const FILETIME& time) {
    return (static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
  };
  return ticks(kernel) + ticks(user);
}

// A text written by hand: the recorder pulls in no formatting code, so the
// program is no bigger for carrying it.
class Text {
 public:
  void Add(const char* text) {
    while (*text && size_ < sizeof bytes_) bytes_[size_++] = *text++;
  }
  void Add(ULONGLONG number) {
    char digits[24];
    int count = 0;
    do {
      digits[count++] = static_cast<char>('0' + number % 10);
      number /= 10;
    } while (number > 0);
    while (count > 0 && size_ < sizeof bytes_) bytes_[size_++] = digits[--count];
  }
  const char* data() const { return bytes_; }
  DWORD size() const { return size_; }

 private:
  char bytes_[64 * 1024];
  DWORD size_ = 0;
};

class Recorder final : public StartStepSink {
 public:
  Recorder(const wchar_t* file, bool memory) : memory_(memory) { lstrcpynW(file_, file, MAX_PATH); }
  void Begin(const char* name) override { Add(name); }
  void End() override { Add(nullptr); }

  // Writes what was recorded; the steps are over.
  void Write() {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    text_.Add("F ");
    text_.Add(static_cast<ULONGLONG>(frequency.QuadPart));
    text_.Add("\n");
    for (int i = 0; i < count_; ++i) {
      const Event& event = events_[i];
      text_.Add(event.name ? "B " : "E ");
      if (event.name) {
        text_.Add(event.name);
        text_.Add("\t");
      }
      text_.Add(static_cast<ULONGLONG>(event.counter));
      text_.Add(" ");
      text_.Add(event.cpu);
      text_.Add(" ");
      text_.Add(event.privateBytes);
      text_.Add("\n");
    }
    HANDLE out = CreateFileW(file_, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (out == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(out, text_.data(), text_.size(), &written, nullptr);
    CloseHandle(out);
  }

 private:
  void Add(const char* name) {
    if (count_ == kMostEvents) return;
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    events_[count_++] = {name, now.QuadPart, ThreadCpu(), memory_ ? PrivateBytes() : 0};
  }

  static constexpr int kMostEvents = 1024;
  bool memory_;
  wchar_t file_[MAX_PATH];
  Event events_[kMostEvents];
  int count_ = 0;
  Text text_;
};

Recorder* recorder = nullptr;  // made when the steps are asked for, and never freed
bool waitingStep = false;      // "the first messages" has begun
bool waited = false;           // the program waited for input once

}  // namespace

void BeginStartSteps(const char* first) {
  wchar_t file[MAX_PATH];
  const DWORD length = GetEnvironmentVariableW(L"FENDREL_START_STEPS", file, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return;
  recorder = new Recorder(file, GetEnvironmentVariableW(L"FENDREL_START_STEPS_MEMORY", nullptr, 0) > 0);
  startStepSink = recorder;
  recorder->Begin(first);
}

void EndFirstStartStep() {
  if (startStepSink) startStepSink->End();
}

void StartStepsBeforeWait(bool idleWorkLeft) {
  if (!startStepSink) return;
  if (HIWORD(GetQueueStatus(QS_ALLINPUT)) != 0) {
    // The messages that came before the first wait, handled in the loop.
    if (!waitingStep && !waited) recorder->Begin("the first messages");
    waitingStep = !waited;
    return;
  }
  if (waitingStep) recorder->End();
  waitingStep = false;
  if (!waited) {
    recorder->Begin("waiting for input");
    recorder->End();
    waited = true;
  }
  if (idleWorkLeft) return;
  startStepSink = nullptr;
  recorder->Write();
}

}  // namespace fendrel
