// The recorder of the start's steps (platform/start_steps.h), for the
// benchmark. It is on only when the environment variable
// FENDREL_START_STEPS names a file; the steps are written there, a line
// each, once the program first waits for input:
//   B <name> <counter> <cpu> <bytes>    a step begins
//   E <counter> <cpu> <bytes>           the step begun last ends
// <counter> is QueryPerformanceCounter's (the same clock in every process,
// so the benchmark can count from its CreateProcess), <cpu> the thread's
// kernel and user time in 100 ns units, <bytes> the process's private
// bytes when FENDREL_START_STEPS_MEMORY is set too, else 0. The first line
// is "F <frequency>".
#pragma once

namespace fendrel {

// Reads the environment once; from then on, when asked, the steps are
// recorded. `first` is the name of a step that begins now.
void BeginStartSteps(const char* first);

// The step begun by BeginStartSteps ends.
void EndFirstStartStep();

// Called where the program is about to wait for input. The first time
// nothing waits in the thread's queue is recorded as "waiting for input";
// once, in addition, `idleWorkLeft` is false, the steps are written and
// recording stops. Costs nothing once recording stopped or when it never
// began.
void StartStepsBeforeWait(bool idleWorkLeft);

}  // namespace fendrel
