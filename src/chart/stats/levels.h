// The levels by which a p-value is judged (decide, record.h), and at which
// a test of independence draws its line of rejection.
#pragma once

#include <cstdint>

// At or above kFitsLevel chance alone gives a p-value often; below
// kRejectLevel, less than once in kRejectOdds runs.
constexpr double kFitsLevel = 0.05;
constexpr int64_t kRejectOdds = 1000;
constexpr double kRejectLevel = 1.0 / kRejectOdds;
