// Whether a roll log is a report's run, roll for roll, held against the run
// drawn again: its own log, its own log cut short (as a failed write or a
// full disk leaves it, possibly inside a label), or another run's.
#pragma once

#include <cstdint>
#include <string>

#include "chart/read/report_parse.h"
#include "chart/read/roll_log.h"

enum class LogKin {
  kNone,  // no log was at hand
  kOwn,   // the run's rolls, all of them
  kCut,   // the run's first rolls, and no more
  kOther, // another run's
};

struct LogMatch {
  bool ok = false; // read as a list of rolls; else `where` and `error` say why not
  LogKin kin = LogKin::kNone;
  int64_t rolls = 0;        // the run's rolls it holds, up to its end or its first other roll
  std::string difference;   // for kOther: the first roll that is not the run's, in words
  std::string where, error; // when !ok, as LogRead has them
};

// What is known of a report's provenance, for the printers.
struct Provenance {
  int32_t seed = 0;  // the run's, replayed
  int32_t rolls = 0; // the run's, every one counted as the report counts it
  LogMatch log;      // of the roll log beside the report or named, if any
};

// Reads the log and holds it to the report's run, roll by roll; reads no
// further than its first roll that is not the run's.
LogMatch match_run_log(LogSource source, const Report &report);
