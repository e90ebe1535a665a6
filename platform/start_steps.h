// Where the time of the program's start goes. Off unless a benchmark asks
// for it: each step then costs two calls that test a null pointer. When
// asked (see platform/start_steps_win.h), each step's beginning and end are
// recorded with the clock and the thread's processor time, and written to
// a file once the program first waits for input.
#pragma once

namespace fendrel {

class StartStepSink {
 public:
  virtual void Begin(const char* name) = 0;
  virtual void End() = 0;

 protected:
  ~StartStepSink() = default;
};

// Null unless the start is being measured.
extern StartStepSink* startStepSink;

// One step of the start, from here to the end of the enclosing block. A
// step inside another is counted apart from it. `name` is a literal.
class StartStep {
 public:
  explicit StartStep(const char* name);
  ~StartStep();
  StartStep(const StartStep&) = delete;
  StartStep& operator=(const StartStep&) = delete;

 private:
  bool on_;
};

}  // namespace fendrel
