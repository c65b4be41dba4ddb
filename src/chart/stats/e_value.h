// An e-value and what a running one found. An e-process is a running
// number, never negative, that fair dice (or whatever the null says) take
// to 1/alpha or beyond, ever, with a chance of at most alpha: so a person may
// look after every roll and stop when they like.
//
// A running product of millions of factors leaves the range of a double,
// so an e-value is a double times a power of two kept apart. Each factor is
// a ratio of small whole numbers, and a product of such factors is made of
// IEEE multiplications and divisions alone, each rounded the one way the
// standard allows: the same bits on every processor that rounds doubles
// as stored (SSE2, aarch64, s390x).
#pragma once

#include <cstdint>
#include <vector>

// value = mantissa * 2^(kScaleBits * scale); the mantissa lies within
// 2^-kScaleBits and 2^kScaleBits, or is 0.
constexpr int kScaleBits = 256;

struct EValue {
  double mantissa = 1;
  int64_t scale = 0;
};

// e * factor, factor at least 2^-256 and at most 2^256 (or 0).
EValue scaled_by(EValue e, double factor);

// a / b, b not 0.
EValue divided(EValue a, EValue b);

// The mean of n e-values, n at least 1.
EValue mean_of(const EValue *e, int n);

// Whether a is less than b.
bool less_than(EValue a, EValue b);

// exp(log_e), for an e-value worked out in logarithms.
EValue from_log(double log_e);

// The value as a double: infinity above the largest, 0 below the smallest.
double value_of(EValue e);

// log10 of the value; -infinity for 0.
double log10_of(EValue e);

// The two levels an e-process is judged by: 1 / 0.05 and 1 / 0.001.
constexpr int kAnytimeLevels = 2;
constexpr double kAnytimeOdds[kAnytimeLevels] = {20, 1000};

// The most points a trace keeps: enough for a line across the picture.
constexpr int kMaxTracePoints = 500;

struct TracePoint {
  int64_t rolls; // after this many rolls
  EValue e;      // the e-value then
};

// What an e-process found over a sequence of rolls, or, for counts alone,
// at their number of rolls.
struct Anytime {
  int64_t rolls = 0;                    // rolls seen
  EValue e;                             // the e-value after them
  EValue most;                          // the largest e-value after any of them, and
                                        // before the first: 1
  int64_t reached[kAnytimeLevels] = {}; // the roll at which the e-value first reached
                                        // each of kAnytimeOdds; 0 when it never did
  std::vector<TracePoint> trace;        // points along the way, evenly spaced
  int64_t trace_every = 1;              // rolls between them
};

// Takes the e-value after one more roll.
void note_roll(Anytime &found, EValue e);

// The anytime p-value: 1 over the largest e-value, at most 1.
double anytime_p(const Anytime &found);

// Keeps a point of the trace every trace_every rolls; when it holds
// kMaxTracePoints, every other point goes and the spacing doubles, so that
// it needs no number of rolls in advance.
void trace_point(Anytime &found);

// The last roll's point, in place of the last kept when there is no room.
void end_trace(Anytime &found);
