// The faults that a faked system call meets, call by call, for both
// backends' fault tables: call i (from 0) meets faults[i]; past the end,
// the last one again when `repeat` is set, else none.
#pragma once

#include <cstddef>
#include <vector>

enum Fault { kNone, kFail, kShort, kInterrupt, kNothing }; // kNothing: succeeds, takes nothing

struct FaultScript {
  std::vector<Fault> faults;
  bool repeat = false;
  size_t calls = 0; // made so far
};

// The fault that the next call meets.
inline Fault next_fault(FaultScript *script) {
  size_t call = script->calls++;
  if (call < script->faults.size()) return script->faults[call];
  return script->repeat && !script->faults.empty() ? script->faults.back() : kNone;
}
